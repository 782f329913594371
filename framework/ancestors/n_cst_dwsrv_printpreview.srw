$PBExportHeader$n_cst_dwsrv_printpreview.srw
forward
global type n_cst_dwsrv_printpreview from nonvisualobject
end type
end forward

global type n_cst_dwsrv_printpreview from nonvisualobject
end type
global n_cst_dwsrv_printpreview n_cst_dwsrv_printpreview

type variables
boolean ib_preview = false
end variables
