// Reads what the program needs from a HID report descriptor: the top-level collections an
// interface offers and the length of its output reports. hidraw gives us the raw descriptor
// only, so this walks the short items itself. The input is untrusted bytes from sysfs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace device {

struct TopLevelCollection {
  uint16_t usage_page = 0;
  uint16_t usage = 0;
};

struct ReportDescriptorInfo {
  // Top-level collections in descriptor order (nested collections are not listed).
  std::vector<TopLevelCollection> collections;
  // False when the descriptor ended inside an item or an open collection, or held an item
  // that makes no sense (End Collection at the top, Pop without Push, a Report ID of 0 or
  // above 255). An incomplete descriptor gives no output report length.
  bool complete = false;
  // Why the descriptor is incomplete (the first fault found); empty when complete.
  std::string fault;
  // Whether any Report ID item appeared; without one, reports carry no id byte.
  bool uses_report_ids = false;
  // Output report lengths in bytes including the id byte, by report id (index 0..255);
  // 0 where the descriptor declares no output report with that id.
  std::vector<int> output_lengths = std::vector<int>(256, 0);
  // The top-level collection (index into `collections`) each output report id first
  // appeared in; -1 for none.
  std::vector<int> output_collection = std::vector<int>(256, -1);
};

// Never reads outside [data, data + size); garbage gives whatever was understood before it.
ReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size);

// Length of output report `report_id` including the id byte; 0 when unknown, when the
// descriptor uses no report ids, or when it is incomplete (its lengths cannot be trusted).
int OutputReportLength(const ReportDescriptorInfo& info, uint8_t report_id = 0x09);

// "/dev/hidraw3" -> "/sys/class/hidraw/hidraw3/device/report_descriptor"; empty for a path
// that is not a hidraw node.
std::string SysfsReportDescriptorPath(const std::string& device_path);

}  // namespace device
