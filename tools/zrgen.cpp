// zrgen: writes the registrations of the classes defined in .srw files: one
// source with every class that has no scripts of its own (plain_windows.cpp),
// and for each class whose scripts are written by hand a header
// (zr_group_NAME.h) with its registration prologue and one descriptor per
// event its classes know, so that scripts are declared by name.
//
//   zrgen --output-dir DIR [--context FILE...] [--events FILE...]
//         [--first-group N] [--scripted NAME...] INPUT...
//
// Class numbers of a group: the window 32770, its ancestor 32769; one own class
// per control block, 32771 upward in file order (the host appends new controls
// in number order, so this keeps the file's order), except those the file's
// comment fixes ("group 1813 classes dw_ddyy=32868"), which the others step
// round; the ancestors those own classes name, one number per distinct
// ancestor in order of first use, from 32800, or from the next hundred above
// the highest own number when the controls reach 32800.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/definition.h"
#include "formhost/errors.h"
#include "formhost/text.h"
#include "replace_file.h"

namespace {

using fh::ClassDefinition;
using fh::ControlDefinition;
using fh::Error;

constexpr int kWindowNumber = 32770;
constexpr int kAncestorNumber = 32769;
constexpr int kFirstOwn = 32771;
constexpr int kFirstAncestor = 32800;
constexpr int kMaxNumber = 65535;

struct Source {
  std::string file;  // the file name, for messages and the generated comment
  ClassDefinition def;
  bool generate = false;
  std::int32_t group = 0;
  std::map<std::string, int> fixed;  // control -> class number the comment fixes
};

// One line of an event table: CLASS SLOT EVENT RESULT KIND.
struct EventDecl {
  std::string name;
  int slot;
  std::string result;  // FH_RESULT_NONE, FH_RESULT_LONG, FH_RESULT_INTEGER
  bool function;       // functions replace the ancestor's script; events extend it
};

// The events each class declares, by class name; "object" holds those of every class.
using EventTable = std::map<std::string, std::vector<EventDecl>, std::less<>>;

struct ClassRow {
  int number;
  std::string name;
  int ancestor;  // 0: an ancestor row, resolved by name
};

struct ControlClasses {
  std::string name;                // the control's name
  int number;                      // its own class number
  int ancestor;                    // its ancestor's class number
  std::vector<std::string> chain;  // the classes it is made of, nearest first
};

struct Table {
  std::vector<ClassRow> rows;
  std::vector<ControlClasses> controls;
  std::vector<std::string> chain;  // the class itself and its ancestors, nearest first
  bool list_window = false;
};

std::string read_whole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("cannot open '" + path + "': " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("cannot read '" + path + "'");
  return bytes;
}

bool is_identifier(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s.front()))) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return c == '_' || std::isalnum(static_cast<unsigned char>(c));
  });
}

// Reads an event table: "CLASS SLOT EVENT RESULT KIND" a line, "#" comments.
void read_events(const std::string& path, EventTable& table) {
  const std::string text = read_whole(path);
  std::size_t pos = 0;
  int line_no = 0;
  while (pos < text.size()) {
    const std::size_t eol = std::min(text.find('\n', pos), text.size());
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++line_no;
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      const std::size_t start = i;
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
      if (i > start) words.push_back(line.substr(start, i - start));
    }
    if (words.empty()) continue;
    const std::string where = path + ":" + std::to_string(line_no) + ": ";
    if (words.size() != 5) throw Error(where + "expected CLASS SLOT EVENT RESULT KIND");
    int slot = -1;
    const auto [end, ec] =
        std::from_chars(words[1].data(), words[1].data() + words[1].size(), slot);
    if (ec != std::errc() || end != words[1].data() + words[1].size() || slot < 0 || slot > 65535) {
      throw Error(where + "slot '" + words[1] + "' is no number from 0 to 65535");
    }
    if (!is_identifier(words[0]) || !is_identifier(words[2])) {
      throw Error(where + "class and event names are identifiers");
    }
    static const std::map<std::string, std::string> kResults = {
        {"none", "FH_RESULT_NONE"}, {"long", "FH_RESULT_LONG"}, {"integer", "FH_RESULT_INTEGER"}};
    const auto result = kResults.find(words[3]);
    if (result == kResults.end())
      throw Error(where + "result '" + words[3] + "' is not none, long or integer");
    if (words[4] != "event" && words[4] != "function") {
      throw Error(where + "kind '" + words[4] + "' is not event or function");
    }
    std::vector<EventDecl>& events = table[words[0]];
    for (const EventDecl& e : events) {
      if (e.name == words[2]) throw Error(where + words[0] + " declares " + words[2] + " twice");
    }
    events.push_back({words[2], slot, result->second, words[4] == "function"});
  }
}

