$PBExportHeader$w_01666_edit.srw
$PBExportComments$group 1803
forward
global type w_01666_edit from w_zrtmstlr_edit
end type
end forward

global type w_01666_edit from w_zrtmstlr_edit
end type
global w_01666_edit w_01666_edit
