// Time as the program sees it. Everything that paces the mouse or stamps a record takes a
// Clock, so tests run against VirtualClock and never sleep for real.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

struct LocalTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int day_of_week = 4;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void SleepMs(int ms) = 0;
  // Sleeps `ms`, or less when `stop` is set meanwhile (not at all when it is set already).
  virtual void SleepUnlessStopped(int ms, const std::atomic<bool>& stop) {
    if (!stop.load()) SleepMs(ms);
  }
  // Milliseconds since some fixed point; only differences mean anything.
  virtual uint64_t TickCount() = 0;
  virtual LocalTime Now() = 0;
};

// The real clock: steady clock for ticks and sleeps, the system's local time zone for Now.
class SteadyClock : public Clock {
 public:
  void SleepMs(int ms) override;
  // In short slices, so a stop is noticed within kStopSliceMs.
  void SleepUnlessStopped(int ms, const std::atomic<bool>& stop) override;
  static constexpr int kStopSliceMs = 20;
  uint64_t TickCount() override;
  LocalTime Now() override;
};

// The process-wide real clock.
Clock& SystemClock();

// Records every requested sleep and advances its own time instead of sleeping.
class VirtualClock : public Clock {
 public:
  void SleepMs(int ms) override;
  uint64_t TickCount() override;
  LocalTime Now() override;

  void Advance(int ms);
  void SetNow(const LocalTime& t);
  std::vector<int> Sleeps() const;
  void ClearSleeps();
  int TotalSleptMs() const;

 private:
  mutable std::mutex mu_;
  uint64_t ticks_ = 1000;
  LocalTime now_{2024, 1, 5, 9, 30, 12, 345, 5};
  std::vector<int> sleeps_;
};

}  // namespace platform
