// Evaluating a parsed expression for rows, with the functions the
// expression language has beyond functions.h.
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "argument_checks.h"
#include "dw/expression_program.h"
#include "formhost/dwexpression.h"
#include "formhost/errors.h"
#include "formhost/functions.h"

namespace fh {
namespace dwexpr {
namespace {

using detail::need_number;
using detail::wider;
using detail::wrong_type;

// ---- numbers for the functions that functions.h lacks ----

[[noreturn]] void divide_by_zero() {
  throw RuntimeError(RuntimeCode::kDivideByZero, "division by zero");
}

Decimal dec_of(const Value& v) { return Dec(v).as_decimal(); }
double double_of(const Value& v) { return Double(v).as_double(); }

// 10 to the power -places, exactly.
Decimal unit(int places) {
  if (places <= 0)
    return *Decimal::parse("1" + std::string(static_cast<std::size_t>(-places), '0'));
  return *Decimal::parse("0." + std::string(static_cast<std::size_t>(places - 1), '0') + "1");
}

// Cut toward zero to `places` digits after the point.
Decimal truncate(const Decimal& x, int places) {
  Decimal r = x.round(places);
  if (!x.is_negative() && r > x) r = r - unit(places);
  if (x.is_negative() && r < x) r = r + unit(places);
  return r;
}

Decimal floor_of(const Decimal& x) {
  const Decimal t = truncate(x, 0);
  return x < t ? t - Decimal::from_int(1) : t;
}

Decimal ceiling_of(const Decimal& x) {
  const Decimal t = truncate(x, 0);
  return x > t ? t + Decimal::from_int(1) : t;
}

int places_of(const Value& n) {
  std::int64_t p = Long(n).as_long();
  if (p > 30) p = 30;
  if (p < -30) p = -30;
  return static_cast<int>(p);
}

enum class Rounding { kFloor, kCeiling, kTruncate };

// int, ceiling and truncate keep the argument's type.
Value whole(std::string_view fn, Rounding how, const Value& x, int places) {
  need_number(fn, x);
  if (x.is_null()) return x;
  if ((x.type() == Type::kInteger || x.type() == Type::kLong) && places >= 0) return x;
  const Decimal d = dec_of(x);
  Decimal r;
  switch (how) {
    case Rounding::kFloor:
      r = floor_of(d);
      break;
    case Rounding::kCeiling:
      r = ceiling_of(d);
      break;
    case Rounding::kTruncate:
      r = truncate(d, places);
      break;
  }
  switch (x.type()) {
    case Type::kInteger:
      return Integer(Value::of_decimal(r));
    case Type::kLong:
      return Long(Value::of_decimal(r));
    case Type::kDecimal:
      return Value::of_decimal(r);
    default:
      break;
  }
  const double v = x.as_double();
  if (!std::isfinite(v)) return x;
  switch (how) {
    case Rounding::kFloor:
      return Value::of_double(std::floor(v));
    case Rounding::kCeiling:
      return Value::of_double(std::ceil(v));
    case Rounding::kTruncate:
      break;
  }
  return Value::of_double(r.to_double());
}

Value abs_of(const Value& x) {
  need_number("abs", x);
  if (x.is_null()) return x;
  bool negative = false;
  switch (x.type()) {
    case Type::kInteger:
      negative = x.as_integer() < 0;
      break;
    case Type::kLong:
      negative = x.as_long() < 0;
      break;
    case Type::kDecimal:
      negative = x.as_decimal().is_negative();
      break;
    default:
      negative = x.as_double() < 0;
      break;
  }
  return negative ? negate(x) : x;
}

// Remainder with the sign of the dividend, in the wider type.
Value mod_of(const Value& a, const Value& b) {
  const Type type = wider("mod", a, b);
  if (a.is_null() || b.is_null()) return Value::null_of(type);
  switch (type) {
    case Type::kInteger:
    case Type::kLong: {
      const std::int64_t x = Long(a).as_long();
      const std::int64_t y = Long(b).as_long();
      if (y == 0) divide_by_zero();
      const std::int64_t r = x % y;
      return type == Type::kLong ? Value::of_long(static_cast<std::int32_t>(r))
                                 : Value::of_integer(static_cast<std::int16_t>(r));
    }
    case Type::kDecimal: {
      const Decimal x = dec_of(a);
      const Decimal y = dec_of(b);
      if (y.is_zero()) divide_by_zero();
      return Value::of_decimal(x - y * truncate(x / y, 0));
    }
    default: {
      const double y = double_of(b);
      if (y == 0.0) divide_by_zero();
      return Value::of_double(std::fmod(double_of(a), y));
    }
  }
}

// Exact (decimal) for a whole exponent and no double operand, else double.
Value power_of(const Value& a, const Value& b) {
  const Type type = wider("^", a, b);
  const bool exact = type != Type::kDouble;
  if (a.is_null() || b.is_null()) return Value::null_of(exact ? Type::kDecimal : Type::kDouble);
  if (exact) {
    const Decimal e = dec_of(b);
    const Decimal whole_e = truncate(e, 0);
    const std::int64_t n = whole_e.to_int64();
    if (e == whole_e && n >= -4096 && n <= 4096) {
      Decimal base = dec_of(a);
      Decimal result = Decimal::from_int(1);
      for (std::int64_t k = n < 0 ? -n : n; k > 0; k >>= 1) {
        if (k & 1) result = result * base;
        if (k > 1) base = base * base;
      }
      if (n < 0) result = Decimal::from_int(1) / result;
      return Value::of_decimal(result);
    }
  }
  return Value::of_double(std::pow(double_of(a), double_of(b)));
}

// Text, a date or a datetime to a date; text that is no date gives 1900-01-01.
Value date_of(const Value& x) {
  switch (x.type()) {
    case Type::kDate:
      return x;
    case Type::kDateTime:
      return x.is_null() ? Value::null_of(Type::kDate) : Value::of_date(x.as_datetime().date);
    case Type::kString:
    case Type::kAny: {
      if (x.is_null()) return Value::null_of(Type::kDate);
      if (const auto d = Date::parse(x.as_string())) return Value::of_date(*d);
      if (const auto dt = DateTime::parse(x.as_string())) return Value::of_date(dt->date);
      return Value::initial(Type::kDate);
    }
    default:
      wrong_type("date", x);
  }
}

Value date_of(const Value& y, const Value& m, const Value& d) {
  for (const Value* v : {&y, &m, &d}) need_number("date", *v);
  if (y.is_null() || m.is_null() || d.is_null()) return Value::null_of(Type::kDate);
  const auto date = Date::make(Long(y).as_long(), Long(m).as_long(), Long(d).as_long());
  return date ? Value::of_date(*date) : Value::initial(Type::kDate);
}

enum class DatePart { kYear, kMonth, kDay };

Value date_part(std::string_view fn, DatePart part, const Value& x) {
  const Date* date = nullptr;
  switch (x.type()) {
    case Type::kDate:
    case Type::kDateTime:
    case Type::kAny:
      if (x.is_null()) return Value::null_of(Type::kInteger);
      date = x.type() == Type::kDate ? &x.as_date() : &x.as_datetime().date;
      break;
    default:
      wrong_type(fn, x);
  }
  switch (part) {
    case DatePart::kYear:
      return Value::of_integer(date->year);
    case DatePart::kMonth:
      return Value::of_integer(date->month);
    case DatePart::kDay:
      break;
  }
  return Value::of_integer(date->day);
}

Value rgb_of(const Value& r, const Value& g, const Value& b) {
  for (const Value* v : {&r, &g, &b}) need_number("rgb", *v);
  if (r.is_null() || g.is_null() || b.is_null()) return Value::null_of(Type::kLong);
  const std::int64_t n = std::int64_t{Long(r).as_long()} + 256 * std::int64_t{Long(g).as_long()} +
                         65536 * std::int64_t{Long(b).as_long()};
  return Value::of_long(
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(n))));
}

// '+' adds numbers and joins strings.
Value plus(const Value& a, const Value& b) {
  if (a.type() == Type::kString || b.type() == Type::kString) return concat(a, b);
  return add(a, b);
}

// ---- evaluation ----

const Clock& system_clock() {
  static const SystemClock clock;
  return clock;
}

class Evaluator {
 public:
  Evaluator(const Program& p, const RowSource& rows, const Clock* clock)
      : p_(p), rows_(rows), clock_(clock ? *clock : system_clock()), cache_(p.aggregates) {}

