// Decoding of untrusted picture files, the RGB565 transfer form, and GIF export.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "screen/screen_image.h"
#include "screen/screen_upload.h"
#include "screen_fixture.h"
#include "support/temp_dir.h"

namespace {

using screen_test::FilledFrame;
using screen_test::GifFrame;
using screen_test::Rgb;
using screen_test::Solid;
using screen_test::WriteGif;

class ImageTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return dir_.path() + name; }
  test_support::TempDir dir_;
};

TEST(Rgb565, PixelsGoLowByteFirst) {
  screen::Picture p{3, 1, {Rgb(255, 0, 0), Rgb(0x12, 0x34, 0x56), Rgb(0, 0, 255)}};
  uint8_t out[6] = {};
  screen::PictureToRgb565(p, out);
  const uint8_t expected[6] = {0x00, 0xF8, 0xAA, 0x11, 0x1F, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 6), std::vector<uint8_t>(expected, expected + 6));
}

TEST(ScreenCommands, ClockAndModeAndUploadFramesCarryTheirBytes) {
  // Friday 2024-01-05 09:30:12.
  const ScreenFrame clock = screen::ClockFrame({2024, 1, 5, 9, 30, 12, 345, 5});
  EXPECT_EQ(std::vector<uint8_t>(clock.begin(), clock.begin() + 14),
            (std::vector<uint8_t>{0x09, 0x50, 0, 0x3A, 0xB1, 0, 0, 24, 1, 5, 9, 30, 12, 5}));
  const ScreenFrame mode = screen::ModeFrame(1);
  EXPECT_EQ(std::vector<uint8_t>(mode.begin(), mode.begin() + 7),
            (std::vector<uint8_t>{0x09, 0x50, 0, 0x3A, 0xB2, 1, 0}));
  const ScreenFrame start = screen::UploadStartFrame(150, 100);
  EXPECT_EQ(std::vector<uint8_t>(start.begin(), start.begin() + 10),
            (std::vector<uint8_t>{0x09, 0x50, 0, 0x3A, 0xA0, 0, 150, 0, 100, 0}));
  std::vector<uint8_t> pixels(screen::kConvertBufferBytes, 0);
  pixels[56 * 300] = 0xAB;
  const ScreenFrame piece = screen::PieceFrame(2, 300, pixels.data());
  EXPECT_EQ(std::vector<uint8_t>(piece.begin(), piece.begin() + 9),
            (std::vector<uint8_t>{0x09, 0x50, 0, 0x3A, 0xA3, 2, 0x01, 0x2C, 0xAB}));
}

TEST_F(ImageTest, AStillPngGivesOneFrameWithoutDelaysStretchedToTheScreen) {
  // 2 x 1: red, blue; stretched to 240 x 135 the left edge is red and the right edge blue.
  ASSERT_TRUE(screen::WritePng(Path("still.png"), {2, 1, {Rgb(255, 0, 0), Rgb(0, 0, 255)}}));
  const auto split = screen::LoadGIFImageFile(Path("still.png"), Path(""));
  EXPECT_EQ(split.error, "");
  EXPECT_EQ(split.frames, 1);
  EXPECT_TRUE(split.delays.empty());
  screen::Picture frame;
  ASSERT_TRUE(screen::ReadPicture(Path("0.png"), frame));
  ASSERT_EQ(frame.width, 240);
  ASSERT_EQ(frame.height, 135);
  EXPECT_EQ(frame.pixels[0], Rgb(255, 0, 0));
  EXPECT_EQ(frame.pixels[239], Rgb(0, 0, 255));
  EXPECT_EQ(frame.pixels[134 * 240], Rgb(255, 0, 0));
}

TEST_F(ImageTest, GifDelaysTransparencyAndDisposalAreHonoured) {
  // Frame 0 red everywhere; frame 1 paints the left half green with the right half
  // transparent (red stays) and is disposed to the background; frame 2 paints nothing but a
  // transparent pixel, so the disposed area shows black.
  std::vector<GifFrame> frames;
  frames.push_back(FilledFrame(4, 2, 1, 7));
  GifFrame half = FilledFrame(4, 2, 2, 0);  // delay 0 plays as 100 ms
  half.pixels = {2, 2, 0, 0, 2, 2, 0, 0};
  half.transparent = 0;
  half.disposal = DISPOSE_BACKGROUND;
  frames.push_back(half);
  GifFrame empty = FilledFrame(1, 1, 0, 50);
  empty.transparent = 0;
  frames.push_back(empty);
  ASSERT_TRUE(WriteGif(Path("anim.gif"), 4, 2, frames));
  const auto decoded = screen::DecodeImageFile(Path("anim.gif"), 4, 2);
  ASSERT_EQ(decoded.error, "");
  ASSERT_EQ(decoded.frames.size(), 3u);
  EXPECT_EQ(decoded.delays, (std::vector<int>{70, 100, 500}));
  EXPECT_EQ(decoded.frames[0].pixels, std::vector<uint32_t>(8, Rgb(255, 0, 0)));
  const uint32_t R = Rgb(255, 0, 0), G = Rgb(0, 255, 0), K = Rgb(0, 0, 0);
  EXPECT_EQ(decoded.frames[1].pixels, (std::vector<uint32_t>{G, G, R, R, G, G, R, R}));
  EXPECT_EQ(decoded.frames[2].pixels, std::vector<uint32_t>(8, K));
}

