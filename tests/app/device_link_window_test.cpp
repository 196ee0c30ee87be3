// The window side of the device link on the headless toolkit: the connection states of the
// device-list rebuild, plug events, status notifications and the device-status message.
#include "app/device_link_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/device_test_support.h"
#include "ui/headless/headless_toolkit.h"

namespace {

using app::DeviceLinkWindow;
using device::DeviceChange;
using devtest::FakeBus;
using devtest::FakeInterface;
using devtest::Interface;

constexpr uint16_t kVid = 0x7A5D;
constexpr uint16_t kCablePid = 0x3A01;
constexpr uint16_t kReceiverPid = 0x3A10;

struct RecordingHost : app::DeviceWindowHost {
  int ReadDeviceType() override { return remembered; }
  void WriteDeviceType(int type) override { written.push_back(type); }
  void LoadModelDescription(int type) override { loaded.push_back(type); }
  void StopMacroRecording() override { ++recording_stops; }
  void AppendTask(int code) override { tasks.push_back(code); }
  void RunDeviceArrival() override { ++arrivals; }
  int CurrentDpiLevel() override { return dpi_level; }
  void DpiLevelChanged(int level) override {
    dpi_level = level;
    dpi_changes.push_back(level);
  }

  int remembered = 101;
  std::vector<int> written, loaded, tasks, dpi_changes;
  int recording_stops = 0, arrivals = 0, dpi_level = 0;
};

// A mouse's command interface: the online query answers `online`, information reads give a
// valid block with the device id `id`.
std::function<int(uint8_t*, size_t)> MouseAnswer(bool online, const char* id) {
  return [online, id](uint8_t* b, size_t length) {
    const uint8_t command = b[4];
    const uint8_t address = b[6];
    std::memset(b + 5, 0, length - 5);
    b[2] = 0;
    if (command == 0x01) b[6] = online ? 1 : 0;
    if (command == 0x02 && address == 0x80) {
      b[6] = 1;
      b[7] = 1;
      for (int i = 0; i < 6; ++i) {
        unsigned v = 0;
        std::sscanf(id + 2 * i, "%2x", &v);
        b[8 + i] = static_cast<uint8_t>(v);
      }
    }
    return static_cast<int>(length);
  };
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    ws_.WriteLanguageTexts({50, 51, 52, 581, 582, 583, 584});
    comm_.RegisterMode(kVid, kCablePid, "7A5D3A010101", 101, 0);
    comm_.RegisterMode(kVid, kReceiverPid, "7A5D3A100101", 101, 1);
    comm_.RegisterMode(kVid, 0x3A02, "7A5D3A020102", 102, 0);
    comm_.RegisterMode(kVid, kReceiverPid, "7A5D3A100102", 102, 1);
    list_.AddDevice("K7 Mouse", 101, "device/k7.png");
    list_.AddDevice("K7 Pro", 102, "device/k7pro.png");
  }

  void AddCable(uint16_t pid = kCablePid, const char* id = "7A5D3A010101") {
    const std::string base = "/dev/hidraw-c" + std::to_string(pid);
    bus_.Add(Interface(base + "-cmd", kVid, pid, 0xFF00, 1, 0, 0x0115), MouseAnswer(true, id));
    notify_cable_ = bus_.Add(Interface(base + "-ntf", kVid, pid, 0x0001, 0));
  }
  void AddReceiver(bool online, const char* id = "7A5D3A100101") {
    bus_.Add(Interface("/dev/hidraw-r-cmd", kVid, kReceiverPid, 0xFF00, 1, 0, 0x0102),
             MouseAnswer(online, id));
    notify_receiver_ = bus_.Add(Interface("/dev/hidraw-r-ntf", kVid, kReceiverPid, 1, 0));
  }

  platform::VirtualClock clock_;
  devtest::Workspace ws_{clock_};
  FakeBus bus_;
  DriverComm comm_{bus_, clock_};
  ui::HeadlessToolkit tk_;
  app::DeviceListControl list_{tk_};
  RecordingHost host_;
  DeviceLinkWindow win_{comm_, tk_, list_, host_};
  int notify_cable_ = -1, notify_receiver_ = -1;
};

