#include "scenario.h"

#include <sstream>

#include "formhost/errors.h"
#include "formhost/text.h"

namespace app {

const char* const kScenarioHelp = R"(Scenario lines (UTF-8; # starts a comment):
  open CLASS [PARM]                 open a window, PARM reaches it as stringparm
  click [WINDOW.]CONTROL            click a button, check box or menu item
  click [WINDOW.]DW HEADER          click a header text of a data window
  type [WINDOW.]DW ROW COLUMN TEXT  type TEXT into a cell (ROW 0: the current row)
  row [WINDOW.]DW N                 make row N current
  enter|insert|delete [WINDOW.]DW   Enter key, add a row, delete the current row
  save [WINDOW]                     save the window
  close [WINDOW]                    close the window (default: the active one)
  tab|backtab [WINDOW]              Tab or Shift+Tab: the focus to the next control
  answer N|yes|no|ok|cancel|...     press a button of the message box
  resize [WINDOW] WIDTH HEIGHT      resize the window
  drag [WINDOW.]BAR POSITION        drag a split bar to a y (horizontal bar) or x
  expect PATH = VALUE               compare a value of the view, e.g.
                                    w_01691.dw_items.column.zr_016910_f3bz01.header = 款号
                                    w_01691.dw_items.rowcount = 3
                                    w_01691.dw_items.row.1.mc = 衬衫
                                    messagebox.text = 不能删除
                                    (numbers match by value: 10 = 10.0000)
  expect refused TEXT               the last action was refused for a reason containing TEXT
  show                              print the view
After every action each open data window's buffers are checked; a broken one
fails the run. A refused action (a failed save too) fails the run unless an
'expect refused' line follows it; answers to the message box it showed may
stand between.)";

namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string unquote(const std::string& s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

// "w.c" -> window w, control c; "c" -> the active window's control c.
void split_target(const std::string& target, fh::Action& a) {
  const auto dot = target.find('.');
  if (dot == std::string::npos) {
    a.control = target;
  } else {
    a.window = target.substr(0, dot);
    a.control = target.substr(dot + 1);
  }
}

long to_long(const std::string& s, const std::string& where, const char* what) {
  try {
    std::size_t used = 0;
    const long n = std::stol(s, &used);
    if (used == s.size()) return n;
  } catch (const std::exception&) {
  }
  throw fh::Error(where + ": expected " + what + ", found '" + s + "'");
}

// A button by number, or by its label: the session finds the label among
// the pending box's buttons (cancel is 2 of OK/Cancel, 3 of Yes/No/Cancel).
void set_answer(fh::Action& a, const std::string& word, const std::string& where) {
  for (const char* name : {"yes", "no", "ok", "cancel", "abort", "retry", "ignore"}) {
    if (word == name) {
      a.text = word;
      return;
    }
  }
  a.number = to_long(word, where, "a button number or yes, no, ok, cancel");
}

}  // namespace