// What a file's comment fixes: "group 1813" and, after "classes", the class
// numbers of controls: "group 1813 classes dw_ddyy=32868 cb_2=32872".
struct Numbering {
  std::int32_t group = 0;
  std::map<std::string, int> controls;
};

std::optional<int> whole_number(std::string_view text) {
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}

// Nullopt for a comment that does not start with "group ".
std::optional<Numbering> numbering_of(const std::string& comments, const std::string& file) {
  std::vector<std::string_view> words;
  std::string_view text = comments;
  while (!text.empty()) {
    const auto space = text.find(' ');
    if (space != 0) words.push_back(text.substr(0, space));
    text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
  }
  if (words.empty() || words[0] != "group") return std::nullopt;
  Numbering out;
  const std::optional<int> group = words.size() > 1 ? whole_number(words[1]) : std::nullopt;
  if (!group || *group <= 0) {
    throw Error(file + ": the comment '" + comments + "' gives no positive group number");
  }
  out.group = *group;
  if (words.size() == 2) return out;
  if (words[2] != "classes" || words.size() == 3) {
    throw Error(file + ": after the group number the comment expects 'classes CONTROL=NUMBER ...'");
  }
  for (std::size_t i = 3; i < words.size(); ++i) {
    const auto eq = words[i].find('=');
    const std::string control(words[i].substr(0, eq));
    const std::optional<int> n =
        eq == std::string_view::npos ? std::nullopt : whole_number(words[i].substr(eq + 1));
    if (!n || *n < kFirstOwn || *n > kMaxNumber) {
      throw Error(file + ": '" + std::string(words[i]) + "' gives no class number from " +
                  std::to_string(kFirstOwn) + " to " + std::to_string(kMaxNumber));
    }
    if (!out.controls.emplace(control, *n).second) {
      throw Error(file + ": the comment numbers control '" + control + "' twice");
    }
  }
  return out;
}

class Generator {
 public:
  void add(const std::string& path, bool generate) {
    Source s;
    s.file = std::filesystem::path(path).filename().string();
    try {
      s.def = ClassDefinition::parse(fh::utf8_to_gbk(read_whole(path), path), path);
    } catch (const Error& e) {
      // The parser quotes the file's text in GBK; the path before it is ours.
      std::string_view what = e.what();
      if (!what.starts_with(path)) throw;
      what.remove_prefix(path.size());
      throw Error(path + fh::gbk_to_utf8_lossy(what));
    }
    s.generate = generate;
    const std::string& name = s.def.name();
    if (!is_identifier(name)) throw Error(s.file + ": class name '" + name + "' is no identifier");
    if (auto it = by_name_.find(name); it != by_name_.end()) {
      throw Error(s.file + ": class '" + name + "' is also defined by " +
                  sources_[it->second].file);
    }
    by_name_[name] = sources_.size();
    sources_.push_back(std::move(s));
  }

