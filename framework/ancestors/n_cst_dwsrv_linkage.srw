$PBExportHeader$n_cst_dwsrv_linkage.srw
forward
global type n_cst_dwsrv_linkage from nonvisualobject
end type
end forward

global type n_cst_dwsrv_linkage from nonvisualobject
end type
global n_cst_dwsrv_linkage n_cst_dwsrv_linkage

type variables
integer ii_style
boolean ib_updateonrowchange = true
boolean ib_confirmonrowchange = true
string is_columns
end variables