TEST_F(WindowTest, UpdateDeviceListShowsTheConnectionState) {
  struct Case {
    const char* name;
    bool cable, receiver, receiver_online;
    std::string title;
    bool tabs, hint, list;
    int mode;
    bool present, connected;
    std::string trace;
  };
  const Case cases[] = {
      {"nothing", false, false, false, "T50", false, true, false, 0, false, false,
       "UpdateDeviceList, 无设备隐藏"},
      {"cable", true, false, false, "T51", true, false, true, 0, true, true,
       "UpdateDeviceList, USB 显示: 当前模式: 0"},
      {"receiver", false, true, true, "T52", true, false, true, 1, true, true,
       "UpdateDeviceList, 2.4G 显示: 当前模式: 1"},
      {"receiver, mouse off", false, true, false, "T50", false, true, false, 0, true, false,
       "UpdateDeviceList, 隐藏: 当前模式: -1"},
      {"both", true, true, true, "T51", true, false, true, 0, true, true,
       "UpdateDeviceList, USB 显示: 当前模式: 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::VirtualClock clock;
    devtest::Workspace ws(clock);
    ws.WriteLanguageTexts({50, 51, 52});
    FakeBus bus;
    DriverComm comm(bus, clock);
    comm.RegisterMode(kVid, kCablePid, "7A5D3A010101", 101, 0);
    comm.RegisterMode(kVid, kReceiverPid, "7A5D3A100101", 101, 1);
    if (c.cable)
      bus.Add(Interface("c", kVid, kCablePid, 0xFF00, 1), MouseAnswer(true, "7A5D3A010101"));
    if (c.receiver) {
      bus.Add(Interface("r", kVid, kReceiverPid, 0xFF00, 1),
              MouseAnswer(c.receiver_online, "7A5D3A100101"));
    }
    ui::HeadlessToolkit tk;
    app::DeviceListControl list(tk);
    list.AddDevice("K7 Mouse", 101, "");
    RecordingHost host;
    DeviceLinkWindow win(comm, tk, list, host);
    win.UpdateDeviceList();

    EXPECT_EQ(tk.GetTitle(app::kConnectionLabel), c.title);
    EXPECT_EQ(tk.IsVisible(app::kPageTabs), c.tabs);
    EXPECT_EQ(tk.IsVisible(app::kConnectHint), c.hint);
    EXPECT_EQ(tk.IsVisible(app::DeviceListControl::kControlId), c.list);
    EXPECT_EQ(tk.IsVisible(app::kPlaceholderPicture), !c.list);
    EXPECT_EQ(tk.Snapshot(app::kPageTabs).tab_selected, c.tabs ? 1 : 0);
    EXPECT_EQ(win.Mode(), c.mode);
    EXPECT_EQ(win.DevicePresent(), c.present);
    EXPECT_EQ(win.DeviceConnected(), c.connected);
    EXPECT_EQ(host.recording_stops, c.present ? 0 : 1);
    EXPECT_EQ(host.loaded, std::vector<int>{101});
    EXPECT_TRUE(comm.IsOpen());
    const auto lines = ws.TraceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), devtest::Info(c.trace)), lines.end());
    const auto items = list.Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].mode, c.cable ? 0 : (c.receiver && c.receiver_online ? 1 : -1));
  }
}

// Texts with the placeholders of the shipped ones, so the test sees what is filled in.
constexpr char kRefusalTexts[] =
    "[LAN]\n50=Not Connected\n52=Receiver\n54=Connect it\n2101=No Permission\n"
    "2102=%1 denied; run:\n2103=In Use\n2104=%1 busy; see:\n2105=Cannot Open\n"
    "2106=%1 failed (%2).\n";

