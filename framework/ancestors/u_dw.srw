$PBExportHeader$u_dw.srw
// The framework's data-window control: the editing events, the switches that
// create its services, click sorting, and the header-detail linkage.
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
boolean ib_base = false
boolean ib_updateable = true
boolean ib_clicksort = false
n_cst_dwsrv_rowselection inv_rowselect
n_cst_dwsrv_rowmanager inv_rowmanager
no_dwsrv_rowcolor inv_rowcolor
n_cst_dwsrv_linkage inv_linkage
n_cst_dwsrv_sort inv_sort
n_cst_dwsrv_filter inv_filter
n_cst_dwsrv_resize inv_resize
n_cst_dwsrv_find inv_find
n_cst_dwsrv_printpreview inv_printpreview
n_cst_dwsrv_multitable inv_multitable
end variables
