#include "ui/headless/headless_toolkit.h"

#include "ui/control_registry.h"

namespace ui {

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

// Function-local: test programs set it from their own static initialisers.
struct UnknownControlHandler {
  std::mutex mu;
  std::function<void(int)> handler;
};

UnknownControlHandler& Unknown() {
  static UnknownControlHandler unknown;
  return unknown;
}

}  // namespace

void HeadlessToolkit::SetUnknownControlHandler(std::function<void(int number)> handler) {
  std::lock_guard lock(Unknown().mu);
  Unknown().handler = std::move(handler);
}

HeadlessToolkit::Control& HeadlessToolkit::At(int id) {
  if (!IsRegisteredControl(id)) {
    std::lock_guard lock(Unknown().mu);
    if (Unknown().handler) Unknown().handler(id);
  }
  return controls_[id];
}

HeadlessToolkit::Control HeadlessToolkit::Snapshot(int id) {
  Lock lock(mu_);
  return At(id);
}

bool HeadlessToolkit::Touched(int id) {
  Lock lock(mu_);
  return controls_.count(id) != 0;
}

void HeadlessToolkit::QueueMessageAnswer(int result) {
  Lock lock(mu_);
  message_answers_.push_back(result);
}

std::vector<HeadlessToolkit::MessageRecord> HeadlessToolkit::Messages() {
  Lock lock(mu_);
  return messages_;
}

void HeadlessToolkit::QueueFileAnswer(const std::string& path) {
  Lock lock(mu_);
  file_answers_.push_back(path);
}

void HeadlessToolkit::QueueColorAnswer(std::optional<uint32_t> colour) {
  Lock lock(mu_);
  colour_answers_.push_back(colour);
}

int HeadlessToolkit::PumpMessages() {
  int delivered = 0;
  for (;;) {
    Posted p{};
    Listener* listener = nullptr;
    {
      Lock lock(mu_);
      if (posted_.empty()) break;
      p = posted_.front();
      posted_.pop_front();
      listener = listener_;
    }
    // Delivered without the lock: handlers call back into the toolkit.
    if (listener && p.notification) {
      listener->OnControlNotify(p.message, static_cast<int>(p.wparam), p.lparam);
    } else if (listener) {
      listener->OnMessage(p.message, p.wparam, p.lparam);
    }
    ++delivered;
  }
  return delivered;
}

std::vector<HeadlessToolkit::Posted> HeadlessToolkit::PendingMessages() {
  Lock lock(mu_);
  return {posted_.begin(), posted_.end()};
}

int HeadlessToolkit::ModalBegins(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].begins;
}

int HeadlessToolkit::ModalEnds(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].ends;
}

bool HeadlessToolkit::ModalOpen(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].open;
}

std::vector<std::tuple<int, std::string>> HeadlessToolkit::TrayIcons() {
  Lock lock(mu_);
  std::vector<std::tuple<int, std::string>> out;
  for (const auto& [id, tip] : tray_) out.emplace_back(id, tip);
  return out;
}

int HeadlessToolkit::StartedTimerPeriod() {
  Lock lock(mu_);
  return timer_period_;
}

bool HeadlessToolkit::WindowClosed() {
  Lock lock(mu_);
  return closed_;
}

int HeadlessToolkit::RaiseCount() {
  Lock lock(mu_);
  return raised_;
}

void HeadlessToolkit::SetTrayAvailable(bool available) {
  Lock lock(mu_);
  tray_available_ = available;
}

void HeadlessToolkit::Notify(int number, int code, int64_t value) {
  Listener* listener = nullptr;
  {
    Lock lock(mu_);
    listener = listener_;
  }
  if (listener) listener->OnControlNotify(number, code, value);
}

void HeadlessToolkit::SetListener(Listener* listener) {
  Lock lock(mu_);
  listener_ = listener;
}

bool HeadlessToolkit::HasControl(int id) { return IsRegisteredControl(id); }

void HeadlessToolkit::SetTitle(int id, const std::string& text) {
  Lock lock(mu_);
  At(id).title = text;
}

std::string HeadlessToolkit::GetTitle(int id) {
  Lock lock(mu_);
  return At(id).title;
}

void HeadlessToolkit::SetVisible(int id, bool visible) {
  Lock lock(mu_);
  At(id).visible = visible;
}

