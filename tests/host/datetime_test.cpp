#include "formhost/datetime.h"

#include <gtest/gtest.h>

#include "formhost/clock.h"

namespace fh {
namespace {

TEST(Date, MakeAcceptsOnlyRealCalendarDaysInThePlatformsYears) {
  EXPECT_TRUE(Date::make(2024, 2, 29).has_value());
  EXPECT_TRUE(Date::make(2000, 2, 29).has_value());
  EXPECT_FALSE(Date::make(2026, 2, 29).has_value());
  EXPECT_FALSE(Date::make(1900, 2, 29).has_value());
  EXPECT_FALSE(Date::make(2026, 4, 31).has_value());
  EXPECT_TRUE(Date::make(2026, 12, 31).has_value());
  EXPECT_FALSE(Date::make(2026, 13, 1).has_value());
  EXPECT_FALSE(Date::make(2026, 0, 1).has_value());
  EXPECT_FALSE(Date::make(2026, 1, 0).has_value());
  EXPECT_TRUE(Date::make(1000, 1, 1).has_value());
  EXPECT_TRUE(Date::make(3000, 12, 31).has_value());
  EXPECT_FALSE(Date::make(999, 12, 31).has_value());
  EXPECT_FALSE(Date::make(3001, 1, 1).has_value());
}

TEST(Date, ParseTakesOneSeparatorAndWholeText) {
  EXPECT_EQ(Date::parse("2026-12-07"), Date::make(2026, 12, 7));
  EXPECT_EQ(Date::parse("2026/12/07"), Date::make(2026, 12, 7));
  EXPECT_EQ(Date::parse("2026.12.7"), Date::make(2026, 12, 7));
  for (const char* bad : {"", "2026-12/07", "26-12-07", "2026-13-01", "2026-02-30", "2026-12-07x",
                          " 2026-12-07", "2026-12-", "2026-123-01", "2026:12:07"}) {
    EXPECT_FALSE(Date::parse(bad).has_value()) << bad;
  }
  EXPECT_EQ(Date::make(1000, 1, 2)->iso(), "1000-01-02");
  EXPECT_EQ(Date{}.iso(), "1900-01-01");
}

TEST(Date, DayOfWeekCountsFromSunday) {
  EXPECT_EQ(Date::make(2026, 12, 7)->day_of_week(), 2);   // Monday
  EXPECT_EQ(Date::make(2026, 12, 6)->day_of_week(), 1);   // Sunday
  EXPECT_EQ(Date::make(2000, 1, 1)->day_of_week(), 7);    // Saturday
  EXPECT_EQ(Date::make(2024, 2, 29)->day_of_week(), 5);   // Thursday
  EXPECT_EQ(Date::make(1900, 1, 1)->day_of_week(), 2);    // Monday
  EXPECT_EQ(Date::make(1000, 1, 1)->day_of_week(), 4);    // Wednesday
  EXPECT_EQ(Date::make(3000, 12, 31)->day_of_week(), 4);  // Wednesday
}

TEST(Date, OrderIsCalendarOrder) {
  EXPECT_LT(*Date::make(2025, 12, 31), *Date::make(2026, 1, 1));
  EXPECT_LT(*Date::make(2026, 1, 31), *Date::make(2026, 2, 1));
  EXPECT_GT(*Date::make(2026, 2, 2), *Date::make(2026, 2, 1));
}

TEST(Time, ParseAndText) {
  EXPECT_EQ(Time::parse("14:05"), Time::make(14, 5, 0));
  EXPECT_EQ(Time::parse("9:05"), Time::make(9, 5, 0));
  EXPECT_EQ(Time::parse("14:05:09"), Time::make(14, 5, 9));
  EXPECT_EQ(Time::parse("14:05:09.5"), Time::make(14, 5, 9, 500000));
  EXPECT_EQ(Time::parse("14:05:09.000123"), Time::make(14, 5, 9, 123));
  for (const char* bad : {"", "14", "24:00", "14:60", "14:5", "14:05:60", "14:05:09.",
                          "14:05:09.1234567", "14:05 ", "-1:00"}) {
    EXPECT_FALSE(Time::parse(bad).has_value()) << bad;
  }
  EXPECT_EQ(Time::make(14, 5, 0)->iso(), "14:05:00");
  EXPECT_EQ(Time::make(7, 0, 9, 500000)->iso(), "07:00:09.500000");
  EXPECT_FALSE(Time::make(0, 0, 0, 1000000).has_value());
  EXPECT_LT(*Time::make(9, 59, 59), *Time::make(10, 0, 0));
}

TEST(DateTime, ParseAndText) {
  const auto dt = DateTime::parse("2026-12-07 14:05:09");
  ASSERT_TRUE(dt.has_value());
  EXPECT_EQ(dt->date, *Date::make(2026, 12, 7));
  EXPECT_EQ(dt->time, *Time::make(14, 5, 9));
  EXPECT_EQ(dt->iso(), "2026-12-07 14:05:09");
  EXPECT_EQ(DateTime::parse("2026-12-07T14:05")->iso(), "2026-12-07 14:05:00");
  EXPECT_EQ(DateTime::parse("2026-12-07")->iso(), "2026-12-07 00:00:00");
  for (const char* bad : {"", "2026-12-07  14:05", "2026-12-07 25:00", "2026-12-07 ", "14:05"}) {
    EXPECT_FALSE(DateTime::parse(bad).has_value()) << bad;
  }
  EXPECT_LT(*DateTime::parse("2026-12-07 23:59"), *DateTime::parse("2026-12-08 00:00"));
}

TEST(Clock, FixedClockShowsWhatItWasSetTo) {
  FixedClock clock(*DateTime::parse("2026-12-07 14:05:09"));
  EXPECT_EQ(clock.today(), *Date::make(2026, 12, 7));
  EXPECT_EQ(clock.now().iso(), "2026-12-07 14:05:09");
  clock.set(*DateTime::parse("2027-01-01 00:00:01"));
  EXPECT_EQ(clock.today().iso(), "2027-01-01");
  EXPECT_EQ(clock.now().time, *Time::make(0, 0, 1));
}

TEST(Clock, SystemClockGivesAPlausibleLocalDate) {
  const SystemClock clock;
  const DateTime now = clock.now();
  EXPECT_GE(now.date.year, 2024);
  EXPECT_LE(now.date.year, 3000);
  EXPECT_LE(now.date, clock.today());
}

}  // namespace
}  // namespace fh
