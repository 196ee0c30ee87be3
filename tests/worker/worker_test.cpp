// The device worker on the headless toolkit with the virtual mouse and the virtual clock:
// turns run by hand (and once on the real thread), the task table's pauses and wait-dialog
// ends, dropped codes, the firmware-tool hand-back, the idle status poll, plug events and the
// device routines.
#include "app/worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/device_link_window.h"
#include "app/device_tasks.h"
#include "app/task_list.h"
#include "app/wait_dialog.h"
#include "sim/virtual_bus.h"
#include "support/device_test_support.h"
#include "support/recording_ports.h"
#include "ui/frame_controls.h"
#include "ui/headless/headless_toolkit.h"
#include "ui/task_table.h"

namespace {

using app::DeviceWorker;
using ui::ModalKind;
using ui::TaskRoutine;

// Counts every EndModal call, also those that find no dialog.
class CountingToolkit : public ui::HeadlessToolkit {
 public:
  void EndModal(ModalKind kind) override {
    if (kind == ModalKind::kWait) ++wait_end_calls;
    HeadlessToolkit::EndModal(kind);
  }
  std::atomic<int> wait_end_calls{0};
};

// A waiter that records what it was asked and lets the test act "while the tool runs".
class ScriptedWaiter : public app::ProcessWaiter {
 public:
  bool WaitForExit(int32_t pid, const std::function<bool()>& stop) override {
    waited.push_back(pid);
    ++calls;
    if (block_until_stopped) {
      while (!stop()) std::this_thread::yield();
    }
    if (during_wait) during_wait();
    return true;
  }
  std::vector<int32_t> waited;
  std::atomic<int> calls{0};
  bool block_until_stopped = false;
  std::function<void()> during_wait;
};

class Host : public app::WorkerHost {
 public:
  std::atomic<int32_t>& PendingToolProcess() override { return pid; }
  void ShowMainWindow() override {
    ++shows;
    if (on_show) on_show();
  }
  app::ProcessWaiter& Waiter() override { return waiter; }

  std::atomic<int32_t> pid{0};
  std::atomic<int> shows{0};
  std::function<void()> on_show;
  ScriptedWaiter waiter;
};

// The window's side of the link: plug events append to the real task list.
class LinkHost : public app::DeviceWindowHost {
 public:
  explicit LinkHost(app::TaskList& tasks) : tasks_(tasks) {}
  int ReadDeviceType() override { return 101; }
  void AppendTask(int code) override { tasks_.Append(code); }

 private:
  app::TaskList& tasks_;
};

std::vector<int> Drain(app::TaskList& tasks) {
  std::vector<int> codes;
  while (auto code = tasks.TakeFirst()) codes.push_back(*code);
  return codes;
}

class WorkerTest : public ::testing::Test {
 protected:
  WorkerTest() {
    ws_.WriteLanguageTexts({50, 51, 52});
    for (sim::Model m : sim::AllModels()) {
      const sim::ModelTraits& s = sim::Traits(m);
      comm_.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
      comm_.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
      list_.AddDevice(s.name, s.device_type, "");
    }
    bus_.SetPlugListener([this](const sim::PlugEvent& e) {
      link_.UpdateUSBDevice(
          device::DeviceChange{e.arrived ? device::kDeviceArrival : device::kDeviceRemoveComplete,
                               e.info.path, e.info.path});
    });
    ctx_.routines = &routines_;
    app::RegisterDeviceTasks(table_, ctx_);
  }

  // A mouse attached before the test's story starts: its plug task is not part of it.
  int AddMouse(sim::Model model, sim::Attachment attachment) {
    const int mouse = bus_.AddMouse(model, attachment);
    Drain(tasks_);
    return mouse;
  }

  // A routine that records its code, as the later subsystems' routines will be registered.
  void AddRecorder(int code, int pause_ms, bool closes_wait) {
    table_.Add(code, TaskRoutine{[this, code] {
                                   std::lock_guard lock(ran_mu_);
                                   ran_.push_back(code);
                                 },
                                 pause_ms, closes_wait});
  }
  std::vector<int> Ran() {
    std::lock_guard lock(ran_mu_);
    return ran_;
  }
  bool Traced(const std::string& text) {
    const auto lines = ws_.TraceLines();
    return std::find(lines.begin(), lines.end(), devtest::Info(text)) != lines.end();
  }
  std::vector<sim::ReceivedReport> Inputs() {
    std::vector<sim::ReceivedReport> out;
    for (const auto& r : bus_.Log()) {
      if (r.kind == sim::ReportKind::kInput) out.push_back(r);
    }
    return out;
  }

