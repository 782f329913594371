// Reads the subset of the data-window source style that our own objects use:
// `keyword(name=value ...)` statements, where a value is a word, a number, a
// "quoted" text or a parenthesised list.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dw/dw_text.h"
#include "formhost/dwobject.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {

// Fills the private parts of a DataWindowObject; used by the parser only.
class DwObjectAccess {
 public:
  static DwProperties& properties(DataWindowObject& o) { return o.properties_; }
  static std::vector<DwBand>& bands(DataWindowObject& o) { return o.bands_; }
  static DwProperties& table(DataWindowObject& o) { return o.table_; }
  static std::vector<DwColumn>& columns(DataWindowObject& o) { return o.columns_; }
  static std::vector<DwArgument>& arguments(DataWindowObject& o) { return o.arguments_; }
  static std::vector<DwControl>& controls(DataWindowObject& o) { return o.controls_; }
  static std::vector<std::string>& others(DataWindowObject& o) { return o.other_statements_; }
};

namespace {

enum class Tok { kWord, kString, kOpen, kClose, kEquals, kComma, kSemicolon, kOther, kEnd };

struct Token {
  Tok kind;
  std::string text;  // a word, or a string's unescaped text
  std::size_t begin;
  std::size_t end;
  int line;
};

struct Item;

// A value: a word (perhaps with a list, as in char(20)), a string or a list.
struct Val {
  Tok kind = Tok::kWord;  // kWord, kString or kOpen for a bare list
  std::string text;
  bool has_list = false;
  std::vector<Item> items;
  std::size_t begin = 0;
  std::size_t end = 0;
  int line = 0;
};

struct Item {
  std::string key;  // "" for a value that stands alone in a list
  Val value;
  int line = 0;
};

struct Statement {
  std::string keyword;  // lowercase
  std::vector<Item> props;
  std::size_t begin = 0;
  std::size_t end = 0;
  int line = 0;
};

class Parser {
 public:
  Parser(std::string_view text, std::string_view source) : s_(text), source_(source) { tokenize(); }

  std::vector<Statement> statements() {
    std::vector<Statement> out;
    while (peek().kind != Tok::kEnd) {
      const Token& t = peek();
      if (t.kind == Tok::kWord && text::iequal(t.text, "release")) {
        next();
        if (peek().kind != Tok::kWord) fail(peek().line, "a release number", peek());
        next();
        if (peek().kind != Tok::kSemicolon) fail(peek().line, "';' after the release", peek());
        next();
        continue;
      }
      if (t.kind != Tok::kWord) fail(t.line, "a statement such as datawindow(", t);
      Statement st;
      st.keyword = text::lower(t.text);
      st.begin = t.begin;
      st.line = t.line;
      next();
      if (peek().kind != Tok::kOpen) fail(peek().line, "'(' after " + st.keyword, peek());
      next();
      while (peek().kind != Tok::kClose) {
        const Token& p = peek();
        if (p.kind == Tok::kEnd || (p.kind == Tok::kWord && peek(1).kind != Tok::kEquals)) {
          fail(p.line, "')' to close " + st.keyword + "(", p);
        }
        if (p.kind != Tok::kWord) fail(p.line, "a property name or ')'", p);
        st.props.push_back(item());
      }
      st.end = next().end;
      out.push_back(std::move(st));
    }
    return out;
  }

  std::string raw(const Val& v) const { return std::string(s_.substr(v.begin, v.end - v.begin)); }
  std::string raw(const Statement& st) const {
    return std::string(s_.substr(st.begin, st.end - st.begin));
  }

  [[noreturn]] void fail(int line, const std::string& expected, const std::string& found) const {
    throw Error(std::string(source_) + ":" + std::to_string(line) + ": expected " + expected +
                ", found " + found);
  }
  [[noreturn]] void fail(int line, const std::string& expected, const Token& found) const {
    fail(line, expected, describe(found));
  }
  [[noreturn]] void fail(const std::string& expected, const Val& found) const {
    fail(found.line, expected, describe(found));
  }

