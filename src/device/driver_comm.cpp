#include "device/driver_comm.h"

#include <algorithm>
#include <cstring>

#include "device/delay_config.h"
#include "device/long_data.h"
#include "device/notifications.h"
#include "device/screen_channel.h"
#include "log/trace.h"

namespace device {

std::string ErrorText(int error) { return platform::ErrnoText(error); }

}  // namespace device

using namespace device;

DriverComm::DriverComm(hid::Bus& bus, platform::Clock& clock) : bus_(bus), clock_(clock) {}

DriverComm::~DriverComm() {
  std::lock_guard lock(mu_);
  DropEntries();
}

// --- feature-report channel ---

ReportResult DriverComm::SendFeatureReport(hid::Device* device, CommandFrame& frame, bool wait) {
  return channel_.Exchange(device, frame, wait, false);
}

ReportResult DriverComm::GetFeatureReport(hid::Device* device, CommandFrame& frame) {
  return channel_.Exchange(device, frame, true, true);
}

ReportResult DriverComm::RetryExchange(CommandFrame& frame, bool wait, bool is_get) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return kRetryFailed;
  hid::Device* device = GetCommandDevice();
  if (device == nullptr) return kNoDevice;
  return channel_.Retry(device, frame, wait, is_get);
}

ReportResult DriverComm::SendFeatureReportRetry(CommandFrame& frame, bool wait) {
  return RetryExchange(frame, wait, false);
}

ReportResult DriverComm::GetFeatureReportRetry(CommandFrame& frame) {
  return RetryExchange(frame, true, true);
}

ReportResult DriverComm::SendScreenReport(hid::Device* device, ScreenFrame& frame) {
  std::lock_guard lock(mu_);
  int length = 0;
  for (const OpenEntry& open : entries_) {
    if (device != nullptr && open.second_device.get() == device) {
      length = open.entry.second_output_length;
      break;
    }
  }
  return device::SendScreenReport(clock_, device, frame, length, ScreenPauseMs());
}

ReportResult DriverComm::GetFeatureTFTReport(ScreenFrame& frame) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return kRetryFailed;
  OpenEntry* screen = FindScreenEntry(entries_, selected_type_);
  if (screen == nullptr) return kNoDevice;
  return SendScreenWithRetry(clock_, screen->second_device.get(), frame,
                             screen->entry.second_output_length, ScreenPauseMs());
}

bool DriverComm::OpenBigDataMode(uint16_t size) {
  std::lock_guard lock(mu_);
  return device::OpenBigDataMode(channel_, GetCommandDevice(), size);
}

// --- discovery and connection ---

void DriverComm::RegisterMode(uint32_t vid, uint32_t pid, const std::string& dev_id,
                              int device_type, int mode_value) {
  std::lock_guard lock(mu_);
  modes_.Register(ModeRecord{vid, pid, device_type, mode_value, dev_id});
}

void DriverComm::ClearModes() {
  std::lock_guard lock(mu_);
  modes_.Clear();
}

std::vector<ModeRecord> DriverComm::Modes() const {
  std::lock_guard lock(mu_);
  return modes_.All();
}

void DriverComm::EnumerateDevice() {
  std::lock_guard lock(mu_);
  screen_pause_ms_.store(ReadScreenPauseMs());
  // A rebuild starts from an empty list even when the caller did not close first, so no
  // interface is opened twice.
  DropEntries();
  refused_.clear();
  {
    std::lock_guard bus_lock(bus_mu_);
    for (const hid::DeviceInfo& info : bus_.Enumerate()) {
      if (!modes_.IsSupported(info.vendor_id, info.product_id)) continue;
      platform::Result<std::unique_ptr<hid::Device>> opened = bus_.TryOpen(info.path);
      if (!opened) {
        NoteRefused(info, opened.error());
        continue;
      }
      std::unique_ptr<hid::Device> handle = std::move(opened).value();
      Trace(mouselog::kInfo, "EnumerateDevice: VID: %04X, PID: %04X, usage_page: %x, usage: %x",
            info.vendor_id, info.product_id, info.usage_page, info.usage);
      OpenEntry open;
      if (info.usage_page == 0xFF00 && info.usage == 1) {
        open.command_device = std::move(handle);
      } else if ((info.usage_page == 0xFF06 && info.usage == 1 &&
                  info.output_report_length == static_cast<int>(kReportLength)) ||
                 (info.usage_page == 1 && info.usage == 0)) {
        open.second_device = std::move(handle);
        open.entry.is_second = 1;
        open.entry.second_output_length = info.output_report_length;
        Trace(mouselog::kInfo, "m_int_usbdevice: VID: %04X, PID: %04X, usage_page: %x, usage: %x",
              info.vendor_id, info.product_id, info.usage_page, info.usage);
      } else {
        continue;  // the handle closes here
      }
      DeviceEntry& e = open.entry;
      e.index = static_cast<int>(entries_.size());
      e.vid = info.vendor_id;
      e.pid = info.product_id;
      e.release = info.release;
      e.device_type = modes_.LookupDeviceType(e.vid, e.pid, "");
      e.mode = modes_.GetModeValue(e.vid, e.pid);
      e.online = e.mode == kModeCable ? 1 : 0;
      e.has_command_device = open.command_device != nullptr;
      e.has_second_device = open.second_device != nullptr;
      entries_.push_back(std::move(open));
    }
  }
  GetDeviceInfo();
}

