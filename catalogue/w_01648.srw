$PBExportHeader$w_01648.srw
$PBExportComments$group 1804
forward
global type w_01648 from w_zrpzsh
end type
end forward

global type w_01648 from w_zrpzsh
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01648 w_01648
