// The platform's date, time and datetime values.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formhost/export.h"

namespace fh {

struct FH_API Date {
  std::int16_t year = 1900;
  std::int8_t month = 1;
  std::int8_t day = 1;

  // Nullopt unless year 1000-3000 and a real calendar day.
  static std::optional<Date> make(int year, int month, int day);
  // "yyyy-mm-dd" (also with '/' or '.'); nullopt when not a valid date.
  static std::optional<Date> parse(std::string_view text);
  std::string iso() const;  // "2026-12-07"
  int day_of_week() const;  // 1 Sunday .. 7 Saturday, as the platform counts
  friend auto operator<=>(const Date&, const Date&) = default;
};

struct FH_API Time {
  std::int8_t hour = 0;
  std::int8_t minute = 0;
  std::int8_t second = 0;
  std::int32_t microsecond = 0;

  static std::optional<Time> make(int hour, int minute, int second, int microsecond = 0);
  // "hh:mm", "hh:mm:ss" or "hh:mm:ss.ffffff"; nullopt when not a valid time.
  static std::optional<Time> parse(std::string_view text);
  std::string iso() const;  // "14:05:00" (".ffffff" when not zero)
  friend auto operator<=>(const Time&, const Time&) = default;
};

struct FH_API DateTime {
  Date date;
  Time time;

  // "yyyy-mm-dd hh:mm[:ss[.ffffff]]" or a bare date (midnight).
  static std::optional<DateTime> parse(std::string_view text);
  std::string iso() const;  // "2026-12-07 14:05:00"
  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

}  // namespace fh
