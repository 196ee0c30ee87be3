#include "device/report_descriptor.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace device {
namespace {

// Item types and tags of the short items we look at.
constexpr int kMain = 0, kGlobal = 1, kLocal = 2;
constexpr int kTagOutput = 0x9, kTagCollection = 0xA, kTagEndCollection = 0xC;
constexpr int kTagUsagePage = 0x0, kTagReportSize = 0x7, kTagReportId = 0x8, kTagReportCount = 0x9,
              kTagPush = 0xA, kTagPop = 0xB;
constexpr int kTagUsage = 0x0;
constexpr uint8_t kLongItemPrefix = 0xFE;

// Far beyond any real report; keeps the arithmetic well inside 64 bits and the result an int.
constexpr uint64_t kMaxReportBits = uint64_t{1} << 24;
constexpr size_t kMaxPushDepth = 32;

struct Globals {
  uint32_t usage_page = 0;
  uint32_t report_size = 0;
  uint32_t report_count = 0;
  uint32_t report_id = 0;
  // A Report ID item that does not fit a byte was seen: the reports that follow belong to no
  // id we could name, so they are not counted under any.
  bool report_id_refused = false;
};

}  // namespace

ReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size) {
  ReportDescriptorInfo info;
  if (data == nullptr) size = 0;
  std::array<uint64_t, 256> output_bits{};
  Globals g;
  std::vector<Globals> stack;
  bool usage_seen = false;
  uint32_t usage = 0;  // the first Usage since the last main item, page in the high half if given
  bool usage_has_page = false;
  int depth = 0;
  const char* fault = nullptr;  // the first one found
  auto fail = [&fault](const char* why) {
    if (fault == nullptr) fault = why;
  };

  size_t pos = 0;
  while (pos < size) {
    const uint8_t prefix = data[pos];
    if (prefix == kLongItemPrefix) {  // long items carry nothing we use
      if (size - pos < 3) {
        fail("ends inside a long item");
        break;
      }
      const size_t skip = 3 + static_cast<size_t>(data[pos + 1]);
      if (size - pos < skip) {
        fail("ends inside a long item");
        break;
      }
      pos += skip;
      continue;
    }
    const size_t data_len = (prefix & 3) == 3 ? 4 : (prefix & 3);
    const int type = (prefix >> 2) & 3;
    const int tag = prefix >> 4;
    if (size - pos - 1 < data_len) {
      fail("ends inside an item");
      break;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < data_len; ++i)
      value |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
    pos += 1 + data_len;

    if (type == kMain) {
      if (tag == kTagCollection) {
        if (depth == 0) {
          TopLevelCollection c;
          c.usage_page = static_cast<uint16_t>(usage_has_page ? usage >> 16 : g.usage_page);
          c.usage = static_cast<uint16_t>(usage_seen ? usage & 0xFFFF : 0);
          info.collections.push_back(c);
        }
        ++depth;
      } else if (tag == kTagEndCollection) {
        if (depth == 0) {
          fail("End Collection outside any collection");
        } else {
          --depth;
        }
      } else if (tag == kTagOutput && !g.report_id_refused) {
        const uint8_t id = static_cast<uint8_t>(g.report_id);
        const uint64_t bits = static_cast<uint64_t>(g.report_size) * g.report_count;
        output_bits[id] =
            std::min(kMaxReportBits, output_bits[id] + std::min(kMaxReportBits, bits));
        if (info.output_collection[id] < 0 && depth > 0) {
          info.output_collection[id] = static_cast<int>(info.collections.size()) - 1;
        }
      }
      // Local items last until the next main item.
      usage_seen = false;
      usage_has_page = false;
      usage = 0;
    } else if (type == kGlobal) {
      switch (tag) {
        case kTagUsagePage:
          g.usage_page = value & 0xFFFF;
          break;
        case kTagReportSize:
          g.report_size = value;
          break;
        case kTagReportCount:
          g.report_count = value;
          break;
        case kTagReportId:
          info.uses_report_ids = true;
          // Cutting a wider value to its low byte would credit its reports to another id.
          g.report_id_refused = value == 0 || value > 0xFF;
          if (g.report_id_refused) {
            fail(value == 0 ? "Report ID 0" : "Report ID does not fit a byte");
            g.report_id = 0;
          } else {
            g.report_id = value;
          }
          break;
        case kTagPush:
          if (stack.size() < kMaxPushDepth) {
            stack.push_back(g);
          } else {
            fail("Push nested too deep");
          }
          break;
        case kTagPop:
          if (stack.empty()) {
            fail("Pop without Push");
          } else {
            g = stack.back();
            stack.pop_back();
          }
          break;
        default:
          break;
      }
    } else if (type == kLocal && tag == kTagUsage && !usage_seen) {
      usage_seen = true;
      usage = value;
      usage_has_page = data_len == 4;
    }
  }

  if (size == 0) fail("empty");
  if (depth != 0) fail("ends inside an open collection");
  info.complete = fault == nullptr;
  if (fault != nullptr) info.fault = fault;
  for (size_t id = 0; id < output_bits.size(); ++id) {
    if (output_bits[id] == 0) continue;
    // Windows counts the id byte in the length even for a descriptor without ids.
    info.output_lengths[id] = static_cast<int>((output_bits[id] + 7) / 8) + 1;
  }
  return info;
}

int OutputReportLength(const ReportDescriptorInfo& info, uint8_t report_id) {
  if (!info.complete || !info.uses_report_ids || report_id == 0) return 0;
  return info.output_lengths[report_id];
}

std::string SysfsReportDescriptorPath(const std::string& device_path) {
  constexpr std::string_view kPrefix = "/dev/hidraw";
  if (device_path.size() <= kPrefix.size() ||
      device_path.compare(0, kPrefix.size(), kPrefix) != 0) {
    return {};
  }
  const std::string number = device_path.substr(kPrefix.size());
  if (number.size() > 9 ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return {};
  }
  return "/sys/class/hidraw/hidraw" + number + "/device/report_descriptor";
}

}  // namespace device
