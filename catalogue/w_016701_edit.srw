$PBExportHeader$w_016701_edit.srw
$PBExportComments$group 1818
forward
global type w_016701_edit from w_zr_e123411_edit
end type
type dw_maint from w_zr_e123411_edit`dw_maint within w_016701_edit
end type
end forward

global type w_016701_edit from w_zr_e123411_edit
end type
global w_016701_edit w_016701_edit

type dw_maint from w_zr_e123411_edit`dw_maint within w_016701_edit
string dataobject = "d_017491_edit"
end type
