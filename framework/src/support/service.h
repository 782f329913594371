// Service functions that only record a setting: the argument goes into an
// instance variable of the service, where the view and the framework read it.
#pragma once

#include "zrrt/registration.h"

// ZR_SETTING(slot, "of_setstyle", "ii_style"): answers 1.
#define ZR_SETTING(slot, function, variable)                                   \
  ZR_SCRIPT(32770, 32769, slot, function, FH_RESULT_INTEGER, kOverrides) {     \
    s.self().set(variable, s.arg(0));                                          \
    return fh::Value::of_integer(1);                                           \
  }
