$PBExportHeader$n_cst_dwsrv_find.srw
forward
global type n_cst_dwsrv_find from nonvisualobject
end type
end forward

global type n_cst_dwsrv_find from nonvisualobject
end type
global n_cst_dwsrv_find n_cst_dwsrv_find

type variables
string is_find
end variables
