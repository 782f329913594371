$PBExportHeader$w_09902.srw
forward
global type w_09902 from window
end type
type dw_form from u_dw within w_09902
end type
type dw_grid from u_dw within w_09902
end type
end forward

global type w_09902 from window
end type
global w_09902 w_09902

type dw_form from u_dw within w_09902
string dataobject = "d_01652_edit_list_edit"
end type

type dw_grid from u_dw within w_09902
string dataobject = "d_01652_edit_list_bh"
end type
