// The feature-report channel: one exchange (set-feature, then get-feature polls until the mouse
// gives a final answer), the three-attempt retry around it, and the bound of a read or write
// sequence. It knows devices only as hid::Device; which device to use is its owner's choice.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

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

class FeatureChannel {
 public:
  // `exchange_lock` is held around each exchange; the owner holds it too while it rebuilds
  // the devices the channel is given, so no exchange runs on a closed one.
  FeatureChannel(platform::Clock& clock, std::recursive_mutex& exchange_lock)
      : clock_(clock), mu_(exchange_lock) {}

  // One exchange on `device`; with `wait` false (and not `is_get`) the frame is only sent.
  // `is_get` is the read flavour: busy and failed statuses are polled again silently. On an
  // accepted answer the frame holds it; otherwise the frame is left as the request.
  ReportResult Exchange(hid::Device* device, CommandFrame& frame, bool wait, bool is_get);
  // Up to three exchanges on `device` (the caller checked it is there): 0 or 1.
  ReportResult Retry(hid::Device* device, CommandFrame& frame, bool wait, bool is_get);

  // Opens a sequence bounded by `bound_ms` on the clock: once past it, Retry gives up
  // without another exchange.
  void BeginSequence(int bound_ms);
  void EndSequence();
  // Whether an exchange since BeginSequence ended with the mouse not answering.
  bool SequenceUnanswered() const { return unanswered_.load(); }
  void MarkUnanswered() { unanswered_.store(true); }
  uint64_t SequenceNumber() const { return sequence_number_.load(); }
  // True (and the sequence marked unanswered) once a stop is requested or the bound passed.
  bool PastBound();

  // From any thread: every poll, retry and pause ends at once.
  void RequestStop() { stop_.store(true); }
  void ClearStop() { stop_.store(false); }
  void PauseMs(int ms) { clock_.SleepUnlessStopped(ms, stop_); }

  // The link the polls run over: 30 ms apart on a cable, 50 ms through the receiver.
  void SetWireless(bool wireless) { wireless_.store(wireless); }
  bool IsWireless() const { return wireless_.load(); }
  int PollDelayMs() const { return wireless_.load() ? kReceiverPollMs : kCablePollMs; }

  platform::Clock& Clock() { return clock_; }

  static constexpr int kCablePollMs = 30;
  static constexpr int kReceiverPollMs = 50;
  static constexpr int kRetryPauseMs = 100;
  static constexpr int kPolls = 5;
  static constexpr int kAttempts = 3;

 private:
  platform::Clock& clock_;
  std::recursive_mutex& mu_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> unanswered_{false};
  std::atomic<bool> wireless_{false};
  std::atomic<uint64_t> sequence_number_{0};
  uint64_t sequence_deadline_ = 0;  // 0: no sequence open; mu_ held
};

// "Buffer[0]: .." trace lines show bytes 0 to 6 of an answer; `prefix` carries its own
// separator.
void TraceAnswer(int level, const char* prefix, const uint8_t* bytes);

}  // namespace device
