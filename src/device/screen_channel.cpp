#include "device/screen_channel.h"

#include <algorithm>
#include <array>

#include "log/trace.h"

namespace device {

ReportResult SendScreenReport(platform::Clock& clock, hid::Device* device, ScreenFrame& frame,
                              int output_length, int pause_ms) {
  Trace(mouselog::kInfo,
        "DriverComm::SendFeatureReport Buffer[4]: %02X %02X %02X %02X %02X %02X %02X", frame[4],
        frame[5], frame[6], frame[7], frame[8], frame[9], frame[10]);
  std::array<uint8_t, 256> work{};
  const int length = std::min(std::max(static_cast<int>(kReportLength), output_length),
                              static_cast<int>(work.size()));
  std::copy_n(frame.begin(), kReportLength, work.begin());
  work[2] = ScreenChecksum(frame);
  const int written =
      device == nullptr ? -1 : device->Write(work.data(), static_cast<size_t>(length));
  if (pause_ms > 0) clock.SleepMs(pause_ms);
  const ReportResult result = written > 0 ? kSuccess : kSendFailed;
  Trace(mouselog::kInfo,
        "DriverComm::SendFeatureReport Buffer[4]: %02X %02X %02X %02X %02X %02X %02X, 状态: %d",
        frame[4], frame[5], frame[6], frame[7], frame[8], frame[9], frame[10], result);
  return result;
}

ReportResult SendScreenWithRetry(platform::Clock& clock, hid::Device* device, ScreenFrame& frame,
                                 int output_length, int pause_ms) {
  const ScreenFrame copy = frame;
  for (int attempt = 0; attempt < FeatureChannel::kAttempts; ++attempt) {
    if (SendScreenReport(clock, device, frame, output_length, pause_ms) == kSuccess) {
      return kSuccess;
    }
    frame = copy;
    Trace(mouselog::kError, "DriverComm::GetFeatureTFTReport: Retry %d", attempt);
    clock.SleepMs(FeatureChannel::kRetryPauseMs);
  }
  return kRetryFailed;
}

OpenEntry* FindScreenEntry(std::vector<OpenEntry>& entries, int selected_type) {
  for (OpenEntry& open : entries) {
    const DeviceEntry& e = open.entry;
    if (e.device_type == selected_type && e.mode == kModeReceiver && open.second_device &&
        e.second_output_length >= static_cast<int>(kReportLength)) {
      return &open;
    }
  }
  return nullptr;
}

}  // namespace device
