// The test scripts leave a trail in the "log" variable of their window.
#pragma once

#include <string>

#include "zrrt/script.h"

namespace zrtest {

inline void log(zr::Script& s, fh::Object& where, const std::string& what) {
  fh::Object& w = where.window() != nullptr ? *where.window() : where;
  const fh::Value old = w.get("log");
  const std::string text = old.is_null() ? what : old.as_string() + "," + what;
  w.set("log", fh::Value::of_string(text));
  (void)s;
}

inline void log(zr::Script& s, const std::string& what) { log(s, s.self(), what); }

}  // namespace zrtest
