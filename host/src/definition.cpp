// Reads the subset of the export style that our class files use: a `global
// type` block of typed property lines, one `type ... within ...` block per
// control, a `type variables` block, and script blocks (`on`, `event`) whose
// bodies are kept as text. The layout is line by line, as the platform writes it.
#include "formhost/definition.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "dw/dw_text.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {

// Fills the private parts of a ClassDefinition; used by the parser only.
class ClassDefinitionBuilder {
 public:
  static std::string& name(ClassDefinition& c) { return c.name_; }
  static std::string& ancestor(ClassDefinition& c) { return c.ancestor_; }
  static std::string& within(ClassDefinition& c) { return c.within_; }
  static std::vector<PropertySetting>& properties(ClassDefinition& c) { return c.properties_; }
  static std::vector<ControlDefinition>& controls(ClassDefinition& c) { return c.controls_; }
  static std::vector<VariableDefinition>& variables(ClassDefinition& c) { return c.variables_; }
  static std::vector<EventDefinition>& events(ClassDefinition& c) { return c.events_; }
  static std::string& comments(ClassDefinition& c) { return c.comments_; }
};

namespace {

using B = ClassDefinitionBuilder;

enum class Tok { kWord, kString, kSymbol, kEnd };

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;  // a word or symbol as written, a string's unescaped text
  std::string raw;   // as written, for messages
};

struct Line {
  std::string_view text;  // without the line end
  int number = 0;
};

// What a `[global] type NAME from CLASS [within PARENT]` line says.
struct TypeHeader {
  std::string name;
  std::string ancestor;
  std::string within;
  int line = 0;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Letters, digits and the marks that may join them in names, numbers, dates,
// times, enumerated values (`center!`), nested classes (`w_x`dw_y`),
// `w_x.create` and `obj::event`.
bool is_word_byte(char c) {
  return is_ascii_letter(c) || is_digit(c) || c == '_' || c == '$' || c == '#' || c == '%' ||
         c == '-' || c == '+' || c == '.' || c == '`' || c == '!' || c == ':';
}

// A name of the platform: a letter or _ first, then letters, digits, _ $ # % -.
bool is_identifier(std::string_view s) {
  if (s.empty() || !(is_ascii_letter(s[0]) || s[0] == '_')) return false;
  for (const char c : s) {
    if (!(is_ascii_letter(c) || is_digit(c) || c == '_' || c == '$' || c == '#' || c == '%' ||
          c == '-')) {
      return false;
    }
  }
  return true;
}

// A class name, perhaps nested: "u_dw", "w_ddyrsg`dw_items".
bool is_class_name(std::string_view s) {
  for (;;) {
    const std::size_t tick = s.find('`');
    if (!is_identifier(s.substr(0, tick))) return false;
    if (tick == std::string_view::npos) return true;
    s.remove_prefix(tick + 1);
  }
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && dw::is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && dw::is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// Texts for messages, cut short on a character boundary.
std::string shorten(std::string_view s) { return dw::shorten(s, 48); }

std::string quote(std::string_view s) { return "'" + shorten(s) + "'"; }

// Value types of property and variable lines; other types are enumerations.
std::optional<Type> scalar_type(std::string_view type) {
  if (type == "integer" || type == "int") return Type::kInteger;
  if (type == "long") return Type::kLong;
  if (type == "decimal" || type == "dec") return Type::kDecimal;
  if (type == "double" || type == "real") return Type::kDouble;
  if (type == "string") return Type::kString;
  if (type == "boolean") return Type::kBoolean;
  if (type == "date") return Type::kDate;
  if (type == "time") return Type::kTime;
  return std::nullopt;
}

// Digits with an optional sign, within [lo, hi].
std::optional<std::int64_t> whole_number(std::string_view s, std::int64_t lo, std::int64_t hi) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  if (s.empty() || (s[0] == '-' && s.size() == 1)) return std::nullopt;
  for (std::size_t i = s[0] == '-' ? 1 : 0; i < s.size(); ++i) {
    if (!is_digit(s[i])) return std::nullopt;
  }
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || end != s.data() + s.size() || n < lo || n > hi) return std::nullopt;
  return n;
}