  platform::VirtualClock clock_;
  devtest::Workspace ws_{clock_};
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  CountingToolkit tk_;
  app::DeviceListControl list_{tk_};
  app::TaskList tasks_;
  LinkHost link_host_{tasks_};
  app::DeviceLinkWindow link_{comm_, tk_, list_, link_host_};
  ui::TaskTable table_;
  app::DeviceTaskContext ctx_{link_, comm_, clock_};
  Host host_;
  DeviceWorker worker_{tasks_, table_, comm_, link_, tk_, clock_, host_};

  std::mutex ran_mu_;
  std::vector<int> ran_;
  // The subsystems around the routines, counted.
  struct Routines final : app::DeviceRoutinePort {
    bool ReadSettings() override {
      ++reads;
      return read_ok;
    }
    void RefreshPages() override { ++page_refreshes; }
    void RefreshProfileList() override { ++profile_lists; }
    bool LightingSupported() override { return lighting; }
    void AfterConnect() override {}
    int reads = 0;
    int page_refreshes = 0;
    int profile_lists = 0;
    bool read_ok = true;
    bool lighting = false;
  } routines_;
};

TEST_F(WorkerTest, KeyMapThreeTimesRunsThreeTimesWithPausesAndDialogEnds) {
  AddRecorder(ui::kTaskWriteKeyMap, 100, true);
  // The window created one dialog; the three tasks each end "the" dialog.
  tk_.BeginModal(ModalKind::kWait);
  for (int i = 0; i < 3; ++i) tasks_.Append(ui::kTaskWriteKeyMap);
  for (int i = 0; i < 3; ++i) worker_.Run();

  EXPECT_EQ(Ran(), std::vector<int>(3, ui::kTaskWriteKeyMap));
  EXPECT_EQ(clock_.Sleeps(), std::vector<int>({100, 100, 100}));
  EXPECT_EQ(tk_.wait_end_calls.load(), 3);
  EXPECT_EQ(tk_.ModalEnds(ModalKind::kWait), 1);  // only the first found a dialog
  EXPECT_TRUE(tasks_.Empty());
}

TEST_F(WorkerTest, EachTaskWithItsOwnDialogEndsIt) {
  AddRecorder(ui::kTaskWriteKeyMap, 100, true);
  for (int i = 0; i < 3; ++i) {
    app::RunTaskWithWaitDialog(tk_, tasks_, ui::kTaskWriteKeyMap);
    EXPECT_TRUE(tk_.ModalOpen(ModalKind::kWait));
    worker_.Run();
    EXPECT_FALSE(tk_.ModalOpen(ModalKind::kWait));
  }
  EXPECT_EQ(tk_.ModalBegins(ModalKind::kWait), 3);
  EXPECT_EQ(tk_.ModalEnds(ModalKind::kWait), 3);
}

TEST_F(WorkerTest, CodesWithoutRoutinesAreDroppedSilently) {
  for (int code : {7, 8, 10, 11, 12, 13, 14, 17, 18, 19, 20, 23, 24, 25, 27, 28}) {
    AddRecorder(code, 100, true);
  }
  for (int code : {5, 6, 9, 15, 16, 21, 22, 26}) {
    SCOPED_TRACE(code);
    tk_.BeginModal(ModalKind::kWait);
    tasks_.Append(code);
    worker_.Run();
    EXPECT_TRUE(tasks_.Empty());
    EXPECT_TRUE(Ran().empty());
    EXPECT_TRUE(clock_.Sleeps().empty());
    EXPECT_EQ(tk_.wait_end_calls.load(), 0);
    EXPECT_TRUE(tk_.ModalOpen(ModalKind::kWait));
  }
  EXPECT_TRUE(bus_.Log().empty());
  EXPECT_EQ(routines_.reads, 0);
}

TEST_F(WorkerTest, IdleTurnWithoutDeviceDoesNothing) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);  // attached, never listed
  bus_.SetBattery(0, 50, false);                            // a report waiting
  worker_.Run();
  worker_.Run();
  EXPECT_TRUE(clock_.Sleeps().empty());
  EXPECT_TRUE(bus_.Log().empty());
  EXPECT_EQ(bus_.PendingInputReports(0, sim::Connection::kCable), 1u);
  EXPECT_EQ(bus_.OpenDeviceCount(), 0);
  EXPECT_EQ(host_.shows.load(), 0);
}

