// zrgen: writes the registration source of each window or control class from
// its definition file (.srw), and for the windows whose scripts are written by
// hand a header with the class table they name in ZR_WINDOW.
//
//   zrgen --output-dir DIR [--context FILE...] [--first-group N]
//         [--scripted NAME...] [--classes-header] INPUT...
//
// Class numbers of a group: the window 32770, its ancestor 32769; one own class
// per control block, 32771 upward in file order (the host appends new controls
// in number order, so this keeps the file's order); the ancestors those own
// classes name, one number per distinct ancestor in order of first use, from
// 32800, or from the next hundred above the last own number when the controls
// reach 32800.
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
};

struct ClassRow {
  int number;
  std::string name;
  int ancestor;  // 0: an ancestor row, resolved by name
};

struct Table {
  std::vector<ClassRow> rows;
  // Per control: its own class number and its ancestor's number.
  std::vector<std::pair<std::string, std::pair<int, int>>> controls;
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

// "group 1872" -> 1872; nullopt for any other comment.
std::optional<std::int32_t> group_of(const std::string& comments, const std::string& file) {
  constexpr std::string_view kPrefix = "group ";
  std::string_view text = comments;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.starts_with(kPrefix)) return std::nullopt;
  text.remove_prefix(kPrefix.size());
  std::int32_t n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n <= 0) {
    throw Error(file + ": the comment 'group " + std::string(text) +
                "' gives no positive group number");
  }
  return n;
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
      if (auto g = group_of(s.def.comments(), s.file)) {
        s.group = *g;
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
    t.rows.push_back({kWindowNumber, d.name(), kAncestorNumber});
    t.rows.push_back({kAncestorNumber, d.ancestor(), 0});
    t.list_window = lower(effective_menu(s, chain)) == "m_main";

    const int own_count = static_cast<int>(d.controls().size());
    const int last_own = kFirstOwn + own_count - 1;
    int next_ancestor = kFirstAncestor;
    while (next_ancestor <= last_own) next_ancestor += 100;
    std::map<std::string, int> ancestor_numbers;
    int number = kFirstOwn;
    for (const ControlDefinition& c : d.controls()) {
      if (!is_identifier(c.name)) {
        throw Error(s.file + ": control name '" + c.name + "' is no identifier");
      }
      const auto [name, ancestor] = control_classes(s, chain, c);
      auto [it, added] = ancestor_numbers.emplace(ancestor, next_ancestor);
      if (added) ++next_ancestor;
      if (it->second > kMaxNumber) throw Error(s.file + ": too many controls for class numbers");
      t.rows.push_back({number, name, it->second});
      if (added) t.rows.push_back({it->second, ancestor, 0});
      t.controls.push_back({c.name, {number, it->second}});
      ++number;
    }
    return t;
  }

 private:
  static std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
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

std::string registration(const Source& s, const Table& t) {
  const std::string& name = s.def.name();
  std::string out = "// Generated by zrgen from " + s.file + "; do not edit.\n";
  out += "#include \"zrrt/registration.h\"\n\n";
  out += "#define ZR_GROUP " + std::to_string(s.group) + "\n";
  out += "ZR_WINDOW(" + name + ",\n" + rows_text(t, "          ", ",") + ")\n";
  out += "ZR_GENERATED_CREATE()\n";
  out += t.list_window ? "ZR_GENERATED_LIST_DESTROY()\n" : "ZR_GENERATED_DESTROY()\n";
  out += "ZR_REGISTER(" + name + ")\n";
  return out;
}

std::string classes_header(const Source& s, const Table& t) {
  const std::string& name = s.def.name();
  std::string out = "// Generated by zrgen from " + s.file + "; do not edit.\n";
  out += "// The class table of " + name + " for its hand-written source:\n";
  out += "//   #define ZR_GROUP ZR_GROUP_" + name + "\n";
  out += "//   ZR_WINDOW(" + name + ", ZR_CLASSES_" + name + ")\n";
  out += "#pragma once\n\n";
  out += "#define ZR_GROUP_" + name + " " + std::to_string(s.group) + "\n\n";
  out += "#define ZR_CLASSES_" + name + " \\\n" + rows_text(t, "  ", ", \\") + "\n\n";
  out += "// Each control's class number and its ancestor's, for ZR_SCRIPT.\n";
  for (const auto& [control, numbers] : t.controls) {
    out += "#define ZR_CLASS_" + name + "_" + control + " " + std::to_string(numbers.first) + "\n";
    out +=
        "#define ZR_ANCESTOR_" + name + "_" + control + " " + std::to_string(numbers.second) + "\n";
  }
  out += "\n// A list window also destroys its menu.\n";
  out += "#define ZR_GENERATED_DESTROY_" + name + "() " +
         (t.list_window ? "ZR_GENERATED_LIST_DESTROY()" : "ZR_GENERATED_DESTROY()") + "\n";
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
      "Writes one registration source (NAME.cpp) per class definition (.srw, UTF-8).\n"
      "Class numbers: the window 32770, its ancestor 32769, the controls' classes 32771 up\n"
      "in file order, their ancestors from 32800 (or the next hundred above the controls)."};
  app.name("zrgen");
  std::string output_dir;
  std::vector<std::string> inputs;
  std::vector<std::string> context;
  std::vector<std::string> scripted;
  std::optional<std::int32_t> first_group;
  bool headers = false;
  app.add_option("-o,--output-dir", output_dir, "Where the sources and headers go")->required();
  app.add_option("inputs", inputs, "The definitions to write registrations for")->required();
  app.add_option("--context", context,
                 "Definitions read only to follow ancestor chains (the framework's ancestors)");
  app.add_option(
      "--first-group", first_group,
      "Group numbers for inputs without a 'group NNNN' comment, counted up in input order");
  app.add_option("--scripted", scripted,
                 "Windows whose source is written by hand: no registration is written for them");
  app.add_flag("--classes-header", headers,
               "Also write zr_classes_NAME.h with the class table of each --scripted window");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "zrgen: " << e.what() << " (see zrgen --help)\n";
    return e.get_exit_code() != 0 ? e.get_exit_code() : 2;
  }

  try {
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
    for (const Source& s : gen.sources()) {
      if (!s.generate) continue;
      const Table t = gen.table(s);
      if (hand_written.count(s.def.name()) == 0) {
        outputs.emplace_back(dir / (s.def.name() + ".cpp"), registration(s, t));
      } else if (headers) {
        outputs.emplace_back(dir / ("zr_classes_" + s.def.name() + ".h"), classes_header(s, t));
      }
    }
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
