// u_dw: the framework's data-window control.
//
// In a list window the editing events act on the list: adding and changing
// open the edit window, deleting removes the current row and saves at once.
// Elsewhere they edit the rows in place and the window saves.
#include "formhost/functions.h"
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_group_u_dw.h"

namespace {

using fh::Value;

bool in_list(zr::Script& s) {
  fh::Object* w = s.self().window();
  return w != nullptr && zrf::text(w->get("is_type")) == "list";
}

// An answer below 1 stops; a null answer (no script) goes on.
bool stops(const Value& answer) {
  return !answer.is_null() && answer.is_number() && fh::Long(answer).as_long() < 1;
}

// of_setNAME(boolean): creates or drops the service in `variable`; answers 1.
#define ZR_SERVICE_SWITCH(function, variable, service_class)                        \
  ZR_EVENT(u_dw, function) {                                                        \
    zrf::switch_service(s, s.self(), variable, service_class, zrf::bool_arg(s, 0)); \
    return Value::of_integer(1);                                                    \
  }

long insert_row(zr::Script& s) {
  if (stops(s.me().raise("pfc_preinsertrow"))) return 0;
  fh::DataWindow& dw = s.me().datawindow();
  const long row = dw.insert_row(0);
  if (row < 1) s.fail(-1);
  dw.scroll_to_row(row);
  return row;
}

// The current row through the delete events; 1 deleted, 0 stopped.
int delete_current_row(zr::Script& s) {
  fh::DataWindow& dw = s.me().datawindow();
  const long row = dw.get_row();
  if (row < 1) return 0;
  if (stops(s.me().raise("pfc_prepredeleterow"))) return 0;
  if (stops(s.me().raise("pfc_predeleterow"))) return 0;
  if (fh::Object* manager = zrf::service(s.self(), "inv_rowmanager")) {
    if (zrf::flag(*manager, "ib_confirmondelete", true) &&
        s.message_box("删除", "确实要删除当前记录吗？", 3, 4, 2) != 1) {
      return 0;
    }
  }
  return s.check(dw.delete_row(row)) == 1 ? 1 : 0;
}

}  // namespace

ZR_EVENT(u_dw, pfc_preinsertrow) { return 1; }

ZR_EVENT(u_dw, pfc_insertrow) {
  if (in_list(s)) return s.window().raise("ue_add", {s.me().as_value()});
  return static_cast<int>(insert_row(s));
}

ZR_EVENT(u_dw, pfc_prepredeleterow) { return 1; }
ZR_EVENT(u_dw, pfc_predeleterow) { return 1; }

ZR_EVENT(u_dw, pfc_deleterow) {
  if (!in_list(s)) return delete_current_row(s);
  fh::Object& w = s.window().object();
  if (!zrf::is_yes(w.get("is_delete"))) {
    s.refuse("deleting is switched off in " + w.cls().name());
    return 0;
  }
  if (delete_current_row(s) != 1) return 0;
  // A list has no pending edits of its own: a deletion is saved at once.
  const Value saved = s.handle(w).raise("ue_save");
  return !saved.is_null() && saved.is_number() && fh::Long(saved).as_long() == 1 ? 1 : -1;
}

ZR_EVENT(u_dw, pfc_preupdate) { return 1; }
ZR_EVENT(u_dw, pfc_postupdate) { return 1; }

// A column is in use when the object shows it and the site has not hidden it
// (visible="0" in the object).
ZR_EVENT(u_dw, pfc_prerela) {
  const std::string column = zrf::text(s.arg(0));
  fh::DataWindow& dw = s.me().datawindow();
  if (!dw.has_object() || dw.object().column(column) == nullptr) return Value::of_integer(0);
  const std::string visible = dw.describe(column + ".visible");
  return Value::of_integer(visible == "0" ? 0 : 1);
}

// Enter in a list opens the current row; in a form it moves to the next column.
ZR_EVENT(u_dw, e_enter) {
  if (in_list(s)) return s.window().raise("ue_edit", {s.me().as_value()});
  fh::DataWindow& dw = s.me().datawindow();
  if (dw.has_object() && dw.get_column() < static_cast<int>(dw.object().columns().size())) {
    dw.set_column(dw.get_column() + 1);
  }
  return 0;
}