TEST_F(WorkerTest, StatusPollWaitsUntilTheListIsEmpty) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  link_.UpdateDeviceList();
  ASSERT_TRUE(link_.DevicePresent());
  AddRecorder(ui::kTaskWriteDpi, 500, false);
  tasks_.Append(ui::kTaskWriteDpi);
  tasks_.Append(ui::kTaskWriteDpi);
  bus_.SetBattery(0, 64, true);

  for (int turn = 0; turn < 2; ++turn) {
    clock_.Advance(1000);  // the poll's own spacing never holds it back here
    worker_.Run();
    EXPECT_EQ(bus_.PendingInputReports(0, sim::Connection::kCable), 1u);
    EXPECT_TRUE(Inputs().empty());
  }
  EXPECT_EQ(Ran().size(), 2u);
  EXPECT_EQ(tk_.Snapshot(ui::frame::kBattery).battery, -1);

  clock_.Advance(1000);
  worker_.Run();
  EXPECT_EQ(bus_.PendingInputReports(0, sim::Connection::kCable), 0u);
  EXPECT_EQ(tk_.Snapshot(ui::frame::kBattery).battery, 64);
  EXPECT_TRUE(tk_.Snapshot(ui::frame::kBattery).charging);
}

TEST_F(WorkerTest, ATaskAgainstAnEndlesslyBusyMouseEndsAtItsBound) {
  const int mouse = AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  link_.UpdateDeviceList();
  ASSERT_TRUE(link_.DevicePresent());
  bus_.InjectFault(mouse, sim::Connection::kCable, sim::Fault::kBusyForever);
  int reads = 0;
  // Twenty page reads, as a long read sequence would run them.
  table_.Add(ui::kTaskWriteKeyMap, TaskRoutine{[&] {
                                                 for (int i = 0; i < 20; ++i) {
                                                   CommandFrame f =
                                                       device::MakeCommandFrame(0x0A, 0x4F, 0x40);
                                                   comm_.GetFeatureReportRetry(f);
                                                   ++reads;
                                                 }
                                               },
                                               0, false});
  bus_.ClearLog();
  const uint64_t start = clock_.TickCount();
  tasks_.Append(ui::kTaskWriteKeyMap);
  worker_.Run();
  EXPECT_EQ(reads, 20);
  // Unbounded: 20 x 3 attempts of 5 polls = 300 get-feature calls and 15 s.
  EXPECT_LT(clock_.TickCount() - start, 4000u);
  EXPECT_LT(bus_.Log().size(), 100u);
  EXPECT_TRUE(comm_.SequenceUnanswered());

  // A stop cuts the channel off at once: nothing more reaches the mouse.
  bus_.ClearLog();
  worker_.WakeForStop();
  CommandFrame f = device::MakeCommandFrame(0x0A, 0x4F, 0x40);
  EXPECT_EQ(comm_.GetFeatureReportRetry(f), device::kRetryFailed);
  EXPECT_TRUE(bus_.Log().empty());
}

TEST_F(WorkerTest, ToolExitReenumeratesBeforeTheFirstQueuedCode) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  link_.UpdateDeviceList();
  // The update launcher closes the devices and hands the mouse to the tool.
  comm_.CloseDevices();
  ASSERT_FALSE(comm_.IsOpen());
  host_.pid = 4242;

  std::vector<std::string> events;
  host_.waiter.during_wait = [&] { events.push_back("tool running"); };
  host_.on_show = [&] { events.push_back("shown, open=" + std::to_string(comm_.IsOpen())); };
  for (int code : {ui::kTaskWriteKeyMap, ui::kTaskWriteDpi}) {
    table_.Add(code,
               TaskRoutine{[&, code] {
                             events.push_back("task " + std::to_string(code) +
                                              ", open=" + std::to_string(comm_.IsOpen()) +
                                              ", mode=" + std::to_string(comm_.GetConnectMode()));
                           },
                           0, false});
  }
  tasks_.Append(ui::kTaskWriteKeyMap);
  tasks_.Append(ui::kTaskWriteDpi);

  worker_.Run();
  EXPECT_EQ(host_.waiter.waited, std::vector<int32_t>{4242});
  EXPECT_EQ(events,
            std::vector<std::string>({"tool running", "shown, open=0", "task 8, open=1, mode=0"}));
  EXPECT_EQ(host_.pid.load(), 0);
  EXPECT_EQ(tasks_.Size(), 1u);

  worker_.Run();  // the hand-back is done once
  EXPECT_EQ(host_.waiter.waited.size(), 1u);
  EXPECT_EQ(host_.shows.load(), 1);
}

