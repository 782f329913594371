// The constructor every grid of its own that a window declares runs: the
// framework's services for a grid beside the window's record, the
// application's colours and, for grid presentations, alternating row colours.
#pragma once

#include <cstdint>
#include <string>

#include "formhost/functions.h"
#include "zrrt/script.h"

namespace grids {

using fh::Value;

// A Windows colour value, as the platform's RGB function makes it.
constexpr std::int32_t rgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return red + 256 * green + 65536 * blue;
}

inline constexpr std::int32_t kBackground = rgb(224, 231, 208);  // 13690848
inline constexpr std::int32_t kHeader = rgb(207, 207, 191);      // 12570575
inline constexpr std::int32_t kOddRows = rgb(239, 239, 223);
inline constexpr std::int32_t kCurrentRow = rgb(239, 216, 144);

// Runs after the ancestor's constructor; each line is one statement.
inline zr::Answer standard_setup(zr::Script& s) {
  const Value yes = Value::of_bool(true), no = Value::of_bool(false);
  const zr::Handle me = s.me();
  me.raise("of_setbase", {yes});
  me.raise("of_settransobject", {s.sqlca_object()});
  me.set("is_origselsql", Value::of_string(me.get_sql_select()));
  me.raise("of_setrowmanager", {yes});
  me.raise("of_setfind", {yes});
  me.raise("of_setrowselect", {yes});
  me.raise("of_setlinkage", {yes});
  s.object(me.get("inv_rowselect")).raise("of_setstyle", {Value::of_integer(2)});
  s.object(me.get("inv_rowmanager")).raise("of_setconfirmondelete", {no});
  me.raise("of_setupdateable", {no});
  me.modify_expression("DataWindow.Color = '" + std::to_string(kBackground) + "'");
  if (fh::Integer(me.describe("DataWindow.Processing")) == 1) {
    me.modify_expression("DataWindow.Header.Color='" + std::to_string(kHeader) + "'");
    me.raise("of_setrowcolor", {yes});
    s.object(me.get("inv_rowcolor"))
        .raise("of_register", {me.as_value(), Value::of_long(kOddRows), Value::of_long(kBackground),
                               Value::of_long(kCurrentRow)});
  }
  me.raise("wf_setclicksort", {yes});
  me.set_focus();
  return {};
}

}  // namespace grids
