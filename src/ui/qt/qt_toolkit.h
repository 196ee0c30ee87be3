// ui::Toolkit on Qt 6 Widgets. Controls are widgets registered under their numbers; what the
// person does with them reaches the listener as (number, code, value). Calls from a thread
// other than the window thread are queued to it in order; getters block until answered.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "ui/qt/custom_control.h"
#include "ui/toolkit.h"

class QWidget;
class QDialog;
class QEventLoop;
class QSystemTrayIcon;
class QTimer;

namespace ui::qt {

class MainWindow;

// A line edit's property holding the text last set by the program (SetEditText) or last
// committed by its page, so a commit on leaving the field can tell whether anything changed.
inline constexpr char kCommittedTextProperty[] = "committedText";

class QtToolkit : public QObject, public ui::Toolkit {
  Q_OBJECT

 public:
  // Made on the window thread, after the QApplication.
  QtToolkit();
  ~QtToolkit() override;

  // Builds the main window with its frame and the page builders' controls (window thread,
  // once). The window is not shown yet.
  MainWindow* BuildMainWindow(const std::string& title);
  MainWindow* Window() const { return window_; }
  // Shows the main window centred and runs it until CloseWindow; `on_shown` runs first
  // (window thread).
  void RunMainWindow(const std::function<void()>& on_shown);

  // Puts `widget` under control number `id` (window thread). Standard widgets (buttons,
  // labels, combo boxes, line edits, sliders, spin boxes, progress bars) are driven
  // directly; a CustomControl draws from its State(). Returns the widget.
  template <class W>
  W* Register(int id, W* widget) {
    RegisterWidget(id, widget);
    return widget;
  }
  void RegisterWidget(int id, QWidget* widget);
  QWidget* Control(int id) const;
  // A skin file: absolute paths as given; others (with '/' or '\') under
  // "<ProgramDir>skins/<theme>/".
  static QString SkinPath(const std::string& file);
  // Sends a notification to the listener (window thread).
  void Emit(int id, int code, int64_t value);
  bool OnWindowThread() const;
  // How long sliders wait after the last wheel, key or page step before they commit the
  // value (code 2).
  void SetSliderSettleDelay(int ms) { slider_settle_ms_ = ms; }

  // --- ui::Toolkit ---
  void RunQueuedCalls() override;
  void SetListener(Listener* listener) override;
  bool HasControl(int id) override;
  void SetTitle(int id, const std::string& text) override;
  std::string GetTitle(int id) override;
  void SetVisible(int id, bool visible) override;
  bool IsVisible(int id) override;
  void SetEnabled(int id, bool enabled) override;
  bool IsEnabled(int id) override;
  void SetTooltip(int id, const std::string& text) override;
  void ReapplyFixedTexts() override;
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
  void SetModalText(ModalKind kind, const std::string& text) override;
  std::optional<DelayChoice> AskFrameDelay(const std::string& title, int frame_delay) override;
  void ImageEditorCommand(int id, int command, int value, const std::string& text) override;
  bool ModalCancelled(ModalKind kind) override;
  void PostMessage(int message, int64_t wparam, int64_t lparam) override;
  void SetWindowState(WindowState state) override;
  WindowState GetWindowState() override;
  void RaiseWindow() override;
  void CloseWindow() override;
  void StartTimer(int period_ms) override;
  void SetWheelScrollLines(uint32_t lines) override;
  bool TrayAvailable() override;
  bool AddTrayIcon(int id, const std::string& icon_file, const std::string& tip) override;
  void RemoveTrayIcon(int id) override;

 private:
  struct Entry {
    QPointer<QWidget> widget;
    CustomControl* custom = nullptr;
    std::unique_ptr<ControlState> state;
  };
  struct Modal {
    QPointer<QDialog> dialog;
    uint64_t generation = 0;        // counts BeginModal
    uint64_t ended_generation = 0;  // the registration EndModal last ended
    bool running = false;
    bool cancelled = false;  // the last run ended by the person
  };

  // Runs f on the window thread: at once when already there, otherwise queued in order.
  template <class F>
  void Post(F&& f);
  // Runs f on the window thread and returns its result; a caller on another thread waits.
  template <class F>
  auto Call(F&& f) -> decltype(f());

  Entry* Find(int id);  // window thread
  void Changed(Entry& e);
  void ConnectSignals(int id, QWidget* widget);
  QDialog* MakeModal(ModalKind kind);

  std::atomic<Listener*> listener_{nullptr};
  int slider_settle_ms_ = 300;
  std::map<int, Entry> controls_;
  MainWindow* window_ = nullptr;
  QEventLoop* main_loop_ = nullptr;
  std::atomic<bool> closing_{false};
  std::atomic<int> open_boxes_{0};  // message boxes running (window thread)
  QTimer* timer_ = nullptr;
  std::map<int, QSystemTrayIcon*> tray_;
  std::mutex modal_mu_;
  std::map<ModalKind, Modal> modals_;
};

}  // namespace ui::qt