TEST_F(WorkerTest, ToolStartedAgainDuringTheWaitIsNotForgotten) {
  host_.pid = 10;
  host_.waiter.during_wait = [&] {
    if (host_.waiter.waited.size() == 1) host_.pid = 11;
  };
  worker_.Run();
  EXPECT_EQ(host_.pid.load(), 11);
  worker_.Run();
  EXPECT_EQ(host_.waiter.waited, std::vector<int32_t>({10, 11}));
  EXPECT_EQ(host_.pid.load(), 0);
}

TEST_F(WorkerTest, PluggingTheReceiverQueuesOneArrivalAndShowsTheConnection) {
  const int mouse = AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  bus_.Unplug(mouse, sim::Connection::kReceiver);
  EXPECT_TRUE(tasks_.Empty());

  bus_.Plug(mouse, sim::Connection::kReceiver);
  ASSERT_EQ(tasks_.Size(), 1u);
  worker_.Run();
  EXPECT_TRUE(tasks_.Empty());

  const auto sleeps = clock_.Sleeps();
  ASSERT_GE(sleeps.size(), 2u);
  EXPECT_EQ(sleeps[0], 500);
  EXPECT_EQ(sleeps[1], 1000);
  EXPECT_EQ(tk_.GetTitle(ui::frame::kConnection), "T52");
  EXPECT_TRUE(tk_.IsVisible(ui::frame::kTabs));
  EXPECT_TRUE(link_.DeviceConnected());
  EXPECT_EQ(link_.Mode(), 1);
  // The arrival read, then the first read it ends with (not done before).
  EXPECT_EQ(routines_.reads, 2);
  EXPECT_TRUE(ctx_.first_read_done.load());
}

TEST_F(WorkerTest, UnpluggingTheCableQueuesRemovalAndFallsBackToTheReceiver) {
  struct Case {
    bool read_ok;
    int refreshes;
    bool failure_traced;
  };
  for (const Case& c : {Case{true, 1, false}, Case{false, 0, true}}) {
    SCOPED_TRACE(c.read_ok);
    bus_.ClearLog();
    const int mouse = AddMouse(sim::Model::kK7Mouse, sim::Attachment::kBoth);
    link_.UpdateDeviceList();
    ASSERT_EQ(link_.Mode(), 0);
    Drain(tasks_);
    clock_.ClearSleeps();
    ws_.ClearTrace();
    routines_.reads = routines_.page_refreshes = 0;
    routines_.read_ok = c.read_ok;

    bus_.Unplug(mouse, sim::Connection::kCable);
    ASSERT_EQ(tasks_.Size(), 1u);
    worker_.Run();

    const auto sleeps = clock_.Sleeps();
    ASSERT_GE(sleeps.size(), 2u);
    EXPECT_EQ(sleeps[0], 500);
    EXPECT_EQ(sleeps[1], 500);
    EXPECT_EQ(tk_.GetTitle(ui::frame::kConnection), "T52");
    EXPECT_EQ(routines_.reads, 1);
    EXPECT_EQ(routines_.page_refreshes, c.refreshes);
    EXPECT_EQ(Traced("获取鼠标数据异常, 当前模式: 1"), c.failure_traced);
    bus_.Unplug(mouse, sim::Connection::kReceiver);
    Drain(tasks_);
  }
}

TEST_F(WorkerTest, RemovalOfTheLastDeviceReadsNothing) {
  const int mouse = AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  link_.UpdateDeviceList();
  Drain(tasks_);
  bus_.Unplug(mouse, sim::Connection::kCable);
  ASSERT_EQ(tasks_.Size(), 1u);
  worker_.Run();
  EXPECT_EQ(tk_.GetTitle(ui::frame::kConnection), "T50");
  EXPECT_FALSE(link_.DevicePresent());
  EXPECT_EQ(routines_.reads, 0);
}

