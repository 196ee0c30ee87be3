// The feature-report channel, the screen channel and the long-data hand-shake against the
// virtual mouse, with every pause read from the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "device/driver_comm.h"
#include "device_test_support.h"
#include "sim/virtual_bus.h"

namespace {

using sim::Attachment;
using sim::Connection;
using sim::Fault;
using sim::Model;
using sim::ReportKind;

std::vector<int> Repeat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
std::vector<int> Times(int n, int ms) { return std::vector<int>(static_cast<size_t>(n), ms); }

std::string Hex7(const std::vector<uint8_t>& b, size_t from) {
  char text[40];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X", b[from], b[from + 1],
                b[from + 2], b[from + 3], b[from + 4], b[from + 5], b[from + 6]);
  return text;
}

// One bus with the catalogue's modes registered, a mouse attached and its model selected.
class Rig {
 public:
  explicit Rig(Model model, Attachment attachment, const std::string& config_ini = "")
      : model_(model) {
    if (!config_ini.empty()) ws_.WriteFile("config.ini", config_ini);
    for (Model m : sim::AllModels()) {
      const sim::ModelTraits& s = sim::Traits(m);
      comm_.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
      comm_.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
    }
    mouse_ = bus_.AddMouse(model, attachment);
    comm_.RebuildDeviceList();
    comm_.SetSelectedType(sim::Traits(model).device_type);
    Reset();
  }

  void Reset() {
    clock_.ClearSleeps();
    bus_.ClearLog();
    ws_.ClearTrace();
  }
  void Fault(Connection c, sim::Fault fault, int count) {
    bus_.InjectFault(mouse_, c, fault, count);
  }

  std::vector<sim::ReceivedReport> Reports(ReportKind kind) const {
    std::vector<sim::ReceivedReport> out;
    for (const auto& r : bus_.Log()) {
      if (r.kind == kind) out.push_back(r);
    }
    return out;
  }
  bool Traced(const std::string& line) const {
    const auto lines = ws_.TraceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  int CountTraced(const std::string& line) const {
    const auto lines = ws_.TraceLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  platform::VirtualClock clock_;
  devtest::Workspace ws_{clock_};
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  Model model_;
  int mouse_ = 0;
};

CommandFrame InfoRead() { return device::MakeCommandFrame(0x02, 0x4F, 0x80); }

TEST(Exchange, ResultCodesOfSendAndGet) {
  struct Case {
    const char* name;
    Fault fault;
    int count;
    ReportResult send, get;
    int gets;                     // get-feature calls of one exchange
    int send_sleeps, get_sleeps;  // 30 ms each on the cable
  };
  const Case cases[] = {
      {"answered", Fault::kBusy, 0, 0, 0, 1, 1, 1},
      {"wrong echo on every poll", Fault::kWrongEcho, 5, 8, 8, 5, 10, 5},
      {"busy on every poll", Fault::kBusy, 5, 7, 3, 5, 10, 5},
      {"command failed", Fault::kCommandFailed, 1, 6, 3, 5, 10, 5},
      {"get-feature fails", Fault::kGetFeatureError, 1, 5, 5, 1, 1, 1},
      {"set-feature fails", Fault::kSetFeatureError, 1, 4, 4, 0, 0, 0},
      {"busy twice, then answered", Fault::kBusy, 2, 0, 0, 3, 5, 3},
  };
  for (const Case& c : cases) {
    for (bool get : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (get ? " (get)" : " (send)"));
      Rig rig(Model::kK7Mouse, Attachment::kCable);
      if (c.count > 0) rig.Fault(Connection::kCable, c.fault, c.count);
      hid::Device* device = rig.comm_.GetCommandDevice();
      ASSERT_NE(device, nullptr);
      const CommandFrame request = InfoRead();
      CommandFrame frame = request;
      const ReportResult r = get ? rig.comm_.GetFeatureReport(device, frame)
                                 : rig.comm_.SendFeatureReport(device, frame, true);
      EXPECT_EQ(r, get ? c.get : c.send);
      EXPECT_EQ(rig.Reports(ReportKind::kGetFeature).size(), static_cast<size_t>(c.gets));
      EXPECT_EQ(rig.clock_.Sleeps(), Times(get ? c.get_sleeps : c.send_sleeps, 30));
      if (r == 0) {
        EXPECT_EQ(frame[2], 0);
        EXPECT_NE(frame[6], 0);  // the information block's first byte
      } else {
        EXPECT_EQ(frame, request);
      }
    }
  }
}

TEST(Exchange, TraceLinesOfOneExchange) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  rig.Fault(Connection::kCable, Fault::kBusy, 1);
  const uint8_t rate[] = {0x02};
  CommandFrame frame = device::MakeCommandFrame(0x31, 0x35, 0x01, rate);
  ASSERT_EQ(rig.comm_.SendFeatureReport(rig.comm_.GetCommandDevice(), frame, true), 0);
  const auto answers = rig.Reports(ReportKind::kGetFeature);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(
      rig.ws_.TraceLines(),
      (std::vector<std::string>{
          devtest::Info("DriverComm::SendFeatureReport Buffer[4]: 31 35 01 02 00 00 00"),
          devtest::Error("hid_get_feature_report EC_CMD_RSP_WAIT, Buffer[0]: " +
                         Hex7(answers[0].bytes, 0)),
          devtest::Info("hid_get_feature_report EC_SUCCESS"),
          devtest::Info("DriverComm::SendFeatureReport Buffer[4]: 31 35 01 02 00 00 00, 状态: 0"),
      }));
  // The frame on the wire carries the checksum the channel filled in:
  // 50 + 01 + 31 + 35 + 01 + 02 = BA.
  const auto sent = rig.Reports(ReportKind::kSetFeature);
  ASSERT_EQ(sent.size(), 1u);
  std::vector<uint8_t> expected(64, 0);
  const uint8_t head[] = {0x03, 0xBA, 0x50, 0x01, 0x31, 0x35, 0x01, 0x02};
  std::copy(std::begin(head), std::end(head), expected.begin());
  ASSERT_GE(sent[0].bytes.size(), 64u);
  EXPECT_EQ(std::vector<uint8_t>(sent[0].bytes.begin(), sent[0].bytes.begin() + 64), expected);
  EXPECT_EQ(answers[0].bytes[2], 2);
}