void DriverComm::NoteRefused(const hid::DeviceInfo& info, const platform::Error& error) {
  const bool command = info.usage_page == 0xFF00 && info.usage == 1;
  // hidapi lists a path once per collection; one refusal per path is enough.
  for (RefusedInterface& r : refused_) {
    if (r.path == info.path) {
      r.command = r.command || command;
      return;
    }
  }
  const std::string reason = error.reason.empty() ? ErrorText(error.code) : error.reason;
  Trace(mouselog::kError, "EnumerateDevice: cannot open %s (VID: %04X, PID: %04X): %s",
        info.path.c_str(), info.vendor_id, info.product_id, reason.c_str());
  refused_.push_back(RefusedInterface{info.path, info.vendor_id, info.product_id,
                                      modes_.LookupDeviceType(info.vendor_id, info.product_id, ""),
                                      modes_.GetModeValue(info.vendor_id, info.product_id),
                                      error.code, command});
}

std::vector<RefusedInterface> DriverComm::RefusedInterfaces() const {
  std::lock_guard lock(mu_);
  return refused_;
}

void DriverComm::DropEntries() {
  entries_.clear();  // each handle closes with its entry
  ClearCaches();
}

void DriverComm::CloseDevices() {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return;
  SetOpen(false);
  DropEntries();
}

void DriverComm::RebuildDeviceList() {
  std::lock_guard lock(mu_);
  CloseDevices();
  EnumerateDevice();
  SetOpen(true);
}

void DriverComm::ClearCaches() {
  cached_command_ = nullptr;
  cached_command_index_ = -1;
  cached_notify_ = nullptr;
}

void DriverComm::SetSelectedType(int device_type) {
  std::lock_guard lock(mu_);
  selected_type_ = device_type;
  ClearCaches();
}

int DriverComm::SelectedType() const {
  std::lock_guard lock(mu_);
  return selected_type_;
}

hid::Device* DriverComm::GetCommandDevice() {
  std::lock_guard lock(mu_);
  if (cached_command_ != nullptr) {
    // Keep the poll delay in step with the channel even when an identity pass moved it.
    channel_.SetWireless(entries_[static_cast<size_t>(cached_command_index_)].entry.mode ==
                         kModeReceiver);
    return cached_command_;
  }
  for (int want_mode : {kModeCable, kModeReceiver}) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      const DeviceEntry& e = entries_[i].entry;
      if (e.is_second == 0 && e.device_type == selected_type_ && e.mode == want_mode &&
          (want_mode == kModeCable || e.online == 1) && entries_[i].command_device) {
        cached_command_ = entries_[i].command_device.get();
        cached_command_index_ = static_cast<int>(i);
        channel_.SetWireless(want_mode == kModeReceiver);
        return cached_command_;
      }
    }
  }
  return nullptr;
}

std::optional<DeviceEntry> DriverComm::GetCommandEntry() {
  std::lock_guard lock(mu_);
  if (GetCommandDevice() == nullptr) return std::nullopt;
  return entries_[static_cast<size_t>(cached_command_index_)].entry;
}

hid::Device* DriverComm::GetNotifyDevice() {
  std::lock_guard lock(mu_);
  if (cached_notify_ != nullptr) return cached_notify_;
  for (int want_mode : {kModeCable, kModeReceiver}) {
    for (const OpenEntry& open : entries_) {
      const DeviceEntry& e = open.entry;
      if (e.is_second == 1 && e.device_type == selected_type_ && e.mode == want_mode &&
          (want_mode == kModeCable || e.online == 1) && open.second_device) {
        cached_notify_ = open.second_device.get();
        return cached_notify_;
      }
    }
  }
  return nullptr;
}

