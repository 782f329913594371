$PBExportHeader$w_01628_edit.srw
$PBExportComments$group 1820
// d_01628_edit goes to dw_maint, the record form
forward
global type w_01628_edit from w_manager_record
end type
type dw_maint from w_manager_record`dw_maint within w_01628_edit
end type
end forward

global type w_01628_edit from w_manager_record
end type
global w_01628_edit w_01628_edit

type variables
long il_aagxid = 12
long il_a2jbid = 0
end variables

type dw_maint from w_manager_record`dw_maint within w_01628_edit
string dataobject = "d_01628_edit"
end type
