// An in-memory toolkit: every registered control (ui/control_registry.h) exists on first touch
// and keeps its state, and a touch of an unregistered number goes to the unknown-control
// handler (the tests make it a failure); message
// boxes, pickers and the colour dialog answer from a script; posted messages wait until
// PumpMessages. Thread-safe, so the worker may use it directly. Tests and tools drive the
// whole program through it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ui/control_state.h"
#include "ui/toolkit.h"

namespace ui {

class HeadlessToolkit : public Toolkit {
 public:
  using Control = ControlState;
  using Item = ControlState::Item;
  struct MessageRecord {
    std::string message, title;
    int style = 0;
    int result = 0;
  };
  // A posted message, or (notification) a control notification queued by SelectTab:
  // message = control number, wparam = code, lparam = value.
  struct Posted {
    int message;
    int64_t wparam, lparam;
    bool notification = false;
  };

  // --- test side ---
  // Called, with the toolkit's lock held, for each touch of a number that is not registered.
  // Process-wide; nothing by default.
  static void SetUnknownControlHandler(std::function<void(int number)> handler);
  Control Snapshot(int id);
  bool Touched(int id);
  // Answers for the next message boxes (default 1 when the script is empty).
  void QueueMessageAnswer(int result);
  std::vector<MessageRecord> Messages();
  // Runs `action` while the next message box is open (as the person could act meanwhile).
  void WhileNextMessageOpen(std::function<void()> action);
  // The next RunModal of `kind` ends as if the person cancelled it.
  void CancelNextModal(ModalKind kind);
  void QueueFileAnswer(const std::string& path);  // open, save and folder pickers
  void QueueColorAnswer(std::optional<uint32_t> colour);
  // The command the next pop-up menus choose (default 0: dismissed); menus shown so far.
  void QueueMenuAnswer(int command);
  std::vector<std::vector<MenuItem>> Menus();
  // Delivers queued posted messages (and queued notifications) to the listener; returns how
  // many.
  int PumpMessages();
  std::vector<Posted> PendingMessages();
  // Modal bookkeeping: how often each kind was begun and ended, and whether one is open.
  int ModalBegins(ModalKind kind);
  int ModalEnds(ModalKind kind);
  bool ModalOpen(ModalKind kind);
  // The screen progress dialog's last percentage and title line.
  int ModalProgress(ModalKind kind);
  std::string ModalText(ModalKind kind);
  // Answers for the next frame-delay dialogs (default: cancelled).
  void QueueDelayAnswer(std::optional<DelayChoice> answer);
  // Image editor commands so far: (control, command, value, text).
  struct EditorCommandRecord {
    int id, command, value;
    std::string text;
  };
  std::vector<EditorCommandRecord> EditorCommands();
  std::vector<std::tuple<int, std::string>> TrayIcons();
  int StartedTimerPeriod();
  bool WindowClosed();
  int RaiseCount();
  void SetTrayAvailable(bool available);
  // The wheel lines last set, nullopt before any.
  std::optional<uint32_t> WheelScrollLines();
  // Sends a notification as the window would: sets nothing itself.
  void Notify(int number, int code, int64_t value);

