// The platform's built-in functions and expression operators on Values, with
// its null rules: a null argument gives a null of the result type. Passing a
// type the platform would not compile (Len of a date, a date plus a number) is
// a bug in the caller and throws std::logic_error. Counts and positions may be
// any number type; a null any (no type yet) counts as null.
#pragma once

#include <string_view>

#include "formhost/clock.h"
#include "formhost/export.h"
#include "formhost/value.h"

namespace fh {

// ---- text (GBK bytes; see text.h for the byte rules) ----

// Long: bytes in the string.
FH_API Value Len(const Value& s);
// String: the first / last n bytes.
FH_API Value Left(const Value& s, const Value& n);
FH_API Value Right(const Value& s, const Value& n);
// String: from byte `start` (1-based) to the end or n bytes; "" past the end.
FH_API Value Mid(const Value& s, const Value& start);
FH_API Value Mid(const Value& s, const Value& start, const Value& n);
// Long: byte position of `find` from `start` (default 1), 0 when not found.
FH_API Value Pos(const Value& s, const Value& find);
FH_API Value Pos(const Value& s, const Value& find, const Value& start);
// String: blanks (0x20) removed at both ends / the left / the right.
FH_API Value Trim(const Value& s);
FH_API Value LeftTrim(const Value& s);
FH_API Value RightTrim(const Value& s);
// String: ASCII letters changed; double-byte characters never touched.
FH_API Value Upper(const Value& s);
FH_API Value Lower(const Value& s);
// String: n bytes of `chars` repeated.
FH_API Value Fill(const Value& chars, const Value& n);
// String: n bytes from `start` replaced by `with`; past the end appends.
FH_API Value Replace(const Value& s, const Value& start, const Value& n, const Value& with);

// ---- String ----

// Plain text of any value: boolean "true"/"false"; integer and long digits;
// decimal with its own scale ("12.50"); double up to 15 significant digits
// ("0.3"; exponent form "1E+20" from 1E+15 up and below 0.0001); date
// "2026-12-07"; time "14:05:00" (".ffffff" when not zero); datetime
// "2026-12-07 14:05:00"; a string itself; an object "". Null gives null.
FH_API Value String(const Value& v);
// With a display mask. Numbers: "0", "0.00", "#,##0.00", "0%", sections
// "pos;neg;zero"; other characters around the number are literal. Dates and
// times: d dd ddd dddd m mm mmm mmmm yy yyyy h hh m mm (minutes after h or
// before s) s ss f..ffffff AM/PM a/p, lowercase; other characters literal.
// A mask that does not fit the value's type gives ""; an empty mask is no mask.
// A string value gives itself. Null value or null mask gives a null string.
FH_API Value String(const Value& v, const Value& mask);
FH_API Value String(const Value& v, std::string_view mask);

// ---- numbers ----

// Text or any value to long / integer / decimal / double. Text that is not a
// plain number ("3ABC", "1e5" except for Double, "") answers 0; null answers
// null. Fractions round half away from zero; long wraps at 32 bits, integer at
// 16. Booleans, dates and objects answer 0.
FH_API Value Long(const Value& v);
FH_API Value Integer(const Value& v);
FH_API Value Dec(const Value& v);
FH_API Value Double(const Value& v);
FH_API Value Long(std::string_view text);
FH_API Value Integer(std::string_view text);
FH_API Value Dec(std::string_view text);
FH_API Value Double(std::string_view text);

// Decimal: x rounded half away from zero to n places (negative n: tens,
// hundreds). Exact on decimals; a double rounds via its 15-digit text. Null
// x or n gives a null decimal.
FH_API Value Round(const Value& x, const Value& n);

// ---- date and time ----

// Date: the clock's date.
FH_API Value Today(const Clock& clock);
// Time: the clock's time of day (the platform's Now answers a time).
FH_API Value Now(const Clock& clock);

// ---- expression operators ----

// + - * on numbers. The result has the wider type of the two (integer < long <
// decimal < double); integer wraps at 16 bits, long at 32, decimal keeps 18
// significant digits. A null operand gives a null of that type.
FH_API Value add(const Value& a, const Value& b);
FH_API Value sub(const Value& a, const Value& b);
FH_API Value mul(const Value& a, const Value& b);
// Division: integers and longs divide as decimals (7 / 2 = 3.5), a double
// operand divides as double. A zero divisor throws RuntimeError(20501).
FH_API Value div(const Value& a, const Value& b);
// Unary minus.
FH_API Value negate(const Value& a);
// String + string. Null with anything is a null string.
FH_API Value concat(const Value& a, const Value& b);

// Boolean comparisons; null when either side is null. Numbers by value across
// types, strings in byte order (text::compare), dates and times in time order.
// Booleans and objects (by identity) only for eq and ne.
FH_API Value eq(const Value& a, const Value& b);
FH_API Value ne(const Value& a, const Value& b);
FH_API Value lt(const Value& a, const Value& b);
FH_API Value le(const Value& a, const Value& b);
FH_API Value gt(const Value& a, const Value& b);
FH_API Value ge(const Value& a, const Value& b);

// Boolean and / or / not; null when an operand is null.
FH_API Value logical_and(const Value& a, const Value& b);
FH_API Value logical_or(const Value& a, const Value& b);
FH_API Value logical_not(const Value& a);

// Whether a condition takes its true branch: only a non-null true. With n null,
// neither n = 1, n <> 1 nor not (n = 1) is true.
FH_API bool is_true(const Value& condition);

}  // namespace fh
