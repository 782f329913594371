$PBExportHeader$str_recordmanager2.srw
// What a record window hands to a line editor: the grid of lines, the record's
// form, the mode ("add"/"edit", and as i_addmode 1/2) and a fifth parameter.
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
any a_retrieveparm1
any a_retrieveparm5
long i_addmode
end variables
