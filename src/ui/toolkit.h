// The window toolkit as the program's logic sees it: controls found by number, message boxes,
// pickers, modal dialogs, posted messages, the tray icon and the window itself.
// Two implementations: ui::QtToolkit (src/ui/qt/) and ui::HeadlessToolkit (src/ui/headless/).
// Every operation may be called from the window thread or the worker; the Qt side marshals
// worker calls to the window thread in order (getters block until answered).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// Notification codes carried by OnControlNotify.
enum NotifyCode {
  kNotifyChanged = 1,   // value edited / dragged (edits, sliders, live pickers)
  kNotifyClicked = 2,   // clicked, or a selection was made
  kNotifyFocusIn = 3,   // a key field got focus
  kNotifyFocusOut = 4,  // a key field lost focus
  kNotifyKey = 5,       // a key field captured a key; value = virtual-key code
};

// Message box styles and results.
enum MessageStyle { kStyleOk = 0, kStyleOkCancel = 4 };
enum MessageResult { kResultOk = 1, kResultCancel = 2 };

enum class WindowState { kNormal, kMinimized, kMaximized, kHidden };

// Modal dialogs a task keeps open while it runs; the worker ends them with EndModal (DoOK).
enum class ModalKind { kWait, kScreenWait, kScreenProgress, kDownload };

// What the frame-delay dialog (LCDDelayEditDlg) answered.
struct DelayChoice {
  bool all_frames = false;  // false: the selected frame only
  std::string text;         // the chosen field's text
};

// Receives what the person does. Called on the window thread only.
class Listener {
 public:
  virtual ~Listener() = default;
  virtual void OnControlNotify(int number, int code, int64_t value) = 0;
  virtual void OnMessage(int message, int64_t wparam, int64_t lparam) = 0;
  virtual void OnTimer() {}
};

// One entry of the device list (control 62).
struct DeviceListItem {
  std::string name;
  int64_t data = 0;           // the model's device_type
  std::string image;          // model picture, relative to the skin folder
  int mode = -1;              // -1 not connected, 0 cable, 1 receiver
  std::string version;        // already formatted
  std::string version_label;  // what the version is of ("Mouse firmware", "Receiver firmware")
  int battery = -1;           // percent, -1 unknown
  bool charging = false;
};

// One hot-spot of the button picture (control 92).
struct MouseItem {
  int x = 0, y = 0;              // hot-spot on the picture
  int label_x = 0, label_y = 0;  // where the description sits
  int line_x = 0, line_y = 0;    // corner of the leader line
  int key_value = 0;             // the button's index
  int direction = 0;             // the catalogue's "direction", for the picture to interpret
  std::string description;       // what the button does now
  std::string name;              // the button's name
};

// One tab of the tab row (control 48).
struct TabItem {
  std::string image;
  int id = 0;
  std::string title;
  bool visible = true;
};

// One entry of a pop-up menu.
struct MenuItem {
  int command = 0;
  std::string text;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  virtual void SetListener(Listener* listener) = 0;

  // --- every control ---
  virtual bool HasControl(int id) = 0;
  virtual void SetTitle(int id, const std::string& text) = 0;
  virtual std::string GetTitle(int id) = 0;
  virtual void SetVisible(int id, bool visible) = 0;
  virtual bool IsVisible(int id) = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void SetTooltip(int id, const std::string& text) = 0;
  // Sets again, from the current language file, the texts of the window that have no control
  // number (headings, captions, placeholders); the numbered ones are set by their owners.
  virtual void ReapplyFixedTexts() {}
  virtual bool GetCheck(int id) = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  // Colours are packed red + 256 * green + 65536 * blue.
  virtual uint32_t GetColor(int id) = 0;
  virtual void SetColor(int id, uint32_t colour) = 0;
  // A picture from the skin folder (relative path) or an absolute file.
  virtual void SetImage(int id, const std::string& file) = 0;

  // --- drop-down lists, report-rate control, macro list ---
  virtual void ClearItems(int id) = 0;
  virtual void AddItem(int id, const std::string& text, int64_t data) = 0;
  virtual int GetItemCount(int id) = 0;
  virtual std::string GetItemText(int id, int index) = 0;
  virtual void SetItemText(int id, int index, const std::string& text) = 0;
  virtual int64_t GetItemData(int id, int index) = 0;
  // Selects the first entry with this data; false (selection unchanged) when none has it.
  virtual bool SelectData(int id, int64_t data) = 0;
  virtual int GetCurSel(int id) = 0;  // -1 when nothing is selected
  virtual void SetCurSel(int id, int index) = 0;
  // Data of the selected entry, -1 when nothing is selected.
  virtual int64_t GetCurData(int id) = 0;

  // --- edits ---
  virtual std::string GetEditText(int id) = 0;
  virtual void SetEditText(int id, const std::string& text) = 0;

  // --- sliders and progress ---
  virtual void SetRange(int id, int minimum, int maximum) = 0;
  virtual void SetPos(int id, int position) = 0;
  virtual int GetPos(int id) = 0;
  virtual void SetProgress(int id, int percent) = 0;

