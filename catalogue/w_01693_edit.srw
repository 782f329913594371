$PBExportHeader$w_01693_edit.srw
$PBExportComments$group 1875
forward
global type w_01693_edit from w_zrttmoa_edit
end type
end forward

global type w_01693_edit from w_zrttmoa_edit
end type
global w_01693_edit w_01693_edit
