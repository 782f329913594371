$PBExportHeader$w_01638_edit.srw
$PBExportComments$group 1823
// d_01638_edit goes to dw_maint and to its own hidden dw_3
forward
global type w_01638_edit from w_manager_record
end type
type dw_maint from w_manager_record`dw_maint within w_01638_edit
end type
type uo_ok from w_manager_record`uo_ok within w_01638_edit
end type
type dw_3 from u_dw within w_01638_edit
end type
end forward

global type w_01638_edit from w_manager_record
integer x = 503
integer y = 500
integer width = 1888
integer height = 1104
string title = "录入"
end type
global w_01638_edit w_01638_edit

type variables
boolean ib_save = false
string is_icddbh = ""
long il_cnt1 = 0
string is_ddtmic = ""
end variables

type dw_maint from w_manager_record`dw_maint within w_01638_edit
string dataobject = "d_01638_edit"
end type

type uo_ok from w_manager_record`uo_ok within w_01638_edit
end type

type dw_3 from u_dw within w_01638_edit
integer x = 1394
integer y = 356
integer width = 439
integer height = 552
integer taborder = 80
boolean visible = false
string dataobject = "d_01638_edit"
boolean bringtotop = true
boolean ib_isdelete = true
end type
