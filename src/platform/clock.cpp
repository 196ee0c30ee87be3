#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <numeric>
#include <thread>

namespace platform {

void SteadyClock::SleepMs(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::SleepUnlessStopped(int ms, const std::atomic<bool>& stop) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + milliseconds(ms);
  while (!stop.load()) {
    const auto now = steady_clock::now();
    if (now >= end) return;
    std::this_thread::sleep_for(
        std::min<steady_clock::duration>(end - now, milliseconds(kStopSliceMs)));
  }
}

uint64_t SteadyClock::TickCount() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

LocalTime SteadyClock::Now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&secs, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  t.day_of_week = tm.tm_wday;
  return t;
}

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

void VirtualClock::SleepMs(int ms) {
  std::lock_guard lock(mu_);
  sleeps_.push_back(ms);
  if (ms > 0) ticks_ += static_cast<uint64_t>(ms);
}

uint64_t VirtualClock::TickCount() {
  std::lock_guard lock(mu_);
  return ticks_;
}

LocalTime VirtualClock::Now() {
  std::lock_guard lock(mu_);
  return now_;
}

void VirtualClock::Advance(int ms) {
  std::lock_guard lock(mu_);
  ticks_ += static_cast<uint64_t>(ms);
}

void VirtualClock::SetNow(const LocalTime& t) {
  std::lock_guard lock(mu_);
  now_ = t;
}

std::vector<int> VirtualClock::Sleeps() const {
  std::lock_guard lock(mu_);
  return sleeps_;
}

void VirtualClock::ClearSleeps() {
  std::lock_guard lock(mu_);
  sleeps_.clear();
}

int VirtualClock::TotalSleptMs() const {
  std::lock_guard lock(mu_);
  return std::accumulate(sleeps_.begin(), sleeps_.end(), 0);
}

}  // namespace platform
