#include "sim/virtual_bus.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/clock.h"
#include "sim/frames.h"

namespace {

using sim::Connection;
using sim::Fault;
using sim::Interface;
using sim::Model;
using simtest::Command;
using simtest::Exchange;

class VirtualBusTest : public ::testing::Test {
 protected:
  std::unique_ptr<hid::Device> OpenCommand(int mouse, Connection c) {
    return bus_.Open(bus_.InterfacePath(mouse, c, Interface::kCommand));
  }
  std::unique_ptr<hid::Device> OpenNotify(int mouse, Connection c) {
    return bus_.Open(bus_.InterfacePath(mouse, c, Interface::kNotify));
  }

  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
};

TEST_F(VirtualBusTest, EnumeratesTheInterfacesOfEachAttachment) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kBoth);
  bus_.AddMouse(Model::kK9Air, sim::Attachment::kReceiver);
  const auto list = bus_.Enumerate();
  struct Expected {
    uint16_t pid;
    int interface_number;
    uint16_t usage_page, usage;
    int output_length;
  };
  const Expected expected[] = {
      {0x3A01, 0, 0x01, 0x02, 0},    {0x3A01, 1, 0x01, 0x00, 0}, {0x3A01, 2, 0xFF00, 0x01, 0},
      {0x3A10, 0, 0x01, 0x02, 0},    {0x3A10, 1, 0x01, 0x00, 0}, {0x3A10, 2, 0xFF00, 0x01, 0},
      {0x3A10, 3, 0xFF06, 0x01, 64}, {0x3A11, 0, 0x01, 0x02, 0}, {0x3A11, 1, 0x01, 0x00, 0},
      {0x3A11, 2, 0xFF00, 0x01, 0},
  };
  ASSERT_EQ(list.size(), std::size(expected));
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(list[i].path);
    EXPECT_EQ(list[i].vendor_id, 0x7A5D);
    EXPECT_EQ(list[i].product_id, expected[i].pid);
    EXPECT_EQ(list[i].interface_number, expected[i].interface_number);
    EXPECT_EQ(list[i].usage_page, expected[i].usage_page);
    EXPECT_EQ(list[i].usage, expected[i].usage);
    EXPECT_EQ(list[i].output_report_length, expected[i].output_length);
    EXPECT_NE(bus_.Open(list[i].path), nullptr);
  }
  EXPECT_EQ(list[2].path, "sim:VID_7A5D&PID_3A01&MI_02#0");
  EXPECT_EQ(list[0].release, 0x0115);
  EXPECT_EQ(list[3].release, 0x0102);
  EXPECT_EQ(bus_.Open("sim:VID_7A5D&PID_3A01&MI_05#0"), nullptr);
  EXPECT_EQ(bus_.OpenDeviceCount(), 0);
}

// The device id travels in bytes 2..7 of the device information, per attachment.
TEST_F(VirtualBusTest, DeviceInformationCarriesTheIdOfTheAttachment) {
  struct Case {
    Model model;
    Connection connection;
    uint8_t id[6];
  };
  const Case cases[] = {
      {Model::kK7Mouse, Connection::kCable, {0x7A, 0x5D, 0x3A, 0x01, 0x01, 0x01}},
      {Model::kK7Mouse, Connection::kReceiver, {0x7A, 0x5D, 0x3A, 0x10, 0x01, 0x01}},
      {Model::kK7Pro, Connection::kCable, {0x7A, 0x5D, 0x3A, 0x02, 0x01, 0x02}},
      {Model::kK7Pro, Connection::kReceiver, {0x7A, 0x5D, 0x3A, 0x10, 0x01, 0x02}},
      {Model::kK9Air, Connection::kCable, {0x7A, 0x5D, 0x3A, 0x03, 0x02, 0x01}},
      {Model::kK9Air, Connection::kReceiver, {0x7A, 0x5D, 0x3A, 0x11, 0x02, 0x01}},
  };
  for (const Case& c : cases) {
    const int mouse = bus_.AddMouse(c.model, sim::Attachment::kBoth);
    auto device = OpenCommand(mouse, c.connection);
    ASSERT_NE(device, nullptr);
    std::array<uint8_t, 20> block{};
    for (int half = 0; half < 2; ++half) {
      const auto answer = Exchange(*device, Command(0x02, 0x4F, 0x80 + half));
      ASSERT_EQ(answer[2], 0) << "status";
      ASSERT_EQ(answer[4], 0x02) << "echo";
      std::copy_n(answer.begin() + 6, 10, block.begin() + 10 * half);
    }
    EXPECT_NE(block[0], 0);
    EXPECT_NE(block[1], 0);
    EXPECT_TRUE(std::equal(block.begin() + 2, block.begin() + 8, c.id)) << mouse;
    EXPECT_EQ(block[9], c.connection == Connection::kReceiver ? 1 : 0) << "link state";
  }
}

