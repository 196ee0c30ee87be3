// DriverComm: the one object through which the program talks to its mice. It owns the
// device list (the opened HID interfaces of supported models) and the selected model, and
// puts the parts together: the mode registry, the feature-report channel, the identity pass,
// the status-report reads, the screen channel and the long-data hand-shake, each in its own
// file, all under one lock so no exchange runs while the list is rebuilt.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "device/device_entry.h"
#include "device/feature_channel.h"
#include "device/hid.h"
#include "device/identity.h"
#include "device/mode_registry.h"
#include "device/protocol.h"
#include "platform/clock.h"
#include "platform/result.h"

namespace device {

inline constexpr uint16_t kScreenReceiverVid = 0x7A5D;
inline constexpr uint16_t kScreenReceiverPid = 0x3A10;

// The system's text for an errno value ("Permission denied"); "reason unknown" for 0.
std::string ErrorText(int error);

}  // namespace device

class DriverComm {
 public:
  DriverComm(hid::Bus& bus, platform::Clock& clock);
  ~DriverComm();
  DriverComm(const DriverComm&) = delete;
  DriverComm& operator=(const DriverComm&) = delete;

  // --- feature-report channel ---

  // One exchange on `device`; with `wait` false the frame is only sent. On an accepted answer
  // the frame holds it; otherwise the frame is left as the request.
  ReportResult SendFeatureReport(hid::Device* device, CommandFrame& frame, bool wait);
  // One read exchange: always polls; busy and failed statuses are polled again silently.
  ReportResult GetFeatureReport(hid::Device* device, CommandFrame& frame);
  // Up to three exchanges on the selected model's command device: 0, 1 or 2.
  ReportResult SendFeatureReportRetry(CommandFrame& frame, bool wait);
  ReportResult GetFeatureReportRetry(CommandFrame& frame);
  // Writes one screen frame as an output report: 0 written, 4 failed.
  ReportResult SendScreenReport(hid::Device* device, ScreenFrame& frame);
  // Up to three screen writes to the selected model's screen receiver: 0, 1 or 2.
  ReportResult GetFeatureTFTReport(ScreenFrame& frame);

  // The receiver hand-shake that precedes a long-data transfer. False only when a send failed
  // or there is no command device; unconfirmed polls are tolerated.
  bool OpenBigDataMode(uint16_t size);

  // --- discovery and connection ---

  void RegisterMode(uint32_t vid, uint32_t pid, const std::string& dev_id, int device_type,
                    int mode_value);
  // Forgets every registered mode (the catalogue reloads them).
  void ClearModes();
  std::vector<ModeRecord> Modes() const;

  // Rebuilds the device list from the bus, then runs the identity pass.
  void EnumerateDevice();
  // The interfaces of supported models the last enumeration found but could not open, one
  // per path, in bus order.
  std::vector<RefusedInterface> RefusedInterfaces() const;
  // Closes every interface and empties the list; nothing happens while closed.
  void CloseDevices();
  // CloseDevices, EnumerateDevice and open again, with no exchange in between.
  void RebuildDeviceList();

  // --- bounds ---

  // Opens a read or write sequence bounded by `bound_ms` on the clock: once past it, the
  // retrying operations give up without another exchange, so a mouse that answers "busy" for
  // ever costs one bound, not every frame's three attempts.
  void BeginSequence(int bound_ms = kSequenceBoundMs) { channel_.BeginSequence(bound_ms); }
  void EndSequence() { channel_.EndSequence(); }
  // Whether an exchange since BeginSequence ended with the mouse not answering (busy or
  // silent until the polls ran out, or cut off by the bound or a stop).
  bool SequenceUnanswered() const { return channel_.SequenceUnanswered(); }
  // Asked from any thread when the program closes: every poll, retry and pause ends at once.
  void RequestStop() { channel_.RequestStop(); }
  void ClearStop() { channel_.ClearStop(); }
  // A fixed pause inside a task: sleeps `ms` unless a stop is requested, which ends it early.
  void PauseMs(int ms) { channel_.PauseMs(ms); }
  // Counts BeginSequence calls, so a reaction can be made once per sequence.
  uint64_t SequenceNumber() const { return channel_.SequenceNumber(); }
  static constexpr int kSequenceBoundMs = 3000;

