// Sort texts ("je A, mc D") and the order of rows by their keys.
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "dw/expression_program.h"
#include "formhost/dwexpression.h"
#include "formhost/errors.h"
#include "formhost/functions.h"

namespace fh {

std::vector<SortKey> parse_sort(std::string_view sort_text) {
  dwexpr::Tokens tokens(sort_text, "sort");
  std::vector<SortKey> keys;
  if (tokens.peek().kind == dwexpr::Tok::kEnd) return keys;
  for (;;) {
    auto program = std::make_shared<dwexpr::Program>();
    const std::size_t begin = tokens.peek().begin;
    dwexpr::parse_expression(tokens, *program);
    program->text = std::string(sort_text.substr(begin, tokens.previous_end() - begin));
    bool ascending = true;
    const dwexpr::Token& t = tokens.peek();
    if (t.kind == dwexpr::Tok::kName) {
      if (t.lower == "a" || t.lower == "asc") {
        ascending = true;
      } else if (t.lower == "d" || t.lower == "desc") {
        ascending = false;
      } else {
        tokens.fail("A or D expected", t.begin);
      }
      tokens.next();
    }
    keys.push_back(SortKey{DwExpression(std::move(program)), ascending});
    if (tokens.peek().kind == dwexpr::Tok::kEnd) return keys;
    if (tokens.peek().kind != dwexpr::Tok::kComma) {
      tokens.fail("',' or end of sort expected", tokens.peek().begin);
    }
    tokens.next();
  }
}

int compare_sort_values(const Value& a, const Value& b) {
  if (a.is_null() || b.is_null()) return (a.is_null() ? 0 : 1) - (b.is_null() ? 0 : 1);
  if (a.type() == Type::kBoolean && b.type() == Type::kBoolean) {
    return (a.as_bool() ? 1 : 0) - (b.as_bool() ? 1 : 0);
  }
  try {
    if (is_true(lt(a, b))) return -1;
    if (is_true(lt(b, a))) return 1;
    return 0;
  } catch (const std::logic_error& e) {
    throw Error(std::string("sort: ") + e.what());
  }
}

int compare_rows(const std::vector<SortKey>& keys, const RowSource& rows, long a, long b) {
  for (const SortKey& k : keys) {
    const Value va = k.key.evaluate(rows, a);
    const Value vb = k.key.evaluate(rows, b);
    int c = 0;
    try {
      c = compare_sort_values(va, vb);
    } catch (const Error& e) {
      throw Error("expression '" + k.key.text() + "': " + e.what());
    }
    if (c != 0) return k.ascending ? c : -c;
  }
  return 0;
}

}  // namespace fh