TEST_F(WorkerTest, FirstReadSucceedsAtMostOnce) {
  tasks_.Append(ui::kTaskFirstRead);
  worker_.Run();
  EXPECT_TRUE(Traced("没有检测到设备"));
  EXPECT_FALSE(ctx_.first_read_done.load());
  EXPECT_EQ(routines_.reads, 0);

  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  routines_.read_ok = false;
  tasks_.Append(ui::kTaskFirstRead);
  worker_.Run();
  EXPECT_TRUE(Traced("获取鼠标数据异常, 当前模式: 0"));
  EXPECT_FALSE(ctx_.first_read_done.load());
  EXPECT_EQ(routines_.page_refreshes, 0);

  routines_.read_ok = true;
  tasks_.Append(ui::kTaskFirstRead);
  worker_.Run();
  EXPECT_TRUE(ctx_.first_read_done.load());
  EXPECT_EQ(routines_.reads, 2);
  EXPECT_EQ(routines_.page_refreshes, 1);
  EXPECT_EQ(tk_.GetTitle(ui::frame::kConnection), "T51");

  bus_.ClearLog();
  tasks_.Append(ui::kTaskFirstRead);
  worker_.Run();
  EXPECT_EQ(routines_.reads, 2);
  EXPECT_EQ(routines_.page_refreshes, 1);
  EXPECT_TRUE(bus_.Log().empty());  // not even the device list is rebuilt
}

TEST_F(WorkerTest, LightingPageFollowsTheModel) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  devtest::RecordingPorts ports;
  ctx_.lighting = &ports;
  const auto lighting_refreshes = [&] {
    return std::count(ports.calls.begin(), ports.calls.end(), "lighting");
  };
  EXPECT_TRUE(app::FirstDeviceRead(ctx_));
  EXPECT_EQ(lighting_refreshes(), 0);
  routines_.lighting = true;
  EXPECT_TRUE(app::ModelReload(ctx_));
  EXPECT_EQ(lighting_refreshes(), 1);
}

TEST_F(WorkerTest, RoutinesWithNothingAroundThemSayItOnceAndStillRead) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  devtest::RecordingPorts ports;
  app::DeviceTaskContext bare{link_, comm_, clock_};
  bare.lighting = &ports;
  EXPECT_TRUE(app::FirstDeviceRead(bare));  // nothing to read counts as read
  EXPECT_TRUE(bare.first_read_done.load());
  EXPECT_TRUE(app::ModelReload(bare));
  EXPECT_TRUE(ports.calls.empty());  // no lighting without a catalogue that says so
  const auto lines = ws_.TraceLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       devtest::Info("Device routines not wired: nothing to do")),
            1);
}

TEST_F(WorkerTest, ModelReloadWithAndWithoutDialog) {
  app::RunTaskWithWaitDialog(tk_, tasks_, ui::kTaskModelReload);
  ASSERT_TRUE(tk_.ModalOpen(ModalKind::kWait));
  worker_.Run();
  EXPECT_FALSE(tk_.ModalOpen(ModalKind::kWait));
  EXPECT_TRUE(Traced("设备状态没有连接!"));
  EXPECT_EQ(clock_.Sleeps().back(), 100);
  EXPECT_EQ(routines_.profile_lists, 1);
  EXPECT_EQ(routines_.reads, 0);

  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  app::AppendModelReload(tasks_);
  EXPECT_EQ(tk_.ModalBegins(ModalKind::kWait), 1);
  worker_.Run();
  EXPECT_EQ(routines_.reads, 1);
  EXPECT_EQ(routines_.page_refreshes, 1);
  EXPECT_EQ(tk_.GetTitle(ui::frame::kConnection), "T51");
}

// --- the real thread ---

