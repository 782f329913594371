$PBExportHeader$w_016181_edit.srw
$PBExportComments$group 1829
forward
global type w_016181_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016181_edit
end type
end forward

global type w_016181_edit from w_zr_e123411_edit
end type
global w_016181_edit w_016181_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016181_edit
string dataobject = "d_017551_edit"
end type
