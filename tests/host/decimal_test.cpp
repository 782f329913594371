#include "formhost/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "formhost/errors.h"

namespace fh {
namespace {

Decimal dec(const char* text) {
  auto d = Decimal::parse(text);
  EXPECT_TRUE(d.has_value()) << text;
  return d.value_or(Decimal());
}

TEST(DecimalParse, AcceptsPlainNumbersAndKeepsTheirScale) {
  EXPECT_EQ(dec("12").to_string(), "12");
  EXPECT_EQ(dec("-0.50").to_string(), "-0.50");
  EXPECT_EQ(dec("-0.50").scale(), 2);
  EXPECT_EQ(dec(".5").to_string(), "0.5");
  EXPECT_EQ(dec("3.").to_string(), "3");
  EXPECT_EQ(dec("  7  ").to_string(), "7");
  EXPECT_EQ(dec("+5").to_string(), "5");
  EXPECT_EQ(dec("007.10").to_string(), "7.10");
  EXPECT_EQ(dec("0.000001").to_string(), "0.000001");
  EXPECT_EQ(dec("-0").to_string(), "0");
}

TEST(DecimalParse, RejectsAnythingElse) {
  for (const char* bad : {"3ABC", "1e5", "1E5", "", " ", "+", "-", ".", "+.", "1.2.3", "1 2", "- 5",
                          "NaN", "Infinity", "inf", "0x10", "1,000", "\t1", "5-"}) {
    EXPECT_FALSE(Decimal::parse(bad).has_value()) << '"' << bad << '"';
  }
}

TEST(DecimalParse, RoundsTextBeyondEighteenDigitsHalfAwayFromZero) {
  EXPECT_EQ(dec("1.23456789012345678949").to_string(), "1.23456789012345679");
  EXPECT_EQ(dec("-1.23456789012345678500").to_string(), "-1.23456789012345679");
  EXPECT_EQ(dec("1.23456789012345678499").to_string(), "1.23456789012345678");
  EXPECT_EQ(dec("9999999999999999999").to_string(), "10000000000000000000");
  // Leading zeros are not significant digits.
  EXPECT_EQ(dec("0000000000000000000000.1").to_string(), "0.1");
}

TEST(DecimalArithmetic, IsExact) {
  EXPECT_EQ(dec("0.1") + dec("0.2"), dec("0.3"));
  EXPECT_EQ((dec("0.1") + dec("0.2")).to_string(), "0.3");
  EXPECT_EQ((dec("1.10") + dec("2.205")).to_string(), "3.305");
  EXPECT_EQ((dec("1.5") * dec("2.0")).to_string(), "3.00");
  EXPECT_EQ((dec("0.3") - dec("0.1")).to_string(), "0.2");
  EXPECT_EQ(dec("0.1") * Decimal::from_int(3), dec("0.3"));
  EXPECT_EQ((Decimal::from_int(10) / Decimal::from_int(4)).to_string(), "2.5");
  EXPECT_EQ((Decimal::from_int(10) / Decimal::from_int(2)).to_string(), "5");
}

TEST(DecimalArithmetic, KeepsEighteenSignificantDigitsRoundingHalfAway) {
  EXPECT_EQ((Decimal::from_int(1) / Decimal::from_int(3)).to_string(), "0.333333333333333333");
  EXPECT_EQ((Decimal::from_int(2) / Decimal::from_int(3)).to_string(), "0.666666666666666667");
  EXPECT_EQ((Decimal::from_int(-2) / Decimal::from_int(3)).to_string(), "-0.666666666666666667");
  EXPECT_EQ((dec("123456789012345678") + dec("0.5")).to_string(), "123456789012345679");
  EXPECT_EQ((dec("-123456789012345678") - dec("0.5")).to_string(), "-123456789012345679");
  EXPECT_EQ((dec("123456789012345678") + dec("0.4")).to_string(), "123456789012345678");
  // The carry makes a nineteenth digit, which can only be a zero.
  EXPECT_EQ((dec("999999999999999999") + dec("0.5")).to_string(), "1000000000000000000");
  // The exact product is 500000000000000000|499999999999999999: just below half, so it
  // rounds down. Rounding to 34 digits first would make it a half and round up.
  EXPECT_EQ((dec("999999999999999999") * dec("500000000000000001")).to_string(),
            "500000000000000000" + std::string(18, '0'));
  EXPECT_EQ((dec("0.000000001") * dec("0.000000001")).to_string(), "0.000000000000000001");
}

TEST(DecimalArithmetic, DivisionByZeroIsTheRuntimeError) {
  try {
    (void)(Decimal::from_int(1) / Decimal());
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.code(), RuntimeCode::kDivideByZero);
  }
  EXPECT_THROW((void)(Decimal() / dec("0.00")), RuntimeError);
}

// Beyond about 10^6144 a result has no decimal: a runtime error, never an
// infinity (which printed as 0) nor a NaN from adding two of them.
TEST(DecimalArithmetic, OverflowIsTheRuntimeError) {
  Decimal big = dec("9");
  for (int i = 0; i < 12; ++i) big = big * big;  // 9^4096, about 10^3908
  auto overflows = [](auto operation) {
    try {
      (void)operation();
      return std::string("no error");
    } catch (const RuntimeError& e) {
      return std::to_string(static_cast<int>(e.code()));
    }
  };
  EXPECT_EQ(overflows([&] { return big * big; }), "20503");
  EXPECT_EQ(overflows([&] { return big / (Decimal::from_int(1) / big); }), "20503");
  const Decimal huge = dec(("1" + std::string(5000, '0')).c_str());
  EXPECT_EQ(overflows([&] { return huge * huge; }), "20503");
  // Short of the range, results are as they were: within 18 digits, exact scale.
  EXPECT_EQ((huge + huge).to_string(), "2" + std::string(5000, '0'));
  EXPECT_EQ((huge - huge).is_zero(), true);
}

TEST(DecimalRound, RoundsHalfAwayFromZeroToTheAskedScale) {
  EXPECT_EQ(dec("9.625").round(2).to_string(), "9.63");
  EXPECT_EQ(dec("-9.625").round(2).to_string(), "-9.63");
  EXPECT_EQ(dec("9.624").round(2).to_string(), "9.62");
  EXPECT_EQ(dec("2.5").round(0).to_string(), "3");
  EXPECT_EQ(dec("-2.5").round(0).to_string(), "-3");
  EXPECT_EQ(dec("0.5").round(0).to_string(), "1");
  EXPECT_EQ(dec("9.995").round(2).to_string(), "10.00");
  EXPECT_EQ(dec("1.5").round(3).to_string(), "1.500");
  EXPECT_EQ(dec("1234.5").round(-2).to_string(), "1200");
  EXPECT_EQ(dec("1250").round(-2).to_string(), "1300");
  EXPECT_EQ(dec("0.005").round(2).to_string(), "0.01");
  EXPECT_EQ(dec("0.0004").round(2).to_string(), "0.00");
  // A negative value that rounds to zero is plain zero.
  const Decimal tiny = dec("-0.004").round(2);
  EXPECT_EQ(tiny.to_string(), "0.00");
  EXPECT_FALSE(tiny.is_negative());
  EXPECT_TRUE(tiny.is_zero());
}

TEST(DecimalConversion, FromDoubleGoesThroughFifteenDigits) {
  EXPECT_EQ(Decimal::from_double(0.1 + 0.2)->to_string(), "0.3");
  EXPECT_EQ(*Decimal::from_double(0.1 + 0.2), dec("0.3"));
  EXPECT_EQ(Decimal::from_double(1.0 / 3)->to_string(), "0.333333333333333");
  EXPECT_EQ(Decimal::from_double(100.0)->to_string(), "100");
  EXPECT_EQ(Decimal::from_double(-2.5)->to_string(), "-2.5");
  EXPECT_EQ(Decimal::from_double(1e20)->to_string(), "100000000000000000000");
  EXPECT_EQ(Decimal::from_double(1.005)->to_string(), "1.005");
  EXPECT_EQ(Decimal::from_double(0.0)->to_string(), "0");
  // Negative amounts and halves, whichever way the candidates round.
  EXPECT_EQ(Decimal::from_double(-0.5)->to_string(), "-0.5");
  EXPECT_EQ(Decimal::from_double(-123.45)->to_string(), "-123.45");
  EXPECT_EQ(Decimal::from_double(2.675)->to_string(), "2.675");
  EXPECT_EQ(Decimal::from_double(999999999999999.0)->to_string(), "999999999999999");
  EXPECT_EQ(*Decimal::from_double(-1.2345), dec("-1.2345"));
  EXPECT_FALSE(Decimal::from_double(std::numeric_limits<double>::quiet_NaN()).has_value());
  EXPECT_FALSE(Decimal::from_double(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(Decimal::from_double(-std::numeric_limits<double>::infinity()).has_value());
}

// A double read from a REAL column becomes the fewest places (up to 8, under
// 15 digits) that read back as it: the same as printing it with 0, 1, ... 8
// places and taking the first that reads back, for amounts of every size and sign.
TEST(DecimalConversion, FromDoubleTakesTheFewestPlacesThatReadBack) {
  auto expected = [](double v) -> std::string {
    for (int k = 0; k <= 8 && std::fabs(v) * std::pow(10.0, k) < 1e15; ++k) {
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, k);
      const std::string text(buf, r.ptr);
      if (std::strtod(text.c_str(), nullptr) == v) return text == "-0" ? "0" : text;
    }
    return "";  // more places: fifteen significant digits, checked above
  };
  std::mt19937_64 rng(20261208);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    const int places = static_cast<int>(rng() % 9);
    const auto digits = static_cast<std::int64_t>(rng() % 1000000000000000ULL);
    double v = static_cast<double>(digits) / std::pow(10.0, 1 + static_cast<int>(rng() % 15));
    if (i % 2 == 0) v = std::round(v * std::pow(10.0, places)) / std::pow(10.0, places);
    if (rng() % 2 == 0) v = -v;
    if (i % 7 == 0) v = std::nextafter(v, 1e300);  // no short form: fifteen digits
    const std::string want = expected(v);
    if (want.empty() || v == 0) continue;
    ++checked;
    ASSERT_EQ(Decimal::from_double(v)->to_string(), want) << std::hexfloat << v;
  }
  EXPECT_GT(checked, 50000);
  EXPECT_EQ(Decimal::from_double(9999999.99999999)->to_string(), "9999999.99999999");
  EXPECT_EQ(Decimal::from_double(10000000.5)->to_string(), "10000000.5");
  EXPECT_EQ(Decimal::from_double(0.00000001)->to_string(), "0.00000001");
}

TEST(DecimalConversion, ToIntegersAndDoubles) {
  EXPECT_EQ(dec("2.9").to_int64(), 2);
  EXPECT_EQ(dec("-2.9").to_int64(), -2);
  EXPECT_EQ(Decimal::from_int(-7).to_string(), "-7");
  EXPECT_EQ(Decimal::from_int(std::numeric_limits<std::int32_t>::max()).to_int64(), 2147483647);
  EXPECT_EQ(dec("100000000000000000000000").to_int64(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(dec("-100000000000000000000000").to_int64(), std::numeric_limits<std::int64_t>::min());
  EXPECT_DOUBLE_EQ(dec("0.1").to_double(), 0.1);
  EXPECT_DOUBLE_EQ(dec("-12.25").to_double(), -12.25);
}

TEST(DecimalCompare, ByValueNotByScale) {
  EXPECT_EQ(dec("1.0"), Decimal::from_int(1));
  EXPECT_EQ(dec("1.0") <=> dec("1"), std::strong_ordering::equal);
  EXPECT_EQ(dec("0.00"), dec("-0"));
  EXPECT_LT(dec("-0.5"), dec("0.25"));
  EXPECT_GT(dec("10"), dec("9.99"));
  EXPECT_EQ(dec("1.0").scale(), 1);
  EXPECT_EQ(dec("12").scale(), 0);
  EXPECT_TRUE(dec("-0.1").is_negative());
  EXPECT_FALSE(Decimal().is_negative());
  EXPECT_EQ(dec("1.50").negated().to_string(), "-1.50");
}

}  // namespace
}  // namespace fh
