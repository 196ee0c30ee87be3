// Draws the default screen animations shipped in data/gif/<model>/0.gif:
//   make_screen_gifs <data folder>
// Each is a short loop at 240 x 135 with few colours, so the GIF keeps them exactly.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "screen/screen_image.h"

namespace {

constexpr int kW = screen::kScreenWidth, kH = screen::kScreenHeight;

uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

void Disc(screen::Picture& p, double cx, double cy, double radius, uint32_t colour) {
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const double dx = x - cx, dy = y - cy;
      if (dx * dx + dy * dy <= radius * radius) p.pixels[static_cast<size_t>(y) * kW + x] = colour;
    }
  }
}

// A ball bouncing over banded night sky, with a fading trail.
std::vector<screen::Picture> Bounce() {
  std::vector<screen::Picture> frames;
  constexpr int kFrames = 16;
  for (int f = 0; f < kFrames; ++f) {
    screen::Picture p{kW, kH, std::vector<uint32_t>(static_cast<size_t>(kW) * kH)};
    for (int y = 0; y < kH; ++y) {
      const int band = y / 9;
      for (int x = 0; x < kW; ++x)
        p.pixels[static_cast<size_t>(y) * kW + x] = Rgb(10, 12 + band * 4, 40 + band * 8);
    }
    for (int y = 120; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) p.pixels[static_cast<size_t>(y) * kW + x] = Rgb(30, 90, 60);
    }
    for (int t = 3; t >= 0; --t) {
      const double phase = (f - t * 0.6) / kFrames;
      const double x = 20 + 200 * phase;
      const double y = 105 - 80 * std::fabs(std::sin(phase * 3.14159265 * 2));
      const int shade = 255 - t * 50;
      Disc(p, x, y, 12 - t * 2, Rgb(shade, shade / 2 + 60, 30));
    }
    frames.push_back(std::move(p));
  }
  return frames;
}

// Rings spreading from the centre, in the cyan of the Pro's lighting.
std::vector<screen::Picture> Rings() {
  std::vector<screen::Picture> frames;
  constexpr int kFrames = 12;
  for (int f = 0; f < kFrames; ++f) {
    screen::Picture p{kW, kH, std::vector<uint32_t>(static_cast<size_t>(kW) * kH)};
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const double d = std::hypot(x - kW / 2.0, y - kH / 2.0);
        const int ring = static_cast<int>(d / 6.0 - f) % 4;
        const int level = ring < 0 ? ring + 4 : ring;
        p.pixels[static_cast<size_t>(y) * kW + x] =
            level == 0 ? Rgb(0, 220, 255) : Rgb(0, 20 + level * 10, 40 + level * 15);
      }
    }
    frames.push_back(std::move(p));
  }
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  const std::string data = std::string(argv[1]) + "/gif/";
  struct Item {
    const char* model;
    std::vector<screen::Picture> frames;
    int delay;
  };
  const Item items[] = {{"K7 Mouse", Bounce(), 80}, {"K7 Pro", Rings(), 100}};
  for (const Item& item : items) {
    const std::string folder = data + item.model + "/";
    platform::EnsureDirectory(folder);
    const std::vector<int> delays(item.frames.size(), item.delay);
    if (!screen::SaveGifPictures(item.frames, delays, folder + "0.gif", kW, kH)) {
      std::fprintf(stderr, "cannot write %s0.gif\n", folder.c_str());
      return 1;
    }
  }
  return 0;
}
