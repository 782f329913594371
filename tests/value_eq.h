// Tests compare values as stored: same type, same null flag, same value
// (fh::same). Scripts compare them as the platform does (formhost/operators.h).
#pragma once

#include "formhost/value.h"

namespace fh {
inline bool operator==(const Value& a, const Value& b) { return same(a, b); }
}  // namespace fh
