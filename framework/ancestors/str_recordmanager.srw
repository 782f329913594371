$PBExportHeader$str_recordmanager.srw
// What a list hands to the edit window it opens (a line editor gets its
// str_recordmanager2's mode and fifth parameter here too).
forward
global type str_recordmanager from structure
end type
end forward

global type str_recordmanager from structure
end type
global str_recordmanager str_recordmanager

type variables
u_dw dw_desc
string a_retrieveparm1
string a_retrieveparm2
string a_retrieveparm3
any a_retrieveparm5
end variables
