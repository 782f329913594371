// A test list window with scripts of its own.
#include "log.h"
#include "zrrt/registration.h"

using zrtest::log;

// w_tchild: a list window with scripts of its own.
#define ZR_GROUP 1795
ZR_WINDOW(w_tchild, ZR_CLASS(32770, "w_tchild", 32769), ZR_ANCESTOR(32769, "w_tlist"),
          ZR_CLASS(32771, "w_tlist`dw_list", 32819), ZR_ANCESTOR(32819, "w_tlist`dw_list"))

ZR_GENERATED_CREATE()
ZR_GENERATED_LIST_DESTROY()

// The ancestor declares pfc_preopen without a script: the body still runs.
ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) {
  log(s, "child-preopen");
  s.self().set("depth", fh::Value::of_long(s.ctx().call_depth()));
  return {};
}

// The ancestor abandons ue_save: this body never runs.
ZR_SCRIPT(32770, 32769, 214, "ue_save", FH_RESULT_LONG, kExtends) {
  log(s, "child-save");
  return 1;
}

// One statement addresses a control the window does not have.
ZR_SCRIPT(32770, 32769, 700, "ue_nullref", FH_RESULT_LONG, kOverrides) {
  log(s, "before");
  const zr::Handle missing = s.control("dw_missing");
  missing.set("x", fh::Value::of_long(1));
  log(s, "between");
  s.self().set("got", missing.get("x"));  // skipped: answers null
  log(s, "after");
  return 1;
}

// Raises an event without a handler, then one whose script fails.
ZR_SCRIPT(32770, 32769, 701, "ue_raise", FH_RESULT_LONG, kOverrides) {
  const zr::Handle dw = s.control("dw_list");
  const fh::Value none = dw.raise("ue_nohandler");
  log(s, none.is_null() ? "nohandler-null" : "nohandler-value");
  const fh::Value used = dw.raise("pfc_prerela", {fh::Value::of_string("col_off")});
  log(s, "prerela-" + std::to_string(used.as_integer()));
  dw.raise("ue_fail");
  log(s, "after-fail");
  return 1;
}

// Depth inside a nested call: this script raises pfc_insertrow on its grid.
ZR_SCRIPT(32770, 32769, 702, "ue_nested", FH_RESULT_LONG, kOverrides) {
  const fh::Value r = s.control("dw_list").raise("pfc_insertrow");
  s.self().set("insert_result", r);
  return s.ctx().call_depth();
}

// Reads a number as a text: a programming error, not the operator's.
ZR_SCRIPT(32770, 32769, 703, "ue_logic", FH_RESULT_LONG, kOverrides) {
  log(s, "logic");
  log(s, s.arg(0).as_string());
  return 1;
}

// Host calls that fail outside any statement of the runtime: each script's
// record carries a site of its own.
ZR_SCRIPT(32770, 32769, 704, "ue_raw1", FH_RESULT_LONG, kOverrides) {
  s.ctx().registry().load("w_nowhere");
  return 1;
}
ZR_SCRIPT(32770, 32769, 705, "ue_raw2", FH_RESULT_LONG, kOverrides) {
  s.ctx().registry().load("w_nowhere");
  return 1;
}

// The grid's override: ancestor chain u_tdw -> w_tlist`dw_list -> here.
ZR_SCRIPT(32771, 32819, 447, "pfc_insertrow", FH_RESULT_LONG, kExtends) {
  log(s, "child-insert");
  s.self().set("ancestor_result", s.ancestor_result());
  s.self().set("depth", fh::Value::of_long(s.ctx().call_depth()));
  return 1;
}

// No return statement: the implicit result.
ZR_SCRIPT(32771, 32819, 63, "itemchanged", FH_RESULT_LONG, kExtends) {
  log(s, "child-itemchanged");
  return {};
}

ZR_REGISTER(w_tchild)