 private:
  const Token& peek(std::size_t ahead = 0) const {
    const std::size_t i = pos_ + ahead;
    return i < tokens_.size() ? tokens_[i] : tokens_.back();
  }
  const Token& next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }

  // `name=value` or a value alone.
  Item item() {
    Item it;
    it.line = peek().line;
    if (peek().kind == Tok::kWord && peek(1).kind == Tok::kEquals) {
      it.key = next().text;
      next();
    }
    it.value = value();
    return it;
  }

  Val value() {
    const Token& t = peek();
    Val v;
    v.line = t.line;
    v.begin = t.begin;
    if (t.kind == Tok::kWord || t.kind == Tok::kString) {
      v.kind = t.kind;
      v.text = t.text;
      v.end = next().end;
      if (v.kind == Tok::kWord && peek().kind == Tok::kOpen) {
        v.has_list = true;
        v.end = list(v.items);
      }
      return v;
    }
    if (t.kind == Tok::kOpen) {
      v.kind = Tok::kOpen;
      v.end = list(v.items);
      return v;
    }
    fail(t.line, "a value", t);
  }

  // From '(' to its ')'; items may be separated by commas. Answers the end.
  std::size_t list(std::vector<Item>& items) {
    const int open_line = next().line;
    for (;;) {
      const Token& t = peek();
      if (t.kind == Tok::kClose) return next().end;
      if (t.kind == Tok::kComma) {
        next();
        continue;
      }
      if (t.kind == Tok::kEnd) {
        fail(t.line, "')' to close the list begun on line " + std::to_string(open_line), t);
      }
      items.push_back(item());
    }
  }

  void tokenize() {
    std::size_t i = 0;
    int line = 1;
    skip_export_header(i, line);
    while (i < s_.size()) {
      const char c = s_[i];
      if (c == '\n') {
        ++line;
        ++i;
        continue;
      }
      if (dw::is_blank(c) || c == '\f' || c == '\v') {
        ++i;
        continue;
      }
      Token t{Tok::kOther, "", i, i + 1, line};
      switch (c) {
        case '(':
          t.kind = Tok::kOpen;
          break;
        case ')':
          t.kind = Tok::kClose;
          break;
        case '=':
          t.kind = Tok::kEquals;
          break;
        case ',':
          t.kind = Tok::kComma;
          break;
        case ';':
          t.kind = Tok::kSemicolon;
          break;
        case '"':
        case '\'': {  // the printer uses '\'' for a text that '"' cannot carry
          const std::size_t end = dw::read_quoted(s_, i, t.text);
          if (end == std::string_view::npos) {
            fail(line, std::string("'") + c + "' to close the string begun here", "end of text");
          }
          t.kind = Tok::kString;
          t.end = end;
          for (std::size_t k = i; k < end; ++k) {
            if (s_[k] == '\n') ++line;
          }
          break;
        }
        default: {
          std::size_t j = i;
          while (j < s_.size()) {
            const std::size_t n = gbk_char_size(s_, j);
            if (n == 1 && !dw::is_word_byte(static_cast<unsigned char>(s_[j]))) break;
            j += n;
          }
          if (j > i) {
            t.kind = Tok::kWord;
            t.end = j;
          } else {
            t.end = i + gbk_char_size(s_, i);
          }
          t.text = std::string(s_.substr(i, t.end - i));
          break;
        }
      }
      i = t.end;
      tokens_.push_back(std::move(t));
    }
    tokens_.push_back(Token{Tok::kEnd, "", s_.size(), s_.size(), line});
  }

  // The export header lines ("$PBExportHeader$d_x.srd") carry nothing we use.
  void skip_export_header(std::size_t& i, int& line) const {
    for (;;) {
      std::size_t j = i;
      while (j < s_.size() && dw::is_blank(s_[j]) && s_[j] != '\n') ++j;
      if (s_.substr(j, 9) != "$PBExport") return;
      while (j < s_.size() && s_[j] != '\n') ++j;
      if (j < s_.size()) {
        ++j;
        ++line;
      }
      i = j;
    }
  }

