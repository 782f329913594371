$PBExportHeader$w_01647.srw
$PBExportComments$group 1815 classes dw_019780_0326=32844 dw_019780_ddyjbh=32846 dw_019780=32847
// d_00326 goes to dw_items, the list grid; the other three to its own hidden grids
forward
global type w_01647 from w_zrtmstlr
end type
type dw_items from w_zrtmstlr`dw_items within w_01647
end type
type dw_019780_0326 from u_dw within w_01647
end type
type dw_019780_ddyjbh from u_dw within w_01647
end type
type dw_019780 from u_dw within w_01647
end type
end forward

global type w_01647 from w_zrtmstlr
string menuname = "m_main"
string icon = "zrlabel.ico"
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
end type
global w_01647 w_01647

type dw_items from w_zrtmstlr`dw_items within w_01647
string dataobject = "d_00326"
end type

type dw_019780_0326 from u_dw within w_01647
integer x = 2089
integer y = 1340
integer width = 539
integer height = 116
integer taborder = 70
boolean visible = false
string dataobject = "d_00326_edit_019780_0326"
boolean vscrollbar = false
boolean livescroll = false
boolean bringtotop = true
end type

type dw_019780_ddyjbh from u_dw within w_01647
integer x = 2089
integer y = 1432
integer width = 539
integer height = 116
integer taborder = 80
boolean visible = false
string dataobject = "d_00326_edit_019780_ddyjbh"
boolean vscrollbar = false
boolean livescroll = false
boolean bringtotop = true
end type

type dw_019780 from u_dw within w_01647
integer x = 2089
integer y = 1544
integer width = 539
integer height = 116
integer taborder = 80
boolean visible = false
string dataobject = "d_00326_edit_019780"
boolean vscrollbar = false
boolean livescroll = false
boolean bringtotop = true
end type
