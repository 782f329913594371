$PBExportHeader$w_01693.srw
$PBExportComments$group 1874
// d_00327 goes to dw_items, the list grid
forward
global type w_01693 from w_zrtmstlr
end type
type dw_items from w_zrtmstlr`dw_items within w_01693
end type
end forward

global type w_01693 from w_zrtmstlr
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01693 w_01693

type dw_items from w_zrtmstlr`dw_items within w_01693
string dataobject = "d_00327"
end type