  static std::string shorten(std::string_view s) { return dw::shorten(s, 40); }

  std::string describe(const Token& t) const {
    switch (t.kind) {
      case Tok::kEnd:
        return "end of text";
      case Tok::kString:
        return shorten(s_.substr(t.begin, t.end - t.begin));
      default:
        return "'" + shorten(t.text) + "'";
    }
  }

  std::string describe(const Val& v) const {
    if (v.kind == Tok::kString) return shorten(raw(v));
    return "'" + shorten(raw(v)) + "'";
  }

  std::string_view s_;
  std::string_view source_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

// A small non-negative number written in digits only.
std::optional<int> small_number(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  int n = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

DwProperty to_property(const Parser& p, const Item& it) {
  const bool list = it.value.kind == Tok::kOpen || it.value.has_list;
  return DwProperty{it.key, list ? p.raw(it.value) : it.value.text, list};
}

DwProperties to_properties(const Parser& p, const std::vector<Item>& items) {
  DwProperties out;
  for (const Item& it : items) out.push_back(to_property(p, it));
  return out;
}

// A plain word or string value; lists are refused.
const std::string& text_of(const Parser& p, const Item& it, const std::string& what) {
  if (it.value.kind == Tok::kOpen || it.value.has_list) p.fail(what, it.value);
  return it.value.text;
}

bool yes_no(const Parser& p, const Item& it) {
  const std::string& v = text_of(p, it, "yes or no for " + it.key);
  if (text::iequal(v, "yes")) return true;
  if (text::iequal(v, "no")) return false;
  p.fail("yes or no for " + it.key, it.value);
}

constexpr const char* kColumnTypes =
    "a column type (char(n), varchar(n), long, ulong, int, integer, decimal(n), number, real, "
    "double, date, datetime, timestamp, time)";

// type=char(20), type=decimal(2), type=long ...
void column_type(const Parser& p, const Val& v, DwColumn& col) {
  if (v.kind != Tok::kWord) p.fail(kColumnTypes, v);
  const std::string word = text::lower(v.text);
  // The number in the parentheses, when the type has them.
  const auto size = [&](const std::string& expected) -> std::optional<int> {
    if (!v.has_list) return std::nullopt;
    const std::optional<int> n = v.items.size() == 1 && v.items[0].key.empty() &&
                                         v.items[0].value.kind == Tok::kWord &&
                                         !v.items[0].value.has_list
                                     ? small_number(v.items[0].value.text)
                                     : std::nullopt;
    if (!n) p.fail(expected, v);
    return n;
  };
  col.coltype = word;
  if (word == "char" || word == "varchar") {
    const std::optional<int> n = size(word + "(length)");
    if (!n || *n == 0) p.fail(word + "(length)", v);
    col.type = Type::kString;
    col.length = *n;
  } else if (word == "decimal") {
    const std::optional<int> n = size("decimal(places)");
    if (n && *n > 18) p.fail("decimal places 0 to 18", v);
    col.type = Type::kDecimal;
    col.scale = n ? *n : -1;
  } else {
    if (v.has_list) p.fail(kColumnTypes, v);
    if (word == "long" || word == "ulong") {
      col.type = Type::kLong;
    } else if (word == "int" || word == "integer") {
      col.type = Type::kInteger;
    } else if (word == "number") {
      col.type = Type::kDecimal;
    } else if (word == "real" || word == "double") {
      col.type = Type::kDouble;
    } else if (word == "date") {
      col.type = Type::kDate;
    } else if (word == "datetime" || word == "timestamp") {
      col.type = Type::kDateTime;
    } else if (word == "time") {
      col.type = Type::kTime;
    } else {
      p.fail(kColumnTypes, v);
    }
    return;
  }
  if (col.type == Type::kString) {
    col.coltype += "(" + std::to_string(col.length) + ")";
  } else if (col.scale >= 0) {
    col.coltype += "(" + std::to_string(col.scale) + ")";
  }
}

DwColumn read_column(const Parser& p, const Item& it, int id) {
  if (it.value.kind != Tok::kOpen) p.fail("column=(...)", it.value);
  DwColumn col;
  col.id = id;
  col.properties = to_properties(p, it.value.items);
  bool typed = false;
  for (const Item& c : it.value.items) {
    const std::string key = text::lower(c.key);
    if (key.empty()) p.fail("name=value in column=(...)", c.value);
    if (key == "type") {
      column_type(p, c.value, col);
      typed = true;
    } else if (key == "name") {
      col.name = text_of(p, c, "a column name");
    } else if (key == "dbname") {
      col.dbname = text_of(p, c, "a database column name");
    } else if (key == "update") {
      col.update = yes_no(p, c);
    } else if (key == "updatewhereclause") {
      col.updatewhereclause = yes_no(p, c);
    } else if (key == "key") {
      col.key = yes_no(p, c);
    } else if (key == "initial") {
      col.initial = text_of(p, c, "an initial value");
    } else if (key == "values") {
      col.values = text_of(p, c, "a code table");
    }
  }
  if (!typed) p.fail(it.value.line, "type= in column " + std::to_string(id), "none");
  if (col.name.empty()) p.fail(it.value.line, "name= in column " + std::to_string(id), "none");
  return col;
}

constexpr const char* kArgumentTypes =
    "an argument type (string, number, decimal, long, integer, real, double, date, datetime, "
    "time, boolean or one of their ...list forms)";

DwArgument argument(const Parser& p, const Val& v) {
  const std::string expected = "(\"name\", type)";
  if (v.kind != Tok::kOpen || v.items.size() != 2) p.fail(expected, v);
  const Item& name = v.items[0];
  const Item& type = v.items[1];
  if (!name.key.empty() || name.value.kind == Tok::kOpen || name.value.has_list) {
    p.fail(expected, name.value);
  }
  if (!type.key.empty() || type.value.kind != Tok::kWord || type.value.has_list) {
    p.fail(kArgumentTypes, type.value);
  }
  DwArgument a;
  a.name = name.value.text;
  a.type_name = text::lower(type.value.text);
  std::string base = a.type_name;
  if (base.size() > 4 && base.ends_with("list")) {
    a.list = true;
    base.resize(base.size() - 4);
  }
  if (base == "string") {
    a.type = Type::kString;
  } else if (base == "number" || base == "decimal") {
    a.type = Type::kDecimal;
  } else if (base == "long" || base == "ulong") {
    a.type = Type::kLong;
  } else if (base == "integer" || base == "int") {
    a.type = Type::kInteger;
  } else if (base == "real" || base == "double") {
    a.type = Type::kDouble;
  } else if (base == "date") {
    a.type = Type::kDate;
  } else if (base == "datetime") {
    a.type = Type::kDateTime;
  } else if (base == "time") {
    a.type = Type::kTime;
  } else if (base == "boolean") {
    a.type = Type::kBoolean;
  } else {
    p.fail(kArgumentTypes, type.value);
  }
  return a;
}

void read_table(const Parser& p, const Statement& st, DataWindowObject& o) {
  auto& columns = DwObjectAccess::columns(o);
  auto& props = DwObjectAccess::table(o);
  for (const Item& it : st.props) {
    const std::string key = text::lower(it.key);
    if (key == "column") {
      columns.push_back(read_column(p, it, static_cast<int>(columns.size()) + 1));
      continue;
    }
    if (key == "arguments") {
      if (it.value.kind != Tok::kOpen) p.fail("arguments=((\"name\", type) ...)", it.value);
      for (const Item& a : it.value.items) {
        if (!a.key.empty()) p.fail(a.line, "(\"name\", type)", "'" + a.key + "'");
        DwObjectAccess::arguments(o).push_back(argument(p, a.value));
      }
    } else if (key == "retrieve" || key == "update") {
      text_of(p, it, key == "retrieve" ? "a SELECT text" : "a table name");
    }
    props.push_back(to_property(p, it));
  }
}

void check_processing(const Parser& p, const Statement& st) {
  for (const Item& it : st.props) {
    if (!text::iequal(it.key, "processing")) continue;
    const std::string& v = text_of(p, it, "processing 0 to 7");
    if (v.size() != 1 || v[0] < '0' || v[0] > '7') p.fail("processing 0 to 7", it.value);
  }
}

// A layout object. Column objects are tied to their table column by id (or,
// without an id, by name); they also carry the drop-down child.
void read_control(const Parser& p, const Statement& st, DataWindowObject& o) {
  DwControl c;
  c.kind = st.keyword;
  c.properties = to_properties(p, st.props);
  auto& columns = DwObjectAccess::columns(o);
  for (const Item& it : st.props) {
    const std::string key = text::lower(it.key);
    if (key == "band") c.band = text_of(p, it, "a band name");
    if (key == "name") c.name = text_of(p, it, "an object name");
    if (key == "id" && c.kind == "column") {
      const std::string expected = "a column id from 1 to " + std::to_string(columns.size());
      const std::optional<int> id = small_number(text_of(p, it, expected));
      if (!id || *id < 1 || static_cast<std::size_t>(*id) > columns.size()) {
        p.fail(expected, it.value);
      }
      c.column_id = *id;
    }
  }
  if (c.kind == "column") {
    if (c.column_id == 0 && !c.name.empty()) c.column_id = o.column_index(c.name);
    if (c.column_id != 0) {
      DwColumn& col = columns[static_cast<std::size_t>(c.column_id - 1)];
      if (c.name.empty()) c.name = col.name;
      if (col.dddw_name.empty()) {
        if (const std::string* v = find_property(c.properties, "dddw.name")) {
          col.dddw_name = *v;
          if (const std::string* d = find_property(c.properties, "dddw.displaycolumn")) {
            col.dddw_display_column = *d;
          }
          if (const std::string* d = find_property(c.properties, "dddw.datacolumn")) {
            col.dddw_data_column = *d;
          }
        }
      }
    }
  }
  if (!c.name.empty() && o.control(c.name) != nullptr) {
    p.fail(st.line, "a name not used before", "'" + c.name + "' again");
  }
  DwObjectAccess::controls(o).push_back(std::move(c));
}

bool is_band(std::string_view keyword) {
  return keyword == "header" || keyword == "detail" || keyword == "summary" || keyword == "footer";
}

bool has_band_property(const Statement& st) {
  for (const Item& it : st.props) {
    if (text::iequal(it.key, "band")) return true;
  }
  return false;
}

}  // namespace

DataWindowObject DataWindowObject::parse(std::string_view text, std::string_view source) {
  Parser p(text, source);
  const std::vector<Statement> statements = p.statements();
  DataWindowObject o;
  o.name_ = dw::source_name(source);
  bool seen_datawindow = false;
  bool seen_table = false;
  // The table first: column objects refer to its columns wherever it stands.
  for (const Statement& st : statements) {
    if (st.keyword != "table") continue;
    if (seen_table) p.fail(st.line, "one table(...)", "another");
    seen_table = true;
    read_table(p, st, o);
  }
  for (const Statement& st : statements) {
    if (st.keyword == "table") continue;
    if (st.keyword == "datawindow") {
      if (seen_datawindow) p.fail(st.line, "one datawindow(...)", "another");
      seen_datawindow = true;
      check_processing(p, st);
      o.properties_ = to_properties(p, st.props);
    } else if (is_band(st.keyword)) {
      if (o.band(st.keyword) != nullptr) p.fail(st.line, "one " + st.keyword + "(...)", "another");
      o.bands_.push_back(DwBand{st.keyword, to_properties(p, st.props)});
    } else if (has_band_property(st)) {
      read_control(p, st, o);
    } else {
      o.other_statements_.push_back(p.raw(st));  // htmltable, export.xml, group ...
    }
  }
  return o;
}

}  // namespace fh
