// w_01638_edit: one progress entry, found by its order code. The code the
// operator enters is looked up in zr_ddmcic and its latest entry loaded; OK
// is enabled only once a record was loaded for the code.
#include "../common/grid_setup.h"
#include "zr_group_w_01638_edit.h"

namespace {

// ib_save, copied into the OK control.
void allow_ok(zr::Script& s, bool allowed) {
  s.window().set("ib_save", Value::of_bool(allowed));
  s.control("uo_ok").set("enabled", s.window().get("ib_save"));
}

// zrztpz written back as its own value plus 0, as the form expects.
void touch_state(const zr::Handle& dw_maint) {
  const long row = dw_maint.get_row();
  dw_maint.set_item(row, "zrztpz", dw_maint.get_item(row, "zrztpz") + 0);
}

zr::Handle record_manager(zr::Script& s) { return s.object(s.window().get("istr_recordmanager")); }

}  // namespace

ZR_EVENT(w_01638_edit, of_set_je) { return {}; }

ZR_EVENT(w_01638_edit, of_get_spghid) {
  const zr::Handle w = s.window();
  const zr::Handle dw_maint = s.control("dw_maint");
  allow_ok(s, false);
  w.set("is_icddbh", fh::String(dw_maint.get_item(dw_maint.get_row(), "icddbh")));
  const Value code = w.get("is_icddbh");
  // A null code goes on to the count, which finds nothing.
  if (code == "" || code == "ZR") return {};
  zr::Array<1> count{w.get("il_cnt1")};
  s.select_into("select count(zr_ddmcic.icddbh) from zr_ddmcic where zr_ddmcic.icddbh = :is_icddbh",
                {code}, count);
  w.set("il_cnt1", count[1]);
  if (w.get("il_cnt1") == 0) return {};
  zr::Array<1> latest{w.get("is_ddtmic")};
  s.select_into("select max(ddtmic) from zr_ddmcic where icddbh = :is_icddbh", {code}, latest);
  w.set("is_ddtmic", fh::String(latest[1]));
  // A failed retrieval (below 0) is not an empty one.
  if (s.control("dw_3").retrieve({w.get("is_ddtmic")}) == 0) return {};
  dw_maint.retrieve({w.get("is_ddtmic")});
  touch_state(dw_maint);
  dw_maint.set_column("icddbh");
  allow_ok(s, true);
  return {};
}

// A new record comes after this (posted) and a window opened without one has
// no row: the write-back is skipped then, and the cursor still goes into the code.
ZR_EVENT(w_01638_edit, pfc_postopen) {
  const zr::Handle dw_maint = s.control("dw_maint");
  if (dw_maint.get_row() > 0) touch_state(dw_maint);
  dw_maint.set_focus();
  dw_maint.set_column("icddbh");
  return {};
}

ZR_EVENT(w_01638_edit, dw_maint, constructor) {
  const zr::Handle w = s.window();
  w.set("is_idcolname", Value::of_string("dictrecitype_recitypeid"));
  w.set("is_tablename", Value::of_string("dictrecitype"));
  return {};
}

ZR_EVENT(w_01638_edit, dw_maint, pfc_insertrow) {
  if (record_manager(s).get("a_retrieveparm1") == "add") {
    allow_ok(s, false);
    const zr::Handle dw_maint = s.me();
    dw_maint.set_item(dw_maint.get_row(), "icddbh", Value::of_string(""));
  }
  return 1;
}

// The typed code is already in the row when this runs (the host stores it first).
ZR_EVENT(w_01638_edit, dw_maint, itemchanged) {
  const Value name = fh::String(s.object(s.arg(1)).get("name"));
  if (name == "icddbh") s.window().raise("of_get_spghid");
  return {};
}

// The saved row as the database now holds it.
ZR_EVENT(w_01638_edit, dw_maint, pfc_postupdate) {
  const zr::Handle dw_maint = s.me();
  dw_maint.retrieve({fh::Long(dw_maint.get_item(dw_maint.get_row(), "tdjbid"))});
  return Value::of_integer(1);
}

ZR_EVENT(w_01638_edit, uo_ok, losefocus) {
  if (s.control("cbx_addmode").get("checked") == Value::of_bool(true)) {
    // By name: a data window without the event does nothing.
    const zr::Handle list = s.object(record_manager(s).get("dw_desc"));
    if (list->cls().find_event("ue_resetreladw") != nullptr) list.raise("ue_resetreladw");
  }
  return {};
}

ZR_EVENT(w_01638_edit, dw_3, constructor) { return grids::standard_setup(s); }

ZR_EVENT(w_01638_edit, dw_3, pfc_prepredeleterow) { return Value::of_integer(1); }

ZR_REGISTER(w_01638_edit)
