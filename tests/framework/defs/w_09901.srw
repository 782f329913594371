$PBExportHeader$w_09901.srw
forward
global type w_09901 from w_ddyrsg
end type
type dw_items from w_ddyrsg`dw_items within w_09901
end type
end forward

global type w_09901 from w_ddyrsg
end type
global w_09901 w_09901

type variables
string log
end variables

type dw_items from w_ddyrsg`dw_items within w_09901
string dataobject = "d_01602"
end type
