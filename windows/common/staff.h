// The staff windows' shared scripts: the lists w_01602 and w_01617 and their
// editors w_01602_edit and w_01617_edit are one design under two names each.
#pragma once

#include <cstdint>
#include <string_view>

#include "grid_setup.h"
#include "zrrt/registration.h"
#include "zrrt/script.h"

namespace staff {

using fh::Value;

inline constexpr std::int32_t kBarColor = grids::rgb(192, 192, 192);

// The list retrieves on open and offers neither adding nor deleting.
inline Value list_preopen(zr::Script& s) {
  const zr::Handle w = s.window();
  w.set("is_retrieve_open", Value::of_string("retrieve"));
  w.set("is_add", Value::of_string("no"));
  w.set("is_delete", Value::of_string("no"));
  return {};
}

// message_1 lives as long as the window.
inline Value create_message(zr::Script& s, std::string_view message_class) {
  s.window().set("message_1", s.create(message_class).as_value());
  return {};
}

// The menu goes first, then message_1.
inline Value destroy_message(zr::Script& s) {
  zr::generated_list_destroy(s);
  const zr::Handle message = s.object(s.window().get("message_1"));
  if (message) s.destroy(message);
  return {};
}

inline Value message_create(zr::Script& s) {
  s.me().raise("constructor");
  return {};
}

inline Value message_destroy(zr::Script& s) {
  s.me().raise("destructor");
  return {};
}

// The list lies on the first side of the bar, the tab control on the second.
inline Value register_splitbar(zr::Script& s, std::int32_t list_side, std::int32_t tab_side) {
  const zr::Handle bar = s.me();
  const zr::Handle w = s.window();
  bar.raise("of_register", {w.control("dw_items").as_value(), Value::of_long(list_side)});
  bar.raise("of_register", {w.control("tab_1").as_value(), Value::of_long(tab_side)});
  bar.raise("of_setbarcolor", {Value::of_long(kBarColor)});
  return {};
}

// filepath takes the whole change of the list's width.
inline Value list_constructor(zr::Script& s) {
  const zr::Handle dw_items = s.me();
  dw_items.raise("of_setresize", {Value::of_bool(true)});
  s.object(dw_items.get("inv_resize"))
      .raise("of_register", {Value::of_string("filepath"), Value::of_long(0), Value::of_long(0),
                             Value::of_long(100), Value::of_long(0)});
  return {};
}

inline Value edit_constructor(zr::Script& s) {
  const zr::Handle w = s.window();
  w.set("is_idcolname", Value::of_string("dictrecitype_recitypeid"));
  w.set("is_tablename", Value::of_string("dictrecitype"));
  return {};
}

// A key the table holds loads its record; an unknown one leaves the form as
// typed. Either way the cursor goes on to the name.
inline Value get_spghid(zr::Script& s) {
  const zr::Handle dw_maint = s.control("dw_maint");
  const Value key = fh::Long(dw_maint.get_item(dw_maint.get_row(), "tkaprid"));
  zr::Array<1> count{Value::of_long(0)};
  // A failed count keeps 0: the key is then taken as new.
  s.select_into("SELECT COUNT ( tkaprid ) FROM zrtaska_tkzdgg WHERE tkaprid = :ll_id", {key},
                count);
  if (count[1] == 0) {
    dw_maint.set_column("tkaprmc");
    return {};
  }
  dw_maint.retrieve({key});
  dw_maint.set_column("tkaprmc");
  const long row = dw_maint.get_row();
  dw_maint.set_item(row, "tkaprnt", dw_maint.get_item(row, "tkaprnt") + 0);
  return {};
}

// In add mode the list's related data windows are reset; a list without the
// event is left alone.
inline Value ok_losefocus(zr::Script& s) {
  if (s.control("cbx_addmode").get("checked") == Value::of_bool(true)) {
    const zr::Handle list = s.object(s.object(s.window().get("istr_recordmanager")).get("dw_desc"));
    if (list->cls().find_event("ue_resetreladw") != nullptr) list.raise("ue_resetreladw");
  }
  return {};
}

}  // namespace staff
