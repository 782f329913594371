$PBExportHeader$w_016751_edit.srw
$PBExportComments$group 1856
forward
global type w_016751_edit from w_zr_e123411_edit
end type
end forward

global type w_016751_edit from w_zr_e123411_edit
end type
global w_016751_edit w_016751_edit
