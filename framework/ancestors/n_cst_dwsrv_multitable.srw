$PBExportHeader$n_cst_dwsrv_multitable.srw
forward
global type n_cst_dwsrv_multitable from nonvisualobject
end type
end forward

global type n_cst_dwsrv_multitable from nonvisualobject
end type
global n_cst_dwsrv_multitable n_cst_dwsrv_multitable

type variables
string is_tables
end variables
