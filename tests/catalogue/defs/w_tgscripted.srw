$PBExportHeader$w_tgscripted.srw
$PBExportComments$group 1801
forward
global type w_tgscripted from w_tgbase
end type
type cb_go from w_tgbase`cb_go within w_tgscripted
end type
type cb_stop from commandbutton within w_tgscripted
end type
end forward

global type w_tgscripted from w_tgbase
end type
global w_tgscripted w_tgscripted

type cb_go from w_tgbase`cb_go within w_tgscripted
string text = "Start"
end type

type cb_stop from commandbutton within w_tgscripted
string text = "Stop"
end type
