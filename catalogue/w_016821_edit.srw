$PBExportHeader$w_016821_edit.srw
$PBExportComments$group 1861
forward
global type w_016821_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016821_edit
end type
end forward

global type w_016821_edit from w_zr_e123411_edit
end type
global w_016821_edit w_016821_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016821_edit
string dataobject = "d_017551_edit"
end type
