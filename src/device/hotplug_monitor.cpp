#include "device/hotplug_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

#include "log/trace.h"

namespace device {

std::string DeviceInterfaceName(uint16_t vid, uint16_t pid, int interface_number,
                                const std::string& path) {
  char ids[48];
  if (interface_number >= 0) {
    std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X&MI_%02X", vid, pid, interface_number & 0xFF);
  } else {
    std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X", vid, pid);
  }
  std::string instance = path;
  for (char& c : instance) {
    if (c == '/') c = '#';
  }
  return std::string("\\\\?\\HID#") + ids + "#" + instance +
         "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

namespace {

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = path.find('/', start);
    const size_t stop = end == std::string_view::npos ? path.size() : end;
    if (stop > start) parts.push_back(path.substr(start, stop - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool ParseHex(std::string_view text, unsigned long& value) {
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return true;
}

// "0003:046D:C52B.0003": bus, vendor, product, instance.
bool ParseHidName(std::string_view name, uint16_t& vid, uint16_t& pid) {
  const size_t c1 = name.find(':');
  const size_t c2 = c1 == std::string_view::npos ? c1 : name.find(':', c1 + 1);
  const size_t dot = c2 == std::string_view::npos ? c2 : name.find('.', c2 + 1);
  if (dot == std::string_view::npos) return false;
  unsigned long bus, v, p, instance;
  if (!ParseHex(name.substr(0, c1), bus) || !ParseHex(name.substr(c1 + 1, c2 - c1 - 1), v) ||
      !ParseHex(name.substr(c2 + 1, dot - c2 - 1), p) ||
      !ParseHex(name.substr(dot + 1), instance)) {
    return false;
  }
  if (v > 0xFFFF || p > 0xFFFF) return false;
  vid = static_cast<uint16_t>(v);
  pid = static_cast<uint16_t>(p);
  return true;
}

// A USB interface directory "1-1.4:1.2": configuration 1, interface 2.
int ParseUsbInterface(std::string_view name) {
  const size_t colon = name.find(':');
  const size_t dot = colon == std::string_view::npos ? colon : name.find('.', colon);
  if (dot == std::string_view::npos) return -1;
  const std::string_view number = name.substr(dot + 1);
  if (number.empty() || number.size() > 3) return -1;
  int value = 0;
  for (char c : number) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

bool ParseHidrawDevpath(const std::string& devpath, HidrawIdentity& identity) {
  const std::vector<std::string_view> parts = SplitPath(devpath);
  for (size_t i = parts.size(); i-- > 0;) {
    uint16_t vid = 0, pid = 0;
    if (!ParseHidName(parts[i], vid, pid)) continue;
    identity.vid = vid;
    identity.pid = pid;
    identity.interface_number = i > 0 ? ParseUsbInterface(parts[i - 1]) : -1;
    return true;
  }
  return false;
}

namespace {

class UdevHotplugMonitor : public HotplugMonitor {
 public:
  UdevHotplugMonitor(udev* context, udev_monitor* monitor, int stop_fd, Callback callback)
      : udev_(context), monitor_(monitor), stop_fd_(stop_fd), callback_(std::move(callback)) {
    thread_ = std::thread([this] { Loop(); });
  }

  ~UdevHotplugMonitor() override {
    const uint64_t one = 1;
    if (write(stop_fd_, &one, sizeof one) < 0) {
      // The thread then only ends with the process; nothing else can be done here.
    }
    if (thread_.joinable()) thread_.join();
    close(stop_fd_);
    udev_monitor_unref(monitor_);
    udev_unref(udev_);
  }

 private:
  void Loop() {
    pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    for (;;) {
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents != 0) return;
      if ((fds[0].revents & POLLIN) == 0) continue;
      udev_device* dev = udev_monitor_receive_device(monitor_);
      if (dev == nullptr) continue;
      Deliver(dev);
      udev_device_unref(dev);
    }
  }

  void Deliver(udev_device* dev) {
    const char* action = udev_device_get_action(dev);
    const char* devpath = udev_device_get_devpath(dev);
    const char* devnode = udev_device_get_devnode(dev);
    if (action == nullptr || devpath == nullptr) return;
    DeviceChange change;
    if (std::strcmp(action, "add") == 0) {
      change.event = kDeviceArrival;
    } else if (std::strcmp(action, "remove") == 0) {
      change.event = kDeviceRemoveComplete;
    } else {
      return;
    }
    HidrawIdentity id;
    if (!ParseHidrawDevpath(devpath, id)) return;
    change.path = devnode != nullptr ? devnode : "";
    change.name = DeviceInterfaceName(id.vid, id.pid, id.interface_number, change.path);
    callback_(change);
  }

  udev* udev_;
  udev_monitor* monitor_;
  int stop_fd_;
  Callback callback_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<HotplugMonitor> HotplugMonitor::Start(Callback callback) {
  udev* context = udev_new();
  if (context == nullptr) {
    Trace(mouselog::kInfo, "hot-plug: udev not available");
    return nullptr;
  }
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  if (monitor == nullptr ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    Trace(mouselog::kInfo, "hot-plug: udev monitor not available");
    if (monitor != nullptr) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  const int stop_fd = eventfd(0, EFD_CLOEXEC);
  if (stop_fd < 0) {
    udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::make_unique<UdevHotplugMonitor>(context, monitor, stop_fd, std::move(callback));
}

}  // namespace device
