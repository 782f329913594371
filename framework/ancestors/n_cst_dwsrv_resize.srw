$PBExportHeader$n_cst_dwsrv_resize.srw
forward
global type n_cst_dwsrv_resize from nonvisualobject
end type
end forward

global type n_cst_dwsrv_resize from nonvisualobject
end type
global n_cst_dwsrv_resize n_cst_dwsrv_resize

type variables
long il_rules
long il_basewidth
long il_baseheight
end variables