  // --- DPIControl ---
  virtual void SetDPILevelCount(int id, int count) = 0;
  virtual int GetDPILevelCount(int id) = 0;
  virtual int GetDPIValue(int id, int level) = 0;
  virtual void SetDPIValue(int id, int level, int value) = 0;
  virtual uint32_t GetDPIColorValue(int id, int level) = 0;
  virtual void SetDPIColorValue(int id, int level, uint32_t colour) = 0;
  virtual void SetDPISelected(int id, int level) = 0;
  virtual int GetDPISelected(int id) = 0;

  // --- special displays ---
  virtual void SetBattery(int id, int percent, bool charging) = 0;
  virtual void SetDeviceItems(int id, const std::vector<DeviceListItem>& items) = 0;
  virtual void SetMouseItems(int id, const std::vector<MouseItem>& items) = 0;
  virtual void SetMouseSelected(int id, int key_value) = 0;
  virtual void SetTabItems(int id, const std::vector<TabItem>& items) = 0;
  virtual void SetTabItemVisible(int id, int item_id, bool visible) = 0;
  // Selects the tab at `position` (counted from 0) as a click would: the listener then gets
  // (id, 2, position) through the window thread's queue, after what is already queued.
  virtual void SelectTab(int id, int position) = 0;

  // --- dialogs, all modal over the main window ---
  // CUIMessageBox: styles 0 and 4; returns 1 or 2.
  virtual int ShowMessage(const std::string& message, const std::string& title, int style) = 0;
  // True while a message box (of any caller) is open.
  virtual bool MessageBoxOpen() = 0;
  // Empty result when the person cancels. filter is like "XML files (*.xml)".
  virtual std::string PickOpenFile(const std::string& title, const std::string& filter) = 0;
  virtual std::string PickSaveFile(const std::string& title, const std::string& suggested_name,
                                   const std::string& filter) = 0;
  virtual std::string PickFolder(const std::string& title) = 0;
  // MousePaletteDlg: nullopt when cancelled.
  virtual std::optional<uint32_t> PickColor(uint32_t initial) = 0;
  // A pop-up menu at the cursor; the chosen entry's command, 0 when dismissed.
  virtual int ShowPopupMenu(const std::vector<MenuItem>& items) = 0;

  // A task's modal dialog. BeginModal destroys any still registered dialog of that kind and
  // registers a new one; RunModal runs it until EndModal (returns at once if EndModal came
  // first); EndModal ends the registered dialog's run, if any.
  virtual void BeginModal(ModalKind kind) = 0;
  virtual void RunModal(ModalKind kind) = 0;
  virtual void EndModal(ModalKind kind) = 0;
  virtual void SetModalProgress(ModalKind kind, int percent) = 0;
  // The registered dialog's title line (the screen progress dialog's "Loading: n%").
  virtual void SetModalText(ModalKind /*kind*/, const std::string& /*text*/) {}
  // LCDDelayEditDlg: the selected frame's field preset to `frame_delay`, the all-frames
  // field to "50"; texts from section "KB.DIALOG". nullopt when cancelled.
  virtual std::optional<DelayChoice> AskFrameDelay(const std::string& /*title*/,
                                                   int /*frame_delay*/) {
    return std::nullopt;
  }

  // --- the screen page's image editor (ImageView) ---
  // One editor command or setting (the command numbers are the screen page's).
  virtual void ImageEditorCommand(int /*id*/, int /*command*/, int /*value*/,
                                  const std::string& /*text*/) {}

  // True when the last run of that kind was ended by the person (cancel), not by EndModal.
  virtual bool ModalCancelled(ModalKind kind) = 0;

  // --- the main window ---
  // Queued for the window thread's Listener::OnMessage; safe from any thread.
  virtual void PostMessage(int message, int64_t wparam, int64_t lparam) = 0;
  // Window thread only: carries out at once the calls other threads queued for the window
  // thread, so a worker waiting for an answer is not stuck while the window thread itself
  // waits for that worker (the close routine). Nothing to do where calls are not queued.
  virtual void RunQueuedCalls() {}
  virtual void SetWindowState(WindowState state) = 0;
  virtual WindowState GetWindowState() = 0;
  virtual void RaiseWindow() = 0;
  virtual void CloseWindow() = 0;  // ends the modal run of the main window
  virtual void StartTimer(int period_ms) = 0;
  // The program's own wheel scrolling: lines per notch, or all bits set for a page per notch
  // (no desktop setting holds these; the toolkit scrolls its views by them).
  virtual void SetWheelScrollLines(uint32_t lines) { (void)lines; }

  // --- tray icon ---
  virtual bool TrayAvailable() = 0;
  virtual bool AddTrayIcon(int id, const std::string& icon_file, const std::string& tip) = 0;
  virtual void RemoveTrayIcon(int id) = 0;
};

// The wait dialog of `kind` around a task the worker ends (a routine registered with
// closes_wait, or one that ends the screen dialog itself). The
// dialog is registered before `append` queues the task, so a task that ends quickly still
// finds it; when `append` returns false (nothing queued) the dialog is ended at once rather
// than left waiting for an end that never comes.
template <class Append>
void RunWithWaitDialog(Toolkit& toolkit, Append&& append, ModalKind kind = ModalKind::kWait) {
  toolkit.BeginModal(kind);
  if (!append()) toolkit.EndModal(kind);
  toolkit.RunModal(kind);
}

}  // namespace ui
