// A bus of virtual mice and receivers that answer the way the mice's firmware does, for tests
// and for running the program without hardware (--simulate).
//
// The virtual mouse keeps its own copy of the wire constants (report ids, commands, sub-codes,
// statuses, layouts) on purpose and never includes device/protocol.h: it is the independent
// other side of the wire, so a mistake in the program's protocol unit shows as a test failure
// instead of being shared by both sides.
//
// Every mouse has a cable attachment, a receiver attachment, or both. Each attachment shows
// the interfaces of the real device: 0 a plain mouse (usage page 1, usage 2), 1 notifications
// (usage page 1, usage 0, input report 0x09), 2 commands (usage page 0xFF00, usage 1, 64-byte
// feature report 0x03) and, on the screen receiver 7A5D:3A10, 3 the screen (usage page 0xFF06,
// usage 1, 64-byte output report 0x09). Paths read "sim:VID_7A5D&PID_3A10&MI_02#0" (the last
// number is the mouse index).
//
// All operations are thread-safe; a handle opened before an unplug stays dead after it, as a
// real one does.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/hid.h"
#include "firmware.h"
#include "models.h"
#include "platform/clock.h"
#include "screen.h"

namespace sim {

enum class Interface { kMouse = 0, kNotify = 1, kCommand = 2, kScreen = 3 };

enum class ReportKind { kSetFeature, kGetFeature, kOutput, kInput };
// "set-feature", "get-feature", "output", "input"
const char* ReportKindName(ReportKind kind);

struct ReceivedReport {
  uint64_t ms = 0;        // clock milliseconds since the bus was made
  std::string interface;  // "7A5D:3A10/command"; "#1" after the pid for mouse 1 and above
  ReportKind kind = ReportKind::kSetFeature;
  // set-feature and output: the bytes the host sent; get-feature: the answer it got (only the
  // report id when the call failed); input: the report it read.
  std::vector<uint8_t> bytes;
};

// "<ms> <interface> <kind> <hex bytes>"
std::string FormatReport(const ReceivedReport& report);

enum class Fault {
  kBusy,             // the next N get-feature answers carry status 2 (busy)
  kCommandFailed,    // the next N command frames are not carried out and answered with status 1
  kWrongEcho,        // the next N get-feature answers carry a wrong byte 4
  kGetFeatureError,  // the next N get-feature calls fail (-1)
  kSetFeatureError,  // the next N set-feature calls fail (-1); nothing is carried out
  kWriteError,       // the next N output reports (screen) fail (-1)
  kReadError,        // the next N input reads fail (-1)
  kUnplugAfter,      // the attachment is unplugged right after N more set-feature/output reports
  kBusyForever,      // every get-feature answer carries status 2 until ClearFaults (count unused)
};

struct PlugEvent {
  bool arrived = false;
  hid::DeviceInfo info;  // info.path is the interface path
};

class VirtualBus : public hid::Bus {
 public:
  explicit VirtualBus(platform::Clock& clock);
  ~VirtualBus() override;
  VirtualBus(const VirtualBus&) = delete;
  VirtualBus& operator=(const VirtualBus&) = delete;

  // Adds a mouse with its attachments, plugged in and (behind a receiver) switched on.
  // Returns its index.
  int AddMouse(Model model, Attachment attachment);
  int MouseCount() const;
  Model MouseModel(int mouse) const;

  // hid::Bus
  std::vector<hid::DeviceInfo> Enumerate() override;
  std::unique_ptr<hid::Device> Open(const std::string& path) override;
  platform::Result<std::unique_ptr<hid::Device>> TryOpen(const std::string& path) override;
  // The machine refuses every open with the errno `error` (EACCES: the user may not open the
  // nodes, EBUSY: another program holds them); 0 allows opening again. Interfaces stay
  // listed.
  void SetOpenRefusal(int error) { open_refusal_.store(error); }

  // Hot-plug of one attachment. Nothing happens for an attachment the mouse does not have.
  void Plug(int mouse, Connection connection);
  void Unplug(int mouse, Connection connection);
  bool HasAttachment(int mouse, Connection connection) const;
  bool IsPlugged(int mouse, Connection connection) const;
  // Called for every interface that appears or disappears, after the change, on the thread
  // that caused it, with no lock held.
  void SetPlugListener(std::function<void(const PlugEvent&)> listener);
  std::string InterfacePath(int mouse, Connection connection, Interface which) const;
  // The release number (firmware version) the attachment reports from its next enumeration.
  void SetRelease(int mouse, Connection connection, uint16_t bcd);
  uint16_t Release(int mouse, Connection connection) const;
  // Handles opened and not yet released.
  int OpenDeviceCount() const;

  // What a person does with the mouse. Status reports go to the notification interface of the
  // cable when it is plugged, otherwise of the receiver while the mouse is linked to it.
  // Switches the mouse behind the receiver on or off (link report 2 on the receiver).
  void SetWirelessLink(int mouse, bool on);
  bool WirelessLink(int mouse) const;
  // Next DPI level, wrapping at the level count (report 3 with the new level counted from 1).
  void PressDpiButton(int mouse);
  // Percent 0..100 and the charging bit (report 5).
  void SetBattery(int mouse, int percent, bool charging);
  // The report rate changed on the mouse itself (report 9 with the code).
  void ChangeReportRateOnMouse(int mouse, int code);
  // Any status report 09 FA code value on one attachment's notification interface.
  void SendNotification(int mouse, Connection connection, uint8_t code, uint8_t value);
  // Any input report on one attachment's notification interface, report id first.
  void QueueInputReport(int mouse, Connection connection, std::vector<uint8_t> report);
  size_t PendingInputReports(int mouse, Connection connection) const;

  // Inspection (copies taken under the lock).
  MouseState State(int mouse) const;
  std::array<uint8_t, kSettingsImageSize> SettingsImage(int mouse) const;
  std::array<uint8_t, kKeyTableSize> KeyTable(int mouse) const;
  std::vector<uint8_t> MacroMemory(int mouse) const;
  MacroTransfer LastMacroTransfer(int mouse) const;
  std::array<uint8_t, kDeviceInfoSize> DeviceInfo(int mouse, Connection connection) const;
  // Changes the mouse's state directly (test set-up), under the lock.
  void ModifyState(int mouse, const std::function<void(MouseState&)>& change);
  // The receiver's screen; empty state for a mouse without a screen receiver.
  ScreenState Screen(int mouse) const;
  // Writes frame `index` of the last complete screen upload as a PNG.
  bool WriteScreenFramePng(int mouse, int index, const std::string& path) const;

  // Faults, counted per attachment.
  void InjectFault(int mouse, Connection connection, Fault fault, int count = 1);
  void ClearFaults();

  // Every report the bus received (and every input report it delivered), oldest first.
  std::vector<ReceivedReport> Log() const;
  std::string LogText() const;  // one FormatReport line each
  void ClearLog();
  // Appends every later report to `path` as a line, flushed at once. False when the file
  // cannot be opened; an empty path stops writing.
  bool SetLogFile(const std::string& path);
  // Like SetLogFile, but writes the log kept so far first (under the same lock, so no report
  // is lost or written twice).
  bool StartLogFile(const std::string& path);

  struct Core;

 private:
  std::shared_ptr<Core> core_;
  std::atomic<int> open_refusal_{0};
};

// What `--sim-log FILE` writes: the bus's log so far as text, one report a line
// "<ms> <interface> <kind> <hex bytes>", and every later report appended as it happens (the
// file is flushed at each line, so it survives a crash). False when the file cannot be
// written.
bool WriteLog(VirtualBus& bus, const std::string& path);

}  // namespace sim
