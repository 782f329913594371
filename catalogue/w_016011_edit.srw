$PBExportHeader$w_016011_edit.srw
$PBExportComments$group 1840
forward
global type w_016011_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016011_edit
end type
end forward

global type w_016011_edit from w_zr_e123411_edit
end type
global w_016011_edit w_016011_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016011_edit
integer height = 1248
string dataobject = "d_004381_edit"
end type
