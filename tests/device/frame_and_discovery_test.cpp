// Frame checksums, the interface rules of enumeration, lookups and the identity pass, on a
// scripted bus.
#include <gtest/gtest.h>

#include <cstring>

#include "device/driver_comm.h"
#include "device_test_support.h"

namespace {

using devtest::FakeBus;
using devtest::FakeInterface;
using devtest::Interface;

TEST(FrameChecksum, CommandSumsBytesTwoToSixtyThree) {
  CommandFrame frame{};
  frame[0] = 0x03;
  frame[1] = 0x99;   // not part of the sum
  frame[64] = 0x77;  // never sent, not summed
  // 18 * 0xFF + 0x46 = 0x1234
  for (int i = 2; i < 20; ++i) frame[i] = 0xFF;
  frame[63] = 0x46;
  EXPECT_EQ(device::CommandChecksum(frame), 0x34);
}

TEST(FrameChecksum, ScreenSumsBytesThreeToSixtyThree) {
  ScreenFrame frame{};
  frame[0] = 0x09;
  frame[1] = 0x50;
  frame[2] = 0xEE;  // the checksum's own place
  frame[3] = 0x3A;
  frame[4] = 0xA1;
  frame[63] = 0x10;
  EXPECT_EQ(device::ScreenChecksum(frame), (0x3A + 0xA1 + 0x10) & 0xFF);
}

TEST(FrameChecksum, CommandFrameLayout) {
  const uint8_t data[] = {0x11, 0x22, 0x33};
  const CommandFrame f = device::MakeCommandFrame(0x50, 0x3A, 0x00, data);
  const uint8_t head[] = {0x03, 0x00, 0x50, 0x03, 0x50, 0x3A, 0x00, 0x11, 0x22, 0x33, 0x00};
  EXPECT_EQ(std::memcmp(f.data(), head, sizeof head), 0);
}

TEST(FrameChecksum, BigDataSizeFrameCarriesSizeLowByteFirst) {
  const CommandFrame f = device::MakeBigDataSizeFrame(0x0123);
  const uint8_t head[] = {0x03, 0x00, 0x65, 0x3A, 0x01, 0x01, 0x57,
                          0x01, 0x06, 0x57, 0x03, 0x23, 0x01};
  EXPECT_EQ(std::memcmp(f.data(), head, sizeof head), 0);
  const CommandFrame open = device::MakeBigDataOpenFrame();
  const uint8_t open_head[] = {0x03, 0x00, 0x65, 0x3A, 0x00, 0x01, 0x44, 0x00, 0x09, 0x44, 0x00};
  EXPECT_EQ(std::memcmp(open.data(), open_head, sizeof open_head), 0);
}

class LookupTest : public ::testing::Test {
 protected:
  LookupTest() {
    comm_.RegisterMode(0x1234, 0x0001, "", 11, 0);
    comm_.RegisterMode(0x1234, 0x0002, "AAAAAAAAAAAA", 11, 1);
    comm_.RegisterMode(0x1234, 0x0002, "BBBBBBBBBBBB", 12, 1);
  }
  platform::VirtualClock clock_;
  FakeBus bus_;
  DriverComm comm_{bus_, clock_};
};

TEST_F(LookupTest, ModeListLookups) {
  EXPECT_TRUE(comm_.IsSupported(0x1234, 0x0002));
  EXPECT_FALSE(comm_.IsSupported(0x1234, 0x0003));
  EXPECT_EQ(comm_.GetModeValue(0x1234, 0x0002), 1);
  EXPECT_EQ(comm_.GetModeValue(0x9999, 0x0002), 0);
  EXPECT_EQ(comm_.LookupDeviceType(0x1234, 0x0002, ""), 11);
  EXPECT_EQ(comm_.LookupDeviceType(0x1234, 0x0002, "BBBBBBBBBBBB"), 12);
  EXPECT_EQ(comm_.LookupDeviceType(0x1234, 0x0002, "bbbbbbbbbbbb"), 0);  // exact match only
  EXPECT_TRUE(comm_.HasDevId("AAAAAAAAAAAA"));
  EXPECT_FALSE(comm_.HasDevId("aaaaaaaaaaaa"));
  comm_.ClearModes();
  EXPECT_FALSE(comm_.IsSupported(0x1234, 0x0001));
}

// Which interfaces become entries: the command interface, the 64-byte screen interface and
// the notification interface; everything else is closed again.
TEST(Enumeration, InterfaceRules) {
  struct Case {
    uint16_t page, usage;
    int output_length;
    bool listed;
    int is_second;
  };
  const Case cases[] = {
      {0xFF00, 1, 0, true, 0},   {0xFF06, 1, 64, true, 1}, {0xFF06, 1, 65, false, 0},
      {0xFF06, 1, 63, false, 0}, {0x0001, 0, 0, true, 1},  {0x0001, 2, 0, false, 0},
      {0xFF00, 2, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << c.page << "/" << c.usage << " out " << std::dec << c.output_length);
    platform::VirtualClock clock;
    devtest::Workspace ws(clock);
    FakeBus bus;
    bus.Add(Interface("/dev/hidraw1", 0x7A5D, 0x3A01, c.page, c.usage, c.output_length));
    bus.Add(Interface("/dev/hidraw2", 0x1111, 0x2222, 0xFF00, 1));  // not supported
    DriverComm comm(bus, clock);
    comm.RegisterMode(0x7A5D, 0x3A01, "", 101, 0);
    comm.EnumerateDevice();
    std::vector<DeviceEntry> entries;
    EXPECT_EQ(comm.CollectEntries(entries), c.listed);
    ASSERT_EQ(entries.size(), c.listed ? 1u : 0u);
    EXPECT_EQ(bus.OpenCount(), c.listed ? 1 : 0);
    if (c.listed) {
      EXPECT_EQ(entries[0].is_second, c.is_second);
      EXPECT_EQ(entries[0].device_type, 101);
      EXPECT_EQ(entries[0].online, 1);
    }
  }
}

// An information block answer: bytes 6.. of the get-feature carry the half that was asked.
std::function<int(uint8_t*, size_t)> InfoAnswer(std::array<uint8_t, 20> block) {
  return [block](uint8_t* buffer, size_t length) {
    const int half = buffer[6] - 0x80;
    buffer[2] = 0;
    std::memset(buffer + 6, 0, length - 6);
    if (half == 0 || half == 1) std::memcpy(buffer + 6, block.data() + 10 * half, 10);
    return static_cast<int>(length);
  };
}

TEST(IdentityPass, CableDeviceIdText) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  FakeBus bus;
  std::array<uint8_t, 20> block{};
  const uint8_t head[] = {0x01, 0x01, 0x01, 0xA2, 0x03, 0xB4, 0x05, 0xC6};
  std::memcpy(block.data(), head, sizeof head);
  block[10] = 0xE4;
  bus.Add(Interface("/dev/hidraw1", 0x7A5D, 0x3A01, 0xFF00, 1), InfoAnswer(block));
  bus.Add(Interface("/dev/hidraw2", 0x7A5D, 0x3A01, 0x0001, 0));
  DriverComm comm(bus, clock);
  comm.RegisterMode(0x7A5D, 0x3A01, "", 101, 0);
  comm.RegisterMode(0x7A5D, 0x3A01, "01A203B405C6", 105, 0);
  comm.EnumerateDevice();
  std::vector<DeviceEntry> entries;
  comm.CollectEntries(entries);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].dev_id_text, "01A203B405C6");
  // The id names the model: both interfaces of the device take its type.
  EXPECT_EQ(entries[0].device_type, 105);
  EXPECT_EQ(entries[1].device_type, 105);
  EXPECT_EQ(entries[0].info[10], 0xE4);
  const auto lines = ws.TraceLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      devtest::Info("获取设备信息 成功, 01-01-01-162-03-180-05-198-00-00-228")),
            lines.end());
}

