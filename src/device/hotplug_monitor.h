// HID plug and unplug events. The libudev monitor watches hidraw nodes and reports each one
// with an interface name spelled like a Windows device-interface path
// ("\\?\HID#VID_046D&PID_C52B&MI_02#..."), so the vendor/product/interface matching of the
// device list works on it unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace device {

inline constexpr int kDeviceArrival = 0x8000;
inline constexpr int kDeviceRemoveComplete = 0x8004;

struct DeviceChange {
  int event = 0;     // kDeviceArrival or kDeviceRemoveComplete
  std::string name;  // the interface name text the patterns are matched against
  std::string path;  // what hid::Bus::Open takes (the hidraw node)
};

// "\\?\HID#VID_%04X&PID_%04X&MI_%02X#<path>#{HID class}"; interface_number < 0 leaves MI out.
std::string DeviceInterfaceName(uint16_t vid, uint16_t pid, int interface_number,
                                const std::string& path);

struct HidrawIdentity {
  uint16_t vid = 0;
  uint16_t pid = 0;
  int interface_number = -1;
};
// Reads vendor, product and USB interface number from a hidraw sysfs device path such as
// "/devices/.../1-1:1.2/0003:046D:C52B.0003/hidraw/hidraw2". Needs no sysfs access, so it
// works for removals too. False when the path names no HID device.
bool ParseHidrawDevpath(const std::string& devpath, HidrawIdentity& identity);

class HotplugMonitor {
 public:
  using Callback = std::function<void(const DeviceChange&)>;

  // Starts watching on its own thread; `callback` runs on that thread. nullptr when udev is
  // not available: the program then runs without hot-plug.
  static std::unique_ptr<HotplugMonitor> Start(Callback callback);
  virtual ~HotplugMonitor() = default;

 protected:
  HotplugMonitor() = default;
};

}  // namespace device
