#include "device/driver_comm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "log/trace.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace device {

std::string ErrorText(int error) {
  if (error == 0) return "reason unknown";
  char buffer[256] = {};
  // The GNU strerror_r: thread-safe, and it may return a static text instead of the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace device

using namespace device;

namespace {

// "Buffer[0]: .." lines show bytes 0 to 6 of the answer; `prefix` carries its own separator.
void TraceAnswer(int level, const char* prefix, const uint8_t* b) {
  Trace(level, "%sBuffer[0]: %02X %02X %02X %02X %02X %02X %02X", prefix, b[0], b[1], b[2], b[3],
        b[4], b[5], b[6]);
}

std::string FormatDevId(const std::array<uint8_t, 128>& block) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", block[2], block[3], block[4],
                block[5], block[6], block[7]);
  return text;
}

}  // namespace

DriverComm::DriverComm(hid::Bus& bus, platform::Clock& clock) : bus_(bus), clock_(clock) {}

DriverComm::~DriverComm() {
  std::lock_guard lock(mu_);
  DropEntries();
}

// --- feature-report channel ---

ReportResult DriverComm::Exchange(hid::Device* device, CommandFrame& frame, bool wait,
                                  bool is_get) {
  std::lock_guard lock(mu_);
  const char* name = is_get ? "DriverComm::GetFeatureReport" : "DriverComm::SendFeatureReport";
  // The closing line shows the request too, even when the frame now holds the answer.
  const CommandFrame request = frame;
  Trace(mouselog::kInfo, "%s Buffer[4]: %02X %02X %02X %02X %02X %02X %02X", name, request[4],
        request[5], request[6], request[7], request[8], request[9], request[10]);

  ReportResult result = kNoAnswer;
  CommandFrame work = request;
  work[1] = CommandChecksum(work);
  if (device == nullptr || device->SendFeatureReport(work.data(), kReportLength) < 0) {
    result = kSendFailed;
  } else if (!wait && !is_get) {
    result = kSuccess;
  } else {
    const int delay = PollDelayMs();
    for (int poll = 0; poll < 5; ++poll) {
      if (stop_.load()) break;
      // The get-feature call carries the request, report id first.
      work = request;
      work[1] = CommandChecksum(work);
      clock_.SleepMs(delay);
      const int got = device->GetFeatureReport(work.data(), kReportLength);
      if (got <= 0) {
        result = kGetFailed;
        TraceAnswer(4, "hid_get_feature_report EC_GET_FEATURE_FAIL, ", work.data());
        break;
      }
      const AnswerKind answer = ReadAnswer(request, work);
      if (answer == AnswerKind::kAccepted) {
        std::copy_n(work.begin(), std::min<size_t>(static_cast<size_t>(got), kReportLength),
                    frame.begin());
        result = kSuccess;
        Trace(mouselog::kInfo, "hid_get_feature_report EC_SUCCESS");
        break;
      }
      if (answer == AnswerKind::kEchoMismatch) {
        result = kEchoMismatch;
        TraceAnswer(4, "hid_get_feature_report EC_OTA_RSP_FAIL, ", work.data());
      } else if (!is_get && answer == AnswerKind::kFailed) {
        result = kCommandFailed;
        TraceAnswer(4, "hid_get_feature_report EC_CMD_RSP_FAIL, ", work.data());
      } else if (!is_get && answer == AnswerKind::kBusy) {
        result = kBusy;
        TraceAnswer(4, "hid_get_feature_report EC_CMD_RSP_WAIT, ", work.data());
      }
      if (!is_get) clock_.SleepMs(delay);
    }
  }

  Trace(mouselog::kInfo, "%s Buffer[4]: %02X %02X %02X %02X %02X %02X %02X, 状态: %d", name,
        request[4], request[5], request[6], request[7], request[8], request[9], request[10],
        result);
  return result;
}

ReportResult DriverComm::SendFeatureReport(hid::Device* device, CommandFrame& frame, bool wait) {
  return Exchange(device, frame, wait, false);
}