TEST_F(VirtualBusTest, DeviceInformationCarriesBatteryReportMaxAndLevelLimit) {
  bus_.AddMouse(Model::kK7Pro, sim::Attachment::kReceiver);
  bus_.SetBattery(0, 57, true);
  auto device = OpenCommand(0, Connection::kReceiver);
  std::array<uint8_t, 40> info{};
  for (int page = 0; page < 4; ++page) {
    const auto answer = Exchange(*device, Command(0x02, 0x4F, 0x80 + page));
    ASSERT_EQ(answer[2], 0);
    std::copy_n(answer.begin() + 6, 10, info.begin() + 10 * page);
  }
  EXPECT_EQ(info[10], 57 | 0x80);
  EXPECT_EQ(info[12], 7);  // up to 8000 Hz
  EXPECT_EQ(info[14] * 256 + info[15], 6);
  EXPECT_EQ(info, bus_.DeviceInfo(0, Connection::kReceiver));
}

TEST_F(VirtualBusTest, WrongChecksumIsAnsweredWithStatusOneAndNotCarriedOut) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = OpenCommand(0, Connection::kCable);
  const auto before = bus_.SettingsImage(0);
  auto frame = Command(0x31, 0x35, 0x01, {0x33});
  frame[1] ^= 0x01;
  const auto answer = Exchange(*device, frame);
  EXPECT_EQ(answer[2], 1);
  EXPECT_EQ(answer[4], 0x31);
  EXPECT_EQ(bus_.SettingsImage(0), before);
}

// Frames written out byte for byte with the checksum worked by hand (low byte of the sum of
// bytes 2..63), so the mouse's check is held to the wire format rather than to itself.
TEST_F(VirtualBusTest, KnownFramesAreCheckedOverBytesTwoToSixtyThree) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, uint8_t>> bytes;  // offset -> value; the rest are 0
    int status;
  };
  const Case cases[] = {
      // 50+01+31+35+01+44 = FC
      {"report rate",
       {{0, 0x03}, {1, 0xFC}, {2, 0x50}, {3, 0x01}, {4, 0x31}, {5, 0x35}, {6, 0x01}, {7, 0x44}},
       0},
      // 50+06+50+3A+00+36+3F+00+FF = 254: only the low byte travels
      {"dpi level",
       {{0, 0x03},
        {1, 0x54},
        {2, 0x50},
        {3, 0x06},
        {4, 0x50},
        {5, 0x3A},
        {6, 0x00},
        {7, 0x36},
        {8, 0x3F},
        {10, 0xFF}},
       0},
      // FC + 20 in byte 63 = 11C
      {"byte 63 is summed",
       {{0, 0x03},
        {1, 0x1C},
        {2, 0x50},
        {3, 0x01},
        {4, 0x31},
        {5, 0x35},
        {6, 0x01},
        {7, 0x44},
        {63, 0x20}},
       0},
      {"byte 63 left out",
       {{0, 0x03},
        {1, 0xFC},
        {2, 0x50},
        {3, 0x01},
        {4, 0x31},
        {5, 0x35},
        {6, 0x01},
        {7, 0x44},
        {63, 0x20}},
       1},
      // bytes 0 and 1 are not part of the sum
      {"byte 1 summed",
       {{0, 0x03}, {1, 0xFB}, {2, 0x50}, {3, 0x01}, {4, 0x31}, {5, 0x35}, {6, 0x01}, {7, 0x44}},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::VirtualBus bus(clock_);
    bus.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
    auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
    sim::Report frame{};
    for (auto [at, value] : c.bytes) frame[at] = value;
    const auto answer = Exchange(*device, frame);
    EXPECT_EQ(answer[2], c.status);
    EXPECT_EQ(answer[4], frame[4]);
  }
}

