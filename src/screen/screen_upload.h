// The screen commands of the receiver (report 0x09 on its screen interface) and the upload of
// one item: every frame as 240 x 135 RGB565, low byte of each pixel first, in 1158 pieces of
// 56 bytes, between a start and an end command.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/driver_comm.h"
#include "platform/clock.h"
#include "screen/screen_image.h"

namespace screen {

inline constexpr size_t kFrameBytes = kScreenWidth * kScreenHeight * 2;  // 64,800
inline constexpr size_t kPieceBytes = 56;
inline constexpr int kPiecesPerFrame = static_cast<int>(kFrameBytes / kPieceBytes) + 1;  // 1158
// The conversion buffer; larger than a frame so the last piece reads zeros past its end.
inline constexpr size_t kConvertBufferBytes = 0x1C300;

inline constexpr uint8_t kCmdUploadStart = 0xA0;
inline constexpr uint8_t kCmdUploadEnd = 0xA1;
inline constexpr uint8_t kCmdUploadCancelled = 0xA2;
inline constexpr uint8_t kCmdPiece = 0xA3;
inline constexpr uint8_t kCmdClock = 0xB1;
inline constexpr uint8_t kCmdMode = 0xB2;

// A screen frame with the fixed header (0x09, 0x50, checksum left 0, 0x3A) and `command`.
ScreenFrame ScreenCommand(uint8_t command);
ScreenFrame UploadStartFrame(int frames, int delay);
ScreenFrame UploadEndFrame(int frames, int delay);
ScreenFrame UploadCancelledFrame();
// Piece `piece` of frame `frame`: the 56 bytes of `pixels` from offset 56 * piece.
ScreenFrame PieceFrame(int frame, int piece, const uint8_t* pixels);
ScreenFrame ClockFrame(const platform::LocalTime& now);
ScreenFrame ModeFrame(int mode);

// What one upload needs besides the channel.
struct UploadJob {
  std::vector<std::string> frame_files;  // in frame_index order; only the first 150 are sent
  int delay = 100;                       // the frame delay byte (low byte of the field's value)
};

// Sends the job through `comm` (GetFeatureTFTReport; results are not checked: a failed piece
// is traced by the channel and the upload goes on). `cancelled` is read after every piece;
// `progress` gets the percentage after every piece and 100 at the end. Returns true when the
// upload completed, false when it was cancelled.
bool UploadFrames(DriverComm& comm, const UploadJob& job, const std::atomic<bool>& cancelled,
                  const std::function<void(int percent)>& progress);

}  // namespace screen
