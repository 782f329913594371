$PBExportHeader$w_tmain.srw
$PBExportComments$group 1797
global type w_tmain from window
string title = "主窗口"
end type

type cb_ask from commandbutton within w_tmain
string text = "问(&A)"
boolean enabled = true
end type

type dw_edit from u_tdw within w_tmain
string dataobject = "d_edit"
end type
