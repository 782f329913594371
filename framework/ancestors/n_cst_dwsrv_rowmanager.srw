$PBExportHeader$n_cst_dwsrv_rowmanager.srw
forward
global type n_cst_dwsrv_rowmanager from nonvisualobject
end type
end forward

global type n_cst_dwsrv_rowmanager from nonvisualobject
end type
global n_cst_dwsrv_rowmanager n_cst_dwsrv_rowmanager

type variables
boolean ib_confirmondelete = true
end variables
