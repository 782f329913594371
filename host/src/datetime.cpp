#include "formhost/datetime.h"

#include <cstdio>

namespace fh {
namespace {

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 in the proleptic Gregorian calendar.
long days_from_civil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153L * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Reads between min and max decimal digits; -1 when there are fewer than min.
int read_number(std::string_view text, std::size_t& i, std::size_t min, std::size_t max) {
  int n = 0;
  std::size_t count = 0;
  while (i < text.size() && count < max && text[i] >= '0' && text[i] <= '9') {
    n = n * 10 + (text[i] - '0');
    ++i;
    ++count;
  }
  return count < min ? -1 : n;
}

std::string two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// Reads a date at the start of text; i ends after it.
std::optional<Date> read_date(std::string_view text, std::size_t& i) {
  const int year = read_number(text, i, 4, 4);
  if (year < 0 || i >= text.size()) return std::nullopt;
  const char sep = text[i];
  if (sep != '-' && sep != '/' && sep != '.') return std::nullopt;
  ++i;
  const int month = read_number(text, i, 1, 2);
  if (month < 0 || i >= text.size() || text[i] != sep) return std::nullopt;
  ++i;
  const int day = read_number(text, i, 1, 2);
  if (day < 0) return std::nullopt;
  return Date::make(year, month, day);
}

std::optional<Time> read_time(std::string_view text, std::size_t& i) {
  const int hour = read_number(text, i, 1, 2);
  if (hour < 0 || i >= text.size() || text[i] != ':') return std::nullopt;
  ++i;
  const int minute = read_number(text, i, 2, 2);
  if (minute < 0) return std::nullopt;
  int second = 0;
  int micro = 0;
  if (i < text.size() && text[i] == ':') {
    ++i;
    second = read_number(text, i, 2, 2);
    if (second < 0) return std::nullopt;
    if (i < text.size() && text[i] == '.') {
      ++i;
      const std::size_t start = i;
      micro = read_number(text, i, 1, 6);
      if (micro < 0) return std::nullopt;
      for (std::size_t n = i - start; n < 6; ++n) micro *= 10;
    }
  }
  return Time::make(hour, minute, second, micro);
}

}  // namespace

std::optional<Date> Date::make(int year, int month, int day) {
  if (year < 1000 || year > 3000 || month < 1 || month > 12 || day < 1 ||
      day > days_in_month(year, month)) {
    return std::nullopt;
  }
  return Date{static_cast<std::int16_t>(year), static_cast<std::int8_t>(month),
              static_cast<std::int8_t>(day)};
}

std::optional<Date> Date::parse(std::string_view text) {
  std::size_t i = 0;
  auto d = read_date(text, i);
  if (!d || i != text.size()) return std::nullopt;
  return d;
}

std::string Date::iso() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
  return buf;
}

int Date::day_of_week() const {
  // 1970-01-01 was a Thursday, the fifth day when Sunday is the first.
  const long days = days_from_civil(year, month, day);
  const long dow = ((days % 7) + 7 + 4) % 7;
  return static_cast<int>(dow) + 1;
}

std::optional<Time> Time::make(int hour, int minute, int second, int microsecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      microsecond < 0 || microsecond > 999999) {
    return std::nullopt;
  }
  return Time{static_cast<std::int8_t>(hour), static_cast<std::int8_t>(minute),
              static_cast<std::int8_t>(second), microsecond};
}

std::optional<Time> Time::parse(std::string_view text) {
  std::size_t i = 0;
  auto t = read_time(text, i);
  if (!t || i != text.size()) return std::nullopt;
  return t;
}

std::string Time::iso() const {
  std::string out = two(hour) + ":" + two(minute) + ":" + two(second);
  if (microsecond != 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, ".%06d", static_cast<int>(microsecond));
    out += buf;
  }
  return out;
}

std::optional<DateTime> DateTime::parse(std::string_view text) {
  std::size_t i = 0;
  auto d = read_date(text, i);
  if (!d) return std::nullopt;
  if (i == text.size()) return DateTime{*d, Time{}};
  // A blank as the platform writes it; 'T' as databases and ISO texts do.
  if (text[i] != ' ' && text[i] != 'T') return std::nullopt;
  ++i;
  auto t = read_time(text, i);
  if (!t || i != text.size()) return std::nullopt;
  return DateTime{*d, *t};
}

std::string DateTime::iso() const { return date.iso() + " " + time.iso(); }

}  // namespace fh
