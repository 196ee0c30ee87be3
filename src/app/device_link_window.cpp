#include "app/device_link_window.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <vector>

#include "log/trace.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "settings/settings_model.h"
#include "settings/settings_page.h"
#include "ui/frame_controls.h"
#include "ui/task_table.h"

namespace app {

using device::DeviceChange;
using device::HotplugMonitor;
using device::kDeviceArrival;
using device::kDeviceRemoveComplete;
using device::kModeCable;
using device::kModeReceiver;
using ui::kStatusMacroTooLarge;
using ui::kStatusOffline;
using ui::kStatusOfflineSilent;
using ui::kStatusReceiverOffline;

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// What the device list shows for one model: cable wins, then an online receiver, then an
// offline receiver; the version comes from the same entry.
struct ModelState {
  int mode = -1;
  int online = 0;
  int release = 0;
};

// `text` with every "%1" replaced by `first` and "%2" by `second`. The texts come from the
// language files, so they are never used as printf formats.
std::string FillText(const std::string& text, const std::string& first,
                     const std::string& second = {}) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
      out += text[i + 1] == '1' ? first : second;
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// Installing the rule applies it as well; an installed rule only needs applying to the
// nodes that were created before it.
constexpr char kInstallRuleCommand[] = "./dev install-udev";
constexpr char kApplyRuleCommand[] = "sudo udevadm trigger --action=add --subsystem-match=hidraw";

}  // namespace

RefusalTexts DescribeRefusal(const RefusedInterface& refused, const std::string& model_name,
                             bool rule_installed) {
  RefusalTexts texts;
  if (refused.error == EACCES || refused.error == EPERM) {
    texts.label = LanguageText(kNoPermissionLabelText);
    texts.hint = FillText(LanguageText(kNoPermissionHintText), model_name) + "\n" +
                 (rule_installed ? kApplyRuleCommand : kInstallRuleCommand);
  } else if (refused.error == EBUSY) {
    texts.label = LanguageText(kInUseLabelText);
    texts.hint = FillText(LanguageText(kInUseHintText), model_name) + "\nfuser -v " + refused.path;
  } else {
    texts.label = LanguageText(kCannotOpenLabelText);
    texts.hint =
        FillText(LanguageText(kCannotOpenHintText), model_name, device::ErrorText(refused.error));
  }
  return texts;
}

DeviceLinkWindow::DeviceLinkWindow(DriverComm& comm, ui::Toolkit& toolkit,
                                   DeviceListControl& device_list, DeviceWindowHost& host)
    : comm_(comm), toolkit_(toolkit), device_list_(device_list), host_(host) {}

void DeviceLinkWindow::ShowDisconnected(bool hide_device_list) {
  device_connected_.store(false);
  toolkit_.SetTitle(ui::frame::kConnection, LanguageText(50));
  toolkit_.SelectTab(ui::frame::kTabs, 0);
  toolkit_.SetVisible(ui::frame::kTabs, false);
  toolkit_.SetVisible(ui::frame::kConnectHint, true);
  if (hide_device_list) {
    toolkit_.SetVisible(ui::frame::kHomePicture, true);
    toolkit_.SetVisible(ui::frame::kHomeArea, true);
    toolkit_.SetVisible(catalogue::kDeviceList, false);
  }
}

void DeviceLinkWindow::ShowRefusal(bool connected) {
  const std::vector<RefusedInterface> refused =
      connected ? std::vector<RefusedInterface>{} : comm_.RefusedInterfaces();
  if (refused.empty()) {
    if (refusal_shown_) toolkit_.SetTitle(ui::frame::kConnectHint, LanguageText(kConnectHintText));
    refusal_shown_ = false;
    return;
  }
  // The model the window works with first, and its command interface: that refusal is the
  // one the person is after.
  const RefusedInterface* chosen = &refused.front();
  int best = -1;
  for (const RefusedInterface& r : refused) {
    const int score = (r.device_type == comm_.SelectedType() ? 2 : 0) + (r.command ? 1 : 0);
    if (score > best) {
      best = score;
      chosen = &r;
    }
  }
  std::string name;
  for (const ui::DeviceListItem& item : device_list_.Items()) {
    if (item.data == chosen->device_type) name = item.name;
  }
  if (name.empty()) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", chosen->vid, chosen->pid);
    name = ids;
  }
  const RefusalTexts texts = DescribeRefusal(*chosen, name, platform::UdevRuleInstalled());
  toolkit_.SetTitle(ui::frame::kConnection, texts.label);
  toolkit_.SetTitle(ui::frame::kConnectHint, texts.hint);
  refusal_shown_ = true;
  Trace(mouselog::kInfo, "UpdateDeviceList, %s refused: %s", chosen->path.c_str(),
        device::ErrorText(chosen->error).c_str());
}

