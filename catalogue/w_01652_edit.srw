$PBExportHeader$w_01652_edit.srw
$PBExportComments$group 1813 classes dw_ddyy=32868 dw_ddxx81_bh=32870 cb_2=32872 cb_6=32884 cb_5=32883
// the split list and its detail lines are controls of its own
forward
global type w_01652_edit from w_zrtmstlr_edit
end type
type dw_maint from w_zrtmstlr_edit`dw_maint within w_01652_edit
end type
type dw_ddyy from u_dw within w_01652_edit
end type
type dw_ddxx81_bh from u_dw within w_01652_edit
end type
type cb_2 from commandbutton within w_01652_edit
end type
type cb_5 from commandbutton within w_01652_edit
end type
type cb_6 from commandbutton within w_01652_edit
end type
end forward

global type w_01652_edit from w_zrtmstlr_edit
integer width = 2103
integer height = 1364
boolean ib_rfid = false
end type
global w_01652_edit w_01652_edit

type dw_maint from w_zrtmstlr_edit`dw_maint within w_01652_edit
end type

type dw_ddyy from u_dw within w_01652_edit
integer x = 649
integer y = 0
integer width = 1426
integer height = 416
integer taborder = 141
string dataobject = "d_01652_edit_list"
boolean hsplitscroll = true
boolean livescroll = false
boolean bringtotop = true
string is_dwdelete = "yes"
string is_add_sqlwhere = " "
end type

type dw_ddxx81_bh from u_dw within w_01652_edit
integer x = 645
integer y = 416
integer width = 1426
integer height = 256
integer taborder = 171
string dataobject = "d_01652_edit_list_bh"
boolean vscrollbar = false
boolean livescroll = false
boolean bringtotop = true
string is_add_sqlwhere = " "
end type

type cb_2 from commandbutton within w_01652_edit
integer x = 690
integer y = 932
integer width = 434
integer height = 92
integer taborder = 170
string facename = "Arial"
integer textsize = -9
integer weight = 700
boolean bringtotop = true
string text = "增加拆分(&F)"
end type

type cb_5 from commandbutton within w_01652_edit
integer x = 1541
integer y = 932
integer width = 434
integer height = 92
integer taborder = 180
string facename = "Arial"
integer textsize = -9
integer weight = 700
boolean bringtotop = true
string text = "删除拆分(&D)"
end type

type cb_6 from commandbutton within w_01652_edit
integer x = 1125
integer y = 932
integer width = 434
integer height = 92
integer taborder = 180
string facename = "Arial"
integer textsize = -9
integer weight = 700
boolean bringtotop = true
string text = "修改拆分(&M)"
end type