  // --- Toolkit ---
  void SetListener(Listener* listener) override;
  bool HasControl(int id) override;
  void SetTitle(int id, const std::string& text) override;
  std::string GetTitle(int id) override;
  void SetVisible(int id, bool visible) override;
  bool IsVisible(int id) override;
  void SetEnabled(int id, bool enabled) override;
  bool IsEnabled(int id) override;
  void SetTooltip(int id, const std::string& text) override;
  bool GetCheck(int id) override;
  void SetCheck(int id, bool checked) override;
  uint32_t GetColor(int id) override;
  void SetColor(int id, uint32_t colour) override;
  void SetImage(int id, const std::string& file) override;
  void ClearItems(int id) override;
  void AddItem(int id, const std::string& text, int64_t data) override;
  int GetItemCount(int id) override;
  std::string GetItemText(int id, int index) override;
  void SetItemText(int id, int index, const std::string& text) override;
  int64_t GetItemData(int id, int index) override;
  bool SelectData(int id, int64_t data) override;
  int GetCurSel(int id) override;
  void SetCurSel(int id, int index) override;
  int64_t GetCurData(int id) override;
  std::string GetEditText(int id) override;
  void SetEditText(int id, const std::string& text) override;
  void SetRange(int id, int minimum, int maximum) override;
  void SetPos(int id, int position) override;
  int GetPos(int id) override;
  void SetProgress(int id, int percent) override;
  void SetDPILevelCount(int id, int count) override;
  int GetDPILevelCount(int id) override;
  int GetDPIValue(int id, int level) override;
  void SetDPIValue(int id, int level, int value) override;
  uint32_t GetDPIColorValue(int id, int level) override;
  void SetDPIColorValue(int id, int level, uint32_t colour) override;
  void SetDPISelected(int id, int level) override;
  int GetDPISelected(int id) override;
  void SetBattery(int id, int percent, bool charging) override;
  void SetDeviceItems(int id, const std::vector<DeviceListItem>& items) override;
  void SetMouseItems(int id, const std::vector<MouseItem>& items) override;
  void SetMouseSelected(int id, int key_value) override;
  void SetTabItems(int id, const std::vector<TabItem>& items) override;
  void SetTabItemVisible(int id, int item_id, bool visible) override;
  void SelectTab(int id, int position) override;
  int ShowMessage(const std::string& message, const std::string& title, int style) override;
  bool MessageBoxOpen() override;
  std::string PickOpenFile(const std::string& title, const std::string& filter) override;
  std::string PickSaveFile(const std::string& title, const std::string& suggested_name,
                           const std::string& filter) override;
  std::string PickFolder(const std::string& title) override;
  std::optional<uint32_t> PickColor(uint32_t initial) override;
  int ShowPopupMenu(const std::vector<MenuItem>& items) override;
  void BeginModal(ModalKind kind) override;
  void RunModal(ModalKind kind) override;
  void EndModal(ModalKind kind) override;
  void SetModalProgress(ModalKind kind, int percent) override;
  bool ModalCancelled(ModalKind kind) override;
  void PostMessage(int message, int64_t wparam, int64_t lparam) override;
  void SetWindowState(WindowState state) override;
  WindowState GetWindowState() override;
  void RaiseWindow() override;
  void CloseWindow() override;
  void StartTimer(int period_ms) override;
  void SetModalText(ModalKind kind, const std::string& text) override;
  std::optional<DelayChoice> AskFrameDelay(const std::string& title, int frame_delay) override;
  void ImageEditorCommand(int id, int command, int value, const std::string& text) override;
  void SetWheelScrollLines(uint32_t lines) override;
  bool TrayAvailable() override;
  bool AddTrayIcon(int id, const std::string& icon_file, const std::string& tip) override;
  void RemoveTrayIcon(int id) override;

 private:
  struct Modal {
    int begins = 0, ends = 0;
    bool open = false;
    int progress = 0;
    std::string text;
    bool cancel_next = false;
    bool cancelled = false;
  };
  Control& At(int id);  // mu_ held

  std::recursive_mutex mu_;
  Listener* listener_ = nullptr;
  std::map<int, Control> controls_;
  std::deque<int> message_answers_;
  std::vector<MessageRecord> messages_;
  std::function<void()> while_message_open_;
  int open_boxes_ = 0;
  std::deque<std::string> file_answers_;
  std::deque<std::optional<uint32_t>> colour_answers_;
  std::deque<int> menu_answers_;
  std::deque<std::optional<DelayChoice>> delay_answers_;
  std::vector<EditorCommandRecord> editor_commands_;
  std::vector<std::vector<MenuItem>> menus_;
  std::deque<Posted> posted_;
  std::map<ModalKind, Modal> modals_;
  std::map<int, std::string> tray_;
  bool tray_available_ = true;
  WindowState window_state_ = WindowState::kNormal;
  int timer_period_ = 0;
  bool closed_ = false;
  int raised_ = 0;
  std::optional<uint32_t> wheel_lines_;
};

}  // namespace ui
