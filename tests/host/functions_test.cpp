#include "formhost/functions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "../value_eq.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

Value str(const std::string& s) { return Value::of_string(s); }
Value lng(std::int32_t n) { return Value::of_long(n); }
Value integer(std::int16_t n) { return Value::of_integer(n); }
Value dec(const char* text) { return Value::of_decimal(*Decimal::parse(text)); }
Value dbl(double d) { return Value::of_double(d); }
Value date_of(int y, int m, int d) { return Value::of_date(*Date::make(y, m, d)); }
Value time_of(int h, int m, int s, int micro = 0) {
  return Value::of_time(*Time::make(h, m, s, micro));
}
Value datetime_of(const char* text) { return Value::of_datetime(*DateTime::parse(text)); }
Value null(Type t) { return Value::null_of(t); }
Value gbk(const char* utf8) { return str(utf8_to_gbk(utf8, "test")); }

// The text of a string result, "<null>" for a null one.
std::string text_of(const Value& v) { return v.is_null() ? "<null>" : v.as_string(); }

TEST(TextFunctions, WorkOnGbkBytesAndPropagateNull) {
  const Value s = gbk("未定01");
  EXPECT_EQ(Len(s), lng(6));
  EXPECT_EQ(Left(s, lng(3)), str("\xCE\xB4\xB6"));
  EXPECT_EQ(Mid(s, lng(3)), gbk("定01"));
  EXPECT_EQ(Mid(s, integer(2), lng(2)), str("\xB4\xB6"));
  EXPECT_EQ(Mid(s, lng(7)), str(""));
  EXPECT_EQ(Right(s, dec("2")), str("01"));
  EXPECT_EQ(Pos(gbk("确定(&O)"), str("(")), lng(5));
  EXPECT_EQ(Pos(str("abcabc"), str("b"), lng(3)), lng(5));
  EXPECT_EQ(Trim(str("  a  ")), str("a"));
  EXPECT_EQ(LeftTrim(str("  a  ")), str("a  "));
  EXPECT_EQ(RightTrim(str("  a  ")), str("  a"));
  EXPECT_EQ(Upper(str("\x81\x61"
                      "b")),
            str("\x81\x61"
                "B"));
  EXPECT_EQ(Lower(str("AB")), str("ab"));
  EXPECT_EQ(Fill(str("*"), lng(3)), str("***"));
  EXPECT_EQ(Replace(str("abc"), lng(2), lng(1), str("XY")), str("aXYc"));

  EXPECT_EQ(Len(null(Type::kString)), null(Type::kLong));
  EXPECT_EQ(Len(Value()), null(Type::kLong));
  EXPECT_EQ(Mid(s, null(Type::kLong)), null(Type::kString));
  EXPECT_EQ(Mid(s, lng(1), null(Type::kLong)), null(Type::kString));
  EXPECT_EQ(Pos(s, null(Type::kString)), null(Type::kLong));
  EXPECT_EQ(Upper(null(Type::kString)), null(Type::kString));
  EXPECT_EQ(Replace(s, lng(1), lng(1), null(Type::kString)), null(Type::kString));

  EXPECT_THROW(Len(lng(5)), std::logic_error);
  EXPECT_THROW(Left(s, str("2")), std::logic_error);
}

TEST(StringFunction, PlainTextOfEachType) {
  EXPECT_EQ(String(lng(-42)), str("-42"));
  EXPECT_EQ(String(integer(7)), str("7"));
  EXPECT_EQ(String(dec("12.50")), str("12.50"));
  EXPECT_EQ(String(dbl(0.1 + 0.2)), str("0.3"));
  EXPECT_EQ(String(dbl(2.5)), str("2.5"));
  EXPECT_EQ(String(dbl(1e20)), str("1E+20"));
  EXPECT_EQ(String(dbl(1e15)), str("1E+15"));
  EXPECT_EQ(String(dbl(123456789012345.0)), str("123456789012345"));
  EXPECT_EQ(String(dbl(0.0001)), str("0.0001"));
  EXPECT_EQ(String(dbl(-0.00001)), str("-1E-05"));
  EXPECT_EQ(String(dbl(-0.0)), str("0"));
  EXPECT_EQ(String(Value::of_bool(true)), str("true"));
  EXPECT_EQ(String(Value::of_bool(false)), str("false"));
  EXPECT_EQ(String(date_of(2026, 12, 7)), str("2026-12-07"));
  EXPECT_EQ(String(time_of(14, 5, 0)), str("14:05:00"));
  EXPECT_EQ(String(datetime_of("2026-12-07 14:05:09")), str("2026-12-07 14:05:09"));
  EXPECT_EQ(String(gbk("警告")), gbk("警告"));
  EXPECT_EQ(String(null(Type::kLong)), null(Type::kString));
  EXPECT_EQ(String(Value()), null(Type::kString));
}

