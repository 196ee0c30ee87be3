// The program on the headless toolkit with a K7 Mouse behind its screen receiver, and helpers
// that write GIF and PNG fixtures byte by byte with giflib and the picture writer.
#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/device_main_dlg.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "screen/screen_image.h"
#include "screen/screen_page.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "ui/headless/headless_toolkit.h"

namespace screen_test {

// A headless toolkit that lets a test act when the progress dialog shows a percentage.
class ProgressToolkit : public ui::HeadlessToolkit {
 public:
  std::function<void(int)> on_progress;
  void SetModalProgress(ui::ModalKind kind, int percent) override {
    ui::HeadlessToolkit::SetModalProgress(kind, percent);
    if (on_progress) on_progress(percent);
  }
};

inline uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

inline screen::Picture Solid(int w, int h, uint32_t colour) {
  return screen::Picture{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, colour)};
}

// One frame of a hand-built GIF: a palette, the image rectangle and its indices.
struct GifFrame {
  std::vector<GifColorType> palette;  // a power of two of entries
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> pixels;  // width * height indices
  bool gce = true;              // with a graphic control extension
  int delay_cs = 10;
  int disposal = DISPOSE_DO_NOT;
  int transparent = NO_TRANSPARENT_COLOR;
};

// Writes a GIF89a of screen size w x h with the frames as given.
inline bool WriteGif(const std::string& path, int w, int h, const std::vector<GifFrame>& frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, w, h, 8, 0, nullptr) != GIF_ERROR;
  for (const GifFrame& f : frames) {
    if (!ok) break;
    if (f.gce) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = f.disposal;
      gcb.DelayTime = f.delay_cs;
      gcb.TransparentColor = f.transparent;
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_ERROR;
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(f.palette.size()), f.palette.data());
    ok = ok && map &&
         EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, map) != GIF_ERROR;
    std::vector<uint8_t> row(static_cast<size_t>(f.width));
    for (int y = 0; ok && y < f.height; ++y) {
      std::copy_n(f.pixels.begin() + static_cast<ptrdiff_t>(y) * f.width, f.width, row.begin());
      ok = EGifPutLine(gif, row.data(), f.width) != GIF_ERROR;
    }
    GifFreeMapObject(map);
  }
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

// A frame filling w x h with palette entry `index` of {black, red, green, blue}.
inline GifFrame FilledFrame(int w, int h, uint8_t index, int delay_cs = 10) {
  GifFrame f;
  f.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  f.width = w;
  f.height = h;
  f.pixels.assign(static_cast<size_t>(w) * h, index);
  f.delay_cs = delay_cs;
  return f;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
  }
  void TearDown() override {
    bus_.SetPlugListener(nullptr);
    dlg_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }

  // The program with a K7 Mouse behind its receiver, the first read done.
  void StartWithReceiver(sim::Model model = sim::Model::kK7Mouse,
                         sim::Attachment attachment = sim::Attachment::kReceiver) {
    mouse_ = bus_.AddMouse(model, attachment);
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = UserData(), .start_thread = false, .start_hotplug = false});
    dlg_->OnInitDialog();
    RunQueuedTasks();
  }
  std::string UserData() { return dir_.path() + "data/"; }
  std::string Fixture(const std::string& name) { return dir_.path() + name; }
  screen::ScreenPage& Page() { return dlg_->Device().Screen(); }
  void Click(int control) { dlg_->OnControlNotify(control, ui::kNotifyClicked, 0); }

  int RunQueuedTasks() {
    int ran = 0;
    while (!dlg_->PendingTasks().Empty()) {
      dlg_->Device().Worker().Run();
      ++ran;
    }
    return ran;
  }
  // The import as the person does it: picker answered, task run, window side pumped.
  void Import(const std::string& file) {
    tk_.QueueFileAnswer(file);
    Click(screen::kImportItemButton);
    RunQueuedTasks();
    tk_.PumpMessages();
  }
  void Upload() {
    Click(screen::kUploadButton);
    RunQueuedTasks();
  }
  // The screen reports the receiver got, oldest first (report id 0x09 on the screen interface).
  std::vector<std::vector<uint8_t>> ScreenReports() {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& r : bus_.Log()) {
      if (r.kind == sim::ReportKind::kOutput && r.interface.find("/screen") != std::string::npos) {
        out.push_back(r.bytes);
      }
    }
    return out;
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  app_test::TempDir dir_;
  platform::AppKey key_{dir_.path() + "config/"};
  ProgressToolkit tk_;
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<app::DeviceMainDlg> dlg_;
  int mouse_ = 0;
};

}  // namespace screen_test
