// What the item list and the item editor share: the caption configuration
// row and the rule that a caption is in use.
#pragma once

#include <cstdio>
#include <string>

#include "formhost/operators.h"

namespace items {

// The sixteen captions of the single row of zr_022740, in column order.
inline constexpr const char* kCaptionSelect =
    "select hctj01 , hctj02 , hctj03 , hctj04 , hctj05 , hctj06 , hctj07 , hctj08 , "
    "hctj09 , hctj10 , hctj11 , hctj12 , hctj13 , hctj14 , hctj15 , hctj16 from zr_022740 ";

// Their sixteen widths, of the single row of zr_023450.
inline constexpr const char* kWidthSelect =
    "select hcwd01 , hcwd02 , hcwd03 , hcwd04 , hcwd05 , hcwd06 , hcwd07 , hcwd08 , "
    "hcwd09 , hcwd10 , hcwd11 , hcwd12 , hcwd13 , hcwd14 , hcwd15 , hcwd16 from zr_023450 ";

// A caption is configured when it is not null and sorts after "0".
inline bool configured(const fh::Value& caption) { return static_cast<bool>(caption > "0"); }

// "01" to "16".
inline std::string two_digits(int n) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace items