TEST_F(WindowTest, RefusedMouseIsExplainedOnTheFirstTabUntilItOpens) {
  ws_.WriteFile("language/1033.lan", kRefusalTexts);
  ws_.WriteFile("language/2052.lan", kRefusalTexts);
  AddReceiver(true);
  struct Case {
    int error;
    std::string label, hint_start, trace_reason;
  };
  const Case cases[] = {
      {EACCES, "No Permission", "K7 Mouse denied; run:\n", "Permission denied"},
      {EBUSY, "In Use", "K7 Mouse busy; see:\nfuser -v /dev/hidraw-r-cmd",
       "Device or resource busy"},
      {EIO, "Cannot Open", "K7 Mouse failed (Input/output error).", "Input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    bus_.Refuse("/dev/hidraw-r-cmd", c.error);
    bus_.Refuse("/dev/hidraw-r-ntf", c.error);
    ws_.ClearTrace();
    win_.UpdateDeviceList();
    EXPECT_EQ(tk_.Snapshot(app::kConnectionLabel).title, c.label);
    EXPECT_EQ(tk_.Snapshot(app::kConnectHint).title.rfind(c.hint_start, 0), 0u)
        << tk_.Snapshot(app::kConnectHint).title;
    EXPECT_TRUE(tk_.Snapshot(app::kConnectHint).visible);
    EXPECT_FALSE(win_.DevicePresent());
    // One line per refused path, with the reason the system gave.
    const auto lines = ws_.TraceLines();
    for (const char* path : {"/dev/hidraw-r-cmd", "/dev/hidraw-r-ntf"}) {
      const std::string line = devtest::Error(std::string("EnumerateDevice: cannot open ") + path +
                                              " (VID: 7A5D, PID: 3A10): " + c.trace_reason);
      EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
    }
  }
  // Allowed again: the next rebuild connects and the ordinary hint is back.
  bus_.Refuse("/dev/hidraw-r-cmd", 0);
  bus_.Refuse("/dev/hidraw-r-ntf", 0);
  win_.UpdateDeviceList();
  EXPECT_EQ(tk_.Snapshot(app::kConnectionLabel).title, "Receiver");
  EXPECT_EQ(tk_.Snapshot(app::kConnectHint).title, "Connect it");
  EXPECT_TRUE(win_.DeviceConnected());
}

TEST_F(WindowTest, RefusalTextsNameTheMouseTheReasonAndTheFix) {
  ws_.WriteFile("language/1033.lan", kRefusalTexts);
  ws_.WriteFile("language/2052.lan", kRefusalTexts);
  struct Case {
    int error;
    bool rule_installed;
    std::string label, hint;
  };
  const Case cases[] = {
      {EACCES, false, "No Permission", "K9 Air denied; run:\n./dev install-udev"},
      {EPERM, false, "No Permission", "K9 Air denied; run:\n./dev install-udev"},
      {EACCES, true, "No Permission",
       "K9 Air denied; run:\nsudo udevadm trigger --action=add --subsystem-match=hidraw"},
      {EBUSY, true, "In Use", "K9 Air busy; see:\nfuser -v /dev/hidraw7"},
      {ENODEV, false, "Cannot Open", "K9 Air failed (No such device)."},
      {0, false, "Cannot Open", "K9 Air failed (reason unknown)."},
  };
  for (const Case& c : cases) {
    RefusedInterface refused{"/dev/hidraw7", kVid, 0x3A03, 201, 0, c.error};
    const app::RefusalTexts texts = app::DescribeRefusal(refused, "K9 Air", c.rule_installed);
    EXPECT_EQ(texts.label, c.label) << c.error;
    EXPECT_EQ(texts.hint, c.hint) << c.error;
  }
}

TEST_F(WindowTest, RememberedModelAbsentTheListChoosesAndItIsStored) {
  host_.remembered = 999;
  AddCable(0x3A02, "7A5D3A020102");
  win_.UpdateDeviceList();
  EXPECT_EQ(host_.written, std::vector<int>{102});
  EXPECT_EQ(comm_.SelectedType(), 102);
  EXPECT_EQ(comm_.GetConnectMode(), 0);
  const auto items = list_.Items();
  EXPECT_EQ(items[0].mode, -1);
  EXPECT_EQ(items[1].mode, 0);
  EXPECT_EQ(items[1].version, "115");
}

// With no model in the list the control has nothing to choose: the remembered model is kept
// rather than overwritten with 0.
TEST_F(WindowTest, EmptyModelListKeepsTheRememberedModel) {
  ui::HeadlessToolkit tk;
  app::DeviceListControl empty(tk);
  DeviceLinkWindow win(comm_, tk, empty, host_);
  AddCable();
  win.UpdateDeviceList();
  EXPECT_EQ(host_.written, std::vector<int>{101});
  EXPECT_EQ(comm_.SelectedType(), 101);
  EXPECT_EQ(comm_.GetConnectMode(), 0);
}

TEST_F(WindowTest, ReceiverModelIsTakenFromTheDeviceId) {
  // One receiver serves both models; the id behind it says K7 Pro.
  host_.remembered = 102;
  AddReceiver(true, "7A5D3A100102");
  win_.UpdateDeviceList();
  EXPECT_EQ(comm_.SelectedType(), 102);
  EXPECT_EQ(comm_.GetConnectMode(), 1);
  EXPECT_EQ(win_.Mode(), 1);
  EXPECT_EQ(list_.Items()[1].mode, 1);
  const auto lines = ws_.TraceLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), devtest::Info("GetDeviceInfo 7A5D3A100102")),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), devtest::Info("GetDeviceInfo dev_type: 102")),
            lines.end());
}

