// HidapiBus: hidapi's records folded to one per path and top-level collection, and the bus on
// this machine (no HID device, or none we may open, in the build containers).
#include "device/hidapi_bus.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "support/device_test_support.h"
#include "support/temp_dir.h"

namespace device {
namespace {

hid::DeviceInfo Record(const std::string& path, uint16_t page, uint16_t usage) {
  hid::DeviceInfo info;
  info.path = path;
  info.vendor_id = 0x7A5D;
  info.product_id = 0x3A10;
  info.release = 0x0104;
  info.usage_page = page;
  info.usage = usage;
  info.interface_number = 2;
  return info;
}

ReportDescriptorInfo Describe(const std::vector<uint8_t>& bytes) {
  return ParseReportDescriptor(bytes.data(), bytes.size());
}

TEST(MergeCollections, OneRecordPerPathAndTopLevelCollection) {
  // hidapi 0.13 lists the mouse's nested Pointer collection (1:1) under the same path, and
  // the vendor collection after it.
  const std::vector<uint8_t> mouse_and_screen = {
      0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00,
      0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03,
      0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0xC0, 0xC0,  // mouse, id 1
      0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x09, 0x75, 0x08, 0x95,
      0x3F, 0x09, 0x01, 0x91, 0x02, 0xC0};  // screen, output id 9 of 63 bytes
  const std::vector<hid::DeviceInfo> records = {
      Record("/dev/hidraw1", 0x01, 0x02),   Record("/dev/hidraw1", 0x01, 0x01),
      Record("/dev/hidraw1", 0xFF06, 0x01), Record("/dev/hidraw2", 0xFF00, 0x01),
      Record("/dev/hidraw2", 0xFF00, 0x02), Record("/dev/hidraw3", 0x01, 0x00)};
  const std::map<std::string, ReportDescriptorInfo> descriptors = {
      {"/dev/hidraw1", Describe(mouse_and_screen)},
      {"/dev/hidraw3", Describe({0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x85, 0x09, 0x75, 0x08, 0x95,
                                 0x40, 0x91, 0x02, 0xC0})}};

  const std::vector<hid::DeviceInfo> merged = MergeCollections(records, descriptors);
  using Row = std::tuple<std::string, int, int, int>;
  std::vector<Row> rows;
  for (const hid::DeviceInfo& i : merged) {
    rows.emplace_back(i.path, i.usage_page, i.usage, i.output_report_length);
    EXPECT_EQ(i.product_id, 0x3A10);
    EXPECT_EQ(i.release, 0x0104);
    EXPECT_EQ(i.interface_number, 2);
  }
  EXPECT_EQ(rows, (std::vector<Row>{
                      {"/dev/hidraw1", 0x01, 0x02, 0},      // the report is the screen's
                      {"/dev/hidraw1", 0xFF06, 0x01, 64},   // 63 bytes and the id
                      {"/dev/hidraw2", 0xFF00, 0x01, 0},    // no descriptor: first record only
                      {"/dev/hidraw3", 0x01, 0x00, 65}}));  // a longer screen report
}

TEST(MergeCollections, AnIncompleteDescriptorGivesNoOutputLengthAndIsTraced) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  // The screen collection of 64 bytes under id 9, its End Collection missing.
  const std::vector<uint8_t> open_screen = {0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x09,
                                            0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02};
  const std::vector<hid::DeviceInfo> merged = MergeCollections(
      {Record("/dev/hidraw4", 0xFF06, 0x01)}, {{"/dev/hidraw4", Describe(open_screen)}});
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0].usage_page, 0xFF06);
  EXPECT_EQ(merged[0].output_report_length, 0);
  EXPECT_EQ(ws.TraceLines(),
            std::vector<std::string>{devtest::Error(
                "Report descriptor of /dev/hidraw4: ends inside an open collection; no output "
                "report length taken from it")});
}

// A sysfs tree of our own, so the descriptors are read and parsed on any machine, hidraw
// nodes or not.
TEST(DescribeInterfaces, ReadsEachNodesDescriptorFromSysfs) {
  const test_support::TempDir sysfs("sysfs_");
  auto descriptor = [&](const std::string& node, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path dir = sysfs.path() + "class/hidraw/" + node + "/device";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  };
  // mouse (1:2, id 1) with a nested pointer, then the screen (FF06:1, output id 9, 63 bytes)
  descriptor("hidraw1",
             {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
              0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
              0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0xC0, 0xC0, 0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1,
              0x01, 0x85, 0x09, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02, 0xC0});
  std::filesystem::create_directories(sysfs.path() + "class/hidraw/hidraw2/device");  // none
  descriptor("hidraw3", {});                                                          // empty
  // FF00:1 with output id 9 of 64 bytes
  descriptor("hidraw10", {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x09, 0x75, 0x08, 0x95,
                          0x40, 0x91, 0x02, 0xC0});
  const std::vector<hid::DeviceInfo> records = {
      Record("/dev/hidraw1", 0x01, 0x02),   Record("/dev/hidraw1", 0x01, 0x01),
      Record("/dev/hidraw1", 0xFF06, 0x01), Record("/dev/hidraw2", 0xFF00, 0x01),
      Record("/dev/hidraw2", 0xFF00, 0x02), Record("/dev/hidraw3", 0x01, 0x06),
      Record("/dev/hidraw10", 0x01, 0x00),  Record("/dev/usb/hiddev0", 0x0C, 0x01)};

  using Row = std::tuple<std::string, int, int, int>;
  std::vector<Row> rows;
  for (const hid::DeviceInfo& i : DescribeInterfaces(records, sysfs.path())) {
    rows.emplace_back(i.path, i.usage_page, i.usage, i.output_report_length);
  }
  EXPECT_EQ(rows,
            (std::vector<Row>{{"/dev/hidraw1", 0x01, 0x02, 0},
                              {"/dev/hidraw1", 0xFF06, 0x01, 64},
                              {"/dev/hidraw2", 0xFF00, 0x01, 0},    // no descriptor: first record
                              {"/dev/hidraw3", 0x01, 0x06, 0},      // empty descriptor: the same
                              {"/dev/hidraw10", 0xFF00, 0x01, 65},  // its own node, not hidraw1's
                              {"/dev/usb/hiddev0", 0x0C, 0x01, 0}}));  // not a hidraw node
}