ZR_EVENT(u_dw, doubleclicked) {
  if (in_list(s)) return s.window().raise("ue_edit", {s.me().as_value()});
  return 0;
}

// A record editor looks up a key typed into its form: a window with an
// of_get_spghid function loads the stored record of that key. A form that
// scripts its own itemchanged does its lookups itself, so they run once.
ZR_EVENT(u_dw, itemchanged) {
  fh::Object* w = s.self().window();
  if (w == nullptr || s.self().name() != "dw_maint" || !w->cls().is_a("w_zredit")) return 0;
  const fh::EventDecl* lookup = w->cls().find_event("of_get_spghid");
  if (lookup == nullptr || !w->cls().find_script(lookup->slot)) return 0;
  const fh::ScriptRef own =
      s.self().cls().find_script(s.self().cls().find_event("itemchanged")->slot);
  if (own.owner != nullptr && own.owner->name() != "u_dw") return 0;
  fh::DataWindow& dw = s.me().datawindow();
  const std::string column = fh::Lower(s.object(s.arg(1)).get("name")).as_string();
  const fh::DwColumn* c = dw.has_object() ? dw.object().column(column) : nullptr;
  if (c == nullptr || !c->key) return 0;
  s.window().raise("of_get_spghid");
  return 0;
}

// Retrieves again after an edit window saved, staying on the same record.
ZR_EVENT(u_dw, ue_resetreladw) {
  fh::DataWindow& dw = s.me().datawindow();
  if (!dw.has_object()) return {};
  std::vector<std::pair<std::string, Value>> key;
  if (dw.get_row() > 0) {
    for (const fh::DwColumn& c : dw.object().columns()) {
      if (c.key) key.emplace_back(c.name, dw.get_item(dw.get_row(), c.name));
    }
  }
  const long old_row = dw.get_row();
  // A list's areas take the arguments the list supplies; any other grid (a
  // record window's split list) those of its last retrieval.
  const std::vector<Value>& last = dw.retrieve_arguments();
  const long rows = in_list(s) || last.size() != dw.object().arguments().size()
                        ? zrf::retrieve(s, s.self())
                        : zrf::retrieve_with(s, s.self(), last);
  if (rows < 0) s.fail(-1);
  long found = 0;
  for (long r = 1; r <= dw.row_count() && found == 0 && !key.empty(); ++r) {
    bool same = true;
    for (const auto& [column, value] : key)
      same = same && fh::is_true(fh::eq(dw.get_item(r, column), value));
    if (same) found = r;
  }
  if (found == 0) found = std::min(old_row, dw.row_count());
  if (found > 0 && found != dw.get_row()) {
    dw.scroll_to_row(found);
    zrf::refresh_details(s, s.self());
  }
  return {};
}

ZR_EVENT(u_dw, rowfocuschanged) {
  if (fh::Object* selection = zrf::service(s.self(), "inv_rowselect")) {
    s.handle(*selection)
        .raise("of_rowfocuschanged",
               {fh::Value::of_long(static_cast<std::int32_t>(s.me().datawindow().get_row()))});
  }
  zrf::refresh_details(s, s.self());
  fh::Object* w = s.self().window();
  if (w == nullptr || !in_list(s) || s.self().name() != "dw_head") return {};
  // The header's keys, and the areas that take them as retrieval arguments.
  fh::DataWindow& dw = s.me().datawindow();
  for (const char* key : {"sjtmic", "sjpzbh"}) {
    if (dw.has_object() && dw.get_row() > 0 && dw.object().column(key) != nullptr) {
      w->set(std::string("is_") + key, fh::String(dw.get_item(dw.get_row(), key)));
    }
  }
  for (fh::Object* other : zrf::datawindows(*w)) {
    fh::DataWindow& o = *other->datawindow();
    if (other != &s.self() && o.has_object() && !o.object().arguments().empty() &&
        !zrf::linked_to_master(*other)) {
      zrf::retrieve(s, *other, &s.self());
    }
  }
  return {};
}

