$PBExportHeader$w_01628.srw
$PBExportComments$group 1827
forward
global type w_01628 from w_zr3lzb_items
end type
type dw_head from w_zr3lzb_items`dw_head within w_01628
end type
type dw_folder from w_zr3lzb_items`dw_folder within w_01628
end type
type dw_items from w_zr3lzb_items`dw_items within w_01628
end type
end forward

global type w_01628 from w_zr3lzb_items
string menuname = "m_main"
string icon = "ZR2012ZR2.ICO"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01628 w_01628

type dw_head from w_zr3lzb_items`dw_head within w_01628
string dataobject = "d_000411"
end type

type dw_folder from w_zr3lzb_items`dw_folder within w_01628
string dataobject = "d_000411_list"
end type

type dw_items from w_zr3lzb_items`dw_items within w_01628
integer x = 722
integer y = 456
string dataobject = "d_000413a"
end type
