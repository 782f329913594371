// The platform's operators on values, for code that reads like a script:
// answer > 0, caption == "", total + 1, a && b, !done. Null follows the
// platform: an operation with a null operand is null, and a null condition
// takes no branch (Value's explicit bool is true only for a non-null true).
// Plain numbers, booleans and texts mix with values: 0 is a long, "" a string.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "formhost/functions.h"
#include "formhost/value.h"

namespace fh {
namespace operators_detail {

template <typename T>
concept IsValue = std::same_as<std::remove_cvref_t<T>, Value>;

template <typename T>
concept Plain =
    std::integral<T> || std::floating_point<T> || std::convertible_to<const T&, std::string_view>;

// At least one side is a value, so no operator of plain types is hijacked.
template <typename A, typename B>
concept Operands = (IsValue<A> && (IsValue<B> || Plain<B>)) || (Plain<A> && IsValue<B>);

inline const Value& operand(const Value& v) { return v; }
inline Value operand(bool b) { return Value::of_bool(b); }
template <std::integral T>
requires(!std::same_as<T, bool>) Value operand(T n) {
  return Value::of_long(static_cast<std::int32_t>(n));
}
template <std::floating_point T>
Value operand(T d) {
  return Value::of_double(static_cast<double>(d));
}
inline Value operand(std::string_view text) { return Value::of_string(std::string(text)); }
// A literal: its characters up to the terminating zero.
template <std::size_t N>
Value operand(const char (&text)[N]) {
  return Value::of_string(std::string(text, std::find(text, text + N, '\0')));
}

}  // namespace operators_detail

#define FH_VALUE_OPERATOR(op, fn)                                                       \
  template <typename A, typename B>                                                     \
  requires operators_detail::Operands<A, B> Value operator op(const A& a, const B& b) { \
    return fn(operators_detail::operand(a), operators_detail::operand(b));              \
  }
FH_VALUE_OPERATOR(==, eq)
FH_VALUE_OPERATOR(!=, ne)
FH_VALUE_OPERATOR(<, lt)
FH_VALUE_OPERATOR(<=, le)
FH_VALUE_OPERATOR(>, gt)
FH_VALUE_OPERATOR(>=, ge)
FH_VALUE_OPERATOR(-, sub)
FH_VALUE_OPERATOR(*, mul)
FH_VALUE_OPERATOR(/, div)
FH_VALUE_OPERATOR(&&, logical_and)
FH_VALUE_OPERATOR(||, logical_or)
#undef FH_VALUE_OPERATOR

// + adds numbers and joins texts, as on the platform.
template <typename A, typename B>
requires operators_detail::Operands<A, B> Value operator+(const A& a, const B& b) {
  const Value& l = operators_detail::operand(a);
  const Value& r = operators_detail::operand(b);
  return l.type() == Type::kString || r.type() == Type::kString ? concat(l, r) : add(l, r);
}

inline Value operator!(const Value& a) { return logical_not(a); }
inline Value operator-(const Value& a) { return negate(a); }

}  // namespace fh
