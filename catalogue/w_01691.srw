$PBExportHeader$w_01691.srw
$PBExportComments$group 1872
// d_01691 goes to dw_items, the grid with the configurable columns; d_00329 to dw_head
forward
global type w_01691 from w_ddyrsg
end type
type dw_head from w_ddyrsg`dw_head within w_01691
end type
type dw_items from w_ddyrsg`dw_items within w_01691
end type
end forward

global type w_01691 from w_ddyrsg
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01691 w_01691

type dw_head from w_ddyrsg`dw_head within w_01691
string dataobject = "d_00329"
end type

type dw_items from w_ddyrsg`dw_items within w_01691
string dataobject = "d_01691"
end type
