// DriverComm: the one object through which the program talks to its mice. It owns the
// connection modes the catalogue registered, the opened HID interfaces of supported models,
// the selected model, and every feature-report exchange with them.
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

#include "device/hid.h"
#include "device/protocol.h"
#include "platform/clock.h"

// 0, 3..8 for one exchange; 0, 1, 2 for the retrying operations.
using ReportResult = int;

namespace device {

// One exchange.
inline constexpr ReportResult kSuccess = 0;
inline constexpr ReportResult kNoAnswer = 3;       // five polls without an accepted answer
inline constexpr ReportResult kSendFailed = 4;     // set-feature (or the screen write) failed
inline constexpr ReportResult kGetFailed = 5;      // get-feature failed or returned nothing
inline constexpr ReportResult kCommandFailed = 6;  // status 1
inline constexpr ReportResult kBusy = 7;           // status 2
inline constexpr ReportResult kEchoMismatch = 8;   // status 0, wrong command echo
// Retrying operations.
inline constexpr ReportResult kRetryFailed = 1;  // three attempts failed, or the channel is closed
inline constexpr ReportResult kNoDevice = 2;

inline constexpr int kModeCable = 0;
inline constexpr int kModeReceiver = 1;

inline constexpr uint16_t kScreenReceiverVid = 0x7A5D;
inline constexpr uint16_t kScreenReceiverPid = 0x3A10;

// What the online query through the receiver says of the mouse behind it.
enum class WirelessLink {
  kOnline,    // linked and answering
  kOffline,   // the receiver says no mouse is linked, or the receiver itself cannot be reached
  kNoAnswer,  // the mouse is there but stayed busy or silent (or the sequence's bound or a stop
              // cut the query short): not offline, it did not answer
};

// The system's text for an errno value ("Permission denied"); "reason unknown" for 0.
std::string ErrorText(int error);

}  // namespace device

// One connection mode of a catalogue model.
struct ModeRecord {
  uint32_t vid = 0;
  uint32_t pid = 0;
  int device_type = 0;
  int mode_value = 0;  // 0 cable, 1 receiver
  std::string dev_id;  // 12 upper-case hex digits, or empty
};

// One opened HID interface of a supported model, as the rest of the program sees it (the
// handles themselves stay inside DriverComm).
struct DeviceEntry {
  int index = 0;
  uint16_t vid = 0;
  uint16_t pid = 0;
  std::string dev_id_text;  // read from the mouse; empty until the identity pass has it
  bool has_command_device = false;
  bool has_second_device = false;
  int second_output_length = 0;  // output report length of the second interface
  int is_second = 0;
  uint16_t release = 0;
  int device_type = 0;
  int mode = 0;
  int online = 0;
  std::array<uint8_t, 64> info{};  // the device information block, zero-filled
};

// An interface of a supported model that is present but could not be opened.
struct RefusedInterface {
  std::string path;
  uint16_t vid = 0;
  uint16_t pid = 0;
  int device_type = 0;
  int mode = 0;          // 0 cable, 1 receiver
  int error = 0;         // errno of the refusal (EACCES, EBUSY, ...); 0 when the bus cannot tell
  bool command = false;  // the path offers the command interface (usage page 0xFF00, usage 1)
};

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
  void BeginSequence(int bound_ms = kSequenceBoundMs);
  void EndSequence();
  // Whether an exchange since BeginSequence ended with the mouse not answering (busy or
  // silent until the polls ran out, or cut off by the bound or a stop).
  bool SequenceUnanswered() const { return unanswered_.load(); }
  // Asked from any thread when the program closes: every poll and retry ends at once.
  void RequestStop() { stop_.store(true); }
  void ClearStop() { stop_.store(false); }
  // A fixed pause inside a task: sleeps `ms` unless a stop is requested, which ends it early.
  void PauseMs(int ms) { clock_.SleepUnlessStopped(ms, stop_); }
  // Counts BeginSequence calls, so a reaction can be made once per sequence.
  uint64_t SequenceNumber() const { return sequence_number_.load(); }
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

  bool IsWireless() const { return wireless_.load(); }
  int PollDelayMs() const { return wireless_.load() ? kReceiverPollMs : kCablePollMs; }

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
  // The same single exchange, telling a busy mouse from an offline one. A busy or silent
  // answer marks the sequence unanswered; past the bound no exchange is made.
  device::WirelessLink QueryWirelessLink(hid::Device* device);
  // 1 read (or channel closed), 0 nothing came, 2 no notification interface. Up to 12 bytes.
  int ReadNotification(uint8_t* buffer, size_t length);
  // Drops one pending report from every receiver's second interface of the selected type.
  void FlushNotifications();

  platform::Clock& GetClock() { return clock_; }

  static constexpr int kCablePollMs = 30;
  static constexpr int kReceiverPollMs = 50;
  static constexpr int kRetryPauseMs = 100;

 private:
  struct OpenEntry {
    DeviceEntry entry;
    std::unique_ptr<hid::Device> command_device;
    std::unique_ptr<hid::Device> second_device;
  };

  ReportResult Exchange(hid::Device* device, CommandFrame& frame, bool wait, bool is_get);
  ReportResult RetryExchange(CommandFrame& frame, bool wait, bool is_get);
  void ClearCaches();
  void DropEntries();
  void NoteRefused(const hid::DeviceInfo& info, int error);  // mu_ held
  void ReadInfoWithRetry(hid::Device* device, std::array<uint8_t, 128>& block);
  void ApplyIdentity(OpenEntry& open, const std::array<uint8_t, 128>& block, bool receiver);
  // The cable entry of the selected model if any, else its receiver entry.
  const OpenEntry* CurrentModelEntry() const;
  void PollBigDataConfirmation(hid::Device* device, const CommandFrame& request, uint8_t expect,
                               const char* success_format, const char* pending_format);

  hid::Bus& bus_;
  platform::Clock& clock_;

  // One exchange at a time, and no rebuild of the list during one.
  mutable std::recursive_mutex mu_;
  // Serialises use of the bus itself (enumeration and opening are not thread-safe in hidapi).
  std::mutex bus_mu_;

  bool PastBound();  // mu_ held
  std::atomic<bool> open_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> unanswered_{false};
  std::atomic<uint64_t> sequence_number_{0};
  uint64_t sequence_deadline_ = 0;  // 0: no sequence open
  std::atomic<bool> wireless_{false};
  std::atomic<int> screen_pause_ms_{0};

  std::vector<ModeRecord> modes_;
  std::vector<OpenEntry> entries_;
  std::vector<RefusedInterface> refused_;
  int selected_type_ = 0;
  hid::Device* cached_command_ = nullptr;
  int cached_command_index_ = -1;
  hid::Device* cached_notify_ = nullptr;
};