TEST_F(VirtualBusTest, AnswersCarryTheirOwnChecksum) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = OpenCommand(0, Connection::kCable);
  ASSERT_EQ(Exchange(*device, Command(0x93, 0x36, 30, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))[2], 0);
  const auto answer = Exchange(*device, Command(0x0D, 0x4F, 0x43));
  // 00 + 0A + 0D + 4F + (1 + ... + 10 = 37) = 9D
  const uint8_t head[] = {0x03, 0x9D, 0x00, 0x0A, 0x0D, 0x4F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), answer.begin()));
  EXPECT_TRUE(std::all_of(answer.begin() + std::size(head), answer.end(),
                          [](uint8_t b) { return b == 0; }));
}

// Each write lands at the image bytes its address names.
TEST_F(VirtualBusTest, SettingsWritesChangeTheirImageBytes) {
  struct Case {
    const char* name;
    sim::Report frame;
    std::vector<std::pair<int, uint8_t>> bytes;  // image offset -> value
  };
  const Case cases[] = {
      // level 2 of 6 active, 3200 DPI (code 0x3F), red
      {"dpi level",
       Command(0x50, 0x3A, 0x00, {0x36, 0x3F, 0x00, 0xFF, 0x00, 0x00}),
       {{2, 0x36}, {15, 0x3F}, {16, 0x00}, {33, 0xFF}, {34, 0x00}, {35, 0x00}}},
      {"dpi level 7 of 8",
       Command(0x50, 0x3A, 0x00, {0x88, 0x10, 0xA4, 0x01, 0x02, 0x03}),
       {{2, 0x88}, {25, 0x10}, {26, 0xA4}, {48, 0x01}, {49, 0x02}, {50, 0x03}}},
      {"report rate", Command(0x31, 0x35, 0x01, {0x44}), {{1, 0x44}}},
      {"sleep", Command(0x31, 0x35, 0x08, {0x14}), {{8, 0x14}}},
      {"lift-off", Command(0x32, 0x35, 0x03, {0x02, 0x08, 0x50}), {{3, 2}, {4, 8}, {5, 0x50}}},
      {"image part 3",
       Command(0x93, 0x36, 30, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
       {{30, 1}, {31, 2}, {32, 3}, {33, 4}, {34, 5}, {35, 6}, {36, 7}, {37, 8}, {38, 9}, {39, 10}}},
      {"image end", Command(0x96, 0x37, 0x32, {0x5A}), {{50, 0x5A}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::VirtualBus bus(clock_);
    bus.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
    auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
    auto expected = bus.SettingsImage(0);
    for (auto [at, value] : c.bytes) expected[at] = value;
    const auto answer = Exchange(*device, c.frame);
    EXPECT_EQ(answer[2], 0);
    EXPECT_EQ(answer[4], c.frame[4]);
    EXPECT_EQ(bus.SettingsImage(0), expected);
  }
}

TEST_F(VirtualBusTest, MalformedWritesAreRefusedAndChangeNothing) {
  const sim::Report frames[] = {
      Command(0x31, 0x35, 0x02, {0x11}),                           // no such address
      Command(0x31, 0x35, 0x01, {0x77}),                           // rate code 7
      Command(0x32, 0x35, 0x03, {0x01, 0x02}),                     // short
      Command(0x50, 0x3A, 0x00, {0x06, 0, 0, 0, 0, 0}),            // level 0 is "none active"
      Command(0x91, 0x36, 0x00, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),  // part 1 at offset 0
      Command(0x0A, 0x4F, 0x41),                                   // read command for another page
      Command(0x20, 0x30, 0x26, {1, 1, 1, 0}),                     // past the key table
      Command(0x0F, 0x06, 0x05),                                   // no section 5
      Command(0x77, 0x00, 0x00),                                   // unknown
  };
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = OpenCommand(0, Connection::kCable);
  const auto state = bus_.State(0);
  for (const auto& f : frames) {
    EXPECT_EQ(Exchange(*device, f)[2], 1) << std::hex << int(f[4]);
  }
  EXPECT_EQ(bus_.SettingsImage(0), state.settings);
  EXPECT_EQ(bus_.KeyTable(0), state.keys);
  EXPECT_TRUE(bus_.State(0).restores.empty());
}

TEST_F(VirtualBusTest, KeyTableReadReturnsWhatTheWritesPutThere) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = OpenCommand(0, Connection::kCable);
  std::array<uint8_t, 24> table;
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(0x30 + i);
  auto part = [&](uint8_t command, uint8_t sub, uint8_t at, size_t n) {
    sim::Report f = Command(command, sub, at);
    f[3] = static_cast<uint8_t>(n);
    std::copy_n(table.begin() + at, n, f.begin() + 7);
    simtest::Reseal(f);
    return f;
  };
  ASSERT_EQ(Exchange(*device, part(0x80, 0x31, 0x00, 10))[2], 0);
  ASSERT_EQ(Exchange(*device, part(0x81, 0x31, 0x0A, 10))[2], 0);
  ASSERT_EQ(Exchange(*device, part(0x82, 0x32, 0x14, 4))[2], 0);
  // Button 7 (offset 0x1C) only through the one-button write.
  ASSERT_EQ(Exchange(*device, Command(0x20, 0x30, 0x1C, {0x81, 0x02, 0x01, 0x00}))[2], 0);

  std::array<uint8_t, 40> read{};
  for (uint8_t page = 0; page < 4; ++page) {
    const auto answer = Exchange(*device, Command(0x05 + page, 0x4F, page));
    ASSERT_EQ(answer[2], 0);
    ASSERT_EQ(answer[4], 0x05 + page);
    std::copy_n(answer.begin() + 6, 10, read.begin() + 10 * page);
  }
  EXPECT_TRUE(std::equal(table.begin(), table.end(), read.begin()));
  EXPECT_EQ(read[28], 0x81);
  EXPECT_EQ(read[29], 0x02);
  EXPECT_EQ(read, bus_.KeyTable(0));
}

TEST_F(VirtualBusTest, DefaultKeyTableFollowsTheButtonCount) {
  const uint8_t six[24] = {1, 1, 1, 0, 1, 2, 1, 0, 1, 3, 1, 0, 1, 5, 1, 0, 1, 4, 1, 0, 5, 4, 0, 0};
  for (Model m : sim::AllModels()) {
    const auto table = sim::DefaultKeyTable(m);
    EXPECT_TRUE(std::equal(std::begin(six), std::end(six), table.begin()));
    const bool has_side_buttons = sim::Traits(m).buttons == 8;
    EXPECT_EQ(table[24] != 0, has_side_buttons);
  }
}

// Restore of one section brings back only that section's defaults.
TEST_F(VirtualBusTest, RestoreSectionsBringBackTheirDefaults) {
  struct Case {
    uint8_t section;
    bool keys, settings, macros;
  };
  const Case cases[] = {{1, true, false, false},
                        {2, false, true, false},
                        {3, false, false, false},
                        {4, false, false, true},
                        {0xFF, true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.section));
    sim::VirtualBus bus(clock_);
    bus.AddMouse(Model::kK7Pro, sim::Attachment::kCable);
    auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
    ASSERT_EQ(Exchange(*device, Command(0x31, 0x35, 0x01, {0x55}))[2], 0);
    ASSERT_EQ(Exchange(*device, Command(0x20, 0x30, 0x00, {2, 0, 4, 0}))[2], 0);
    bus.ModifyState(0, [](sim::MouseState& s) {
      s.macro_memory = {1, 2, 3};
      s.lighting.brightness = 9;
    });
    const auto changed = bus.State(0);
    ASSERT_EQ(Exchange(*device, Command(0x0F, 0x06, c.section))[2], 0);
    const auto after = bus.State(0);
    EXPECT_EQ(after.keys, c.keys ? sim::DefaultKeyTable(Model::kK7Pro) : changed.keys);
    EXPECT_EQ(after.settings,
              c.settings ? sim::DefaultSettingsImage(Model::kK7Pro) : changed.settings);
    EXPECT_EQ(after.macro_memory.empty(), c.macros);
    EXPECT_EQ(after.lighting.brightness, (c.section == 3 || c.section == 0xFF) ? 255 : 9);
    EXPECT_EQ(after.restores.at(c.section), 1);
  }
}

TEST_F(VirtualBusTest, SensorTypeDiffersBetweenModels) {
  EXPECT_EQ(sim::DefaultSettingsImage(Model::kK7Mouse)[0], 1);
  EXPECT_EQ(sim::DefaultSettingsImage(Model::kK7Pro)[0], 2);
  // 400 DPI at level 0 is code 7; level 2 of 6 active.
  const auto image = sim::DefaultSettingsImage(Model::kK7Mouse);
  EXPECT_EQ(image[11], 7);
  EXPECT_EQ(image[2], 0x36);
}

TEST_F(VirtualBusTest, MouseSwitchedOffAnswersOnlyTheOnlineQuery) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto device = OpenCommand(0, Connection::kReceiver);
  auto online = Exchange(*device, Command(0x01, 0x47, 0x00));
  EXPECT_EQ(online[2], 0);
  EXPECT_EQ(online[6], 1);

  bus_.SetWirelessLink(0, false);
  online = Exchange(*device, Command(0x01, 0x47, 0x00));
  EXPECT_EQ(online[2], 0);
  EXPECT_EQ(online[4], 0x01);
  EXPECT_EQ(online[6], 0);
  EXPECT_EQ(Exchange(*device, Command(0x02, 0x4F, 0x80))[2], 1);
  EXPECT_EQ(Exchange(*device, Command(0x31, 0x35, 0x01, {0x11}))[2], 1);
  EXPECT_EQ(bus_.SettingsImage(0)[1], sim::DefaultSettingsImage(Model::kK7Mouse)[1]);

  bus_.SetWirelessLink(0, true);
  EXPECT_EQ(Exchange(*device, Command(0x01, 0x47, 0x00))[6], 1);
  EXPECT_EQ(Exchange(*device, Command(0x31, 0x35, 0x01, {0x11}))[2], 0);
}

