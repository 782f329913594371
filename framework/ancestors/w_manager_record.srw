$PBExportHeader$w_manager_record.srw
forward
global type w_manager_record from w_zredit
end type
type dw_maint from u_dw within w_manager_record
end type
type dw_writrfid from u_dw within w_manager_record
end type
type cbx_addmode from checkbox within w_manager_record
end type
type cbx_copyrecord from checkbox within w_manager_record
end type
type cb_writrfid from commandbutton within w_manager_record
end type
type uo_ok from u_okcancel within w_manager_record
end type
type uo_cancel from u_okcancel within w_manager_record
end type
end forward

global type w_manager_record from w_zredit
integer width = 2100
integer height = 1560
boolean titlebar = true
boolean controlmenu = true
windowtype windowtype = response!
end type
global w_manager_record w_manager_record

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

type dw_maint from u_dw within w_manager_record
integer x = 9
integer y = 8
integer width = 2039
integer height = 1040
integer taborder = 10
end type

type dw_writrfid from u_dw within w_manager_record
integer x = 1390
integer y = 1060
integer width = 658
integer height = 192
integer taborder = 200
boolean visible = false
end type

type cbx_addmode from checkbox within w_manager_record
integer x = 18
integer y = 1268
integer width = 1000
integer height = 72
integer taborder = 20
string text = "需要连续增加多条记录(&A)"
end type

type cbx_copyrecord from checkbox within w_manager_record
integer x = 18
integer y = 1348
integer width = 1100
integer height = 72
integer taborder = 30
string text = "从当前记录复制以加快输入速度(&B)"
end type

type cb_writrfid from commandbutton within w_manager_record
integer x = 1157
integer y = 1264
integer width = 402
integer height = 96
integer taborder = 40
string text = "写卡(&W)"
end type

type uo_ok from u_okcancel within w_manager_record
integer x = 1600
integer y = 1264
integer width = 402
integer height = 96
integer taborder = 60
string is_property = "caption=确定(&O);microhelp=确定;"
string is_sound = "start.wav"
end type

type uo_cancel from u_okcancel within w_manager_record
integer x = 1600
integer y = 1364
integer width = 402
integer height = 96
integer taborder = 70
string is_property = "caption=取消(&C);microhelp=取消;"
end type
