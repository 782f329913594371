$PBExportHeader$w_016001_edit.srw
$PBExportComments$group 1843
forward
global type w_016001_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016001_edit
end type
end forward

global type w_016001_edit from w_zr_e123411_edit
end type
global w_016001_edit w_016001_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016001_edit
integer height = 1248
string dataobject = "d_004381_edit"
end type