bool SpinUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST_F(WorkerTest, ThreadRunsABurstOfTasksInOrderAndStopsInTime) {
  AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  link_.UpdateDeviceList();
  ASSERT_TRUE(link_.DevicePresent());
  const std::vector<int> codes = {ui::kTaskWriteKeyMap, ui::kTaskWriteDpi, ui::kTaskWriteReportRate,
                                  ui::kTaskLighting};
  for (int code : codes) {
    // Every task talks to the mouse, so it contends with the idle poll for the channel.
    table_.Add(code, TaskRoutine{[this, code] {
                                   CommandFrame frame = device::MakeCommandFrame(0x02, 0x4F, 0x80);
                                   const int result = comm_.GetFeatureReportRetry(frame);
                                   std::lock_guard lock(ran_mu_);
                                   ran_.push_back(result == 0 ? code : -code);
                                 },
                                 100, code == ui::kTaskWriteKeyMap});
  }
  std::vector<int> expected;
  for (int i = 0; i < 200; ++i) expected.push_back(codes[static_cast<size_t>(i * 7 % 4)]);

  worker_.StartWorker();
  ASSERT_TRUE(worker_.Running());
  EXPECT_EQ(worker_.Period(), 30);
  std::thread producer([&] {
    for (int code : expected) {
      tasks_.Append(code);
      std::this_thread::yield();
    }
  });
  producer.join();
  ASSERT_TRUE(SpinUntil([&] { return Ran().size() >= expected.size(); }));

  // True only when the done-event came within the stop's own bound; how fast the stop is
  // is measured in bench/worker_bench.cpp.
  EXPECT_TRUE(worker_.StopWorker());
  EXPECT_TRUE(worker_.Done());
  EXPECT_FALSE(worker_.Running());
  EXPECT_EQ(Ran(), expected);
  EXPECT_TRUE(tasks_.Empty());
  const auto sleeps = clock_.Sleeps();
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100), 200);
}

TEST_F(WorkerTest, IdleThreadSleepsOnTheTaskListAndWakesAtOnceForATask) {
  AddRecorder(ui::kTaskWriteKeyMap, 100, true);
  AddRecorder(ui::kTaskWriteDpi, 500, false);
  worker_.StartWorker();
  ASSERT_TRUE(SpinUntil([&] { return worker_.Turns() >= 1; }));
  tasks_.Append(ui::kTaskWriteKeyMap);
  ASSERT_TRUE(SpinUntil([&] { return Ran().size() == 1; }));
  tasks_.Append(ui::kTaskWriteDpi);
  ASSERT_TRUE(SpinUntil([&] { return Ran().size() == 2; }));
  EXPECT_TRUE(worker_.StopWorker());
  EXPECT_EQ(Ran(), (std::vector<int>{ui::kTaskWriteKeyMap, ui::kTaskWriteDpi}));
  // Two task turns and the idle turns between them: an idle worker does not turn every
  // period (with the virtual clock that would be thousands of turns by now).
  EXPECT_LE(worker_.Turns(), 6u);
  // The period paces only the turn after a task, never an idle one.
  const auto sleeps = clock_.Sleeps();
  EXPECT_LE(std::count(sleeps.begin(), sleeps.end(), 30), 2);
  EXPECT_TRUE(bus_.Log().empty());
}

TEST_F(WorkerTest, StopEndsTheIdleWaitAtOnce) {
  worker_.StartWorker();
  ASSERT_TRUE(SpinUntil([&] { return worker_.Turns() >= 1; }));
  // The worker now sleeps on the task list; the stop wakes it within its bound.
  EXPECT_TRUE(worker_.StopWorker());
  EXPECT_TRUE(worker_.Done());
}

TEST_F(WorkerTest, StopEndsAWaitForTheToolWithoutTakingTheMouseBack) {
  host_.pid = 77;
  host_.waiter.block_until_stopped = true;
  AddRecorder(ui::kTaskWriteKeyMap, 100, true);
  tasks_.Append(ui::kTaskWriteKeyMap);
  worker_.StartWorker();
  ASSERT_TRUE(SpinUntil([&] { return host_.waiter.calls.load() > 0; }));
  EXPECT_TRUE(worker_.StopWorker());
  EXPECT_EQ(host_.shows.load(), 0);
  EXPECT_EQ(host_.pid.load(), 77);
  EXPECT_FALSE(comm_.IsOpen());
  // The queued task stays queued: the tool still owns the mouse.
  EXPECT_TRUE(Ran().empty());
  EXPECT_EQ(tasks_.Size(), 1u);

  // A later start waits for the tool again.
  host_.waiter.block_until_stopped = false;
  worker_.StartWorker();
  ASSERT_TRUE(SpinUntil([&] { return !Ran().empty(); }));
  EXPECT_TRUE(worker_.StopWorker());
  EXPECT_EQ(host_.pid.load(), 0);
  EXPECT_EQ(host_.shows.load(), 1);
  EXPECT_TRUE(comm_.IsOpen());
  EXPECT_EQ(Ran(), std::vector<int>{ui::kTaskWriteKeyMap});
}

}  // namespace