bool HeadlessToolkit::IsVisible(int id) {
  Lock lock(mu_);
  return At(id).visible;
}

void HeadlessToolkit::SetEnabled(int id, bool enabled) {
  Lock lock(mu_);
  At(id).enabled = enabled;
}

bool HeadlessToolkit::IsEnabled(int id) {
  Lock lock(mu_);
  return At(id).enabled;
}

void HeadlessToolkit::SetTooltip(int id, const std::string& text) {
  Lock lock(mu_);
  At(id).tooltip = text;
}

bool HeadlessToolkit::GetCheck(int id) {
  Lock lock(mu_);
  return At(id).checked;
}

void HeadlessToolkit::SetCheck(int id, bool checked) {
  Lock lock(mu_);
  At(id).checked = checked;
}

uint32_t HeadlessToolkit::GetColor(int id) {
  Lock lock(mu_);
  return At(id).colour;
}

void HeadlessToolkit::SetColor(int id, uint32_t colour) {
  Lock lock(mu_);
  At(id).colour = colour;
}

void HeadlessToolkit::SetImage(int id, const std::string& file) {
  Lock lock(mu_);
  At(id).image = file;
}

void HeadlessToolkit::ClearItems(int id) {
  Lock lock(mu_);
  At(id).items.clear();
  At(id).cur_sel = -1;
}

void HeadlessToolkit::AddItem(int id, const std::string& text, int64_t data) {
  Lock lock(mu_);
  At(id).items.push_back({text, data});
}

int HeadlessToolkit::GetItemCount(int id) {
  Lock lock(mu_);
  return static_cast<int>(At(id).items.size());
}

std::string HeadlessToolkit::GetItemText(int id, int index) {
  Lock lock(mu_);
  auto& items = At(id).items;
  return index >= 0 && index < static_cast<int>(items.size()) ? items[index].text : "";
}

void HeadlessToolkit::SetItemText(int id, int index, const std::string& text) {
  Lock lock(mu_);
  auto& items = At(id).items;
  if (index >= 0 && index < static_cast<int>(items.size())) items[index].text = text;
}

int64_t HeadlessToolkit::GetItemData(int id, int index) {
  Lock lock(mu_);
  auto& items = At(id).items;
  return index >= 0 && index < static_cast<int>(items.size()) ? items[index].data : -1;
}

