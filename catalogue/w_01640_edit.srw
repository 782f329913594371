$PBExportHeader$w_01640_edit.srw
$PBExportComments$group 1805
forward
global type w_01640_edit from w_zrtmstlr_edit
end type
end forward

global type w_01640_edit from w_zrtmstlr_edit
end type
global w_01640_edit w_01640_edit