// Digits with an optional sign and an optional point: "12", "-0.5", "3.".
bool is_plain_number(std::string_view s) {
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) s.remove_prefix(1);
  bool digit = false;
  bool point = false;
  for (const char c : s) {
    if (is_digit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view source)
      : source_(source), class_file_(text::lower(dw::source_name(source))) {
    split_lines(text);
  }

  ClassDefinition run() {
    bool header_allowed = true;
    while (i_ < lines_.size()) {
      const Line& line = lines_[i_++];
      const std::string_view t = trim(line.text);
      if (t.empty() || t.starts_with("//")) continue;  // blank or a comment line
      if (t.starts_with("$PBExport")) {
        if (!header_allowed) fail(line.number, "a block such as 'global type'", quote(t));
        export_header(line, t);
        continue;
      }
      header_allowed = false;
      const std::vector<Token> toks = lex(line);
      const std::string first = word(toks, 0);
      const std::string second = word(toks, 1);
      if (first == "forward" && toks.size() == 1) {
        forward(line);
      } else if (first == "global" && second == "type") {
        global_type(line, toks);
      } else if (first == "global") {
        global_instance(line, toks);
      } else if (first == "type" && second == "variables" && toks.size() == 2) {
        variables(line);
      } else if (first == "type") {
        control(line, toks);
      } else if (first == "on") {
        on_block(line, toks);
      } else if (first == "event") {
        event_block(line);
      } else {
        fail(line.number,
             "a block such as 'forward', 'global type', 'type', 'type variables', 'on' or 'event'",
             quote(t));
      }
    }
    finish();
    return std::move(def_);
  }

 private:
  [[noreturn]] void fail(int line, const std::string& expected, const std::string& found) const {
    throw Error(std::string(source_) + ":" + std::to_string(line) + ": expected " + expected +
                ", found " + found);
  }

  int end_line() const { return lines_.empty() ? 1 : lines_.back().number; }

  // Lines split at LF (never a GBK trail byte), each checked to be GBK.
  void split_lines(std::string_view text) {
    int number = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      const bool last = end == std::string_view::npos;
      if (last) end = text.size();
      std::string_view l = text.substr(start, end - start);
      if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
      check_gbk(l, number);
      if (!(last && l.empty())) lines_.push_back(Line{l, number});
      if (last) break;
      start = end + 1;
      ++number;
    }
  }

  void check_gbk(std::string_view l, int number) const {
    for (std::size_t i = 0; i < l.size();) {
      const std::size_t n = gbk_char_size(l, i);
      const auto b = static_cast<unsigned char>(l[i]);
      if (n == 1 && b >= 0x80) {
        static const char* const kHex = "0123456789ABCDEF";
        const std::string hex = {'0', 'x', kHex[b >> 4], kHex[b & 0xF]};
        fail(number, "GBK text", "byte " + hex);
      }
      i += n;
    }
  }

  std::vector<Token> lex(const Line& line) const {
    const std::string_view s = line.text;
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
      const char c = s[i];
      if (dw::is_blank(c)) {
        ++i;
        continue;
      }
      Token t;
      std::size_t end = i + 1;
      if (c == '"' || c == '\'') {
        end = dw::read_quoted(s, i, t.text);
        if (end == std::string_view::npos) {
          fail(line.number, std::string("'") + c + "' to close the string", "end of line");
        }
        t.kind = Tok::kString;
      } else if (is_word_byte(c)) {
        while (end < s.size() && is_word_byte(s[end])) ++end;
        t.kind = Tok::kWord;
        t.text = std::string(s.substr(i, end - i));
      } else {
        end = i + gbk_char_size(s, i);
        t.kind = Tok::kSymbol;
        t.text = std::string(s.substr(i, end - i));
      }
      t.raw = std::string(s.substr(i, end - i));
      out.push_back(std::move(t));
      i = end;
    }
    return out;
  }

  // The lower-case word at toks[i], "" when there is none.
  static std::string word(const std::vector<Token>& toks, std::size_t i) {
    return i < toks.size() && toks[i].kind == Tok::kWord ? text::lower(toks[i].text) : "";
  }

  static std::string describe(const std::vector<Token>& toks, std::size_t i) {
    if (i >= toks.size()) return "end of line";
    if (toks[i].kind == Tok::kString) return shorten(toks[i].raw);
    return quote(toks[i].raw);
  }

  void expect_end_of_line(const Line& line, const std::vector<Token>& toks, std::size_t i,
                          const std::string& after) const {
    if (i < toks.size()) fail(line.number, "end of line after " + after, describe(toks, i));
  }

  // A name at toks[i], lower-cased.
  std::string name_at(const Line& line, const std::vector<Token>& toks, std::size_t i,
                      const std::string& what) const {
    if (i >= toks.size() || toks[i].kind != Tok::kWord || !is_identifier(toks[i].text)) {
      fail(line.number, what, describe(toks, i));
    }
    return text::lower(toks[i].text);
  }

  // `end WHAT` alone on its line. Scans no quotes: script lines may hold any text.
  static bool is_end(std::string_view t, std::string_view what) {
    if (t.size() < 4 || !text::iequal(t.substr(0, 3), "end") || !dw::is_blank(t[3])) return false;
    return text::lower(trim(t.substr(4))) == what;
  }

  void export_header(const Line& line, std::string_view t) {
    constexpr std::string_view kHeader = "$PBExportHeader$";
    constexpr std::string_view kComments = "$PBExportComments$";
    if (t.starts_with(kComments)) {
      B::comments(def_) = std::string(trim(t.substr(kComments.size())));
      return;
    }
    if (!t.starts_with(kHeader)) return;
    const std::string named = text::lower(dw::source_name(t.substr(kHeader.size())));
    if (!class_file_.empty() && named != class_file_) {
      fail(line.number, "the export header of " + class_file_, quote(t));
    }
  }

  // `[global] type NAME from CLASS [within PARENT]`, starting at toks[at].
  TypeHeader type_header(const Line& line, const std::vector<Token>& toks, std::size_t at) const {
    TypeHeader h;
    h.line = line.number;
    h.name = name_at(line, toks, at + 1, "a type name");
    if (word(toks, at + 2) != "from") {
      fail(line.number, "'from' after the type name", describe(toks, at + 2));
    }
    const std::size_t anc = at + 3;
    if (anc >= toks.size() || toks[anc].kind != Tok::kWord || !is_class_name(toks[anc].text)) {
      fail(line.number, "an ancestor class after 'from'", describe(toks, anc));
    }
    h.ancestor = text::lower(toks[anc].text);
    if (anc + 1 < toks.size()) {
      if (word(toks, anc + 1) != "within") {
        fail(line.number, "'within' or end of line after the ancestor", describe(toks, anc + 1));
      }
      h.within = name_at(line, toks, anc + 2, "the name of the enclosing object after 'within'");
      expect_end_of_line(line, toks, anc + 3, "the enclosing object");
    }
    return h;
  }

  void check_class_name(const TypeHeader& h) const {
    if (!class_file_.empty() && h.name != class_file_) {
      fail(h.line, "'global type " + class_file_ + "' (the class of this file)",
           quote("global type " + h.name));
    }
  }

  // The next line of the `block` begun on line `begun` that holds something
  // (blank and comment lines are skipped); nullptr for its `end WHAT` line.
  // Fails when the text ends first.
  const Line* block_line(std::string_view what, std::string_view block, int begun) {
    for (;;) {
      if (i_ >= lines_.size()) {
        fail(end_line(),
             "'end " + std::string(what) + "' to close the " + std::string(block) +
                 " begun on line " + std::to_string(begun),
             "end of text");
      }
      const Line& line = lines_[i_++];
      const std::string_view t = trim(line.text);
      if (t.empty() || t.starts_with("//")) continue;
      return is_end(t, what) ? nullptr : &line;
    }
  }

  // Forward declarations: empty type blocks, checked and otherwise ignored.
  void forward(const Line& begin) {
    while (const Line* next = block_line("forward", "forward block", begin.number)) {
      const Line& line = *next;
      const std::string_view t = trim(line.text);
      const std::vector<Token> toks = lex(line);
      const bool global = word(toks, 0) == "global";
      if (word(toks, global ? 1 : 0) != "type") {
        fail(line.number, "a type declaration or 'end forward'", quote(t));
      }
      const TypeHeader h = type_header(line, toks, global ? 1 : 0);
      if (global) {
        check_class_name(h);
      } else {
        if (h.within.empty()) fail(line.number, "'within' after the ancestor", "end of line");
        forward_types_.push_back(h);
      }
      expect_empty_type(h);
    }
  }

  void expect_empty_type(const TypeHeader& h) {
    if (const Line* line = block_line("type", "type", h.line)) {
      fail(line->number, "'end type' to close the declaration of " + h.name,
           quote(trim(line->text)));
    }
  }

  void global_type(const Line& line, const std::vector<Token>& toks) {
    if (seen_global_) {
      fail(line.number,
           "one 'global type' block (the first is on line " + std::to_string(global_line_) + ")",
           "another");
    }
    const TypeHeader h = type_header(line, toks, 1);
    check_class_name(h);
    seen_global_ = true;
    global_line_ = line.number;
    B::name(def_) = h.name;
    B::ancestor(def_) = h.ancestor;
    B::within(def_) = h.within;
    B::properties(def_) = property_block(h);
    owner_.clear();
  }

  // `global w_x w_x`: the class's global instance.
  void global_instance(const Line& line, const std::vector<Token>& toks) {
    const std::string expected =
        "'global " + class_file_ + " " + class_file_ + "' or 'global type'";
    if (toks.size() != 3 || !seen_global_) fail(line.number, expected, quote(trim(line.text)));
    const std::string a = name_at(line, toks, 1, expected);
    const std::string b = name_at(line, toks, 2, expected);
    if (a != def_.name() || b != def_.name()) fail(line.number, expected, quote(trim(line.text)));
  }

  void control(const Line& line, const std::vector<Token>& toks) {
    const TypeHeader h = type_header(line, toks, 0);
    if (h.within.empty()) fail(line.number, "'within' after the ancestor", "end of line");
    if (h.name == class_file_ || h.name == def_.name()) {
      fail(line.number, "a control name other than the class's", quote(h.name));
    }
    if (def_.control(h.name) != nullptr) {
      fail(line.number, "a control not defined before", quote(h.name) + " again");
    }
    ControlDefinition c;
    c.name = h.name;
    c.ancestor = h.ancestor;
    c.within = h.within;
    c.properties = property_block(h);
    B::controls(def_).push_back(std::move(c));
    control_lines_.push_back(h);
    owner_ = h.name;
  }

  // A line that begins another block means the open one was not closed.
  static bool starts_block(const std::string& first) {
    return first == "type" || first == "global" || first == "forward" || first == "on" ||
           first == "event" || first == "end";
  }

  std::vector<PropertySetting> property_block(const TypeHeader& h) {
    std::vector<PropertySetting> out;
    while (const Line* next = block_line("type", "type", h.line)) {
      const Line& line = *next;
      const std::string_view t = trim(line.text);
      const std::vector<Token> toks = lex(line);
      if (toks.size() < 2 || toks[0].kind != Tok::kWord || !is_identifier(toks[0].text) ||
          toks[1].kind != Tok::kWord || starts_block(word(toks, 0))) {
        fail(line.number,
             "a property line 'TYPE NAME = VALUE' or 'end type' (the type begun on line " +
                 std::to_string(h.line) + ")",
             quote(t));
      }
      const std::string type = text::lower(toks[0].text);
      PropertySetting p;
      p.name = name_at(line, toks, 1, "a property name");
      if (toks.size() < 3 || toks[2].text != "=" || toks[2].kind != Tok::kSymbol) {
        fail(line.number, "'=' after " + p.name, describe(toks, 2));
      }
      for (const PropertySetting& q : out) {
        if (q.name == p.name)
          fail(line.number, "a property not set before in this block", quote(p.name) + " again");
      }
      p.value = value(line, toks, 3, type, p.name);
      expect_end_of_line(line, toks, 4, "the value of " + p.name);
      out.push_back(std::move(p));
    }
    return out;
  }

  [[noreturn]] void bad_value(const Line& line, const std::vector<Token>& toks, std::size_t i,
                              const std::string& expected, const std::string& name) const {
    fail(line.number, expected + " for " + name, describe(toks, i));
  }

  // The value at toks[i] for a line of the declared `type` (lower-case).
  Value value(const Line& line, const std::vector<Token>& toks, std::size_t i,
              const std::string& type, const std::string& name) const {
    const std::optional<Type> scalar = scalar_type(type);
    const bool is_word = i < toks.size() && toks[i].kind == Tok::kWord;
    const std::string w = is_word ? toks[i].text : "";
    const auto bad = [&](const std::string& expected) { bad_value(line, toks, i, expected, name); };
    if (!scalar) {
      // An enumerated value: a name and '!'.
      if (!is_word || w.size() < 2 || w.back() != '!' ||
          !is_identifier(std::string_view(w).substr(0, w.size() - 1))) {
        bad("an enumerated value such as center!");
      }
      return Value::of_string(w);
    }
    switch (*scalar) {
      case Type::kInteger: {
        const auto n = is_word ? whole_number(w, std::numeric_limits<std::int16_t>::min(),
                                              std::numeric_limits<std::int16_t>::max())
                               : std::nullopt;
        if (!n) bad("an integer from -32768 to 32767");
        return Value::of_integer(static_cast<std::int16_t>(*n));
      }
      case Type::kLong: {
        const auto n = is_word ? whole_number(w, std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::int32_t>::max())
                               : std::nullopt;
        if (!n) bad("a long from -2147483648 to 2147483647");
        return Value::of_long(static_cast<std::int32_t>(*n));
      }
      case Type::kDecimal: {
        const auto d = is_word && is_plain_number(w) ? Decimal::parse(w) : std::nullopt;
        if (!d) bad("a decimal number");
        return Value::of_decimal(*d);
      }
      case Type::kDouble: {
        double d = 0;
        const char* first = w.data() + (!w.empty() && w[0] == '+' ? 1 : 0);
        const auto [end, ec] = std::from_chars(first, w.data() + w.size(), d);
        if (!is_word || !is_plain_number(w) || ec != std::errc() || end != w.data() + w.size()) {
          bad("a number");
        }
        return Value::of_double(d);
      }
      case Type::kString:
        if (i >= toks.size() || toks[i].kind != Tok::kString) bad("a quoted string");
        return Value::of_string(toks[i].text);
      case Type::kBoolean: {
        const std::string b = text::lower(w);
        if (b != "true" && b != "false") bad("true or false");
        return Value::of_bool(b == "true");
      }
      case Type::kDate: {
        const auto d = is_word ? Date::parse(w) : std::nullopt;
        if (!d) bad("a date yyyy-mm-dd");
        return Value::of_date(*d);
      }
      case Type::kTime: {
        const auto t = is_word ? Time::parse(w) : std::nullopt;
        if (!t) bad("a time hh:mm:ss");
        return Value::of_time(*t);
      }
      default:
        break;
    }
    bad("a value");
    return Value();  // not reached: bad() throws
  }

  void variables(const Line& begin) {
    while (const Line* next = block_line("variables", "block", begin.number)) {
      const Line& line = *next;
      const std::string_view t = trim(line.text);
      const std::vector<Token> toks = lex(line);
      if (toks.size() < 2 || toks[0].kind != Tok::kWord || !is_class_name(toks[0].text) ||
          starts_block(word(toks, 0))) {
        fail(line.number,
             "a declaration 'TYPE NAME [= VALUE]' or 'end variables' (the block begun on line " +
                 std::to_string(begin.number) + ")",
             quote(t));
      }
      VariableDefinition v;
      v.type = text::lower(toks[0].text);
      v.name = name_at(line, toks, 1, "a variable name");
      if (def_.variable(v.name) != nullptr) {
        fail(line.number, "a variable not declared before", quote(v.name) + " again");
      }
      std::size_t i = 2;
      if (i < toks.size() && toks[i].text == "[" && toks[i].kind == Tok::kSymbol) {
        ++i;
        if (i < toks.size() && toks[i].text == "]") {
          v.array_size = -1;
        } else {
          const auto n = i < toks.size() && toks[i].kind == Tok::kWord
                             ? whole_number(toks[i].text, 1, std::numeric_limits<int>::max())
                             : std::nullopt;
          if (!n) {
            fail(line.number, "an array size from 1 up or ']'", describe(toks, i));
          }
          v.array_size = static_cast<int>(*n);
          ++i;
        }
        if (i >= toks.size() || toks[i].text != "]") {
          fail(line.number, "']' to close the array size", describe(toks, i));
        }
        ++i;
      }
      if (i < toks.size() && toks[i].kind == Tok::kSymbol && toks[i].text == "=") {
        if (v.array_size != 0) {
          fail(line.number, "end of line after an array declaration", describe(toks, i));
        }
        v.initial = value(line, toks, i + 1, v.type, v.name);
        i += 2;
      }
      expect_end_of_line(line, toks, i, "the declaration of " + v.name);
      B::variables(def_).push_back(std::move(v));
    }
  }

  // The lines up to `end WHAT`, joined by '\n'.
  std::string body(const Line& begin, std::string_view what, std::string first) {
    std::string out = std::move(first);
    for (;;) {
      if (i_ >= lines_.size()) {
        fail(end_line(),
             "'end " + std::string(what) + "' to close the script begun on line " +
                 std::to_string(begin.number),
             "end of text");
      }
      const Line& line = lines_[i_++];
      if (is_end(trim(line.text), what)) return out;
      out += '\n';
      out.append(line.text);
    }
  }

  // `call super::` anywhere in the body, stepping over double-byte characters.
  static bool calls_super(std::string_view script) {
    constexpr std::string_view kCall = "call super::";
    for (std::size_t i = 0; i < script.size(); i += gbk_char_size(script, i)) {
      if (i + kCall.size() <= script.size() &&
          text::iequal(script.substr(i, kCall.size()), kCall)) {
        return true;
      }
    }
    return false;
  }

  void add_event(EventDefinition e) {
    for (const EventDefinition& d : def_.events()) {
      if (d.object == e.object && d.name == e.name) {
        fail(e.line, "one script per event",
             quote((e.object.empty() ? def_.name() : e.object) + "." + e.name) + " again");
      }
    }
    B::events(def_).push_back(std::move(e));
  }

  // An object named by a script header: "" for the class, else a control.
  std::string script_object(std::string_view name) const {
    const std::string n = text::lower(name);
    return n == def_.name() || n == class_file_ ? "" : n;
  }

  // `on OBJECT.EVENT` ... `end on`. It also makes OBJECT the owner of the
  // `event` blocks that follow.
  void on_block(const Line& line, const std::vector<Token>& toks) {
    const std::string expected = "'on OBJECT.EVENT'";
    if (toks.size() != 2 || toks[1].kind != Tok::kWord) {
      fail(line.number, expected, quote(trim(line.text)));
    }
    const std::string_view target = toks[1].text;
    const std::size_t dot = target.rfind('.');
    if (dot == std::string_view::npos || !is_identifier(target.substr(0, dot)) ||
        !is_identifier(target.substr(dot + 1))) {
      fail(line.number, expected, quote(target));
    }
    EventDefinition e;
    e.object = script_object(target.substr(0, dot));
    e.name = text::lower(target.substr(dot + 1));
    e.line = line.number;
    e.script = body(line, "on", "");
    if (!e.script.empty()) e.script.erase(0, 1);  // the body starts on the next line
    e.calls_ancestor = calls_super(e.script);
    owner_ = e.object;
    add_event(std::move(e));
  }

  // `event [type T] [OBJECT::]NAME[(ARGS)];BODY` ... `end event`.
  void event_block(const Line& line) {
    const std::string_view s = line.text;
    std::size_t semi = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += gbk_char_size(s, i)) {
      if (s[i] == ';') {
        semi = i;
        break;
      }
    }
    if (semi == std::string_view::npos) {
      fail(line.number, "';' after the event header", quote(trim(s)));
    }
    const std::vector<Token> toks = lex(Line{s.substr(0, semi), line.number});
    std::size_t i = 1;
    if (word(toks, i) == "type") i += 2;  // the result type of a user event
    const std::string expected = "an event name after 'event'";
    if (i >= toks.size() || toks[i].kind != Tok::kWord) {
      fail(line.number, expected, describe(toks, i));
    }
    std::string_view target = toks[i].text;
    EventDefinition e;
    e.object = owner_;
    const std::size_t colons = target.find("::");
    if (colons != std::string_view::npos) {
      if (!is_identifier(target.substr(0, colons))) fail(line.number, expected, quote(target));
      e.object = script_object(target.substr(0, colons));
      target.remove_prefix(colons + 2);
    }
    if (!is_identifier(target)) fail(line.number, expected, quote(toks[i].text));
    e.name = text::lower(target);
    ++i;
    if (i < toks.size() && toks[i].text == "(") {
      while (i < toks.size() && toks[i].text != ")") ++i;
      if (i >= toks.size()) fail(line.number, "')' to close the event's arguments", "';'");
      ++i;
    }
    expect_end_of_line(Line{s.substr(0, semi), line.number}, toks, i, "the event header");
    e.line = line.number;
    e.script = body(line, "event", std::string(s.substr(semi + 1)));
    e.calls_ancestor = calls_super(e.script);
    add_event(std::move(e));
  }

  bool is_control(const std::string& name) const { return def_.control(name) != nullptr; }

  void check_within(const TypeHeader& h) const {
    // An inherited control sits where its ancestor put it, perhaps inside an
    // inherited tab page that this file does not declare.
    const bool inherited = h.ancestor.find('`') != std::string::npos;
    if (h.within == def_.name() || (h.within != h.name && (inherited || is_control(h.within)))) {
      return;
    }
    fail(h.line, "'within " + def_.name() + "' or one of its controls",
         quote("within " + h.within));
  }

  // What can be checked only with the whole file read.
  void finish() const {
    if (!seen_global_) {
      fail(end_line(),
           "a 'global type " + (class_file_.empty() ? "NAME" : class_file_) +
               " from ANCESTOR' block",
           "end of text");
    }
    for (const TypeHeader& h : forward_types_) check_within(h);
    for (const TypeHeader& h : control_lines_) check_within(h);
    for (const EventDefinition& e : def_.events()) {
      if (!e.object.empty() && !is_control(e.object)) {
        fail(e.line, "a script of " + def_.name() + " or one of its controls",
             quote(e.object + "." + e.name));
      }
    }
  }

  std::string_view source_;
  std::string class_file_;  // lower-case; "" when the source names no file
  std::vector<Line> lines_;
  std::size_t i_ = 0;
  ClassDefinition def_;
  bool seen_global_ = false;
  int global_line_ = 0;
  std::string owner_;  // the object of the `event` blocks that follow
  std::vector<TypeHeader> forward_types_;
  std::vector<TypeHeader> control_lines_;
};