  Value eval(std::uint32_t n, long row) {
    const Node& node = p_.nodes[n];
    const std::uint32_t* a = p_.args.data() + node.arg;
    Value t0;
    Value t1;
    Value t2;
    // Operands by reference: literals are read in place, not copied.
    const auto x = [&](std::size_t i, Value& tmp) -> const Value& {
      return operand(a[i], row, tmp);
    };
    switch (node.op) {
      case Op::kLiteral:
        return p_.literals[node.data];
      case Op::kColumn:
        return rows_.item(row, p_.names[node.data]);
      case Op::kColumnNumber:
        return rows_.item(row, rows_.column_name(static_cast<int>(node.data)));
      case Op::kNegate:
        return negate(x(0, t0));
      case Op::kPlus: {
        const Value& v = x(0, t0);
        need_number("+", v);
        return v;
      }
      case Op::kPower:
        return power_of(x(0, t0), x(1, t1));
      case Op::kMul:
        return mul(x(0, t0), x(1, t1));
      case Op::kDiv:
        return div(x(0, t0), x(1, t1));
      case Op::kAdd:
        return plus(x(0, t0), x(1, t1));
      case Op::kSub:
        return sub(x(0, t0), x(1, t1));
      case Op::kEq:
        return eq(x(0, t0), x(1, t1));
      case Op::kNe:
        return ne(x(0, t0), x(1, t1));
      case Op::kLt:
        return lt(x(0, t0), x(1, t1));
      case Op::kLe:
        return le(x(0, t0), x(1, t1));
      case Op::kGt:
        return gt(x(0, t0), x(1, t1));
      case Op::kGe:
        return ge(x(0, t0), x(1, t1));
      case Op::kNot:
        return logical_not(x(0, t0));
      case Op::kAnd:
        return logical_and(x(0, t0), x(1, t1));
      case Op::kOr:
        return logical_or(x(0, t0), x(1, t1));
      case Op::kIf:
        return is_true(x(0, t0)) ? eval(a[1], row) : eval(a[2], row);
      case Op::kIsNull:
        return Value::of_bool(x(0, t0).is_null());
      case Op::kMod:
        return mod_of(x(0, t0), x(1, t1));
      case Op::kAbs:
        return abs_of(x(0, t0));
      case Op::kCeiling:
        return whole("ceiling", Rounding::kCeiling, x(0, t0), 0);
      case Op::kInt:
        return whole("int", Rounding::kFloor, x(0, t0), 0);
      case Op::kTruncate: {
        const Value& value = x(0, t0);
        const Value& places = x(1, t1);
        need_number("truncate", places);
        if (places.is_null()) {
          need_number("truncate", value);
          return Value::null_of(value.type());
        }
        return whole("truncate", Rounding::kTruncate, value, places_of(places));
      }
      case Op::kRound:
        return Round(x(0, t0), x(1, t1));
      case Op::kLen:
        return Len(x(0, t0));
      case Op::kLeft:
        return Left(x(0, t0), x(1, t1));
      case Op::kRight:
        return Right(x(0, t0), x(1, t1));
      case Op::kMid:
        return node.argc == 2 ? Mid(x(0, t0), x(1, t1)) : Mid(x(0, t0), x(1, t1), x(2, t2));
      case Op::kPos:
        return node.argc == 2 ? Pos(x(0, t0), x(1, t1)) : Pos(x(0, t0), x(1, t1), x(2, t2));
      case Op::kTrim:
        return Trim(x(0, t0));
      case Op::kLeftTrim:
        return LeftTrim(x(0, t0));
      case Op::kRightTrim:
        return RightTrim(x(0, t0));
      case Op::kUpper:
        return Upper(x(0, t0));
      case Op::kLower:
        return Lower(x(0, t0));
      case Op::kString:
        return node.argc == 1 ? String(x(0, t0)) : String(x(0, t0), x(1, t1));
      case Op::kNumber:
      case Op::kDec:
        return Dec(x(0, t0));
      case Op::kLong:
        return Long(x(0, t0));
      case Op::kInteger:
        return Integer(x(0, t0));
      case Op::kReal:
        return Double(x(0, t0));
      case Op::kDate:
        return node.argc == 1 ? date_of(x(0, t0)) : date_of(x(0, t0), x(1, t1), x(2, t2));
      case Op::kToday:
        return Today(clock_);
      case Op::kNow:
        return Now(clock_);
      case Op::kYear:
        return date_part("year", DatePart::kYear, x(0, t0));
      case Op::kMonth:
        return date_part("month", DatePart::kMonth, x(0, t0));
      case Op::kDay:
        return date_part("day", DatePart::kDay, x(0, t0));
      case Op::kRgb:
        return rgb_of(x(0, t0), x(1, t1), x(2, t2));
      case Op::kGetRow:
        return Value::of_long(static_cast<std::int32_t>(row));
      case Op::kCurrentRow:
        return Value::of_long(static_cast<std::int32_t>(rows_.current_row()));
      case Op::kRowCount:
        return Value::of_long(static_cast<std::int32_t>(rows_.row_count()));
      case Op::kSum:
      case Op::kCount:
      case Op::kMax:
      case Op::kMin:
      case Op::kAvg:
        return aggregate(node, a[0]);
    }
    broken_precondition("a node the parser makes", "expression: unknown node");
  }

