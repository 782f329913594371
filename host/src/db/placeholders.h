// Host variables in statement text (":name") become positional parameters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fh::detail {

struct Placeholders {
  std::string sql;                 // each ":name" replaced by ":p1", ":p2", ... in order
  std::vector<std::string> names;  // the names in order of appearance (lower case)
};

// Skips quoted literals ('...' with '' inside, "..." identifiers) and "::"
// casts; a GBK lead byte and its trail byte are never split.
Placeholders rewrite_placeholders(std::string_view sql);

}  // namespace fh::detail