TEST_F(ImageTest, GifExportThenImportGivesTheSameFramesAndDelays) {
  std::vector<screen::Picture> pictures = {Solid(240, 135, Rgb(10, 20, 30)),
                                           Solid(240, 135, Rgb(200, 100, 0))};
  pictures[1].pixels[240 * 67 + 120] = Rgb(1, 2, 3);
  std::vector<std::string> files;
  for (size_t i = 0; i < pictures.size(); ++i) {
    files.push_back(Path("f" + std::to_string(i) + ".png"));
    ASSERT_TRUE(screen::WritePng(files.back(), pictures[i]));
  }
  ASSERT_TRUE(screen::SaveGIFImageFile(files, {30, 500}, Path("out.gif")));
  const auto bytes = screen_test::ReadBytes(Path("out.gif"));
  ASSERT_GE(bytes.size(), 10u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  EXPECT_EQ(bytes[6] | (bytes[7] << 8), 240);
  EXPECT_EQ(bytes[8] | (bytes[9] << 8), 135);
  const auto back = screen::DecodeImageFile(Path("out.gif"));
  ASSERT_EQ(back.error, "");
  ASSERT_EQ(back.frames.size(), 2u);
  EXPECT_EQ(back.delays, (std::vector<int>{30, 500}));
  EXPECT_EQ(back.frames[0].pixels, pictures[0].pixels);
  EXPECT_EQ(back.frames[1].pixels, pictures[1].pixels);
}

TEST_F(ImageTest, ManyColoursAreQuantisedNotLost) {
  screen::Picture p{240, 135, {}};
  for (int y = 0; y < 135; ++y) {
    for (int x = 0; x < 240; ++x) p.pixels.push_back(Rgb(x, y, (x + y) & 0xFF));
  }
  ASSERT_TRUE(screen::SaveGifPictures({p}, {100}, Path("q.gif"), 240, 135));
  const auto back = screen::DecodeImageFile(Path("q.gif"));
  ASSERT_EQ(back.frames.size(), 1u);
  // Every pixel within a quantiser step of its colour.
  int worst = 0;
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      worst =
          std::max(worst, std::abs(static_cast<int>((p.pixels[i] >> shift) & 0xFF) -
                                   static_cast<int>((back.frames[0].pixels[i] >> shift) & 0xFF)));
    }
  }
  EXPECT_LE(worst, 48);
}

// Untrusted files: each is refused with a reason or imported within the limits.
TEST_F(ImageTest, HostileFilesAreRefusedOrKeptWithinLimits) {
  // A GIF whose logical screen is 65535 x 65535.
  ASSERT_TRUE(WriteGif(Path("huge.gif"), 65535, 65535, {FilledFrame(1, 1, 1)}));
  // The export of a two-frame animation cut in the middle of its second frame.
  ASSERT_TRUE(
      WriteGif(Path("whole.gif"), 240, 135, {FilledFrame(240, 135, 1), FilledFrame(240, 135, 2)}));
  auto whole = screen_test::ReadBytes(Path("whole.gif"));
  std::ofstream(Path("cut.gif"), std::ios::binary)
      .write(reinterpret_cast<const char*>(whole.data()),
             static_cast<std::streamsize>(whole.size() * 3 / 4));
  std::ofstream(Path("header.gif"), std::ios::binary).write("GIF89a\x10", 7);
  std::ofstream(Path("text.png"), std::ios::binary) << "this is not a picture at all";
  std::ofstream(Path("empty.bmp"), std::ios::binary);
  // A PNG whose header claims 60000 x 60000 pixels.
  const unsigned char bomb[] = {0x89, 'P',  'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0,    0,
                                13,   'I',  'H', 'D', 'R',  0,    0,    0xEA, 0x60, 0,    0,
                                0xEA, 0x60, 8,   2,   0,    0,    0,    0x5B, 0x8B, 0x9E, 0x2C};
  std::ofstream(Path("bomb.png"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bomb), sizeof bomb);
  struct Case {
    const char* file;
    int frames;
    bool refused;
  } cases[] = {
      {"huge.gif", 0, true}, {"cut.gif", 2, false},  {"header.gif", 0, true},
      {"text.png", 0, true}, {"empty.bmp", 0, true}, {"bomb.png", 0, true},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(Path(std::string(c.file) + ".d/"));
    const auto split = screen::LoadGIFImageFile(Path(c.file), Path(std::string(c.file) + ".d/"));
    EXPECT_EQ(split.frames, c.frames) << c.file;
    EXPECT_EQ(split.error.empty(), !c.refused) << c.file << ": " << split.error;
  }
}

TEST_F(ImageTest, AnAnimationOfTenThousandFramesStopsAtTheImportLimit) {
  std::vector<GifFrame> frames;
  for (int i = 0; i < 10000; ++i)
    frames.push_back(FilledFrame(1, 1, static_cast<uint8_t>(i & 3), 0));
  ASSERT_TRUE(WriteGif(Path("long.gif"), 1, 1, frames));
  std::filesystem::create_directories(Path("long/"));
  const auto split = screen::LoadGIFImageFile(Path("long.gif"), Path("long/"));
  EXPECT_EQ(split.frames, 600);
  EXPECT_EQ(split.delays, std::vector<int>(600, 100));
  EXPECT_TRUE(std::filesystem::exists(Path("long/599.png")));
  EXPECT_FALSE(std::filesystem::exists(Path("long/600.png")));
}

}  // namespace