int DriverComm::GetConnectMode() const {
  std::lock_guard lock(mu_);
  bool receiver = false;
  for (const OpenEntry& open : entries_) {
    const DeviceEntry& e = open.entry;
    if (e.device_type != selected_type_) continue;
    if (e.mode == kModeCable) return 0;
    if (e.mode == kModeReceiver && e.online == 1) receiver = true;
  }
  return receiver ? 1 : -1;
}

bool DriverComm::CollectEntries(std::vector<DeviceEntry>& list) const {
  std::lock_guard lock(mu_);
  list.clear();
  if (entries_.empty()) return false;
  for (const OpenEntry& open : entries_) {
    if (selected_type_ == 0 || open.entry.device_type == selected_type_) {
      list.push_back(open.entry);
    }
  }
  return true;
}

size_t DriverComm::EntryCount() const {
  std::lock_guard lock(mu_);
  return entries_.size();
}

bool DriverComm::IsSupported(uint32_t vid, uint32_t pid) const {
  std::lock_guard lock(mu_);
  return modes_.IsSupported(vid, pid);
}

bool DriverComm::HasDevId(const std::string& text) const {
  std::lock_guard lock(mu_);
  return modes_.HasDevId(text);
}

int DriverComm::GetModeValue(uint32_t vid, uint32_t pid) const {
  std::lock_guard lock(mu_);
  return modes_.GetModeValue(vid, pid);
}

int DriverComm::LookupDeviceType(uint32_t vid, uint32_t pid, const std::string& text) const {
  std::lock_guard lock(mu_);
  return modes_.LookupDeviceType(vid, pid, text);
}

void DriverComm::SetTypeForIds(uint32_t vid, uint32_t pid, int device_type) {
  std::lock_guard lock(mu_);
  for (OpenEntry& open : entries_) {
    if (open.entry.vid == vid && open.entry.pid == pid) open.entry.device_type = device_type;
  }
}

const DriverComm::OpenEntry* DriverComm::CurrentModelEntry() const {
  for (int want_mode : {kModeCable, kModeReceiver}) {
    for (const OpenEntry& open : entries_) {
      if (open.entry.device_type == selected_type_ && open.entry.mode == want_mode) return &open;
    }
  }
  return nullptr;
}

std::pair<int, int> DriverComm::GetCurrentIds() const {
  std::lock_guard lock(mu_);
  const OpenEntry* open = CurrentModelEntry();
  if (open == nullptr) return {0, 0};
  return {open->entry.vid, open->entry.pid};
}

int DriverComm::GetDeviceVersion() const {
  std::lock_guard lock(mu_);
  const OpenEntry* open = CurrentModelEntry();
  return open == nullptr ? 0 : open->entry.release;
}

bool DriverComm::HasScreenReceiver() const {
  std::lock_guard lock(mu_);
  return std::any_of(entries_.begin(), entries_.end(), [](const OpenEntry& open) {
    return open.entry.vid == kScreenReceiverVid && open.entry.pid == kScreenReceiverPid;
  });
}

bool DriverComm::IsCommandInterfacePath(const std::string& path) {
  std::lock_guard bus_lock(bus_mu_);
  for (const hid::DeviceInfo& info : bus_.Enumerate()) {
    if (info.path == path && info.usage_page == 0xFF00 && info.usage == 1) return true;
  }
  return false;
}

// --- identity and status ---

void DriverComm::GetDeviceInfo() {
  std::lock_guard lock(mu_);
  RunIdentityPass(channel_, modes_, entries_);
}

void DriverComm::ReadDeviceInfo(hid::Device* device, std::array<uint8_t, 128>& block) {
  std::lock_guard lock(mu_);
  device::ReadDeviceInfo(channel_, device, block);
}

WirelessLink DriverComm::QueryWirelessLink(hid::Device* device) {
  std::lock_guard lock(mu_);
  if (device == nullptr) device = GetCommandDevice();
  return device::QueryWirelessLink(channel_, device);
}

int DriverComm::ReadNotification(uint8_t* buffer, size_t length) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return 1;
  return device::ReadNotification(entries_, selected_type_, GetNotifyDevice(), buffer, length);
}

void DriverComm::FlushNotifications() {
  std::lock_guard lock(mu_);
  device::FlushNotifications(entries_, selected_type_);
}
