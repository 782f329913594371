// w_01652_edit: one work record and its splits. The split list dw_ddyy shows
// the records sharing this one's code up to its last character (the split
// letter), dw_ddxx81_bh the detail lines of the current split. Splits are
// added and changed in the line editor, whose name comes from dw_ddyy's
// data-window object; a split whose letter sorts after "A" stays as it is.
#include "../common/grid_setup.h"
#include "zr_group_w_01652_edit.h"

namespace {

// "w_" + the data-window object without its first two characters + "_edit".
Value line_editor(const zr::Handle& dw_ddyy) {
  return "w_" +
         fh::Trim(fh::Mid(dw_ddyy.get("dataobject"), Value::of_long(3), Value::of_long(50))) +
         "_edit";
}

// The split letter of the current split: the last character of its code.
Value split_letter(const zr::Handle& dw_ddyy) {
  return fh::Right(fh::String(dw_ddyy.get_item(dw_ddyy.get_row(), "cdadid")), Value::of_long(1));
}

// A split whose letter sorts after "A" stays as it is: the operator is told.
bool stays(zr::Script& s, const zr::Handle& dw_ddyy, const char* message) {
  if (!static_cast<bool>(split_letter(dw_ddyy) > "A")) return false;
  s.message_box("", message);
  return true;
}

// Adds ("add", 1) or changes ("edit", 2) a split in the line editor, with
// card writing off while it is open.
void open_line_editor(zr::Script& s, const char* mode, int addmode) {
  const zr::Handle w = s.window();
  const zr::Handle dw_ddyy = s.control("dw_ddyy");
  w.set("ib_rfid", Value::of_bool(false));
  const Value name = line_editor(dw_ddyy);
  const zr::Handle parm = s.create("str_recordmanager2");
  parm.set("dw_desc", dw_ddyy.as_value());
  parm.set("dw_desc3", s.control("dw_maint").as_value());
  parm.set("a_retrieveparm1", Value::of_string(mode));
  parm.set("a_retrieveparm5", dw_ddyy.get_item(1, "sjdzld"));
  parm.set("i_addmode", Value::of_long(addmode));
  s.open(fh::String(name).as_string(), parm.as_value());
  w.set("ib_rfid", Value::of_bool(true));
}

}  // namespace

ZR_EVENT(w_01652_edit, open) {
  s.window().set("width", Value::of_integer(2103));
  return {};
}

ZR_EVENT(w_01652_edit, dw_maint, pfc_preupdate) {
  const zr::Handle w = s.window();
  const zr::Handle dw_maint = s.me();
  if (dw_maint.get_item(dw_maint.get_row(), "sjldjs") == 0) return Value::of_integer(-1);
  w.set("is_cdadid", fh::String(dw_maint.get_item(dw_maint.get_row(), "cdadid")));
  w.set("is_zropic", fh::String(dw_maint.get_item(dw_maint.get_row(), "zropic")));
  return Value::of_integer(1);
}

ZR_EVENT(w_01652_edit, dw_maint, pfc_postupdate) {
  const zr::Handle w = s.window();
  const zr::Handle dw_maint = s.me();
  w.set("is_zropic", fh::String(dw_maint.get_item(dw_maint.get_row(), "zropic")));
  const Value code = w.get("is_cdadid");
  s.control("dw_ddyy").retrieve({fh::Left(code, fh::Len(code) - 1)});
  s.control("dw_ddxx81_bh").retrieve({w.get("is_zropic")});
  return Value::of_integer(1);
}

ZR_EVENT(w_01652_edit, dw_ddyy, constructor) { return grids::standard_setup(s); }
ZR_EVENT(w_01652_edit, dw_ddxx81_bh, constructor) { return grids::standard_setup(s); }

ZR_EVENT(w_01652_edit, dw_ddyy, rowfocuschanged) {
  const zr::Handle dw_ddyy = s.me();
  const zr::Handle details = s.control("dw_ddxx81_bh");
  if (dw_ddyy.row_count() < 2) {
    details.retrieve({Value::of_string("-34343")});
  } else {
    details.retrieve({fh::String(dw_ddyy.get_item(dw_ddyy.get_row(), "zropic"))});
  }
  return 1;
}

// The ancestor has deleted the row: the split list is saved at once.
ZR_EVENT(w_01652_edit, dw_ddyy, pfc_deleterow) {
  s.me().update(true, true);
  return Value::of_integer(1);
}

ZR_EVENT(w_01652_edit, dw_ddyy, pfc_predeleterow) { return Value::of_integer(1); }
ZR_EVENT(w_01652_edit, dw_ddyy, e_enter) { return 1; }

// Add split.
ZR_EVENT(w_01652_edit, cb_2, clicked) {
  if (s.control("dw_ddyy").row_count() < 1) return {};
  open_line_editor(s, "add", 1);
  return {};
}

// Change split.
ZR_EVENT(w_01652_edit, cb_6, clicked) {
  const zr::Handle dw_ddyy = s.control("dw_ddyy");
  if (dw_ddyy.row_count() < 2) return 1;
  if (stays(s, dw_ddyy, "不能修改")) return {};
  open_line_editor(s, "edit", 2);
  return 1;
}

// Delete split, after asking.
ZR_EVENT(w_01652_edit, cb_5, clicked) {
  const zr::Handle dw_ddyy = s.control("dw_ddyy");
  if (dw_ddyy.row_count() < 2) return 1;
  if (stays(s, dw_ddyy, "不能删除")) return {};
  const long row = dw_ddyy.get_row();
  const int answer = s.message_box("删除项目", "删除 #" + std::to_string(row) + " 行吗?", 3, 4, 2);
  // No, and a question nobody answered, delete nothing.
  if (answer != 1) return 0;
  dw_ddyy.raise("pfc_deleterow");
  return 1;
}

ZR_REGISTER(w_01652_edit)
