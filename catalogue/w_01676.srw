$PBExportHeader$w_01676.srw
$PBExportComments$group 1876
// d_zrx1111 goes to dw_items in place of the main grid d_zrcwi11 of the family
forward
global type w_01676 from w_zrpzsh
end type
type dw_items from w_zrpzsh`dw_items within w_01676
end type
end forward

global type w_01676 from w_zrpzsh
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01676 w_01676

type dw_items from w_zrpzsh`dw_items within w_01676
string dataobject = "d_zrx1111"
end type