  bool IsOpen() const { return open_.load(); }
  void SetOpen(bool open) { open_.store(open); }

  // Selecting a model (0 = none) forgets the cached channels.
  void SetSelectedType(int device_type);
  int SelectedType() const;

  // Also sets the wireless flag (cable 0, receiver 1).
  hid::Device* GetCommandDevice();
  hid::Device* GetNotifyDevice();
  // The entry behind GetCommandDevice(), copied.
  std::optional<DeviceEntry> GetCommandEntry();
  // 0 cable, 1 receiver online, -1 neither (for the selected model).
  int GetConnectMode() const;
  // Entries of the selected type (all entries with none selected). False for an empty list.
  bool CollectEntries(std::vector<DeviceEntry>& list) const;
  size_t EntryCount() const;

  bool IsSupported(uint32_t vid, uint32_t pid) const;
  bool HasDevId(const std::string& text) const;
  int GetModeValue(uint32_t vid, uint32_t pid) const;
  int LookupDeviceType(uint32_t vid, uint32_t pid, const std::string& text) const;
  void SetTypeForIds(uint32_t vid, uint32_t pid, int device_type);

  // vid and pid of the selected model's cable entry, else its receiver entry, else 0, 0.
  std::pair<int, int> GetCurrentIds() const;
  // The release number of the same entry, else 0.
  int GetDeviceVersion() const;
  bool HasScreenReceiver() const;

  // Whether an interface at `path` is a command interface (usage page 0xFF00, usage 1). Takes
  // only the bus lock, so the window thread can ask while an exchange runs.
  bool IsCommandInterfacePath(const std::string& path);

  bool IsWireless() const { return channel_.IsWireless(); }
  int PollDelayMs() const { return channel_.PollDelayMs(); }

  // The pause after each screen frame: "TIME" of section "DELAY" in config.ini beside the
  // program, read at every enumeration (0 when absent).
  int ScreenPauseMs() const { return screen_pause_ms_.load(); }

  // --- identity and status ---

  void GetDeviceInfo();
  // Reads the two halves of the information block into the first 20 bytes of `block`.
  void ReadDeviceInfo(hid::Device* device, std::array<uint8_t, 128>& block);
  // Whether the mouse behind the receiver answers as online; nullptr = the command device.
  bool IsWirelessOnline(hid::Device* device) {
    return QueryWirelessLink(device) == device::WirelessLink::kOnline;
  }
  // The same single exchange, telling a busy mouse from an offline one (identity.h).
  device::WirelessLink QueryWirelessLink(hid::Device* device);
  // 1 read (or channel closed), 0 nothing came, 2 no notification interface. Up to 12 bytes.
  int ReadNotification(uint8_t* buffer, size_t length);
  // Drops one pending report from every receiver's second interface of the selected type.
  void FlushNotifications();

  platform::Clock& GetClock() { return clock_; }

  static constexpr int kCablePollMs = device::FeatureChannel::kCablePollMs;
  static constexpr int kReceiverPollMs = device::FeatureChannel::kReceiverPollMs;
  static constexpr int kRetryPauseMs = device::FeatureChannel::kRetryPauseMs;

 private:
  using OpenEntry = device::OpenEntry;

  ReportResult RetryExchange(CommandFrame& frame, bool wait, bool is_get);
  void ClearCaches();
  void DropEntries();
  void NoteRefused(const hid::DeviceInfo& info, const platform::Error& error);  // mu_ held
  // The cable entry of the selected model if any, else its receiver entry.
  const OpenEntry* CurrentModelEntry() const;

  hid::Bus& bus_;
  platform::Clock& clock_;

  // One exchange at a time, and no rebuild of the list during one.
  mutable std::recursive_mutex mu_;
  // Serialises use of the bus itself (enumeration and opening are not thread-safe in hidapi).
  std::mutex bus_mu_;

  device::FeatureChannel channel_{clock_, mu_};
  std::atomic<bool> open_{false};
  std::atomic<int> screen_pause_ms_{0};

  device::ModeRegistry modes_;
  std::vector<OpenEntry> entries_;
  std::vector<RefusedInterface> refused_;
  int selected_type_ = 0;
  hid::Device* cached_command_ = nullptr;
  int cached_command_index_ = -1;
  hid::Device* cached_notify_ = nullptr;
};
