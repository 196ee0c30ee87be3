#include "app/thread_basic.h"

#include <algorithm>
#include <chrono>

namespace app {

CThreadBasic::~CThreadBasic() { JoinWorker(); }

void CThreadBasic::JoinWorker() {
  stop_requested_.store(true);
  running_.store(0);
  WakeForStop();
  std::lock_guard lock(control_mu_);
  Join();
}

void CThreadBasic::Join() {
  if (thread_.joinable()) thread_.join();
}

void CThreadBasic::StartWorker() {
  std::lock_guard lock(control_mu_);
  if (running_.load() != 0) return;
  // A thread that missed the last stop's deadline is still finishing its turn.
  Join();
  period_ms_.store(kPeriodMs);
  loop_mode_.store(1);
  start_tick_.store(clock_.TickCount());
  {
    std::lock_guard done_lock(done_mu_);
    done_ = false;
  }
  stop_requested_.store(false);
  running_.store(1);
  thread_ = std::thread([this] { ThreadProc(); });
}

bool CThreadBasic::StopWorker() {
  std::lock_guard lock(control_mu_);
  stop_requested_.store(true);
  running_.store(0);
  WakeForStop();
  if (!thread_.joinable()) return true;
  bool finished = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
  while (!finished) {
    {
      std::unique_lock done_lock(done_mu_);
      const auto next = std::min(
          deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopPollMs));
      finished = done_cv_.wait_until(done_lock, next, [this] { return done_; });
    }
    if (finished || std::chrono::steady_clock::now() >= deadline) break;
    WhileStopping();
  }
  // Once the done-event is set the procedure has returned, so the join is immediate.
  if (finished) Join();
  return finished;
}

bool CThreadBasic::Done() {
  std::lock_guard lock(done_mu_);
  return done_;
}

void CThreadBasic::ThreadProc() {
  if (loop_mode_.load() != 0) {
    while (running_.load() != 0) {
      Run();
      if (running_.load() != 0) BetweenTurns();
    }
  } else {
    Run();
  }
  {
    std::lock_guard lock(done_mu_);
    done_ = true;
  }
  done_cv_.notify_all();
}

}  // namespace app