// clicked(xpos, ypos, row, dwo): the row selection hears of a row clicked; a
// header click sorts by its column, the same header again reverses the order.
ZR_EVENT(u_dw, clicked) {
  fh::Object* selection = zrf::service(s.self(), "inv_rowselect");
  if (selection != nullptr && s.arg_count() >= 3)
    s.handle(*selection).raise("of_rowclicked", {s.arg(2)});
  fh::Object* sorter = zrf::service(s.self(), "inv_sort");
  const bool by_header = zrf::flag(s.self(), "ib_clicksort", false) ||
                         (sorter != nullptr && zrf::flag(*sorter, "ib_columnheader", false));
  if (!by_header) return 0;
  if (s.arg_count() < 4 || !fh::is_valid(s.arg(3))) return 0;
  const std::string clicked = zrf::text(s.object(s.arg(3))->get("name"));
  if (clicked.size() < 3 || clicked.compare(clicked.size() - 2, 2, "_t") != 0) return 0;
  const std::string column = clicked.substr(0, clicked.size() - 2);
  fh::DataWindow& dw = s.me().datawindow();
  if (!dw.has_object() || dw.object().column(column) == nullptr) return 0;
  zrf::DwState& state = zrf::dw_state(s.self());
  state.ascending = state.sorted_by == column ? !state.ascending : true;
  state.sorted_by = column;
  const std::string order = column + (state.ascending ? " A" : " D");
  s.check(dw.set_sort(order));
  s.check(dw.sort());
  if (sorter != nullptr) sorter->set("is_sort", Value::of_string(order));
  return 0;
}

// resize(sizetype, newwidth, newheight): the resize service follows.
ZR_EVENT(u_dw, resize) {
  if (fh::Object* resizer = zrf::service(s.self(), "inv_resize")) {
    s.handle(*resizer).raise("of_resize", {s.arg(1), s.arg(2)});
  }
  return 0;
}

ZR_EVENT(u_dw, of_setbase) {
  s.self().set("ib_base", Value::of_bool(zrf::bool_arg(s, 0)));
  return Value::of_integer(1);
}
// The control works through the session's transaction (sqlca).
ZR_EVENT(u_dw, of_settransobject) {
  s.me().datawindow().set_transaction(&s.session().sqlca());
  return Value::of_integer(1);
}
ZR_SERVICE_SWITCH(of_setrowmanager, "inv_rowmanager", "n_cst_dwsrv_rowmanager")
ZR_SERVICE_SWITCH(of_setfind, "inv_find", "n_cst_dwsrv_find")
ZR_SERVICE_SWITCH(of_setrowselect, "inv_rowselect", "n_cst_dwsrv_rowselection")
ZR_SERVICE_SWITCH(of_setlinkage, "inv_linkage", "n_cst_dwsrv_linkage")
ZR_EVENT(u_dw, of_setupdateable) {
  zrf::dw_state(s.self()).updateable = zrf::bool_arg(s, 0);
  s.self().set("ib_updateable", Value::of_bool(zrf::bool_arg(s, 0)));
  return Value::of_integer(1);
}
ZR_SERVICE_SWITCH(of_setrowcolor, "inv_rowcolor", "no_dwsrv_rowcolor")
ZR_SERVICE_SWITCH(of_setsort, "inv_sort", "n_cst_dwsrv_sort")
ZR_SERVICE_SWITCH(of_setfilter, "inv_filter", "n_cst_dwsrv_filter")
ZR_SERVICE_SWITCH(of_setprintpreview, "inv_printpreview", "n_cst_dwsrv_printpreview")
ZR_SERVICE_SWITCH(of_setresize, "inv_resize", "n_cst_dwsrv_resize")
ZR_SERVICE_SWITCH(of_setmultitable, "inv_multitable", "n_cst_dwsrv_multitable")
ZR_EVENT(u_dw, wf_setclicksort) {
  s.self().set("ib_clicksort", Value::of_bool(zrf::bool_arg(s, 0)));
  return Value::of_integer(1);
}

ZR_REGISTER(u_dw)
