// String with a display mask: any mask on any value answers a string and
// never fails; a string value comes back as itself. The plain text of a
// number, date or time read from the input reads back as the same value.
#include <vector>

#include "formhost/datetime.h"
#include "formhost/decimal.h"
#include "formhost/errors.h"
#include "formhost/functions.h"
#include "fuzz_target.h"

namespace {

using fh::Value;

const std::vector<Value>& values() {
  static const std::vector<Value> v = {
      Value::of_long(1234567),
      Value::of_integer(-12),
      Value::of_decimal(*fh::Decimal::parse("-9876543.21")),
      Value::of_decimal(*fh::Decimal::parse("0")),
      Value::of_double(0.000123),
      Value::of_double(-1e300),
      Value::of_date(*fh::Date::make(2026, 12, 7)),
      Value::of_time(*fh::Time::make(23, 5, 9, 120)),
      Value::of_datetime(*fh::DateTime::parse("2000-02-29 00:00:00")),
      Value::of_bool(true),
      Value::null_of(fh::Type::kDecimal),
  };
  return v;
}

}  // namespace

ZR_FUZZ_TARGET(mask) {
  const std::string_view text = zrfuzz::bytes(data, size);
  for (const Value& v : values()) {
    const Value s = fh::String(v, text);
    zrfuzz::check(s.type() == fh::Type::kString, "String with a mask answers a string");
    zrfuzz::check(s.is_null() == v.is_null(), "String with a mask answers null for null only");
  }
  const Value self = fh::String(Value::of_string(std::string(text)), "#,##0.00");
  zrfuzz::check(self.as_string() == text, "a string value with a mask is not itself");

  if (const auto d = fh::Decimal::parse(text)) {
    const auto back = fh::Decimal::parse(fh::String(Value::of_decimal(*d)).as_string());
    zrfuzz::check(back && *back == *d, "a decimal does not read back from its text");
  }
  if (const auto d = fh::Date::parse(text)) {
    const auto back = fh::Date::parse(fh::String(Value::of_date(*d)).as_string());
    zrfuzz::check(back && *back == *d, "a date does not read back from its text");
  }
  if (const auto t = fh::Time::parse(text)) {
    const auto back = fh::Time::parse(fh::String(Value::of_time(*t)).as_string());
    zrfuzz::check(back && *back == *t, "a time does not read back from its text");
  }
  if (const auto t = fh::DateTime::parse(text)) {
    const auto back = fh::DateTime::parse(fh::String(Value::of_datetime(*t)).as_string());
    zrfuzz::check(back && *back == *t, "a datetime does not read back from its text");
  }
  return 0;
}
