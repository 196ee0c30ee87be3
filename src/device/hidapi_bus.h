// hid::Bus on hidapi's hidraw backend: the real HID interfaces of this machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid.h"
#include "device/report_descriptor.h"

namespace device {

class HidapiBus : public hid::Bus {
 public:
  HidapiBus();
  ~HidapiBus() override;

  // One record per interface path and top-level collection, also for interfaces this process
  // may not open (so a refusal can be explained). Empty when hidapi cannot start or there is
  // no HID device.
  std::vector<hid::DeviceInfo> Enumerate() override;
  // nullptr when the path cannot be opened (gone, no permission).
  std::unique_ptr<hid::Device> Open(const std::string& path) override;
  // The reason is the system's text for the node's errno, with hidapi's own words after it.
  platform::Result<std::unique_ptr<hid::Device>> TryOpen(const std::string& path) override;
};

// Turns hidapi's records into the bus's: `records` are hidapi's, in its order, possibly several
// per path (hidapi 0.13 lists every collection, nested ones too). Each path gets one record per
// top-level collection of its descriptor, with the usage pair and the 0x09 output length taken
// from there; a path without a descriptor, or whose descriptor shows no collection, keeps only
// its first record (hidapi lists the first top-level collection first).
std::vector<hid::DeviceInfo> MergeCollections(
    const std::vector<hid::DeviceInfo>& records,
    const std::map<std::string, ReportDescriptorInfo>& descriptors);

// hidapi's `records` as the bus lists them: each
// hidraw path's report descriptor is read from
// <sysfs_root>class/hidraw/hidrawN/device/report_descriptor, then MergeCollections folds them.
// Enumerate passes "/sys/"; `sysfs_root` ends in "/".
std::vector<hid::DeviceInfo> DescribeInterfaces(const std::vector<hid::DeviceInfo>& records,
                                                std::string_view sysfs_root);

// The bytes hid_write gets for an output report: `data` itself, or, when the interface's output
// report is longer than 64 bytes and `data` shorter than it, `data` zero-padded to that length
// (hidraw sends exactly what it is given).
std::vector<uint8_t> OutputReportBytes(const uint8_t* data, size_t length, int output_length);

}  // namespace device