TEST(Exchange, GetTracesOnlyTheEchoMismatch) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  rig.Fault(Connection::kCable, Fault::kBusy, 1);
  rig.Fault(Connection::kCable, Fault::kWrongEcho, 1);
  CommandFrame frame = InfoRead();
  ASSERT_EQ(rig.comm_.GetFeatureReport(rig.comm_.GetCommandDevice(), frame), 0);
  const auto answers = rig.Reports(ReportKind::kGetFeature);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(
      rig.ws_.TraceLines(),
      (std::vector<std::string>{
          devtest::Info("DriverComm::GetFeatureReport Buffer[4]: 02 4F 80 00 00 00 00"),
          devtest::Error("hid_get_feature_report EC_OTA_RSP_FAIL, Buffer[0]: " +
                         Hex7(answers[1].bytes, 0)),
          devtest::Info("hid_get_feature_report EC_SUCCESS"),
          devtest::Info("DriverComm::GetFeatureReport Buffer[4]: 02 4F 80 00 00 00 00, 状态: 0"),
      }));
}

TEST(Retry, WrongEchoIsRetriedThreeTimes) {
  for (bool get : {false, true}) {
    SCOPED_TRACE(get ? "get" : "send");
    Rig rig(Model::kK7Mouse, Attachment::kCable);
    rig.Fault(Connection::kCable, Fault::kWrongEcho, 15);
    const CommandFrame request = InfoRead();
    CommandFrame frame = request;
    frame[64] = 0x5A;  // carried along, restored between attempts
    const ReportResult r = get ? rig.comm_.GetFeatureReportRetry(frame)
                               : rig.comm_.SendFeatureReportRetry(frame, true);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(rig.Reports(ReportKind::kSetFeature).size(), 3u);
    EXPECT_EQ(rig.Reports(ReportKind::kGetFeature).size(), 15u);
    const std::vector<int> attempt = Repeat({Times(get ? 5 : 10, 30), {100}});
    EXPECT_EQ(rig.clock_.Sleeps(), Repeat({attempt, attempt, attempt}));
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(
          rig.Traced(devtest::Error("DriverComm::GetFeatureReport: Retry " + std::to_string(i))));
    }
    EXPECT_EQ(frame[64], 0x5A);
    frame[64] = request[64];
    EXPECT_EQ(frame, request);
  }
}

