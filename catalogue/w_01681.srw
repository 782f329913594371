$PBExportHeader$w_01681.srw
$PBExportComments$group 1858
forward
global type w_01681 from w_02190
end type
end forward

global type w_01681 from w_02190
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01681 w_01681
