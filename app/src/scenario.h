// Scenario files: an operator's session as text, one action or expectation a
// line (UTF-8). See `formhost run --help`.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "formhost/session.h"

namespace app {

struct ScenarioLine {
  int number = 0;
  enum class Kind { kAction, kExpect, kExpectRefused, kShow } kind = Kind::kAction;
  fh::Action action;
  std::string path;      // expect
  std::string expected;  // expect, expect refused
};

// Parses a whole file. Throws fh::Error "FILE:LINE: expected ..." at the first
// line that does not parse.
std::vector<ScenarioLine> parse_scenario(const std::string& text, const std::string& file);

// The view value a path names ("w_01691.dw_items.column.mc.header",
// "w_x.dw_y.row.2.mc", "w_x.dw_y.rowcount", "messagebox.text"), as text;
// none when the path leads nowhere.
std::optional<std::string> view_value(const nlohmann::json& view, const std::string& path);

extern const char* const kScenarioHelp;

}  // namespace app
