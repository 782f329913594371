$PBExportHeader$w_01615_edit.srw
$PBExportComments$group 1831
forward
global type w_01615_edit from w_zrtmstlr_edit
end type
end forward

global type w_01615_edit from w_zrtmstlr_edit
end type
global w_01615_edit w_01615_edit
