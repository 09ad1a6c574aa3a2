// The wall clock, behind an interface so that a run can be given a fixed time.
#pragma once

namespace mx {

struct LocalTime {
  int month = 1, day = 1, year = 1970, hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() const = 0;
};

class SystemClock final : public Clock {
 public:
  LocalTime now() const override;
};

class FixedClock final : public Clock {
 public:
  explicit FixedClock(LocalTime t) : t_(t) {}
  LocalTime now() const override { return t_; }

 private:
  LocalTime t_;
};

}  // namespace mx
