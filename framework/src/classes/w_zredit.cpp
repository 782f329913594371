// w_zredit: what every record editor does.
//
// Opened with a str_recordmanager (or a str_recordmanager2 for a line editor)
// whose dw_desc is the caller's data window and a_retrieveparm1 "add" or
// "edit". Add mode inserts a record through dw_maint's pfc_insertrow; edit mode
// retrieves dw_maint with the key of dw_desc's current row (each retrieval
// argument xx_NAME from dw_desc's column NAME). OK saves (pfc_preupdate,
// update, commit, pfc_postupdate), tells the caller's data window
// (ue_resetreladw) and closes, or with cbx_addmode checked goes on with a new
// record, a copy of the saved one when cbx_copyrecord is checked. Cancel
// closes without saving.
#include "formhost/classes.h"
#include "formhost/context.h"
#include "formhost/functions.h"
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_classes_w_zredit.h"
#include "zrrt/registration.h"

namespace {

using fh::Value;

// The screen the windows are centred on, in the windows' own units.
constexpr long kScreenWidth = 4800, kScreenHeight = 2700;

fh::Object* caller(fh::Object& window) {
  const Value v = window.get("dw_desc");
  return fh::is_valid(v) ? v.as_object().get() : nullptr;
}

fh::Object& form(zr::Script& s) {
  if (fh::Object* c = zrf::find_control(s.self(), "dw_maint")) return *c;
  return s.control("dw_maint");
}

bool checked(fh::Object& window, const char* box) {
  fh::Object* c = zrf::find_control(window, box);
  return c != nullptr && zrf::flag(*c, "checked", false);
}

// A new record; with `copy` the saved record's values except its key.
void next_record(zr::Script& s, bool copy) {
  fh::Object& dw_maint = form(s);
  fh::DataWindow& dw = s.dw(dw_maint);
  std::vector<std::pair<std::string, Value>> values;
  if (copy && dw.has_object() && dw.get_row() > 0) {
    for (const fh::DwColumn& c : dw.object().columns()) {
      if (!c.key) values.emplace_back(c.name, dw.get_item(dw.get_row(), c.name));
    }
  }
  s.raise(dw_maint, "pfc_insertrow");
  if (dw.get_row() < 1) return;
  for (const auto& [column, value] : values) s.check(dw.set_item(dw.get_row(), column, value));
}

}  // namespace

// clang-format off
#define ZR_GROUP ZR_GROUP_w_zredit
ZR_WINDOW(w_zredit, ZR_CLASSES_w_zredit)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY()

ZR_SCRIPT(32770, 32769, 54, "open", FH_RESULT_LONG, kExtends) {
  fh::Object& w = s.self();
  const fh::ObjectRef& msg = s.ctx().message();
  const Value parm = fh::is_valid(msg) ? msg->get("powerobjectparm") : Value();
  if (fh::is_valid(parm)) {
    fh::Object& p = *parm.as_object();
    const bool second = p.cls().is_a("str_recordmanager2");
    w.set(second ? "istr_recordmanager2" : "istr_recordmanager", parm);
    w.set("dw_desc", p.get("dw_desc"));
    w.set("is_mode", fh::Lower(p.get("a_retrieveparm1")));
    if (second && fh::is_true(fh::eq(p.get("i_addmode"), Value::of_long(1)))) {
      if (fh::Object* box = zrf::find_control(w, "cbx_addmode")) box->set("checked", Value::of_bool(true));
    }
  }
  for (fh::Object* c : zrf::datawindows(w)) c->datawindow()->set_transaction(&s.session().sqlca());
  s.raise(w, "f_center");
  s.post(w, "pfc_preopen");
  s.post(w, "pfc_postopen");
  return {};
}

ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) { return {}; }

ZR_SCRIPT(32770, 32769, 140, "pfc_postopen", FH_RESULT_NONE, kExtends) {
  fh::Object& w = s.self();
  const bool rfid = zrf::flag(w, "ib_rfid", true);
  for (const char* card : {"dw_writrfid", "cb_writrfid"}) {
    if (fh::Object* c = zrf::find_control(w, card)) c->set("visible", Value::of_bool(rfid));
  }
  fh::Object& dw_maint = form(s);
  const std::string mode = zrf::text(w.get("is_mode"));
  if (mode == "add") {
    s.raise(dw_maint, "pfc_insertrow");
  } else if (mode == "edit" && zrf::retrieve(s, dw_maint, caller(w)) == 0) {
    s.message_box(zrf::text(w.get("is_msgtitle")), "记录已不存在，可能已被删除。", 2);
  }
  // The other areas follow the record (their arguments from dw_maint).
  for (fh::Object* c : zrf::datawindows(w)) {
    if (c == &dw_maint || c->name() == "dw_writrfid" || !c->datawindow()->has_object()) continue;
    if (zrf::service(*c, "inv_linkage") != nullptr) continue;
    zrf::retrieve(s, *c, &dw_maint);
  }
  return {};
}

ZR_SCRIPT(32770, 32769, 612, "f_center", FH_RESULT_NONE, kOverrides) {
  fh::Object& w = s.self();
  w.set("x", Value::of_long(static_cast<std::int32_t>(std::max(0L, (kScreenWidth - zrf::number(w, "width")) / 2))));
  w.set("y", Value::of_long(static_cast<std::int32_t>(std::max(0L, (kScreenHeight - zrf::number(w, "height")) / 2))));
  return {};
}

ZR_SCRIPT(32770, 32769, 214, "ue_save", FH_RESULT_LONG, kExtends) {
  const int saved = zrf::save(s, s.self(), zrf::updateable(s.self()));
  if (saved == 1) {
    if (fh::Object* list = caller(s.self())) s.post_if_exists(*list, "ue_resetreladw");
  }
  return saved;
}

ZR_SCRIPT(32770, 32769, 610, "ue_ok", FH_RESULT_LONG, kOverrides) {
  fh::Object& w = s.self();
  const Value saved = s.raise(w, "ue_save");
  if (!fh::is_true(fh::eq(saved, Value::of_long(1)))) return 0;
  if (checked(w, "cbx_addmode")) {
    next_record(s, checked(w, "cbx_copyrecord"));
  } else {
    s.close(w);
  }
  return 1;
}

ZR_SCRIPT(32770, 32769, 611, "ue_cancel", FH_RESULT_LONG, kOverrides) {
  s.close(s.self());
  return 1;
}

ZR_REGISTER(w_zredit)
// clang-format on