TEST_F(VirtualBusTest, CableAnswersOnlineWhateverTheWirelessLink) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kBoth);
  bus_.SetWirelessLink(0, false);
  auto device = OpenCommand(0, Connection::kCable);
  EXPECT_EQ(Exchange(*device, Command(0x01, 0x47, 0x00))[6], 1);
  EXPECT_EQ(Exchange(*device, Command(0x0A, 0x4F, 0x40))[2], 0);
}

TEST_F(VirtualBusTest, GetFeatureRepeatsTheAnswerUntilTheNextCommand) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = OpenCommand(0, Connection::kCable);
  const auto first = Exchange(*device, Command(0x0A, 0x4F, 0x40));
  sim::Report again{};
  again[0] = 0x03;
  ASSERT_EQ(device->GetFeatureReport(again.data(), again.size()), 64);
  EXPECT_EQ(again, first);
  sim::Report wrong_id{};
  wrong_id[0] = 0x04;
  EXPECT_EQ(device->GetFeatureReport(wrong_id.data(), wrong_id.size()), -1);
}

// Each fault does what it says for as many calls as it was given, then the mouse recovers.
TEST_F(VirtualBusTest, FaultsLastForTheirCount) {
  struct Case {
    Fault fault;
    int count;
  };
  for (const Case& c :
       {Case{Fault::kBusy, 3}, Case{Fault::kWrongEcho, 2}, Case{Fault::kGetFeatureError, 2},
        Case{Fault::kCommandFailed, 2}, Case{Fault::kSetFeatureError, 2}}) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    sim::VirtualBus bus(clock_);
    bus.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
    auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
    bus.InjectFault(0, Connection::kCable, c.fault, c.count);
    const auto frame = Command(0x31, 0x35, 0x01, {0x22});
    for (int i = 0; i <= c.count; ++i) {
      const bool faulty = i < c.count;
      const int sent = device->SendFeatureReport(frame.data(), frame.size());
      sim::Report answer{};
      answer[0] = 0x03;
      const int got = device->GetFeatureReport(answer.data(), answer.size());
      switch (c.fault) {
        case Fault::kBusy:
          EXPECT_EQ(answer[2], faulty ? 2 : 0) << i;
          EXPECT_EQ(answer[4], 0x31);
          break;
        case Fault::kWrongEcho:
          EXPECT_EQ(answer[2], 0);
          EXPECT_EQ(answer[4] == 0x31, !faulty) << i;
          break;
        case Fault::kGetFeatureError:
          EXPECT_EQ(got, faulty ? -1 : 64) << i;
          break;
        case Fault::kCommandFailed:
          EXPECT_EQ(answer[2], faulty ? 1 : 0) << i;
          EXPECT_EQ(bus.SettingsImage(0)[1] == 0x22, !faulty);
          break;
        case Fault::kSetFeatureError:
          EXPECT_EQ(sent, faulty ? -1 : 64) << i;
          EXPECT_EQ(bus.SettingsImage(0)[1] == 0x22, !faulty);
          break;
        default:
          break;
      }
    }
  }
}

