$PBExportHeader$u_splitbar.srw
forward
global type u_splitbar from statictext
end type
end forward

global type u_splitbar from statictext
integer width = 16
integer height = 16
long backcolor = 12632256
boolean focusrectangle = false
end type
global u_splitbar u_splitbar

type variables
long il_barcolor = 12632256
end variables
