$PBExportHeader$w_01602_edit.srw
$PBExportComments$group 1846
// d_01602_edit goes to dw_maint, the staff form
forward
global type w_01602_edit from w_manager_record
end type
type dw_maint from w_manager_record`dw_maint within w_01602_edit
end type
type uo_ok from w_manager_record`uo_ok within w_01602_edit
end type
end forward

global type w_01602_edit from w_manager_record
end type
global w_01602_edit w_01602_edit

type dw_maint from w_manager_record`dw_maint within w_01602_edit
string dataobject = "d_01602_edit"
end type

type uo_ok from w_manager_record`uo_ok within w_01602_edit
end type
