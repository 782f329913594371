$PBExportHeader$w_016824x_edit.srw
$PBExportComments$group 1877
forward
global type w_016824x_edit from w_zr_e12344x_edit
end type
end forward

global type w_016824x_edit from w_zr_e12344x_edit
end type
global w_016824x_edit w_016824x_edit
