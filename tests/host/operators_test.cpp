// The platform's operators on values, as scripts write them.
#include "formhost/operators.h"

#include <gtest/gtest.h>

#include <string>

#include "../value_eq.h"
#include "formhost/errors.h"

namespace {

using fh::Value;

Value null_long() { return Value::null_of(fh::Type::kLong); }

TEST(Operators, ComparisonsFollowTheNullRules) {
  const Value five = Value::of_integer(5);
  EXPECT_TRUE(five > 0);
  EXPECT_TRUE(five == 5);  // integer and long compare by value
  EXPECT_TRUE(5 == five);
  EXPECT_FALSE(five != 5);
  EXPECT_TRUE(five >= 5 && five <= 5);
  EXPECT_TRUE(Value::of_string("abc") < "abd");
  // Null on either side: null, which takes no branch either way.
  for (const Value& v : {null_long() > 0, null_long() == 0, null_long() != 0, !(null_long() > 0)}) {
    EXPECT_TRUE(v.is_null());
    EXPECT_FALSE(static_cast<bool>(v));
  }
}

TEST(Operators, ArithmeticWidensAndPlusJoinsTexts) {
  EXPECT_EQ(Value::of_integer(2) + 3, Value::of_long(5));
  const Value half = Value::of_long(7) / 2;  // longs divide as decimals
  EXPECT_EQ(half.type(), fh::Type::kDecimal);
  EXPECT_TRUE(half == 3.5);
  EXPECT_EQ(Value::of_string("未定") + "01", Value::of_string("未定01"));
  EXPECT_EQ(-Value::of_long(3), Value::of_long(-3));
  EXPECT_TRUE((null_long() + 1).is_null());
  EXPECT_TRUE((Value::null_of(fh::Type::kString) + "x").is_null());
  EXPECT_THROW(Value::of_long(1) / 0, fh::RuntimeError);
}

TEST(Operators, LogicIsThreeValued) {
  const Value t = Value::of_bool(true), f = Value::of_bool(false);
  const Value n = Value::null_of(fh::Type::kBoolean);
  EXPECT_TRUE(t && t);
  EXPECT_FALSE(t && f);
  EXPECT_TRUE(f || t);
  EXPECT_FALSE(static_cast<bool>(!t));
  EXPECT_TRUE((t && n).is_null());
  EXPECT_TRUE((!n).is_null());
  // Only a boolean true is true: a number is no condition.
  EXPECT_FALSE(static_cast<bool>(Value::of_long(1)));
}

TEST(Operators, LiteralsAreTakenUpToTheirEnd) {
  const char text[8] = "ab";  // the rest of the array is zeros
  EXPECT_TRUE(Value::of_string("ab") == text);
  EXPECT_TRUE(Value::of_string("ab") == std::string("ab"));
}

}  // namespace
