$PBExportHeader$w_zr2lzb_bascx.srw
forward
global type w_zr2lzb_bascx from w_zrlist
end type
type tab_1 from tab within w_zr2lzb_bascx
end type
type tabpage_1 from userobject within tab_1
end type
type dw_1 from u_dw within tabpage_1
end type
type tabpage_2 from userobject within tab_1
end type
type st_hsplit from u_splitbar within w_zr2lzb_bascx
end type
type dw_head from u_dw within w_zr2lzb_bascx
end type
type dw_folder from u_dw within w_zr2lzb_bascx
end type
type st_1 from u_splitbar within w_zr2lzb_bascx
end type
type ln_1 from line within w_zr2lzb_bascx
end type
type ln_2 from line within w_zr2lzb_bascx
end type
type dw_items from u_dw within w_zr2lzb_bascx
end type
type dw_help from u_dw within w_zr2lzb_bascx
end type
end forward

global type w_zr2lzb_bascx from w_zrlist
integer width = 3200
integer height = 1800
boolean titlebar = true
boolean controlmenu = true
boolean minbox = true
boolean maxbox = true
boolean resizable = true
windowtype windowtype = main!
string menuname = "m_main"
string icon = "zrlabel.ico"
end type
global w_zr2lzb_bascx w_zr2lzb_bascx

type variables
string is_type = "list"
string is_open = "open"
string is_title = "服装生产跟踪系统"
string is_tab_1_postion = "2LV"
string is_retrieve_open = "retrieve"
string is_add = "yes"
string is_edit = "yes"
string is_delete = "yes"
string is_retrieve_type
string is_sjtmic
string is_sjpzbh
long il_xzmnid
string is_msgtitle = "警告"
string is_msgtext = "有错，不能继续，请纠正再试"
end variables

type tab_1 from tab within w_zr2lzb_bascx
integer x = 9
integer y = 1300
integer width = 3150
integer height = 388
integer taborder = 50
integer selectedtab = 1
end type

type tabpage_1 from userobject within tab_1
integer x = 18
integer y = 100
integer width = 3113
integer height = 272
boolean visible = false
end type

type dw_1 from u_dw within tabpage_1
integer x = 0
integer y = 0
integer width = 3113
integer height = 272
integer taborder = 10
end type

type tabpage_2 from userobject within tab_1
integer x = 18
integer y = 100
integer width = 3113
integer height = 272
end type

type st_hsplit from u_splitbar within w_zr2lzb_bascx
integer x = 9
integer y = 1280
integer width = 3150
integer height = 16
end type

type dw_head from u_dw within w_zr2lzb_bascx
integer x = 9
integer y = 8
integer width = 3150
integer height = 88
integer taborder = 10
end type

type dw_folder from u_dw within w_zr2lzb_bascx
integer x = 9
integer y = 108
integer width = 686
integer height = 820
integer taborder = 20
boolean visible = false
end type

type st_1 from u_splitbar within w_zr2lzb_bascx
integer x = 3163
integer y = 108
integer width = 16
integer height = 1580
boolean visible = false
end type

type ln_1 from line within w_zr2lzb_bascx
integer beginx = 9
integer beginy = 100
integer endx = 3159
integer endy = 100
long linecolor = 8421504
integer linethickness = 4
end type

type ln_2 from line within w_zr2lzb_bascx
integer beginx = 704
integer beginy = 460
integer endx = 704
integer endy = 1688
long linecolor = 8421504
integer linethickness = 4
boolean visible = false
end type

type dw_items from u_dw within w_zr2lzb_bascx
integer x = 9
integer y = 108
integer width = 3150
integer height = 1168
integer taborder = 30
end type

type dw_help from u_dw within w_zr2lzb_bascx
integer x = 9
integer y = 1288
integer width = 686
integer height = 400
integer taborder = 60
boolean visible = false
end type
