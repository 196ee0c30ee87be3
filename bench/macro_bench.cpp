// Macro costs: building the memory image for five long macros, and the host's own time in an
// upload next to the pauses the protocol asks for (measured on the virtual mouse, whose clock
// records the pauses instead of sleeping them).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "device/driver_comm.h"
#include "macros/macro_image.h"
#include "macros/macro_model.h"
#include "macros/macro_upload.h"
#include "platform/clock.h"
#include "settings/settings_context.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "ui/headless/headless_toolkit.h"

namespace {

std::vector<MacroEventRecord> LongMacro(size_t events) {
  std::vector<MacroEventRecord> list;
  for (size_t i = 0; i < events; ++i) {
    MacroEventRecord e;
    e.record_index = static_cast<int>(i);
    if (i % 3 == 2) {
      e.type = 1;
      e.value = 25;
      e.desc = macros::DelayText(25);
    } else {
      e.type = i % 3 == 0 ? 2 : 3;
      e.value = 0x41 + static_cast<int>(i % 26);
      e.desc = "A";
    }
    list.push_back(e);
  }
  return list;
}

// Five macros of 990 events, as loaded from the store; the build stops at the upload limit.
void BM_BuildImageFiveTimes990(benchmark::State& state) {
  std::vector<std::vector<MacroEventRecord>> macros(5, LongMacro(990));
  std::vector<const std::vector<MacroEventRecord>*> slots;
  for (const auto& m : macros) slots.push_back(&m);
  for (auto _ : state) benchmark::DoNotOptimize(macros::BuildMacroImageFromLists(slots));
}
BENCHMARK(BM_BuildImageFiveTimes990)->Unit(benchmark::kMicrosecond);

// The same with every event encoded: five macros small enough to fit, 3980 bytes in all.
void BM_BuildImageThatFits(benchmark::State& state) {
  std::vector<std::vector<MacroEventRecord>> macros(5, LongMacro(289));
  std::vector<const std::vector<MacroEventRecord>*> slots;
  for (const auto& m : macros) slots.push_back(&m);
  size_t length = 0;
  for (auto _ : state) {
    const macros::MacroImageResult r = macros::BuildMacroImageFromLists(slots);
    length = r.length;
    benchmark::DoNotOptimize(r);
  }
  state.counters["bytes"] = static_cast<double>(length);
}
BENCHMARK(BM_BuildImageThatFits)->Unit(benchmark::kMicrosecond);

struct UploadRig {
  UploadRig(sim::Attachment attachment) {
    std::string pattern = (std::filesystem::temp_directory_path() / "macro_bench_XXXXXX").string();
    dir = std::string(mkdtemp(pattern.data())) + "/";
    std::filesystem::create_directories(dir + "db");
    store.OpenForModel(dir, "Bench");
    const sim::ModelTraits& t = sim::Traits(sim::Model::kK7Mouse);
    bus.AddMouse(sim::Model::kK7Mouse, attachment);
    comm.RegisterMode(sim::kVendorId, t.cable_pid, t.cable_device_id, t.device_type, 0);
    comm.RegisterMode(sim::kVendorId, t.receiver_pid, t.receiver_device_id, t.device_type, 1);
    comm.RebuildDeviceList();
    comm.SetSelectedType(t.device_type);
    mode = attachment == sim::Attachment::kReceiver ? 1 : 0;
    context.connection_mode = [this] { return mode; };
    context.current_profile = [] { return 1; };
    MacroRecord m;
    m.name = "Long";
    const int id = store.AddMacro(m);
    // 997 key events: a 3999-byte image, the largest that is sent.
    std::vector<MacroEventRecord> events(997);
    for (auto& e : events) {
      e.type = 2;
      e.value = 0x41;
    }
    macros::SaveMacroEvents(store, id, events);
    KeyAssignmentRecord row;
    row.profile = 1;
    row.key_code = 3;
    row.macro_type = macros::kMacroFunctionType;
    row.macro_value = id;
    store.SaveKeyAssignment(row);
  }
  ~UploadRig() {
    store.Close();
    std::filesystem::remove_all(dir);
  }

  std::string dir;
  platform::VirtualClock clock;
  sim::VirtualBus bus{clock};
  DriverComm comm{bus, clock};
  ui::HeadlessToolkit toolkit;
  ProfileStore& store = ProfileStore::Instance();
  settings::SettingsState state_;
  settings::SettingsContext context{comm, store, toolkit, clock, state_};
  int mode = 0;
};

// One whole upload of 3999 bytes (160 chunks). "host_percent" is the wall time the host spent
// against the pauses the virtual clock recorded.
void UploadBench(benchmark::State& state, sim::Attachment attachment) {
  UploadRig rig(attachment);
  double host_ms = 0, paused_ms = 0;
  for (auto _ : state) {
    rig.clock.ClearSleeps();
    rig.bus.ClearLog();
    macros::MacroSlotTable slots;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = macros::UploadMacros(rig.context, slots, {});
    host_ms +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    paused_ms += rig.clock.TotalSleptMs();
    if (!ok || !rig.bus.LastMacroTransfer(0).accepted) state.SkipWithError("upload refused");
  }
  state.counters["paused_ms"] = paused_ms / static_cast<double>(state.iterations());
  state.counters["host_percent"] = 100.0 * host_ms / paused_ms;
}

void BM_UploadByCable(benchmark::State& state) { UploadBench(state, sim::Attachment::kCable); }
void BM_UploadThroughReceiver(benchmark::State& state) {
  UploadBench(state, sim::Attachment::kReceiver);
}
BENCHMARK(BM_UploadByCable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UploadThroughReceiver)->Unit(benchmark::kMillisecond);

}  // namespace
