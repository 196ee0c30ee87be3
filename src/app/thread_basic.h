// The worker thread: calls Run once per turn and sleeps its period between turns, until it is
// asked to stop. Run is a plain virtual function, so tests turn the worker by hand.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace app {

class CThreadBasic {
 public:
  static constexpr int kPeriodMs = 30;
  static constexpr int kStopWaitMs = 1000;

  // The sleep between turns goes through `clock`, so a virtual clock makes it instant.
  explicit CThreadBasic(platform::Clock& clock) : clock_(clock) {}
  // Joins the thread. A derived class calls JoinWorker() in its own destructor, because a
  // turn still running must not call into a half-destroyed object.
  virtual ~CThreadBasic();
  CThreadBasic(const CThreadBasic&) = delete;
  CThreadBasic& operator=(const CThreadBasic&) = delete;

  // One turn of the worker.
  virtual void Run() = 0;
  // What the thread does between two turns; the default sleeps the period.
  virtual void BetweenTurns() { clock_.SleepMs(period_ms_.load()); }
  // Called by StopWorker after the running flag is cleared: ends a wait in BetweenTurns.
  virtual void WakeForStop() {}
  // Called by StopWorker every kStopPollMs while it waits for the thread (on the stopping
  // thread): work the turn may be waiting for there is done here.
  virtual void WhileStopping() {}
  static constexpr int kStopPollMs = 10;

  // Starts the thread unless it is running: period 30 ms, loop mode on, start tick taken,
  // done-event reset, running flag set.
  void StartWorker();
  // Clears the running flag and waits at most 1000 ms (real time) for the done-event. True
  // when the thread finished within that time; otherwise it ends after its current turn and
  // is joined by the next StartWorker or the destructor.
  bool StopWorker();

  bool Running() const { return running_.load() != 0; }
  bool LoopMode() const { return loop_mode_.load() != 0; }
  int Period() const { return period_ms_.load(); }
  // The clock's tick count at the last start; also the thread's result.
  uint64_t StartTick() const { return start_tick_.load(); }
  // Whether the thread procedure has ended since the last start (the done-event).
  bool Done();
  // Set by StopWorker until the next StartWorker: long waits inside a turn give up on it.
  bool StopRequested() const { return stop_requested_.load(); }

 protected:
  // Clears the running flag and waits, without a bound, for the thread to end.
  void JoinWorker();

  platform::Clock& clock_;

 private:
  void ThreadProc();
  void Join();  // control_mu_ held

  std::atomic<int> running_{0};
  std::atomic<bool> stop_requested_{false};
  std::atomic<int> loop_mode_{0};
  std::atomic<int> period_ms_{kPeriodMs};
  std::atomic<uint64_t> start_tick_{0};
  // The done-event: manual reset, signalled when the thread procedure ends.
  std::mutex done_mu_;
  std::condition_variable done_cv_;
  bool done_ = true;
  // Start, stop and join are serialised among themselves.
  std::mutex control_mu_;
  std::thread thread_;
};

}  // namespace app
