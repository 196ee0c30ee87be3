#include "cli/sessions.h"

#include <chrono>

#include "platform/app_key.h"
#include "platform/clock.h"
#include "ui/task_table.h"

namespace cli {

int SilentToolkit::ShowMessage(const std::string& message, const std::string& title, int style) {
  QueueMessageAnswer(ui::kResultCancel);
  return HeadlessToolkit::ShowMessage(message, title, style);
}

StandaloneSession::StandaloneSession(hid::Bus& bus, platform::Clock& clock,
                                     platform::AppKey& app_key, const std::string& user_data_dir)
    : comm_(bus, clock) {
  dlg_ = std::make_unique<app::DeviceMainDlg>(
      toolkit_, comm_, app_key,
      app::DeviceWorkOptions{
          .user_data_dir = user_data_dir, .start_thread = false, .start_hotplug = false});
  dlg_->OnInitDialog();
}

StandaloneSession::~StandaloneSession() { dlg_.reset(); }

bool StandaloneSession::OnWindowThread(const std::function<void()>& action) {
  action();
  return true;
}

bool StandaloneSession::Settle() {
  // Tasks may queue further tasks and messages more messages; a bound keeps a loop of them
  // from holding the caller forever.
  constexpr int kMaxRounds = 1000;
  for (int round = 0; round < kMaxRounds; ++round) {
    app::TaskList& tasks = dlg_->PendingTasks();
    while (!tasks.Empty() && round++ < kMaxRounds) dlg_->Device().Worker().Run();
    if (toolkit_.PumpMessages() == 0 && tasks.Empty()) return true;
  }
  return false;
}

std::vector<std::string> StandaloneSession::TakeNotices() {
  std::vector<std::string> texts;
  const std::vector<ui::HeadlessToolkit::MessageRecord> messages = toolkit_.Messages();
  for (size_t i = notices_taken_; i < messages.size(); ++i) texts.push_back(messages[i].message);
  notices_taken_ = messages.size();
  return texts;
}

// --- the window program's side ---

class CommandServer::WindowSession : public Session {
 public:
  explicit WindowSession(CommandServer& server) : server_(server) {}
  app::DeviceMainDlg& Dialog() override { return server_.dlg_; }

  bool OnWindowThread(const std::function<void()>& action) override {
    auto job = std::make_shared<Job>();
    job->action = action;
    std::unique_lock<std::mutex> lock(server_.mu_);
    server_.jobs_.push_back(job);
    lock.unlock();
    server_.dlg_.Toolkit().PostMessage(WM_COMMAND_LINE, 0, 0);
    lock.lock();
    if (server_.WaitFor(
            lock, [&] { return job->state == 2; }, kWindowWaitMs))
      return true;
    if (job->state == 0) {
      // Never run: it must not run later, after the caller has gone.
      std::erase(server_.jobs_, job);
      return false;
    }
    server_.cv_.wait(lock, [&] { return job->state == 2; });  // running: it ends soon
    return true;
  }

  bool Settle() override {
    std::unique_lock<std::mutex> lock(server_.mu_);
    const uint64_t mark = ++server_.marks_asked_;
    lock.unlock();
    server_.dlg_.AppendTask(kTaskMark);
    lock.lock();
    return server_.WaitFor(
        lock, [&] { return server_.marks_done_ >= mark; }, kTaskWaitMs);
  }

 private:
  CommandServer& server_;
};

CommandServer::CommandServer(app::DeviceMainDlg& dlg) : dlg_(dlg) {
  dlg_.Tasks().Add(kTaskMark, {[this] {
                                 std::lock_guard<std::mutex> hold(mu_);
                                 ++marks_done_;
                                 cv_.notify_all();
                               },
                               0, false});
  dlg_.OnWindowMessage(WM_COMMAND_LINE, [this](int64_t, int64_t) { RunJobs(); });
}

void CommandServer::RunJobs() {
  std::unique_lock<std::mutex> lock(mu_);
  while (!jobs_.empty()) {
    std::shared_ptr<Job> job = jobs_.front();
    jobs_.pop_front();
    job->state = 1;
    lock.unlock();
    job->action();
    lock.lock();
    job->state = 2;
    cv_.notify_all();
  }
}

bool CommandServer::WaitFor(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
                            int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  // The worker stopping (the window closing) ends the wait: nothing would wake it.
  constexpr auto kSlice = std::chrono::milliseconds(100);
  while (!done()) {
    if (dlg_.Device().Worker().StopRequested()) return done();
    if (std::chrono::steady_clock::now() >= deadline) return false;
    cv_.wait_for(lock, kSlice);
  }
  return true;
}

std::string CommandServer::Handle(const std::string& request) {
  const platform::Result<Invocation> parsed = ParseArguments(DecodeRequest(request));
  if (!parsed) {
    return EncodeAnswer(Answer{kExitUsage, "", "mousectl: " + parsed.error().reason});
  }
  WindowSession session(*this);
  return EncodeAnswer(RunCommand(session, parsed.value()));
}

}  // namespace cli
