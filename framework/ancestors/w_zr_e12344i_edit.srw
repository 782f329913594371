$PBExportHeader$w_zr_e12344i_edit.srw
forward
global type w_zr_e12344i_edit from w_zredit
end type
type dw_maint from u_dw within w_zr_e12344i_edit
end type
type dw_head from u_dw within w_zr_e12344i_edit
end type
type dw_items from u_dw within w_zr_e12344i_edit
end type
type dw_xm from u_dw within w_zr_e12344i_edit
end type
type dw_xz from u_dw within w_zr_e12344i_edit
end type
type dw_1 from u_dw within w_zr_e12344i_edit
end type
type dw_2 from u_dw within w_zr_e12344i_edit
end type
type dw_writrfid from u_dw within w_zr_e12344i_edit
end type
type st_comm from statictext within w_zr_e12344i_edit
end type
type sle_comm from singlelineedit within w_zr_e12344i_edit
end type
type st_commsettings from statictext within w_zr_e12344i_edit
end type
type sle_commsettings from singlelineedit within w_zr_e12344i_edit
end type
type cb_1 from commandbutton within w_zr_e12344i_edit
end type
type cb_3 from commandbutton within w_zr_e12344i_edit
end type
type cb_4 from commandbutton within w_zr_e12344i_edit
end type
type sle_1 from singlelineedit within w_zr_e12344i_edit
end type
type uo_1 from userobject within w_zr_e12344i_edit
end type
type cb_2 from commandbutton within w_zr_e12344i_edit
end type
type cb_5 from commandbutton within w_zr_e12344i_edit
end type
type cb_6 from commandbutton within w_zr_e12344i_edit
end type
type cb_7 from commandbutton within w_zr_e12344i_edit
end type
type cb_8 from commandbutton within w_zr_e12344i_edit
end type
type cb_9 from commandbutton within w_zr_e12344i_edit
end type
type cb_x from commandbutton within w_zr_e12344i_edit
end type
type cb_wtok from commandbutton within w_zr_e12344i_edit
end type
type cb_writrfid from commandbutton within w_zr_e12344i_edit
end type
type cbx_1 from checkbox within w_zr_e12344i_edit
end type
type cbx_2 from checkbox within w_zr_e12344i_edit
end type
type cbx_addmode from checkbox within w_zr_e12344i_edit
end type
type cbx_copyrecord from checkbox within w_zr_e12344i_edit
end type
type uo_ok from u_okcancel within w_zr_e12344i_edit
end type
type uo_cancel from u_okcancel within w_zr_e12344i_edit
end type
end forward

global type w_zr_e12344i_edit from w_zredit
integer width = 2100
integer height = 1600
boolean titlebar = true
boolean controlmenu = true
windowtype windowtype = response!
end type
global w_zr_e12344i_edit w_zr_e12344i_edit

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

type dw_maint from u_dw within w_zr_e12344i_edit
integer x = 0
integer y = 0
integer width = 1300
integer height = 760
integer taborder = 10
string dataobject = "d_013204i_edit"
end type

type dw_head from u_dw within w_zr_e12344i_edit
integer x = 1310
integer y = 0
integer width = 760
integer height = 240
integer taborder = 20
string dataobject = "d_013201"
end type

type dw_items from u_dw within w_zr_e12344i_edit
integer x = 1310
integer y = 248
integer width = 760
integer height = 512
integer taborder = 30
string dataobject = "d_sp_050620"
end type

type dw_xm from u_dw within w_zr_e12344i_edit
integer x = 0
integer y = 768
integer width = 1000
integer height = 260
integer taborder = 40
string dataobject = "d_zr_e12344i_edit_xm"
end type

type dw_xz from u_dw within w_zr_e12344i_edit
integer x = 1010
integer y = 768
integer width = 1060
integer height = 260
integer taborder = 50
string dataobject = "d_zr_e12344i_edit_xz"
end type

type dw_1 from u_dw within w_zr_e12344i_edit
integer x = 1310
integer y = 248
integer width = 760
integer height = 512
integer taborder = 60
boolean visible = false
string dataobject = "d_zr_e12344a_edit_xm"
end type

type dw_2 from u_dw within w_zr_e12344i_edit
integer x = 0
integer y = 768
integer width = 1000
integer height = 260
integer taborder = 70
boolean visible = false
end type

type dw_writrfid from u_dw within w_zr_e12344i_edit
integer x = 1010
integer y = 768
integer width = 1060
integer height = 260
integer taborder = 80
boolean visible = false
end type

