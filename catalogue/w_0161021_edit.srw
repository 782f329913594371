$PBExportHeader$w_0161021_edit.srw
$PBExportComments$group 1833
forward
global type w_0161021_edit from w_zr_e123421_edit
end type
end forward

global type w_0161021_edit from w_zr_e123421_edit
end type
global w_0161021_edit w_0161021_edit
