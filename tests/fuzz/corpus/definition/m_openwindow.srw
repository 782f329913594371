$PBExportHeader$m_openwindow.srw
// A menu item that opens the list window named in is_window.
forward
global type m_openwindow from menu
end type
end forward

global type m_openwindow from menu
end type
global m_openwindow m_openwindow

type variables
string is_window
end variables
