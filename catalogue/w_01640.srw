$PBExportHeader$w_01640.srw
$PBExportComments$group 1824
// d_00030 goes to dw_items, the list grid
forward
global type w_01640 from w_zr2lzb_basic
end type
type dw_items from w_zr2lzb_basic`dw_items within w_01640
end type
end forward

global type w_01640 from w_zr2lzb_basic
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01640 w_01640

type dw_items from w_zr2lzb_basic`dw_items within w_01640
string dataobject = "d_00030"
end type