TEST_F(WindowTest, UnknownIdBehindTheReceiverStaysOffline) {
  AddReceiver(true, "0102030405FF");
  win_.UpdateDeviceList();
  EXPECT_EQ(comm_.GetConnectMode(), -1);
  const auto lines = ws_.TraceLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), devtest::Info("GetDeviceInfo IsProduct 0")),
            lines.end());
}

TEST_F(WindowTest, PlugEventsAppendOneTaskForTheRightInterface) {
  AddCable();
  const int odd = bus_.Add(Interface("/dev/hidraw9", kVid, 0x0ABC, 0xFF00, 1));
  (void)odd;
  comm_.RegisterMode(kVid, 0x0ABC, "", 103, 0);
  win_.UpdateDeviceList();
  ASSERT_TRUE(win_.DevicePresent());

  struct Case {
    const char* what;
    int event;
    std::string name, path;
    std::vector<int> tasks;
  };
  const std::string cmd = "/dev/hidraw-c14849-cmd";  // 0x3A01
  const std::string ntf = "/dev/hidraw-c14849-ntf";
  const Case cases[] = {
      {"arrival, command interface",
       device::kDeviceArrival,
       device::DeviceInterfaceName(kVid, kCablePid, 2, cmd),
       cmd,
       {2}},
      {"arrival, notification interface",
       device::kDeviceArrival,
       device::DeviceInterfaceName(kVid, kCablePid, 1, ntf),
       ntf,
       {}},
      {"arrival, lower-case name, pid 0ABC",
       device::kDeviceArrival,
       "\\\\?\\hid#vid_7a5d&pid_0abc&mi_02#x",
       "/dev/hidraw9",
       {2}},
      {"arrival, unknown device",
       device::kDeviceArrival,
       device::DeviceInterfaceName(0x1111, 0x2222, 2, cmd),
       cmd,
       {}},
      {"removal of interface 2",
       device::kDeviceRemoveComplete,
       device::DeviceInterfaceName(kVid, kCablePid, 2, cmd),
       cmd,
       {3}},
      {"removal of interface 0",
       device::kDeviceRemoveComplete,
       device::DeviceInterfaceName(kVid, kCablePid, 0, cmd),
       cmd,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_.tasks.clear();
    win_.UpdateUSBDevice(DeviceChange{c.event, c.name, c.path});
    EXPECT_EQ(host_.tasks, c.tasks);
  }
  EXPECT_EQ(device::DeviceInterfaceName(kVid, 0x0ABC, 2, "p").find("VID_7A5D&PID_0ABC&MI_02"), 8u);
}

TEST_F(WindowTest, RemovalWithoutPresentDeviceIsIgnored) {
  win_.UpdateDeviceList();  // nothing attached
  ASSERT_FALSE(win_.DevicePresent());
  win_.UpdateUSBDevice(DeviceChange{device::kDeviceRemoveComplete,
                                    device::DeviceInterfaceName(kVid, kCablePid, 2, "x"), "x"});
  EXPECT_TRUE(host_.tasks.empty());
  const auto lines = ws_.TraceLines();
  EXPECT_EQ(lines.back(),
            devtest::Info("UpdateUSBDevice path: \\\\?\\HID#VID_7A5D&PID_3A01&MI_02#X#{4D1E55B2-"
                          "F16F-11CF-88CB-001111000030}"));
}

class NotificationTest : public WindowTest {
 protected:
  NotificationTest() {
    AddReceiver(true);
    win_.UpdateDeviceList();
    ws_.ClearTrace();
  }
  // One poll, far enough from the last one to read.
  void Poll(std::vector<uint8_t> report) {
    bus_.QueueInput(notify_receiver_, std::move(report));
    clock_.Advance(DeviceLinkWindow::kPollSpacingMs);
    win_.PollNotifications();
  }
  bool Traced(const std::string& text) {
    const auto lines = ws_.TraceLines();
    return std::find(lines.begin(), lines.end(), devtest::Info(text)) != lines.end();
  }
};

TEST_F(NotificationTest, BatteryLevelAndCharging) {
  Poll({0x09, 0xFA, 0x05, 0xE4});
  const auto battery = tk_.Snapshot(app::kBatteryControl);
  EXPECT_EQ(battery.battery, 100);
  EXPECT_TRUE(battery.charging);
  EXPECT_TRUE(Traced("mouse notify data: 09 FA 05 E4 00 00"));
  EXPECT_TRUE(Traced("上报当前电量信息: 228"));
  // Through the receiver the second interface is read with the short time-out.
  EXPECT_EQ(bus_.ReadTimeouts(notify_receiver_), std::vector<int>{10});
}

TEST_F(NotificationTest, DpiLevelChangesOnlyWhenItDiffers) {
  host_.dpi_level = 1;
  const struct {
    uint8_t value;
    std::vector<int> changes;
  } cases[] = {{0x02, {}}, {0x03, {2}}, {0x00, {2}}, {0x08, {2}}, {0x01, {2, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.value));
    Poll({0x09, 0xFA, 0x03, c.value});
    EXPECT_EQ(host_.dpi_changes, c.changes);
  }
}

TEST_F(NotificationTest, ReportWithoutMarkerIsTracedAndIgnored) {
  Poll({0x09, 0x00, 0x05, 0xE4});
  EXPECT_TRUE(Traced("mouse notify data: 09 00 05 E4 00 00"));
  EXPECT_EQ(tk_.Snapshot(app::kBatteryControl).battery, -1);
}

TEST_F(NotificationTest, TwoPollsWithin200MsReadOnce) {
  bus_.QueueInput(notify_receiver_, {0x09, 0xFA, 0x05, 0x10});
  bus_.QueueInput(notify_receiver_, {0x09, 0xFA, 0x05, 0x20});
  clock_.Advance(1000);
  win_.PollNotifications();
  clock_.Advance(199);
  win_.PollNotifications();
  EXPECT_EQ(bus_.PendingInputs(notify_receiver_), 1u);
  EXPECT_EQ(tk_.Snapshot(app::kBatteryControl).battery, 0x10);
  clock_.Advance(1);
  win_.PollNotifications();
  EXPECT_EQ(bus_.PendingInputs(notify_receiver_), 0u);
  EXPECT_EQ(tk_.Snapshot(app::kBatteryControl).battery, 0x20);
}

TEST_F(NotificationTest, LinkLostAndRegained) {
  ASSERT_TRUE(win_.DeviceConnected());
  bus_.QueueInput(notify_receiver_, {0x09, 0xFA, 0x02, 0x00});
  bus_.QueueInput(notify_receiver_, {0x09, 0xFA, 0x05, 0x30});  // stale, dropped by the flush
  clock_.Advance(DeviceLinkWindow::kPollSpacingMs);
  win_.PollNotifications();
  EXPECT_FALSE(win_.DeviceConnected());
  // The poll's read, then the flush's one read of the receiver's second interface.
  EXPECT_EQ(bus_.PendingInputs(notify_receiver_), 0u);
  EXPECT_EQ(bus_.ReadTimeouts(notify_receiver_), (std::vector<int>{10, 10}));
  EXPECT_EQ(tk_.Snapshot(app::kBatteryControl).battery, -1);
  EXPECT_EQ(tk_.GetTitle(app::kConnectionLabel), "T50");
  EXPECT_FALSE(tk_.IsVisible(app::kPageTabs));
  EXPECT_TRUE(tk_.IsVisible(app::kConnectHint));
  EXPECT_EQ(list_.Items()[0].mode, -1);
  EXPECT_EQ(host_.recording_stops, 1);
  EXPECT_EQ(host_.arrivals, 0);
  EXPECT_TRUE(Traced("上报dongle和设备的连接状态: 0"));

  Poll({0x09, 0xFA, 0x02, 0x01});
  EXPECT_TRUE(win_.DeviceConnected());
  EXPECT_EQ(win_.Mode(), 1);
  EXPECT_EQ(tk_.GetTitle(app::kConnectionLabel), "T52");
  EXPECT_TRUE(tk_.IsVisible(app::kPageTabs));
  EXPECT_EQ(tk_.Snapshot(app::kPageTabs).tab_selected, 1);
  EXPECT_EQ(list_.Items()[0].mode, 1);
  EXPECT_EQ(host_.arrivals, 1);
}

TEST_F(NotificationTest, ReportRateChangeOnTheMouse) {
  tk_.AddItem(app::kReportRateControl, "1000Hz", 0);
  tk_.AddItem(app::kReportRateControl, "8000Hz", 4);
  tk_.SetCheck(app::kSensorOption3, true);
  Poll({0x09, 0xFA, 0x09, 0x04});
  EXPECT_EQ(tk_.GetCurData(app::kReportRateControl), 4);
  EXPECT_FALSE(tk_.GetCheck(app::kSensorOption3));
  EXPECT_FALSE(tk_.IsEnabled(app::kSensorOption3));
  Poll({0x09, 0xFA, 0x09, 0x00});
  EXPECT_EQ(tk_.GetCurData(app::kReportRateControl), 0);
  EXPECT_TRUE(tk_.IsEnabled(app::kSensorOption3));
}

TEST_F(NotificationTest, ReportWhileDisconnectedShowsTheConnectedState) {
  win_.OnDeviceStatus(ui::kStatusOfflineSilent);
  ASSERT_FALSE(win_.DeviceConnected());
  Poll({0x09, 0xFA, 0x03, 0x01});  // level unchanged
  EXPECT_TRUE(win_.DeviceConnected());
  EXPECT_EQ(tk_.GetTitle(app::kConnectionLabel), "T52");
  EXPECT_EQ(host_.arrivals, 0);
}

TEST_F(WindowTest, DeviceStatusReasons) {
  const struct {
    int reason;
    bool disconnects;
    std::vector<std::pair<std::string, std::string>> boxes;
  } cases[] = {
      {1, true, {{"T581", "T582"}}},    {2, true, {}},  {3, true, {}},
      {100, false, {{"T583", "T584"}}}, {7, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    ui::HeadlessToolkit tk;
    app::DeviceListControl list(tk);
    DeviceLinkWindow win(comm_, tk, list, host_);
    tk.SetTitle(app::kConnectionLabel, "before");
    win.OnDeviceStatus(c.reason);
    EXPECT_EQ(tk.GetTitle(app::kConnectionLabel), c.disconnects ? "T50" : "before");
    EXPECT_EQ(tk.IsVisible(app::kPageTabs), !c.disconnects);
    std::vector<std::pair<std::string, std::string>> boxes;
    for (const auto& m : tk.Messages()) boxes.emplace_back(m.message, m.title);
    EXPECT_EQ(boxes, c.boxes);
  }
}

TEST_F(WindowTest, WriteGuardPostsTheReasonWhenTheMouseIsOff) {
  AddReceiver(false);
  comm_.RebuildDeviceList();
  comm_.SetSelectedType(101);
  // The receiver entry is offline, so there is no command channel at all: the guard stops.
  win_.SetMode(1);
  EXPECT_FALSE(win_.GuardWirelessWrite(ui::kStatusReceiverOffline));
  const auto posted = tk_.PendingMessages();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_DEVICE_STATUS);
  EXPECT_EQ(posted[0].wparam, 1);
  // On a cable the guard does not ask at all.
  win_.SetMode(0);
  EXPECT_TRUE(win_.GuardWirelessWrite(ui::kStatusReceiverOffline));
  EXPECT_EQ(tk_.PendingMessages().size(), 1u);
}

}  // namespace

namespace {

TEST_F(WindowTest, NotificationReadsByConnection) {
  // Cable: its own notification interface, 50 ms. Receiver: every second interface, 10 ms.
  AddCable();
  AddReceiver(true);
  comm_.RebuildDeviceList();
  comm_.SetSelectedType(101);
  bus_.QueueInput(notify_cable_, {0x09, 0xFA, 0x05, 0x20});
  uint8_t report[65] = {};
  EXPECT_EQ(comm_.ReadNotification(report, sizeof report), 1);
  EXPECT_EQ(report[3], 0x20);
  EXPECT_EQ(comm_.ReadNotification(report, sizeof report), 0);
  EXPECT_EQ(bus_.ReadTimeouts(notify_cable_), (std::vector<int>{50, 50}));
  EXPECT_TRUE(bus_.ReadTimeouts(notify_receiver_).empty());

  comm_.SetSelectedType(102);  // nothing of that model attached
  EXPECT_EQ(comm_.ReadNotification(report, sizeof report), 2);
  comm_.SetOpen(false);
  EXPECT_EQ(comm_.ReadNotification(report, sizeof report), 1);
}

}  // namespace