  // Group numbers: the file's comment, else the next of `first` in input order.
  void number_groups(std::optional<std::int32_t> first) {
    std::map<std::int32_t, std::string> used;
    std::vector<Source*> unnumbered;
    for (Source& s : sources_) {
      if (!s.generate) continue;
      if (auto n = numbering_of(s.def.comments(), s.file)) {
        s.group = n->group;
        s.fixed = std::move(n->controls);
        claim(used, s);
      } else {
        unnumbered.push_back(&s);
      }
    }
    std::int32_t next = first.value_or(0);
    for (Source* s : unnumbered) {
      if (!first) {
        throw Error(s->file + ": no '$PBExportComments$group NNNN' line and no --first-group");
      }
      s->group = next++;
      claim(used, *s);
    }
  }

  const Source* find(std::string_view name) const {
    auto it = by_name_.find(name);
    return it == by_name_.end() ? nullptr : &sources_[it->second];
  }
  std::vector<Source>& sources() { return sources_; }

  Table table(const Source& s) const {
    const ClassDefinition& d = s.def;
    const std::vector<const Source*> chain = ancestors(s);
    Table t;
    t.chain.push_back(d.name());
    for (const Source* a : chain) t.chain.push_back(a->def.name());
    t.chain.push_back(chain.empty() ? d.ancestor() : chain.back()->def.ancestor());
    t.rows.push_back({kWindowNumber, d.name(), kAncestorNumber});
    t.rows.push_back({kAncestorNumber, d.ancestor(), 0});
    t.list_window = fh::text::iequal(effective_menu(s, chain), "m_main");

    const std::vector<int> own = own_numbers(s);
    const int last_own = own.empty() ? kWindowNumber : *std::max_element(own.begin(), own.end());
    int next_ancestor = kFirstAncestor;
    while (next_ancestor <= last_own) next_ancestor += 100;
    std::map<std::string, int> ancestor_numbers;
    auto number = own.begin();
    for (const ControlDefinition& c : d.controls()) {
      if (!is_identifier(c.name)) {
        throw Error(s.file + ": control name '" + c.name + "' is no identifier");
      }
      const auto [name, ancestor] = control_classes(s, chain, c);
      auto [it, added] = ancestor_numbers.emplace(ancestor, next_ancestor);
      if (added) ++next_ancestor;
      if (it->second > kMaxNumber) throw Error(s.file + ": too many controls for class numbers");
      t.rows.push_back({*number, name, it->second});
      if (added) t.rows.push_back({it->second, ancestor, 0});
      t.controls.push_back({c.name, *number, it->second, class_chain(base_class(s, chain, c))});
      ++number;
    }
    return t;
  }

 private:
  // The controls' own class numbers in file order: those the comment fixes,
  // the others counted up from 32771 past the fixed ones.
  static std::vector<int> own_numbers(const Source& s) {
    std::set<int> taken;
    for (const auto& [control, n] : s.fixed) {
      if (s.def.control(control) == nullptr) {
        throw Error(s.file + ": the comment numbers control '" + control + "', which it lacks");
      }
      if (!taken.insert(n).second) {
        throw Error(s.file + ": the comment gives class number " + std::to_string(n) + " twice");
      }
    }
    std::vector<int> out;
    int next = kFirstOwn;
    for (const ControlDefinition& c : s.def.controls()) {
      if (auto it = s.fixed.find(c.name); it != s.fixed.end()) {
        out.push_back(it->second);
        continue;
      }
      while (taken.count(next) != 0) ++next;
      if (next > kMaxNumber) throw Error(s.file + ": too many controls for class numbers");
      taken.insert(next);
      out.push_back(next++);
    }
    return out;
  }

  static void claim(std::map<std::int32_t, std::string>& used, const Source& s) {
    auto [it, added] = used.emplace(s.group, s.file);
    if (!added) {
      throw Error(s.file + ": group " + std::to_string(s.group) + " is also the group of " +
                  it->second);
    }
  }