TEST(StringFunction, NumberMasks) {
  // "0": integer digits, no separators, half away from zero.
  EXPECT_EQ(String(dec("2.5"), "0"), str("3"));
  EXPECT_EQ(String(dec("-2.5"), "0"), str("-3"));
  EXPECT_EQ(String(dec("1234567.4"), "0"), str("1234567"));
  EXPECT_EQ(String(lng(7), "0"), str("7"));
  EXPECT_EQ(String(integer(-7), "0"), str("-7"));
  EXPECT_EQ(String(dbl(1.005), "0.00"), str("1.01"));  // through 15 digits, not binary
  EXPECT_EQ(String(dec("3.14159"), "0.00"), str("3.14"));
  EXPECT_EQ(String(lng(2), "0.00"), str("2.00"));
  EXPECT_EQ(String(dec("-0.001"), "0.00"), str("0.00"));
  EXPECT_EQ(String(dbl(0.1 + 0.2), "0.00"), str("0.30"));
  EXPECT_EQ(String(dec("1234567.891"), "#,##0.00"), str("1,234,567.89"));
  EXPECT_EQ(String(lng(-1234), "#,##0"), str("-1,234"));
  EXPECT_EQ(String(lng(0), "#,##0"), str("0"));
  EXPECT_EQ(String(dec("123"), "#,##0"), str("123"));
  EXPECT_EQ(String(dec("0.5"), "#.##"), str(".5"));
  EXPECT_EQ(String(dec("12"), "#.##"), str("12"));
  EXPECT_EQ(String(dec("7"), "000"), str("007"));
  EXPECT_EQ(String(dec("0.256"), "0%"), str("26%"));
  EXPECT_EQ(String(dec("12.5"), gbk("0.00元")), gbk("12.50元"));
  EXPECT_EQ(String(dec("-1.5"), "0.00;(0.00);zero"), str("(1.50)"));
  EXPECT_EQ(String(dec("0"), "0.00;(0.00);zero"), str("zero"));
  EXPECT_EQ(String(dec("1.5"), "0.00;(0.00);zero"), str("1.50"));
  // Masks that do not fit a number.
  EXPECT_EQ(String(lng(5), "yyyy.mm.dd"), str(""));
  EXPECT_EQ(String(lng(5), "hh:mm"), str(""));
  EXPECT_EQ(String(lng(5), "0a0"), str(""));
}

TEST(StringFunction, DateMasks) {
  const Value d = date_of(2026, 12, 7);
  EXPECT_EQ(String(d, "yyyy.mm.dd"), str("2026.12.07"));
  EXPECT_EQ(String(d, "yyyy-mm-dd"), str("2026-12-07"));
  EXPECT_EQ(String(d, "yyyymmdd"), str("20261207"));
  EXPECT_EQ(String(date_of(2026, 3, 5), "d/m/yy"), str("5/3/26"));
  EXPECT_EQ(String(d, "dddd, mmmm d"), str("Monday, December 7"));
  EXPECT_EQ(String(d, "ddd mmm"), str("Mon Dec"));
  EXPECT_EQ(String(d, gbk("yyyy年mm月dd日")), gbk("2026年12月07日"));
  // 亂 is 0x81 0x79: its trail byte looks like 'y' but is not a year.
  EXPECT_EQ(String(d, gbk("yyyy亂")), gbk("2026亂"));
  EXPECT_EQ(String(d, "hh:mm"), str(""));
  EXPECT_EQ(String(d, "yyyy-mm-dd hh:mm"), str(""));
  EXPECT_EQ(String(d, "0.00"), str(""));
  EXPECT_EQ(String(d, ""), str("2026-12-07"));
  EXPECT_EQ(String(d, null(Type::kString)), null(Type::kString));
  EXPECT_EQ(String(null(Type::kDate), "yyyy"), null(Type::kString));
}

