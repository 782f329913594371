// w_01628_edit: a piece rate of group 12 (il_aagxid). The grade list is the
// group's; a new rate starts with the group's highest grade; after a save the
// form shows the rate as the database holds it.
#include "zr_group_w_01628_edit.h"

namespace {

constexpr const char* kHighestGrade = "select max ( a2jbid ) from zr_a2 where aagxid = :il_aagxid";

// Opened by name without the list's structure, the window shows a record.
bool adding(zr::Script& s, const zr::Handle& w) {
  const zr::Handle parm = s.object(w.get("istr_recordmanager"));
  if (!parm) return false;
  return fh::is_true(fh::eq(parm.get("a_retrieveparm1"), Value::of_string("add")));
}

}  // namespace

ZR_EVENT(w_01628_edit, open) {
  s.window().raise("f_center");
  return {};
}

ZR_EVENT(w_01628_edit, pfc_postopen) {
  const zr::Handle w = s.window();
  const zr::Handle dw_maint = s.control("dw_maint");
  fh::DataWindow* child =
      s.statement(zr::Site::current(), [&] { return dw_maint.datawindow().get_child("a2jbid"); });
  if (child == nullptr) s.fail(FH_STATUS_FAILED);
  child->set_transaction(&s.sqlca());
  const Value group = w.get("il_aagxid");
  // As the framework's own retrievals: a list that cannot be read stays empty.
  s.statement(zr::Site::current(), [&] { return child->retrieve({&group, 1}); });
  if (adding(s, w)) {
    // A failed select keeps the last value; a group without grades gives null.
    zr::Array<1> highest{w.get("il_a2jbid")};
    s.select_into(kHighestGrade, {group}, highest);
    w.set("il_a2jbid", highest[1]);
    // The new record's row comes after every pfc_postopen (see pfc_insertrow);
    // a row already there takes the grade now.
    if (dw_maint.get_row() > 0) dw_maint.set_item(dw_maint.get_row(), "a2jbid", highest[1]);
  }
  return {};
}

// The editor adds its new record after pfc_postopen: the grade read there goes
// into it.
ZR_EVENT(w_01628_edit, dw_maint, pfc_insertrow) {
  const zr::Handle w = s.window();
  if (adding(s, w)) s.me().set_item(s.me().get_row(), "a2jbid", w.get("il_a2jbid"));
  return s.ancestor_result();
}

ZR_EVENT(w_01628_edit, dw_maint, constructor) {
  const zr::Handle w = s.window();
  w.set("is_idcolname", Value::of_string("dictrecitype_recitypeid"));
  w.set("is_tablename", Value::of_string("dictrecitype"));
  w.set("is_adwc_obj_retrieve", Value::of_string("no"));
  return {};
}

ZR_EVENT(w_01628_edit, dw_maint, pfc_postupdate) {
  const zr::Handle dw_maint = s.control("dw_maint");
  const Value key = fh::Long(dw_maint.get_item(dw_maint.get_row(), "bcjbid"));
  dw_maint.retrieve({key});
  return 1;
}

ZR_REGISTER(w_01628_edit)
