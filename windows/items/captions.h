// What the item list and the item editor share: the caption configuration
// row and the rule that a caption is in use.
#pragma once

#include <cstdio>
#include <string>

#include "formhost/functions.h"
#include "formhost/value.h"

namespace items {

// The sixteen captions of the single row of zr_022740, in column order.
inline constexpr const char* kCaptionSelect =
    "select hctj01 , hctj02 , hctj03 , hctj04 , hctj05 , hctj06 , hctj07 , hctj08 , "
    "hctj09 , hctj10 , hctj11 , hctj12 , hctj13 , hctj14 , hctj15 , hctj16 from zr_022740 ";

// A caption is configured when it is not null and sorts after "0".
inline bool configured(const fh::Value& caption) {
  return fh::is_true(fh::gt(caption, fh::Value::of_string("0")));
}

// "01" to "16".
inline std::string two_digits(int n) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace items
