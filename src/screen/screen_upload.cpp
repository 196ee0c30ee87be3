#include "screen/screen_upload.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace screen {

ScreenFrame ScreenCommand(uint8_t command) {
  ScreenFrame f{};
  f[0] = device::kScreenReportId;
  f[1] = 0x50;
  f[3] = 0x3A;
  f[4] = command;
  return f;
}

ScreenFrame UploadStartFrame(int frames, int delay) {
  ScreenFrame f = ScreenCommand(kCmdUploadStart);
  f[6] = static_cast<uint8_t>(frames);
  f[8] = static_cast<uint8_t>(delay);
  return f;
}

ScreenFrame UploadEndFrame(int frames, int delay) {
  ScreenFrame f = ScreenCommand(kCmdUploadEnd);
  f[6] = static_cast<uint8_t>(frames);
  f[8] = static_cast<uint8_t>(delay);
  return f;
}

ScreenFrame UploadCancelledFrame() { return ScreenCommand(kCmdUploadCancelled); }

ScreenFrame PieceFrame(int frame, int piece, const uint8_t* pixels) {
  ScreenFrame f = ScreenCommand(kCmdPiece);
  f[5] = static_cast<uint8_t>(frame);
  f[6] = static_cast<uint8_t>(piece >> 8);
  f[7] = static_cast<uint8_t>(piece);
  std::memcpy(&f[8], pixels + kPieceBytes * static_cast<size_t>(piece), kPieceBytes);
  return f;
}

ScreenFrame ClockFrame(const platform::LocalTime& now) {
  ScreenFrame f = ScreenCommand(kCmdClock);
  f[7] = static_cast<uint8_t>(now.year % 2000);
  f[8] = static_cast<uint8_t>(now.month);
  f[9] = static_cast<uint8_t>(now.day);
  f[10] = static_cast<uint8_t>(now.hour);
  f[11] = static_cast<uint8_t>(now.minute);
  f[12] = static_cast<uint8_t>(now.second);
  f[13] = static_cast<uint8_t>(now.day_of_week);
  return f;
}

ScreenFrame ModeFrame(int mode) {
  ScreenFrame f = ScreenCommand(kCmdMode);
  f[5] = static_cast<uint8_t>(mode);
  return f;
}

bool UploadFrames(DriverComm& comm, const UploadJob& job, const std::atomic<bool>& cancelled,
                  const std::function<void(int)>& progress) {
  const int n = std::min<int>(kMaxUploadFrames, static_cast<int>(job.frame_files.size()));
  ScreenFrame start = UploadStartFrame(n, job.delay);
  comm.GetFeatureTFTReport(start);
  // Only for the percentage: pieces of n frames laid end to end.
  const int64_t total = std::max<int64_t>(
      1, (static_cast<int64_t>(n) * static_cast<int64_t>(kFrameBytes) + kPieceBytes - 1) /
             static_cast<int64_t>(kPieceBytes));
  // One buffer per upload, zeroed before each frame: a frame that cannot be read goes out
  // black, and the last piece's 48 bytes past the frame are zeros.
  auto buffer = std::make_unique<uint8_t[]>(kConvertBufferBytes);
  int64_t sent = 0;
  bool stop = false;
  for (int i = 0; i < n && !stop; ++i) {
    std::memset(buffer.get(), 0, kConvertBufferBytes);
    GetImageRGB565Data(job.frame_files[static_cast<size_t>(i)], buffer.get());
    for (int p = 0; p < kPiecesPerFrame; ++p) {
      ScreenFrame piece = PieceFrame(i, p, buffer.get());
      comm.GetFeatureTFTReport(piece);
      ++sent;
      if (progress) progress(static_cast<int>(sent * 100 / total));
      if (cancelled.load()) {
        stop = true;
        break;
      }
    }
  }
  if (stop) {
    ScreenFrame end = UploadCancelledFrame();
    comm.GetFeatureTFTReport(end);
  } else {
    ScreenFrame end = UploadEndFrame(n, job.delay);
    comm.GetFeatureTFTReport(end);
  }
  if (progress) progress(100);
  return !stop;
}

}  // namespace screen
