$PBExportHeader$n_cst_dwsrv_filter.srw
forward
global type n_cst_dwsrv_filter from nonvisualobject
end type
end forward

global type n_cst_dwsrv_filter from nonvisualobject
end type
global n_cst_dwsrv_filter n_cst_dwsrv_filter

type variables
integer ii_columnnamesource
integer ii_style
string is_filter
end variables