// A node whose descriptor cannot be read keeps one record; the log says which and why.
TEST(DescribeInterfaces, AnUnreadableDescriptorIsTracedWithItsReason) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  const test_support::TempDir sysfs("sysfs_");
  std::filesystem::create_directories(sysfs.path() + "class/hidraw/hidraw4/device");
  const auto described = DescribeInterfaces(
      {Record("/dev/hidraw4", 0xFF00, 0x01), Record("/dev/hidraw4", 0x01, 0x02)}, sysfs.path());
  EXPECT_EQ(described.size(), 1u);
  const auto lines = ws.TraceLines();
  const std::string line =
      devtest::Error("Report descriptor of /dev/hidraw4 not read from " + sysfs.path() +
                     "class/hidraw/hidraw4/device/report_descriptor: No such file or directory");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
}

TEST(OutputReportBytes, PaddedOnlyForReportsLongerThan64) {
  std::vector<uint8_t> frame(64);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i + 1);
  struct Case {
    int output_length;
    size_t expected_size;
  };
  for (const Case& c : {Case{0, 64}, Case{64, 64}, Case{63, 64}, Case{65, 65}, Case{300, 300}}) {
    const std::vector<uint8_t> bytes =
        OutputReportBytes(frame.data(), frame.size(), c.output_length);
    ASSERT_EQ(bytes.size(), c.expected_size) << c.output_length;
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), bytes.begin()));
    EXPECT_EQ(std::count(bytes.begin() + 64, bytes.end(), 0), static_cast<long>(bytes.size() - 64));
  }
  // A caller that already sends the full length is left alone.
  const std::vector<uint8_t> whole(80, 0x5A);
  EXPECT_EQ(OutputReportBytes(whole.data(), whole.size(), 65), whole);
}

// Interfaces this process may not open are listed too, and opening them says why.
TEST(HidapiBus, EnumeratesEveryInterfaceOnceAndExplainsRefusals) {
  HidapiBus bus;
  const std::vector<hid::DeviceInfo> list = bus.Enumerate();
  bool any_node = false;
  std::error_code ec;
  if (std::filesystem::exists("/sys/class/hidraw", ec)) {
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/hidraw", ec)) {
      any_node = any_node || std::filesystem::exists("/dev/" + entry.path().filename().string());
    }
  }
  if (!any_node) {
    EXPECT_TRUE(list.empty());
  }
  std::set<std::tuple<std::string, int, int>> seen;
  for (const hid::DeviceInfo& i : list) {
    EXPECT_TRUE(seen.emplace(i.path, i.usage_page, i.usage).second) << i.path;
    const auto device = bus.TryOpen(i.path);
    if (access(i.path.c_str(), R_OK | W_OK) != 0) {
      ASSERT_FALSE(device.ok()) << i.path;
      EXPECT_TRUE(device.error().code == EACCES || device.error().code == EPERM)
          << i.path << ": " << device.error().reason;
      EXPECT_FALSE(device.error().reason.empty());
    } else if (device.ok()) {
      EXPECT_NE(device.value(), nullptr) << i.path;
    } else {
      EXPECT_NE(device.error().code, 0) << i.path << ": " << device.error().reason;
    }
  }
  // A second bus in the same process shares hidapi's one start-up.
  HidapiBus other;
  EXPECT_EQ(other.Enumerate().size(), list.size());
}

TEST(HidapiBus, OpeningWhatIsNotThereGivesNothing) {
  HidapiBus bus;
  for (const char* path : {"", "/dev/hidraw999", "/nonexistent", "sim:VID_7A5D&PID_3A10&MI_02#0"}) {
    EXPECT_EQ(bus.Open(path), nullptr) << path;
    const auto opened = bus.TryOpen(path);
    ASSERT_FALSE(opened.ok()) << path;
    EXPECT_EQ(opened.error().code, ENOENT) << path;
    // The system's words for it, as the trace line shows them.
    EXPECT_EQ(opened.error().reason.rfind("No such file or directory", 0), 0u)
        << path << ": " << opened.error().reason;
  }
}

}  // namespace
}  // namespace device
