#include "device/long_data.h"

#include "log/trace.h"

namespace device {

namespace {

constexpr int kConfirmationPolls = 30;
constexpr int kSizeAttempts = 3;

void PollConfirmation(FeatureChannel& channel, hid::Device* device, const CommandFrame& request,
                      uint8_t expect, const char* success_format, const char* pending_format) {
  for (int poll = 0; poll < kConfirmationPolls; ++poll) {
    CommandFrame answer = request;  // checksum byte left 0
    const int got = device->GetFeatureReport(answer.data(), kReportLength);
    if (got > 0 && answer[kCommandAt] == expect) {
      TraceAnswer(2, success_format, answer.data());
      return;
    }
    channel.Clock().SleepMs(channel.PollDelayMs());
    TraceAnswer(2, pending_format, answer.data());
  }
}

}  // namespace

bool OpenBigDataMode(FeatureChannel& channel, hid::Device* device, uint16_t size) {
  Trace(mouselog::kInfo, "2.4G命令鼠标收发大数据");
  if (device == nullptr) {
    Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 设备为空");
    return false;
  }
  platform::Clock& clock = channel.Clock();
  clock.SleepMs(FeatureChannel::kReceiverPollMs);
  CommandFrame open_frame = MakeBigDataOpenFrame();
  const ReportResult opened = channel.Exchange(device, open_frame, false, false);
  if (opened != kSuccess) {
    Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 44命令, %d", opened);
    return false;
  }
  clock.SleepMs(FeatureChannel::kReceiverPollMs);
  bool sized = false;
  for (int attempt = 0; attempt < kSizeAttempts && !sized; ++attempt) {
    CommandFrame size_frame = MakeBigDataSizeFrame(size);
    const ReportResult r = channel.Exchange(device, size_frame, false, false);
    if (r == kSuccess) {
      sized = true;
    } else {
      Trace(mouselog::kError, "2.4G命令鼠标收发大数据, 57命令, %d", r);
      clock.SleepMs(FeatureChannel::kRetryPauseMs);
    }
  }
  if (!sized) return false;

  PollConfirmation(channel, device, MakeBigDataOpenFrame(), 0,
                   "2.4G命令鼠标收发大数据 44 成功 Get,", "2.4G命令鼠标收发大数据 44 Get,");
  clock.SleepMs(FeatureChannel::kReceiverPollMs);
  PollConfirmation(channel, device, MakeBigDataSizeFrame(size), 1,
                   "2.4G命令鼠标收发大数据 57 成功 Get,", "2.4G命令鼠标收发大数据 57 Get,");
  Trace(mouselog::kInfo, "2.4G命令鼠标收发大数据启动");
  return true;
}

}  // namespace device
