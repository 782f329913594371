$PBExportHeader$w_01652_edit_list_edit.srw
$PBExportComments$group 1814
// d_01652_edit_list_edit goes to dw_maint, the split form
forward
global type w_01652_edit_list_edit from w_manager_record2
end type
type dw_maint from w_manager_record2`dw_maint within w_01652_edit_list_edit
end type
end forward

global type w_01652_edit_list_edit from w_manager_record2
integer width = 1618
integer height = 640
end type
global w_01652_edit_list_edit w_01652_edit_list_edit

type variables
long il_zrtmid = 0
long il_sjdzld = 0
end variables

type dw_maint from w_manager_record2`dw_maint within w_01652_edit_list_edit
integer width = 1618
integer height = 432
string dataobject = "d_01652_edit_list_edit"
end type