 private:
  const Value& operand(std::uint32_t n, long row, Value& tmp) {
    const Node& node = p_.nodes[n];
    if (node.op == Op::kLiteral) return p_.literals[node.data];
    tmp = eval(n, row);
    return tmp;
  }

  // Over all rows, nulls skipped; the answer does not depend on the current
  // row, so it is computed once per evaluation and kept.
  const Value& aggregate(const Node& node, std::uint32_t arg) {
    std::optional<Value>& slot = cache_[node.data];
    if (slot) return *slot;
    const long count_rows = rows_.row_count();
    Value acc;
    Type null_type = Type::kAny;
    std::int32_t count = 0;
    for (long r = 1; r <= count_rows; ++r) {
      Value v = eval(arg, r);
      if (v.is_null()) {
        null_type = v.type();
        continue;
      }
      switch (node.op) {
        case Op::kSum:
        case Op::kAvg:
          // Whole numbers add up exactly as decimals, with no 32-bit wrap.
          need_number(node.op == Op::kSum ? "sum" : "avg", v);
          if (v.type() == Type::kInteger || v.type() == Type::kLong) v = Dec(v);
          acc = count == 0 ? std::move(v) : add(acc, v);
          break;
        case Op::kMax:
          if (count == 0 || is_true(gt(v, acc))) acc = std::move(v);
          break;
        case Op::kMin:
          if (count == 0 || is_true(lt(v, acc))) acc = std::move(v);
          break;
        default:
          break;
      }
      ++count;
    }
    Value result;
    if (node.op == Op::kCount) {
      result = Value::of_long(count);
    } else if (count == 0) {
      const bool numeric = node.op == Op::kSum || node.op == Op::kAvg;
      result = Value::null_of(numeric && null_type != Type::kDouble ? Type::kDecimal : null_type);
    } else if (node.op == Op::kAvg) {
      result = div(acc, Value::of_long(count));
    } else {
      result = std::move(acc);
    }
    slot = std::move(result);
    return *slot;
  }

  const Program& p_;
  const RowSource& rows_;
  const Clock& clock_;
  std::vector<std::optional<Value>> cache_;
};

// Runs `body`, giving errors the expression's text.
template <typename Body>
auto guarded(const Program& p, Body body) {
  const std::string prefix = "expression '" + p.text + "': ";
  try {
    return body();
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.code(), prefix + e.what());
  } catch (const Error& e) {
    throw Error(prefix + e.what());
  } catch (const std::logic_error& e) {
    throw Error(prefix + e.what());
  }
}

}  // namespace
}  // namespace dwexpr

Value DwExpression::evaluate(const RowSource& rows, long row, const Clock* clock) const {
  return dwexpr::guarded(*program_, [&] {
    dwexpr::Evaluator ev(*program_, rows, clock);
    return ev.eval(program_->root, row);
  });
}

std::vector<Value> DwExpression::evaluate_all(const RowSource& rows, const Clock* clock) const {
  return dwexpr::guarded(*program_, [&] {
    dwexpr::Evaluator ev(*program_, rows, clock);
    std::vector<Value> out;
    const long n = rows.row_count();
    out.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (long r = 1; r <= n; ++r) out.push_back(ev.eval(program_->root, r));
    return out;
  });
}

}  // namespace fh
