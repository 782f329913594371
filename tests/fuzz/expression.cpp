// The expression language as filters, computed columns, sorts and property
// expressions use it. Text either parses or is refused with fh::Error; an
// expression evaluated for all rows at once gives what it gives row by row;
// a sort orders any two rows one way round only.
#include <array>
#include <optional>
#include <vector>

#include "formhost/clock.h"
#include "formhost/datetime.h"
#include "formhost/decimal.h"
#include "formhost/dwexpression.h"
#include "formhost/errors.h"
#include "formhost/text.h"
#include "fuzz_target.h"

namespace {

using fh::Value;

class Rows final : public fh::RowSource {
 public:
  Rows() {
    const auto dec = [](const char* t) { return Value::of_decimal(*fh::Decimal::parse(t)); };
    rows_ = {{Value::of_string("abc"), Value::of_long(2), dec("12.50"),
              Value::of_date(*fh::Date::make(2026, 12, 7))},
             {Value::of_string("\xBF\xEE\xBA\xC5"), Value::of_long(-7), dec("0"),
              Value::null_of(fh::Type::kDate)},
             {Value::null_of(fh::Type::kString), Value::null_of(fh::Type::kLong), dec("-3.125"),
              Value::of_date(*fh::Date::make(1999, 1, 31))}};
  }
  long row_count() const override { return static_cast<long>(rows_.size()); }
  Value item(long row, std::string_view column) const override {
    return rows_.at(static_cast<std::size_t>(row - 1)).at(index(column));
  }
  bool has_column(std::string_view column) const override {
    return index_or_none(column) < kNames.size();
  }
  std::string column_name(int n) const override {
    if (n < 1 || n > static_cast<int>(kNames.size())) throw fh::Error("no column number");
    return std::string(kNames[static_cast<std::size_t>(n - 1)]);
  }
  long current_row() const override { return 2; }

 private:
  static constexpr std::array<std::string_view, 4> kNames = {"mc", "sl", "je", "rq"};
  std::size_t index_or_none(std::string_view column) const {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (fh::text::iequal(kNames[i], column)) return i;
    }
    return kNames.size();
  }
  std::size_t index(std::string_view column) const {
    const std::size_t i = index_or_none(column);
    if (i == kNames.size()) throw fh::Error("no column " + std::string(column));
    return i;
  }
  std::vector<std::vector<Value>> rows_;
};

const Rows kRows;
const fh::FixedClock kClock(*fh::DateTime::parse("2026-12-08 10:30:00"));

void check_expression(std::string_view text) {
  std::optional<fh::DwExpression> e;
  try {
    e = fh::DwExpression::parse(text);
  } catch (const fh::Error&) {
    return;
  }
  std::vector<Value> all;
  try {
    all = e->evaluate_all(kRows, &kClock);
  } catch (const fh::Error&) {
    return;
  } catch (const fh::RuntimeError&) {
    return;
  }
  zrfuzz::check(all.size() == 3, "evaluate_all gives a value per row");
  for (long r = 1; r <= 3; ++r) {
    Value one;
    try {
      one = e->evaluate(kRows, r, &kClock);
    } catch (const std::exception& x) {
      zrfuzz::fail("row " + std::to_string(r) + " fails alone but not with all rows: " + x.what());
    }
    zrfuzz::check(
        same(one, all[static_cast<std::size_t>(r - 1)]),
        "row " + std::to_string(r) + " differs alone and with all rows: " + std::string(text));
  }
}

int sign(int n) { return (n > 0) - (n < 0); }

void check_sort(std::string_view text) {
  std::vector<fh::SortKey> keys;
  try {
    keys = fh::parse_sort(text);
  } catch (const fh::Error&) {
    return;
  }
  for (long a = 1; a <= 3; ++a) {
    for (long b = 1; b <= 3; ++b) {
      try {
        const int ab = fh::compare_rows(keys, kRows, a, b);
        const int ba = fh::compare_rows(keys, kRows, b, a);
        zrfuzz::check(sign(ab) == -sign(ba),
                      "the sort orders two rows both ways: " + std::string(text));
        if (a == b) zrfuzz::check(ab == 0, "a row sorts apart from itself");
      } catch (const fh::Error&) {
      } catch (const fh::RuntimeError&) {
      }
    }
  }
}

}  // namespace

ZR_FUZZ_TARGET(expression) {
  const std::string_view text = zrfuzz::bytes(data, size);
  check_expression(text);
  check_sort(text);
  if (const auto expr = fh::property_expression(text)) check_expression(*expr);
  return 0;
}
