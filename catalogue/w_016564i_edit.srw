$PBExportHeader$w_016564i_edit.srw
$PBExportComments$group 1796
forward
global type w_016564i_edit from w_zr_e12344i_edit
end type
end forward

global type w_016564i_edit from w_zr_e12344i_edit
end type
global w_016564i_edit w_016564i_edit
