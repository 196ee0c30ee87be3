// A program's worth of settings machinery on the headless toolkit, talking to the virtual
// mouse through a real DriverComm and DeviceLinkWindow, with the store on a private folder.
// The bus and the workspace outlive the program, so a test can "restart" it on the same data.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/device_link_window.h"
#include "app/device_list_control.h"
#include "app/task_list.h"
#include "device/driver_comm.h"
#include "profiles/profile_list.h"
#include "settings/settings_context.h"
#include "settings/settings_page.h"
#include "settings/settings_read.h"
#include "settings/settings_write.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "store/settings_keys.h"
#include "support/device_test_support.h"
#include "ui/control_dispatch.h"
#include "ui/headless/headless_toolkit.h"
#include "ui/task_table.h"

namespace settings_test {

// Every language text the settings code looks up.
inline std::vector<int> SettingsTexts() {
  std::vector<int> texts = {60, 253, 257, 258, 259, 260, 544, 545, 546, 570, 571, 701, 702, 703};
  for (int n = 503; n <= 518; ++n) texts.push_back(n);
  return texts;
}

// One run of the program: channel, toolkit, window side, store and the settings context.
class Program {
 public:
  Program(sim::VirtualBus& bus, platform::Clock& clock, const std::string& data_dir,
          int device_type, int mode)
      : comm(bus, clock),
        link(comm, tk, device_list, host),
        context{comm, ProfileStore::Instance(), tk, clock, state} {
    for (sim::Model m : sim::AllModels()) {
      const sim::ModelTraits& s = sim::Traits(m);
      comm.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
      comm.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
    }
    comm.RebuildDeviceList();
    comm.SetSelectedType(device_type);
    link.SetMode(mode);
    type = device_type;

    std::filesystem::create_directories(data_dir + "db");
    EXPECT_TRUE(store().OpenForModel(data_dir, "K7"));
    profile = RefreshProfileList(tk, store());

    app::BindDeviceLink(context, link);
    context.append_task = [this](int code) { tasks.Append(code); };
    context.current_profile = [this] { return profile.load(); };
    context.set_current_profile = [this](int p) { profile = p; };
    context.device_type = [this] { return type; };
    context.lighting_in_use = [] { return false; };
    settings::RegisterSettingsTasks(table, context);
    settings::RegisterSettingsPages(dispatch, context);
    settings::InitSettingsPages(context);
  }
  ~Program() { EXPECT_TRUE(store().Close()); }

  static ProfileStore& store() { return ProfileStore::Instance(); }

  std::string Get(const std::string& key) {
    std::string value;
    store().ReadSetting(profile, key, value);
    return value;
  }
  void Set(const std::string& key, const std::string& value) {
    store().WriteSetting(profile, key, value);
  }

  // The worker's turns: each routine, then the wait dialog ended where the table says so.
  void RunTasks() {
    while (const std::optional<int> code = tasks.TakeFirst()) {
      const ui::TaskRoutine* routine = table.Find(*code);
      ASSERT_NE(routine, nullptr) << "task " << *code;
      if (routine->run) routine->run();
      if (routine->closes_wait) tk.EndModal(ui::ModalKind::kWait);
    }
  }
  std::vector<int> TakeTasks() {
    std::vector<int> out;
    while (const std::optional<int> code = tasks.TakeFirst()) out.push_back(*code);
    return out;
  }
  // Sends a notification the way the main window dispatches it.
  void Notify(int number, int code, int64_t value = 0) {
    EXPECT_TRUE(dispatch.Notify(number, code, value)) << "control " << number;
  }
  std::vector<ui::HeadlessToolkit::Posted> Posted() { return tk.PendingMessages(); }

  DriverComm comm;
  ui::HeadlessToolkit tk;
  app::DeviceListControl device_list{tk};
  app::DeviceWindowHost host;
  app::DeviceLinkWindow link;
  settings::SettingsState state;
  app::TaskList tasks;
  ui::TaskTable table;
  ui::ControlDispatch dispatch;
  std::atomic<int> profile{0};
  int type = 0;
  settings::SettingsContext context;
};

class Rig {
 public:
  explicit Rig(sim::Model model, sim::Attachment attachment = sim::Attachment::kCable,
               std::vector<int> texts = SettingsTexts())
      : model_(model), attachment_(attachment) {
    ws.WriteLanguageTexts(texts);
    mouse = bus.AddMouse(model, attachment);
    Start();
  }

  void Start() {
    const int mode =
        attachment_ == sim::Attachment::kReceiver ? device::kModeReceiver : device::kModeCable;
    program.reset();
    program =
        std::make_unique<Program>(bus, clock, ws.Dir(), sim::Traits(model_).device_type, mode);
    bus.ClearLog();
    clock.ClearSleeps();
    ws.ClearTrace();
  }
  Program& p() { return *program; }
  settings::SettingsContext& ctx() { return program->context; }

  // The command frames the mouse received (set-feature reports), optionally of one command.
  std::vector<std::vector<uint8_t>> Sent(int command = -1) const {
    std::vector<std::vector<uint8_t>> out;
    for (const sim::ReceivedReport& r : bus.Log()) {
      if (r.kind != sim::ReportKind::kSetFeature || r.bytes.size() < 7) continue;
      if (command >= 0 && r.bytes[4] != command) continue;
      out.push_back(r.bytes);
    }
    return out;
  }
  std::array<uint8_t, sim::kSettingsImageSize> MouseImage() const {
    return bus.SettingsImage(mouse);
  }
  void SetMouseBytes(size_t at, std::vector<uint8_t> bytes) {
    bus.ModifyState(mouse, [&](sim::MouseState& s) {
      for (size_t i = 0; i < bytes.size(); ++i) s.settings[at + i] = bytes[i];
    });
  }
  bool Traced(const std::string& line) const {
    const auto lines = ws.TraceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  platform::VirtualClock clock;
  devtest::Workspace ws{clock};
  sim::VirtualBus bus{clock};
  int mouse = 0;
  std::unique_ptr<Program> program;

 private:
  sim::Model model_;
  sim::Attachment attachment_;
};

// A frame as the channel sends it: report id, checksum of bytes 2..63, then `from2` at byte 2.
inline std::vector<uint8_t> Frame(std::vector<uint8_t> from2) {
  std::vector<uint8_t> f(64, 0);
  f[0] = 0x03;
  unsigned sum = 0;
  for (size_t i = 0; i < from2.size(); ++i) {
    f[2 + i] = from2[i];
    sum += from2[i];
  }
  f[1] = static_cast<uint8_t>(sum & 0xFF);
  return f;
}

}  // namespace settings_test
