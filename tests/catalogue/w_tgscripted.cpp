// A window with a hand-written source on the header zrgen writes for it: its
// prologue, and its events by name.
#include "zr_group_w_tgscripted.h"

ZR_EVENT(w_tgscripted, cb_go, clicked) {
  s.window().set("started", Value::of_bool(true));
  return 1;
}

ZR_REGISTER(w_tgscripted)
