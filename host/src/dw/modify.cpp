// Modify and Describe over a data-window object, with the property names the
// sources use. Modify works on a copy and commits only when every setting of
// the call went through, so a bad setting leaves the object as it was.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dw/dw_text.h"
#include "formhost/dwobject.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

// What a property value must look like. A property that may hold an
// expression takes "default<tab>expression"; then only the default is checked
// (and may be empty).
enum class Check { kText, kInt, kCount, kColor, kFlag, kYesNo };

struct Settable {
  std::string_view name;
  Check check;
};

constexpr Settable kObjectSettable[] = {
    {"text", Check::kText},
    {"width", Check::kInt},
    {"x", Check::kInt},
    {"y", Check::kInt},
    {"height", Check::kInt},
    {"visible", Check::kFlag},
    {"color", Check::kColor},
    {"protect", Check::kFlag},
    {"background.color", Check::kColor},
    {"format", Check::kText},
    {"tabsequence", Check::kCount},
    {"expression", Check::kText},
    {"alignment", Check::kCount},
    {"border", Check::kCount},
    {"font.face", Check::kText},
    {"font.height", Check::kInt},
    {"font.weight", Check::kCount},
    {"font.italic", Check::kFlag},
    {"font.underline", Check::kFlag},
    {"tag", Check::kText},
    {"x1", Check::kInt},
    {"y1", Check::kInt},
    {"x2", Check::kInt},
    {"y2", Check::kInt},
};

// Readable on any object besides the settable ones; absent ones answer "?".
constexpr std::string_view kObjectReadable[] = {"band",
                                                "name",
                                                "type",
                                                "id",
                                                "background.mode",
                                                "font.family",
                                                "font.pitch",
                                                "font.charset",
                                                "font.strikethrough",
                                                "edit.limit",
                                                "edit.case",
                                                "edit.autoselect",
                                                "edit.autohscroll",
                                                "edit.required",
                                                "edit.nilisnull",
                                                "edit.focusrectangle",
                                                "edit.displayonly",
                                                "edit.codetable",
                                                "edit.format",
                                                "edit.password",
                                                "dddw.name",
                                                "dddw.displaycolumn",
                                                "dddw.datacolumn",
                                                "dddw.percentwidth",
                                                "dddw.lines",
                                                "dddw.limit",
                                                "dddw.allowedit",
                                                "dddw.useasborder",
                                                "dddw.case",
                                                "dddw.vscrollbar",
                                                "dddw.hscrollbar",
                                                "dddw.required",
                                                "moveable",
                                                "resizeable",
                                                "slideleft",
                                                "slideup",
                                                "pointer",
                                                "pen.style",
                                                "pen.width",
                                                "pen.color",
                                                "brush.color",
                                                "brush.hatch",
                                                "filename",
                                                "html.valueishtml",
                                                "criteria.override_edit",
                                                "height.autosize"};

// Readable on column objects (and table columns without one).
constexpr std::string_view kColumnReadable[] = {
    "coltype", "dbname", "update",     "key",          "updatewhereclause",
    "initial", "values", "validation", "validationmsg"};

constexpr std::string_view kDataWindowReadable[] = {"color",
                                                    "units",
                                                    "processing",
                                                    "readonly",
                                                    "horizontalscrollsplit",
                                                    "horizontalscrollposition",
                                                    "horizontalscrollposition2",
                                                    "timer_interval",
                                                    "print.margin.left",
                                                    "print.margin.right",
                                                    "print.margin.top",
                                                    "print.margin.bottom",
                                                    "print.orientation",
                                                    "print.paper.size",
                                                    "print.documentname",
                                                    "selected.mouse",
                                                    "column.count",
                                                    "objects"};

constexpr std::string_view kTableReadable[] = {"select",           "updatetable", "updatewhere",
                                               "updatekeyinplace", "sort",        "filter"};

constexpr std::string_view kBandNames[] = {"header", "detail", "summary", "footer"};
constexpr std::string_view kBandReadable[] = {"height", "color", "pointer", "height.autosize"};

template <std::size_t N>
bool one_of(std::string_view lowered, const std::string_view (&names)[N]) {
  for (const std::string_view n : names) {
    if (n == lowered) return true;
  }
  return false;
}

const Settable* settable(std::string_view lowered) {
  for (const Settable& s : kObjectSettable) {
    if (s.name == lowered) return &s;
  }
  return nullptr;
}

std::optional<long long> integer(std::string_view s) {
  std::size_t i = 0;
  if (!s.empty() && s[0] == '-') i = 1;
  if (i == s.size() || s.size() - i > 11) return std::nullopt;
  long long n = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    n = n * 10 + (s[i] - '0');
  }
  return s[0] == '-' ? -n : n;
}

