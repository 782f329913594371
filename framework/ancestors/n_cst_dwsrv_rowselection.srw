$PBExportHeader$n_cst_dwsrv_rowselection.srw
forward
global type n_cst_dwsrv_rowselection from nonvisualobject
end type
end forward

global type n_cst_dwsrv_rowselection from nonvisualobject
end type
global n_cst_dwsrv_rowselection n_cst_dwsrv_rowselection

type variables
integer ii_style = 0
end variables
