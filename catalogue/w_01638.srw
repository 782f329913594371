$PBExportHeader$w_01638.srw
$PBExportComments$group 1822
// d_01638 goes to dw_items, the list whose captions the window sets
forward
global type w_01638 from w_zr2lzb_basic
end type
type dw_items from w_zr2lzb_basic`dw_items within w_01638
end type
end forward

global type w_01638 from w_zr2lzb_basic
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01638 w_01638

type dw_items from w_zr2lzb_basic`dw_items within w_01638
integer x = 0
integer y = 104
boolean hsplitscroll = true
string dataobject = "d_01638"
end type
