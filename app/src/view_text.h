// The view as text for a terminal: windows, their controls and data windows
// as small tables.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace app {

// Text as a terminal may show it: control characters (C0, DEL, C1), the
// bidirectional overrides, bytes that are not UTF-8 and the backslash come out
// as backslash escapes, so a value can neither cut the output nor steer the
// terminal. Everything else passes unchanged.
std::string terminal_safe(std::string_view utf8);

std::string view_as_text(const nlohmann::json& view);

}  // namespace app
