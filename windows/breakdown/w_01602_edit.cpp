// w_01602_edit: a staff record; a key the table holds loads that record (see staff.h).
#include "../common/staff.h"
#include "zr_group_w_01602_edit.h"

ZR_EVENT(w_01602_edit, of_set_je) { return {}; }

ZR_EVENT(w_01602_edit, of_get_spghid) { return staff::get_spghid(s); }

ZR_EVENT(w_01602_edit, dw_maint, constructor) { return staff::edit_constructor(s); }

ZR_EVENT(w_01602_edit, uo_ok, losefocus) { return staff::ok_losefocus(s); }

ZR_REGISTER(w_01602_edit)