void DeviceLinkWindow::ShowConnected(int mode, int device_type) {
  if (mode == kModeReceiver) mode_.store(kModeReceiver);
  toolkit_.SetVisible(ui::frame::kConnectHint, false);
  toolkit_.SetVisible(ui::frame::kTabs, true);
  toolkit_.SelectTab(ui::frame::kTabs, 1);
  toolkit_.SetTitle(ui::frame::kConnection, LanguageText(mode == kModeCable ? 51 : 52));
  device_list_.SetDeviceState(device_type, mode, 1);
  device_connected_.store(true);
  toolkit_.SetVisible(ui::frame::kHomePicture, false);
  toolkit_.SetVisible(ui::frame::kHomeArea, false);
  toolkit_.SetVisible(catalogue::kDeviceList, true);
}

void DeviceLinkWindow::UpdateDeviceList() {
  const int remembered = host_.ReadDeviceType();
  comm_.RebuildDeviceList();

  comm_.SetSelectedType(0);
  std::vector<DeviceEntry> entries;
  const bool any = comm_.CollectEntries(entries);
  comm_.SetSelectedType(remembered);

  std::map<int, ModelState> models;
  for (const DeviceEntry& e : entries) {
    ModelState& m = models[e.device_type];
    const bool better = m.mode == -1 || (e.mode == kModeCable && m.mode != kModeCable) ||
                        (e.mode == m.mode && e.online > m.online);
    if (better) m = ModelState{e.mode, e.online, e.release};
  }
  device_list_.SetAllDeviceState(0);
  for (const auto& [type, m] : models) {
    device_list_.SetDeviceState(type, m.mode, m.online);
    device_list_.SetDeviceVersion(type, m.release);
  }
  // A remembered model that is attached keeps its priority; one that is not gives way to the
  // first attached model in catalogue order, or the window would show "Not Connected" with a
  // working mouse plugged in.
  int preferred = remembered;
  if (models.count(remembered) == 0) {
    for (const ui::DeviceListItem& item : device_list_.Items()) {
      if (models.count(static_cast<int>(item.data)) != 0) {
        preferred = static_cast<int>(item.data);
        Trace(2, "Remembered model %d is not attached; attached model %d is loaded", remembered,
              preferred);
        break;
      }
    }
  }
  device_list_.SetSelectDevice(preferred);
  // With no model listed at all the control has no choice to make; keep the remembered one.
  const int chosen = device_list_.Items().empty() ? remembered : device_list_.GetSelectDevice();
  comm_.SetSelectedType(chosen);
  host_.WriteDeviceType(chosen);
  host_.LoadModelDescription(chosen);

  if (any) {
    device_present_.store(true);
    mode_.store(0);
    const int mode = comm_.GetConnectMode();
    if (mode == kModeCable) {
      ShowConnected(kModeCable, comm_.SelectedType());
      Trace(mouselog::kInfo, "UpdateDeviceList, USB 显示: 当前模式: %d", mode);
      ShowRefusal(true);
    } else if (mode == kModeReceiver) {
      ShowConnected(kModeReceiver, comm_.SelectedType());
      Trace(mouselog::kInfo, "UpdateDeviceList, 2.4G 显示: 当前模式: %d", mode);
      ShowRefusal(true);
    } else {
      ShowDisconnected(true);
      Trace(mouselog::kInfo, "UpdateDeviceList, 隐藏: 当前模式: %d", mode);
      ShowRefusal(false);
    }
  } else {
    device_present_.store(false);
    ShowDisconnected(true);
    host_.StopMacroRecording();
    Trace(mouselog::kInfo, "UpdateDeviceList, 无设备隐藏");
    ShowRefusal(false);
  }
}

