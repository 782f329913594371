$PBExportHeader$w_tgplain.srw
$PBExportComments$group 1802
forward
global type w_tgplain from w_tgbase
end type
end forward

global type w_tgplain from w_tgbase
integer width = 1200
end type
global w_tgplain w_tgplain
