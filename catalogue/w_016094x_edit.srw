$PBExportHeader$w_016094x_edit.srw
$PBExportComments$group 1852
// d_003944x_edit goes to dw_maint, the record form
forward
global type w_016094x_edit from w_zr_e12344x_edit
end type
type dw_maint from w_zr_e12344x_edit`dw_maint within w_016094x_edit
end type
end forward

global type w_016094x_edit from w_zr_e12344x_edit
end type
global w_016094x_edit w_016094x_edit

type dw_maint from w_zr_e12344x_edit`dw_maint within w_016094x_edit
string dataobject = "d_003944x_edit"
end type
