$PBExportHeader$w_0167134_edit.srw
$PBExportComments$group 1808
// d_0250034_edit goes to dw_maint, the record form
forward
global type w_0167134_edit from w_zr_e123434_edit
end type
type dw_maint from w_zr_e123434_edit`dw_maint within w_0167134_edit
end type
end forward

global type w_0167134_edit from w_zr_e123434_edit
end type
global w_0167134_edit w_0167134_edit

type dw_maint from w_zr_e123434_edit`dw_maint within w_0167134_edit
string dataobject = "d_0250034_edit"
end type
