// How long stopping the worker thread takes: the close of the program waits for it, bounded
// by the stop's 1000 ms. Measured on the production clock, so a stop that lands in the 30 ms
// sleep between turns waits that sleep out; the target is well under the bound.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "app/thread_basic.h"
#include "platform/clock.h"

namespace {

class IdleWorker : public app::CThreadBasic {
 public:
  explicit IdleWorker(platform::Clock& clock) : CThreadBasic(clock) {}
  ~IdleWorker() override { JoinWorker(); }
  void Run() override { turns.fetch_add(1); }
  std::atomic<int> turns{0};
};

void BM_StopRunningWorker(benchmark::State& state) {
  platform::SteadyClock clock;
  IdleWorker worker(clock);
  for (auto _ : state) {
    state.PauseTiming();
    const int before = worker.turns.load();
    worker.StartWorker();
    while (worker.turns.load() == before) std::this_thread::yield();
    state.ResumeTiming();
    if (!worker.StopWorker()) state.SkipWithError("the worker missed its stop bound");
  }
}
BENCHMARK(BM_StopRunningWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