std::vector<ScenarioLine> parse_scenario(const std::string& text, const std::string& file) {
  std::vector<ScenarioLine> lines;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const std::string where = file + ":" + std::to_string(number);
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    std::string rest;
    std::getline(words, rest);
    rest = trim(rest);
    std::istringstream args(rest);
    auto next = [&](const char* what) {
      std::string w;
      if (!(args >> w)) throw fh::Error(where + ": expected " + what + " after '" + verb + "'");
      return w;
    };
    auto remainder = [&] {
      std::string r;
      std::getline(args, r);
      return unquote(trim(r));
    };
    auto gbk = [&](const std::string& s) { return fh::utf8_to_gbk(s, where); };

    ScenarioLine l;
    l.number = number;
    fh::Action& a = l.action;
    using K = fh::Action::Kind;
    if (verb == "open") {
      a.kind = K::kOpen;
      a.window = next("a window class");
      a.text = gbk(remainder());
    } else if (verb == "click" || verb == "enter" || verb == "insert" || verb == "delete") {
      a.kind = verb == "click"    ? K::kClick
               : verb == "enter"  ? K::kEnter
               : verb == "insert" ? K::kInsert
                                  : K::kDelete;
      split_target(next("a control"), a);
      // click DATAWINDOW HEADER: a header text (or column) of a data window.
      if (std::string header; verb == "click" && args >> header) a.column = header;
    } else if (verb == "type") {
      a.kind = K::kType;
      split_target(next("a data window"), a);
      a.row = to_long(next("a row number"), where, "a row number");
      a.column = next("a column");
      a.text = gbk(remainder());
    } else if (verb == "row") {
      a.kind = K::kRow;
      split_target(next("a data window"), a);
      a.row = to_long(next("a row number"), where, "a row number");
    } else if (verb == "save" || verb == "close") {
      a.kind = verb == "save" ? K::kSave : K::kClose;
      std::string w;
      if (args >> w) a.window = w;
    } else if (verb == "tab" || verb == "backtab") {
      a.kind = K::kTab;
      a.number = verb == "tab" ? 1 : -1;
      std::string w;
      if (args >> w) a.window = w;
    } else if (verb == "answer") {
      a.kind = K::kAnswer;
      set_answer(a, next("a button"), where);
    } else if (verb == "resize") {
      a.kind = K::kResize;
      std::vector<std::string> w;
      for (std::string x; args >> x;) w.push_back(x);
      if (w.size() == 3) a.window = w[0];
      if (w.size() < 2 || w.size() > 3) throw fh::Error(where + ": expected [WINDOW] WIDTH HEIGHT");
      a.width = to_long(w[w.size() - 2], where, "a width");
      a.height = to_long(w.back(), where, "a height");
    } else if (verb == "drag") {
      a.kind = K::kDrag;
      split_target(next("a split bar"), a);
      a.number = to_long(next("a position"), where, "a position");
    } else if (verb == "expect") {
      if (rest.starts_with("refused")) {
        l.kind = ScenarioLine::Kind::kExpectRefused;
        l.expected = unquote(trim(rest.substr(7)));
      } else {
        const auto eq = rest.find('=');
        if (eq == std::string::npos)
          throw fh::Error(where + ": expected PATH = VALUE after 'expect'");
        l.kind = ScenarioLine::Kind::kExpect;
        l.path = trim(rest.substr(0, eq));
        l.expected = unquote(trim(rest.substr(eq + 1)));
        if (l.path.empty()) throw fh::Error(where + ": expected a path before '='");
      }
    } else if (verb == "show") {
      l.kind = ScenarioLine::Kind::kShow;
    } else {
      throw fh::Error(where +
                      ": expected open, click, type, row, enter, insert, delete, save, close, "
                      "answer, resize, drag, expect or show, found '" +
                      verb + "'");
    }
    lines.push_back(std::move(l));
  }
  return lines;
}

std::optional<std::string> view_value(const nlohmann::json& view, const std::string& path) {
  std::vector<std::string> segs;
  std::istringstream in(path);
  for (std::string s; std::getline(in, s, '.');) segs.push_back(s);
  if (segs.empty()) return std::nullopt;

  const nlohmann::json* node = nullptr;
  if (segs[0] == "messagebox") {
    node = &view["messagebox"];
  } else {
    for (const auto& w : view["windows"]) {
      if (w["class"] == segs[0]) node = &w;  // the last, topmost of that class
    }
  }
  for (std::size_t i = 1; node != nullptr && i < segs.size(); ++i) {
    const std::string& s = segs[i];
    const nlohmann::json& n = *node;
    node = nullptr;
    if (n.is_object() && n.contains(s) && s != "rows" && s != "columns") {
      node = &n[s];
    } else if (s == "rowcount" && n.contains("rows")) {
      static thread_local nlohmann::json count;
      count = n["rows"].size();
      node = &count;
    } else if (s == "row" && n.contains("rows") && i + 1 < segs.size()) {
      const long r = std::atol(segs[++i].c_str());
      if (r >= 1 && r <= static_cast<long>(n["rows"].size())) {
        node = &n["rows"][static_cast<std::size_t>(r - 1)]["values"];
        if (i + 1 < segs.size() && segs[i + 1] == "status") {
          node = &n["rows"][static_cast<std::size_t>(r - 1)]["status"];
          ++i;
        }
      }
    } else if (s == "column" && n.contains("columns") && i + 1 < segs.size()) {
      const std::string& name = segs[++i];
      for (const auto& c : n["columns"]) {
        if (c["name"] == name) node = &c;
      }
    } else if (n.is_object() && n.contains("controls")) {
      for (const auto& c : n["controls"]) {
        if (c["name"] == s) node = &c;
      }
    }
  }
  if (node == nullptr) return std::nullopt;
  if (node->is_string()) return node->get<std::string>();
  return node->dump();
}

}  // namespace app