TEST_F(VirtualBusTest, UnplugAfterNReportsKillsOpenHandles) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kBoth);
  std::vector<sim::PlugEvent> events;
  bus_.SetPlugListener([&](const sim::PlugEvent& e) { events.push_back(e); });
  auto device = OpenCommand(0, Connection::kReceiver);
  auto notify = OpenNotify(0, Connection::kReceiver);
  bus_.InjectFault(0, Connection::kReceiver, Fault::kUnplugAfter, 2);
  const auto frame = Command(0x01, 0x47, 0x00);
  EXPECT_EQ(device->SendFeatureReport(frame.data(), frame.size()), 64);
  EXPECT_EQ(device->SendFeatureReport(frame.data(), frame.size()), 64);
  EXPECT_FALSE(bus_.IsPlugged(0, Connection::kReceiver));
  EXPECT_TRUE(bus_.IsPlugged(0, Connection::kCable));
  EXPECT_EQ(device->SendFeatureReport(frame.data(), frame.size()), -1);
  uint8_t buffer[64] = {0x03};
  EXPECT_EQ(device->GetFeatureReport(buffer, sizeof(buffer)), -1);
  EXPECT_EQ(notify->Read(buffer, 12, 50), -1);
  ASSERT_EQ(events.size(), 4u);  // every interface of the receiver
  EXPECT_FALSE(events[0].arrived);
  EXPECT_EQ(events[2].info.path, "sim:VID_7A5D&PID_3A10&MI_02#0");
  EXPECT_EQ(bus_.Enumerate().size(), 3u);

  // A new plug gives new handles; the old ones stay dead.
  bus_.Plug(0, Connection::kReceiver);
  EXPECT_EQ(events.size(), 8u);
  EXPECT_TRUE(events.back().arrived);
  EXPECT_EQ(device->SendFeatureReport(frame.data(), frame.size()), -1);
  auto fresh = OpenCommand(0, Connection::kReceiver);
  EXPECT_EQ(Exchange(*fresh, frame)[6], 1);
}

