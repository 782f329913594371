$PBExportHeader$w_09904.srw
forward
global type w_09904 from w_01602
end type
type message_1 from w_01602`message_1 within w_09904
end type
end forward

global type w_09904 from w_01602
end type
global w_09904 w_09904

type message_1 from w_01602`message_1 within w_09904
end type
