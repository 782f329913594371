$PBExportHeader$w_01649.srw
$PBExportComments$group 1802
// d_01649 goes to dw_items, the list grid of the family
forward
global type w_01649 from w_zr2lzb_bascx
end type
type dw_items from w_zr2lzb_bascx`dw_items within w_01649
end type
end forward

global type w_01649 from w_zr2lzb_bascx
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01649 w_01649

type dw_items from w_zr2lzb_bascx`dw_items within w_01649
string dataobject = "d_01649"
end type
