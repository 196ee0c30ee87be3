#include "sim/screen.h"

#include <algorithm>
#include <array>
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

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutBe32(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
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
  // A zlib stream of stored deflate blocks: no compressor needed, any PNG reader takes it.
  std::vector<uint8_t> z{0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at < raw.size() || at == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n & 0xFF));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n & 0xFF));
    z.push_back(static_cast<uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
    if (last) break;
  }
  PutBe32(z, (b << 16) | a);

  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBe32(header, static_cast<uint32_t>(width));
  PutBe32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(file);
}

}  // namespace sim
