// The test framework's data-window control class.
#include "log.h"
#include "zrrt/registration.h"

using zrtest::log;

// u_tdw: the framework's data-window control.
#define ZR_GROUP 900
ZR_WINDOW(u_tdw, ZR_CLASS(32770, "u_tdw", 32769), ZR_ANCESTOR(32769, "datawindow"))

ZR_SCRIPT(32770, 32769, 447, "pfc_insertrow", FH_RESULT_LONG, kExtends) {
  log(s, "frame-insert");
  return 5;
}
ZR_SCRIPT(32770, 32769, 507, "pfc_prerela", FH_RESULT_INTEGER, kOverrides) {
  // A column is in use unless its name ends in "_off".
  const std::string name = s.arg(0).as_string();
  return name.ends_with("_off") ? 0 : 1;
}
ZR_DECLARE(32770, 600, "ue_nohandler", FH_RESULT_LONG)
ZR_SCRIPT(32770, 32769, 601, "ue_fail", FH_RESULT_LONG, kOverrides) {
  // Records where it fails, so the test can expect the exact trace line.
  const zr::Site here = zr::Site::current();
  s.self().set("fail_site", fh::Value::of_string(zr::site_id(here)));
  s.fail(-5, here);
}
// Addresses the window it belongs to: standing alone it has none (20543).
ZR_SCRIPT(32770, 32769, 602, "ue_parent", FH_RESULT_LONG, kOverrides) {
  s.window().set("seen", fh::Value::of_bool(true));
  s.self().set("after", fh::Value::of_bool(true));
  return 1;
}

// Calls the global function its first argument names, with the rest.
ZR_SCRIPT(32770, 32769, 603, "ue_callglobal", FH_RESULT_LONG, kOverrides) {
  const fh::Value answer = s.call(s.arg(0).as_string(), {s.arg(1)});
  s.self().set("answer", answer);
  return 1;
}
ZR_REGISTER(u_tdw)
