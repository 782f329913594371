$PBExportHeader$w_016101_edit.srw
$PBExportComments$group 1834
forward
global type w_016101_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016101_edit
end type
end forward

global type w_016101_edit from w_zr_e123411_edit
end type
global w_016101_edit w_016101_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016101_edit
string dataobject = "d_009981_edit"
end type