template <typename T>
const T* find_named(const std::vector<T>& items, std::string_view name) {
  for (const T& item : items) {
    if (text::iequal(item.name, name)) return &item;
  }
  return nullptr;
}

}  // namespace

const Value* ControlDefinition::property(std::string_view key) const {
  const PropertySetting* p = find_named(properties, key);
  return p == nullptr ? nullptr : &p->value;
}

ClassDefinition ClassDefinition::parse(std::string_view gbk_text, std::string_view source) {
  return Parser(gbk_text, source).run();
}

const Value* ClassDefinition::property(std::string_view name) const {
  const PropertySetting* p = find_named(properties_, name);
  return p == nullptr ? nullptr : &p->value;
}

const ControlDefinition* ClassDefinition::control(std::string_view name) const {
  return find_named(controls_, name);
}

const VariableDefinition* ClassDefinition::variable(std::string_view name) const {
  return find_named(variables_, name);
}

const EventDefinition* ClassDefinition::event(std::string_view name,
                                              std::string_view object) const {
  for (const EventDefinition& e : events_) {
    if (text::iequal(e.name, name) && text::iequal(e.object, object)) {
      return &e;
    }
  }
  // The class may also be named by its own name.
  if (!object.empty() && text::iequal(object, name_)) return event(name, "");
  return nullptr;
}

}  // namespace fh
