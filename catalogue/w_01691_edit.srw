$PBExportHeader$w_01691_edit.srw
$PBExportComments$group 1873
forward
global type w_01691_edit from w_ddyxsg_edit
end type
type dw_maint from w_ddyxsg_edit`dw_maint within w_01691_edit
end type
type dw_ddyy from w_ddyxsg_edit`dw_ddyy within w_01691_edit
end type
type dw_ddxx81 from w_ddyxsg_edit`dw_ddxx81 within w_01691_edit
end type
end forward

global type w_01691_edit from w_ddyxsg_edit
end type
global w_01691_edit w_01691_edit

type variables
string lls[7]
long lltjgdid
end variables

type dw_maint from w_ddyxsg_edit`dw_maint within w_01691_edit
integer width = 2039
integer height = 704
string dataobject = "d_01691_edit"
end type

type dw_ddyy from w_ddyxsg_edit`dw_ddyy within w_01691_edit
integer width = 1330
integer height = 992
string dataobject = "d_01691_edit_xh"
end type

type dw_ddxx81 from w_ddyxsg_edit`dw_ddxx81 within w_01691_edit
integer y = 716
integer width = 1541
integer height = 176
string dataobject = "d_02599_edit_ddxx81"
end type
