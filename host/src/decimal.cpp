#include "formhost/decimal.h"

#include <bid_conf.h>
#include <bid_functions.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "formhost/errors.h"

namespace fh {
namespace {

// The library works on its own 128-bit struct; ours is the same bytes.
BID_UINT128 load(const std::uint64_t* w) {
  BID_UINT128 x;
  x.w[0] = w[0];
  x.w[1] = w[1];
  return x;
}

void store(const BID_UINT128& x, std::uint64_t* w) {
  w[0] = x.w[0];
  w[1] = x.w[1];
}

// A finite decimal as sign, coefficient digits and power of ten.
struct Parts {
  bool negative = false;
  std::string digits;  // no leading zeros, "0" for zero
  int exponent = 0;
};

// The library's text is "+333E-2"; we only read it back, never show it.
Parts split(const BID_UINT128& x) {
  char buf[64] = {};
  _IDEC_flags flags = 0;
  bid128_to_string(buf, x, &flags);
  Parts p;
  const char* c = buf;
  if (*c == '-' || *c == '+') p.negative = (*c++ == '-');
  while (*c >= '0' && *c <= '9') p.digits.push_back(*c++);
  if (*c == 'E') {
    ++c;
    if (*c == '+') ++c;
    std::from_chars(c, buf + std::strlen(buf), p.exponent);
  }
  if (p.digits.empty()) p.digits = "0";
  return p;
}

// A coefficient that fits the low word, encoded directly (sign, biased exponent
// above bit 113, coefficient below): what reading rows needs fast.
constexpr int kBias = 6176;
BID_UINT128 encode(bool negative, std::uint64_t coefficient, int exponent) {
  BID_UINT128 r;
  r.w[0] = coefficient;
  r.w[1] = (negative ? (std::uint64_t{1} << 63) : 0) |
           (static_cast<std::uint64_t>(exponent + kBias) << 49);
  return r;
}

// The coefficient has at most 34 digits here, so the library stores it exactly.
BID_UINT128 join(const Parts& p) {
  if (p.digits.size() <= 19 && p.exponent >= -kBias && p.exponent <= 6111) {
    std::uint64_t coefficient = 0;
    for (const char c : p.digits)
      coefficient = coefficient * 10 + static_cast<std::uint64_t>(c - '0');
    return encode(p.negative, coefficient, p.exponent);
  }
  std::string text;
  text.reserve(p.digits.size() + 16);
  text += p.negative ? '-' : '+';
  text += p.digits;
  text += 'E';
  text += std::to_string(p.exponent);
  _IDEC_flags flags = 0;
  return bid128_from_string(text.data(), BID_ROUNDING_TIES_AWAY, &flags);
}

void strip_leading_zeros(std::string& digits) {
  const auto first = digits.find_first_not_of('0');
  if (first == std::string::npos) {
    digits = "0";
  } else if (first > 0) {
    digits.erase(0, first);
  }
}

// Drops the last `cut` digits, rounding half away from zero on the magnitude.
void drop_digits(Parts& p, int cut) {
  if (cut <= 0) return;
  const auto ucut = static_cast<std::size_t>(cut);
  if (p.digits.size() <= ucut) p.digits.insert(0, ucut + 1 - p.digits.size(), '0');
  const bool up = p.digits[p.digits.size() - ucut] >= '5';
  p.digits.resize(p.digits.size() - ucut);
  p.exponent += cut;
  if (up) {
    std::size_t i = p.digits.size();
    while (i > 0 && p.digits[i - 1] == '9') p.digits[--i] = '0';
    if (i == 0) {
      p.digits.insert(0, 1, '1');
    } else {
      ++p.digits[i - 1];
    }
  }
  strip_leading_zeros(p.digits);
}

// Keeps at most kDigits significant digits; a carry that adds a digit only adds a zero.
void limit_digits(Parts& p) {
  const auto size = static_cast<int>(p.digits.size());
  if (size <= Decimal::kDigits) return;
  drop_digits(p, size - Decimal::kDigits);
  if (static_cast<int>(p.digits.size()) > Decimal::kDigits) {
    p.digits.pop_back();
    ++p.exponent;
  }
}

int significant_digits(const BID_UINT128& x) {
  _IDEC_flags flags = 0;
  if (bid128_isZero(x)) return 1;
  // An overflow to infinity has no digits; ilogb would answer INT_MAX.
  if (!bid128_isFinite(x)) return 0;
  return bid128_ilogb(x, &flags) - bid128_quantexp(x, &flags) + 1;
}

// Results are truncated at 34 digits by the library, then rounded here; truncating
// first never moves a value across the halfway point, so the rounding is exact.
BID_UINT128 limited(const BID_UINT128& x) {
  if (significant_digits(x) <= Decimal::kDigits) return x;
  Parts p = split(x);
  limit_digits(p);
  return join(p);
}

constexpr int kMaxExponent = 6000;  // well inside decimal128's range

}  // namespace

Decimal::Decimal() { store(encode(false, 0, 0), w_); }

Decimal Decimal::from_int(std::int64_t n) {
  Decimal d;
  store(limited(bid128_from_int64(n)), d.w_);
  return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);

