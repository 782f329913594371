// Where the host reads the date and time of day, so that tests can fix them.
#pragma once

#include <mutex>

#include "formhost/datetime.h"
#include "formhost/export.h"

namespace fh {

class FH_API Clock {
 public:
  virtual ~Clock() = default;
  // The current local date.
  virtual Date today() const = 0;
  // The current local date and time, to the microsecond where the clock has it.
  virtual DateTime now() const = 0;
};

// The machine's clock in its local time zone.
class FH_API SystemClock final : public Clock {
 public:
  Date today() const override;
  DateTime now() const override;
};

// A clock that shows what it was set to until set again. Safe to set from
// another thread while a session reads it.
class FH_API FixedClock final : public Clock {
 public:
  explicit FixedClock(const DateTime& at) : at_(at) {}
  void set(const DateTime& at);
  Date today() const override;
  DateTime now() const override;

 private:
  mutable std::mutex mutex_;
  DateTime at_;
};

}  // namespace fh