// A known id that the catalogue lists only under another product id (here the receiver's)
// must not turn the cable's interfaces into type 0 and lose the model.
TEST(IdentityPass, IdListedForAnotherProductKeepsTheModel) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  FakeBus bus;
  std::array<uint8_t, 20> block{};
  const uint8_t head[] = {0x01, 0x01, 0x7A, 0x5D, 0x3A, 0x10, 0x01, 0x01};
  std::memcpy(block.data(), head, sizeof head);
  bus.Add(Interface("/dev/hidraw1", 0x7A5D, 0x3A01, 0xFF00, 1), InfoAnswer(block));
  bus.Add(Interface("/dev/hidraw2", 0x7A5D, 0x3A01, 0x0001, 0));
  DriverComm comm(bus, clock);
  comm.RegisterMode(0x7A5D, 0x3A01, "", 101, 0);
  comm.RegisterMode(0x7A5D, 0x3A10, "7A5D3A100101", 101, 1);
  comm.EnumerateDevice();
  std::vector<DeviceEntry> entries;
  comm.CollectEntries(entries);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].dev_id_text, "7A5D3A100101");
  for (const DeviceEntry& e : entries) EXPECT_EQ(e.device_type, 101);
  EXPECT_EQ(entries[0].online, 1);
  comm.SetSelectedType(101);
  EXPECT_EQ(comm.GetConnectMode(), 0);
}

TEST(IdentityPass, AllZeroBlockIsReadTwiceAndLeavesTheEntry) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  FakeBus bus;
  bus.Add(Interface("/dev/hidraw1", 0x7A5D, 0x3A01, 0xFF00, 1), InfoAnswer({}));
  DriverComm comm(bus, clock);
  comm.RegisterMode(0x7A5D, 0x3A01, "", 101, 0);
  comm.EnumerateDevice();
  std::vector<DeviceEntry> entries;
  comm.CollectEntries(entries);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].dev_id_text, "");
  EXPECT_EQ(entries[0].device_type, 101);
  // Two reads of two halves, each half 30 ms before and one poll, then the 100 ms pause.
  EXPECT_EQ(clock.Sleeps(), (std::vector<int>{30, 30, 30, 30, 30, 30, 30, 30, 100}));
  const auto lines = ws.TraceLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), devtest::Info("获取设备信息 开始")), 2);
  EXPECT_NE(std::find(lines.begin(), lines.end(), devtest::Error("获取设备信息错误, Retry 1")),
            lines.end());
}

}  // namespace
