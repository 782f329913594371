// Service functions that only record a setting: the argument goes into an
// instance variable of the service, where the view and the framework read it.
#pragma once

// ZR_SETTING(n_cst_dwsrv_sort, of_setstyle, "ii_style"): answers 1.
#define ZR_SETTING(service, function, variable) \
  ZR_EVENT(service, function) {                 \
    s.self().set(variable, s.arg(0));           \
    return fh::Value::of_integer(1);            \
  }
