// w_01640: the attendance list, read only; its five columns share every change
// of the list's width 20 : 30 : 10 : 20 : 20.
#include "zr_group_w_01640.h"

ZR_EVENT(w_01640, open) {
  const zr::Handle w = s.window();
  w.set("is_edit", Value::of_string("no"));
  w.set("is_delete", Value::of_string("no"));
  w.set("is_add", Value::of_string("no"));
  return {};
}

ZR_EVENT(w_01640, dw_items, constructor) {
  const zr::Handle dw_items = s.me();
  dw_items.raise("of_settransobject", {s.sqlca_object()});
  dw_items.raise("of_setresize", {Value::of_bool(true)});
  const zr::Handle resize = s.object(dw_items.get("inv_resize"));
  const Value zero = Value::of_long(0);
  resize.raise("of_register",
               {Value::of_string("zr_vyskq_bh"), zero, zero, Value::of_long(20), zero});
  resize.raise("of_register",
               {Value::of_string("zr_vyskq_bh2"), zero, zero, Value::of_long(30), zero});
  resize.raise("of_register",
               {Value::of_string("zr_vyskq_sj"), zero, zero, Value::of_long(10), zero});
  resize.raise("of_register",
               {Value::of_string("zr_vyskq_wksj"), zero, zero, Value::of_long(20), zero});
  resize.raise("of_register",
               {Value::of_string("zr_vyskq_wkrq"), zero, zero, Value::of_long(20), zero});
  return {};
}

ZR_REGISTER(w_01640)
