$PBExportHeader$w_016283a_edit.srw
$PBExportComments$group 1825
// d_017493a_edit goes to dw_maint, the form whose saves the window follows
forward
global type w_016283a_edit from w_zr_e12343a_edit
end type
type dw_maint from w_zr_e12343a_edit`dw_maint within w_016283a_edit
end type
end forward

global type w_016283a_edit from w_zr_e12343a_edit
end type
global w_016283a_edit w_016283a_edit

type dw_maint from w_zr_e12343a_edit`dw_maint within w_016283a_edit
string dataobject = "d_017493a_edit"
end type
