// The report-descriptor reader on descriptors built from the HID class definition's examples
// (boot keyboard and mouse) and from a vendor page in the same style.
#include "device/report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace device {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The boot keyboard of the class definition: 8 modifier bits, a reserved byte, 5 LED bits
// plus 3 padding bits of output, six key codes. `report_id` 0 leaves the Report ID out.
Bytes BootKeyboard(uint8_t report_id) {
  Bytes head = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01};
  if (report_id) head.insert(head.end(), {0x85, report_id});
  return Join({head, {0x75, 0x01, 0x95, 0x08, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
                      0x25, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05,
                      0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01,
                      0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,
                      0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0}});
}

// The boot mouse: a Pointer collection nested in the Mouse application collection; input only.
Bytes BootMouse(uint8_t report_id) {
  Bytes head = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
  if (report_id) head.insert(head.end(), {0x85, report_id});
  return Join({head, {0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15,
                      0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01,
                      0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                      0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0}});
}

// A vendor collection (usage page 0xFF06, usage 1) with one output report of `count` bytes
// under `report_id`. Counts above 255 take a two-byte Report Count.
Bytes VendorOutput(uint8_t report_id, uint16_t count) {
  Bytes count_item = count > 0xFF ? Bytes{0x96, static_cast<uint8_t>(count & 0xFF),
                                          static_cast<uint8_t>(count >> 8)}
                                  : Bytes{0x95, static_cast<uint8_t>(count)};
  return Join({{0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, report_id, 0x15, 0x00, 0x26, 0xFF,
                0x00, 0x75, 0x08},
               count_item,
               {0x09, 0x01, 0x91, 0x02, 0xC0}});
}

