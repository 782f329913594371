// The rule the windows with configurable captions share: which stored caption
// counts as in use, and the two-digit numbers of their placeholders.
#pragma once

#include <cstdio>
#include <string>

#include "formhost/operators.h"

namespace caption {

// A caption is configured when it is not null and sorts after "0".
inline bool configured(const fh::Value& caption) { return static_cast<bool>(caption > "0"); }

// "01", "02", ...
inline std::string two_digits(int n) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// What an unconfigured caption shows: "未定" and its number.
inline std::string placeholder(int n) { return "未定" + two_digits(n); }

}  // namespace caption
