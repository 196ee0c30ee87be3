// The mouse's wire protocol in one place: report ids and kinds, the frame layout, every
// command and sub-code the program sends, the answer statuses, and pure functions that build
// and read frames. Nothing here does I/O; DriverComm and the subsystems send what it builds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// A 64-byte report plus one byte that travels with the frame (restored between retries) but is
// never sent. Byte 0 is the report id.
using CommandFrame = std::array<uint8_t, 65>;
// Report 0x09 for the screen channel; same buffer shape as CommandFrame.
using ScreenFrame = std::array<uint8_t, 65>;

namespace device {

inline constexpr uint8_t kCommandReportId = 0x03;
inline constexpr uint8_t kScreenReportId = 0x09;
inline constexpr uint8_t kKindOrdinary = 0x50;
inline constexpr uint8_t kKindLongData = 0x65;
inline constexpr size_t kReportLength = 64;

// Layout of an ordinary frame: [0] report id, [1] checksum, [2] kind in a request and status
// in an answer, [3] data size, [4] command (echoed by the answer), [5] sub-code, [6] address,
// then data. An answer's payload starts at kAnswerData.
inline constexpr size_t kChecksumAt = 1;
inline constexpr size_t kStatusAt = 2;
inline constexpr size_t kSizeAt = 3;
inline constexpr size_t kCommandAt = 4;
inline constexpr size_t kSubCodeAt = 5;
inline constexpr size_t kAddressAt = 6;
inline constexpr size_t kDataAt = 7;
inline constexpr size_t kAnswerData = 6;
inline constexpr size_t kMaxData = kReportLength - kDataAt;

// Answer statuses in byte 2.
inline constexpr uint8_t kStatusOk = 0;
inline constexpr uint8_t kStatusFailed = 1;
inline constexpr uint8_t kStatusBusy = 2;

// Commands and sub-codes.
inline constexpr uint8_t kCmdOnlineQuery = 0x01;  // sub kSubOnlineQuery; answer [6] 1 = online
inline constexpr uint8_t kSubOnlineQuery = 0x47;
inline constexpr uint8_t kOnlineLinked = 1;
inline constexpr uint8_t kSubReadPage = 0x4F;  // reads ten bytes of a page at the address
inline constexpr uint8_t kCmdReadInfo = 0x02;  // device information, pages from 0x80
inline constexpr uint8_t kInfoFirstPage = 0x80;
inline constexpr uint8_t kCmdReadKeysFirst = 0x05;      // key table: one command per page
inline constexpr uint8_t kCmdReadSettingsFirst = 0x0A;  // settings image: one per page
inline constexpr uint8_t kSettingsFirstPage = 0x40;
inline constexpr uint8_t kCmdRestoreSection = 0x0F;  // address = section
inline constexpr uint8_t kSubRestoreSection = 0x06;
inline constexpr uint8_t kCmdWriteDpi = 0x50;  // the active level, its DPI code and colour
inline constexpr uint8_t kSubWriteDpi = 0x3A;
inline constexpr uint8_t kCmdWriteSetting = 0x31;  // one byte of the settings image
inline constexpr uint8_t kCmdWriteSetting2 = 0x32;
inline constexpr uint8_t kSubWriteSetting = 0x35;
inline constexpr uint8_t kCmdWriteImageFirst = 0x90;  // 0x90 + part: ten bytes at 10 * part
inline constexpr uint8_t kSubWriteImage = 0x36;
inline constexpr uint8_t kCmdWriteImageLast = 0x96;  // byte 50 of the image
inline constexpr uint8_t kSubWriteImageLast = 0x37;
// The long-data hand-shake through the receiver.
inline constexpr uint8_t kLongDataSize = 0x3A;
inline constexpr uint8_t kLongDataOpen = 0x44;
inline constexpr uint8_t kLongDataLength = 0x57;

// Low 8 bits of the sum of bytes 2 to 63.
uint8_t CommandChecksum(const CommandFrame& frame);
// Low 8 bits of the sum of bytes 3 to 63.
uint8_t ScreenChecksum(const ScreenFrame& frame);

// An ordinary request: id 0x03, kind 0x50, byte 3 = data size, data from byte 7 (at most 57
// bytes; more are dropped). The checksum is left 0 for the channel to fill in.
CommandFrame MakeCommandFrame(uint8_t command, uint8_t sub_code, uint8_t address,
                              std::span<const uint8_t> data = {});

// The two hand-shake frames of a long-data transfer through the receiver.
CommandFrame MakeBigDataOpenFrame();
CommandFrame MakeBigDataSizeFrame(uint16_t size);

// --- status reports: input report 0x09 from the mouse's second interface ---
// [0] report id, [1] marker, [2] event code, [3] event value; the rest is not read.
inline constexpr uint8_t kStatusReportId = 0x09;
inline constexpr uint8_t kStatusMarker = 0xFA;
inline constexpr size_t kStatusMarkerAt = 1;
inline constexpr size_t kStatusEventAt = 2;
inline constexpr size_t kStatusValueAt = 3;
inline constexpr size_t kStatusReportLength = 12;  // bytes asked for per read
// Event codes.
inline constexpr uint8_t kEventLink = 2;        // value 1 linked, anything else not
inline constexpr uint8_t kEventDpiLevel = 3;    // the active level, counted from 1
inline constexpr uint8_t kEventBattery = 5;     // bits 0-6 percent, bit 7 charging
inline constexpr uint8_t kEventReportRate = 9;  // the report-rate code
inline constexpr uint8_t kLinkUp = 1;
inline constexpr uint8_t kChargingBit = 0x80;
inline constexpr uint8_t kBatteryLevelMask = 0x7F;
inline constexpr int kMaxDpiLevels = 7;  // levels a mouse offers

// What one status report says.
struct StatusReport {
  enum class Kind {
    kNone,        // not a status report (another report, or nothing read)
    kLink,        // `linked`
    kDpiLevel,    // `dpi_level`, counted from 0; -1 when the value is not a level (1 to 7)
    kBattery,     // `battery_percent`, `charging`
    kReportRate,  // `rate_code`
    kOther,       // a status report with an event this program does not follow
  };
  Kind kind = Kind::kNone;
  uint8_t value = 0;  // the raw event value
  bool linked = false;
  int dpi_level = -1;
  int battery_percent = 0;
  bool charging = false;
  int rate_code = 0;
};
// Decodes `length` bytes of an input report; too short or not a status report gives kNone.
StatusReport DecodeStatusReport(const uint8_t* report, size_t length);

// What an answer to `request` says.
enum class AnswerKind {
  kAccepted,      // status 0 and the command echoed
  kEchoMismatch,  // status 0, another command
  kFailed,        // status 1
  kBusy,          // status 2
  kOther,         // any other status
};
AnswerKind ReadAnswer(const CommandFrame& request, const CommandFrame& answer);

}  // namespace device