TEST(StringFunction, TimeAndDateTimeMasks) {
  EXPECT_EQ(String(time_of(14, 5, 0), "hh:mm"), str("14:05"));
  EXPECT_EQ(String(time_of(9, 5, 3), "h:m:s"), str("9:5:3"));
  EXPECT_EQ(String(time_of(14, 5, 0), "h:mm AM/PM"), str("2:05 PM"));
  EXPECT_EQ(String(time_of(0, 30, 0), "hh:mm am/pm"), str("12:30 am"));
  EXPECT_EQ(String(time_of(12, 0, 0), "h a/p"), str("12 p"));
  EXPECT_EQ(String(time_of(14, 5, 9, 123456), "hh:mm:ss.fff"), str("14:05:09.123"));
  EXPECT_EQ(String(time_of(14, 5, 9), "mm:ss"), str("05:09"));  // minutes before seconds
  EXPECT_EQ(String(time_of(14, 5, 9), "yyyy"), str(""));
  EXPECT_EQ(String(time_of(14, 5, 9), "mm"), str(""));  // a month, which a time lacks

  const Value dt = datetime_of("2026-12-07 14:05:09");
  EXPECT_EQ(String(dt, "yyyy-mm-dd hh:mm"), str("2026-12-07 14:05"));
  EXPECT_EQ(String(dt, "mm/dd hh:mm:ss"), str("12/07 14:05:09"));
  EXPECT_EQ(String(dt, "yyyy.mm.dd"), str("2026.12.07"));
  EXPECT_EQ(String(dt, "hh:mm"), str("14:05"));
  EXPECT_EQ(String(dt, "0"), str(""));
}

TEST(StringFunction, OtherTypesWithAMask) {
  EXPECT_EQ(String(str("abc"), "0.00"), str("abc"));
  EXPECT_EQ(String(Value::of_bool(true), "0"), str(""));
  EXPECT_EQ(String(lng(5), null(Type::kString)), null(Type::kString));
  EXPECT_EQ(String(lng(5), Value()), null(Type::kString));
  EXPECT_EQ(String(lng(5), str("00")), str("05"));
}

TEST(NumberConversion, TextThatIsNotANumberAnswersZero) {
  EXPECT_EQ(Long("3ABC"), lng(0));
  EXPECT_EQ(Integer("3ABC"), integer(0));
  EXPECT_EQ(Dec("3ABC"), dec("0"));
  EXPECT_EQ(Double("3ABC"), dbl(0));
  EXPECT_EQ(Long(""), lng(0));
  EXPECT_EQ(Long(" "), lng(0));
  EXPECT_EQ(Long("+"), lng(0));
  EXPECT_EQ(Long("1e5"), lng(0));
  EXPECT_EQ(Dec("1e5"), dec("0"));
  EXPECT_EQ(Double("1e5"), dbl(100000));
  EXPECT_EQ(Double("-2.5E-1"), dbl(-0.25));
  EXPECT_EQ(Double("inf"), dbl(0));
  EXPECT_EQ(Double("nan"), dbl(0));
  EXPECT_EQ(Long(" 12 "), lng(12));
  EXPECT_EQ(Long("-12"), lng(-12));
  EXPECT_EQ(Dec("12.50"), dec("12.50"));
  EXPECT_EQ(Dec("12.50").as_decimal().scale(), 2);
  EXPECT_EQ(Long(str("42")), lng(42));  // an any holding a string
  EXPECT_EQ(Long(Value::of_bool(true)), lng(0));
}

TEST(NumberConversion, FractionsRoundAndOverflowWraps) {
  EXPECT_EQ(Long("12.5"), lng(13));
  EXPECT_EQ(Long("-12.5"), lng(-13));
  EXPECT_EQ(Long("12.4"), lng(12));
  EXPECT_EQ(Long(dbl(2.6)), lng(3));
  EXPECT_EQ(Integer(dec("-2.5")), integer(-3));
  EXPECT_EQ(Integer("40000"), integer(-25536));
  EXPECT_EQ(Integer(lng(65537)), integer(1));
  EXPECT_EQ(Integer(lng(32768)), integer(-32768));
  EXPECT_EQ(Long("4294967297"), lng(1));
  EXPECT_EQ(Long("2147483648"), lng(-2147483647 - 1));
  EXPECT_EQ(Long(integer(-5)), lng(-5));
  EXPECT_EQ(Dec(dbl(0.1)), dec("0.1"));
  EXPECT_EQ(Dec(lng(-3)), dec("-3"));
  EXPECT_EQ(Double(dec("0.5")), dbl(0.5));
}

TEST(NumberConversion, NullAnswersNullOfTheResultType) {
  EXPECT_EQ(Long(null(Type::kString)), null(Type::kLong));
  EXPECT_EQ(Integer(null(Type::kDecimal)), null(Type::kInteger));
  EXPECT_EQ(Dec(Value()), null(Type::kDecimal));
  EXPECT_EQ(Double(null(Type::kLong)), null(Type::kDouble));
}

