$PBExportHeader$n_cst_dwsrv_sort.srw
forward
global type n_cst_dwsrv_sort from nonvisualobject
end type
end forward

global type n_cst_dwsrv_sort from nonvisualobject
end type
global n_cst_dwsrv_sort n_cst_dwsrv_sort

type variables
boolean ib_columnheader
integer ii_columnnamesource
integer ii_style
string is_sort
end variables
