// The data-window expression language: row filters, sort keys, computed
// fields and property expressions ("536870912~tif(getrow() = 1, 255, 0)").
// Text is GBK bytes. An expression is parsed once into a compact tree and
// evaluated per row with the platform's null rules (functions.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/clock.h"
#include "formhost/export.h"
#include "formhost/value.h"

namespace fh {

// What an expression reads: the rows of one data window.
class FH_API RowSource {
 public:
  virtual ~RowSource() = default;
  virtual long row_count() const = 0;
  // Value of a column in row 1..row_count(). Expressions pass names lower-cased
  // (ASCII letters only); match them case-insensitively. Throws fh::Error for
  // an unknown column.
  virtual Value item(long row, std::string_view column) const = 0;
  virtual bool has_column(std::string_view column) const = 0;
  // Name of column number n (1-based, as "#2" writes it). Throws fh::Error
  // when there is no such column.
  virtual std::string column_name(int n) const = 0;
  // The row with the focus (CurrentRow()); 0 when none.
  virtual long current_row() const { return 0; }
};

namespace dwexpr {
struct Program;
}

struct SortKey;

class FH_API DwExpression {
 public:
  // Parses GBK text. Throws fh::Error("expression 'TEXT': what was expected at
  // byte N"), N counting bytes from 0. Keywords, function and column names are
  // case-insensitive.
  static DwExpression parse(std::string_view text);

  // Evaluates for one row: the row getrow()/currentrow() answer and bare
  // column names read (0 is allowed when nothing reads a column). today() and
  // now() read `clock`, the system clock when null. Division or mod by zero
  // throws fh::RuntimeError(20501); an operand of the wrong type or an unknown
  // column throws fh::Error naming the expression.
  Value evaluate(const RowSource& rows, long row, const Clock* clock = nullptr) const;

  // The values for rows 1..row_count() in order. Each aggregate (sum(x for
  // all)...) is computed once here, not once per row: use this for filters.
  std::vector<Value> evaluate_all(const RowSource& rows, const Clock* clock = nullptr) const;

  const std::string& text() const;
  // Column names the expression reads, lower-cased, each once, in order of
  // first use; and the column numbers it reads as #N.
  std::vector<std::string> columns() const;
  std::vector<int> column_numbers() const;

 private:
  explicit DwExpression(std::shared_ptr<const dwexpr::Program> program);
  friend FH_API std::vector<SortKey> parse_sort(std::string_view sort_text);

  std::shared_ptr<const dwexpr::Program> program_;  // immutable, shared by copies
};

struct FH_API SortKey {
  DwExpression key;
  bool ascending;
};

// Parses a sort: keys separated by commas, each an expression followed by an
// optional direction A or D (also ASC / DESC; none means ascending):
// "je A, mc D", "#1 A", "upper(mc) D". Blank text gives no keys. Throws
// fh::Error("sort 'TEXT': what was expected at byte N").
FH_API std::vector<SortKey> parse_sort(std::string_view sort_text);

// The sort order of two key values: negative, zero or positive. Null first,
// false before true, otherwise the platform's comparison (numbers by value,
// strings in byte order, dates in time order). Throws fh::Error for values
// that do not compare (a string and a number).
FH_API int compare_sort_values(const Value& a, const Value& b);

// Compares rows a and b by the keys in order: negative, zero or positive.
// Nulls sort first ascending, last descending. Evaluates the keys for both
// rows on every call; to sort many rows, evaluate_all each key once and
// compare the values with compare_sort_values.
FH_API int compare_rows(const std::vector<SortKey>& keys, const RowSource& rows, long a, long b);

// The expression part of a property text as stored (already unquoted):
// "536870912~tif(...)" or "536870912<TAB>if(...)" gives "if(...)"; a text
// without the separator, or with nothing after it, gives none. "~~" is an
// escaped tilde, and a GBK trail byte that looks like '~' is never one.
FH_API std::optional<std::string> property_expression(std::string_view property_text);

}  // namespace fh
