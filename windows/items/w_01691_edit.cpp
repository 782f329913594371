// w_01691_edit: the item editor. A new record takes the configured captions;
// a save keeps four values of the record in window variables.
#include <array>
#include <string>

#include "captions.h"
#include "formhost/functions.h"
#include "formhost/object.h"
#include "zr_classes_w_01691_edit.h"
#include "zrrt/registration.h"

using fh::Value;
using items::configured;
using items::two_digits;

// clang-format off
#define ZR_GROUP ZR_GROUP_w_01691_edit
ZR_WINDOW(w_01691_edit, ZR_CLASSES_w_01691_edit)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY_w_01691_edit()

// Nothing to do when zrztpz changes.
ZR_SCRIPT(32770, 32769, 217, "of_get_zrztpz", FH_RESULT_NONE, kOverrides) { return {}; }

#define DW_MAINT ZR_CLASS_w_01691_edit_dw_maint
#define DW_MAINT_ANCESTOR ZR_ANCESTOR_w_01691_edit_dw_maint

ZR_SCRIPT(DW_MAINT, DW_MAINT_ANCESTOR, 447, "pfc_insertrow", FH_RESULT_LONG, kExtends) {
  std::array<Value, 16> captions;
  captions.fill(Value::of_string(""));
  s.select_into(items::kCaptionSelect, {}, captions);
  for (int n = 1; n <= 16; ++n) {
    const Value& caption = captions[static_cast<std::size_t>(n - 1)];
    if (!configured(caption)) continue;
    s.step([&] {
      fh::Object& dw_maint = s.control(s.parent_window(), "dw_maint");
      s.set_item(dw_maint, s.get_row(dw_maint), "hctj" + two_digits(n), caption);
    });
  }
  return 1;
}

ZR_SCRIPT(DW_MAINT, DW_MAINT_ANCESTOR, 63, "itemchanged", FH_RESULT_LONG, kExtends) {
  Value name;
  s.step([&] { name = fh::String(s.object(s.arg(1)).get("name")); });
  if (fh::is_true(fh::eq(name, Value::of_string("zrztpz")))) {
    s.step([&] { s.raise(s.parent_window(), "of_get_zrztpz"); });
  }
  return {};
}

ZR_SCRIPT(DW_MAINT, DW_MAINT_ANCESTOR, 492, "pfc_preupdate", FH_RESULT_INTEGER, kExtends) {
  auto current = [&](const char* column) {
    fh::Object& dw_maint = s.control(s.parent_window(), "dw_maint");
    return s.get_item(dw_maint, s.get_row(dw_maint), column);
  };
  s.step([&] { s.set(s.parent_window(), fh::element_name("lls", 3), fh::String(current("f7bz03"))); });
  s.step([&] { s.set(s.parent_window(), fh::element_name("lls", 1), fh::String(current("f7bz01"))); });
  s.step([&] { s.set(s.parent_window(), fh::element_name("lls", 7), fh::String(current("f7bz07"))); });
  s.step([&] { s.set(s.parent_window(), "lltjgdid", fh::Long(current("tjgdid"))); });
  return Value::of_integer(1);
}

ZR_SCRIPT(DW_MAINT, DW_MAINT_ANCESTOR, 488, "pfc_postupdate", FH_RESULT_INTEGER, kExtends) {
  return Value::of_integer(1);
}

ZR_REGISTER(w_01691_edit)
// clang-format on
