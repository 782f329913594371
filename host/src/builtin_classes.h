// The platform's built-in classes and their events.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formhost/classes.h"

namespace fh::detail {

struct BuiltinEvent {
  std::string_view name;
  std::uint16_t slot;
  fh_result_type result;
};

struct BuiltinClass {
  std::string_view name;
  Kind kind;
  std::string_view ancestor;  // empty for the root
  std::span<const BuiltinEvent> events;
};

std::span<const BuiltinClass> builtin_classes();

}  // namespace fh::detail
