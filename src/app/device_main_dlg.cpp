#include "app/device_main_dlg.h"

#include <cstdlib>

#include "log/trace.h"
#include "platform/language.h"
#include "platform/utf8.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"

namespace app {
namespace {

namespace frame = ui::frame;

// The tray tip field holds 128 characters with its terminator.
constexpr size_t kTrayTipCharacters = 127;

int PositionOfItem(int item_id) {
  for (size_t i = 0; i < frame::kTabTable.size(); ++i) {
    if (frame::kTabTable[i].item_id == item_id) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace

DeviceMainDlg::DeviceMainDlg(ui::Toolkit& toolkit, DriverComm& comm, platform::AppKey& app_key,
                             DeviceWorkOptions device_options)
    : toolkit_(toolkit),
      comm_(comm),
      app_key_(app_key),
      device_list_(toolkit),
      exit_process_([](int code) { std::_Exit(code); }),
      link_(comm, toolkit, device_list_, *this) {
  RegisterFrameControls();
  device_side_ = std::make_unique<DeviceSide>(*this, std::move(device_options));
  toolkit_.SetListener(this);
}

DeviceMainDlg::~DeviceMainDlg() {
  // The worker ends first: its routines call into everything else.
  device_side_->EndWorker();
  device_side_.reset();
  link_.StopHotplug();
  RemoveTrayIcon();
  toolkit_.SetListener(nullptr);
}

void DeviceMainDlg::Run(Frontend& frontend) {
  frontend.RunMainWindow(ui::Manager::GetDeviceName(), [this] { OnInitDialog(); });
}

void DeviceMainDlg::OnInitDialog() {
  const std::string caption = ui::Manager::GetDeviceName();
  // Where the desktop has no tray the program runs on without one.
  if (toolkit_.TrayAvailable()) {
    tray_shown_ = toolkit_.AddTrayIcon(kTrayIconId, "DeviceDriver.ico",
                                       platform::Utf8Prefix(caption, kTrayTipCharacters));
  }
  ApplyFrameTexts();
  toolkit_.SetVisible(frame::kSettingsPanel, false);
  SelectTabPosition(0);
  toolkit_.SelectTab(frame::kTabs, 0);
  StartDeviceWork();
  toolkit_.StartTimer(10);
}

void DeviceMainDlg::StartDeviceWork() { device_side_->Start(); }

void DeviceMainDlg::StopDeviceWork() {
  if (!device_side_->Stop()) Trace(4, "Worker did not stop within its time");
}

void DeviceMainDlg::OnClose() {
  StopDeviceWork();
  RemoveTrayIcon();
  toolkit_.CloseWindow();
}

void DeviceMainDlg::RegisterFrameControls() {
  dispatch_.OnClick(frame::kClose, [this](int, int64_t) { CloseButton(); });
  dispatch_.OnClick(frame::kMinimize,
                    [this](int, int64_t) { toolkit_.SetWindowState(ui::WindowState::kMinimized); });
  dispatch_.OnClick(frame::kMaximize, [this](int, int64_t) { ToggleMaximize(); });
  dispatch_.OnClick(frame::kSettings, [this](int, int64_t) { OpenSettingsPanel(); });
  dispatch_.OnClick(frame::kSettingsReturn, [this](int, int64_t) { CloseSettingsPanel(); });
  dispatch_.OnAny(frame::kTabs,
                  [this](int, int64_t position) { SelectTabPosition(static_cast<int>(position)); });
  message_handlers_[WM_DEVICE_STATUS] = [this](int64_t reason, int64_t) {
    link_.OnDeviceStatus(static_cast<int>(reason));
  };
}

void DeviceMainDlg::ApplyFrameTexts() {
  toolkit_.SetTitle(frame::kCaptionText, ui::Manager::GetDeviceName());
  std::vector<ui::TabItem> tabs;
  for (const auto& entry : frame::kTabTable) {
    ui::TabItem tab;
    tab.image = entry.image;
    tab.id = entry.item_id;
    tab.title = LanguageText(entry.title_text);
    // Lighting and screen only for models that have them; the catalogue shows them.
    tab.visible = entry.item_id != frame::kItemLighting && entry.item_id != frame::kItemScreen;
    tabs.push_back(tab);
  }
  toolkit_.SetTabItems(frame::kTabs, tabs);
  if (toolkit_.GetTitle(frame::kConnection).empty()) {
    toolkit_.SetTitle(frame::kConnection, LanguageText(50));
  }
}

void DeviceMainDlg::OnWindowMessage(int message, MessageHandler handler) {
  message_handlers_[message] = std::move(handler);
}

void DeviceMainDlg::OnControlNotify(int number, int code, int64_t value) {
  dispatch_.Notify(number, code, value);
}

void DeviceMainDlg::OnMessage(int message, int64_t wparam, int64_t lparam) {
  switch (message) {
    case WM_CLOSE:
      OnClose();
      return;
    case WM_TRAY_NOTIFY:
      TrayNotify(lparam);
      return;
    case WM_COMMAND:
      if ((wparam & 0xFFFF) == kMenuExit) ExitProcess();
      return;
    case WM_EXTERNAL_EXIT:
      if (wparam == kExternalExitCode) ExitProcess();
      return;
    default:
      break;
  }
  auto it = message_handlers_.find(message);
  if (it != message_handlers_.end()) it->second(wparam, lparam);
}

void DeviceMainDlg::CloseButton() {
  if (app_key_.ReadInt("exit_mode") == 1) {
    // Hidden, the window stays reachable through the tray icon; without a tray it can only
    // be minimised, or nothing would bring it back.
    toolkit_.SetWindowState(tray_shown_ ? ui::WindowState::kHidden : ui::WindowState::kMinimized);
    return;
  }
  ExitProcess();
}

void DeviceMainDlg::ToggleMaximize() {
  if (toolkit_.GetWindowState() == ui::WindowState::kMaximized) {
    toolkit_.SetWindowState(ui::WindowState::kNormal);
    toolkit_.SetImage(frame::kMaximize, "sysbtn_maximize.png");
  } else {
    toolkit_.SetWindowState(ui::WindowState::kMaximized);
    toolkit_.SetImage(frame::kMaximize, "sysbtn_restore.png");
  }
}

void DeviceMainDlg::SelectTabPosition(int position) {
  if (position < 0 || position >= static_cast<int>(frame::kTabTable.size())) return;
  if (settings_shown_) {
    toolkit_.SetVisible(frame::kSettingsPanel, false);
    for (int id : frame::kStatusStrip) toolkit_.SetVisible(id, true);
    settings_shown_ = false;
  }
  const frame::TabEntry& entry = frame::kTabTable[position];
  for (int layout : frame::kPageLayouts) {
    if (layout != frame::kSettingsPanel) toolkit_.SetVisible(layout, layout == entry.layout);
  }
  // The first tab shows the models themselves: no tab row and no model controls.
  const bool first = entry.item_id == frame::kItemHome;
  toolkit_.SetVisible(frame::kTabs, !first);
  for (int id : frame::kModelControls) toolkit_.SetVisible(id, !first);
  selected_item_ = entry.item_id;
}

void DeviceMainDlg::OpenSettingsPanel() {
  toolkit_.SetVisible(frame::kTabs, false);
  for (int layout : frame::kPageLayouts) toolkit_.SetVisible(layout, false);
  for (int id : frame::kStatusStrip) toolkit_.SetVisible(id, false);
  toolkit_.SetVisible(frame::kSettingsPanel, true);
  settings_shown_ = true;
}

void DeviceMainDlg::CloseSettingsPanel() {
  toolkit_.SetVisible(frame::kSettingsPanel, false);
  for (int id : frame::kStatusStrip) toolkit_.SetVisible(id, true);
  settings_shown_ = false;
  int position = 0;
  if (model_loaded_ && selected_item_ != frame::kItemHome) {
    toolkit_.SetVisible(frame::kTabs, true);
    position = PositionOfItem(selected_item_);
  }
  SelectTabPosition(position);
  toolkit_.SelectTab(frame::kTabs, position);
}

void DeviceMainDlg::TrayNotify(int64_t mouse_message) {
  if (mouse_message == kTrayLeftDown || mouse_message == kTrayLeftDoubleClick) {
    toolkit_.RaiseWindow();
  } else if (mouse_message == kTrayRightUp) {
    const int command = toolkit_.ShowPopupMenu({{kMenuExit, LanguageText(17)}});
    if (command == kMenuExit) OnMessage(WM_COMMAND, kMenuExit, 0);
  }
}

void DeviceMainDlg::RemoveTrayIcon() {
  if (tray_shown_.exchange(false)) toolkit_.RemoveTrayIcon(kTrayIconId);
}

void DeviceMainDlg::ExitProcess() { EndProcess(0); }

void DeviceMainDlg::EndProcess(int code) {
  RemoveTrayIcon();
  Trace(2, "Exit");
  exit_process_(code);
}

int DeviceMainDlg::ReadDeviceType() { return app_key_.ReadInt("DeviceType"); }

void DeviceMainDlg::WriteDeviceType(int device_type) {
  app_key_.WriteInt("DeviceType", device_type);
}

void DeviceMainDlg::LoadModelDescription(int device_type) {
  device_side_->LoadModelDescription(device_type);
}

void DeviceMainDlg::RunDeviceArrival() { device_side_->RunDeviceArrival(); }

int DeviceMainDlg::CurrentDpiLevel() { return device_side_->CurrentDpiLevel(); }

void DeviceMainDlg::DpiLevelChanged(int level) { device_side_->DpiLevelChanged(level); }

}  // namespace app