  Parts p;
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') p.negative = (text[i++] == '-');
  int fraction = 0;
  bool point = false;
  bool any_digit = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      p.digits.push_back(c);
      any_digit = true;
      if (point) ++fraction;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!any_digit || fraction > kMaxExponent) return std::nullopt;
  p.exponent = -fraction;
  strip_leading_zeros(p.digits);
  if (static_cast<int>(p.digits.size()) > kMaxExponent) return std::nullopt;
  limit_digits(p);
  Decimal d;
  store(join(p), d.w_);
  return d;
}

std::optional<Decimal> Decimal::from_double(double value) {
  if (!(value == value) || value > std::numeric_limits<double>::max() ||
      value < -std::numeric_limits<double>::max()) {
    return std::nullopt;
  }
  if (value == 0.0) return Decimal();
  // Most stored amounts have a few decimals: find the shortest m * 10^-k
  // (k up to 8, m under 15 digits) that reads back as this double; it is also
  // what rounding to 15 significant digits gives. The hot path of reading rows.
  // Rounded by hand: nearbyint is a library call that saves the FPU state,
  // and any rounding will do since a division checks the result.
  auto rounded = [](double x) {
    return static_cast<double>(static_cast<std::int64_t>(x < 0 ? x - 0.5 : x + 0.5));
  };
  auto shortest = [](double m, int k) {
    auto coefficient = static_cast<std::uint64_t>(std::fabs(m));
    // Drops up to k trailing zeros, 8, 4, 2, then 1 at a time.
    for (int step = 8; step > 0; step /= 2) {
      std::uint64_t unit = 1;
      for (int i = 0; i < step; ++i) unit *= 10;
      if (k >= step && coefficient % unit == 0) {
        coefficient /= unit;
        k -= step;
      }
    }
    Decimal d;
    store(encode(m < 0, coefficient, -k), d.w_);
    return d;
  };
  if (std::fabs(value) < 1e7) {
    // Below 10^7 a double's step is under 2^-29, so when some m * 10^-k
    // reads back as the value, the value times 10^8 rounds to exactly
    // m * 10^(8-k): one division checks every k, trailing zeros give the least.
    const double m = rounded(value * 1e8);
    if (m / 1e8 == value) return shortest(m, 8);
  } else {
    static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    for (int k = 0; k < static_cast<int>(std::size(kPow10)); ++k) {
      const double scaled = value * kPow10[k];
      if (!(std::fabs(scaled) < 1e15)) break;
      const double m = rounded(scaled);
      if (m / kPow10[k] == value) return shortest(m, k);
    }
  }
  // "d.ddddddddddddddde-xx": 15 significant digits.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  Parts p;
  std::size_t i = 0;
  if (text[i] == '-') {
    p.negative = true;
    ++i;
  }
  for (; i < text.size() && text[i] != 'e'; ++i) {
    if (text[i] != '.') p.digits.push_back(text[i]);
  }
  int exp10 = 0;
  const char* e = text.data() + i + 1;
  if (*e == '+') ++e;
  std::from_chars(e, text.data() + text.size(), exp10);
  p.exponent = exp10 - 14;
  // Drop the zeros that only the fixed width put there, but never beyond the point.
  while (p.exponent < 0 && p.digits.size() > 1 && p.digits.back() == '0') {
    p.digits.pop_back();
    ++p.exponent;
  }
  strip_leading_zeros(p.digits);
  Decimal d;
  store(join(p), d.w_);
  return d;
}

std::string Decimal::to_string() const {
  Parts p = split(load(w_));
  std::string out;
  if (p.negative && p.digits != "0") out += '-';
  if (p.exponent >= 0) {
    out += p.digits;
    if (p.digits != "0") out.append(static_cast<std::size_t>(p.exponent), '0');
    return out;
  }
  const auto scale = static_cast<std::size_t>(-p.exponent);
  if (p.digits.size() > scale) {
    out.append(p.digits, 0, p.digits.size() - scale);
    out += '.';
    out.append(p.digits, p.digits.size() - scale, std::string::npos);
  } else {
    out += "0.";
    out.append(scale - p.digits.size(), '0');
    out += p.digits;
  }
  return out;
}

