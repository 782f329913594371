$PBExportHeader$w_01665_edit.srw
$PBExportComments$group 1799
forward
global type w_01665_edit from w_zrtmstlr_edit
end type
end forward

global type w_01665_edit from w_zrtmstlr_edit
end type
global w_01665_edit w_01665_edit
