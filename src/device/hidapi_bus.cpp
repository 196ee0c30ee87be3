#include "device/hidapi_bus.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>

#include "log/trace.h"

namespace device {
namespace {

constexpr size_t kReportLength = 64;
constexpr uint8_t kScreenReportId = 0x09;
// The kernel caps descriptors at 4096 bytes; anything longer is not a descriptor.
constexpr std::streamsize kMaxDescriptorBytes = 4096;

// hidapi keeps its error text in a global: enumeration, opening and start-up take this lock.
std::mutex& HidapiMutex() {
  static std::mutex mu;
  return mu;
}

// Under HidapiMutex. hid_init runs once for the process; hid_exit never runs, because open
// handles may outlive any one bus.
bool StartHidapi() {
  static const bool started = hid_init() == 0;
  return started;
}

constexpr std::string_view kSysfsRoot = "/sys/";

// The descriptor of a hidraw node, read under `sysfs_root` (the real "/sys/", or a test's tree).
bool ReadDescriptor(const std::string& device_path, std::string_view sysfs_root,
                    ReportDescriptorInfo* info) {
  const std::string sysfs = SysfsReportDescriptorPath(device_path);
  if (sysfs.empty()) return false;
  const std::string file_path = std::string(sysfs_root) + sysfs.substr(kSysfsRoot.size());
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    const int error = errno;
    // Without it the path keeps one collection and no output length: say why.
    Trace(mouselog::kError, "Report descriptor of %s not read from %s: %s", device_path.c_str(),
          file_path.c_str(), platform::ErrnoText(error).c_str());
    return false;
  }
  std::vector<uint8_t> bytes(kMaxDescriptorBytes);
  file.read(reinterpret_cast<char*>(bytes.data()), kMaxDescriptorBytes);
  bytes.resize(static_cast<size_t>(file.gcount()));
  if (bytes.empty()) return false;
  *info = ParseReportDescriptor(bytes.data(), bytes.size());
  return true;
}

// The 0x09 output length of the interface at `path`; an incomplete descriptor gives none.
int ScreenOutputLength(const std::string& path, const ReportDescriptorInfo& d) {
  if (!d.complete) {
    Trace(mouselog::kError, "Report descriptor of %s: %s; no output report length taken from it",
          path.c_str(), d.fault.c_str());
  }
  return OutputReportLength(d, kScreenReportId);
}

// hidapi's text for the last failure on `device` (nullptr: of the last open), "" when none.
// Under HidapiMutex for nullptr.
std::string HidapiErrorText(hid_device* device) {
  const wchar_t* text = hid_error(device);
  if (text == nullptr) return {};
  std::string out;
  for (const wchar_t* c = text; *c != 0; ++c) {
    // ASCII is all hidapi writes; anything else would need a converter this layer lacks.
    out.push_back(*c > 0 && *c < 0x80 ? static_cast<char>(*c) : '?');
  }
  if (out == "Success") return {};
  return out;
}

// hidapi keeps no errno for a failed open; asking the node directly tells why.
int OpenErrno(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return EIO;  // the node opens, hidapi still refused it
}

class HidapiDevice : public hid::Device {
 public:
  HidapiDevice(hid_device* handle, int output_length)
      : handle_(handle), output_length_(output_length) {}
  ~HidapiDevice() override { hid_close(handle_); }
  HidapiDevice(const HidapiDevice&) = delete;
  HidapiDevice& operator=(const HidapiDevice&) = delete;

  int SendFeatureReport(const uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0) return -1;
    std::lock_guard lock(mu_);
    return hid_send_feature_report(handle_, data, length);
  }

  int GetFeatureReport(uint8_t* buffer, size_t length) override {
    if (buffer == nullptr || length == 0) return -1;
    std::lock_guard lock(mu_);
    return hid_get_feature_report(handle_, buffer, length);
  }

  int Write(const uint8_t* data, size_t length) override {
    if (data == nullptr || length == 0) return -1;
    const std::vector<uint8_t> bytes = OutputReportBytes(data, length, output_length_);
    std::lock_guard lock(mu_);
    return hid_write(handle_, bytes.data(), bytes.size());
  }

  int Read(uint8_t* buffer, size_t length, int timeout_ms) override {
    if (buffer == nullptr || length == 0) return -1;
    std::lock_guard lock(mu_);
    return hid_read_timeout(handle_, buffer, length, timeout_ms);
  }

 private:
  hid_device* handle_;
  const int output_length_;
  std::mutex mu_;  // one call at a time per handle
};

}  // namespace

