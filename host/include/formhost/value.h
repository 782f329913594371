// A value slot: a value, its type tag and a null flag. Every argument,
// property, column item and result travels as one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "formhost/datetime.h"
#include "formhost/decimal.h"
#include "formhost/export.h"

namespace fh {

class Object;
using ObjectRef = std::shared_ptr<Object>;

enum class Type : std::uint8_t {
  kBoolean,
  kInteger,  // 16-bit
  kLong,     // 32-bit
  kDecimal,
  kDouble,
  kString,  // GBK bytes
  kDate,
  kTime,
  kDateTime,
  kAny,     // a declared any that holds nothing yet
  kObject,  // window, control, data window, structure, nonvisual object
};

FH_API std::string_view type_name(Type t);

class FH_API Value {
 public:
  // An any that holds nothing: null.
  Value() = default;

  static Value of_bool(bool b) { return Value(Type::kBoolean, b); }
  static Value of_integer(std::int16_t n) { return Value(Type::kInteger, n); }
  static Value of_long(std::int32_t n) { return Value(Type::kLong, n); }
  static Value of_decimal(const Decimal& d) { return Value(Type::kDecimal, d); }
  static Value of_double(double d) { return Value(Type::kDouble, d); }
  static Value of_string(std::string gbk) { return Value(Type::kString, std::move(gbk)); }
  static Value of_date(const Date& d) { return Value(Type::kDate, d); }
  static Value of_time(const Time& t) { return Value(Type::kTime, t); }
  static Value of_datetime(const DateTime& t) { return Value(Type::kDateTime, t); }
  // A null reference gives a null object value.
  static Value of_object(ObjectRef o);
  // A null of the given type (what a null column or a SetNull gives).
  static Value null_of(Type t);
  // The platform's initial value of a declared variable: "", 0, false, 1900-01-01;
  // never null (except any and object, which start null).
  static Value initial(Type t);

  Type type() const { return type_; }
  bool is_null() const { return null_; }
  bool is_number() const;  // integer, long, decimal or double

  // Accessors for a non-null value of exactly that type; anything else is a
  // programming error (std::logic_error). Conversions live in functions.h.
  bool as_bool() const;
  std::int16_t as_integer() const;
  std::int32_t as_long() const;
  const Decimal& as_decimal() const;
  double as_double() const;
  const std::string& as_string() const;
  const Date& as_date() const;
  const Time& as_time() const;
  const DateTime& as_datetime() const;
  const ObjectRef& as_object() const;

  // Makes this a non-null empty string and returns it to fill, keeping the
  // storage a string slot already has: rows read into rows already there
  // copy each text once.
  std::string& refill_string();

  // A condition: true only for a non-null true boolean, so a null condition
  // takes no branch, as on the platform.
  explicit operator bool() const { return type_ == Type::kBoolean && !null_ && as_bool(); }

  // Same type, same null flag, same value (objects by identity): what tests
  // and caches compare. The platform's = is fh::eq, spelled == for scripts in
  // formhost/operators.h.
  friend FH_API bool same(const Value& a, const Value& b);

 private:
  using Storage = std::variant<std::monostate, bool, std::int16_t, std::int32_t, Decimal, double,
                               std::string, Date, Time, DateTime, ObjectRef>;
  template <typename T>
  Value(Type t, T&& v) : type_(t), null_(false), v_(std::forward<T>(v)) {}

  Type type_ = Type::kAny;
  bool null_ = true;
  Storage v_;
};

// A short description for messages: "long 5", "string 'abc'", "null decimal".
FH_API std::string describe(const Value& v);

}  // namespace fh
