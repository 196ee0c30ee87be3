#include "app/device_main_dlg.h"

#include "app/window_controls.h"
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
      panel_(toolkit, app_key, {}) {
  RegisterWindowControls();
  RegisterFrameControls();
  SettingsPanel::Hooks hooks;
  hooks.apply_language = [this] { ApplyLanguage(); };
  hooks.link_address = [this](int link) {
    const catalogue::CatalogueLinks links = device_side_->Catalogue().Links();
    const std::string* addresses[] = {&links.website, &links.feedback, &links.qa};
    return link >= 0 && link < 3 ? *addresses[link] : std::string();
  };
  panel_.SetHooks(std::move(hooks));
  panel_.Register(dispatch_);
  device_side_ = std::make_unique<DeviceSide>(*this, std::move(device_options));
  toolkit_.SetListener(this);
}

DeviceMainDlg::~DeviceMainDlg() {
  // The worker ends first: its routines call into everything else.
  device_side_->EndWorker();
  device_side_.reset();
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
  panel_.Init();
  toolkit_.SetVisible(frame::kSettingsPanel, false);
  SelectTabPosition(0);
  toolkit_.SelectTab(frame::kTabs, 0);
  // No periodic window timer: the window has nothing to do between events.
  StartDeviceWork();
  const ui::WindowState start =
      StartWindowState(autorun_start_, app_key_.ReadInt(kAutorunMinimizeValue), tray_shown_);
  if (start != ui::WindowState::kNormal) {
    Trace(2, "Autorun start: %s", start == ui::WindowState::kHidden ? "tray" : "minimised");
    toolkit_.SetWindowState(start);
  }
}

void DeviceMainDlg::StartDeviceWork() { device_side_->Start(); }

void DeviceMainDlg::StopDeviceWork() {
  if (!device_side_->Stop()) Trace(mouselog::kError, "Worker did not stop within its time");
}

void DeviceMainDlg::OnClose() {
  // A second request while the first is under way (a click queued behind it) has nothing left
  // to do.
  if (closed_) return;
  closed_ = true;
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
    if (device_side_) device_side_->Link().OnDeviceStatus(static_cast<int>(reason));
  };
  message_handlers_[WM_APPLY_LANGUAGE] = [this](int64_t, int64_t) { ApplyLanguage(); };
  message_handlers_[WM_SHOW_NOTICE] = [this](int64_t, int64_t) { ShowPendingNotices(); };
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
    toolkit_.SetTitle(frame::kConnection, LanguageText(frame::kNotConnectedText));
  }
}

void DeviceMainDlg::RunLanguageHooks(LanguageStep step) {
  for (const auto& [at, hook] : language_hooks_) {
    if (at == step) hook();
  }
}

void DeviceMainDlg::ApplyLanguage() {
  RunLanguageHooks(LanguageStep::kProfileList);
  RunLanguageHooks(LanguageStep::kMacroList);
  // The catalogue's button names and default descriptions first: the assignments go over them.
  if (device_side_) device_side_->Catalogue().ReloadTexts();
  RunLanguageHooks(LanguageStep::kButtonPage);

  // The connection label keeps its meaning: its text is recognised in either language. Any
  // other text (a refused mouse's reason) stays as it is.
  const std::string connection = toolkit_.GetTitle(frame::kConnection);
  const std::pair<platform::TextId, std::pair<const char*, const char*>> states[] = {
      {frame::kNotConnectedText, {"未连接", "Not Connected"}},
      {frame::kUsbConnectionText, {"USB连接", "USB Connection"}},
      {frame::kReceiverConnectionText, {"2.4Ghz连接", "2.4Ghz Connection"}},
      {frame::kBluetoothConnectionText, {"蓝牙连接", "Bluetooth Connection"}},
  };
  for (const auto& [text, names] : states) {
    if (connection == names.first || connection == names.second) {
      toolkit_.SetTitle(frame::kConnection, LanguageText(text));
      break;
    }
  }

  ApplyFrameTexts();
  // The tab row is given again whole (its selection stays): the model's pages show again.
  if (device_side_) {
    catalogue::Catalogue& catalogue = device_side_->Catalogue();
    toolkit_.SetTabItemVisible(frame::kTabs, frame::kItemLighting, catalogue.HasLighting());
    toolkit_.SetTabItemVisible(frame::kTabs, frame::kItemScreen, catalogue.HasScreen());
  }
  panel_.ApplyTexts();
  device_list_.ApplyTexts();
  toolkit_.ReapplyFixedTexts();
  RunLanguageHooks(LanguageStep::kTitles);

  if (device_side_)
    toolkit_.SetTitle(frame::kCaptionText2, device_side_->Catalogue().VersionText());
  RunLanguageHooks(LanguageStep::kComposedTexts);
}

void DeviceMainDlg::OnWindowMessage(int message, MessageHandler handler) {
  message_handlers_[message] = std::move(handler);
}

bool DeviceMainDlg::HandlesMessage(int message) const {
  switch (message) {
    case WM_CLOSE:
    case WM_TRAY_NOTIFY:
    case WM_COMMAND:
    case WM_EXTERNAL_EXIT:
      return true;
    default:
      return message_handlers_.count(message) != 0;
  }
}

void DeviceMainDlg::ShowNotice(const std::string& text) {
  {
    std::lock_guard lock(notices_mu_);
    // The same notice twice in a row tells nothing new.
    if (!notices_.empty() && notices_.back() == text) return;
    notices_.push_back(text);
  }
  toolkit_.PostMessage(WM_SHOW_NOTICE, 0, 0);
}

void DeviceMainDlg::ShowPendingNotices() {
  std::vector<std::string> texts;
  {
    std::lock_guard lock(notices_mu_);
    texts.swap(notices_);
  }
  for (const std::string& text : texts) {
    toolkit_.ShowMessage(text, ui::Manager::GetDeviceName(), ui::kStyleOk);
  }
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
      if ((wparam & 0xFFFF) == kMenuExit) ExitProgram("tray menu");
      return;
    case WM_EXTERNAL_EXIT:
      if (wparam == kExternalExitCode) ExitProgram("outside request");
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
  ExitProgram("close button");
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
  for (const auto& hook : page_shown_hooks_) hook(entry.item_id);
}

void DeviceMainDlg::OpenSettingsPanel() {
  // The autostart entry may have been removed outside the program meanwhile.
  panel_.ShowChoices();
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
    const int command = toolkit_.ShowPopupMenu({{kMenuExit, LanguageText(frame::kExitMenuText)}});
    if (command == kMenuExit) OnMessage(WM_COMMAND, kMenuExit, 0);
  }
}

void DeviceMainDlg::RemoveTrayIcon() {
  if (tray_shown_.exchange(false)) toolkit_.RemoveTrayIcon(kTrayIconId);
}

void DeviceMainDlg::ExitProgram(const char* why) {
  Trace(mouselog::kInfo, "Exit (%s)", why);
  OnClose();
}

int DeviceMainDlg::ReadDeviceType() { return app_key_.ReadInt("DeviceType"); }

void DeviceMainDlg::WriteDeviceType(int device_type) {
  app_key_.WriteInt("DeviceType", device_type);
}

}  // namespace app
