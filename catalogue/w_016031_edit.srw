$PBExportHeader$w_016031_edit.srw
$PBExportComments$group 1837
forward
global type w_016031_edit from w_zr_e123411_edit
end type
end forward

global type w_016031_edit from w_zr_e123411_edit
end type
global w_016031_edit w_016031_edit
