$PBExportHeader$w_01684_edit.srw
$PBExportComments$group 1864
forward
global type w_01684_edit from w_zrtmstlr_edit
end type
end forward

global type w_01684_edit from w_zrtmstlr_edit
end type
global w_01684_edit w_01684_edit
