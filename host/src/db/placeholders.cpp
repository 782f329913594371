#include "placeholders.h"

#include "formhost/text.h"

namespace fh::detail {
namespace {

bool is_name_char(unsigned char c) {
  return is_ascii_letter(static_cast<char>(c)) || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

Placeholders rewrite_placeholders(std::string_view sql) {
  Placeholders out;
  out.sql.reserve(sql.size() + 8);
  std::size_t i = 0;
  while (i < sql.size()) {
    const auto c = static_cast<unsigned char>(sql[i]);
    if (is_gbk_lead(c) && i + 1 < sql.size()) {
      out.sql.append(sql.substr(i, 2));
      i += 2;
    } else if (c == '\'' || c == '"') {
      // Copy the literal whole; a doubled quote stays inside it.
      std::size_t j = i + 1;
      while (j < sql.size()) {
        const auto d = static_cast<unsigned char>(sql[j]);
        if (is_gbk_lead(d) && j + 1 < sql.size()) {
          j += 2;
        } else if (d == c && j + 1 < sql.size() && static_cast<unsigned char>(sql[j + 1]) == c) {
          j += 2;
        } else if (d == c) {
          ++j;
          break;
        } else {
          ++j;
        }
      }
      out.sql.append(sql.substr(i, j - i));
      i = j;
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      out.sql.append("::");
      i += 2;
    } else if (c == ':' && i + 1 < sql.size() &&
               is_name_char(static_cast<unsigned char>(sql[i + 1]))) {
      std::size_t j = i + 1;
      while (j < sql.size() && is_name_char(static_cast<unsigned char>(sql[j]))) ++j;
      out.names.push_back(text::lower(sql.substr(i + 1, j - i - 1)));
      out.sql += ":p" + std::to_string(out.names.size());
      i = j;
    } else {
      out.sql.push_back(static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

}  // namespace fh::detail
