// The commands of mousectl, run on a main window's device side: the operations the pages
// run, on the same store, tasks and worker. Where the window program runs, its own window is
// the one (it shows each change); otherwise mousectl builds one without a window system.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace app {
class DeviceMainDlg;
}

namespace cli {

// Where a command runs.
class Session {
 public:
  virtual ~Session() = default;
  virtual app::DeviceMainDlg& Dialog() = 0;
  // Runs `action` where the page handlers run (the window thread) and waits for it. False
  // when it could not run (the program is closing); it then never runs.
  virtual bool OnWindowThread(const std::function<void()>& action) = 0;
  // Waits until every task queued so far has run on the worker; false when they did not run
  // (the program is closing, or the worker is held up).
  virtual bool Settle() = 0;
  // The texts the program showed in message boxes meanwhile; empty where a person sees them.
  virtual std::vector<std::string> TakeNotices() { return {}; }
};

Answer RunCommand(Session& session, const Invocation& invocation);

}  // namespace cli
