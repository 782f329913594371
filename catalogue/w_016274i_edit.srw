$PBExportHeader$w_016274i_edit.srw
$PBExportComments$group 1828
forward
global type w_016274i_edit from w_zr_e12344i_edit
end type
end forward

global type w_016274i_edit from w_zr_e12344i_edit
end type
global w_016274i_edit w_016274i_edit
