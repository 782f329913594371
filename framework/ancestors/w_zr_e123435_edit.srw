$PBExportHeader$w_zr_e123435_edit.srw
forward
global type w_zr_e123435_edit from w_zredit
end type
type dw_maint from u_dw within w_zr_e123435_edit
end type
type dw_fm from u_dw within w_zr_e123435_edit
end type
type dw_fs from u_dw within w_zr_e123435_edit
end type
type dw_writrfid from u_dw within w_zr_e123435_edit
end type
type cb_writrfid from commandbutton within w_zr_e123435_edit
end type
type cbx_2 from checkbox within w_zr_e123435_edit
end type
type cbx_addmode from checkbox within w_zr_e123435_edit
end type
type cbx_copyrecord from checkbox within w_zr_e123435_edit
end type
type cbx_copyrecord2 from checkbox within w_zr_e123435_edit
end type
type uo_ok from u_okcancel within w_zr_e123435_edit
end type
type uo_cancel from u_okcancel within w_zr_e123435_edit
end type
type dw_1 from u_dw within w_zr_e123435_edit
end type
type dw_sjldbh from u_dw within w_zr_e123435_edit
end type
end forward

global type w_zr_e123435_edit from w_zredit
integer width = 2100
integer height = 1400
boolean titlebar = true
boolean controlmenu = true
windowtype windowtype = response!
end type
global w_zr_e123435_edit w_zr_e123435_edit

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

type dw_maint from u_dw within w_zr_e123435_edit
integer x = 9
integer y = 8
integer width = 2039
integer height = 800
integer taborder = 10
string dataobject = "d_001033a_edit"
end type

type dw_fm from u_dw within w_zr_e123435_edit
integer x = 9
integer y = 816
integer width = 1015
integer height = 260
integer taborder = 20
string dataobject = "d_sp_05062fm"
end type

type dw_fs from u_dw within w_zr_e123435_edit
integer x = 1033
integer y = 816
integer width = 1015
integer height = 260
integer taborder = 30
string dataobject = "d_sp_050620"
end type

type dw_writrfid from u_dw within w_zr_e123435_edit
integer x = 1033
integer y = 816
integer width = 1015
integer height = 260
integer taborder = 40
boolean visible = false
end type

type cb_writrfid from commandbutton within w_zr_e123435_edit
integer x = 1300
integer y = 1100
integer width = 340
integer height = 92
integer taborder = 50
string text = "写卡(&W)"
end type

type cbx_2 from checkbox within w_zr_e123435_edit
integer x = 18
integer y = 1100
integer width = 700
integer height = 72
integer taborder = 60
string text = "录入条码后立定(&J)"
end type

type cbx_addmode from checkbox within w_zr_e123435_edit
integer x = 18
integer y = 1180
integer width = 800
integer height = 72
integer taborder = 70
string text = "需要连续增加多条记录(&L)"
end type

type cbx_copyrecord from checkbox within w_zr_e123435_edit
integer x = 18
integer y = 1260
integer width = 600
integer height = 72
integer taborder = 80
end type

type cbx_copyrecord2 from checkbox within w_zr_e123435_edit
integer x = 630
integer y = 1260
integer width = 600
integer height = 72
integer taborder = 90
end type

type uo_ok from u_okcancel within w_zr_e123435_edit
integer x = 1300
integer y = 1200
integer width = 320
integer height = 96
integer taborder = 100
string is_property = "caption=确定(&O);microhelp=确定;"
string is_sound = "start.wav"
end type

type uo_cancel from u_okcancel within w_zr_e123435_edit
integer x = 1640
integer y = 1200
integer width = 320
integer height = 96
integer taborder = 110
string is_property = "caption=取消(&C);microhelp=取消;"
end type

type dw_1 from u_dw within w_zr_e123435_edit
integer x = 1033
integer y = 816
integer width = 1015
integer height = 260
integer taborder = 120
boolean visible = false
end type

type dw_sjldbh from u_dw within w_zr_e123435_edit
integer x = 9
integer y = 816
integer width = 1015
integer height = 260
integer taborder = 130
boolean visible = false
end type
