// A window with a hand-written source that names its classes through the
// header zrgen writes for it.
#include "zr_classes_w_tgscripted.h"
#include "zrrt/registration.h"

// clang-format off
#define ZR_GROUP ZR_GROUP_w_tgscripted
ZR_WINDOW(w_tgscripted, ZR_CLASSES_w_tgscripted)
ZR_GENERATED_CREATE()
ZR_GENERATED_DESTROY_w_tgscripted()

ZR_SCRIPT(ZR_CLASS_w_tgscripted_cb_go, ZR_ANCESTOR_w_tgscripted_cb_go, 50, "clicked",
          FH_RESULT_LONG, kExtends) {
  s.step([&] { s.parent_window().set("started", fh::Value::of_bool(true)); });
  return 1;
}

ZR_REGISTER(w_tgscripted)
// clang-format on
