$PBExportHeader$w_01617_edit.srw
$PBExportComments$group 1849
// d_01617_edit goes to dw_maint, the staff form
forward
global type w_01617_edit from w_manager_record
end type
type dw_maint from w_manager_record`dw_maint within w_01617_edit
end type
type uo_ok from w_manager_record`uo_ok within w_01617_edit
end type
end forward

global type w_01617_edit from w_manager_record
end type
global w_01617_edit w_01617_edit

type dw_maint from w_manager_record`dw_maint within w_01617_edit
string dataobject = "d_01617_edit"
end type

type uo_ok from w_manager_record`uo_ok within w_01617_edit
end type