ReportResult DriverComm::GetFeatureReport(hid::Device* device, CommandFrame& frame) {
  return Exchange(device, frame, true, true);
}

ReportResult DriverComm::RetryExchange(CommandFrame& frame, bool wait, bool is_get) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return kRetryFailed;
  hid::Device* device = GetCommandDevice();
  if (device == nullptr) return kNoDevice;
  const CommandFrame copy = frame;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (PastBound()) break;
    const ReportResult result = Exchange(device, frame, wait, is_get);
    if (result == kSuccess) return kSuccess;
    // Three busy or silent answers in a row: the mouse did not answer this sequence.
    if (attempt == 2 && (result == kNoAnswer || result == kBusy)) unanswered_.store(true);
    frame = copy;
    Trace(mouselog::kError, "DriverComm::GetFeatureReport: Retry %d", attempt);
    clock_.SleepMs(kRetryPauseMs);
  }
  return kRetryFailed;
}

void DriverComm::BeginSequence(int bound_ms) {
  std::lock_guard lock(mu_);
  unanswered_.store(false);
  ++sequence_number_;
  sequence_deadline_ = clock_.TickCount() + static_cast<uint64_t>(std::max(bound_ms, 1));
}

void DriverComm::EndSequence() {
  std::lock_guard lock(mu_);
  sequence_deadline_ = 0;
}

bool DriverComm::PastBound() {
  const bool past =
      stop_.load() || (sequence_deadline_ != 0 && clock_.TickCount() >= sequence_deadline_);
  if (past) unanswered_.store(true);
  return past;
}

ReportResult DriverComm::SendFeatureReportRetry(CommandFrame& frame, bool wait) {
  return RetryExchange(frame, wait, false);
}

ReportResult DriverComm::GetFeatureReportRetry(CommandFrame& frame) {
  return RetryExchange(frame, true, true);
}

ReportResult DriverComm::SendScreenReport(hid::Device* device, ScreenFrame& frame) {
  std::lock_guard lock(mu_);
  Trace(mouselog::kInfo,
        "DriverComm::SendFeatureReport Buffer[4]: %02X %02X %02X %02X %02X %02X %02X", frame[4],
        frame[5], frame[6], frame[7], frame[8], frame[9], frame[10]);
  // An interface whose output report is longer than 64 bytes takes the frame zero-padded.
  int length = static_cast<int>(kReportLength);
  for (const OpenEntry& open : entries_) {
    if (open.second_device.get() == device && device != nullptr) {
      length = std::max(length, open.entry.second_output_length);
      break;
    }
  }
  std::array<uint8_t, 256> work{};
  length = std::min(length, static_cast<int>(work.size()));
  std::copy_n(frame.begin(), kReportLength, work.begin());
  work[2] = ScreenChecksum(frame);
  const int written =
      device == nullptr ? -1 : device->Write(work.data(), static_cast<size_t>(length));
  const int pause = ScreenPauseMs();
  if (pause > 0) clock_.SleepMs(pause);
  const ReportResult result = written > 0 ? kSuccess : kSendFailed;
  Trace(mouselog::kInfo,
        "DriverComm::SendFeatureReport Buffer[4]: %02X %02X %02X %02X %02X %02X %02X, 状态: %d",
        frame[4], frame[5], frame[6], frame[7], frame[8], frame[9], frame[10], result);
  return result;
}

ReportResult DriverComm::GetFeatureTFTReport(ScreenFrame& frame) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return kRetryFailed;
  hid::Device* device = nullptr;
  for (const OpenEntry& open : entries_) {
    const DeviceEntry& e = open.entry;
    if (e.device_type == selected_type_ && e.mode == kModeReceiver && open.second_device &&
        e.second_output_length >= static_cast<int>(kReportLength)) {
      device = open.second_device.get();
      break;
    }
  }
  if (device == nullptr) return kNoDevice;
  const ScreenFrame copy = frame;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (SendScreenReport(device, frame) == kSuccess) return kSuccess;
    frame = copy;
    Trace(mouselog::kError, "DriverComm::GetFeatureTFTReport: Retry %d", attempt);
    clock_.SleepMs(kRetryPauseMs);
  }
  return kRetryFailed;
}

