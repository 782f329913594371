$PBExportHeader$w_016281_edit.srw
$PBExportComments$group 1826
forward
global type w_016281_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016281_edit
end type
end forward

global type w_016281_edit from w_zr_e123411_edit
end type
global w_016281_edit w_016281_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016281_edit
string dataobject = "d_016281_edit"
end type
