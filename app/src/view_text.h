// The view as text for a terminal: windows, their controls and data windows
// as small tables.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace app {

std::string view_as_text(const nlohmann::json& view);

}  // namespace app
