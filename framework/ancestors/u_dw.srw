$PBExportHeader$u_dw.srw
forward
global type u_dw from datawindow
end type
end forward

global type u_dw from datawindow
integer width = 686
integer height = 400
integer taborder = 10
boolean vscrollbar = true
boolean livescroll = true
borderstyle borderstyle = stylelowered!
end type
global u_dw u_dw

type variables
string is_origselsql
string is_dwdelete
string is_add_sqlwhere
boolean ib_isdelete = false
n_cst_dwsrv_rowselection inv_rowselect
n_cst_dwsrv_rowmanager inv_rowmanager
no_dwsrv_rowcolor inv_rowcolor
n_cst_dwsrv_linkage inv_linkage
n_cst_dwsrv_sort inv_sort
n_cst_dwsrv_filter inv_filter
n_cst_dwsrv_resize inv_resize
end variables
