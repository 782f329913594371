$PBExportHeader$w_01695_edit.srw
$PBExportComments$group 1871
forward
global type w_01695_edit from w_zrtmstlr_edit
end type
end forward

global type w_01695_edit from w_zrtmstlr_edit
end type
global w_01695_edit w_01695_edit
