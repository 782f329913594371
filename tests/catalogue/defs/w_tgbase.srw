$PBExportHeader$w_tgbase.srw
forward
global type w_tgbase from window
end type
type dw_list from datawindow within w_tgbase
end type
type cb_go from commandbutton within w_tgbase
end type
end forward

global type w_tgbase from window
integer width = 1000
integer height = 800
string menuname = "m_main"
end type
global w_tgbase w_tgbase

type dw_list from datawindow within w_tgbase
integer x = 10
end type

type cb_go from commandbutton within w_tgbase
string text = "Go"
end type