bool HeadlessToolkit::SelectData(int id, int64_t data) {
  Lock lock(mu_);
  auto& c = At(id);
  for (size_t i = 0; i < c.items.size(); ++i) {
    if (c.items[i].data == data) {
      c.cur_sel = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

int HeadlessToolkit::GetCurSel(int id) {
  Lock lock(mu_);
  return At(id).cur_sel;
}

void HeadlessToolkit::SetCurSel(int id, int index) {
  Lock lock(mu_);
  auto& c = At(id);
  c.cur_sel = index >= 0 && index < static_cast<int>(c.items.size()) ? index : -1;
}

int64_t HeadlessToolkit::GetCurData(int id) {
  Lock lock(mu_);
  auto& c = At(id);
  return c.cur_sel >= 0 && c.cur_sel < static_cast<int>(c.items.size()) ? c.items[c.cur_sel].data
                                                                        : -1;
}

std::string HeadlessToolkit::GetEditText(int id) {
  Lock lock(mu_);
  return At(id).edit_text;
}

void HeadlessToolkit::SetEditText(int id, const std::string& text) {
  Lock lock(mu_);
  At(id).edit_text = text;
}

void HeadlessToolkit::SetRange(int id, int minimum, int maximum) {
  Lock lock(mu_);
  At(id).range_min = minimum;
  At(id).range_max = maximum;
}

void HeadlessToolkit::SetPos(int id, int position) {
  Lock lock(mu_);
  At(id).pos = position;
}

int HeadlessToolkit::GetPos(int id) {
  Lock lock(mu_);
  return At(id).pos;
}

void HeadlessToolkit::SetProgress(int id, int percent) {
  Lock lock(mu_);
  At(id).progress = percent;
}

void HeadlessToolkit::SetDPILevelCount(int id, int count) {
  Lock lock(mu_);
  At(id).dpi_count = count;
}

int HeadlessToolkit::GetDPILevelCount(int id) {
  Lock lock(mu_);
  return At(id).dpi_count;
}

int HeadlessToolkit::GetDPIValue(int id, int level) {
  Lock lock(mu_);
  auto& v = At(id).dpi_values;
  auto it = v.find(level);
  return it == v.end() ? 0 : it->second;
}

void HeadlessToolkit::SetDPIValue(int id, int level, int value) {
  Lock lock(mu_);
  At(id).dpi_values[level] = value;
}

uint32_t HeadlessToolkit::GetDPIColorValue(int id, int level) {
  Lock lock(mu_);
  auto& v = At(id).dpi_colours;
  auto it = v.find(level);
  return it == v.end() ? 0 : it->second;
}

void HeadlessToolkit::SetDPIColorValue(int id, int level, uint32_t colour) {
  Lock lock(mu_);
  At(id).dpi_colours[level] = colour;
}

void HeadlessToolkit::SetDPISelected(int id, int level) {
  Lock lock(mu_);
  At(id).dpi_selected = level;
}

int HeadlessToolkit::GetDPISelected(int id) {
  Lock lock(mu_);
  return At(id).dpi_selected;
}

void HeadlessToolkit::SetBattery(int id, int percent, bool charging) {
  Lock lock(mu_);
  At(id).battery = percent;
  At(id).charging = charging;
}

void HeadlessToolkit::SetDeviceItems(int id, const std::vector<DeviceListItem>& items) {
  Lock lock(mu_);
  At(id).devices = items;
}

void HeadlessToolkit::SetMouseItems(int id, const std::vector<MouseItem>& items) {
  Lock lock(mu_);
  At(id).mouse_items = items;
}

void HeadlessToolkit::SetMouseSelected(int id, int key_value) {
  Lock lock(mu_);
  At(id).mouse_selected = key_value;
}

void HeadlessToolkit::SetTabItems(int id, const std::vector<TabItem>& items) {
  Lock lock(mu_);
  At(id).tabs = items;
}

void HeadlessToolkit::SetTabItemVisible(int id, int item_id, bool visible) {
  Lock lock(mu_);
  for (auto& tab : At(id).tabs) {
    if (tab.id == item_id) tab.visible = visible;
  }
}

void HeadlessToolkit::SelectTab(int id, int position) {
  Lock lock(mu_);
  At(id).tab_selected = position;
  posted_.push_back({id, kNotifyClicked, position, true});
}

void HeadlessToolkit::QueueMenuAnswer(int command) {
  Lock lock(mu_);
  menu_answers_.push_back(command);
}

std::vector<std::vector<MenuItem>> HeadlessToolkit::Menus() {
  Lock lock(mu_);
  return menus_;
}

int HeadlessToolkit::ShowPopupMenu(const std::vector<MenuItem>& items) {
  Lock lock(mu_);
  menus_.push_back(items);
  if (menu_answers_.empty()) return 0;
  const int command = menu_answers_.front();
  menu_answers_.pop_front();
  return command;
}

int HeadlessToolkit::ShowMessage(const std::string& message, const std::string& title, int style) {
  std::function<void()> action;
  int result = kResultOk;
  {
    Lock lock(mu_);
    if (!message_answers_.empty()) {
      result = message_answers_.front();
      message_answers_.pop_front();
    }
    messages_.push_back({message, title, style, result});
    action = std::move(while_message_open_);
    while_message_open_ = nullptr;
    ++open_boxes_;
  }
  if (action) action();
  Lock lock(mu_);
  --open_boxes_;
  return result;
}

bool HeadlessToolkit::MessageBoxOpen() {
  Lock lock(mu_);
  return open_boxes_ > 0;
}

void HeadlessToolkit::WhileNextMessageOpen(std::function<void()> action) {
  Lock lock(mu_);
  while_message_open_ = std::move(action);
}

void HeadlessToolkit::CancelNextModal(ModalKind kind) {
  Lock lock(mu_);
  modals_[kind].cancel_next = true;
}

std::string HeadlessToolkit::PickOpenFile(const std::string&, const std::string&) {
  Lock lock(mu_);
  if (file_answers_.empty()) return "";
  std::string path = file_answers_.front();
  file_answers_.pop_front();
  return path;
}

std::string HeadlessToolkit::PickSaveFile(const std::string& title, const std::string&,
                                          const std::string& filter) {
  return PickOpenFile(title, filter);
}

std::string HeadlessToolkit::PickFolder(const std::string& title) {
  return PickOpenFile(title, "");
}

std::optional<uint32_t> HeadlessToolkit::PickColor(uint32_t) {
  Lock lock(mu_);
  if (colour_answers_.empty()) return std::nullopt;
  auto colour = colour_answers_.front();
  colour_answers_.pop_front();
  return colour;
}

void HeadlessToolkit::BeginModal(ModalKind kind) {
  Lock lock(mu_);
  auto& m = modals_[kind];
  ++m.begins;
  m.open = true;
  m.cancelled = false;
  m.progress = 0;
}

// Tests run worker turns themselves, so the modal run cannot block here; a scripted cancel
// ends it as the person's cancel would.
void HeadlessToolkit::RunModal(ModalKind kind) {
  Lock lock(mu_);
  Modal& m = modals_[kind];
  m.cancelled = m.cancel_next && m.open;
  m.cancel_next = false;
  if (m.cancelled) m.open = false;
}

bool HeadlessToolkit::ModalCancelled(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].cancelled;
}

void HeadlessToolkit::EndModal(ModalKind kind) {
  Lock lock(mu_);
  auto& m = modals_[kind];
  if (!m.open) return;
  ++m.ends;
  m.open = false;
}

void HeadlessToolkit::SetModalProgress(ModalKind kind, int percent) {
  Lock lock(mu_);
  modals_[kind].progress = percent;
}

void HeadlessToolkit::SetModalText(ModalKind kind, const std::string& text) {
  Lock lock(mu_);
  modals_[kind].text = text;
}

int HeadlessToolkit::ModalProgress(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].progress;
}

std::string HeadlessToolkit::ModalText(ModalKind kind) {
  Lock lock(mu_);
  return modals_[kind].text;
}

void HeadlessToolkit::QueueDelayAnswer(std::optional<DelayChoice> answer) {
  Lock lock(mu_);
  delay_answers_.push_back(std::move(answer));
}

std::optional<DelayChoice> HeadlessToolkit::AskFrameDelay(const std::string&, int) {
  Lock lock(mu_);
  if (delay_answers_.empty()) return std::nullopt;
  auto answer = delay_answers_.front();
  delay_answers_.pop_front();
  return answer;
}

void HeadlessToolkit::ImageEditorCommand(int id, int command, int value, const std::string& text) {
  Lock lock(mu_);
  editor_commands_.push_back({id, command, value, text});
}

std::vector<HeadlessToolkit::EditorCommandRecord> HeadlessToolkit::EditorCommands() {
  Lock lock(mu_);
  return editor_commands_;
}

void HeadlessToolkit::PostMessage(int message, int64_t wparam, int64_t lparam) {
  Lock lock(mu_);
  posted_.push_back({message, wparam, lparam});
}

void HeadlessToolkit::SetWindowState(WindowState state) {
  Lock lock(mu_);
  window_state_ = state;
}

WindowState HeadlessToolkit::GetWindowState() {
  Lock lock(mu_);
  return window_state_;
}

void HeadlessToolkit::RaiseWindow() {
  Lock lock(mu_);
  ++raised_;
  if (window_state_ != WindowState::kMaximized) window_state_ = WindowState::kNormal;
}

void HeadlessToolkit::CloseWindow() {
  Lock lock(mu_);
  closed_ = true;
}

void HeadlessToolkit::StartTimer(int period_ms) {
  Lock lock(mu_);
  timer_period_ = period_ms;
}

bool HeadlessToolkit::TrayAvailable() {
  Lock lock(mu_);
  return tray_available_;
}

bool HeadlessToolkit::AddTrayIcon(int id, const std::string&, const std::string& tip) {
  Lock lock(mu_);
  if (!tray_available_) return false;
  tray_[id] = tip;
  return true;
}

void HeadlessToolkit::RemoveTrayIcon(int id) {
  Lock lock(mu_);
  tray_.erase(id);
}

}  // namespace ui

namespace ui {

std::optional<uint32_t> HeadlessToolkit::WheelScrollLines() {
  std::lock_guard lock(mu_);
  return wheel_lines_;
}

void HeadlessToolkit::SetWheelScrollLines(uint32_t lines) {
  std::lock_guard lock(mu_);
  wheel_lines_ = lines;
}

}  // namespace ui