TEST(Retry, SecondAttemptSucceeds) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  rig.Fault(Connection::kCable, Fault::kGetFeatureError, 1);
  CommandFrame frame = InfoRead();
  EXPECT_EQ(rig.comm_.GetFeatureReportRetry(frame), 0);
  EXPECT_EQ(rig.clock_.Sleeps(), (std::vector<int>{30, 100, 30}));
  EXPECT_EQ(rig.CountTraced(devtest::Error("DriverComm::GetFeatureReport: Retry 0")), 1);
  EXPECT_FALSE(rig.Traced(devtest::Error("DriverComm::GetFeatureReport: Retry 1")));
}

TEST(Retry, ClosedChannelAndMissingDevice) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  CommandFrame frame = InfoRead();
  rig.comm_.SetOpen(false);
  EXPECT_EQ(rig.comm_.SendFeatureReportRetry(frame, true), 1);
  EXPECT_EQ(rig.comm_.GetFeatureReportRetry(frame), 1);
  rig.comm_.SetOpen(true);
  rig.comm_.SetSelectedType(sim::Traits(Model::kK9Air).device_type);  // not attached
  EXPECT_EQ(rig.comm_.SendFeatureReportRetry(frame, true), 2);
  EXPECT_EQ(rig.comm_.GetFeatureReportRetry(frame), 2);
  EXPECT_TRUE(rig.bus_.Log().empty());
  EXPECT_TRUE(rig.clock_.Sleeps().empty());
}

TEST(Retry, WithoutWaitingReturnsAtOnceAndLeavesTheFrame) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  const uint8_t rate[] = {0x01};
  const CommandFrame request = device::MakeCommandFrame(0x31, 0x35, 0x01, rate);
  CommandFrame frame = request;
  EXPECT_EQ(rig.comm_.SendFeatureReportRetry(frame, false), 0);
  EXPECT_EQ(frame, request);
  EXPECT_TRUE(rig.clock_.Sleeps().empty());
  EXPECT_TRUE(rig.Reports(ReportKind::kGetFeature).empty());
  EXPECT_EQ(rig.Reports(ReportKind::kSetFeature).size(), 1u);
}

TEST(Channel, PollDelayFollowsTheConnection) {
  const struct {
    Attachment attachment;
    int poll;
  } cases[] = {{Attachment::kCable, 30}, {Attachment::kReceiver, 50}, {Attachment::kBoth, 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.poll);
    Rig rig(Model::kK7Mouse, c.attachment);
    rig.Fault(c.attachment == Attachment::kReceiver ? Connection::kReceiver : Connection::kCable,
              Fault::kBusy, 2);
    const uint8_t rate[] = {0x01};
    CommandFrame frame = device::MakeCommandFrame(0x31, 0x35, 0x01, rate);
    EXPECT_EQ(rig.comm_.SendFeatureReportRetry(frame, true), 0);
    EXPECT_EQ(rig.clock_.Sleeps(), Times(5, c.poll));
    EXPECT_EQ(rig.comm_.IsWireless(), c.poll == 50);
  }
}

TEST(Channel, CableWinsAndTheReceiverIsNotQueried) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  sim::VirtualBus bus(clock);
  DriverComm comm(bus, clock);
  const sim::ModelTraits& s = sim::Traits(Model::kK7Mouse);
  comm.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
  comm.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
  bus.AddMouse(Model::kK7Mouse, Attachment::kBoth);
  comm.RebuildDeviceList();
  comm.SetSelectedType(s.device_type);
  EXPECT_EQ(comm.GetConnectMode(), 0);
  ASSERT_NE(comm.GetCommandDevice(), nullptr);
  EXPECT_FALSE(comm.IsWireless());
  EXPECT_EQ(comm.GetCommandEntry()->pid, s.cable_pid);
  const auto lines = ws.TraceLines();
  EXPECT_EQ(std::find(lines.begin(), lines.end(), devtest::Info("判断2.4G设备是否在线")),
            lines.end());
  for (const auto& r : bus.Log()) EXPECT_EQ(r.interface.find("3A10"), std::string::npos);
}

