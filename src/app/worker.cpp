#include "app/worker.h"

namespace app {

DeviceWorker::DeviceWorker(TaskList& tasks, const ui::TaskTable& table, DriverComm& comm,
                           app::DeviceLinkWindow& link, ui::Toolkit& toolkit,
                           platform::Clock& clock, WorkerHost& host)
    : CThreadBasic(clock),
      tasks_(tasks),
      table_(table),
      comm_(comm),
      link_(link),
      toolkit_(toolkit),
      host_(host) {}

DeviceWorker::~DeviceWorker() { JoinWorker(); }

bool DeviceWorker::HandBackFromTool() {
  std::atomic<int32_t>& pending = host_.PendingToolProcess();
  const int32_t pid = pending.load();
  if (pid == 0) return true;
  // No time-out: the tool owns the mouse until it ends. Only a stop of the worker (the window
  // closing) ends the wait early, and then the mouse is not taken back.
  host_.Waiter().WaitForExit(pid, [this] { return StopRequested(); });
  if (StopRequested()) return false;
  host_.ShowMainWindow();
  // Close, enumerate and open again as one step: no exchange may slip in between.
  comm_.RebuildDeviceList();
  // Only this id is cleared: a tool started again meanwhile is waited for next turn.
  int32_t expected = pid;
  pending.compare_exchange_strong(expected, 0);
  return true;
}

void DeviceWorker::Run() {
  ++turns_;
  last_turn_idle_ = false;
  // A worker started again after a stop talks to the mouse again.
  if (!StopRequested()) comm_.ClearStop();
  // Stopped during the wait, the mouse still belongs to the tool: no task may reach it.
  if (!HandBackFromTool()) return;
  // Linux sleeps are already fine-grained: no timer resolution to raise for the turn.
  const std::optional<int> code = tasks_.TakeFirst();
  if (!code) {
    last_turn_idle_ = true;
    if (link_.DevicePresent()) link_.PollNotifications();
    return;
  }
  Dispatch(*code);
}

void DeviceWorker::BetweenTurns() {
  if (!last_turn_idle_) {
    clock_.SleepMs(Period());
    return;
  }
  tasks_.WaitForTask(link_.DevicePresent() ? DeviceLinkWindow::kPollSpacingMs
                                           : kIdleWaitWithoutDeviceMs);
}

bool DeviceWorker::Dispatch(int code) {
  const ui::TaskRoutine* routine = table_.Find(code);
  if (routine == nullptr) return false;
  comm_.BeginSequence();
  if (routine->run) routine->run();
  comm_.EndSequence();
  // The dialog closes as soon as the work is done; the pause only paces the mouse.
  if (routine->closes_wait) toolkit_.EndModal(ui::ModalKind::kWait);
  // A close cuts the pause short: it only paces the mouse for the next task.
  if (routine->pause_ms > 0) comm_.PauseMs(routine->pause_ms);
  return true;
}

}  // namespace app
