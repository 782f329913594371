$PBExportHeader$w_01602.srw
$PBExportComments$group 1845
// d_01602 goes to dw_items, the staff list
forward
global type w_01602 from w_zr2lzb_basic
end type
type dw_items from w_zr2lzb_basic`dw_items within w_01602
end type
type st_hsplit from w_zr2lzb_basic`st_hsplit within w_01602
end type
type st_1 from w_zr2lzb_basic`st_1 within w_01602
end type
type message_1 from message within w_01602
end type
end forward

global type w_01602 from w_zr2lzb_basic
string title = "人员名称"
long backcolor = 79741120
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01602 w_01602

type dw_items from w_zr2lzb_basic`dw_items within w_01602
string dataobject = "d_01602"
end type

type message_1 from message within w_01602
end type

type st_hsplit from w_zr2lzb_basic`st_hsplit within w_01602
end type

type st_1 from w_zr2lzb_basic`st_1 within w_01602
end type
