// w_01617: a staff list (see staff.h).
#define ZR_SCRIPTS_CREATE
#define ZR_SCRIPTS_DESTROY
#include "../common/staff.h"
#include "zr_group_w_01617.h"

ZR_EVENT(w_01617, create) { return staff::create_message(s, "w_01617`message_1"); }

ZR_EVENT(w_01617, destroy) { return staff::destroy_message(s); }

ZR_EVENT(w_01617, message_1, create) { return staff::message_create(s); }

ZR_EVENT(w_01617, message_1, destroy) { return staff::message_destroy(s); }

ZR_EVENT(w_01617, pfc_preopen) { return staff::list_preopen(s); }

ZR_EVENT(w_01617, st_hsplit, constructor) { return staff::register_splitbar(s, 1, 2); }

ZR_EVENT(w_01617, st_1, constructor) { return staff::register_splitbar(s, 3, 4); }

ZR_EVENT(w_01617, dw_items, constructor) { return staff::list_constructor(s); }

ZR_REGISTER(w_01617)