std::vector<uint8_t> OutputReportBytes(const uint8_t* data, size_t length, int output_length) {
  std::vector<uint8_t> bytes(data, data + length);
  if (output_length > static_cast<int>(kReportLength) &&
      length < static_cast<size_t>(output_length)) {
    bytes.resize(static_cast<size_t>(output_length), 0);
  }
  return bytes;
}

std::vector<hid::DeviceInfo> MergeCollections(
    const std::vector<hid::DeviceInfo>& records,
    const std::map<std::string, ReportDescriptorInfo>& descriptors) {
  std::vector<hid::DeviceInfo> merged;
  std::set<std::string> done;
  for (const hid::DeviceInfo& record : records) {
    if (!done.insert(record.path).second) continue;
    const auto found = descriptors.find(record.path);
    if (found == descriptors.end() || found->second.collections.empty()) {
      hid::DeviceInfo only = record;
      only.output_report_length =
          found == descriptors.end() ? 0 : ScreenOutputLength(record.path, found->second);
      merged.push_back(std::move(only));
      continue;
    }
    const ReportDescriptorInfo& d = found->second;
    const int length = ScreenOutputLength(record.path, d);
    const int owner = d.output_collection[kScreenReportId];
    for (size_t i = 0; i < d.collections.size(); ++i) {
      hid::DeviceInfo one = record;
      one.usage_page = d.collections[i].usage_page;
      one.usage = d.collections[i].usage;
      // The report belongs to the collection it was declared in, as on systems that give each
      // top-level collection its own handle.
      one.output_report_length = owner < 0 || owner == static_cast<int>(i) ? length : 0;
      merged.push_back(std::move(one));
    }
  }
  return merged;
}

HidapiBus::HidapiBus() = default;
HidapiBus::~HidapiBus() = default;

std::vector<hid::DeviceInfo> HidapiBus::Enumerate() {
  std::vector<hid::DeviceInfo> records;
  {
    std::lock_guard lock(HidapiMutex());
    if (!StartHidapi()) return {};
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* d = list; d != nullptr; d = d->next) {
      if (d->path == nullptr) continue;
      hid::DeviceInfo info;
      info.path = d->path;
      info.vendor_id = d->vendor_id;
      info.product_id = d->product_id;
      info.release = d->release_number;
      info.usage_page = d->usage_page;
      info.usage = d->usage;
      info.interface_number = d->interface_number;
      records.push_back(std::move(info));
    }
    hid_free_enumeration(list);
  }
  return DescribeInterfaces(records, kSysfsRoot);
}

std::vector<hid::DeviceInfo> DescribeInterfaces(const std::vector<hid::DeviceInfo>& records,
                                                std::string_view sysfs_root) {
  std::map<std::string, ReportDescriptorInfo> descriptors;
  std::set<std::string> tried;  // once per path, also when its read failed
  for (const hid::DeviceInfo& info : records) {
    if (!tried.insert(info.path).second) continue;
    ReportDescriptorInfo d;
    if (ReadDescriptor(info.path, sysfs_root, &d)) descriptors.emplace(info.path, std::move(d));
  }
  return MergeCollections(records, descriptors);
}

std::unique_ptr<hid::Device> HidapiBus::Open(const std::string& path) {
  platform::Result<std::unique_ptr<hid::Device>> opened = TryOpen(path);
  return opened ? std::move(opened).value() : nullptr;
}

platform::Result<std::unique_ptr<hid::Device>> HidapiBus::TryOpen(const std::string& path) {
  if (path.empty()) return platform::Fail(ENOENT, platform::ErrnoText(ENOENT));
  hid_device* handle = nullptr;
  std::string hidapi_says;
  {
    std::lock_guard lock(HidapiMutex());
    if (!StartHidapi()) return platform::Fail(EIO, "hidapi cannot start");
    handle = hid_open_path(path.c_str());
    // Global error text, read under the same lock as the call that set it.
    if (handle == nullptr) hidapi_says = HidapiErrorText(nullptr);
  }
  if (handle == nullptr) {
    const int error = OpenErrno(path);
    std::string reason = platform::ErrnoText(error);
    if (!hidapi_says.empty()) reason += " (hidapi: " + hidapi_says + ")";
    return platform::Fail(error, reason);
  }
  ReportDescriptorInfo d;
  const int output_length = ReadDescriptor(path, kSysfsRoot, &d) ? ScreenOutputLength(path, d) : 0;
  return std::unique_ptr<hid::Device>(std::make_unique<HidapiDevice>(handle, output_length));
}

}  // namespace device
