$PBExportHeader$w_0160321_edit.srw
$PBExportComments$group 1836
// the form to dw_maint, the _lr3 and _lr4 grids to dw_3 and dw_4
forward
global type w_0160321_edit from w_zr_e123421_edit
end type
type dw_maint from w_zr_e123421_edit`dw_maint within w_0160321_edit
end type
type dw_3 from w_zr_e123421_edit`dw_3 within w_0160321_edit
end type
type dw_4 from w_zr_e123421_edit`dw_4 within w_0160321_edit
end type
end forward

global type w_0160321_edit from w_zr_e123421_edit
end type
global w_0160321_edit w_0160321_edit

type dw_maint from w_zr_e123421_edit`dw_maint within w_0160321_edit
string dataobject = "d_0160321_edit"
end type

type dw_3 from w_zr_e123421_edit`dw_3 within w_0160321_edit
string dataobject = "d_0160321_edit_lr3"
end type

type dw_4 from w_zr_e123421_edit`dw_4 within w_0160321_edit
string dataobject = "d_0160321_edit_lr4"
end type
