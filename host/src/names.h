// Class, event and property names are case-insensitive: kept in lower case.
#pragma once

#include <string>
#include <string_view>

namespace fh::detail {

inline std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace fh::detail
