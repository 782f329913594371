// w_zredit: what every record editor does.
//
// Opened with a str_recordmanager (or a str_recordmanager2 for a line editor,
// whose mode and fifth parameter then also reach istr_recordmanager) whose
// dw_desc is the caller's data window and a_retrieveparm1 "add" or "edit".
// Add mode inserts a record through dw_maint's pfc_insertrow; edit mode
// retrieves dw_maint with the key of dw_desc's current row: the column
// is_idcolname when set, else each retrieval argument xx_NAME from dw_desc's
// column NAME. OK saves (pfc_preupdate, numbers for new records without a
// number key, update, commit, pfc_postupdate), tells the
// caller's data window (ue_resetreladw) and closes, or with cbx_addmode
// checked goes on with a new record, a copy of the saved one when
// cbx_copyrecord is checked. Cancel closes without saving.
#include <algorithm>

#include "formhost/classes.h"
#include "formhost/context.h"
#include "formhost/datawindow.h"
#include "formhost/dwobject.h"
#include "formhost/functions.h"
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_group_w_zredit.h"

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
  return s.control("dw_maint").object();
}

bool checked(fh::Object& window, const char* box) {
  fh::Object* c = zrf::find_control(window, box);
  return c != nullptr && zrf::flag(*c, "checked", false);
}

// A new record; with `copy` the saved record's values except its key.
void next_record(zr::Script& s, bool copy) {
  fh::Object& dw_maint = form(s);
  fh::DataWindow& dw = s.handle(dw_maint).datawindow();
  std::vector<std::pair<std::string, Value>> values;
  if (copy && dw.has_object() && dw.get_row() > 0) {
    for (const fh::DwColumn& c : dw.object().columns()) {
      if (!c.key) values.emplace_back(c.name, dw.get_item(dw.get_row(), c.name));
    }
  }
  s.handle(dw_maint).raise("pfc_insertrow");
  if (dw.get_row() < 1) return;
  for (const auto& [column, value] : values) s.check(dw.set_item(dw.get_row(), column, value));
}

// The text an editor was opened with by name, without a structure (formhost
// open NAME --parm KEY): the key of the record to show.
std::string open_key(zr::Script& s) {
  const fh::ObjectRef& msg = s.ctx().message();
  return fh::is_valid(msg) ? zrf::text(msg->get("stringparm")) : std::string();
}
bool opened_with_key(zr::Script& s) {
  const fh::ObjectRef& msg = s.ctx().message();
  return fh::is_valid(msg) && !fh::is_valid(msg->get("powerobjectparm")) && !open_key(s).empty();
}

// The record of the caller's current row, or of the key the editor was
// opened with; the rows retrieved, -1 on failure.
long retrieve_record(zr::Script& s, fh::Object& dw_maint, fh::Object* from) {
  const std::string id = zrf::text(s.self().get("is_idcolname"));
  fh::DataWindow* source = from == nullptr ? nullptr : from->datawindow();
  fh::DataWindow& dw = s.handle(dw_maint).datawindow();
  const std::string open_key_text = zrf::text(s.self().get("is_openkey"));
  if (from == nullptr && !open_key_text.empty() && dw.has_object() &&
      dw.object().arguments().size() == 1) {
    const fh::Type type = dw.object().arguments()[0].type;
    const Value text = Value::of_string(open_key_text);
    const Value arg[] = {type == fh::Type::kString    ? text
                         : type == fh::Type::kDecimal ? fh::Dec(text)
                                                      : fh::Long(text)};
    return zrf::retrieve_with(s, dw_maint, arg);
  }
  if (id.empty() || source == nullptr || !source->has_object() ||
      source->object().column(id) == nullptr || source->get_row() < 1 || !dw.has_object() ||
      dw.object().arguments().size() != 1) {
    return zrf::retrieve(s, dw_maint, from);
  }
  const Value key[] = {source->get_item(source->get_row(), id)};
  return zrf::retrieve_with(s, dw_maint, key);
}

// The card-writing controls show, and work, while ib_rfid is true (so
// also when it is null, as the ancestors declare it true).
void show_card_writing(fh::Object& w, const Value& rfid) {
  const bool on = rfid.type() != fh::Type::kBoolean || rfid.is_null() || rfid.as_bool();
  for (const char* card : {"dw_writrfid", "cb_writrfid"}) {
    if (fh::Object* c = zrf::find_control(w, card)) {
      c->set("visible", Value::of_bool(on));
      c->set("enabled", Value::of_bool(on));
    }
  }
}

}  // namespace

