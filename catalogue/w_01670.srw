$PBExportHeader$w_01670.srw
$PBExportComments$group 1817
// d_05269v_xz goes to dw_sum, its own hidden summary
forward
global type w_01670 from w_zr3lzb_items
end type
type dw_head from w_zr3lzb_items`dw_head within w_01670
end type
type dw_folder from w_zr3lzb_items`dw_folder within w_01670
end type
type dw_items from w_zr3lzb_items`dw_items within w_01670
end type
type dw_sum from u_dw within w_01670
end type
end forward

global type w_01670 from w_zr3lzb_items
string menuname = "m_main"
string icon = "ZR2012ZR2.ICO"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01670 w_01670

type dw_head from w_zr3lzb_items`dw_head within w_01670
string dataobject = "d_016701"
end type

type dw_folder from w_zr3lzb_items`dw_folder within w_01670
string dataobject = "d_016701_list"
end type

type dw_items from w_zr3lzb_items`dw_items within w_01670
integer x = 722
integer y = 456
string dataobject = "d_016703a"
end type

type dw_sum from u_dw within w_01670
integer x = 1723
integer y = 68
integer width = 1061
integer height = 420
integer taborder = 120
boolean visible = false
string dataobject = "d_05269v_xz"
boolean hsplitscroll = true
boolean bringtotop = true
end type
