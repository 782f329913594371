#include "formhost/dwobject.h"

#include <string>

#include "dw/dw_text.h"
#include "formhost/text.h"

namespace fh {
namespace dw {

bool is_word_byte(unsigned char c) {
  return is_ascii_letter(static_cast<char>(c)) || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
         c == '#' || c == '$' || c == '%' || c == '-';
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_bare_word(std::string_view s) {
  if (s.empty()) return false;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = gbk_char_size(s, i);
    if (n == 1 && !is_word_byte(static_cast<unsigned char>(s[i]))) return false;
    i += n;
  }
  return true;
}

std::size_t read_quoted(std::string_view s, std::size_t open, std::string& out) {
  const char q = s[open];
  std::size_t i = open + 1;
  while (i < s.size()) {
    const std::size_t n = gbk_char_size(s, i);
    if (n == 2) {  // a trail byte that looks like ~ or \ is part of its character
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    const char c = s[i];
    if (c == q) return i + 1;
    if (c == '~' && i + 1 < s.size()) {
      const char e = s[i + 1];
      const char* undone = nullptr;
      switch (e) {
        case '"':
          undone = "\"";
          break;
        case '\'':
          undone = "'";
          break;
        case '~':
          undone = "~";
          break;
        case 't':
          undone = "\t";
          break;
        case 'r':
          undone = "\r";
          break;
        case 'n':
          undone = "\n";
          break;
        default:
          break;
      }
      if (undone != nullptr) {
        out += undone;
        i += 2;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return std::string_view::npos;
}

std::string source_name(std::string_view source) {
  const std::size_t slash = source.find_last_of("/\\");
  if (slash != std::string_view::npos) source.remove_prefix(slash + 1);
  const std::size_t dot = source.rfind('.');
  if (dot != std::string_view::npos && dot > 0) source = source.substr(0, dot);
  return std::string(source);
}

std::string shorten(std::string_view s, std::size_t max) {
  if (s.size() <= max) return std::string(s);
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t n = gbk_char_size(s, i);
    if (i + n > max) break;
    i += n;
  }
  return std::string(s.substr(0, i)) + "...";
}

std::string write_quoted(std::string_view text, char q) {
  std::string out(1, q);
  bool after_lone_lead = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = gbk_char_size(text, i);
    if (n == 2) {
      out.append(text.substr(i, 2));
      after_lone_lead = false;
      i += 2;
      continue;
    }
    const char c = text[i];
    // After a lead byte that has no trail byte, an escape's '~' would be read
    // as its trail byte; control characters may stand raw inside quotes.
    if (c == '~') {
      out += "~~";
    } else if (c == q) {
      out += '~';
      out += c;
    } else if (c == '\t') {
      out += after_lone_lead ? "\t" : "~t";
    } else if (c == '\r') {
      out += after_lone_lead ? "\r" : "~r";
    } else if (c == '\n') {
      out += after_lone_lead ? "\n" : "~n";
    } else {
      out += c;
    }
    after_lone_lead = is_gbk_lead(static_cast<unsigned char>(c));
    ++i;
  }
  out += q;
  return out;
}

char quote_for(std::string_view text) {
  bool before_double = false;
  bool before_single = false;
  for (std::size_t i = 0; i < text.size(); i += gbk_char_size(text, i)) {
    if (gbk_char_size(text, i) == 1 && is_gbk_lead(static_cast<unsigned char>(text[i])) &&
        i + 1 < text.size()) {
      before_double = before_double || text[i + 1] == '"';
      before_single = before_single || text[i + 1] == '\'';
    }
  }
  if (before_double && before_single) return 0;
  return before_double ? '\'' : '"';
}

void set_property(DwProperties& props, std::string_view name, std::string value) {
  for (DwProperty& p : props) {
    if (text::iequal(p.name, name)) {
      p.value = std::move(value);
      p.list = false;
      return;
    }
  }
  props.push_back(DwProperty{text::lower(name), std::move(value), false});
}

}  // namespace dw

namespace {
const std::string kEmpty;

void write_properties(std::string& out, const DwProperties& props) {
  for (const DwProperty& p : props) {
    out += p.name;
    out += '=';
    if (p.list || dw::is_bare_word(p.value)) {
      out += p.value;
    } else {
      // Values come from sources and Modify, which cannot make one that
      // neither quote carries.
      const char q = dw::quote_for(p.value);
      out += dw::write_quoted(p.value, q != 0 ? q : '"');
    }
    out += ' ';
  }
}
}  // namespace

const std::string* find_property(const DwProperties& props, std::string_view name) {
  for (const DwProperty& p : props) {
    if (text::iequal(p.name, name)) return &p.value;
  }
  return nullptr;
}

int DataWindowObject::processing() const {
  const std::string* p = find_property(properties_, "processing");
  // The parser has checked it is a digit 0..7.
  return p == nullptr ? 0 : (*p)[0] - '0';
}

void DataWindowObject::apply_declared(const DeclaredNumerics& declared) {
  if (declared.empty()) return;
  for (DwColumn& c : columns_) {
    if (c.type != Type::kDecimal) continue;
    auto it = declared.find(text::lower(c.dbname));
    if (it == declared.end()) continue;
    c.precision = it->second.first;
    c.precision_scale = it->second.second;
  }
}

bool DataWindowObject::read_only() const {
  const std::string* p = find_property(properties_, "readonly");
  return p != nullptr && text::iequal(*p, "yes");
}

const DwBand* DataWindowObject::band(std::string_view name) const {
  for (const DwBand& b : bands_) {
    if (text::iequal(b.name, name)) return &b;
  }
  return nullptr;
}

const DwColumn* DataWindowObject::column(std::string_view name) const {
  const int i = column_index(name);
  return i == 0 ? nullptr : &columns_[static_cast<std::size_t>(i - 1)];
}

int DataWindowObject::column_index(std::string_view name) const {
  for (const DwColumn& c : columns_) {
    if (text::iequal(c.name, name)) return c.id;
  }
  return 0;
}

const std::string& DataWindowObject::select() const {
  const std::string* p = find_property(table_, "retrieve");
  return p == nullptr ? kEmpty : *p;
}

const std::string& DataWindowObject::update_table() const {
  const std::string* p = find_property(table_, "update");
  return p == nullptr ? kEmpty : *p;
}

const DwControl* DataWindowObject::control(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const DwControl& c : controls_) {
    if (text::iequal(c.name, name)) return &c;
  }
  return nullptr;
}

std::string DataWindowObject::to_source() const {
  std::string out = "release 9;\ndatawindow(";
  write_properties(out, properties_);
  out += ")\n";
  for (const DwBand& b : bands_) {
    out += b.name + "(";
    write_properties(out, b.properties);
    out += ")\n";
  }
  if (!columns_.empty() || !table_.empty() || !arguments_.empty()) {
    out += "table(";
    for (const DwColumn& c : columns_) {
      out += "column=(";
      write_properties(out, c.properties);
      out += ")\n ";
    }
    write_properties(out, table_);
    out += ")\n";
  }
  for (const DwControl& c : controls_) {
    out += c.kind + "(";
    write_properties(out, c.properties);
    out += ")\n";
  }
  for (const std::string& s : other_statements_) {
    out += s;
    out += '\n';
  }
  return out;
}

}  // namespace fh
