// The whole program on the headless toolkit: the main window with its device side, the
// shipped catalogue and language files, virtual mice on a virtual bus and a virtual clock.
// Worker turns are run by hand unless a test starts the thread.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/device_main_dlg.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "ui/headless/headless_toolkit.h"

namespace e2e {

inline constexpr int kConnectionLabel = 45;
inline constexpr int kTabs = 48;
inline constexpr int kModelSelector = 61;
inline constexpr int kDeviceList = 62;
inline constexpr int kProfiles = 64;

class EndToEndTest : public ::testing::Test {
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

  // Builds the window over the bus as it is and runs its initialisation hook.
  void StartProgram(bool worker_thread = false) {
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{.user_data_dir = dir_.path() + "data/",
                               .start_thread = worker_thread,
                               .start_hotplug = false});
    // The virtual mice's plug events reach the window as the machine's would.
    bus_.SetPlugListener([this](const sim::PlugEvent& e) {
      dlg_->Link().UpdateUSBDevice(
          device::DeviceChange{e.arrived ? device::kDeviceArrival : device::kDeviceRemoveComplete,
                               e.info.path, e.info.path});
    });
    dlg_->OnInitDialog();
  }

  // Worker turns until the task list is empty; the number of tasks run.
  int RunQueuedTasks() {
    int ran = 0;
    while (!dlg_->PendingTasks().Empty()) {
      dlg_->Device().Worker().Run();
      ++ran;
    }
    return ran;
  }
  std::vector<int> Queued() {
    std::vector<int> codes;
    app::TaskList& list = dlg_->PendingTasks();
    while (auto code = list.TakeFirst()) codes.push_back(*code);
    for (int code : codes) list.Append(code);
    return codes;
  }

  std::string Title(int id) { return tk_.Snapshot(id).title; }
  // The device list's entry of a model.
  ui::DeviceListItem DeviceItem(int device_type) {
    for (const auto& item : tk_.Snapshot(kDeviceList).devices) {
      if (item.data == device_type) return item;
    }
    ADD_FAILURE() << "no device list entry for " << device_type;
    return {};
  }
  std::string Setting(const std::string& key) {
    std::string value;
    ProfileStore::Instance().ReadSetting(dlg_->Device().CurrentProfile(), key, value);
    return value;
  }
  // Chooses an entry of a drop-down list as the person would.
  void Choose(int control, int64_t data) {
    ASSERT_TRUE(tk_.SelectData(control, data)) << control << " has no entry " << data;
    dlg_->OnControlNotify(control, ui::kNotifyClicked, tk_.GetCurSel(control));
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  app_test::TempDir dir_;
  platform::AppKey key_{dir_.path() + "config/"};
  ui::HeadlessToolkit tk_;
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<app::DeviceMainDlg> dlg_;
};

}  // namespace e2e