ZR_EVENT(w_zredit, open) {
  fh::Object& w = s.self();
  const fh::ObjectRef& msg = s.ctx().message();
  const Value parm = fh::is_valid(msg) ? msg->get("powerobjectparm") : Value();
  if (fh::is_valid(parm)) {
    fh::Object& p = *parm.as_object();
    Value mode = fh::Lower(fh::String(p.get("a_retrieveparm1")));
    if (p.cls().is_a("str_recordmanager2")) {
      w.set("istr_recordmanager2", parm);
      // i_addmode 1 adds, 2 changes, when the text does not say.
      if (mode.is_null() || mode.as_string().empty()) {
        const long code = zrf::number(p, "i_addmode");
        mode = Value::of_string(code == 1 ? "add" : code == 2 ? "edit" : "");
      }
      fh::ObjectRef first = fh::instantiate(s.ctx().registry().load("str_recordmanager"));
      first->set("dw_desc", p.get("dw_desc"));
      first->set("a_retrieveparm1", mode);
      first->set("a_retrieveparm5", p.get("a_retrieveparm5"));
      w.set("istr_recordmanager", Value::of_object(first));
    } else {
      w.set("istr_recordmanager", parm);
    }
    w.set("dw_desc", p.get("dw_desc"));
    w.set("is_mode", mode);
  } else if (opened_with_key(s)) {
    w.set("is_mode", Value::of_string("edit"));
    w.set("is_openkey", Value::of_string(open_key(s)));
  }
  // Card writing follows ib_rfid whenever it is assigned.
  show_card_writing(w, w.get("ib_rfid"));
  w.watch("ib_rfid", show_card_writing);
  s.handle(w).raise("f_center");
  zrf::begin_opening(s, w);
  return {};
}

ZR_EVENT(w_zredit, pfc_preopen) { return {}; }

ZR_EVENT(w_zredit, pfc_postopen) {
  fh::Object& w = s.self();
  fh::Object& dw_maint = form(s);
  const std::string mode = zrf::text(w.get("is_mode"));
  if (mode == "add") {
    // After every pfc_postopen, the descendants' too: what the first
    // record's pfc_insertrow sets up is not undone by them.
    s.handle(dw_maint).post("pfc_insertrow");
  } else if (mode == "edit" && retrieve_record(s, dw_maint, caller(w)) == 0) {
    s.message_box(zrf::text(w.get("is_msgtitle")), "记录已不存在，可能已被删除。", 2);
  }
  // The form's drop-down lists that take no argument are filled here unless
  // the window fills them itself (is_adwc_obj_retrieve "no"); one that cannot
  // be read stays empty.
  fh::DataWindow* form_dw = dw_maint.datawindow();
  if (zrf::text(w.get("is_adwc_obj_retrieve")) != "no" && form_dw != nullptr &&
      form_dw->has_object()) {
    for (const fh::DwColumn& c : form_dw->object().columns()) {
      if (c.dddw_name.empty()) continue;
      fh::DataWindow* child = form_dw->get_child(c.name);
      if (child == nullptr || !child->has_object() || !child->object().arguments().empty())
        continue;
      child->set_transaction(&s.sqlca());
      child->retrieve({});
    }
  }
  // The other areas follow the record (their arguments from dw_maint).
  for (fh::Object* c : zrf::datawindows(w)) {
    if (c == &dw_maint || c->name() == "dw_writrfid" || !c->datawindow()->has_object()) continue;
    if (zrf::linked_to_master(*c)) continue;
    zrf::retrieve(s, *c, &dw_maint);
  }
  return {};
}

ZR_EVENT(w_zredit, f_center) {
  fh::Object& w = s.self();
  w.set("x", Value::of_long(static_cast<std::int32_t>(
                 std::max(0L, (kScreenWidth - zrf::number(w, "width")) / 2))));
  w.set("y", Value::of_long(static_cast<std::int32_t>(
                 std::max(0L, (kScreenHeight - zrf::number(w, "height")) / 2))));
  return {};
}

ZR_EVENT(w_zredit, ue_save) {
  // is_idcolname, when set, names the counter the record's number comes from.
  zrf::NewKeys keys(form(s), zrf::text(s.self().get("is_idcolname")));
  const int saved = zrf::save(s, s.self(), zrf::updateable(s.self()), &keys);
  if (saved == 1) {
    // The list refreshes if it can; what it makes of that is not the save's.
    fh::Object* list = caller(s.self());
    if (list != nullptr && list->cls().find_event("ue_resetreladw") != nullptr) {
      s.ctx().trigger(*list, "ue_resetreladw");
    }
  }
  return saved;
}

ZR_EVENT(w_zredit, ue_ok) {
  fh::Object& w = s.self();
  const Value saved = s.handle(w).raise("ue_save");
  if (!fh::is_true(fh::eq(saved, Value::of_long(1)))) return 0;
  if (checked(w, "cbx_addmode")) {
    next_record(s, checked(w, "cbx_copyrecord"));
  } else {
    s.close(s.handle(w));
  }
  return 1;
}

// Cancel means "without saving": no question.
ZR_EVENT(w_zredit, ue_cancel) {
  s.self().set("ib_disableclosequery", Value::of_bool(true));
  s.close(s.me());
  return 1;
}

// 1 keeps the window open: the edits stay (Cancel, or a save that failed).
ZR_EVENT(w_zredit, closequery) { return zrf::settle_window_edits(s, s.self()) ? 0 : 1; }

ZR_REGISTER(w_zredit)
