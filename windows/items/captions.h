// What the item list and the item editor share: the caption configuration
// rows.
#pragma once

#include "../common/captions.h"

namespace items {

// The sixteen captions of the single row of zr_022740, in column order.
inline constexpr const char* kCaptionSelect =
    "select hctj01 , hctj02 , hctj03 , hctj04 , hctj05 , hctj06 , hctj07 , hctj08 , "
    "hctj09 , hctj10 , hctj11 , hctj12 , hctj13 , hctj14 , hctj15 , hctj16 from zr_022740 ";

// Their sixteen widths, of the single row of zr_023450.
inline constexpr const char* kWidthSelect =
    "select hcwd01 , hcwd02 , hcwd03 , hcwd04 , hcwd05 , hcwd06 , hcwd07 , hcwd08 , "
    "hcwd09 , hcwd10 , hcwd11 , hcwd12 , hcwd13 , hcwd14 , hcwd15 , hcwd16 from zr_023450 ";

}  // namespace items
