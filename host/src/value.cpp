#include "formhost/value.h"

#include <cmath>
#include <stdexcept>

#include "formhost/errors.h"
#include "formhost/functions.h"

namespace fh {

std::string_view type_name(Type t) {
  switch (t) {
    case Type::kBoolean:
      return "boolean";
    case Type::kInteger:
      return "integer";
    case Type::kLong:
      return "long";
    case Type::kDecimal:
      return "decimal";
    case Type::kDouble:
      return "double";
    case Type::kString:
      return "string";
    case Type::kDate:
      return "date";
    case Type::kTime:
      return "time";
    case Type::kDateTime:
      return "datetime";
    case Type::kAny:
      return "any";
    case Type::kObject:
      return "object";
  }
  return "unknown";
}

Value Value::of_object(ObjectRef o) {
  if (!o) return null_of(Type::kObject);
  return Value(Type::kObject, std::move(o));
}

std::string& Value::refill_string() {
  type_ = Type::kString;
  null_ = false;
  if (auto* s = std::get_if<std::string>(&v_)) {
    s->clear();
    return *s;
  }
  return v_.emplace<std::string>();
}

Value Value::null_of(Type t) {
  Value v;
  v.type_ = t;
  return v;
}

Value Value::initial(Type t) {
  switch (t) {
    case Type::kBoolean:
      return of_bool(false);
    case Type::kInteger:
      return of_integer(0);
    case Type::kLong:
      return of_long(0);
    case Type::kDecimal:
      return of_decimal(Decimal());
    case Type::kDouble:
      return of_double(0.0);
    case Type::kString:
      return of_string("");
    case Type::kDate:
      return of_date(Date{});
    case Type::kTime:
      return of_time(Time{});
    case Type::kDateTime:
      return of_datetime(DateTime{});
    case Type::kAny:
    case Type::kObject:
      break;
  }
  return null_of(t);
}

bool Value::is_number() const {
  return type_ == Type::kInteger || type_ == Type::kLong || type_ == Type::kDecimal ||
         type_ == Type::kDouble;
}

namespace {

// Asking a slot for the wrong type is a bug in the caller, not a script error.
void check(const Value& v, Type wanted) {
  FH_EXPECTS(v.type() == wanted && !v.is_null(),
             "value read as " + std::string(type_name(wanted)) + " is " + describe(v));
}

}  // namespace

bool Value::as_bool() const {
  check(*this, Type::kBoolean);
  return std::get<bool>(v_);
}
std::int16_t Value::as_integer() const {
  check(*this, Type::kInteger);
  return std::get<std::int16_t>(v_);
}
std::int32_t Value::as_long() const {
  check(*this, Type::kLong);
  return std::get<std::int32_t>(v_);
}
const Decimal& Value::as_decimal() const {
  check(*this, Type::kDecimal);
  return std::get<Decimal>(v_);
}
double Value::as_double() const {
  check(*this, Type::kDouble);
  return std::get<double>(v_);
}
const std::string& Value::as_string() const {
  check(*this, Type::kString);
  return std::get<std::string>(v_);
}
const Date& Value::as_date() const {
  check(*this, Type::kDate);
  return std::get<Date>(v_);
}
const Time& Value::as_time() const {
  check(*this, Type::kTime);
  return std::get<Time>(v_);
}
const DateTime& Value::as_datetime() const {
  check(*this, Type::kDateTime);
  return std::get<DateTime>(v_);
}
const ObjectRef& Value::as_object() const {
  check(*this, Type::kObject);
  return std::get<ObjectRef>(v_);
}

bool same(const Value& a, const Value& b) {
  if (a.type_ != b.type_ || a.null_ != b.null_) return false;
  if (a.null_) return true;
  // A NaN is the same value as another NaN here, though never == to it.
  const double* x = std::get_if<double>(&a.v_);
  const double* y = std::get_if<double>(&b.v_);
  if (x != nullptr && y != nullptr && std::isnan(*x) && std::isnan(*y)) return true;
  return a.v_ == b.v_;
}

std::string describe(const Value& v) {
  std::string out;
  if (v.is_null()) return "null " + std::string(type_name(v.type()));
  out = type_name(v.type());
  switch (v.type()) {
    case Type::kString:
      return out + " '" + v.as_string() + "'";
    case Type::kObject:
      return out;
    default:
      return out + " " + String(v).as_string();
  }
}

}  // namespace fh
