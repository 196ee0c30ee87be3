#include "screen/screen_image.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>
#include <zlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "log/trace.h"

namespace screen {
namespace {

// Larger files are refused before they are read into memory.
constexpr size_t kMaxFileBytes = 64u * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the file";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxFileBytes) {
    error = "the file is too large";
    return false;
  }
  in.seekg(0);
  out.resize(static_cast<size_t>(size));
  if (size > 0) in.read(reinterpret_cast<char*>(out.data()), size);
  if (!in) {
    error = "cannot read the file";
    return false;
  }
  return true;
}

bool IsGif(const uint8_t* data, size_t size) {
  return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

// ---- GIF decoding (giflib, record by record, so limits apply before anything is allocated)

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(std::max(length, 0)), reader->size - reader->at);
  std::memcpy(buffer, reader->data + reader->at, n);
  reader->at += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

uint32_t ColourOf(const ColorMapObject* map, int index) {
  if (!map || index < 0 || index >= map->ColorCount) return 0xFF000000u;
  const GifColorType& c = map->Colors[index];
  return 0xFF000000u | (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
}

Picture Flatten(const Picture& canvas) {
  // Transparent pixels show as black on the screen.
  Picture out = canvas;
  for (uint32_t& p : out.pixels) p = (p >> 24) == 0 ? 0xFF000000u : (p | 0xFF000000u);
  return out;
}

// Frames go to `sink` as they are composited (nothing is kept when it is set), else into out.
using FrameSink = std::function<bool(Picture&& frame, int delay)>;

void DecodeGif(const uint8_t* data, size_t size, int width, int height, DecodedFrames& out,
               const FrameSink& sink) {
  MemoryReader reader{data, size};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
  if (!gif) {
    out.error = "not a readable GIF";
    return;
  }
  const int64_t sw = gif->SWidth, sh = gif->SHeight;
  if (sw <= 0 || sh <= 0 || sw * sh > kMaxDecodePixels) {
    out.error = "the GIF's picture is too large";
    return;
  }
  Picture canvas{static_cast<int>(sw), static_cast<int>(sh),
                 std::vector<uint32_t>(static_cast<size_t>(sw * sh), 0)};
  Picture saved;
  int64_t budget = kMaxGifPixelBudget;
  // The graphic control of the next image.
  int disposal = 0, transparent = -1, delay_cs = -1;
  bool any_delay = false;
  int count = 0;
  std::vector<GifPixelType> line;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;  // truncated: keep what came
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) break;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
          disposal = gcb.DisposalMode;
          transparent = gcb.TransparentColor;
          delay_cs = gcb.DelayTime;
        }
      }
      bool broken = false;
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
          broken = true;
          break;
        }
      }
      if (broken) break;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
    const GifImageDesc desc = gif->Image;
    const int64_t iw = desc.Width, ih = desc.Height;
    if (iw <= 0 || ih <= 0 || iw * ih > budget) {
      Trace(4, "Screen picture: frame %d left out (%lldx%lld)", static_cast<int>(out.frames.size()),
            static_cast<long long>(iw), static_cast<long long>(ih));
      break;
    }
    budget -= iw * ih;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (disposal == DISPOSE_PREVIOUS) saved = canvas;
    line.resize(static_cast<size_t>(iw));
    // Interlaced images deliver rows in four passes.
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(ih));
    if (desc.Interlace) {
      static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (int64_t y = kStart[pass]; y < ih; y += kStep[pass])
          rows.push_back(static_cast<int>(y));
      }
    } else {
      for (int64_t y = 0; y < ih; ++y) rows.push_back(static_cast<int>(y));
    }
    bool complete = true;
    for (int y : rows) {
      if (DGifGetLine(gif.get(), line.data(), static_cast<int>(iw)) == GIF_ERROR) {
        complete = false;
        break;
      }
      const int64_t cy = desc.Top + y;
      if (cy < 0 || cy >= sh) continue;
      uint32_t* dst = &canvas.pixels[static_cast<size_t>(cy * sw)];
      for (int64_t x = 0; x < iw; ++x) {
        const int64_t cx = desc.Left + x;
        if (cx < 0 || cx >= sw) continue;
        if (line[x] == transparent) continue;
        dst[cx] = ColourOf(map, line[x]);
      }
    }
    // A truncated last frame still shows what arrived.
    if (delay_cs >= 0) any_delay = true;
    // A delay of 0 plays as 100 ms, as browsers do.
    const int delay = delay_cs > 0 ? delay_cs * 10 : 100;
    out.delays.push_back(delay);
    ++count;
    Picture frame = ScalePicture(Flatten(canvas), width, height);
    if (sink) {
      if (!sink(std::move(frame), delay)) break;
    } else {
      out.frames.push_back(std::move(frame));
    }
    if (!complete || count >= kMaxImportFrames) break;
    // Disposal of this frame before the next one is drawn.
    if (disposal == DISPOSE_BACKGROUND) {
      for (int64_t y = std::max<int64_t>(0, desc.Top); y < std::min<int64_t>(sh, desc.Top + ih);
           ++y) {
        for (int64_t x = std::max<int64_t>(0, desc.Left); x < std::min<int64_t>(sw, desc.Left + iw);
             ++x) {
          canvas.pixels[static_cast<size_t>(y * sw + x)] = 0;
        }
      }
    } else if (disposal == DISPOSE_PREVIOUS && !saved.pixels.empty()) {
      canvas = std::move(saved);
      saved = {};
    }
    disposal = 0;
    transparent = -1;
    delay_cs = -1;
  }
  if (count == 0) {
    out.error = "the GIF has no readable frame";
    out.delays.clear();
    return;
  }
  if (!any_delay) out.delays.clear();
}

