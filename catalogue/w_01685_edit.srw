$PBExportHeader$w_01685_edit.srw
$PBExportComments$group 1866
forward
global type w_01685_edit from w_zrtmstlr_edit
end type
end forward

global type w_01685_edit from w_zrtmstlr_edit
end type
global w_01685_edit w_01685_edit