void DriverComm::PollBigDataConfirmation(hid::Device* device, const CommandFrame& request,
                                         uint8_t expect, const char* success_format,
                                         const char* pending_format) {
  for (int poll = 0; poll < 30; ++poll) {
    CommandFrame answer = request;  // checksum byte left 0
    const int got = device->GetFeatureReport(answer.data(), kReportLength);
    if (got > 0 && answer[4] == expect) {
      TraceAnswer(2, success_format, answer.data());
      return;
    }
    clock_.SleepMs(PollDelayMs());
    TraceAnswer(2, pending_format, answer.data());
  }
}

bool DriverComm::OpenBigDataMode(uint16_t size) {
  std::lock_guard lock(mu_);
  Trace(mouselog::kInfo, "2.4G命令鼠标收发大数据");
  hid::Device* device = GetCommandDevice();
  if (device == nullptr) {
    Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 设备为空");
    return false;
  }
  clock_.SleepMs(kReceiverPollMs);
  CommandFrame open_frame = MakeBigDataOpenFrame();
  const ReportResult opened = SendFeatureReport(device, open_frame, false);
  if (opened != kSuccess) {
    Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 44命令, %d", opened);
    return false;
  }
  clock_.SleepMs(kReceiverPollMs);
  bool sized = false;
  for (int attempt = 0; attempt < 3 && !sized; ++attempt) {
    CommandFrame size_frame = MakeBigDataSizeFrame(size);
    const ReportResult r = SendFeatureReport(device, size_frame, false);
    if (r == kSuccess) {
      sized = true;
    } else {
      Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 57命令, %d", r);
      clock_.SleepMs(kRetryPauseMs);
    }
  }
  if (!sized) return false;

  PollBigDataConfirmation(device, MakeBigDataOpenFrame(), 0, "2.4G命令鼠标收发大数据 44 成功 Get,",
                          "2.4G命令鼠标收发大数据 44 Get,");
  clock_.SleepMs(kReceiverPollMs);
  PollBigDataConfirmation(device, MakeBigDataSizeFrame(size), 1,
                          "2.4G命令鼠标收发大数据 57 成功 Get,", "2.4G命令鼠标收发大数据 57 Get,");
  Trace(mouselog::kInfo, "2.4G命令鼠标收发大数据启动");
  return true;
}

// --- discovery and connection ---

void DriverComm::RegisterMode(uint32_t vid, uint32_t pid, const std::string& dev_id,
                              int device_type, int mode_value) {
  std::lock_guard lock(mu_);
  modes_.push_back(ModeRecord{vid, pid, device_type, mode_value, dev_id});
}

void DriverComm::ClearModes() {
  std::lock_guard lock(mu_);
  modes_.clear();
}

std::vector<ModeRecord> DriverComm::Modes() const {
  std::lock_guard lock(mu_);
  return modes_;
}

void DriverComm::EnumerateDevice() {
  std::lock_guard lock(mu_);
  screen_pause_ms_.store(
      std::max(0, platform::ReadIniInt(platform::DataDir() + "config.ini", "DELAY", "TIME", 0)));
  // A rebuild starts from an empty list even when the caller did not close first, so no
  // interface is opened twice.
  DropEntries();
  refused_.clear();
  {
    std::lock_guard bus_lock(bus_mu_);
    for (const hid::DeviceInfo& info : bus_.Enumerate()) {
      if (!IsSupported(info.vendor_id, info.product_id)) continue;
      int error = 0;
      std::unique_ptr<hid::Device> handle = bus_.TryOpen(info.path, error);
      if (!handle) {
        NoteRefused(info, error);
        continue;
      }
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
      e.device_type = LookupDeviceType(e.vid, e.pid, "");
      e.mode = GetModeValue(e.vid, e.pid);
      e.online = e.mode == kModeCable ? 1 : 0;
      e.has_command_device = open.command_device != nullptr;
      e.has_second_device = open.second_device != nullptr;
      entries_.push_back(std::move(open));
    }
  }
  GetDeviceInfo();
}

