#include "update/update_subsystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "log/trace.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "update/firmware.h"
#include "update/safe_unzip.h"
#include "update/sha256.h"

namespace update {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kVersionFileMaxBytes = 16384;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool IsPlainFile(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int DaysSinceEpoch() {
  using namespace std::chrono;
  return static_cast<int>(duration_cast<hours>(system_clock::now().time_since_epoch()).count() /
                          24);
}

std::string Fill(const std::string& format, const std::string& value) {
  const size_t at = format.find("%s");
  if (at == std::string::npos) return format + " " + value;
  return format.substr(0, at) + value + format.substr(at + 2);
}

}  // namespace

bool IsSafeVersionText(const std::string& version) {
  if (version.empty() || version.size() > 32 || version[0] == '.') return false;
  for (char c : version) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    c == '.' || c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

UpdateSubsystem::UpdateSubsystem(UpdateContext ctx) : ctx_(std::move(ctx)), today_(DaysSinceEpoch) {
  if (!ctx_.user_data_dir.empty() && ctx_.user_data_dir.back() != '/') ctx_.user_data_dir += '/';
  if (!ctx_.program_dir.empty() && ctx_.program_dir.back() != '/') ctx_.program_dir += '/';
}

UpdateSubsystem::~UpdateSubsystem() { StopVersionCheck(); }

void UpdateSubsystem::RegisterControls(ui::ControlDispatch& dispatch) {
  dispatch.OnClick(kFirmwareButton, [this](int, int64_t) { StartFirmwareTool(); });
}

void UpdateSubsystem::RegisterTasks(ui::TaskTable& table) {
  table.Add(ui::kTaskDriverUpdate, {[this] { DriverUpdate(); }, 0, false});
  table.Add(ui::kTaskToolPackage, {[this] { ToolPackageDownload(); }, 0, false});
}

std::string UpdateSubsystem::OfferedFirmwareVersion() const {
  std::lock_guard lock(mu_);
  return offered_firmware_;
}

std::string UpdateSubsystem::OfferedDriverVersion() const {
  std::lock_guard lock(mu_);
  return offer_.driver_version;
}

UpdateOffer UpdateSubsystem::Offer() const {
  std::lock_guard lock(mu_);
  return offer_;
}

void UpdateSubsystem::ApplyTexts() {
  // Only once a mouse has been read: the label is empty before.
  if (ctx_.toolkit.GetTitle(kFirmwareVersionLabel).empty()) return;
  ctx_.toolkit.SetTitle(
      kFirmwareVersionLabel,
      FirmwareVersionLabel(LanguageText(kFirmwareVersionText), ctx_.comm.GetDeviceVersion()));
}

void UpdateSubsystem::FirmwareCheck() {
  const int version = ctx_.comm.GetDeviceVersion();
  ctx_.toolkit.SetTitle(kFirmwareVersionLabel,
                        FirmwareVersionLabel(LanguageText(kFirmwareVersionText), version));
  if (version <= kLowestCheckedVersion) return;
  const auto [vid, pid] = ctx_.comm.GetCurrentIds();
  const int target = TargetFirmwareVersion(vid, pid);
  {
    std::lock_guard lock(mu_);
    offered_firmware_ = OfferedVersionText(target);
  }
  if (version < target) {
    Trace(2, "Firmware %x is older than %x: prompt", static_cast<unsigned>(version),
          static_cast<unsigned>(target));
    ctx_.toolkit.PostMessage(WM_UPDATE_PROMPT, kPromptFirmware, 0);
  }
}

void UpdateSubsystem::OnUpdatePrompt(int64_t wparam) {
  ui::Toolkit& tk = ctx_.toolkit;
  // One box at a time: a prompt arriving while another box is up is not queued behind it.
  if (tk.MessageBoxOpen()) return;
  if (wparam == kPromptFirmware) {
    const std::string text = LanguageText(kFirmwarePromptText) + ":v" + OfferedFirmwareVersion() +
                             ", " + LanguageText(kFirmwarePromptTail);
    if (tk.ShowMessage(text, LanguageText(kFirmwareTitleText), ui::kStyleOkCancel) ==
        ui::kResultOk) {
      StartFirmwareTool();
    }
  } else if (wparam == kPromptDriver) {
    const std::string text = LanguageText(kDriverPromptText) + ":v" + OfferedDriverVersion() +
                             ", " + LanguageText(kDriverPromptTail);
    if (tk.ShowMessage(text, LanguageText(kDriverTitleText), ui::kStyleOkCancel) == ui::kResultOk) {
      StartDownload(ui::kTaskDriverUpdate);
    }
  }
}

void UpdateSubsystem::StartDownload(int task) {
  ui::Toolkit& tk = ctx_.toolkit;
  cancel_.store(false);
  tk.BeginModal(ui::ModalKind::kDownload);
  ctx_.append_task(task);
  // Ends when the task is done, or early when the person cancels: then the transfer stops.
  tk.RunModal(ui::ModalKind::kDownload);
  if (tk.ModalCancelled(ui::ModalKind::kDownload)) cancel_.store(true);
}

void UpdateSubsystem::StartFirmwareTool() {
  const int version = ctx_.comm.GetDeviceVersion();
  if (version <= kLowestCheckedVersion) return;
  const auto [vid, pid] = ctx_.comm.GetCurrentIds();
  const int target = TargetFirmwareVersion(vid, pid);
  if (version >= target) {
    ctx_.toolkit.ShowMessage(LanguageText(kUpToDateText), LanguageText(kFirmwareTitleText),
                             ui::kStyleOk);
    return;
  }
  const std::string tool = FirmwareToolPath(ctx_.program_dir, vid, pid);
  if (!IsExecutableFile(tool)) {
    Trace(2, "Firmware tool not installed: %s", tool.c_str());
    // The update server may offer the tool as a package instead.
    if (!Offer().firmware_tool_url.empty()) StartDownload(ui::kTaskToolPackage);
    return;
  }
  // The tool talks to the mouse itself: the program lets go of it first.
  ctx_.comm.CloseDevices();
  const int32_t child = launcher_->Spawn(tool);
  if (child == 0) {
    // Nothing owns the mouse now: take it back at once rather than leave it closed.
    ctx_.comm.RebuildDeviceList();
    return;
  }
  ctx_.pending_tool.store(child);
  ctx_.toolkit.SetWindowState(ui::WindowState::kHidden);
}

void UpdateSubsystem::Tell(platform::TextId text, const std::string& detail) {
  const std::string message =
      detail.empty() ? LanguageText(text) : Fill(LanguageText(text), detail);
  ctx_.toolkit.ShowMessage(message, LanguageText(kDriverTitleText), ui::kStyleOk);
}

bool UpdateSubsystem::RunPackage(const Package& p) {
  ui::Toolkit& tk = ctx_.toolkit;
  // Whatever happens below, the progress dialog goes first, so a message is never under it.
  struct EndDialog {
    ui::Toolkit& tk;
    bool ended = false;
    void operator()() {
      if (!ended) tk.EndModal(ui::ModalKind::kDownload);
      ended = true;
    }
    ~EndDialog() { (*this)(); }
  } end_dialog{tk};

  if (p.base_url.empty() || !IsSafeVersionText(p.version)) {
    Trace(4, "Update: no package offered (address \"%s\", version \"%s\")", p.base_url.c_str(),
          p.version.c_str());
    return false;
  }
  const std::string folder = ctx_.user_data_dir + "temp/";
  if (!platform::EnsureDirectory(folder)) {
    Trace(4, "Update: cannot create %s", folder.c_str());
    end_dialog();
    Tell(kDownloadFailedText, folder);
    return false;
  }
  const std::string file = folder + p.zip_name;
  const std::string url = JoinPackageUrl(p.base_url, p.zip_name);
  DownloadOptions options;
  options.max_bytes = max_package_bytes_;
  options.cancel = &cancel_;
  int last_percent = -1;
  options.progress = [&tk, &last_percent](uint64_t done, uint64_t total) {
    if (total == 0) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent != last_percent) tk.SetModalProgress(ui::ModalKind::kDownload, percent);
    last_percent = percent;
  };
  const DownloadOutcome got = DownloadFile(url, file, options);
  if (!got.ok()) {
    end_dialog();
    // A cancel was the person's own choice: nothing to tell.
    if (got.result != DownloadResult::kCancelled) Tell(kDownloadFailedText, got.reason);
    return false;
  }
  // Nothing from the package is unpacked or started unless it is the one the server named.
  const std::string digest = FileSha256(file);
  std::error_code ec;
  if (!SameDigest(p.sha256, digest)) {
    Trace(4, "Update: %s has SHA-256 %s, expected \"%s\"", file.c_str(), digest.c_str(),
          p.sha256.c_str());
    fs::remove(file, ec);
    end_dialog();
    Tell(kChecksumMismatchText);
    return false;
  }
  const UnpackResult unpacked = Unpack(file, folder);
  fs::remove(file, ec);
  if (unpacked != UnpackResult::kOk) {
    Trace(4, "Update: %s not used: %s", file.c_str(), UnpackResultName(unpacked));
    end_dialog();
    Tell(kUnsafePackageText);
    return false;
  }
  std::string program;
  for (const std::string& name : p.programs) {
    if (IsPlainFile(folder + name)) {
      program = folder + name;
      break;
    }
  }
  end_dialog();
  if (program.empty()) {
    Trace(4, "Update: the package holds no installer");
    Tell(kUnsafePackageText);
    return false;
  }
  if (!launcher_->Open(program)) {
    Tell(kDownloadFailedText, program);
    return false;
  }
  Trace(2, "Update: opened %s, the program ends", program.c_str());
  if (ctx_.exit_program) ctx_.exit_program(0);
  return true;
}

bool UpdateSubsystem::DriverUpdate() {
  const UpdateOffer offer = Offer();
  const std::string v = offer.driver_version;
  return RunPackage({ctx_.upgrade_url ? ctx_.upgrade_url() : std::string(),
                     v,
                     offer.driver_sha256,
                     "Q9-Prime-Driver-" + v + ".zip",
                     {"Q9-prime-" + v, "Q9-Prime-Driver-" + v}});
}

bool UpdateSubsystem::ToolPackageDownload() {
  const UpdateOffer offer = Offer();
  const std::string v =
      offer.firmware_tool_version.empty() ? OfferedFirmwareVersion() : offer.firmware_tool_version;
  return RunPackage({offer.firmware_tool_url,
                     v,
                     offer.firmware_tool_sha256,
                     "FirmwareUpdateTool-" + v + ".zip",
                     {"FirmwareUpdateTool-" + v}});
}

void UpdateSubsystem::ApplyVersionFile(const std::string& text) {
  UpdateOffer offer = ParseVersionFile(text);
  if (!offer.driver_version.empty() && !IsSafeVersionText(offer.driver_version)) {
    Trace(4, "Version file: driver version \"%s\" refused", offer.driver_version.c_str());
    offer.driver_version.clear();
  }
  if (!offer.firmware_tool_version.empty() && !IsSafeVersionText(offer.firmware_tool_version)) {
    Trace(4, "Version file: tool version \"%s\" refused", offer.firmware_tool_version.c_str());
    offer.firmware_tool_version.clear();
  }
  const std::string current = ctx_.program_version ? ctx_.program_version() : std::string();
  const bool newer = IsNewerVersion(offer.driver_version, current);
  {
    std::lock_guard lock(mu_);
    offer_ = offer;
  }
  Trace(2, "Version file: driver %s (running %s), tool %s", offer.driver_version.c_str(),
        current.c_str(), offer.firmware_tool_version.c_str());
  if (newer) ctx_.toolkit.PostMessage(WM_UPDATE_PROMPT, kPromptDriver, 0);
}

void UpdateSubsystem::StartVersionCheck() {
  if (fetch_.joinable()) return;
  if (ctx_.app_key.ReadInt(kNoUpdateCheckKey) != 0) return;
  const std::string base = ctx_.upgrade_url ? ctx_.upgrade_url() : std::string();
  if (base.empty()) return;
  const int today = today_();
  if (ctx_.app_key.ReadInt(kUpdateCheckDayKey) == today) return;
  ctx_.app_key.WriteInt(kUpdateCheckDayKey, today);
  const std::string url = VersionFileUrl(base);
  stop_fetch_.store(false);
  fetch_ = std::thread([this, url] {
    std::string text;
    if (FetchText(url, text, kVersionFileMaxBytes, &stop_fetch_).ok() && !stop_fetch_.load()) {
      ApplyVersionFile(text);
    }
  });
}

void UpdateSubsystem::StopVersionCheck() {
  stop_fetch_.store(true);
  WaitVersionCheck();
}

void UpdateSubsystem::WaitVersionCheck() {
  if (fetch_.joinable()) fetch_.join();
}

}  // namespace update
