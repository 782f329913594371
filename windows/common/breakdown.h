// The colour-size breakdown lists w_01610 and w_01603, one design under two
// names: beside the item list, the "分色分码" page shows the breakdown of the
// item in the list's current row, read only.
#pragma once

#include <string>

#include "formhost/functions.h"
#include "grid_setup.h"
#include "zrrt/script.h"

namespace breakdown {

using fh::Value;

// Sets up the page and its grid; each line is one statement.
inline zr::Answer preopen(zr::Script& s) {
  const Value yes = Value::of_bool(true), no = Value::of_bool(false);
  const zr::Handle tabpage_1 = s.control("tab_1").control("tabpage_1");
  const zr::Handle dw_1 = tabpage_1.control("dw_1");
  tabpage_1.set("visible", yes);
  tabpage_1.set("text", Value::of_string("分色分码"));
  dw_1.set("dataobject", Value::of_string("d_05266v"));
  dw_1.raise("of_settransobject", {s.sqlca_object()});
  dw_1.raise("of_setupdateable", {no});
  dw_1.raise("of_setlinkage", {yes});
  const zr::Handle linkage = s.object(dw_1.get("inv_linkage"));
  linkage.raise("of_setmaster", {s.control("dw_items").as_value()});
  linkage.raise("of_register", {Value::of_string("td2jid"), Value::of_string("td2jid")});
  linkage.raise("of_setstyle", {Value::of_integer(2)});
  linkage.raise("of_setupdateonrowchange", {no});
  linkage.raise("of_setconfirmonrowchange", {no});
  dw_1.raise("of_setprintpreview", {yes});
  dw_1.raise("of_setrowselect", {no});
  dw_1.raise("of_setfind", {yes});
  dw_1.raise("of_setsort", {yes});
  dw_1.raise("of_setfilter", {yes});
  if (const zr::Handle sort = s.object(dw_1.get("inv_sort"))) {
    sort.raise("of_setcolumnheader", {yes});
    sort.raise("of_setcolumnnamesource", {Value::of_integer(2)});
    sort.raise("of_setstyle", {Value::of_integer(3)});
  }
  if (const zr::Handle filter = s.object(dw_1.get("inv_filter"))) {
    filter.raise("of_setcolumnnamesource", {Value::of_integer(2)});
    filter.raise("of_setstyle", {Value::of_integer(2)});
  }
  dw_1.raise("of_setrowselect", {yes});
  s.object(dw_1.get("inv_rowselect")).raise("of_setstyle", {Value::of_integer(2)});
  if (fh::Integer(dw_1.describe("DataWindow.Processing")) == 1) {
    dw_1.modify_expression("DataWindow.Header.Color='" + std::to_string(grids::kHeader) + "'");
    dw_1.raise("of_setrowcolor", {yes});
    s.object(dw_1.get("inv_rowcolor"))
        .raise("of_register",
               {dw_1.as_value(), Value::of_long(grids::kOddRows),
                Value::of_long(grids::kBackground), Value::of_long(grids::kCurrentRow)});
  }
  dw_1.raise("wf_setclicksort", {yes});
  dw_1.modify_expression("DataWindow.Color = '" + std::to_string(grids::kBackground) + "'");
  dw_1.set("hscrollbar", yes);
  tabpage_1.set("picturename", Value::of_string("items.ico"));
  return {};
}

// The breakdown page is the one shown when the window has opened.
inline zr::Answer postopen(zr::Script& s) {
  s.control("tab_1").select_tab(1);
  return {};
}

}  // namespace breakdown