double Decimal::to_double() const {
  _IDEC_flags flags = 0;
  return bid128_to_binary64(load(w_), BID_ROUNDING_TO_NEAREST, &flags);
}

std::int64_t Decimal::to_int64() const {
  _IDEC_flags flags = 0;
  const BID_SINT64 n = bid128_to_int64_int(load(w_), &flags);
  if (flags & BID_INVALID_EXCEPTION) {
    return is_negative() ? std::numeric_limits<std::int64_t>::min()
                         : std::numeric_limits<std::int64_t>::max();
  }
  return n;
}

Decimal Decimal::round(int places) const {
  Parts p = split(load(w_));
  const int target = -places;
  if (p.exponent < target) {
    drop_digits(p, target - p.exponent);
  } else if (p.exponent > target && places >= 0) {
    // Widen to the asked scale, as long as the coefficient still fits.
    const auto pad = static_cast<std::size_t>(p.exponent - target);
    if (p.digits.size() + pad > 34) return *this;
    if (p.digits != "0") p.digits.append(pad, '0');
    p.exponent = target;
  }
  Decimal d;
  store(join(p), d.w_);
  return d;
}

int Decimal::scale() const {
  _IDEC_flags flags = 0;
  const int exp = bid128_quantexp(load(w_), &flags);
  return exp < 0 ? -exp : 0;
}

bool Decimal::is_zero() const { return bid128_isZero(load(w_)) != 0; }

bool Decimal::is_negative() const { return bid128_isSigned(load(w_)) != 0 && !is_zero(); }

Decimal Decimal::negated() const {
  Decimal d;
  store(bid128_negate(load(w_)), d.w_);
  return d;
}

namespace {

// A result beyond the range would be infinite, and printed as 0: a runtime
// error instead, naming the operation.
// (Rounding toward zero, the library answers its greatest number on overflow
// and only its flags tell.)
BID_UINT128 in_range(const BID_UINT128& x, _IDEC_flags flags, const char* operation) {
  if (!(flags & (BID_OVERFLOW_EXCEPTION | BID_INVALID_EXCEPTION))) {
    const BID_UINT128 r = limited(x);
    if (bid128_isFinite(r)) return r;
  }
  throw RuntimeError(RuntimeCode::kDecimalOverflow,
                     std::string("decimal overflow: the result of the ") + operation +
                         " is beyond the decimal range (about 10^6144)");
}

}  // namespace

// The operation first, then its flags: as arguments of one call their order
// would be unspecified.
Decimal operator+(const Decimal& a, const Decimal& b) {
  _IDEC_flags flags = 0;
  const BID_UINT128 x = bid128_add(load(a.w_), load(b.w_), BID_ROUNDING_TO_ZERO, &flags);
  Decimal r;
  store(in_range(x, flags, "addition"), r.w_);
  return r;
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  _IDEC_flags flags = 0;
  const BID_UINT128 x = bid128_sub(load(a.w_), load(b.w_), BID_ROUNDING_TO_ZERO, &flags);
  Decimal r;
  store(in_range(x, flags, "subtraction"), r.w_);
  return r;
}

Decimal operator*(const Decimal& a, const Decimal& b) {
  _IDEC_flags flags = 0;
  const BID_UINT128 x = bid128_mul(load(a.w_), load(b.w_), BID_ROUNDING_TO_ZERO, &flags);
  Decimal r;
  store(in_range(x, flags, "multiplication"), r.w_);
  return r;
}

Decimal operator/(const Decimal& a, const Decimal& b) {
  if (b.is_zero()) {
    throw RuntimeError(RuntimeCode::kDivideByZero,
                       "decimal division by zero: " + a.to_string() + " / " + b.to_string());
  }
  _IDEC_flags flags = 0;
  const BID_UINT128 x = bid128_div(load(a.w_), load(b.w_), BID_ROUNDING_TO_ZERO, &flags);
  Decimal r;
  store(in_range(x, flags, "division"), r.w_);
  return r;
}

bool operator==(const Decimal& a, const Decimal& b) {
  _IDEC_flags flags = 0;
  return bid128_quiet_equal(load(a.w_), load(b.w_), &flags) != 0;
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  _IDEC_flags flags = 0;
  const BID_UINT128 x = load(a.w_);
  const BID_UINT128 y = load(b.w_);
  if (bid128_quiet_equal(x, y, &flags)) return std::strong_ordering::equal;
  return bid128_quiet_less(x, y, &flags) ? std::strong_ordering::less
                                         : std::strong_ordering::greater;
}

}  // namespace fh
