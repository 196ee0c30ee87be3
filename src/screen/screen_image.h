// Pictures for the receiver's screen: decoding of untrusted GIF, PNG, JPEG and BMP files
// (giflib for GIF so that delays and disposal are honoured, QImage for the others), splitting
// into numbered PNG frames, the RGB565 transfer form and animated GIF export.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace screen {

inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 135;
// Frames per item the screen takes; an item may hold more, the upload sends the first 150.
inline constexpr int kMaxUploadFrames = 150;
// Frames one imported file may give at most; the rest of a longer file is left out, so a
// hostile animation cannot fill the disk.
inline constexpr int kMaxImportFrames = 600;
// Largest picture or GIF canvas decoded (pixels); larger files are refused.
inline constexpr int64_t kMaxDecodePixels = 4096 * 4096;
// Pixels one GIF may decode in all its frames before the rest is left out.
inline constexpr int64_t kMaxGifPixelBudget = 256LL * 1024 * 1024;

// An image in memory: 0xAARRGGBB per pixel, rows top to bottom.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// The frames of a decoded file, each already at the screen's 240 x 135.
struct DecodedFrames {
  std::vector<Picture> frames;
  // Delay of each frame in ms; empty when the file carries none (a still picture).
  std::vector<int> delays;
  std::string error;  // why nothing was decoded; empty on success
};

// Decodes `file` by its content (not its name). Frames are composited (GIF disposal and
// transparency) and stretched to width x height; transparent pixels become black.
DecodedFrames DecodeImageFile(const std::string& file, int width = kScreenWidth,
                              int height = kScreenHeight);
// The same for bytes in memory (the fuzz target's entry).
DecodedFrames DecodeImageData(const uint8_t* data, size_t size, int width = kScreenWidth,
                              int height = kScreenHeight);

// The result of splitting a file into numbered frame files.
struct SplitResult {
  int frames = 0;           // files written
  std::vector<int> delays;  // ms per frame; empty when the file carries no delays
  std::string error;        // empty on success
};

// Writes the frames of `file` into `folder` (ending in '/') as "<first_index>.png",
// "<first_index + 1>.png", ... .
SplitResult LoadGIFImageFile(const std::string& file, const std::string& folder,
                             int first_index = 0);

// Stretches `picture` to width x height (bilinear).
Picture ScalePicture(const Picture& picture, int width, int height);

// RGB565 of one pixel, 16 bits, each pixel stored low byte first (little-endian): the byte
// order the receiver's screen takes.
inline uint16_t ToRgb565(uint32_t argb) {
  const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// Writes a width x height picture as width * height RGB565 pixels, low byte first, into `out`
// (2 * width * height bytes).
void PictureToRgb565(const Picture& picture, uint8_t* out);

// Converts the picture in `file` to width x height RGB565 (low byte first) into `buffer`
// (2 * width * height bytes). False, buffer untouched, when the file cannot be decoded.
bool GetImageRGB565Data(const std::string& file, uint8_t* buffer, int width = kScreenWidth,
                        int height = kScreenHeight);

// PNG files of frames: 8-bit RGB (alpha dropped).
bool WritePng(const std::string& path, const Picture& picture);
// The first frame of any supported file, at its own size; false when it cannot be decoded.
bool ReadPicture(const std::string& file, Picture& picture);

// Writes the frame files as a looping GIF89a of width x height, each frame with its delay in
// ms (rounded to 10 ms). Frames of at most 256 colours keep their colours exactly.
bool SaveGIFImageFile(const std::vector<std::string>& frame_files, const std::vector<int>& delays,
                      const std::string& file, int width = kScreenWidth,
                      int height = kScreenHeight);
// The same from pictures (the data files and tests build animations with it).
bool SaveGifPictures(const std::vector<Picture>& frames, const std::vector<int>& delays,
                     const std::string& file, int width, int height);

}  // namespace screen
