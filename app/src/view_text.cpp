#include "view_text.h"

#include <algorithm>

namespace app {
namespace {

// Display width of UTF-8 text: Chinese characters take two columns.
std::size_t width_of(const std::string& s) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    w += n >= 3 ? 2 : 1;
    i += n;
  }
  return w;
}

std::string pad(const std::string& s, std::size_t width) {
  const std::size_t w = width_of(s);
  return s + std::string(w < width ? width - w : 0, ' ');
}

std::string table(const nlohmann::json& dw, const std::string& indent) {
  std::vector<std::string> names, headers;
  for (const auto& c : dw["columns"]) {
    if (!c["visible"].get<bool>() || c["width"].get<long>() == 0) continue;
    names.push_back(c["name"]);
    const std::string h = c["header"];
    headers.push_back(h.empty() ? std::string(c["name"]) : h);
  }
  std::vector<std::size_t> widths;
  for (const auto& h : headers) widths.push_back(std::min<std::size_t>(width_of(h), 24));
  for (const auto& row : dw["rows"]) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      widths[i] = std::min<std::size_t>(std::max(widths[i], width_of(row["values"][names[i]])), 24);
    }
  }
  std::string out = indent + "      ";
  for (std::size_t i = 0; i < names.size(); ++i) out += pad(headers[i], widths[i]) + " | ";
  out += "\n";
  long n = 0;
  const long current = dw["currentrow"];
  for (const auto& row : dw["rows"]) {
    ++n;
    out += indent + (n == current ? "    > " : "      ");
    for (std::size_t i = 0; i < names.size(); ++i) {
      out += pad(row["values"][names[i]], widths[i]) + " | ";
    }
    out += "\n";
  }
  if (n == 0) out += indent + "      (no rows)\n";
  return out;
}

}  // namespace

std::string view_as_text(const nlohmann::json& view) {
  std::string out;
  for (const auto& w : view["windows"]) {
    out += "window " + std::string(w["class"]) + (w["modal"].get<bool>() ? " (modal)" : "") +
           "  \"" + std::string(w["title"]) + "\"  " + std::to_string(w["width"].get<long>()) +
           "x" + std::to_string(w["height"].get<long>()) + "\n";
    // The menu bar on one line.
    std::string menu;
    for (const auto& item : w.value("menu", nlohmann::json::array())) {
      if (item["level"] != 1 || !item["visible"].get<bool>()) continue;
      menu += "  " + std::string(item["text"]) + (item["enabled"].get<bool>() ? "" : " (disabled)");
    }
    if (!menu.empty()) out += "  menu:" + menu + "\n";
    // Nested controls are indented under theirs; a tab shows the controls of
    // its selected page only.
    struct Place {
      std::size_t depth = 0;
      bool shown = true;
      long pages = 0;  // for a tab: pages seen so far
      long selected = 0;
    };
    std::map<std::string, Place> places;
    for (const auto& c : w["controls"]) {
      const std::string parent = c.value("parent", "");
      Place& here = places[std::string(c["name"])];
      bool selected_page = false;
      if (!parent.empty()) {
        Place& outer = places[parent];
        here.depth = outer.depth + 1;
        here.shown = outer.shown;
        if (outer.selected > 0) {
          selected_page = ++outer.pages == outer.selected;
          here.shown = here.shown && selected_page;
        }
      }
      if (c["kind"] == "tab") here.selected = c.value("selectedtab", 0L);
      if (!c["visible"].get<bool>()) {
        here.shown = false;
        continue;
      }
      // A page is listed even when another page is selected; its contents are not.
      const bool page_of_tab = !parent.empty() && places[parent].selected > 0;
      if (!here.shown && !(page_of_tab && places[parent].shown)) continue;
      out += std::string(2 * (here.depth + 1), ' ') + std::string(c["kind"]) + " " +
             std::string(c["name"]);
      const std::string text = c["text"];
      if (!text.empty()) out += "  \"" + text + "\"";
      if (selected_page) out += " (selected)";
      if (c["kind"] == "checkbox" && c["checked"].get<bool>()) out += " [x]";
      if (!c["enabled"].get<bool>()) out += " (disabled)";
      // Where it is, so a dragged split bar and the controls it carries show it.
      out += "  at " + std::to_string(c["x"].get<long>()) + "," +
             std::to_string(c["y"].get<long>()) + " " + std::to_string(c["width"].get<long>()) +
             "x" + std::to_string(c["height"].get<long>());
      if (c.contains("dataobject")) {
        out +=
            "  " + std::string(c["dataobject"]) + "\n" + table(c, std::string(2 * here.depth, ' '));
      } else {
        out += "\n";
      }
    }
  }
  if (!view["messagebox"].is_null()) {
    const auto& b = view["messagebox"];
    out += "message box \"" + std::string(b["title"]) + "\": " + std::string(b["text"]) + "  [";
    for (std::size_t i = 0; i < b["buttons"].size(); ++i) {
      out += (i ? " " : "") + std::to_string(i + 1) + ":" + std::string(b["buttons"][i]);
    }
    out += "]\n";
  }
  return out;
}

}  // namespace app
