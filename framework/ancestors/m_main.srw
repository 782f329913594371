$PBExportHeader$m_main.srw
// The list windows' menu: each item asks the window for one operation.
forward
global type m_main from menu
end type
type m_add from menu within m_main
end type
type m_edit from menu within m_main
end type
type m_delete from menu within m_main
end type
type m_retrieve from menu within m_main
end type
type m_save from menu within m_main
end type
type m_close from menu within m_main
end type
type m_windows from menu within m_main
end type
end forward

global type m_main from menu
end type
global m_main m_main

type m_add from menu within m_main
string text = "增加(&A)"
string microhelp = "增加一条记录"
end type

type m_edit from menu within m_main
string text = "修改(&E)"
string microhelp = "修改当前记录"
end type

type m_delete from menu within m_main
string text = "删除(&D)"
string microhelp = "删除当前记录"
end type

type m_retrieve from menu within m_main
string text = "刷新(&R)"
string microhelp = "重新读取数据"
end type

type m_save from menu within m_main
string text = "保存(&S)"
string microhelp = "保存修改"
end type

type m_close from menu within m_main
string text = "关闭(&C)"
string microhelp = "关闭窗口"
end type

type m_windows from menu within m_main
string text = "窗口(&W)"
string microhelp = "打开本模块的列表窗口"
end type
