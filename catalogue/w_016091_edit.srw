$PBExportHeader$w_016091_edit.srw
$PBExportComments$group 1853
forward
global type w_016091_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016091_edit
end type
end forward

global type w_016091_edit from w_zr_e123411_edit
end type
global w_016091_edit w_016091_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016091_edit
string dataobject = "d_017551_edit"
end type
