// formhost open and formhost run: windows on a real database, headless.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "commands.h"
#include "formhost/datawindow.h"
#include "formhost/decimal.h"
#include "formhost/errors.h"
#include "formhost/object.h"
#include "formhost/text.h"
#include "formhost/view.h"
#include "scenario.h"
#include "view_text.h"
#include "workspace.h"

namespace app {
namespace {

struct CommonOptions {
  std::vector<std::string> modules;
  std::string db = kDefaultDatabase;
  bool json = false;
  bool trace = false;
};

void add_common(CLI::App* cmd, CommonOptions& o) {
  cmd->add_option("--db", o.db, "Connection: sqlite:PATH or postgresql://USER@HOST:PORT/DB")
      ->capture_default_str();
  cmd->add_option("--module", o.modules, "A module of the library list (repeatable)")
      ->check(CLI::ExistingFile);
  cmd->add_flag("--json", o.json, "Print the view as JSON");
  cmd->add_flag("--trace", o.trace, "Write trace records to stderr");
}

// Written whole: a value may hold a NUL (JSON and the text view escape it).
void print_view(const nlohmann::json& view, bool json) {
  const std::string out = json ? json_safe(view, 2) + "\n" : view_as_text(view);
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// A message to stderr; what came from a value or a scenario line is escaped.
void say(const std::string& text) { std::fprintf(stderr, "%s\n", terminal_safe(text).c_str()); }

void report(const std::vector<std::string>& refusals, const std::string& where) {
  for (const std::string& r : refusals) say(where + "refused: " + r);
}

// Every failed retrieval of the open windows, as "window.control: why".
void failed_retrievals(const fh::Object& window, const fh::Object& obj,
                       std::vector<std::string>& out) {
  for (const fh::ObjectRef& c : obj.controls()) {
    if (const fh::DataWindow* dw = c->datawindow();
        dw != nullptr && !dw->retrieve_error().empty()) {
      out.push_back(window.cls().name() + "." + c->name() + ": " +
                    fh::gbk_to_utf8_lossy(dw->retrieve_error()));
    }
    failed_retrievals(window, *c, out);
  }
}

std::vector<std::string> failed_retrievals(const fh::Session& session) {
  std::vector<std::string> out;
  for (const fh::ObjectRef& w : session.windows()) failed_retrievals(*w, *w, out);
  return out;
}

int open_window(const CommonOptions& o, const std::string& name, const std::string& parm) {
  Workspace ws({o.modules, o.db, o.trace});
  fh::Action open{fh::Action::Kind::kOpen};
  open.window = name;
  open.text = fh::utf8_to_gbk(parm, "--parm");
  const auto refused = ws.act(open);
  if (ws.session().windows().empty()) {
    throw fh::Error(refused.empty() ? "window " + name + " did not open" : refused.front());
  }
  report(refused, "");
  print_view(fh::view(ws.session()), o.json);
  // A list that could not be read must not pass for an empty one.
  const std::vector<std::string> failed = failed_retrievals(ws.session());
  for (const std::string& f : failed) say(f);
  return failed.empty() ? 0 : 1;
}

// A number matches the same number written with other places: PostgreSQL
// hands a decimal back with its column's places, SQLite without them.
bool matches(const std::string& found, const std::string& expected) {
  if (found == expected) return true;
  const auto a = fh::Decimal::parse(found), b = fh::Decimal::parse(expected);
  return a && b && *a == *b;
}

int run_scenario(const CommonOptions& o, const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw fh::Error("cannot read scenario " + file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<ScenarioLine> lines = parse_scenario(text, file);
  // A scenario is a test: every action is followed by the data-window check.
  Workspace ws({o.modules, o.db, o.trace, true});
  // Refusals not yet claimed by an `expect refused` line, with the line of
  // the action refused. Only answers to the message box that action showed
  // may stand between the two.
  std::vector<std::string> last_refusals;
  int refused_line = 0;
  int met = 0;
  auto unclaimed = [&]() {
    if (last_refusals.empty()) return false;
    say(file + ":" + std::to_string(refused_line) + ": the action was refused (" +
        last_refusals.front() + ") and no 'expect refused' line follows");
    return true;
  };
  for (const ScenarioLine& l : lines) {
    const std::string where = file + ":" + std::to_string(l.number) + ": ";
    switch (l.kind) {
      case ScenarioLine::Kind::kAction: {
        const bool answer = l.action.kind == fh::Action::Kind::kAnswer;
        if (!answer && unclaimed()) return 1;
        const std::vector<std::string> refused = ws.act(l.action);
        report(refused, where);
        for (const std::string& r : refused) {
          if (r.starts_with(fh::kUnsoundDataWindow)) return 1;  // reported above
        }
        if (!answer || last_refusals.empty()) refused_line = l.number;
        if (!answer) last_refusals.clear();
        last_refusals.insert(last_refusals.end(), refused.begin(), refused.end());
        break;
      }
      case ScenarioLine::Kind::kShow:
        print_view(fh::view(ws.session()), o.json);
        break;
      case ScenarioLine::Kind::kExpect: {
        const auto found = view_value(fh::view(ws.session()), l.path);
        if (!found || !matches(*found, l.expected)) {
          say(where + "expected " + l.path + " = " + l.expected + ", found " +
              (found ? *found : "nothing at that path"));
          return 1;
        }
        ++met;
        break;
      }
      case ScenarioLine::Kind::kExpectRefused: {
        bool hit = false;
        for (const auto& r : last_refusals) hit = hit || r.find(l.expected) != std::string::npos;
        if (!hit) {
          say(where + "expected the last action to be refused (" + l.expected + "), it was not");
          return 1;
        }
        last_refusals.clear();
        ++met;
        break;
      }
    }
  }
  if (unclaimed()) return 1;
  std::printf("%s: %zu lines, %d expectations met\n", terminal_safe(file).c_str(), lines.size(),
              met);
  return 0;
}

}  // namespace

void add_window_commands(CLI::App& cli, int& exit_code) {
  {
    auto* cmd = cli.add_subcommand("open", "Open a window headless, print its view, close it");
    auto o = std::make_shared<CommonOptions>();
    auto name = std::make_shared<std::string>();
    auto parm = std::make_shared<std::string>();
    cmd->add_option("NAME", *name, "The window class")->required();
    cmd->add_option("--parm", *parm, "A text parameter for the window");
    add_common(cmd, *o);
    cmd->callback([o, name, parm, &exit_code] { exit_code = open_window(*o, *name, *parm); });
  }
  {
    auto* cmd = cli.add_subcommand("run", "Run a scenario of actions and expectations");
    cmd->footer(kScenarioHelp);
    auto o = std::make_shared<CommonOptions>();
    auto file = std::make_shared<std::string>();
    cmd->add_option("SCENARIO", *file, "The scenario file")->required()->check(CLI::ExistingFile);
    add_common(cmd, *o);
    cmd->callback([o, file, &exit_code] { exit_code = run_scenario(*o, *file); });
  }
}

}  // namespace app