TEST_F(VirtualBusTest, StatusReportsReachTheNotificationInterface) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto notify = OpenNotify(0, Connection::kReceiver);
  uint8_t buffer[65] = {};
  EXPECT_EQ(notify->Read(buffer, 12, 50), 0);  // nothing pending

  bus_.PressDpiButton(0);  // level 2 -> 3 (counted from 1: 4)
  bus_.SetBattery(0, 100, true);
  bus_.ChangeReportRateOnMouse(0, 2);
  bus_.SetWirelessLink(0, false);
  bus_.PressDpiButton(0);  // not linked: no report, but the mouse changes level
  bus_.SetWirelessLink(0, true);
  const uint8_t expected[][4] = {{0x09, 0xFA, 3, 4},
                                 {0x09, 0xFA, 5, 0xE4},
                                 {0x09, 0xFA, 9, 2},
                                 {0x09, 0xFA, 2, 0},
                                 {0x09, 0xFA, 2, 1}};
  for (const auto& e : expected) {
    ASSERT_EQ(notify->Read(buffer, 12, 50), 12);
    EXPECT_TRUE(std::equal(e, e + 4, buffer)) << int(buffer[2]) << " " << int(buffer[3]);
  }
  EXPECT_EQ(notify->Read(buffer, 12, 50), 0);
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[2], 0x56);  // level index 4 of 6 after two presses
  EXPECT_EQ(image[1] & 0x07, 2);
}