TEST(Screen, PauseFromConfigIniAndChecksum) {
  const struct {
    const char* ini;
    std::vector<int> sleeps;
  } cases[] = {{"", {}}, {"[DELAY]\nTIME=7\n", {7}}, {"[OTHER]\nTIME=7\n", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    Rig rig(Model::kK7Mouse, Attachment::kReceiver, c.ini);
    ScreenFrame frame{};
    frame[0] = 0x09;
    frame[1] = 0x50;
    frame[3] = 0x3A;
    frame[4] = 0xB1;
    frame[5] = 0x12;
    EXPECT_EQ(rig.comm_.GetFeatureTFTReport(frame), 0);
    EXPECT_EQ(rig.clock_.Sleeps(), c.sleeps);
    const auto out = rig.Reports(ReportKind::kOutput);
    ASSERT_EQ(out.size(), 1u);
    ASSERT_GE(out[0].bytes.size(), 64u);
    // 3A + B1 + 12 = FD, over bytes 3..63
    std::vector<uint8_t> expected(64, 0);
    const uint8_t head[] = {0x09, 0x50, 0xFD, 0x3A, 0xB1, 0x12};
    std::copy(std::begin(head), std::end(head), expected.begin());
    EXPECT_EQ(std::vector<uint8_t>(out[0].bytes.begin(), out[0].bytes.begin() + 64), expected);
  }
}

TEST(Screen, FailedWritesAreRetriedAndMissingScreenIsReported) {
  {
    Rig rig(Model::kK7Mouse, Attachment::kReceiver);
    rig.Fault(Connection::kReceiver, Fault::kWriteError, 3);
    ScreenFrame frame{};
    frame[0] = 0x09;
    EXPECT_EQ(rig.comm_.GetFeatureTFTReport(frame), 1);
    EXPECT_EQ(rig.clock_.Sleeps(), (std::vector<int>{100, 100, 100}));
    EXPECT_TRUE(rig.Traced(devtest::Error("DriverComm::GetFeatureTFTReport: Retry 2")));
    EXPECT_TRUE(rig.Traced(
        devtest::Info("DriverComm::SendFeatureReport Buffer[4]: 00 00 00 00 00 00 00, 状态: 4")));
  }
  {
    Rig rig(Model::kK7Mouse, Attachment::kCable);  // no screen on the cable
    ScreenFrame frame{};
    EXPECT_EQ(rig.comm_.GetFeatureTFTReport(frame), 2);
    rig.comm_.SetOpen(false);
    EXPECT_EQ(rig.comm_.GetFeatureTFTReport(frame), 1);
  }
}

TEST(BigData, HandshakeFramesAndConfirmations) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  ASSERT_TRUE(rig.comm_.OpenBigDataMode(0x0123));
  const auto sent = rig.Reports(ReportKind::kSetFeature);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].bytes[6], 0x44);
  EXPECT_EQ(sent[1].bytes[6], 0x57);
  EXPECT_EQ(sent[1].bytes[11], 0x23);
  EXPECT_EQ(sent[1].bytes[12], 0x01);
  EXPECT_EQ(rig.clock_.Sleeps(), (std::vector<int>{50, 50, 50}));
  const auto lines = rig.ws_.TraceLines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], devtest::Info("2.4G命令鼠标收发大数据"));
  EXPECT_EQ(lines[5].rfind(devtest::Info("2.4G命令鼠标收发大数据 44 成功 Get,Buffer[0]: 03 "), 0),
            0u);
  EXPECT_EQ(lines[6].rfind(devtest::Info("2.4G命令鼠标收发大数据 57 成功 Get,Buffer[0]: 03 "), 0),
            0u);
  EXPECT_EQ(lines[7], devtest::Info("2.4G命令鼠标收发大数据启动"));
}

TEST(BigData, UnconfirmedHandshakeStillSucceeds) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  rig.Fault(Connection::kReceiver, Fault::kGetFeatureError, 60);
  EXPECT_TRUE(rig.comm_.OpenBigDataMode(16));
  EXPECT_EQ(rig.clock_.Sleeps(), Repeat({{50, 50}, Times(30, 50), {50}, Times(30, 50)}));
  EXPECT_EQ(rig.Reports(ReportKind::kGetFeature).size(), 60u);
  EXPECT_EQ(rig.CountTraced(
                devtest::Info("2.4G命令鼠标收发大数据 44 Get,Buffer[0]: 03 00 65 3A 00 01 44")),
            30);
  EXPECT_EQ(rig.CountTraced(
                devtest::Info("2.4G命令鼠标收发大数据 57 Get,Buffer[0]: 03 00 65 3A 01 01 57")),
            30);
  EXPECT_TRUE(rig.Traced(devtest::Info("2.4G命令鼠标收发大数据启动")));
}

