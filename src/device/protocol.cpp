#include "device/protocol.h"

#include <algorithm>

namespace device {

uint8_t CommandChecksum(const CommandFrame& frame) {
  unsigned sum = 0;
  for (size_t i = 2; i < kReportLength; ++i) sum += frame[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

uint8_t ScreenChecksum(const ScreenFrame& frame) {
  unsigned sum = 0;
  for (size_t i = 3; i < kReportLength; ++i) sum += frame[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

CommandFrame MakeCommandFrame(uint8_t command, uint8_t sub_code, uint8_t address,
                              std::span<const uint8_t> data) {
  CommandFrame frame{};
  const size_t n = std::min<size_t>(data.size(), kMaxData);
  frame[0] = kCommandReportId;
  frame[kStatusAt] = kKindOrdinary;
  frame[kSizeAt] = static_cast<uint8_t>(n);
  frame[kCommandAt] = command;
  frame[kSubCodeAt] = sub_code;
  frame[kAddressAt] = address;
  std::copy_n(data.begin(), n, frame.begin() + kDataAt);
  return frame;
}

namespace {

// Byte 5 names the link the transfer runs over: 1, the receiver.
constexpr uint8_t kThroughReceiver = 1;

CommandFrame LongDataFrame(uint8_t address, uint8_t inner, uint8_t length) {
  CommandFrame frame{};
  frame[0] = kCommandReportId;
  frame[2] = kKindLongData;
  frame[3] = kLongDataSize;
  frame[4] = address;
  frame[5] = kThroughReceiver;
  frame[6] = inner;
  frame[7] = address;
  frame[8] = length;
  frame[9] = inner;
  return frame;
}

}  // namespace

CommandFrame MakeBigDataOpenFrame() { return LongDataFrame(0, kLongDataOpen, 9); }

CommandFrame MakeBigDataSizeFrame(uint16_t size) {
  CommandFrame frame = LongDataFrame(1, kLongDataLength, 6);
  frame[10] = 0x03;
  frame[11] = static_cast<uint8_t>(size & 0xFF);
  frame[12] = static_cast<uint8_t>(size >> 8);
  return frame;
}

AnswerKind ReadAnswer(const CommandFrame& request, const CommandFrame& answer) {
  switch (answer[kStatusAt]) {
    case kStatusOk:
      return answer[kCommandAt] == request[kCommandAt] ? AnswerKind::kAccepted
                                                       : AnswerKind::kEchoMismatch;
    case kStatusFailed:
      return AnswerKind::kFailed;
    case kStatusBusy:
      return AnswerKind::kBusy;
    default:
      return AnswerKind::kOther;
  }
}

StatusReport DecodeStatusReport(const uint8_t* report, size_t length) {
  StatusReport r;
  if (report == nullptr || length <= kStatusValueAt || report[0] != kStatusReportId ||
      report[kStatusMarkerAt] != kStatusMarker) {
    return r;
  }
  r.value = report[kStatusValueAt];
  switch (report[kStatusEventAt]) {
    case kEventLink:
      r.kind = StatusReport::Kind::kLink;
      r.linked = r.value == kLinkUp;
      break;
    case kEventDpiLevel:
      r.kind = StatusReport::Kind::kDpiLevel;
      r.dpi_level = r.value >= 1 && r.value <= kMaxDpiLevels ? r.value - 1 : -1;
      break;
    case kEventBattery:
      r.kind = StatusReport::Kind::kBattery;
      r.battery_percent = r.value & kBatteryLevelMask;
      r.charging = (r.value & kChargingBit) != 0;
      break;
    case kEventReportRate:
      r.kind = StatusReport::Kind::kReportRate;
      r.rate_code = r.value;
      break;
    default:
      r.kind = StatusReport::Kind::kOther;
      break;
  }
  return r;
}

}  // namespace device
