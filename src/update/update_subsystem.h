// Firmware and driver updates: the firmware check after a connection, the update prompt
// (window message 1692), the firmware button of the settings panel, the launch of the installed
// firmware tool, the version file fetched in the background, and the package downloads of
// tasks 20 and 21 (download, checksum, safe unpacking, opening the installer).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "device/driver_comm.h"
#include "platform/app_key.h"
#include "platform/language.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"
#include "update/downloader.h"
#include "update/process_launch.h"
#include "update/version_file.h"

namespace update {

// The settings panel's "check for firmware update" button.
inline constexpr int kFirmwareButton = 248;
// The main window's firmware version label (the third caption text).
inline constexpr int kFirmwareVersionLabel = 38;
// The update prompt; wparam says which.
inline constexpr int WM_UPDATE_PROMPT = 1692;
inline constexpr int kPromptDriver = 1;
inline constexpr int kPromptFirmware = 2;

// Language texts.
inline constexpr platform::TextId kFirmwareVersionText{20};
inline constexpr platform::TextId kDriverTitleText{108};
inline constexpr platform::TextId kDriverPromptText{112};
inline constexpr platform::TextId kDriverPromptTail{114};
inline constexpr platform::TextId kFirmwareTitleText{592};
inline constexpr platform::TextId kUpToDateText{593};
inline constexpr platform::TextId kFirmwarePromptText{595};
inline constexpr platform::TextId kFirmwarePromptTail{596};
inline constexpr platform::TextId kDownloadFailedText{597};  // "%s" gets the reason
inline constexpr platform::TextId kChecksumMismatchText{598};
inline constexpr platform::TextId kUnsafePackageText{599};

// Versions at or below this are boot-loader or pre-release numbers: no check, no tool.
inline constexpr int kLowestCheckedVersion = 10;

// settings.ini values: a non-zero "no_update_check" turns the version file off;
// "update_check_day" holds the day (days since 1970) of the last fetch.
inline constexpr const char* kNoUpdateCheckKey = "no_update_check";
inline constexpr const char* kUpdateCheckDayKey = "update_check_day";

struct UpdateContext {
  ui::Toolkit& toolkit;
  DriverComm& comm;
  platform::AppKey& app_key;
  std::atomic<int32_t>& pending_tool;  // the worker's hand-back waits for it
  std::function<void(int)> append_task;
  std::function<void(int)> exit_program;     // ends the process with this code
  std::function<std::string()> upgrade_url;  // config.xml's upgrade address
  std::function<std::string()> program_version;
  std::string user_data_dir;  // ends in '/'
  std::string program_dir;    // ends in '/'
};

class UpdateSubsystem {
 public:
  explicit UpdateSubsystem(UpdateContext ctx);
  ~UpdateSubsystem();
  UpdateSubsystem(const UpdateSubsystem&) = delete;
  UpdateSubsystem& operator=(const UpdateSubsystem&) = delete;

  void RegisterControls(ui::ControlDispatch& dispatch);
  void RegisterTasks(ui::TaskTable& table);

  // Worker, after a connection was read: shows the version label, sets the offered firmware
  // version and posts the firmware prompt when the mouse's firmware is older.
  void FirmwareCheck();
  // The firmware version label in the current language (after a language switch).
  void ApplyTexts();
  // Window thread: message 1692. Dropped while any message box is open.
  void OnUpdatePrompt(int64_t wparam);
  // Window thread: the firmware button and the accepted prompt.
  void StartFirmwareTool();

  // Worker: tasks 20 and 21. False when nothing was opened (the person was told why).
  bool DriverUpdate();
  bool ToolPackageDownload();

  // Fetches the version file once on a background thread, unless turned off, fetched today
  // already, or no address is configured. Posts the driver prompt when a newer driver is
  // offered.
  void StartVersionCheck();
  // Ends a running fetch and waits for it (the window's close).
  void StopVersionCheck();
  // Waits for a running fetch to finish on its own.
  void WaitVersionCheck();
  // Takes the version file's text (also what the background fetch calls).
  void ApplyVersionFile(const std::string& text);

  std::string OfferedFirmwareVersion() const;
  std::string OfferedDriverVersion() const;
  UpdateOffer Offer() const;
  // Tests: where the tool is looked for, what starts programs, which day it is.
  void SetProgramDir(const std::string& dir) {
    ctx_.program_dir = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  }
  void SetLauncher(ProgramLauncher* launcher) { launcher_ = launcher ? launcher : &own_launcher_; }
  void SetToday(std::function<int()> today) { today_ = std::move(today); }
  void SetMaxPackageBytes(uint64_t bytes) { max_package_bytes_ = bytes; }
  // A download in progress stops at its next chunk.
  void CancelDownload() { cancel_.store(true); }

 private:
  struct Package {
    std::string base_url;
    std::string version;
    std::string sha256;
    std::string zip_name;
    std::vector<std::string> programs;  // the first that exists is opened
  };
  bool RunPackage(const Package& package);
  // Window thread: queues a download task and runs its progress dialog.
  void StartDownload(int task);
  void Tell(platform::TextId text, const std::string& detail = {});

  UpdateContext ctx_;
  PosixLauncher own_launcher_;
  ProgramLauncher* launcher_ = &own_launcher_;
  std::function<int()> today_;
  uint64_t max_package_bytes_ = uint64_t{512} << 20;

  mutable std::mutex mu_;
  std::string offered_firmware_ = "0";
  UpdateOffer offer_;

  std::atomic<bool> cancel_{false};
  std::atomic<bool> stop_fetch_{false};
  std::thread fetch_;
};

// Names from the network end up in file names: letters, digits, '.', '-' and '_' only, not
// starting with '.', at most 32 characters.
bool IsSafeVersionText(const std::string& version);

}  // namespace update