  // The definitions above `s`, nearest first; the chain ends at a class we
  // have no file for (a built-in such as `window`).
  std::vector<const Source*> ancestors(const Source& s) const {
    std::vector<const Source*> chain;
    std::set<std::string> seen{s.def.name()};
    for (const Source* a = find(s.def.ancestor()); a != nullptr; a = find(a->def.ancestor())) {
      if (!seen.insert(a->def.name()).second) {
        throw Error(s.file + ": the ancestor chain of '" + s.def.name() + "' is circular");
      }
      chain.push_back(a);
    }
    return chain;
  }

  static std::string effective_menu(const Source& s, const std::vector<const Source*>& chain) {
    auto menu_of = [](const ClassDefinition& d) -> const fh::Value* {
      return d.property("menuname");
    };
    const fh::Value* v = menu_of(s.def);
    for (auto it = chain.begin(); v == nullptr && it != chain.end(); ++it) v = menu_of((*it)->def);
    if (v == nullptr || v->is_null() || v->type() != fh::Type::kString) return "";
    return v->as_string();
  }

  // The class that first declares `control`, walking down from `from`.
  std::string first_declarer(const Source& s, const Source& from,
                             const std::string& control) const {
    std::set<std::string> seen;
    for (const Source* at = &from; at != nullptr;) {
      if (!seen.insert(at->def.name()).second) break;
      const ControlDefinition* c = at->def.control(control);
      if (c == nullptr) {
        throw Error(s.file + ": control '" + control + "' inherits from '" + from.def.name() + "`" +
                    control + "', but " + at->def.name() + " has no control '" + control + "'");
      }
      const auto tick = c->ancestor.find('`');
      if (tick == std::string::npos) return at->def.name();
      at = find(c->ancestor.substr(0, tick));
    }
    throw Error(s.file + ": control '" + control + "' has a circular chain of declarations");
  }

  // The class a control is made of: its `from`, or for an inherited control
  // the `from` of the ancestor that first declared it.
  std::string base_class(const Source& s, const std::vector<const Source*>& chain,
                         const ControlDefinition& c) const {
    const auto tick = c.ancestor.find('`');
    if (tick == std::string::npos) return c.ancestor;
    const std::string window = c.ancestor.substr(0, tick);
    auto in_chain = std::find_if(chain.begin(), chain.end(),
                                 [&](const Source* a) { return a->def.name() == window; });
    const Source* declarer = find(first_declarer(s, **in_chain, c.name));
    const ControlDefinition* declared = declarer->def.control(c.name);
    return declared->ancestor;
  }

  // A class and its ancestors, nearest first, down to the built-in class.
  std::vector<std::string> class_chain(const std::string& name) const {
    std::vector<std::string> out{name};
    std::set<std::string> seen{name};
    for (const Source* a = find(name); a != nullptr; a = find(a->def.ancestor())) {
      if (!seen.insert(a->def.ancestor()).second) break;
      out.push_back(a->def.ancestor());
    }
    return out;
  }

  // The own class's display name and its ancestor's name.
  std::pair<std::string, std::string> control_classes(const Source& s,
                                                      const std::vector<const Source*>& chain,
                                                      const ControlDefinition& c) const {
    const std::string where = s.file + ": control '" + c.name + "'";
    const auto tick = c.ancestor.find('`');
    if (tick == std::string::npos) {
      // A control of its own must not hide one the ancestors declare.
      for (const Source* a : chain) {
        if (a->def.control(c.name) != nullptr) {
          throw Error(where + " is inherited from " + a->def.name() + ": write it `from " +
                      a->def.name() + "`" + c.name + "`");
        }
      }
      return {s.def.name() + "`" + c.name, c.ancestor};
    }
    const std::string window = c.ancestor.substr(0, tick);
    const std::string control = c.ancestor.substr(tick + 1);
    if (control != c.name) {
      throw Error(where + " inherits from '" + c.ancestor + "', a control of another name");
    }
    auto in_chain = std::find_if(chain.begin(), chain.end(),
                                 [&](const Source* a) { return a->def.name() == window; });
    if (in_chain == chain.end()) {
      throw Error(where + " inherits from '" + c.ancestor + "', but " + window +
                  (find(window) ? " is no ancestor of " + s.def.name() : " has no definition"));
    }
    return {first_declarer(s, **in_chain, control) + "`" + control, c.ancestor};
  }

