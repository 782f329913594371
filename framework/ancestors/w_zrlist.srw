$PBExportHeader$w_zrlist.srw
// The list windows' common ancestor: retrieval on open, the layout of the
// header, item and tab areas, the add/edit/delete switches, saving.
forward
global type w_zrlist from window
end type
end forward

global type w_zrlist from window
integer width = 3200
integer height = 1800
boolean titlebar = true
boolean controlmenu = true
boolean resizable = true
string menuname = "m_main"
end type
global w_zrlist w_zrlist

type variables
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
string is_add = "yes"
string is_edit = "yes"
string is_delete = "yes"
string is_retrieve_type
string is_sjtmic
string is_sjpzbh
string is_editwindow
long il_xzmnid
string is_msgtitle = "警告"
string is_msgtext = "有错，不能继续，请纠正再试"
boolean ib_disableclosequery
end variables