TEST(RoundFunction, HalfAwayFromZeroOnDecimals) {
  EXPECT_EQ(text_of(String(Round(dec("9.625"), lng(2)))), "9.63");
  EXPECT_EQ(text_of(String(Round(dec("-9.625"), lng(2)))), "-9.63");
  EXPECT_EQ(text_of(String(Round(dec("2.5"), lng(0)))), "3");
  EXPECT_EQ(text_of(String(Round(dec("-2.5"), integer(0)))), "-3");
  EXPECT_EQ(text_of(String(Round(dec("1.5"), lng(2)))), "1.50");
  EXPECT_EQ(text_of(String(Round(lng(1250), lng(-2)))), "1300");
  EXPECT_EQ(text_of(String(Round(lng(-1250), lng(-2)))), "-1300");
  // A double rounds via its 15-digit text: 1.005 is 1.00499999... in binary.
  EXPECT_EQ(text_of(String(Round(dbl(1.005), lng(2)))), "1.01");
  EXPECT_EQ(text_of(String(Round(dbl(-1.005), lng(2)))), "-1.01");
  EXPECT_EQ(Round(dbl(1.5), lng(0)).type(), Type::kDecimal);
  EXPECT_EQ(Round(null(Type::kDecimal), lng(2)), null(Type::kDecimal));
  EXPECT_EQ(Round(dec("1.5"), null(Type::kLong)), null(Type::kDecimal));
  EXPECT_THROW(Round(str("1.5"), lng(0)), std::logic_error);
}

TEST(ClockFunctions, TodayIsADateAndNowIsATime) {
  FixedClock clock(*DateTime::parse("2026-12-07 14:05:09"));
  EXPECT_EQ(Today(clock), date_of(2026, 12, 7));
  EXPECT_EQ(Now(clock), time_of(14, 5, 9));
  EXPECT_EQ(String(Now(clock), "hh:mm"), str("14:05"));
}

TEST(Arithmetic, PromotesToTheWiderTypeAndWraps) {
  EXPECT_EQ(add(lng(2), lng(3)), lng(5));
  EXPECT_EQ(add(integer(2), integer(3)), integer(5));
  EXPECT_EQ(add(integer(32767), integer(1)), integer(-32768));
  EXPECT_EQ(mul(integer(300), integer(300)), integer(24464));
  EXPECT_EQ(add(integer(32767), lng(1)), lng(32768));
  EXPECT_EQ(add(lng(2147483647), lng(1)), lng(-2147483647 - 1));
  EXPECT_EQ(sub(lng(-2147483647 - 1), lng(1)), lng(2147483647));
  EXPECT_EQ(add(dec("0.1"), dec("0.2")), dec("0.3"));
  EXPECT_EQ(text_of(String(add(lng(1), dec("0.50")))), "1.50");
  EXPECT_EQ(add(dec("0.5"), dbl(0.25)), dbl(0.75));
  EXPECT_EQ(mul(dec("1.5"), integer(2)).type(), Type::kDecimal);
  EXPECT_EQ(sub(dbl(1.5), lng(2)), dbl(-0.5));
  EXPECT_EQ(negate(integer(-32768)), integer(-32768));
  EXPECT_EQ(negate(dec("1.50")), dec("-1.50"));
  EXPECT_EQ(negate(null(Type::kLong)), null(Type::kLong));
  EXPECT_THROW(add(str("1"), lng(1)), std::logic_error);
  EXPECT_THROW(add(date_of(2026, 1, 1), lng(1)), std::logic_error);
}

TEST(Arithmetic, DivisionIsDecimalForWholeNumbersAndRefusesZero) {
  EXPECT_EQ(div(lng(7), lng(2)), dec("3.5"));
  EXPECT_EQ(div(integer(1), integer(3)).type(), Type::kDecimal);
  EXPECT_EQ(text_of(String(div(integer(1), integer(3)))), "0.333333333333333333");
  EXPECT_EQ(div(dbl(1), lng(4)), dbl(0.25));
  for (const auto& [a, b] : {std::pair{dec("1.5"), dec("0.00")}, std::pair{lng(1), lng(0)},
                             std::pair{dbl(1), dbl(0)}, std::pair{integer(0), integer(0)}}) {
    try {
      (void)div(a, b);
      ADD_FAILURE() << "no error for " << describe(a) << " / " << describe(b);
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.code(), RuntimeCode::kDivideByZero);
      EXPECT_EQ(static_cast<int>(e.code()), 20501);
    }
  }
  // A null operand wins over the zero divisor.
  EXPECT_EQ(div(null(Type::kDecimal), dec("0")), null(Type::kDecimal));
}

