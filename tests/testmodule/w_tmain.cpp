// A test window that asks questions and opens a response window.
#include "log.h"
#include "zrrt/registration.h"

using zrtest::log;

#define ZR_GROUP 1797
ZR_WINDOW(w_tmain, ZR_CLASS(32770, "w_tmain", 32769), ZR_ANCESTOR(32769, "window"),
          ZR_CLASS(32771, "w_tmain`cb_ask", 32772), ZR_ANCESTOR(32772, "commandbutton"),
          ZR_CLASS(32773, "w_tmain`cb_dialog", 32772), ZR_CLASS(32774, "w_tmain`dw_edit", 32775),
          ZR_ANCESTOR(32775, "u_tdw"), ZR_CLASS(32776, "w_tmain`cbx_flag", 32777),
          ZR_ANCESTOR(32777, "checkbox"))

ZR_SCRIPT(32770, 32769, 54, "open", FH_RESULT_LONG, kExtends) {
  log(s, "open:" + s.ctx().message()->get("stringparm").as_string());
  s.me().post("ue_posted");
  log(s, "open-end");
  return {};
}
ZR_SCRIPT(32770, 32769, 800, "ue_posted", FH_RESULT_LONG, kOverrides) {
  log(s, "posted");
  return 1;
}

// A question with Yes and No, No the default.
ZR_SCRIPT(32771, 32772, 50, "clicked", FH_RESULT_LONG, kExtends) {
  const int answer = s.message_box("Q", "sure?", 3, 4, 2);
  log(s, "answer:" + std::to_string(answer));
  return 1;
}

// Opens the response window and goes on only when it closed.
ZR_SCRIPT(32773, 32772, 50, "clicked", FH_RESULT_LONG, kExtends) {
  log(s, "before-dialog");
  const fh::Value result = s.open_modal("w_tdialog", fh::Value::of_string("from-main"));
  log(s, "dialog-returned:" +
             (result.is_null() ? std::string("null") : std::to_string(result.as_long())));
  return 1;
}

// Refuses the text "bad" (1), takes anything else.
ZR_SCRIPT(32774, 32775, 63, "itemchanged", FH_RESULT_LONG, kExtends) {
  const std::string data = s.arg(2).as_string();
  const fh::Value column = s.object(s.arg(1)).get("name");
  log(s, "itemchanged:" + column.as_string() + "=" + data);
  return data == "bad" ? 1 : 0;
}

ZR_SCRIPT(32776, 32777, 50, "clicked", FH_RESULT_LONG, kExtends) {
  log(s, std::string("flag:") + (s.self().get("checked").as_bool() ? "on" : "off"));
  return 1;
}

// Data-window operations through the control: a bad row ends the script.
ZR_SCRIPT(32770, 32769, 801, "ue_items", FH_RESULT_LONG, kOverrides) {
  const zr::Handle edit = s.control("dw_edit");
  edit.set_item(edit.get_row(), "code", fh::Value::of_string("set"));
  log(s, "rows:" + std::to_string(edit.row_count()));
  zr::Array<1> found{fh::Value::of_long(-1)};
  const int code = s.select_into("select count(*) from no_such_table", {}, found);
  log(s, "sqlcode:" + std::to_string(code));  // a database error is no failure
  edit.modify("code_t.text", "it's ~ok");
  log(s, "header:" + edit.describe("code_t.text"));
  edit.get_item(5, "code");
  log(s, "never");
  return 1;
}

ZR_SCRIPT(32770, 32769, 802, "ue_badmodify", FH_RESULT_LONG, kOverrides) {
  s.control("dw_edit").modify("nothing.text", "x");
  log(s, "never");
  return 1;
}

// The focus events leave a trail of their own in "focuslog".
void focus_log(zr::Script& s, const std::string& what) {
  fh::Object& w = *s.self().window();
  const fh::Value old = w.get("focuslog");
  w.set("focuslog", fh::Value::of_string(old.is_null() ? what : old.as_string() + "," + what));
}
ZR_SCRIPT(32774, 32775, 58, "losefocus", FH_RESULT_LONG, kExtends) {
  focus_log(s, "dw-lose");
  return {};
}
ZR_SCRIPT(32774, 32775, 59, "getfocus", FH_RESULT_LONG, kExtends) {
  focus_log(s, "dw-get");
  return {};
}
ZR_SCRIPT(32776, 32777, 59, "getfocus", FH_RESULT_LONG, kExtends) {
  focus_log(s, "flag-get");
  return {};
}
ZR_SCRIPT(32776, 32777, 58, "losefocus", FH_RESULT_LONG, kExtends) {
  focus_log(s, "flag-lose");
  return {};
}

ZR_REGISTER(w_tmain)