// ---- PNG, JPEG, BMP (QImage, decoding only)

void DecodeStill(const uint8_t* data, size_t size, int width, int height, DecodedFrames& out,
                 const FrameSink& sink) {
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();
  if (format != "png" && format != "jpeg" && format != "jpg" && format != "bmp") {
    out.error = "not a GIF, PNG, JPEG or BMP picture";
    return;
  }
  const QSize size_of = reader.size();
  if (!size_of.isValid() || size_of.isEmpty() ||
      static_cast<int64_t>(size_of.width()) * size_of.height() > kMaxDecodePixels) {
    out.error = "the picture is too large";
    return;
  }
  reader.setAllocationLimit(static_cast<int>(kMaxDecodePixels * 4 / (1024 * 1024)) + 1);
  QImage image = reader.read();
  if (image.isNull()) {
    out.error = "the picture cannot be read";
    return;
  }
  image = image.convertToFormat(QImage::Format_ARGB32);
  Picture picture{image.width(), image.height(),
                  std::vector<uint32_t>(static_cast<size_t>(image.width()) * image.height())};
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    std::copy_n(row, image.width(),
                picture.pixels.begin() + static_cast<ptrdiff_t>(y) * image.width());
  }
  Picture frame = ScalePicture(Flatten(picture), width, height);
  if (sink) {
    sink(std::move(frame), 0);
  } else {
    out.frames.push_back(std::move(frame));
  }
}

DecodedFrames Decode(const uint8_t* data, size_t size, int width, int height,
                     const FrameSink& sink) {
  DecodedFrames out;
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kMaxDecodePixels) {
    out.error = "bad target size";
    return out;
  }
  if (!data || size == 0) {
    out.error = "the file is empty";
    return out;
  }
  if (IsGif(data, size)) {
    DecodeGif(data, size, width, height, out, sink);
  } else {
    DecodeStill(data, size, width, height, out, sink);
  }
  return out;
}

// ---- PNG writing (zlib): frames are plain 8-bit RGB

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutBe32(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, static_cast<uint32_t>(
                   crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// ---- GIF writing

struct GifWriterCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

// An exact palette when the picture has at most 256 colours; otherwise giflib's quantiser.
bool Palettise(const Picture& p, std::vector<GifColorType>& palette,
               std::vector<GifByteType>& index) {
  const size_t n = p.pixels.size();
  index.resize(n);
  std::map<uint32_t, int> seen;
  palette.clear();
  bool exact = true;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t rgb = p.pixels[i] & 0xFFFFFFu;
    auto it = seen.find(rgb);
    if (it == seen.end()) {
      if (seen.size() == 256) {
        exact = false;
        break;
      }
      it = seen.emplace(rgb, static_cast<int>(seen.size())).first;
      palette.push_back(GifColorType{static_cast<GifByteType>(rgb >> 16),
                                     static_cast<GifByteType>(rgb >> 8),
                                     static_cast<GifByteType>(rgb)});
    }
    index[i] = static_cast<GifByteType>(it->second);
  }
  if (exact) return true;
  std::vector<GifByteType> r(n), g(n), b(n);
  for (size_t i = 0; i < n; ++i) {
    r[i] = static_cast<GifByteType>(p.pixels[i] >> 16);
    g[i] = static_cast<GifByteType>(p.pixels[i] >> 8);
    b[i] = static_cast<GifByteType>(p.pixels[i]);
  }
  int size = 256;
  palette.assign(256, GifColorType{0, 0, 0});
  if (GifQuantizeBuffer(static_cast<unsigned>(p.width), static_cast<unsigned>(p.height), &size,
                        r.data(), g.data(), b.data(), index.data(), palette.data()) == GIF_ERROR) {
    return false;
  }
  // The quantiser works at 5 bits per channel: widen back to 8.
  palette.resize(static_cast<size_t>(size));
  for (GifColorType& c : palette) {
    c.Red = static_cast<GifByteType>(c.Red | (c.Red >> 5));
    c.Green = static_cast<GifByteType>(c.Green | (c.Green >> 5));
    c.Blue = static_cast<GifByteType>(c.Blue | (c.Blue >> 5));
  }
  return true;
}

}  // namespace

