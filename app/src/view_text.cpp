#include "view_text.h"

#include <algorithm>
#include <cstdio>

#include "formhost/text.h"

namespace app {
namespace {

// C1 controls (0x9B is a CSI on its own) and the characters that reorder or
// break what a terminal shows.
bool is_unsafe_code_point(char32_t cp) {
  return (cp >= 0x80 && cp <= 0x9F) || cp == 0x200E || cp == 0x200F || cp == 0x2028 ||
         cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

// A string of the view, made safe for the terminal.
std::string safe(const nlohmann::json& j) { return terminal_safe(j.get<std::string>()); }

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
    const std::string h = safe(c["header"]);
    headers.push_back(h.empty() ? safe(c["name"]) : h);
  }
  std::vector<std::size_t> widths;
  for (const auto& h : headers) widths.push_back(std::min<std::size_t>(width_of(h), 24));
  // Every value whole, escaped; a long one widens its column no further.
  std::vector<std::vector<std::string>> cells;
  for (const auto& row : dw["rows"]) {
    auto& shown = cells.emplace_back();
    for (std::size_t i = 0; i < names.size(); ++i) {
      shown.push_back(safe(row["values"][names[i]]));
      widths[i] = std::min<std::size_t>(std::max(widths[i], width_of(shown.back())), 24);
    }
  }
  std::string out = indent + "      ";
  for (std::size_t i = 0; i < names.size(); ++i) out += pad(headers[i], widths[i]) + " | ";
  out += "\n";
  long n = 0;
  const long current = dw["currentrow"];
  for (const auto& shown : cells) {
    ++n;
    out += indent + (n == current ? "    > " : "      ");
    for (std::size_t i = 0; i < names.size(); ++i) out += pad(shown[i], widths[i]) + " | ";
    out += "\n";
  }
  if (n == 0) out += indent + "      (no rows)\n";
  return out;
}

}  // namespace

std::string json_safe(const nlohmann::json& j, int indent) {
  const std::string dumped = j.dump(indent);
  std::string out;
  out.reserve(dumped.size());
  char buf[8];
  for (std::size_t i = 0; i < dumped.size();) {
    char32_t cp = 0;
    const std::size_t n =
        static_cast<unsigned char>(dumped[i]) < 0x80 ? 0 : fh::utf8_sequence(dumped, i, cp);
    // Such characters stand only inside strings, where \u is their escape.
    if (n > 0 && is_unsafe_code_point(cp)) {
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
      out += buf;
      i += n;
    } else {
      out += dumped[i];
      ++i;
    }
  }
  return out;
}

std::string trace_line_safe(const fh::TraceRecord& record) {
  return std::to_string(record.category) + '\t' + std::to_string(record.status) + '\t' +
         terminal_safe(fh::gbk_to_utf8_lossy(record.text)) + '\n';
}

TerminalTraceSink::TerminalTraceSink(std::FILE* stream) : stream_(stream) {}

void TerminalTraceSink::write(const fh::TraceRecord& record) {
  const std::string line = trace_line_safe(record);
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

std::string terminal_safe(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  char buf[16];
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F) {
      if (c == '\\') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t n = c < 0x80 ? 0 : fh::utf8_sequence(s, i, cp);
    if (n > 0 && !is_unsafe_code_point(cp)) {
      out.append(s.substr(i, n));
    } else if (n > 0) {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(cp));
      out += buf;
    } else {
      switch (c) {
        case 0:
          out += "\\0";
          break;
        case '\t':
          out += "\\t";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case 0x1B:
          out += "\\e";
          break;
        default:
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
      }
    }
    i += n > 0 ? n : 1;
  }
  return out;
}

std::string view_as_text(const nlohmann::json& view) {
  std::string out;
  if (view.value("readonly", false)) out += "database open for viewing only: no changes\n";
  for (const auto& w : view["windows"]) {
    out += "window " + safe(w["class"]) + (w["modal"].get<bool>() ? " (modal)" : "") + "  \"" +
           safe(w["title"]) + "\"  " + std::to_string(w["width"].get<long>()) + "x" +
           std::to_string(w["height"].get<long>()) + "\n";
    // The menu bar on one line.
    std::string menu;
    for (const auto& item : w.value("menu", nlohmann::json::array())) {
      if (item["level"] != 1 || !item["visible"].get<bool>()) continue;
      menu += "  " + safe(item["text"]) + (item["enabled"].get<bool>() ? "" : " (disabled)");
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
      out += std::string(2 * (here.depth + 1), ' ') + safe(c["kind"]) + " " + safe(c["name"]);
      const std::string text = safe(c["text"]);
      if (!text.empty()) out += "  \"" + text + "\"";
      if (selected_page) out += " (selected)";
      if (c["kind"] == "checkbox" && c["checked"].get<bool>()) out += " [x]";
      if (!c["enabled"].get<bool>()) out += " (disabled)";
      // Where it is, so a dragged split bar and the controls it carries show it.
      out += "  at " + std::to_string(c["x"].get<long>()) + "," +
             std::to_string(c["y"].get<long>()) + " " + std::to_string(c["width"].get<long>()) +
             "x" + std::to_string(c["height"].get<long>());
      if (c.contains("dataobject")) {
        out += "  " + safe(c["dataobject"]) + "\n" + table(c, std::string(2 * here.depth, ' '));
      } else {
        out += "\n";
      }
    }
  }
  if (!view["messagebox"].is_null()) {
    const auto& b = view["messagebox"];
    out += "message box \"" + safe(b["title"]) + "\": " + safe(b["text"]) + "  [";
    for (std::size_t i = 0; i < b["buttons"].size(); ++i) {
      out += (i ? " " : "") + std::to_string(i + 1) + ":" + safe(b["buttons"][i]);
    }
    out += "]\n";
  }
  return out;
}

}  // namespace app
