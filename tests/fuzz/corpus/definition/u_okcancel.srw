$PBExportHeader$u_okcancel.srw
forward
global type u_okcancel from userobject
end type
end forward

global type u_okcancel from userobject
integer width = 320
integer height = 96
end type
global u_okcancel u_okcancel

type variables
string is_property
string is_sound
end variables
