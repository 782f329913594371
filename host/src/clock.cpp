#include "formhost/clock.h"

#include <chrono>
#include <ctime>

namespace fh {

DateTime SystemClock::now() const {
  const auto point = std::chrono::system_clock::now();
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(point.time_since_epoch()).count() %
      1000000;
  const std::time_t secs = std::chrono::system_clock::to_time_t(point);
  std::tm local{};
  localtime_r(&secs, &local);
  DateTime dt;
  // Outside the platform's years 1000-3000 the clock is wrong; keep the default day.
  if (auto d = Date::make(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)) dt.date = *d;
  // A leap second shows as :59.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  if (auto t = Time::make(local.tm_hour, local.tm_min, second, static_cast<int>(micros))) {
    dt.time = *t;
  }
  return dt;
}

Date SystemClock::today() const { return now().date; }

void FixedClock::set(const DateTime& at) {
  const std::lock_guard lock(mutex_);
  at_ = at;
}

Date FixedClock::today() const {
  const std::lock_guard lock(mutex_);
  return at_.date;
}

DateTime FixedClock::now() const {
  const std::lock_guard lock(mutex_);
  return at_;
}

}  // namespace fh
