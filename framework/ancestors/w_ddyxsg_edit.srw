$PBExportHeader$w_ddyxsg_edit.srw
forward
global type w_ddyxsg_edit from w_zredit
end type
type dw_maint from u_dw within w_ddyxsg_edit
end type
type dw_ddxx81 from u_dw within w_ddyxsg_edit
end type
type dw_ddxx84 from u_dw within w_ddyxsg_edit
end type
type dw_ddyy from u_dw within w_ddyxsg_edit
end type
type dw_writrfid from u_dw within w_ddyxsg_edit
end type
type sle_1 from singlelineedit within w_ddyxsg_edit
end type
type st_comm from statictext within w_ddyxsg_edit
end type
type sle_comm from singlelineedit within w_ddyxsg_edit
end type
type st_commsettings from statictext within w_ddyxsg_edit
end type
type sle_commsettings from singlelineedit within w_ddyxsg_edit
end type
type cb_1 from commandbutton within w_ddyxsg_edit
end type
type cb_3 from commandbutton within w_ddyxsg_edit
end type
type cb_4 from commandbutton within w_ddyxsg_edit
end type
type cb_writrfid from commandbutton within w_ddyxsg_edit
end type
type uo_1 from userobject within w_ddyxsg_edit
end type
type cbx_1 from checkbox within w_ddyxsg_edit
end type
type cbx_3 from checkbox within w_ddyxsg_edit
end type
type cbx_addmode from checkbox within w_ddyxsg_edit
end type
type cbx_copyrecord from checkbox within w_ddyxsg_edit
end type
type uo_ok from u_okcancel within w_ddyxsg_edit
end type
type uo_cancel from u_okcancel within w_ddyxsg_edit
end type
end forward

global type w_ddyxsg_edit from w_zredit
integer width = 2100
integer height = 1420
boolean titlebar = true
boolean controlmenu = true
windowtype windowtype = response!
end type
global w_ddyxsg_edit w_ddyxsg_edit

type variables
str_recordmanager istr_recordmanager
string is_idcolname
string is_tablename
string is_adwc_obj_retrieve = "yes"
boolean ib_rfid = true
string is_cdadid
string is_zropic
string is_msgtitle = "警告"
string is_msgtext = "有错，不能继续，请纠正再试"
end variables

type dw_maint from u_dw within w_ddyxsg_edit
integer x = 0
integer y = 0
integer width = 2050
integer height = 700
integer taborder = 10
end type

type dw_ddxx81 from u_dw within w_ddyxsg_edit
integer x = 0
integer y = 708
integer width = 1500
integer height = 200
integer taborder = 20
end type

type dw_ddxx84 from u_dw within w_ddyxsg_edit
integer x = 0
integer y = 916
integer width = 1500
integer height = 120
integer taborder = 30
end type

type dw_ddyy from u_dw within w_ddyxsg_edit
integer x = 0
integer y = 0
integer width = 1200
integer height = 700
integer taborder = 40
boolean visible = false
end type

type dw_writrfid from u_dw within w_ddyxsg_edit
integer x = 1510
integer y = 916
integer width = 540
integer height = 120
integer taborder = 50
boolean visible = false
end type

type sle_1 from singlelineedit within w_ddyxsg_edit
integer x = 1510
integer y = 712
integer width = 540
integer height = 92
integer taborder = 60
end type

type st_comm from statictext within w_ddyxsg_edit
integer x = 9
integer y = 1060
integer width = 160
integer height = 64
string text = "串口:"
end type

type sle_comm from singlelineedit within w_ddyxsg_edit
integer x = 174
integer y = 1048
integer width = 200
integer height = 84
integer taborder = 70
string text = "1"
end type

type st_commsettings from statictext within w_ddyxsg_edit
integer x = 384
integer y = 1060
integer width = 160
integer height = 64
end type

type sle_commsettings from singlelineedit within w_ddyxsg_edit
integer x = 549
integer y = 1048
integer width = 400
integer height = 84
integer taborder = 80
string text = "9600,n,8,1"
end type

type cb_1 from commandbutton within w_ddyxsg_edit
integer x = 960
integer y = 1044
integer width = 300
integer height = 92
integer taborder = 90
string text = "口设(&L)"
end type

type cb_3 from commandbutton within w_ddyxsg_edit
integer x = 1265
integer y = 1044
integer width = 300
integer height = 92
integer taborder = 100
string text = "开口(&R)"
end type

type cb_4 from commandbutton within w_ddyxsg_edit
integer x = 1570
integer y = 1044
integer width = 300
integer height = 92
integer taborder = 110
string text = "闭口(&E)"
end type

type cb_writrfid from commandbutton within w_ddyxsg_edit
integer x = 1875
integer y = 1044
integer width = 200
integer height = 92
integer taborder = 120
string text = "写卡(&W)"
end type

type uo_1 from userobject within w_ddyxsg_edit
integer x = 1510
integer y = 812
integer width = 100
integer height = 80
integer taborder = 130
boolean visible = false
end type

type cbx_1 from checkbox within w_ddyxsg_edit
integer x = 9
integer y = 1148
integer width = 560
integer height = 72
integer taborder = 140
string text = "有重量即确定(&S)"
end type

type cbx_3 from checkbox within w_ddyxsg_edit
integer x = 580
integer y = 1148
integer width = 500
integer height = 72
integer taborder = 150
string text = "条码即确定(&H)"
end type

type cbx_addmode from checkbox within w_ddyxsg_edit
integer x = 9
integer y = 1228
integer width = 700
integer height = 72
integer taborder = 160
end type

type cbx_copyrecord from checkbox within w_ddyxsg_edit
integer x = 720
integer y = 1228
integer width = 600
integer height = 72
integer taborder = 170
end type

type uo_ok from u_okcancel within w_ddyxsg_edit
integer x = 1390
integer y = 1224
integer width = 320
integer height = 96
integer taborder = 180
string is_property = "caption=确定(&O);microhelp=确定;"
string is_sound = "start.wav"
end type

type uo_cancel from u_okcancel within w_ddyxsg_edit
integer x = 1730
integer y = 1224
integer width = 320
integer height = 96
integer taborder = 190
string is_property = "caption=取消(&C);microhelp=取消;"
end type
