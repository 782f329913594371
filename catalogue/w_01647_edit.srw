$PBExportHeader$w_01647_edit.srw
$PBExportComments$group 1816
forward
global type w_01647_edit from w_zrttmna_edit
end type
end forward

global type w_01647_edit from w_zrttmna_edit
end type
global w_01647_edit w_01647_edit
