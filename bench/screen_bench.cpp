// The host's share of a screen upload. Preparing a frame (decoding its PNG, converting it to
// RGB565 and building its 1158 reports) has a budget of 0.2 ms, so an upload is bound by the
// HID writes and the screen pause alone. The whole upload of 150 frames runs against the
// virtual receiver on a virtual clock: its pauses are counted, not slept, and the counter
// "host_per_pause" is the measured host time as a share of them.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "device/driver_comm.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "screen/screen_image.h"
#include "screen/screen_upload.h"
#include "sim/virtual_bus.h"

namespace {

// A frame file with detail in it (compresses like a real picture, not like a flat colour).
std::string FrameFile() {
  static const std::string path = [] {
    char dir[] = "/tmp/screen_bench_XXXXXX";
    const std::string base = mkdtemp(dir) ? dir : "/tmp";
    screen::Picture p{screen::kScreenWidth, screen::kScreenHeight, {}};
    uint32_t seed = 12345;
    for (int y = 0; y < screen::kScreenHeight; ++y) {
      for (int x = 0; x < screen::kScreenWidth; ++x) {
        seed = seed * 1103515245u + 12345u;
        p.pixels.push_back(0xFF000000u | ((x * 255 / 240) << 16) | ((y * 255 / 135) << 8) |
                           ((seed >> 16) & 0x3F));
      }
    }
    const std::string file = base + "/frame.png";
    screen::WritePng(file, p);
    return file;
  }();
  return path;
}

void BM_PrepareOneFrame(benchmark::State& state) {
  const std::string file = FrameFile();
  std::vector<uint8_t> buffer(screen::kConvertBufferBytes);
  for (auto _ : state) {
    std::fill(buffer.begin(), buffer.end(), 0);
    if (!screen::GetImageRGB565Data(file, buffer.data())) state.SkipWithError("no frame");
    for (int p = 0; p < screen::kPiecesPerFrame; ++p) {
      ScreenFrame frame = screen::PieceFrame(0, p, buffer.data());
      frame[2] = device::ScreenChecksum(frame);
      benchmark::DoNotOptimize(frame);
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrepareOneFrame)->Unit(benchmark::kMicrosecond);

void BM_Upload150Frames(benchmark::State& state) {
  // config.ini beside the program gives the screen pause.
  platform::SetProgramDir(MOUSE_DATA_DIR "/");
  platform::VirtualClock clock;
  sim::VirtualBus bus(clock);
  DriverComm comm(bus, clock);
  for (sim::Model m : sim::AllModels()) {
    const sim::ModelTraits& s = sim::Traits(m);
    comm.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
    comm.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
  }
  bus.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  comm.RebuildDeviceList();
  comm.SetSelectedType(sim::Traits(sim::Model::kK7Mouse).device_type);
  screen::UploadJob job;
  job.frame_files.assign(150, FrameFile());
  std::atomic<bool> cancelled{false};
  double paused_ms = 0, host_ms = 0;
  for (auto _ : state) {
    clock.ClearSleeps();
    bus.ClearLog();
    const auto start = std::chrono::steady_clock::now();
    screen::UploadFrames(comm, job, cancelled, [](int) {});
    host_ms +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    paused_ms += clock.TotalSleptMs();
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["screen_pause_ms"] = comm.ScreenPauseMs();
  state.counters["pauses_s"] = paused_ms / iterations / 1000.0;
  state.counters["host_s"] = host_ms / iterations / 1000.0;
  state.counters["host_per_pause"] = paused_ms > 0 ? host_ms / paused_ms : 0;
}
BENCHMARK(BM_Upload150Frames)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
