// The screen page's importer on arbitrary bytes: GIF through giflib, the rest through QImage.
// Whatever the input, decoding must end within the limits, without a crash or a leak.
#include <cstddef>
#include <cstdint>

#include "screen/screen_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const screen::DecodedFrames decoded = screen::DecodeImageData(data, size);
  if (decoded.frames.size() > static_cast<size_t>(screen::kMaxImportFrames)) __builtin_trap();
  for (const screen::Picture& frame : decoded.frames) {
    if (frame.width != screen::kScreenWidth || frame.height != screen::kScreenHeight ||
        frame.pixels.size() != static_cast<size_t>(frame.width) * frame.height) {
      __builtin_trap();
    }
  }
  return 0;
}
