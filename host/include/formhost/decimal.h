// Exact decimal numbers: the platform's decimal type, 18 significant digits,
// over Intel's decimal128 library. Never goes through double except where a
// double is the source (from_double) or the target (to_double).
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formhost/export.h"

namespace fh {

class FH_API Decimal {
 public:
  static constexpr int kDigits = 18;  // significant digits kept after arithmetic

  Decimal();  // zero

  static Decimal from_int(std::int64_t n);
  // Plain number text: optional blanks around, optional sign, digits, optional
  // point and digits ("12", "-0.50", ".5", "3."). Anything else: nullopt.
  static std::optional<Decimal> parse(std::string_view text);
  // Through 15 significant digits, the precision a double reliably holds
  // (SQLite REAL columns). Not finite: nullopt.
  static std::optional<Decimal> from_double(double d);

  // Plain notation, no exponent, the value's own scale kept: "12.50", "-0.5", "0".
  std::string to_string() const;
  double to_double() const;
  // Truncated toward zero; values outside int64 saturate.
  std::int64_t to_int64() const;

  // Rounds half away from zero to `places` digits after the point (negative
  // places round to tens, hundreds...). The result has exactly that scale
  // when places >= 0: Round(2.5, 0) = 3, Round(9.625, 2) = 9.63.
  Decimal round(int places) const;
  int scale() const;  // digits after the point as stored
  bool is_zero() const;
  bool is_negative() const;
  Decimal negated() const;

  // A result beyond the decimal range (about 10^6144) throws
  // RuntimeError(kDecimalOverflow), never an infinity that would print as 0.
  friend FH_API Decimal operator+(const Decimal& a, const Decimal& b);
  friend FH_API Decimal operator-(const Decimal& a, const Decimal& b);
  friend FH_API Decimal operator*(const Decimal& a, const Decimal& b);
  // Throws RuntimeError(kDivideByZero) for a zero divisor.
  friend FH_API Decimal operator/(const Decimal& a, const Decimal& b);
  friend FH_API bool operator==(const Decimal& a, const Decimal& b);  // by value: 1.0 == 1
  friend FH_API std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

 private:
  std::uint64_t w_[2];  // copied in and out, so no 16-byte alignment: values stay small
};

}  // namespace fh
