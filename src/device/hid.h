// The only road to HID. HidapiBus talks to real interfaces; sim::VirtualBus to virtual mice.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

namespace hid {

struct DeviceInfo {
  std::string path;  // opaque; what Bus::Open takes
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t release = 0;  // bcdDevice: the firmware version
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  int interface_number = -1;
  // Length of the output report with id 0x09 including the id byte; 0 when unknown.
  int output_report_length = 0;
};

class Device {
 public:
  virtual ~Device() = default;
  // data[0] is the report id. Results are bytes transferred, or -1 on failure.
  virtual int SendFeatureReport(const uint8_t* data, size_t length) = 0;
  // buffer[0] holds the report id to ask for; filled in place.
  virtual int GetFeatureReport(uint8_t* buffer, size_t length) = 0;
  // An output report; data[0] is the report id.
  virtual int Write(const uint8_t* data, size_t length) = 0;
  // An input report; waits at most timeout_ms. 0 when nothing came in time, -1 on failure.
  virtual int Read(uint8_t* buffer, size_t length, int timeout_ms) = 0;
};

class Bus {
 public:
  virtual ~Bus() = default;
  // Every HID interface present, one record per path and top-level collection, including
  // those this process may not open.
  virtual std::vector<DeviceInfo> Enumerate() = 0;
  // nullptr when the path cannot be opened. The device closes when released.
  virtual std::unique_ptr<Device> Open(const std::string& path) = 0;
  // Open that says why it failed: the device, or the errno of the refusal (EACCES no
  // permission, EBUSY held by another program, ENOENT gone, ...; 0 when the bus cannot tell)
  // with the bus's words for it.
  virtual platform::Result<std::unique_ptr<Device>> TryOpen(const std::string& path) {
    std::unique_ptr<Device> device = Open(path);
    if (!device) return platform::Fail(0, "the interface cannot be opened");
    return device;
  }
};

}  // namespace hid
