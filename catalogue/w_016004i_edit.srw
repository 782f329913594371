$PBExportHeader$w_016004i_edit.srw
$PBExportComments$group 1842
forward
global type w_016004i_edit from w_zr_e12344i_edit
end type
end forward

global type w_016004i_edit from w_zr_e12344i_edit
end type
global w_016004i_edit w_016004i_edit