  std::vector<Source> sources_;
  std::map<std::string, std::size_t, std::less<>> by_name_;
};

// Class names are identifiers and back-quotes; escape anyway, so that a
// literal can never be broken by what a file says.
std::string literal(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string row_text(const ClassRow& r) {
  if (r.ancestor == 0) {
    return "ZR_ANCESTOR(" + std::to_string(r.number) + ", " + literal(r.name) + ")";
  }
  return "ZR_CLASS(" + std::to_string(r.number) + ", " + literal(r.name) + ", " +
         std::to_string(r.ancestor) + ")";
}

// One row per line, `sep` and a line break between rows.
std::string rows_text(const Table& t, const std::string& indent, const std::string& sep) {
  std::string out;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    if (i > 0) out += sep + "\n";
    out += indent + row_text(t.rows[i]);
  }
  return out;
}

const char* destroy_body(const Table& t) {
  return t.list_window ? "generated_list_destroy" : "generated_nothing";
}

// The registration of a class without scripts of its own.
std::string plain_registration(const Source& s, const Table& t) {
  return "ZR_PLAIN_WINDOW(" + s.def.name() + ", " + std::to_string(s.group) + ", " +
         destroy_body(t) + ",\n" + rows_text(t, "                ", ",") + ")\n";
}

// The events a chain of classes knows, nearest declaration first.
std::vector<const EventDecl*> known_events(const std::vector<std::string>& chain,
                                           const EventTable& events) {
  std::vector<const EventDecl*> out;
  std::set<std::string> seen;
  auto take = [&](const std::string& cls) {
    auto it = events.find(cls);
    if (it == events.end()) return;
    for (const EventDecl& e : it->second) {
      if (seen.insert(e.name).second) out.push_back(&e);
    }
  };
  for (const std::string& cls : chain) take(cls);
  take("object");
  return out;
}

std::string descriptors(const std::string& prefix, int group, int number, int ancestor,
                        const std::vector<const EventDecl*>& events) {
  std::string out;
  for (const EventDecl* e : events) {
    out += "#define ZR_EVENT_" + prefix + "_" + e->name + " " + std::to_string(group) + ", " +
           std::to_string(number) + ", " + std::to_string(ancestor) + ", " +
           std::to_string(e->slot) + ", " + literal(e->name) + ", " + e->result + ", " +
           (e->function ? "kOverrides" : "kExtends") + "\n";
  }
  return out;
}

// The header of a class whose scripts are written by hand: its prologue and
// the descriptors ZR_EVENT takes.
std::string group_header(const Source& s, const Table& t, const EventTable& events) {
  const std::string& name = s.def.name();
  std::string out = "// Generated by zrgen from " + s.file + "; do not edit.\n";
  out += "// The class group of " + name + ": its registration prologue, then its events\n";
  out += "// for ZR_EVENT(" + name + ", EVENT) and ZR_EVENT(" + name + ", CONTROL, EVENT).\n";
  out += "// A source that scripts create or destroy itself defines ZR_SCRIPTS_CREATE or\n";
  out += "// ZR_SCRIPTS_DESTROY before including this.\n";
  out += "#pragma once\n\n";
  out += "#include \"zrrt/registration.h\"\n";
  out += "#include \"zrrt/script.h\"\n\n";
  out += "using fh::Value;\n\n";
  out += "#define ZR_GROUP " + std::to_string(s.group) + "\n";
  out += "ZR_WINDOW(" + name + ",\n" + rows_text(t, "          ", ",") + ")\n";
  out += "#ifndef ZR_SCRIPTS_CREATE\nZR_GENERATED_CREATE()\n#endif\n";
  out += "#ifndef ZR_SCRIPTS_DESTROY\n";
  out += t.list_window ? "ZR_GENERATED_LIST_DESTROY()\n" : "ZR_GENERATED_DESTROY()\n";
  out += "#endif\n\n";
  out += "// group, class, ancestor, slot, name, result, mode\n";
  out += descriptors(name, s.group, kWindowNumber, kAncestorNumber, known_events(t.chain, events));
  for (const ControlClasses& c : t.controls) {
    out += descriptors(name + "_" + c.name, s.group, c.number, c.ancestor,
                       known_events(c.chain, events));
  }
  return out;
}