TEST_F(VirtualBusTest, DpiButtonWrapsAtTheLevelCount) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto notify = OpenNotify(0, Connection::kCable);
  bus_.ModifyState(0, [](sim::MouseState& s) { s.settings[2] = (3 << 4) | 3; });
  bus_.PressDpiButton(0);
  uint8_t buffer[12];
  ASSERT_EQ(notify->Read(buffer, sizeof(buffer), 10), 12);
  EXPECT_EQ(buffer[3], 1);
  EXPECT_EQ(bus_.SettingsImage(0)[2], (1 << 4) | 3);
}

TEST_F(VirtualBusTest, StatusReportsPreferTheCable) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kBoth);
  bus_.SetBattery(0, 40, false);
  EXPECT_EQ(bus_.PendingInputReports(0, Connection::kCable), 1u);
  EXPECT_EQ(bus_.PendingInputReports(0, Connection::kReceiver), 0u);
  bus_.Unplug(0, Connection::kCable);
  bus_.SetBattery(0, 30, false);
  EXPECT_EQ(bus_.PendingInputReports(0, Connection::kReceiver), 1u);
}

TEST_F(VirtualBusTest, LogRecordsEveryReportWithClockTime) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto device = OpenCommand(0, Connection::kReceiver);
  auto notify = OpenNotify(0, Connection::kReceiver);
  clock_.Advance(250);
  Exchange(*device, Command(0x01, 0x47, 0x00));
  bus_.SetBattery(0, 50, false);
  clock_.Advance(30);
  uint8_t buffer[12];
  ASSERT_EQ(notify->Read(buffer, sizeof(buffer), 10), 12);
  const auto log = bus_.Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, sim::ReportKind::kSetFeature);
  EXPECT_EQ(log[1].kind, sim::ReportKind::kGetFeature);
  EXPECT_EQ(log[2].kind, sim::ReportKind::kInput);
  EXPECT_EQ(log[0].ms, 250u);
  EXPECT_EQ(log[2].ms, 280u);
  EXPECT_EQ(sim::FormatReport(log[2]),
            "280 7A5D:3A10/notify input 09 FA 05 32 00 00 00 00 00 00 00 00");
  const std::string line0 = sim::FormatReport(log[0]);
  EXPECT_EQ(line0.rfind("250 7A5D:3A10/command set-feature 03 ", 0), 0u) << line0;
  EXPECT_EQ(bus_.LogText().size(),
            line0.size() + sim::FormatReport(log[1]).size() + sim::FormatReport(log[2]).size() + 3);
}

}  // namespace
