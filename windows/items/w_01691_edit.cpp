// w_01691_edit: the item editor. A new record takes the configured captions;
// a save keeps four values of the record in window variables.
#include "captions.h"
#include "zr_group_w_01691_edit.h"

// Nothing to do when zrztpz changes.
ZR_EVENT(w_01691_edit, of_get_zrztpz) { return {}; }

ZR_EVENT(w_01691_edit, dw_maint, pfc_insertrow) {
  zr::Array<16> captions{""};
  s.select_into(items::kCaptionSelect, {}, captions);
  const zr::Handle dw_maint = s.control("dw_maint");
  for (int n = 1; n <= 16; ++n) {
    if (caption::configured(captions[n])) {
      dw_maint.set_item(dw_maint.get_row(), "hctj" + caption::two_digits(n), captions[n]);
    }
  }
  return 1;
}

ZR_EVENT(w_01691_edit, dw_maint, itemchanged) {
  const Value name = fh::String(s.object(s.arg(1)).get("name"));
  if (name == "zrztpz") s.window().raise("of_get_zrztpz");
  return {};
}

ZR_EVENT(w_01691_edit, dw_maint, pfc_preupdate) {
  const zr::Handle w = s.window();
  const zr::Handle dw_maint = s.control("dw_maint");
  const long row = dw_maint.get_row();
  w.set("lls", 3, fh::String(dw_maint.get_item(row, "f7bz03")));
  w.set("lls", 1, fh::String(dw_maint.get_item(row, "f7bz01")));
  w.set("lls", 7, fh::String(dw_maint.get_item(row, "f7bz07")));
  w.set("lltjgdid", fh::Long(dw_maint.get_item(row, "tjgdid")));
  return Value::of_integer(1);
}

ZR_EVENT(w_01691_edit, dw_maint, pfc_postupdate) { return Value::of_integer(1); }

ZR_REGISTER(w_01691_edit)
