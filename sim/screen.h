// The screen on the receiver: takes the screen reports (id 0x09) and assembles the RGB565
// frames it is sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 135;
inline constexpr size_t kScreenFrameBytes = kScreenWidth * kScreenHeight * 2;
inline constexpr size_t kScreenPieceBytes = 56;
inline constexpr int kScreenPieces = static_cast<int>(kScreenFrameBytes / kScreenPieceBytes) + 1;

struct ScreenClock {
  bool set = false;
  int year = 0;  // full year (the report carries year - 2000)
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int day_of_week = 0;  // 0 = Sunday
};

struct ScreenState {
  // What the screen shows: the frames of the last complete upload and their delay.
  std::vector<std::vector<uint8_t>> frames;
  int delay = 0;
  int mode = 0;
  ScreenClock clock;
  int uploads_completed = 0;
  int uploads_cancelled = 0;
  int missing_pieces = 0;  // pieces the last complete upload never received
  int bad_reports = 0;     // wrong checksum or header, unknown command, piece out of range
  std::string last_error;

  // An upload under way (between 0xA0 and 0xA1/0xA2).
  bool uploading = false;
  int announced_frames = 0;
  int announced_delay = 0;
  std::vector<std::vector<uint8_t>> incoming;
  std::vector<std::vector<bool>> received;
  int pieces_received = 0;
};

class ScreenReceiver {
 public:
  // One output report as written by the host (report id first, 64 bytes or more).
  void Handle(const uint8_t* report, size_t length);
  const ScreenState& state() const { return state_; }
  // The receiver lost power: an upload under way is gone; what the screen showed stays.
  void PowerLost();

 private:
  void Bad(std::string why);
  ScreenState state_;
};

// Writes a 240 x 135 little-endian RGB565 frame (or any width x height) as an RGB PNG.
bool WriteRgb565Png(const std::string& path, const uint8_t* pixels, int width, int height);

}  // namespace sim
