// The test framework's list ancestor.
#include "log.h"
#include "zrrt/registration.h"

using zrtest::log;

// w_tlist: a list ancestor with a grid.
#define ZR_GROUP 901
ZR_WINDOW(w_tlist, ZR_CLASS(32770, "w_tlist", 32769), ZR_ANCESTOR(32769, "window"),
          ZR_CLASS(32771, "w_tlist`dw_list", 32772), ZR_ANCESTOR(32772, "u_tdw"),
          ZR_CLASS(32773, "w_tlist`cb_ok", 32774), ZR_ANCESTOR(32774, "commandbutton"))

ZR_SCRIPT(32770, 32769, 0, "create", FH_RESULT_NONE, kExtends) {
  log(s, "tlist-create");
  return {};
}
ZR_SCRIPT(32770, 32769, 1, "destroy", FH_RESULT_NONE, kExtends) {
  log(s, "tlist-destroy");
  return {};
}
ZR_SCRIPT(32770, 32769, 54, "open", FH_RESULT_LONG, kExtends) {
  log(s, "tlist-open");
  return {};
}
// Declared here, scripted only by descendants.
ZR_DECLARE(32770, 136, "pfc_preopen", FH_RESULT_NONE)
ZR_SCRIPT(32770, 32769, 214, "ue_save", FH_RESULT_LONG, kExtends) {
  log(s, "tlist-save");
  s.control("dw_list").set("saved", fh::Value::of_bool(true));
  s.fail(-1);
}
ZR_SCRIPT(32771, 32772, 447, "pfc_insertrow", FH_RESULT_LONG, kExtends) {
  log(s, "tlist-insert");
  return 6;
}
ZR_REGISTER(w_tlist)
