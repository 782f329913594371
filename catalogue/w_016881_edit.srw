$PBExportHeader$w_016881_edit.srw
$PBExportComments$group 1868
forward
global type w_016881_edit from w_zr_e123411_edit
end type
end forward

global type w_016881_edit from w_zr_e123411_edit
end type
global w_016881_edit w_016881_edit