void DeviceLinkWindow::UpdateUSBDevice(const DeviceChange& change) {
  const std::string name = UpperAscii(change.name);
  Trace(mouselog::kInfo, "UpdateUSBDevice path: %s", name.c_str());
  char pattern[48];
  for (const ModeRecord& m : comm_.Modes()) {
    if (change.event == kDeviceArrival) {
      std::snprintf(pattern, sizeof pattern, "VID_%04X&PID_%04X", m.vid, m.pid);
      if (name.find(pattern) == std::string::npos) continue;
      if (comm_.IsCommandInterfacePath(change.path)) host_.AppendTask(ui::kTaskArrival);
      return;
    }
    if (change.event == kDeviceRemoveComplete) {
      if (!device_present_.load()) return;
      std::snprintf(pattern, sizeof pattern, "VID_%04X&PID_%04X&MI_02", m.vid, m.pid);
      if (name.find(pattern) == std::string::npos) continue;
      host_.AppendTask(ui::kTaskRemoval);
      return;
    }
  }
}

bool DeviceLinkWindow::StartHotplug() {
  hotplug_ = HotplugMonitor::Start([this](const DeviceChange& change) { UpdateUSBDevice(change); });
  return hotplug_ != nullptr;
}

void DeviceLinkWindow::PollNotifications() {
  {
    std::lock_guard lock(poll_mu_);
    const uint64_t now = comm_.GetClock().TickCount();
    if (polled_ && now - last_poll_tick_ < static_cast<uint64_t>(kPollSpacingMs)) return;
    polled_ = true;
    last_poll_tick_ = now;
  }
  uint8_t report[65] = {};
  comm_.ReadNotification(report, sizeof report);
  if (report[0] != 0) {
    Trace(mouselog::kInfo, "mouse notify data: %02X %02X %02X %02X %02X %02X", report[0], report[1],
          report[2], report[3], report[4], report[5]);
  }
  if (report[0] != 0x09 || report[1] != 0xFA) return;
  HandleNotification(report);
}

void DeviceLinkWindow::HandleNotification(const uint8_t* report) {
  const int value = report[3];
  switch (report[2]) {
    case 2:
      Trace(mouselog::kInfo, "上报dongle和设备的连接状态: %d", value);
      if (value == 1) {
        ShowConnected(kModeReceiver, kReceiverModelType);
        host_.RunDeviceArrival();
      } else {
        ShowDisconnected(false);
        device_list_.SetDeviceState(kReceiverModelType, kModeReceiver, 0);
        comm_.FlushNotifications();
        host_.StopMacroRecording();
      }
      break;
    case 3:
      // Levels count from 1 and a mouse has at most seven; anything else is not a level.
      if (value >= 1 && value <= 7 && value != host_.CurrentDpiLevel() + 1) {
        host_.DpiLevelChanged(value - 1);
      }
      if (!device_connected_.load()) ShowConnected(kModeReceiver, kReceiverModelType);
      break;
    case 5:
      toolkit_.SetBattery(ui::frame::kBattery, value & 0x7F, (value >> 7) != 0);
      Trace(mouselog::kInfo, "上报当前电量信息: %d", value);
      break;
    case 9:
      toolkit_.SelectData(settings::kReportRateList, value);
      settings::ShowOption3For(toolkit_, value);
      if (!device_connected_.load()) ShowConnected(kModeReceiver, kReceiverModelType);
      break;
    default:
      break;
  }
}

void DeviceLinkWindow::OnDeviceStatus(int reason) {
  switch (reason) {
    case kStatusReceiverOffline:
      ShowDisconnected(false);
      toolkit_.ShowMessage(LanguageText(581), LanguageText(582), ui::kStyleOk);
      break;
    case kStatusOffline:
    case kStatusOfflineSilent:
      ShowDisconnected(false);
      break;
    case kStatusMacroTooLarge:
      toolkit_.ShowMessage(LanguageText(583), LanguageText(584), ui::kStyleOk);
      break;
    default:
      break;
  }
}

bool DeviceLinkWindow::GuardWirelessWrite(int reason) {
  if (mode_.load() != kModeReceiver) return true;
  if (comm_.IsWirelessOnline(nullptr)) return true;
  toolkit_.PostMessage(WM_DEVICE_STATUS, reason, 0);
  return false;
}

void BindDeviceLink(settings::SettingsContext& context, DeviceLinkWindow& link) {
  context.connection_mode = [&link] { return link.Mode(); };
  context.guard_wireless = [&link](int reason) { return link.GuardWirelessWrite(reason); };
}

}  // namespace app
