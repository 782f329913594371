$PBExportHeader$w_016271_edit.srw
$PBExportComments$group 1851
forward
global type w_016271_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016271_edit
end type
end forward

global type w_016271_edit from w_zr_e123411_edit
end type
global w_016271_edit w_016271_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016271_edit
integer height = 1248
string dataobject = "d_004381_edit"
end type
