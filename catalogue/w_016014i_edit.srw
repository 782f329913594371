$PBExportHeader$w_016014i_edit.srw
$PBExportComments$group 1839
forward
global type w_016014i_edit from w_zr_e12344i_edit
end type
end forward

global type w_016014i_edit from w_zr_e12344i_edit
end type
global w_016014i_edit w_016014i_edit