struct Case {
  const char* name;
  Bytes descriptor;
  std::vector<TopLevelCollection> collections;
  int length_0x09;  // OutputReportLength(…, 0x09)
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class OutputLengthTest : public testing::TestWithParam<Case> {};

TEST_P(OutputLengthTest, FindsCollectionsAndTheLengthOfReport09) {
  const Case& c = GetParam();
  const ReportDescriptorInfo info = ParseReportDescriptor(c.descriptor.data(), c.descriptor.size());
  EXPECT_TRUE(info.complete);
  ASSERT_EQ(info.collections.size(), c.collections.size());
  for (size_t i = 0; i < c.collections.size(); ++i) {
    EXPECT_EQ(info.collections[i].usage_page, c.collections[i].usage_page) << i;
    EXPECT_EQ(info.collections[i].usage, c.collections[i].usage) << i;
  }
  EXPECT_EQ(OutputReportLength(info, 0x09), c.length_0x09);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, OutputLengthTest,
    testing::Values(
        Case{"vendor_64_bytes_give_65", VendorOutput(0x09, 64), {{0xFF06, 1}}, 65},
        Case{"vendor_63_bytes_give_64", VendorOutput(0x09, 63), {{0xFF06, 1}}, 64},
        Case{"vendor_larger_than_64", VendorOutput(0x09, 300), {{0xFF06, 1}}, 301},
        Case{"output_under_another_id", VendorOutput(0x0A, 64), {{0xFF06, 1}}, 0},
        // The LED bits: 5 + 3 padding = one byte plus the id.
        Case{"keyboard_leds_under_id_9", BootKeyboard(0x09), {{0x01, 0x06}}, 2},
        // Without report ids nothing is "report 0x09".
        Case{"keyboard_without_ids", BootKeyboard(0), {{0x01, 0x06}}, 0},
        Case{"mouse_has_no_output", BootMouse(0), {{0x01, 0x02}}, 0},
        // Two top-level collections; the mouse's nested Pointer collection is not listed.
        Case{"composite_mouse_and_vendor",
             Join({BootMouse(0x01), VendorOutput(0x09, 63)}),
             {{0x01, 0x02}, {0xFF06, 1}},
             64}),
    [](const testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(ReportDescriptor, OutputReportsOfOneIdAddUpAndRememberTheirCollection) {
  // Mouse first, then the keyboard whose LED report is id 9: the report belongs to collection 1.
  const Bytes d = Join({BootMouse(0x01), BootKeyboard(0x09)});
  const ReportDescriptorInfo info = ParseReportDescriptor(d.data(), d.size());
  EXPECT_EQ(info.output_collection[0x09], 1);
  EXPECT_EQ(info.output_collection[0x01], -1);
  EXPECT_EQ(info.output_lengths[0x01], 0);
}

TEST(ReportDescriptor, FourByteUsageCarriesItsOwnPage) {
  // Usage (0xFF00:0001) given as one extended usage, no Usage Page item before it.
  const Bytes d = {0x0B, 0x01, 0x00, 0x00, 0xFF, 0xA1, 0x01, 0xC0};
  const ReportDescriptorInfo info = ParseReportDescriptor(d.data(), d.size());
  ASSERT_EQ(info.collections.size(), 1u);
  EXPECT_EQ(info.collections[0].usage_page, 0xFF00);
  EXPECT_EQ(info.collections[0].usage, 1);
}

TEST(ReportDescriptor, PushAndPopRestoreTheReportSize) {
  // Report size 8 pushed, changed to 1, popped: the output report of 64 counts 8-bit fields.
  const Bytes d = {0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x09, 0x75,
                   0x08, 0xA4, 0x75, 0x01, 0xB4, 0x95, 0x40, 0x91, 0x02, 0xC0};
  const ReportDescriptorInfo info = ParseReportDescriptor(d.data(), d.size());
  EXPECT_TRUE(info.complete);
  EXPECT_EQ(OutputReportLength(info, 0x09), 65);
}

// Every prefix of a real descriptor and some garbage: never a crash or a read past the end
// (the sanitizer build checks each buffer is read within its bounds: each is a fresh
// allocation of exactly its size).
TEST(ReportDescriptor, TruncatedAndGarbageInputIsSafe) {
  const Bytes full = Join({BootMouse(0x01), VendorOutput(0x09, 63)});
  for (size_t n = 0; n < full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    const ReportDescriptorInfo info = ParseReportDescriptor(cut.data(), cut.size());
    EXPECT_FALSE(info.complete && info.collections.size() == 2)
        << "prefix " << n << " reads as the whole descriptor";
  }
  const std::vector<Bytes> garbage = {
      {0x27},              // a four-byte item with no data
      {0xFE, 0x10, 0x00},  // a long item longer than the buffer
      {0xC0, 0xC0, 0xB4},  // End Collection at the top, Pop without Push
      {0x85, 0x00, 0x75, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x91, 0x02},  // huge, id 0
      Bytes(40, 0xA4),    // Push beyond any sensible depth
      Bytes(5000, 0xA1),  // collections never closed
  };
  for (const Bytes& g : garbage) {
    const ReportDescriptorInfo info = ParseReportDescriptor(g.data(), g.size());
    EXPECT_FALSE(info.complete) << g.size();
  }
  const ReportDescriptorInfo none = ParseReportDescriptor(nullptr, 10);
  EXPECT_TRUE(none.collections.empty());
  EXPECT_EQ(OutputReportLength(none), 0);
}

// A descriptor the parser cannot vouch for gives no output length, and says why.
TEST(ReportDescriptor, IncompleteDescriptorsGiveNoOutputLength) {
  struct Case {
    const char* name;
    Bytes descriptor;
    std::string fault;
  };
  const Bytes vendor = VendorOutput(0x09, 64);
  const Case cases[] = {
      // Report ID 0x0109 as a two-byte item: its low byte must not make the 64 bytes report 9.
      {"two_byte_report_id",
       {0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x86, 0x09, 0x01, 0x75, 0x08, 0x95, 0x40, 0x09,
        0x01, 0x91, 0x02, 0xC0},
       "Report ID does not fit a byte"},
      {"report_id_zero",
       {0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
        0x91, 0x02, 0xC0},
       "Report ID 0"},
      // The whole report 9 is declared, then the collection is never closed.
      {"collection_left_open", Bytes(vendor.begin(), vendor.end() - 1),
       "ends inside an open collection"},
      {"cut_inside_an_item", Join({vendor, {0x26, 0xFF}}), "ends inside an item"},
      {"pop_without_push", Join({vendor, {0xB4}}), "Pop without Push"},
  };
  for (const Case& c : cases) {
    const ReportDescriptorInfo info =
        ParseReportDescriptor(c.descriptor.data(), c.descriptor.size());
    EXPECT_FALSE(info.complete) << c.name;
    EXPECT_EQ(info.fault, c.fault) << c.name;
    EXPECT_EQ(OutputReportLength(info, 0x09), 0) << c.name;
  }
  // The same bytes with a one-byte id 9 are a sound 65-byte report.
  const ReportDescriptorInfo sound = ParseReportDescriptor(vendor.data(), vendor.size());
  EXPECT_TRUE(sound.complete);
  EXPECT_EQ(sound.fault, "");
  EXPECT_EQ(OutputReportLength(sound, 0x09), 65);
}

// The refused id's reports count under no id, also not under one set before it.
TEST(ReportDescriptor, ReportsAfterARefusedIdBelongToNoId) {
  const Bytes d = {0x06, 0x06, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x09, 0x75, 0x08, 0x95,
                   0x10, 0x91, 0x02, 0x86, 0x09, 0x02, 0x95, 0x40, 0x91, 0x02, 0xC0};
  const ReportDescriptorInfo info = ParseReportDescriptor(d.data(), d.size());
  EXPECT_EQ(info.output_lengths[0x09], 17);  // only the 16 bytes declared under id 9
  EXPECT_EQ(info.output_lengths[0x00], 0);
  EXPECT_EQ(info.output_lengths[0x02], 0);
}

TEST(ReportDescriptor, SysfsPathOfHidrawNodes) {
  EXPECT_EQ(SysfsReportDescriptorPath("/dev/hidraw3"),
            "/sys/class/hidraw/hidraw3/device/report_descriptor");
  EXPECT_EQ(SysfsReportDescriptorPath("/dev/hidraw12"),
            "/sys/class/hidraw/hidraw12/device/report_descriptor");
  for (const char* bad : {"", "/dev/hidraw", "/dev/hidraw1/../../etc", "/dev/usb/hiddev0",
                          "sim:VID_7A5D&PID_3A10&MI_02#0", "/dev/hidraw-1"}) {
    EXPECT_EQ(SysfsReportDescriptorPath(bad), "") << bad;
  }
}

}  // namespace
}  // namespace device
