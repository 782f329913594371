// Scenario files: a file either parses or is refused with fh::Error naming
// its line; every path of an expectation is looked up in a view without
// failing; and what the terminal is shown of any text holds no control
// character.
#include "../../app/src/scenario.h"

#include "../../app/src/view_text.h"
#include "formhost/errors.h"
#include "fuzz_target.h"

namespace {

const nlohmann::json& view() {
  static const nlohmann::json v = nlohmann::json::parse(R"({
    "windows": [{"class": "w_a", "title": "t", "modal": false, "width": 10, "height": 5,
                 "controls": [{"name": "dw", "kind": "datawindow", "text": "",
                               "columns": [{"name": "mc", "header": "h", "width": 1}],
                               "rows": [{"status": "new", "values": {"mc": "x"}}]}]}],
    "messagebox": {"title": "b", "text": "sure?"}})");
  return v;
}

void check_shown(std::string_view text) {
  const std::string shown = app::terminal_safe(text);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto c = static_cast<unsigned char>(shown[i]);
    zrfuzz::check(c >= 0x20 && c != 0x7F, "a control character reaches the terminal");
    if (c == 0xC2 && i + 1 < shown.size()) {
      const auto d = static_cast<unsigned char>(shown[i + 1]);
      zrfuzz::check(d < 0x80 || d > 0x9F, "a C1 control reaches the terminal");
    }
  }
}

}  // namespace

ZR_FUZZ_TARGET(scenario) {
  const std::string text(zrfuzz::bytes(data, size));
  check_shown(text);
  std::vector<app::ScenarioLine> lines;
  try {
    lines = app::parse_scenario(text, "fuzz.scn");
  } catch (const fh::Error& e) {
    zrfuzz::check(std::string_view(e.what()).find("fuzz.scn:") != std::string_view::npos,
                  std::string("an error that does not name its line: ") + e.what());
    return 0;
  }
  int last = 0;
  for (const app::ScenarioLine& l : lines) {
    zrfuzz::check(l.number > last, "scenario lines out of order");
    last = l.number;
    if (l.kind == app::ScenarioLine::Kind::kExpect) (void)app::view_value(view(), l.path);
  }
  return 0;
}
