#include "device/feature_channel.h"

#include <algorithm>

#include "log/trace.h"

namespace device {

void TraceAnswer(int level, const char* prefix, const uint8_t* b) {
  Trace(level, "%sBuffer[0]: %02X %02X %02X %02X %02X %02X %02X", prefix, b[0], b[1], b[2], b[3],
        b[4], b[5], b[6]);
}

ReportResult FeatureChannel::Exchange(hid::Device* device, CommandFrame& frame, bool wait,
                                      bool is_get) {
  std::lock_guard lock(mu_);
  const char* name = is_get ? "DriverComm::GetFeatureReport" : "DriverComm::SendFeatureReport";
  // The closing line shows the request too, even when the frame now holds the answer.
  const CommandFrame request = frame;
  Trace(mouselog::kInfo, "%s Buffer[4]: %02X %02X %02X %02X %02X %02X %02X", name, request[4],
        request[5], request[6], request[7], request[8], request[9], request[10]);

  ReportResult result = kNoAnswer;
  CommandFrame work = request;
  work[kChecksumAt] = CommandChecksum(work);
  if (device == nullptr || device->SendFeatureReport(work.data(), kReportLength) < 0) {
    result = kSendFailed;
  } else if (!wait && !is_get) {
    result = kSuccess;
  } else {
    const int delay = PollDelayMs();
    for (int poll = 0; poll < kPolls; ++poll) {
      if (stop_.load()) break;
      // The get-feature call carries the request, report id first.
      work = request;
      work[kChecksumAt] = CommandChecksum(work);
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

ReportResult FeatureChannel::Retry(hid::Device* device, CommandFrame& frame, bool wait,
                                   bool is_get) {
  std::lock_guard lock(mu_);
  const CommandFrame copy = frame;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (PastBound()) break;
    const ReportResult result = Exchange(device, frame, wait, is_get);
    if (result == kSuccess) return kSuccess;
    // Three busy or silent answers in a row: the mouse did not answer this sequence.
    if (attempt == kAttempts - 1 && (result == kNoAnswer || result == kBusy)) MarkUnanswered();
    frame = copy;
    Trace(mouselog::kError, "DriverComm::GetFeatureReport: Retry %d", attempt);
    clock_.SleepMs(kRetryPauseMs);
  }
  return kRetryFailed;
}

void FeatureChannel::BeginSequence(int bound_ms) {
  std::lock_guard lock(mu_);
  unanswered_.store(false);
  ++sequence_number_;
  sequence_deadline_ = clock_.TickCount() + static_cast<uint64_t>(std::max(bound_ms, 1));
}

void FeatureChannel::EndSequence() {
  std::lock_guard lock(mu_);
  sequence_deadline_ = 0;
}

bool FeatureChannel::PastBound() {
  std::lock_guard lock(mu_);
  const bool past =
      stop_.load() || (sequence_deadline_ != 0 && clock_.TickCount() >= sequence_deadline_);
  if (past) MarkUnanswered();
  return past;
}

}  // namespace device