void DriverComm::NoteRefused(const hid::DeviceInfo& info, int error) {
  const bool command = info.usage_page == 0xFF00 && info.usage == 1;
  // hidapi lists a path once per collection; one refusal per path is enough.
  for (RefusedInterface& r : refused_) {
    if (r.path == info.path) {
      r.command = r.command || command;
      return;
    }
  }
  Trace(mouselog::kError, "EnumerateDevice: cannot open %s (VID: %04X, PID: %04X): %s",
        info.path.c_str(), info.vendor_id, info.product_id, ErrorText(error).c_str());
  refused_.push_back(RefusedInterface{info.path, info.vendor_id, info.product_id,
                                      LookupDeviceType(info.vendor_id, info.product_id, ""),
                                      GetModeValue(info.vendor_id, info.product_id), error,
                                      command});
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
    wireless_.store(entries_[static_cast<size_t>(cached_command_index_)].entry.mode ==
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
        wireless_.store(want_mode == kModeReceiver);
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
  return std::any_of(modes_.begin(), modes_.end(),
                     [&](const ModeRecord& m) { return m.vid == vid && m.pid == pid; });
}

bool DriverComm::HasDevId(const std::string& text) const {
  std::lock_guard lock(mu_);
  return std::any_of(modes_.begin(), modes_.end(),
                     [&](const ModeRecord& m) { return m.dev_id == text; });
}

int DriverComm::GetModeValue(uint32_t vid, uint32_t pid) const {
  std::lock_guard lock(mu_);
  for (const ModeRecord& m : modes_) {
    if (m.vid == vid && m.pid == pid) return m.mode_value;
  }
  return 0;
}

int DriverComm::LookupDeviceType(uint32_t vid, uint32_t pid, const std::string& text) const {
  std::lock_guard lock(mu_);
  for (const ModeRecord& m : modes_) {
    if (m.vid == vid && m.pid == pid && (text.empty() || m.dev_id == text)) return m.device_type;
  }
  return 0;
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

void DriverComm::ReadDeviceInfo(hid::Device* device, std::array<uint8_t, 128>& block) {
  std::lock_guard lock(mu_);
  Trace(mouselog::kInfo, "获取设备信息 开始");
  for (int half = 0; half < 2; ++half) {
    clock_.SleepMs(kCablePollMs);
    CommandFrame frame =
        MakeCommandFrame(kCmdReadInfo, kSubReadPage, static_cast<uint8_t>(kInfoFirstPage + half));
    if (GetFeatureReport(device, frame) == kSuccess) {
      std::copy_n(frame.begin() + 6, 10, block.begin() + 10 * half);
      Trace(mouselog::kInfo,
            "获取设备信息 成功, %02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d", block[0],
            block[1], block[2], block[3], block[4], block[5], block[6], block[7], block[8],
            block[9], block[10]);
    } else {
      Trace(mouselog::kError, "获取设备信息错误, 命令 81");
    }
  }
}

void DriverComm::ReadInfoWithRetry(hid::Device* device, std::array<uint8_t, 128>& block) {
  block.fill(0);
  ReadDeviceInfo(device, block);
  if (block[0] == 0 && block[1] == 0) {
    ReadDeviceInfo(device, block);
    clock_.SleepMs(kRetryPauseMs);
    Trace(mouselog::kError, "获取设备信息错误, Retry 1");
  }
}

void DriverComm::ApplyIdentity(OpenEntry& open, const std::array<uint8_t, 128>& block,
                               bool receiver) {
  DeviceEntry& e = open.entry;
  e.dev_id_text = FormatDevId(block);
  if (receiver) Trace(mouselog::kInfo, "GetDeviceInfo %s", e.dev_id_text.c_str());
  if (HasDevId(e.dev_id_text)) {
    // A device id registered for another vid/pid would give type 0 and lose the model; the
    // entry keeps its enumeration type then.
    const int type = LookupDeviceType(e.vid, e.pid, e.dev_id_text);
    if (type != 0) {
      e.device_type = type;
      SetTypeForIds(e.vid, e.pid, type);
    }
    e.online = 1;
    if (receiver) Trace(mouselog::kInfo, "GetDeviceInfo dev_type: %d", e.device_type);
  } else if (receiver) {
    Trace(mouselog::kInfo, "GetDeviceInfo IsProduct 0");
  }
  std::copy_n(block.begin(), e.info.size(), e.info.begin());
}

void DriverComm::GetDeviceInfo() {
  std::lock_guard lock(mu_);
  Trace(mouselog::kInfo, "GetDeviceInfo Beg");
  std::array<uint8_t, 128> block{};
  for (size_t i = 0; i < entries_.size(); ++i) {
    OpenEntry& open = entries_[i];
    if (open.entry.is_second != 0 || !open.command_device) continue;
    hid::Device* device = open.command_device.get();
    if (open.entry.mode == kModeCable) {
      wireless_.store(false);
      ReadInfoWithRetry(device, block);
      if (block[0] != 0 && block[1] != 0) ApplyIdentity(open, block, false);
    } else if (open.entry.mode == kModeReceiver) {
      const int type = open.entry.device_type;
      const bool cable_twin =
          std::any_of(entries_.begin(), entries_.end(), [&](const OpenEntry& other) {
            return &other != &open && other.entry.device_type == type &&
                   other.entry.mode == kModeCable;
          });
      if (cable_twin) continue;  // the cable wins
      wireless_.store(true);
      if (!IsWirelessOnline(device)) continue;
      ReadInfoWithRetry(device, block);
      if (block[0] != 0 && block[1] != 0) ApplyIdentity(open, block, true);
    }
  }
  Trace(mouselog::kInfo, "GetDeviceInfo End");
}

WirelessLink DriverComm::QueryWirelessLink(hid::Device* device) {
  std::lock_guard lock(mu_);
  Trace(mouselog::kInfo, "判断2.4G设备是否在线");
  if (device == nullptr) device = GetCommandDevice();
  if (device == nullptr) {
    Trace(mouselog::kError, "判断2.4G设备是否在线");
    return WirelessLink::kOffline;
  }
  if (PastBound()) return WirelessLink::kNoAnswer;
  CommandFrame frame = MakeCommandFrame(kCmdOnlineQuery, kSubOnlineQuery, 0);
  const ReportResult result = SendFeatureReport(device, frame, true);
  if (result == kSuccess) {
    return frame[kAnswerData] == kOnlineLinked ? WirelessLink::kOnline : WirelessLink::kOffline;
  }
  // Busy to the last poll, or no final answer at all: the link is there, the mouse is not
  // answering. A stop during the polls counts the same.
  if (result == kBusy || result == kNoAnswer) {
    unanswered_.store(true);
    return WirelessLink::kNoAnswer;
  }
  return WirelessLink::kOffline;
}

int DriverComm::ReadNotification(uint8_t* buffer, size_t length) {
  std::lock_guard lock(mu_);
  if (!IsOpen()) return 1;
  const size_t want = std::min<size_t>(length, 12);
  if (hid::Device* notify = GetNotifyDevice()) {
    return notify->Read(buffer, want, 50) > 0 ? 1 : 0;
  }
  bool any = false;
  for (OpenEntry& open : entries_) {
    const DeviceEntry& e = open.entry;
    if (e.device_type != selected_type_ || e.mode != kModeReceiver || !open.second_device) {
      continue;
    }
    any = true;
    if (open.second_device->Read(buffer, want, 10) > 0) return 1;
  }
  return any ? 0 : 2;
}

void DriverComm::FlushNotifications() {
  std::lock_guard lock(mu_);
  uint8_t scratch[65];
  for (OpenEntry& open : entries_) {
    const DeviceEntry& e = open.entry;
    if (e.device_type == selected_type_ && e.mode == kModeReceiver && open.second_device) {
      open.second_device->Read(scratch, 12, 10);
    }
  }
}
