$PBExportHeader$w_09903.srw
forward
global type w_09903 from w_zr3lzb_items
end type
type tab_1 from w_zr3lzb_items`tab_1 within w_09903
end type
type dw_1 from w_zr3lzb_items`dw_1 within tabpage_1
end type
type dw_head from w_zr3lzb_items`dw_head within w_09903
end type
type dw_items from w_zr3lzb_items`dw_items within w_09903
end type
end forward

global type w_09903 from w_zr3lzb_items
end type
global w_09903 w_09903

type tab_1 from w_zr3lzb_items`tab_1 within w_09903
integer selectedtab = 2
end type

type dw_1 from w_zr3lzb_items`dw_1 within tabpage_1
end type

type dw_head from w_zr3lzb_items`dw_head within w_09903
string dataobject = "d_016031"
end type

type dw_items from w_zr3lzb_items`dw_items within w_09903
string dataobject = "d_0160321"
end type