Picture ScalePicture(const Picture& src, int width, int height) {
  if (src.width == width && src.height == height) return src;
  Picture out{width, height,
              std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFF000000u)};
  if (src.width <= 0 || src.height <= 0 || width <= 0 || height <= 0) return out;
  // Bilinear, sampling at pixel centres; weights in 1/256.
  struct Tap {
    int i0, i1;
    uint32_t w;
  };
  auto taps = [](int from, int to) {
    std::vector<Tap> t(static_cast<size_t>(to));
    const int64_t step = (static_cast<int64_t>(from) << 16) / to;
    for (int i = 0; i < to; ++i) {
      int64_t f = i * step + step / 2 - 0x8000;
      f = std::clamp<int64_t>(f, 0, static_cast<int64_t>(from - 1) << 16);
      const int i0 = static_cast<int>(f >> 16);
      t[static_cast<size_t>(i)] = {i0, std::min(i0 + 1, from - 1),
                                   static_cast<uint32_t>((f >> 8) & 0xFF)};
    }
    return t;
  };
  const std::vector<Tap> xs = taps(src.width, width), ys = taps(src.height, height);
  for (int y = 0; y < height; ++y) {
    const Tap ty = ys[static_cast<size_t>(y)];
    const uint32_t* r0 = &src.pixels[static_cast<size_t>(ty.i0) * src.width];
    const uint32_t* r1 = &src.pixels[static_cast<size_t>(ty.i1) * src.width];
    uint32_t* dst = &out.pixels[static_cast<size_t>(y) * width];
    const uint32_t wy = ty.w;
    for (int x = 0; x < width; ++x) {
      const Tap tx = xs[static_cast<size_t>(x)];
      const uint32_t a = r0[tx.i0], b = r0[tx.i1], c = r1[tx.i0], d = r1[tx.i1];
      if (a == b && a == c && a == d) {
        dst[x] = a;
        continue;
      }
      const uint32_t wx = tx.w;
      uint32_t result = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t pa = (a >> shift) & 0xFF, pb = (b >> shift) & 0xFF;
        const uint32_t pc = (c >> shift) & 0xFF, pd = (d >> shift) & 0xFF;
        const uint32_t top = pa * (256 - wx) + pb * wx, bottom = pc * (256 - wx) + pd * wx;
        const uint32_t v = (top * (256 - wy) + bottom * wy + (1u << 15)) >> 16;
        result |= std::min(v, 255u) << shift;
      }
      dst[x] = result;
    }
  }
  return out;
}

DecodedFrames DecodeImageData(const uint8_t* data, size_t size, int width, int height) {
  return Decode(data, size, width, height, nullptr);
}

DecodedFrames DecodeImageFile(const std::string& file, int width, int height) {
  std::vector<uint8_t> bytes;
  DecodedFrames out;
  if (!ReadWholeFile(file, bytes, out.error)) return out;
  return DecodeImageData(bytes.data(), bytes.size(), width, height);
}

SplitResult LoadGIFImageFile(const std::string& file, const std::string& folder, int first_index) {
  SplitResult result;
  std::vector<uint8_t> bytes;
  DecodedFrames decoded;
  if (ReadWholeFile(file, bytes, decoded.error)) {
    // Each frame is written as it comes, so a long animation never sits in memory whole.
    decoded =
        Decode(bytes.data(), bytes.size(), kScreenWidth, kScreenHeight, [&](Picture&& frame, int) {
          const std::string path = folder + std::to_string(first_index + result.frames) + ".png";
          if (!WritePng(path, frame)) {
            result.error = "cannot write " + path;
            return false;
          }
          ++result.frames;
          return true;
        });
  }
  if (result.frames == 0) {
    if (result.error.empty()) result.error = decoded.error;
    Trace(4, "Screen picture %s: %s", file.c_str(), result.error.c_str());
    return result;
  }
  if (!decoded.delays.empty()) {
    decoded.delays.resize(static_cast<size_t>(result.frames));
    result.delays = std::move(decoded.delays);
  }
  return result;
}

