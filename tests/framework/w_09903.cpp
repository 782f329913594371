// A breakdown list (the scripts of w_01610) whose page grid makes neither a
// sort nor a filter service, and whose tab shows its second page at first.
#include "../../windows/common/breakdown.h"
#include "zrrt/registration.h"

#define ZR_GROUP 993
ZR_WINDOW(w_09903, ZR_CLASS(32770, "w_09903", 32769), ZR_ANCESTOR(32769, "w_zr3lzb_items"),
          ZR_CLASS(32771, "w_09903`tab_1", 32775), ZR_CLASS(32772, "w_09903`dw_1", 32776),
          ZR_CLASS(32773, "w_09903`dw_head", 32777), ZR_CLASS(32774, "w_09903`dw_items", 32778),
          ZR_ANCESTOR(32775, "w_zr3lzb_items`tab_1"), ZR_ANCESTOR(32776, "w_zr3lzb_items`dw_1"),
          ZR_ANCESTOR(32777, "w_zr3lzb_items`dw_head"),
          ZR_ANCESTOR(32778, "w_zr3lzb_items`dw_items"))
ZR_GENERATED_CREATE()
ZR_GENERATED_LIST_DESTROY()

ZR_SCRIPT(32770, 32769, 136, "pfc_preopen", FH_RESULT_NONE, kExtends) {
  return breakdown::preopen(s);
}
ZR_SCRIPT(32770, 32769, 140, "pfc_postopen", FH_RESULT_NONE, kExtends) {
  return breakdown::postopen(s);
}
ZR_SCRIPT(32772, 32776, 708, "of_setsort", FH_RESULT_INTEGER, kOverrides) {
  return fh::Value::of_integer(1);
}
ZR_SCRIPT(32772, 32776, 709, "of_setfilter", FH_RESULT_INTEGER, kOverrides) {
  return fh::Value::of_integer(1);
}

ZR_REGISTER(w_09903)
