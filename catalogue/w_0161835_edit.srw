$PBExportHeader$w_0161835_edit.srw
$PBExportComments$group 1847
// d_0161835_edit goes to dw_maint, the record form
forward
global type w_0161835_edit from w_zr_e123435_edit
end type
type dw_maint from w_zr_e123435_edit`dw_maint within w_0161835_edit
end type
end forward

global type w_0161835_edit from w_zr_e123435_edit
end type
global w_0161835_edit w_0161835_edit

type dw_maint from w_zr_e123435_edit`dw_maint within w_0161835_edit
string dataobject = "d_0161835_edit"
end type
