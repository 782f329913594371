// w_01675: a read-only list with the tab area below ("2LH"), retrieved up to
// an end date; xzmc takes every change of the list's width.
#include "zr_group_w_01675.h"

ZR_EVENT(w_01675, pfc_preopen) {
  const zr::Handle w = s.window();
  w.set("is_tab_1_postion", Value::of_string("2LH"));
  w.set("is_delete", Value::of_string("no"));
  w.set("is_add", Value::of_string("no"));
  w.set("is_edit", Value::of_string("no"));
  w.set("is_retrieve_type", Value::of_string("dateend"));
  return {};
}

ZR_EVENT(w_01675, dw_items, constructor) {
  const zr::Handle dw_items = s.me();
  dw_items.raise("of_setmultitable", {Value::of_bool(true)});
  dw_items.raise("of_setresize", {Value::of_bool(true)});
  const zr::Handle resize = s.object(dw_items.get("inv_resize"));
  const Value zero = Value::of_long(0);
  resize.raise("of_register", {Value::of_string("xzmc"), zero, zero, Value::of_long(100), zero});
  return {};
}

ZR_REGISTER(w_01675)
