// The two places a command runs: mousectl's own device side when no window program runs,
// and the running window program, which serves the requests mousectl hands it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "app/device_main_dlg.h"
#include "cli/commands.h"
#include "device/driver_comm.h"
#include "ui/headless/headless_toolkit.h"

namespace hid {
class Bus;
}
namespace platform {
class AppKey;
class Clock;
}  // namespace platform

namespace cli {

// A main window without a window system: its message boxes are answered "cancel" (nothing is
// started behind the caller's back) and their texts kept for the error message.
class SilentToolkit : public ui::HeadlessToolkit {
 public:
  int ShowMessage(const std::string& message, const std::string& title, int style) override;
};

// mousectl opens the mouse itself: the program's device side on SilentToolkit, its worker
// turned on this thread. The first device read runs in the constructor's first Settle.
class StandaloneSession : public Session {
 public:
  StandaloneSession(hid::Bus& bus, platform::Clock& clock, platform::AppKey& app_key,
                    const std::string& user_data_dir);
  ~StandaloneSession() override;

  app::DeviceMainDlg& Dialog() override { return *dlg_; }
  bool OnWindowThread(const std::function<void()>& action) override;
  bool Settle() override;
  std::vector<std::string> TakeNotices() override;
  SilentToolkit& Toolkit() { return toolkit_; }

 private:
  SilentToolkit toolkit_;
  DriverComm comm_;
  std::unique_ptr<app::DeviceMainDlg> dlg_;
  size_t notices_taken_ = 0;
};

// The window program's side: commands from the socket run on its own window and worker.
// Made before the window runs (it registers a task and a window message); Handle is called
// on the socket's listening thread, one request at a time.
class CommandServer {
 public:
  explicit CommandServer(app::DeviceMainDlg& dlg);
  std::string Handle(const std::string& request);

  // The task that marks the tasks queued before it as done, and the window message that
  // runs a command's step on the window thread.
  static constexpr int kTaskMark = 40;
  static constexpr int WM_COMMAND_LINE = 1750;
  // How long a request waits for the window thread and for its tasks.
  static constexpr int kWindowWaitMs = 10000;
  static constexpr int kTaskWaitMs = 60000;

 private:
  class WindowSession;
  struct Job {
    std::function<void()> action;
    int state = 0;  // 0 waiting, 1 running, 2 done
  };
  void RunJobs();  // window thread
  // Until `done` or the worker stopped or `ms` passed; false unless done. mu_ held by `lock`.
  bool WaitFor(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done, int ms);

  app::DeviceMainDlg& dlg_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::shared_ptr<Job>> jobs_;
  uint64_t marks_asked_ = 0;
  uint64_t marks_done_ = 0;
};

}  // namespace cli