TEST(BigData, FailedSendOrNoDeviceGivesFalse) {
  {
    Rig rig(Model::kK7Mouse, Attachment::kReceiver);
    rig.Fault(Connection::kReceiver, Fault::kSetFeatureError, 1);
    EXPECT_FALSE(rig.comm_.OpenBigDataMode(16));
    EXPECT_TRUE(rig.Traced(devtest::Error("2.4G命令鼠标收发大数据, 44命令, 4")));
    // The failed 0x44 frame is the only one: no size frame, no confirmation polls.
    EXPECT_EQ(rig.Reports(ReportKind::kSetFeature).size(), 1u);
    EXPECT_TRUE(rig.Reports(ReportKind::kGetFeature).empty());
  }
  {
    Rig rig(Model::kK7Mouse, Attachment::kReceiver);
    rig.comm_.SetSelectedType(0);
    EXPECT_FALSE(rig.comm_.OpenBigDataMode(16));
    EXPECT_TRUE(rig.Traced(devtest::Error("2.4G命令鼠标收发大数据, 设备为空")));
    EXPECT_TRUE(rig.clock_.Sleeps().empty());
  }
}

TEST(Devices, IdsVersionAndScreenReceiver) {
  struct Case {
    Model model;
    Attachment attachment;
    int pid, version;
    bool screen;
    size_t entries;
  };
  const Case cases[] = {
      {Model::kK7Mouse, Attachment::kCable, 0x3A01, 0x0115, false, 2},
      {Model::kK7Mouse, Attachment::kReceiver, 0x3A10, 0x0102, true, 3},
      {Model::kK7Mouse, Attachment::kBoth, 0x3A01, 0x0115, true, 5},
      {Model::kK9Air, Attachment::kReceiver, 0x3A11, 0x0101, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pid);
    Rig rig(c.model, c.attachment);
    EXPECT_EQ(rig.comm_.GetCurrentIds(), std::make_pair(0x7A5D, c.pid));
    EXPECT_EQ(rig.comm_.GetDeviceVersion(), c.version);
    EXPECT_EQ(rig.comm_.HasScreenReceiver(), c.screen);
    EXPECT_EQ(rig.comm_.EntryCount(), c.entries);
    EXPECT_EQ(rig.bus_.OpenDeviceCount(), static_cast<int>(c.entries));
    rig.comm_.SetSelectedType(999);
    EXPECT_EQ(rig.comm_.GetCurrentIds(), std::make_pair(0, 0));
    EXPECT_EQ(rig.comm_.GetDeviceVersion(), 0);
  }
}

TEST(Devices, CloseDevicesReleasesEveryHandle) {
  Rig rig(Model::kK7Mouse, Attachment::kBoth);
  ASSERT_GT(rig.bus_.OpenDeviceCount(), 0);
  rig.comm_.CloseDevices();
  EXPECT_FALSE(rig.comm_.IsOpen());
  EXPECT_EQ(rig.bus_.OpenDeviceCount(), 0);
  EXPECT_EQ(rig.comm_.GetCommandDevice(), nullptr);
  EXPECT_EQ(rig.comm_.GetConnectMode(), -1);
  // Enumerating twice without closing does not open anything twice.
  rig.comm_.EnumerateDevice();
  rig.comm_.EnumerateDevice();
  EXPECT_EQ(rig.bus_.OpenDeviceCount(), 5);
}

TEST(Devices, ReceiverMouseSwitchedOffStaysOffline) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  rig.bus_.SetWirelessLink(rig.mouse_, false);
  rig.comm_.RebuildDeviceList();
  EXPECT_EQ(rig.comm_.GetConnectMode(), -1);
  EXPECT_EQ(rig.comm_.GetCommandDevice(), nullptr);
  rig.bus_.SetWirelessLink(rig.mouse_, true);
  rig.comm_.RebuildDeviceList();
  EXPECT_EQ(rig.comm_.GetConnectMode(), 1);
  ASSERT_NE(rig.comm_.GetCommandDevice(), nullptr);
  EXPECT_TRUE(rig.comm_.IsWirelessOnline(nullptr));
  EXPECT_EQ(rig.comm_.GetCommandEntry()->dev_id_text, "7A5D3A100101");
}

