// The device worker: one turn hands the mouse back after the firmware tool, then either runs
// the oldest queued task or, with nothing queued and a device present, polls the mouse's
// status reports. Independent of the main window: it sees the window through WorkerHost.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/device_link_window.h"
#include "app/process_waiter.h"
#include "app/task_list.h"
#include "app/thread_basic.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace app {

// What the worker needs of the main window.
class WorkerHost {
 public:
  virtual ~WorkerHost() = default;
  // The firmware update tool's process id while it owns the mouse, 0 otherwise. Written by the
  // window thread when it starts the tool; read and cleared by the worker.
  virtual std::atomic<int32_t>& PendingToolProcess() = 0;
  // Shows the main window in its normal state (the tool has finished).
  virtual void ShowMainWindow() = 0;
  virtual ProcessWaiter& Waiter() = 0;
};

class DeviceWorker : public CThreadBasic {
 public:
  // The table must be complete before StartWorker: the worker reads it without a lock. The
  // owner declares the worker after everything it references, so it stops first.
  DeviceWorker(TaskList& tasks, const ui::TaskTable& table, DriverComm& comm,
               app::DeviceLinkWindow& link, ui::Toolkit& toolkit, platform::Clock& clock,
               WorkerHost& host);
  ~DeviceWorker() override;

  // Waits, without a bound, for the thread to end (the owner's destructor).
  using CThreadBasic::JoinWorker;

  // One turn; tests call it directly.
  void Run() override;
  // After a task: the period, which paces the mouse. After an idle turn: asleep on the task
  // list until a task comes, at most until the next status poll is due with a device
  // present, at most kIdleWaitWithoutDeviceMs without one (a started firmware tool is
  // noticed then).
  void BetweenTurns() override;
  // Also cuts the channel's polls and retries short, so a busy mouse cannot hold the close.
  void WakeForStop() override {
    comm_.RequestStop();
    tasks_.Wake();
  }
  // The window thread waits for the turn to end; the turn may be waiting for the window
  // thread's answer to a toolkit call.
  void WhileStopping() override { toolkit_.RunQueuedCalls(); }
  static constexpr int kIdleWaitWithoutDeviceMs = 1000;
  // Turns run so far (tests count the worker's wake-ups with it).
  uint64_t Turns() const { return turns_.load(); }

  // Runs one code as a turn would, as one bounded sequence on the channel: its routine, the end of
  // the wait dialog if the task closes it, then the table's pause. A code without a routine is
  // dropped. False when dropped.
  bool Dispatch(int code);

 private:
  // False when the worker was asked to stop while it waited: the turn ends there.
  bool HandBackFromTool();

  TaskList& tasks_;
  const ui::TaskTable& table_;
  DriverComm& comm_;
  app::DeviceLinkWindow& link_;
  ui::Toolkit& toolkit_;
  WorkerHost& host_;
  std::atomic<bool> last_turn_idle_{false};
  std::atomic<uint64_t> turns_{0};
};

}  // namespace app