// Writes `text` to `path` through a temporary file and a rename, and only when
// it differs, so the build recompiles only what changed.
void write_if_changed(const std::filesystem::path& path, const std::string& text) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (!in.bad() && old == text) return;
    }
  }
  // Generated sources are ordinary files.
  tools::replace_file(path.string(), text, 0644);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Writes the registrations of class definitions (.srw, UTF-8): plain_windows.cpp with\n"
      "every class without scripts, zr_group_NAME.h for each class scripted by hand.\n"
      "Class numbers: the window 32770, its ancestor 32769, the controls' classes 32771 up\n"
      "in file order, their ancestors from 32800 (or the next hundred above the controls)."};
  app.name("zrgen");
  std::string output_dir;
  std::vector<std::string> inputs;
  std::vector<std::string> context;
  std::vector<std::string> scripted;
  std::vector<std::string> event_files;
  std::optional<std::int32_t> first_group;
  app.add_option("-o,--output-dir", output_dir, "Where the sources and headers go")->required();
  app.add_option("inputs", inputs, "The definitions to write registrations for")->required();
  app.add_option("--context", context,
                 "Definitions read only to follow ancestor chains (the framework's ancestors)");
  app.add_option(
      "--first-group", first_group,
      "Group numbers for inputs without a 'group NNNN' comment, counted up in input order");
  app.add_option("--scripted", scripted,
                 "Classes whose scripts are written by hand: zr_group_NAME.h is written for each");
  app.add_option("--events", event_files,
                 "Event tables (CLASS SLOT EVENT RESULT KIND a line) for the event descriptors");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "zrgen: " << e.what() << " (see zrgen --help)\n";
    return e.get_exit_code() != 0 ? e.get_exit_code() : 2;
  }

  try {
    EventTable events;
    for (const std::string& f : event_files) read_events(f, events);
    Generator gen;
    for (const std::string& f : inputs) gen.add(f, true);
    for (const std::string& f : context) gen.add(f, false);
    gen.number_groups(first_group);

    std::set<std::string> hand_written;
    for (const std::string& name : scripted) {
      const Source* s = gen.find(name);
      if (s == nullptr || !s->generate) throw Error("--scripted " + name + ": no input defines it");
      hand_written.insert(name);
    }

    // Every table first: a fault in any file leaves the outputs as they were.
    const std::filesystem::path dir(output_dir);
    std::vector<std::pair<std::filesystem::path, std::string>> outputs;
    std::string plain = "// Generated by zrgen; do not edit.\n";
    plain += "// The classes without scripts of their own, whole.\n";
    plain += "#include \"zrrt/registration.h\"\n";
    for (const Source& s : gen.sources()) {
      if (!s.generate) continue;
      const Table t = gen.table(s);
      if (hand_written.count(s.def.name()) == 0) {
        plain += "\n" + plain_registration(s, t);
      } else {
        outputs.emplace_back(dir / ("zr_group_" + s.def.name() + ".h"), group_header(s, t, events));
      }
    }
    outputs.emplace_back(dir / "plain_windows.cpp", plain);
    std::filesystem::create_directories(dir);
    for (const auto& [path, text] : outputs) write_if_changed(path, text);
  } catch (const std::exception& e) {
    std::string what = e.what();
    std::replace(what.begin(), what.end(), '\n', ' ');
    std::cerr << "zrgen: " << what << '\n';
    return 1;
  }
  return 0;
}