// The online query tells a busy mouse (there, not answering) from an offline one (the receiver
// says it is not linked, or cannot itself be reached), with the one exchange it always made.
TEST(Devices, OnlineQueryTellsBusyFromOffline) {
  using device::WirelessLink;
  struct Case {
    const char* name;
    bool linked;
    bool inject;
    sim::Fault fault;
    int count;
    WirelessLink want;
    bool unanswered;
    size_t polls;  // get-feature calls of the one exchange
  };
  const Case cases[] = {
      {"linked", true, false, Fault::kBusy, 0, WirelessLink::kOnline, false, 1},
      {"not linked", false, false, Fault::kBusy, 0, WirelessLink::kOffline, false, 1},
      {"busy for ever", true, true, Fault::kBusyForever, 1, WirelessLink::kNoAnswer, true, 5},
      {"busy at every poll", true, true, Fault::kBusy, 5, WirelessLink::kNoAnswer, true, 5},
      {"busy, then linked", true, true, Fault::kBusy, 2, WirelessLink::kOnline, false, 3},
      {"get-feature fails", true, true, Fault::kGetFeatureError, 1, WirelessLink::kOffline, false,
       1},
      {"set-feature fails", true, true, Fault::kSetFeatureError, 1, WirelessLink::kOffline, false,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(Model::kK7Mouse, Attachment::kReceiver);
    ASSERT_NE(rig.comm_.GetCommandDevice(), nullptr);
    // Switched off after the enumeration: the entry is still listed, the receiver says no.
    if (!c.linked) rig.bus_.SetWirelessLink(rig.mouse_, false);
    if (c.inject) rig.Fault(Connection::kReceiver, c.fault, c.count);
    rig.comm_.BeginSequence();
    rig.Reset();
    EXPECT_EQ(rig.comm_.QueryWirelessLink(nullptr), c.want);
    EXPECT_EQ(rig.comm_.SequenceUnanswered(), c.unanswered);
    EXPECT_EQ(rig.Reports(ReportKind::kSetFeature).size(), 1u);
    EXPECT_EQ(rig.Reports(ReportKind::kGetFeature).size(), c.polls);
    rig.comm_.EndSequence();
  }
}

TEST(Devices, OnlineQueryPastTheBoundOrStoppedAsksNothing) {
  Rig rig(Model::kK7Mouse, Attachment::kReceiver);
  rig.comm_.BeginSequence(100);
  rig.clock_.Advance(100);
  EXPECT_EQ(rig.comm_.QueryWirelessLink(nullptr), device::WirelessLink::kNoAnswer);
  EXPECT_TRUE(rig.comm_.SequenceUnanswered());
  rig.comm_.EndSequence();
  rig.comm_.RequestStop();
  EXPECT_EQ(rig.comm_.QueryWirelessLink(nullptr), device::WirelessLink::kNoAnswer);
  EXPECT_TRUE(rig.bus_.Log().empty());
}

}  // namespace

namespace {

// The mouse answers only its last request, so an exchange must own the device from its
// set-feature to its last get-feature, and the list must not be rebuilt under it.
TEST(Concurrency, ExchangesAndRebuildsDoNotInterleave) {
  Rig rig(Model::kK7Mouse, Attachment::kCable);
  std::atomic<int> failures{0};
  auto writer = [&](uint8_t command, uint8_t address, size_t length) {
    const uint8_t data[] = {0x01, 0x02, 0x03};
    for (int i = 0; i < 40; ++i) {
      CommandFrame frame =
          device::MakeCommandFrame(command, 0x35, address, std::span(data, length));
      if (rig.comm_.SendFeatureReportRetry(frame, true) != 0) ++failures;
    }
  };
  std::thread a(writer, 0x31, 0x01, 1);  // report rate
  std::thread b(writer, 0x32, 0x03, 3);  // lift-off and sensor
  std::thread rebuild([&] {
    for (int i = 0; i < 10; ++i) rig.comm_.RebuildDeviceList();
  });
  a.join();
  b.join();
  rebuild.join();
  EXPECT_EQ(failures.load(), 0);
  // Every answer echoes the request sent just before it on the same interface.
  uint8_t last_command = 0;
  for (const auto& r : rig.bus_.Log()) {
    if (r.interface.find("command") == std::string::npos) continue;
    if (r.kind == ReportKind::kSetFeature) last_command = r.bytes[4];
    if (r.kind == ReportKind::kGetFeature) {
      ASSERT_GT(r.bytes.size(), 4u);
      EXPECT_EQ(r.bytes[4], last_command);
    }
  }
}

}  // namespace
