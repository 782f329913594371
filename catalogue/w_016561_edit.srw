$PBExportHeader$w_016561_edit.srw
$PBExportComments$group 1795
forward
global type w_016561_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016561_edit
end type
end forward

global type w_016561_edit from w_zr_e123411_edit
end type
global w_016561_edit w_016561_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016561_edit
integer height = 1248
string dataobject = "d_004381_edit"
end type