void PictureToRgb565(const Picture& picture, uint8_t* out) {
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const uint16_t v = ToRgb565(picture.pixels[i]);
    out[2 * i] = static_cast<uint8_t>(v & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
}

bool GetImageRGB565Data(const std::string& file, uint8_t* buffer, int width, int height) {
  Picture picture;
  if (!ReadPicture(file, picture)) return false;
  PictureToRgb565(ScalePicture(picture, width, height), buffer);
  return true;
}

bool ReadPicture(const std::string& file, Picture& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(file, bytes, error)) return false;
  if (IsGif(bytes.data(), bytes.size())) {
    DecodedFrames decoded =
        DecodeImageData(bytes.data(), bytes.size(), kScreenWidth, kScreenHeight);
    if (decoded.frames.empty()) return false;
    picture = std::move(decoded.frames.front());
    return true;
  }
  // Stills keep their own size; decode at it, within the same limits.
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() ||
      static_cast<int64_t>(size.width()) * size.height() > kMaxDecodePixels) {
    return false;
  }
  DecodedFrames decoded = DecodeImageData(bytes.data(), bytes.size(), size.width(), size.height());
  if (decoded.frames.empty()) return false;
  picture = std::move(decoded.frames.front());
  return true;
}

bool WritePng(const std::string& path, const Picture& picture) {
  const int w = picture.width, h = picture.height;
  if (w <= 0 || h <= 0 || picture.pixels.size() != static_cast<size_t>(w) * h) return false;
  std::vector<uint8_t> raw(static_cast<size_t>(h) * (1 + 3 * static_cast<size_t>(w)));
  uint8_t* at = raw.data();
  const uint32_t* src = picture.pixels.data();
  for (int y = 0; y < h; ++y) {
    *at++ = 0;  // filter: none
    for (int x = 0; x < w; ++x) {
      const uint32_t p = *src++;
      *at++ = static_cast<uint8_t>(p >> 16);
      *at++ = static_cast<uint8_t>(p >> 8);
      *at++ = static_cast<uint8_t>(p);
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
  PutBe32(header, static_cast<uint32_t>(w));
  PutBe32(header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

bool SaveGifPictures(const std::vector<Picture>& frames, const std::vector<int>& delays,
                     const std::string& file, int width, int height) {
  if (frames.empty() || width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
  int error = 0;
  // Created with the usual permissions (giflib's own open makes the file private).
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    Trace(4, "GIF export: cannot create %s", file.c_str());
    return false;
  }
  std::unique_ptr<GifFileType, GifWriterCloser> gif(EGifOpenFileHandle(fd, &error));
  if (!gif) close(fd);
  if (!gif) {
    Trace(4, "GIF export: cannot create %s (%d)", file.c_str(), error);
    return false;
  }
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, nullptr) == GIF_ERROR) return false;
  // Loop for ever (NETSCAPE2.0 application extension).
  static const GifByteType kNetscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType kLoop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kNetscape, kNetscape) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), sizeof kLoop, kLoop) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) {
    return false;
  }
  for (size_t i = 0; i < frames.size(); ++i) {
    const Picture frame = ScalePicture(frames[i], width, height);
    std::vector<GifColorType> palette;
    std::vector<GifByteType> index;
    if (!Palettise(frame, palette, index)) return false;
    // Colour maps hold a power of two of entries, at least 2.
    int bits = 1;
    while ((1 << bits) < static_cast<int>(palette.size())) ++bits;
    palette.resize(static_cast<size_t>(1) << bits, GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(1 << bits, palette.data());
    if (!map) return false;
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    const int delay = i < delays.size() ? delays[i] : 100;
    gcb.DelayTime = std::clamp((delay + 5) / 10, 1, 65535);
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    bool ok = EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_ERROR &&
              EGifPutImageDesc(gif.get(), 0, 0, width, height, false, map) != GIF_ERROR;
    for (int y = 0; ok && y < height; ++y) {
      ok = EGifPutLine(gif.get(), &index[static_cast<size_t>(y) * width], width) != GIF_ERROR;
    }
    GifFreeMapObject(map);
    if (!ok) {
      Trace(4, "GIF export: writing frame %d of %s failed", static_cast<int>(i), file.c_str());
      return false;
    }
  }
  GifFileType* raw = gif.release();
  return EGifCloseFile(raw, &error) == GIF_OK;
}

bool SaveGIFImageFile(const std::vector<std::string>& frame_files, const std::vector<int>& delays,
                      const std::string& file, int width, int height) {
  std::vector<Picture> frames;
  for (const std::string& path : frame_files) {
    Picture picture;
    if (!ReadPicture(path, picture)) {
      Trace(4, "GIF export: cannot read %s", path.c_str());
      return false;
    }
    frames.push_back(std::move(picture));
  }
  return SaveGifPictures(frames, delays, file, width, height);
}

}  // namespace screen
