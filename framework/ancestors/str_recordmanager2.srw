$PBExportHeader$str_recordmanager2.srw
// What a record window hands to a line editor: the grid of lines, a second
// grid, the mode, a fifth parameter and whether to add several lines in a row.
forward
global type str_recordmanager2 from structure
end type
end forward

global type str_recordmanager2 from structure
end type
global str_recordmanager2 str_recordmanager2

type variables
u_dw dw_desc
u_dw dw_desc3
string a_retrieveparm1
string a_retrieveparm5
integer i_addmode
end variables
