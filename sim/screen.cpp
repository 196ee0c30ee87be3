#include "sim/screen.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>

#include "sim/firmware.h"

namespace sim {

void ScreenReceiver::Bad(std::string why) {
  ++state_.bad_reports;
  state_.last_error = std::move(why);
}

void ScreenReceiver::PowerLost() {
  state_.uploading = false;
  state_.incoming.clear();
  state_.received.clear();
  state_.pieces_received = 0;
}

void ScreenReceiver::Handle(const uint8_t* r, size_t length) {
  if (length < 64 || r[0] != 0x09 || r[1] != 0x50 || r[3] != 0x3A) {
    return Bad("malformed screen report");
  }
  if (r[2] != Checksum(r, 3)) return Bad("screen checksum mismatch");
  ScreenState& s = state_;
  switch (r[4]) {
    case 0xA0:  // start
      s.uploading = true;
      s.announced_frames = r[6];
      s.announced_delay = r[8];
      s.incoming.assign(s.announced_frames, {});
      s.received.assign(s.announced_frames, {});
      s.pieces_received = 0;
      return;
    case 0xA3: {  // one piece
      const int frame = r[5];
      const int piece = (r[6] << 8) | r[7];
      if (!s.uploading) return Bad("piece outside an upload");
      if (frame >= s.announced_frames) return Bad("piece of frame " + std::to_string(frame));
      if (piece >= kScreenPieces) return Bad("piece number " + std::to_string(piece));
      auto& pixels = s.incoming[frame];
      if (pixels.empty()) {
        pixels.assign(kScreenFrameBytes, 0);
        s.received[frame].assign(kScreenPieces, false);
      }
      const size_t at = static_cast<size_t>(piece) * kScreenPieceBytes;
      const size_t n = std::min(kScreenPieceBytes, kScreenFrameBytes - at);
      std::copy_n(r + 8, n, pixels.begin() + at);
      if (!s.received[frame][piece]) ++s.pieces_received;
      s.received[frame][piece] = true;
      return;
    }
    case 0xA1: {  // end of a complete upload
      if (!s.uploading) return Bad("end outside an upload");
      const int frames = std::min<int>(r[6], s.announced_frames);
      if (r[6] != s.announced_frames) s.last_error = "end names another frame count";
      s.frames.clear();
      s.missing_pieces = 0;
      for (int i = 0; i < frames; ++i) {
        if (s.incoming[i].empty()) {
          s.incoming[i].assign(kScreenFrameBytes, 0);
          s.missing_pieces += kScreenPieces;
        } else {
          s.missing_pieces +=
              static_cast<int>(std::count(s.received[i].begin(), s.received[i].end(), false));
        }
        s.frames.push_back(std::move(s.incoming[i]));
      }
      s.delay = r[8];
      ++s.uploads_completed;
      s.uploading = false;
      s.incoming.clear();
      s.received.clear();
      return;
    }
    case 0xA2:  // cancelled: the screen keeps what it showed
      s.uploading = false;
      s.incoming.clear();
      s.received.clear();
      ++s.uploads_cancelled;
      return;
    case 0xB1:
      s.clock = ScreenClock{true, 2000 + r[7], r[8], r[9], r[10], r[11], r[12], r[13]};
      return;
    case 0xB2:
      s.mode = r[5];
      return;
    default:
      return Bad("unknown screen command");
  }
}

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutBe32(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, static_cast<uint32_t>(
                   crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

}  // namespace

bool WriteRgb565Png(const std::string& path, const uint8_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0 || !pixels) return false;
  // Filter byte 0 and RGB triples per row.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * width));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const size_t at = 2 * (static_cast<size_t>(y) * width + x);
      const unsigned v = pixels[at] | (pixels[at + 1] << 8);
      const unsigned r = (v >> 11) & 0x1F, g = (v >> 5) & 0x3F, b = v & 0x1F;
      raw.push_back(static_cast<uint8_t>((r << 3) | (r >> 2)));
      raw.push_back(static_cast<uint8_t>((g << 2) | (g >> 4)));
      raw.push_back(static_cast<uint8_t>((b << 3) | (b >> 2)));
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_SPEED) != Z_OK) {
    return false;
  }
  packed.resize(packed_size);

  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBe32(header, static_cast<uint32_t>(width));
  PutBe32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(file);
}

}  // namespace sim
