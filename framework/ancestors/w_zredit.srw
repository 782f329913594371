$PBExportHeader$w_zredit.srw
// The record editors' common ancestor: the record manager structure, add and
// edit modes, OK/Cancel, the add-several-records cycle, card writing.
forward
global type w_zredit from window
end type
end forward

global type w_zredit from window
integer width = 2100
integer height = 1560
boolean titlebar = true
boolean controlmenu = true
windowtype windowtype = response!
end type
global w_zredit w_zredit

type variables
str_recordmanager istr_recordmanager
str_recordmanager2 istr_recordmanager2
string is_idcolname
string is_tablename
string is_adwc_obj_retrieve = "yes"
boolean ib_rfid = true
string is_cdadid
string is_zropic
string is_mode
string is_openkey
string is_msgtitle = "警告"
string is_msgtext = "有错，不能继续，请纠正再试"
boolean ib_disableclosequery
end variables