type st_comm from statictext within w_zr_e12344i_edit
integer x = 9
integer y = 1052
integer width = 160
integer height = 64
string text = "串口:"
end type

type sle_comm from singlelineedit within w_zr_e12344i_edit
integer x = 174
integer y = 1040
integer width = 200
integer height = 84
integer taborder = 90
string text = "1"
end type

type st_commsettings from statictext within w_zr_e12344i_edit
integer x = 384
integer y = 1052
integer width = 160
integer height = 64
string text = "参数:"
end type

type sle_commsettings from singlelineedit within w_zr_e12344i_edit
integer x = 549
integer y = 1040
integer width = 400
integer height = 84
integer taborder = 100
string text = "9600,n,8,1"
end type

type cb_1 from commandbutton within w_zr_e12344i_edit
integer x = 960
integer y = 1036
integer width = 300
integer height = 92
integer taborder = 110
string text = "端口设置"
end type

type cb_3 from commandbutton within w_zr_e12344i_edit
integer x = 1265
integer y = 1036
integer width = 300
integer height = 92
integer taborder = 120
string text = "打开端口"
end type

type cb_4 from commandbutton within w_zr_e12344i_edit
integer x = 1570
integer y = 1036
integer width = 300
integer height = 92
integer taborder = 130
string text = "关闭端口"
end type

type sle_1 from singlelineedit within w_zr_e12344i_edit
integer x = 1875
integer y = 1040
integer width = 195
integer height = 84
integer taborder = 140
end type

type uo_1 from userobject within w_zr_e12344i_edit
integer x = 1875
integer y = 1040
integer width = 100
integer height = 84
integer taborder = 150
boolean visible = false
end type

type cb_2 from commandbutton within w_zr_e12344i_edit
integer x = 9
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 160
string text = "超重"
end type

type cb_5 from commandbutton within w_zr_e12344i_edit
integer x = 354
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 170
string text = "超轻"
end type

type cb_6 from commandbutton within w_zr_e12344i_edit
integer x = 699
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 180
string text = "读采集器"
end type

type cb_7 from commandbutton within w_zr_e12344i_edit
integer x = 1044
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 190
string text = "将条码保存"
end type

type cb_8 from commandbutton within w_zr_e12344i_edit
integer x = 1389
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 200
string text = "选结果录(Q)"
end type

type cb_9 from commandbutton within w_zr_e12344i_edit
integer x = 1734
integer y = 1136
integer width = 340
integer height = 92
integer taborder = 210
string text = "按帐户号保存(D)"
end type

type cb_x from commandbutton within w_zr_e12344i_edit
integer x = 9
integer y = 1232
integer width = 340
integer height = 92
integer taborder = 220
end type

type cb_wtok from commandbutton within w_zr_e12344i_edit
integer x = 354
integer y = 1232
integer width = 340
integer height = 92
integer taborder = 230
end type

type cb_writrfid from commandbutton within w_zr_e12344i_edit
integer x = 699
integer y = 1232
integer width = 340
integer height = 92
integer taborder = 240
string text = "写卡(&W)"
end type

type cbx_1 from checkbox within w_zr_e12344i_edit
integer x = 1050
integer y = 1244
integer width = 1000
integer height = 72
integer taborder = 250
string text = "录入条码后立定(&J)"
end type

type cbx_2 from checkbox within w_zr_e12344i_edit
integer x = 9
integer y = 1332
integer width = 1000
integer height = 72
integer taborder = 260
string text = "录入条码後有重量即确定(&S)"
end type

type cbx_addmode from checkbox within w_zr_e12344i_edit
integer x = 1050
integer y = 1332
integer width = 1000
integer height = 72
integer taborder = 270
string text = "连续增加多条记录不复制(&L)"
end type

type cbx_copyrecord from checkbox within w_zr_e12344i_edit
integer x = 9
integer y = 1412
integer width = 1000
integer height = 72
integer taborder = 280
string text = "从当前记录复制加快输入(&B)"
end type

type uo_ok from u_okcancel within w_zr_e12344i_edit
integer x = 1390
integer y = 1412
integer width = 320
integer height = 96
integer taborder = 290
string is_property = "caption=确定(&O);microhelp=确定;"
string is_sound = "start.wav"
end type

type uo_cancel from u_okcancel within w_zr_e12344i_edit
integer x = 1730
integer y = 1412
integer width = 320
integer height = 96
integer taborder = 300
string is_property = "caption=取消(&C);microhelp=取消;"
end type