bool valid(Check check, std::string_view v, bool expression_allowed) {
  if (expression_allowed) {
    const std::size_t tab = v.find('\t');
    if (tab != std::string_view::npos) {
      v = v.substr(0, tab);
      if (v.empty()) return true;
    }
  }
  constexpr long long kLongMin = -2147483648LL;
  constexpr long long kLongMax = 2147483647LL;
  const std::optional<long long> n = integer(v);
  switch (check) {
    case Check::kText:
      return true;
    case Check::kInt:
      return n && *n >= kLongMin && *n <= kLongMax;
    case Check::kCount:
      return n && *n >= 0 && *n <= kLongMax;
    case Check::kColor:
      return n && *n >= kLongMin && *n <= 4294967295LL;  // also unsigned RGB
    case Check::kFlag:
      return v == "0" || v == "1";
    case Check::kYesNo:
      return text::iequal(v, "yes") || text::iequal(v, "no");
  }
  return false;
}

// "Line 1 Column 14: ..." for the byte at pos, both counted from 1.
std::string error_at(std::string_view expr, std::size_t pos, std::string_view message) {
  int line = 1;
  std::size_t column = 1;
  for (std::size_t k = 0; k < pos && k < expr.size(); ++k) {
    if (expr[k] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "Line " + std::to_string(line) + " Column " + std::to_string(column) + ": " +
         std::string(message);
}

struct Setting {
  std::size_t pos;     // where the target starts, for messages
  std::string object;  // "DataWindow", an object name or #n
  std::string property;
  std::string value;  // unquoted
};

// Splits the expression into settings; on bad syntax answers the position.
std::optional<std::size_t> parse_settings(std::string_view s, std::vector<Setting>& out) {
  std::size_t i = 0;
  const auto skip_blanks = [&] {
    while (i < s.size() && dw::is_blank(s[i])) ++i;
  };
  for (;;) {
    skip_blanks();
    if (i == s.size()) return std::nullopt;
    Setting st;
    st.pos = i;
    while (i < s.size()) {
      const std::size_t n = gbk_char_size(s, i);
      if (n == 1 && !dw::is_word_byte(static_cast<unsigned char>(s[i]))) break;
      i += n;
    }
    const std::string_view target = s.substr(st.pos, i - st.pos);
    const std::size_t dot = target.find('.');
    if (dot == std::string_view::npos || dot == 0) return st.pos;
    st.object = std::string(target.substr(0, dot));
    st.property = std::string(target.substr(dot + 1));
    if (st.property.empty() || st.property.back() == '.' ||
        st.property.find("..") != std::string::npos) {
      return st.pos;
    }
    skip_blanks();
    if (i == s.size() || s[i] != '=') return i;
    ++i;
    skip_blanks();
    if (i == s.size()) return i;
    if (s[i] == '"' || s[i] == '\'') {
      const std::size_t end = dw::read_quoted(s, i, st.value);
      if (end == std::string_view::npos) return i;
      i = end;
      if (i < s.size() && !dw::is_blank(s[i])) return i;
    } else {
      const std::size_t begin = i;
      while (i < s.size() && !dw::is_blank(s[i])) i += gbk_char_size(s, i);
      st.value = std::string(s.substr(begin, i - begin));
      // Lead bytes without a trail byte before both kinds of quote: no quoted
      // text can carry that value, so the object could not be written out.
      if (dw::quote_for(st.value) == 0) return begin;
    }
    out.push_back(std::move(st));
  }
}

// "#3" names column 3.
std::optional<int> column_number(std::string_view name) {
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const std::optional<long long> n = integer(name.substr(1));
  if (!n || *n < 1 || *n > 100000) return std::nullopt;
  return static_cast<int>(*n);
}

bool is_band_name(std::string_view lowered) { return one_of(lowered, kBandNames); }

// Finds an object by name or #n; for Modify (mutable) and Describe alike.
template <typename Controls>
auto find_control(Controls& controls, std::string_view name) -> decltype(&controls[0]) {
  const std::optional<int> id = column_number(name);
  for (auto& c : controls) {
    if (id ? c.column_id == *id : (!c.name.empty() && text::iequal(c.name, name))) return &c;
  }
  return nullptr;
}

// The change one setting makes to `w`; an error text when it cannot.
std::optional<std::string> apply_to_datawindow(DataWindowObject& w, DwProperties& dw_props,
                                               std::vector<DwBand>& bands, DwProperties& table,
                                               const Setting& st) {
  const std::string prop = text::lower(st.property);
  const std::string whole = "DataWindow." + st.property;
  const auto bad_value = [&] { return "Bad value '" + st.value + "' for '" + whole + "'."; };
  const auto set = [&](DwProperties& props, std::string_view name, Check check,
                       bool expression) -> std::optional<std::string> {
    if (!valid(check, st.value, expression)) return bad_value();
    dw::set_property(props, name, st.value);
    return std::nullopt;
  };
  if (prop == "color") return set(dw_props, "color", Check::kColor, true);
  if (prop == "horizontalscrollsplit") {
    return set(dw_props, "horizontalscrollsplit", Check::kCount, false);
  }
  if (prop == "readonly") return set(dw_props, "readonly", Check::kYesNo, false);
  if (prop == "table.select") return set(table, "retrieve", Check::kText, false);
  if (prop == "table.updatetable") {
    if (!dw::is_bare_word(st.value)) return bad_value();
    return set(table, "update", Check::kText, false);
  }
  const std::size_t dot = prop.find('.');
  if (dot != std::string::npos && is_band_name(prop.substr(0, dot))) {
    const std::string band = prop.substr(0, dot);
    const std::string rest = prop.substr(dot + 1);
    if (rest != "height" && rest != "color") {
      return one_of(rest, kBandReadable) ? "'" + whole + "' cannot be changed."
                                         : "Unknown property '" + whole + "'.";
    }
    const Check check = rest == "height" ? Check::kCount : Check::kColor;
    if (!valid(check, st.value, true)) return bad_value();
    if (w.band(band) == nullptr) bands.push_back(DwBand{band, {}});
    for (DwBand& b : bands) {
      if (text::iequal(b.name, band)) dw::set_property(b.properties, rest, st.value);
    }
    return std::nullopt;
  }
  if (one_of(prop, kDataWindowReadable) || prop.starts_with("table.")) {
    return "'" + whole + "' cannot be changed.";
  }
  return "Unknown property '" + whole + "'.";
}

std::optional<std::string> apply_to_control(DwControl& c, const Setting& st) {
  const std::string prop = text::lower(st.property);
  const std::string whole = st.object + "." + st.property;
  const Settable* s = settable(prop);
  if (s == nullptr) {
    const bool known = one_of(prop, kObjectReadable) ||
                       (c.column_id != 0 && one_of(prop, kColumnReadable)) ||
                       find_property(c.properties, prop) != nullptr;
    return known ? "'" + whole + "' cannot be changed." : "Unknown property '" + whole + "'.";
  }
  if (!valid(s->check, st.value, true)) return "Bad value '" + st.value + "' for '" + whole + "'.";
  dw::set_property(c.properties, prop, st.value);
  return std::nullopt;
}

std::string yes_no(bool b) { return b ? "yes" : "no"; }

}  // namespace

std::string DataWindowObject::modify(std::string_view expr) {
  std::vector<Setting> settings;
  if (const std::optional<std::size_t> bad = parse_settings(expr, settings)) {
    return error_at(expr, *bad, "incorrect syntax.");
  }
  DataWindowObject next = *this;
  for (const Setting& st : settings) {
    std::optional<std::string> error;
    if (text::iequal(st.object, "datawindow")) {
      error = apply_to_datawindow(next, next.properties_, next.bands_, next.table_, st);
    } else if (DwControl* c = find_control(next.controls_, st.object)) {
      error = apply_to_control(*c, st);
    } else {
      error = "Unknown object '" + st.object + "'.";
    }
    if (error) return error_at(expr, st.pos, *error);
  }
  *this = std::move(next);
  return "";
}

namespace {

// Describe of one table column's own properties; nullopt when it has none.
std::optional<std::string> column_property(const DwColumn& col, std::string_view prop) {
  if (prop == "coltype") return col.coltype;
  if (prop == "dbname") return col.dbname;
  if (prop == "id") return std::to_string(col.id);
  if (prop == "update") return yes_no(col.update);
  if (prop == "key") return yes_no(col.key);
  if (prop == "updatewhereclause") return yes_no(col.updatewhereclause);
  if (const std::string* v = find_property(col.properties, prop)) return *v;
  return std::nullopt;
}

std::optional<std::string> control_property(const DwControl& c, const DwColumn* col,
                                            std::string_view prop) {
  if (prop == "type") return c.kind;
  if (prop == "name") return c.name;
  if (col != nullptr && (prop == "coltype" || prop == "dbname" || prop == "update" ||
                         prop == "key" || prop == "updatewhereclause")) {
    return column_property(*col, prop);
  }
  if (const std::string* v = find_property(c.properties, prop)) return *v;
  if (col != nullptr) {
    if (std::optional<std::string> v = column_property(*col, prop)) return v;
  }
  if (one_of(prop, kObjectReadable) || settable(prop) != nullptr ||
      (col != nullptr && one_of(prop, kColumnReadable))) {
    return "?";
  }
  return std::nullopt;
}

}  // namespace

std::string DataWindowObject::describe(std::string_view expr) const {
  // One item; nullopt for an unknown object or property.
  const auto item = [this](std::string_view it) -> std::optional<std::string> {
    const std::size_t dot = it.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == it.size()) return std::nullopt;
    const std::string_view object = it.substr(0, dot);
    const std::string prop = text::lower(it.substr(dot + 1));
    if (text::iequal(object, "datawindow")) {
      if (prop == "column.count") return std::to_string(columns_.size());
      if (prop == "objects") {
        std::string names;
        for (const DwControl& c : controls_) {
          if (c.name.empty()) continue;
          if (!names.empty()) names += '\t';
          names += c.name;
        }
        return names;
      }
      if (prop == "table.select") return select().empty() ? "?" : select();
      if (prop == "table.updatetable") return update_table().empty() ? "?" : update_table();
      if (prop.starts_with("table.")) {
        const std::string rest = prop.substr(6);
        if (const std::string* v = find_property(table_, rest)) return *v;
        if (one_of(rest, kTableReadable)) return "?";
        return std::nullopt;
      }
      const std::size_t band_dot = prop.find('.');
      if (band_dot != std::string::npos) {
        const std::string name = prop.substr(0, band_dot);
        const std::string rest = prop.substr(band_dot + 1);
        const DwBand* b = band(name);
        if (b != nullptr || is_band_name(name)) {
          if (b != nullptr) {
            if (const std::string* v = find_property(b->properties, rest)) return *v;
          }
          if (one_of(rest, kBandReadable)) return "?";
          return std::nullopt;
        }
      }
      if (const std::string* v = find_property(properties_, prop)) return *v;
      if (prop == "processing") return "0";
      if (prop == "readonly") return "no";
      if (one_of(prop, kDataWindowReadable)) return "?";
      return std::nullopt;
    }
    if (const DwControl* c = find_control(controls_, object)) {
      const DwColumn* col =
          c->column_id != 0 ? &columns_[static_cast<std::size_t>(c->column_id - 1)] : nullptr;
      return control_property(*c, col, prop);
    }
    // A table column that the layout does not show.
    const std::optional<int> id = column_number(object);
    const DwColumn* col = id ? (static_cast<std::size_t>(*id) <= columns_.size()
                                    ? &columns_[static_cast<std::size_t>(*id - 1)]
                                    : nullptr)
                             : column(object);
    if (col == nullptr) return std::nullopt;
    if (prop == "type") return std::string("column");
    if (prop == "name") return col->name;
    if (std::optional<std::string> v = column_property(*col, prop)) return v;
    if (one_of(prop, kColumnReadable) || one_of(prop, kObjectReadable) ||
        settable(prop) != nullptr) {
      return "?";
    }
    return std::nullopt;
  };

  std::string out;
  bool first = true;
  std::size_t i = 0;
  while (i < expr.size()) {
    while (i < expr.size() && dw::is_blank(expr[i])) ++i;
    if (i == expr.size()) break;
    const std::size_t begin = i;
    while (i < expr.size() && !dw::is_blank(expr[i])) i += gbk_char_size(expr, i);
    if (!first) out += '\n';
    first = false;
    const std::optional<std::string> v = item(expr.substr(begin, i - begin));
    if (!v) {
      out += '!';
      break;
    }
    out += *v;
  }
  return out;
}

Value modify(DataWindowObject& dw, const Value& expr) {
  if (expr.is_null()) return Value::null_of(Type::kString);
  FH_EXPECTS(expr.type() == Type::kString, "Modify needs a string, not " + describe(expr));
  return Value::of_string(dw.modify(expr.as_string()));
}

Value describe(const DataWindowObject& dw, const Value& expr) {
  if (expr.is_null()) return Value::null_of(Type::kString);
  FH_EXPECTS(expr.type() == Type::kString, "Describe needs a string, not " + describe(expr));
  return Value::of_string(dw.describe(expr.as_string()));
}

std::string modify_quote(std::string_view text) {
  // A quote right after a lead byte without a trail byte cannot be escaped:
  // then the other quote is used, which needs no escape there.
  const char q = dw::quote_for(text);
  if (q == 0) {
    throw Error("text for Modify is not valid GBK: a lead byte stands before both kinds of quote");
  }
  return dw::write_quoted(text, q);
}

}  // namespace fh
