$PBExportHeader$no_dwsrv_rowcolor.srw
forward
global type no_dwsrv_rowcolor from nonvisualobject
end type
end forward

global type no_dwsrv_rowcolor from nonvisualobject
end type
global no_dwsrv_rowcolor no_dwsrv_rowcolor

type variables
long il_color1
long il_color2
long il_color3
end variables
