$PBExportHeader$w_01650.srw
$PBExportComments$group 1812
// d_zrxc111 goes to dw_items in place of the main grid d_zrcwi11 of the family
forward
global type w_01650 from w_zrpzsh
end type
type dw_items from w_zrpzsh`dw_items within w_01650
end type
end forward

global type w_01650 from w_zrpzsh
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01650 w_01650

type dw_items from w_zrpzsh`dw_items within w_01650
string dataobject = "d_zrxc111"
end type
