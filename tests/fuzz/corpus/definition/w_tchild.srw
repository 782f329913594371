$PBExportHeader$w_tchild.srw
$PBExportComments$group 1795
global type w_tchild from w_tlist
string title = "子窗口"
end type

type dw_list from w_tlist`dw_list within w_tchild
integer x = 722
end type
