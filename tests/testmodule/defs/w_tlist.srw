$PBExportHeader$w_tlist.srw
global type w_tlist from window
integer width = 3200
integer height = 1800
string title = "列表"
end type

type variables
string is_retrieve_open = "retrieve"
long il_count
boolean ib_flag = true
string ls_keys[3]
end variables

type dw_list from u_tdw within w_tlist
integer x = 10
integer width = 1000
string dataobject = "d_edit"
end type

type cb_ok from commandbutton within w_tlist
string text = "确定(&O)"
end type
