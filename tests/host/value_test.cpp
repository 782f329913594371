#include "formhost/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "../value_eq.h"

namespace fh {
namespace {

TEST(Value, DeclaredVariablesStartWithThePlatformsInitialValues) {
  EXPECT_EQ(Value::initial(Type::kString), Value::of_string(""));
  EXPECT_EQ(Value::initial(Type::kLong), Value::of_long(0));
  EXPECT_EQ(Value::initial(Type::kInteger), Value::of_integer(0));
  EXPECT_EQ(Value::initial(Type::kBoolean), Value::of_bool(false));
  EXPECT_EQ(Value::initial(Type::kDouble), Value::of_double(0.0));
  EXPECT_EQ(Value::initial(Type::kDecimal).as_decimal().to_string(), "0");
  EXPECT_EQ(Value::initial(Type::kDate).as_date().iso(), "1900-01-01");
  EXPECT_EQ(Value::initial(Type::kTime).as_time().iso(), "00:00:00");
  EXPECT_EQ(Value::initial(Type::kDateTime).as_datetime().iso(), "1900-01-01 00:00:00");
  for (Type t : {Type::kBoolean, Type::kInteger, Type::kLong, Type::kDecimal, Type::kDouble,
                 Type::kString, Type::kDate, Type::kTime, Type::kDateTime}) {
    EXPECT_FALSE(Value::initial(t).is_null()) << type_name(t);
    EXPECT_EQ(Value::initial(t).type(), t);
  }
  EXPECT_TRUE(Value::initial(Type::kAny).is_null());
  EXPECT_TRUE(Value::initial(Type::kObject).is_null());
  EXPECT_EQ(Value::initial(Type::kObject).type(), Type::kObject);
}

TEST(Value, NullsKeepTheirType) {
  const Value any;
  EXPECT_TRUE(any.is_null());
  EXPECT_EQ(any.type(), Type::kAny);
  const Value n = Value::null_of(Type::kDecimal);
  EXPECT_TRUE(n.is_null());
  EXPECT_EQ(n.type(), Type::kDecimal);
  EXPECT_TRUE(n.is_number());
  EXPECT_FALSE(Value::null_of(Type::kString).is_number());
  const Value none = Value::of_object(nullptr);
  EXPECT_TRUE(none.is_null());
  EXPECT_EQ(none.type(), Type::kObject);
  EXPECT_EQ(none, Value::null_of(Type::kObject));
}

TEST(Value, AccessorsRefuseAnotherTypeAndNull) {
  EXPECT_EQ(Value::of_long(5).as_long(), 5);
  EXPECT_THROW((void)Value::of_long(5).as_integer(), std::logic_error);
  EXPECT_THROW((void)Value::of_integer(5).as_long(), std::logic_error);
  EXPECT_THROW((void)Value::null_of(Type::kString).as_string(), std::logic_error);
  EXPECT_THROW((void)Value().as_bool(), std::logic_error);
  EXPECT_THROW((void)Value::of_object(nullptr).as_object(), std::logic_error);
}

// Reading rows into rows already there: whatever the slot held, it ends as
// exactly the text filled in, non-null.
TEST(Value, RefilledStringIsThatTextWhateverTheSlotHeld) {
  Value slots[] = {Value::of_string(std::string(100, 'x')), Value::null_of(Type::kString),
                   Value::of_long(7), Value()};
  for (Value& v : slots) {
    v.refill_string() += "ab";
    EXPECT_EQ(v, Value::of_string("ab"));
  }
}

TEST(Value, EqualityNeedsSameTypeNullFlagAndValue) {
  EXPECT_EQ(Value::of_string("abc"), Value::of_string("abc"));
  EXPECT_NE(Value::of_string("abc"), Value::of_string("abd"));
  EXPECT_NE(Value::of_long(5), Value::of_integer(5));
  EXPECT_NE(Value::of_long(0), Value::null_of(Type::kLong));
  EXPECT_NE(Value::null_of(Type::kLong), Value::null_of(Type::kInteger));
  EXPECT_EQ(Value::null_of(Type::kLong), Value::null_of(Type::kLong));
  EXPECT_EQ(Value::of_decimal(*Decimal::parse("1.0")), Value::of_decimal(Decimal::from_int(1)));
  EXPECT_EQ(Value::of_date(*Date::make(2026, 12, 7)), Value::of_date(*Date::make(2026, 12, 7)));
  EXPECT_NE(Value::of_date(*Date::make(2026, 12, 7)), Value::of_date(*Date::make(2026, 12, 8)));
  // A double that overflowed to NaN (inf / inf) is the same as another such
  // NaN, though never = to it (found by fuzzing the expression language).
  const double nan = std::nan("");
  EXPECT_TRUE(same(Value::of_double(nan), Value::of_double(-nan)));
  EXPECT_FALSE(same(Value::of_double(nan), Value::of_double(0.0)));
  EXPECT_FALSE(same(Value::of_double(1.0), Value::of_double(nan)));
  EXPECT_FALSE(same(Value::of_double(nan), Value::null_of(Type::kDouble)));
  EXPECT_TRUE(same(Value::of_double(-0.0), Value::of_double(0.0)));
}

TEST(Value, ObjectsCompareByIdentity) {
  // Object is opaque here; any distinct addresses serve as identities.
  auto owner = std::make_shared<int[]>(2);
  const ObjectRef a(owner, reinterpret_cast<Object*>(&owner[0]));
  const ObjectRef b(owner, reinterpret_cast<Object*>(&owner[1]));
  EXPECT_FALSE(Value::of_object(a).is_null());
  EXPECT_EQ(Value::of_object(a), Value::of_object(a));
  EXPECT_NE(Value::of_object(a), Value::of_object(b));
  EXPECT_EQ(Value::of_object(a).as_object(), a);
}

TEST(Value, DescribeGivesShortTexts) {
  EXPECT_EQ(describe(Value::of_long(5)), "long 5");
  EXPECT_EQ(describe(Value::of_integer(-3)), "integer -3");
  EXPECT_EQ(describe(Value::of_string("abc")), "string 'abc'");
  EXPECT_EQ(describe(Value::null_of(Type::kDecimal)), "null decimal");
  EXPECT_EQ(describe(Value()), "null any");
  EXPECT_EQ(describe(Value::of_decimal(*Decimal::parse("12.50"))), "decimal 12.50");
  EXPECT_EQ(describe(Value::of_bool(true)), "boolean true");
  EXPECT_EQ(describe(Value::of_date(*Date::make(2026, 12, 7))), "date 2026-12-07");
  EXPECT_EQ(describe(Value::of_double(1.5)), "double 1.5");
}

}  // namespace
}  // namespace fh