TEST(Arithmetic, NullOperandGivesNullOfTheResultType) {
  EXPECT_EQ(add(lng(1), null(Type::kLong)), null(Type::kLong));
  EXPECT_EQ(add(null(Type::kInteger), dec("1")), null(Type::kDecimal));
  EXPECT_EQ(mul(Value(), dbl(2)), null(Type::kDouble));
  EXPECT_EQ(sub(Value(), Value()), Value());
  EXPECT_EQ(div(lng(1), null(Type::kLong)), null(Type::kDecimal));
  EXPECT_EQ(concat(str("a"), null(Type::kString)), null(Type::kString));
  EXPECT_EQ(concat(Value(), str("a")), null(Type::kString));
  EXPECT_EQ(concat(gbk("警"), gbk("告")), gbk("警告"));
  EXPECT_THROW(concat(str("a"), lng(1)), std::logic_error);
}

TEST(Comparison, ByValueAcrossNumberTypesAndByBytesForStrings) {
  EXPECT_EQ(eq(lng(1), dec("1.00")), Value::of_bool(true));
  EXPECT_EQ(eq(integer(1), dbl(1.0)), Value::of_bool(true));
  EXPECT_EQ(lt(dec("0.1"), lng(1)), Value::of_bool(true));
  EXPECT_EQ(gt(dbl(0.5), dec("0.25")), Value::of_bool(true));
  EXPECT_EQ(ge(lng(2), integer(2)), Value::of_bool(true));
  EXPECT_EQ(ne(lng(2), integer(2)), Value::of_bool(false));
  EXPECT_EQ(gt(str("0A"), str("0")), Value::of_bool(true));
  EXPECT_EQ(lt(str(""), str("0")), Value::of_bool(true));
  EXPECT_EQ(eq(str("a "), str("a")), Value::of_bool(false));
  EXPECT_EQ(lt(str("B"), str("a")), Value::of_bool(true));
  EXPECT_EQ(gt(gbk("未"), str("z")), Value::of_bool(true));
  EXPECT_EQ(lt(date_of(2026, 1, 31), date_of(2026, 2, 1)), Value::of_bool(true));
  EXPECT_EQ(le(time_of(9, 0, 0), time_of(9, 0, 0)), Value::of_bool(true));
  EXPECT_EQ(gt(datetime_of("2026-12-07 00:00:01"), datetime_of("2026-12-07")),
            Value::of_bool(true));
  EXPECT_EQ(eq(Value::of_bool(true), Value::of_bool(true)), Value::of_bool(true));
  EXPECT_EQ(ne(Value::of_bool(true), Value::of_bool(false)), Value::of_bool(true));
  EXPECT_THROW(lt(Value::of_bool(true), Value::of_bool(false)), std::logic_error);
  EXPECT_THROW(eq(str("1"), lng(1)), std::logic_error);
  EXPECT_THROW(eq(date_of(2026, 1, 1), datetime_of("2026-01-01")), std::logic_error);
}

TEST(NullLogic, ANullConditionIsNeverTrue) {
  const Value n = null(Type::kLong);
  EXPECT_EQ(eq(n, lng(1)), null(Type::kBoolean));
  EXPECT_FALSE(is_true(eq(n, lng(1))));
  EXPECT_FALSE(is_true(ne(n, lng(1))));
  EXPECT_FALSE(is_true(logical_not(eq(n, lng(1)))));
  EXPECT_FALSE(is_true(lt(str("a"), null(Type::kString))));
  EXPECT_FALSE(is_true(eq(Value(), Value())));

  const Value t = Value::of_bool(true);
  const Value f = Value::of_bool(false);
  const Value nb = null(Type::kBoolean);
  EXPECT_EQ(logical_and(t, nb), nb);
  EXPECT_EQ(logical_and(f, nb), nb);
  EXPECT_EQ(logical_or(t, nb), nb);
  EXPECT_EQ(logical_not(nb), nb);
  EXPECT_EQ(logical_and(t, f), f);
  EXPECT_EQ(logical_or(f, t), t);
  EXPECT_EQ(logical_not(f), t);
  EXPECT_TRUE(is_true(t));
  EXPECT_FALSE(is_true(f));
  EXPECT_FALSE(is_true(nb));
  EXPECT_TRUE(is_true(eq(lng(1), lng(1))));
  EXPECT_THROW((void)is_true(lng(1)), std::logic_error);
  EXPECT_THROW(logical_and(t, lng(1)), std::logic_error);
}

}  // namespace
}  // namespace fh
