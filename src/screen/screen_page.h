// The screen page: the per-profile library of screen items (a layer row, its frame rows and
// a folder "tft/<model>/<local time with ms>/" of numbered PNG frames under the user data
// folder), the frame editor's page logic, GIF import and export, and the upload to the
// receiver's screen with its clock and mode commands.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/language.h"
#include "ui/control_dispatch.h"
#include "ui/control_texts.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

class DriverComm;
class ProfileStore;

namespace screen {

// Controls of the screen page.
inline constexpr int kItemList = 275;  // LCDViewList: text = first frame file, data = led_id
inline constexpr int kNewItemButton = 276;
inline constexpr int kDeleteItemButton = 277;
inline constexpr int kImportItemButton = 278;
inline constexpr int kGridCheck = 283;
inline constexpr int kEditor = 284;  // ImageView
inline constexpr int kEditModeButton = 285;
inline constexpr int kPreviewModeButton = 287;
inline constexpr int kPreviewPlayButton = 288;
inline constexpr int kFrameStrip = 289;  // ImageViewList: text = frame file, data = delay ms
inline constexpr int kTextField = 292;
inline constexpr int kTextSizeField = 295;
inline constexpr int kAddTextButton = 296;
inline constexpr int kAddPicturesButton = 297;
inline constexpr int kCopyFrameButton = 298;
inline constexpr int kPenButton = 299;
inline constexpr int kEraseButton = 300;
inline constexpr int kDeleteFrameButton = 301;
inline constexpr int kUndoButton = 302;
inline constexpr int kColourWheel = 304;
inline constexpr int kRedField = 308;
inline constexpr int kGreenField = 309;
inline constexpr int kBlueField = 310;
inline constexpr int kPresetColour1 = 311;  // ... 316
inline constexpr int kPresetColourCount = 6;
inline constexpr int kDelayField = 318;
inline constexpr int kUploadButton = 319;
inline constexpr int kClockButton = 320;
inline constexpr int kSaveItemButton = 321;
inline constexpr int kModeButton = 322;  // LCDModeButton
inline constexpr int kExportGifButton = 323;
// Every control of the page, for the window's control registry.
inline constexpr std::array kPageControls{
    kItemList,          kNewItemButton,     kDeleteItemButton,
    kImportItemButton,  kGridCheck,         kEditor,
    kEditModeButton,    kPreviewModeButton, kPreviewPlayButton,
    kFrameStrip,        kTextField,         kTextSizeField,
    kAddTextButton,     kAddPicturesButton, kCopyFrameButton,
    kPenButton,         kEraseButton,       kDeleteFrameButton,
    kUndoButton,        kColourWheel,       kRedField,
    kGreenField,        kBlueField,         kPresetColour1,
    kPresetColour1 + 1, kPresetColour1 + 2, kPresetColour1 + 3,
    kPresetColour1 + 4, kPresetColour1 + 5, kDelayField,
    kUploadButton,      kClockButton,       kSaveItemButton,
    kModeButton,        kExportGifButton};

// Texts of the page: headings and captions, then the titles of its controls (the screen-mode
// button's included).
inline constexpr platform::TextId kTextItemsHeading{2202};
inline constexpr platform::TextId kTextDelayCaption{2204};
inline constexpr platform::TextId kTextTextCaption{2212};
inline constexpr platform::TextId kTextSizeCaption{2213};
inline constexpr platform::TextId kTextColourHeading{2225};
inline constexpr ui::ControlText kPageTexts[] = {
    {kEditModeButton, platform::TextId{2222}},    {kPreviewModeButton, platform::TextId{2223}},
    {kGridCheck, platform::TextId{2221}},         {kPenButton, platform::TextId{2217}},
    {kEraseButton, platform::TextId{2218}},       {kUndoButton, platform::TextId{2220}},
    {kAddPicturesButton, platform::TextId{2215}}, {kCopyFrameButton, platform::TextId{2216}},
    {kDeleteFrameButton, platform::TextId{2219}}, {kAddTextButton, platform::TextId{2214}},
    {kNewItemButton, platform::TextId{2209}},     {kImportItemButton, platform::TextId{2211}},
    {kDeleteItemButton, platform::TextId{2210}},  {kSaveItemButton, platform::TextId{2207}},
    {kExportGifButton, platform::TextId{2208}},   {kModeButton, platform::TextId{2224}},
    {kClockButton, platform::TextId{2206}},       {kUploadButton, platform::TextId{2205}},
};

// Window messages of the page.
inline constexpr int kMsgEditorCommand = 1830;  // wparam: the editor menu's command
inline constexpr int kMsgCancelUpload = 1831;   // the progress dialog's close button
// Posted by the import task when it is done: wparam = the new item's frame count, -1 when
// the file was refused.
inline constexpr int kMsgImportDone = 1832;

// Notification codes of the editor and the frame strip.
inline constexpr int kNotifyEditorMenu = 5;     // right click on the editor
inline constexpr int kNotifyEditDelays = 9;     // the strip's selected frame: edit its delay
inline constexpr int kNotifyEditFinished = 33;  // the editor wrote its picture (see below)

// Editor commands (ui::Toolkit::ImageEditorCommand on kEditor, and message 1830).
inline constexpr int kEditorText = 100;       // text: the words to place
inline constexpr int kEditorPen = 102;        // drawing mode: pen
inline constexpr int kEditorPenSmall = 105;   // pen 2, text 16
inline constexpr int kEditorPenMedium = 106;  // pen 5, text 30
inline constexpr int kEditorPenLarge = 107;   // pen 8, text 50
inline constexpr int kEditorZoom100 = 108;
inline constexpr int kEditorClear = 110;
inline constexpr int kEditorErase = 111;  // drawing mode: eraser
inline constexpr int kEditorUndo = 112;
inline constexpr int kEditorDiscard = 113;
inline constexpr int kEditorSave = 114;
// Not menu entries: page settings handed to the editor.
inline constexpr int kEditorShowFile = 200;     // text: picture file to edit
inline constexpr int kEditorScratchFile = 201;  // text: where the next finished edit is written
inline constexpr int kEditorGrid = 202;         // value: 1 shows the grid lines
inline constexpr int kEditorColour = 203;       // value: packed colour
inline constexpr int kEditorTextSize = 204;     // value: text size
inline constexpr int kEditorPenSize = 205;      // value: pen size
inline constexpr int kEditorPreview = 206;  // text: "<delay ms>\t<file>\n" per frame; empty stops

// The screen's limits on a delay edited by hand (ms).
inline constexpr int kMinFrameDelay = 30;
inline constexpr int kMaxFrameDelay = 500;

// What the page works with; filled once by the main window.
struct ScreenContext {
  ScreenContext(DriverComm& comm_in, ProfileStore& store_in, ui::Toolkit& toolkit_in,
                platform::Clock& clock_in)
      : comm(comm_in), store(store_in), toolkit(toolkit_in), clock(clock_in) {}
  DriverComm& comm;
  ProfileStore& store;
  ui::Toolkit& toolkit;
  platform::Clock& clock;
  std::string user_data_dir;                // ends in '/'
  std::string program_dir;                  // ends in '/'; empty: platform::ProgramDir()
  std::function<std::string()> model_name;  // the selected model's catalogue name
  std::function<bool()> has_screen;         // the model has the screen page
  std::function<int()> current_profile;
  std::function<void(int)> append_task;
  std::function<bool()> tasks_waiting;  // a task code is still in the list
};

// One frame of the editor's strip.
struct StripFrame {
  std::string file;
  int delay = 100;
};

// A folder name made from a local time: "%04d%02d%02d%02d%02d%02d%03d".
std::string TimeFolderName(const platform::LocalTime& t);
// `t` moved on by one millisecond (calendar carries included).
platform::LocalTime NextMillisecond(const platform::LocalTime& t);
// True for a name that stays one folder below its parent: not empty, no '/', '\\' or NUL,
// not "." or "..".
bool IsSafeFolderName(const std::string& name);

class ScreenPage {
 public:
  explicit ScreenPage(ScreenContext context);

  void RegisterControls(ui::ControlDispatch& dispatch);
  void RegisterTasks(ui::TaskTable& tasks);
  // Messages 1830 and 1831.
  void OnMessage(int message, int64_t wparam);

  // --- the library ---
  // Rebuilds the item list for the active profile (creating the default item when it has
  // none) and sets the preset colours.
  void LoadScreenPage();
  void ImportItem();  // window thread: picks the file, runs task 25 with LEDWaitDlg
  // Task 25: the new item's frame count; 0 when no row could be made, -1 when the file
  // gave no picture (the item is not kept).
  int RunImportTask();
  // Window side after the import: the 150-frame warning, or the refusal; selects the new item.
  void ImportDone(int frames);
  int NewItem();               // led_id, 0 on failure
  void DeleteItem();           // with confirmation
  void SaveItem();             // the strip into the current item's folder and rows
  void SelectItem(int index);  // index in the item list
  void ExportGif();            // window thread: picks the file, runs task 23
  void RunExportTask();        // task 23
  void EditDelays();           // LCDDelayEditDlg for the selected frame (or all)

  // --- the upload ---
  void Upload();         // window thread
  void RunUploadTask();  // task 24
  void RunClockTask();   // task 27
  void ModeClicked();    // remembers the mode and appends task 28
  void RunModeTask();    // task 28

  // --- the editor ---
  void AddPictures();
  void CopyFrame();
  void DeleteFrame();
  void AddText();
  void SelectFrame(int index);
  void EditFinished();
  void EditorMenu();
  void EditorCommand(int command);
  void SetDrawingColour(uint32_t colour, bool update_wheel, bool update_fields);
  void PresetChosen(int button);
  void ColourFieldChanged(int field);
  void TextSizeChanged();
  void Preview(bool on);

  // --- state, for the window and the tests ---
  int CurrentItem() const;
  std::vector<StripFrame> Strip() const;
  int SelectedFrame() const;
  bool Changed() const;
  // The item's folder, ending in '/'; empty when the model or folder name is unsafe.
  std::string ItemFolder(const std::string& file_dir) const;
  // The delay the dialog's choices give: `value` limited to 30..500.
  static int LimitDelay(int value);

 private:
  std::string ProgramDir() const;
  // A time name later than every one made before and free as `folder` + name + `suffix`.
  std::string FreshTimeName(const std::string& folder, const std::string& suffix);
  // A fresh item folder name (the folder itself is created by the caller).
  std::string MakeItemFolder();
  // Fills the strip from the item's rows and shows its first frame.
  void LoadItemFrames(int led_id);
  void ShowStrip();
  void ShowFrameInEditor();
  std::string NewScratchFile();
  void MarkChanged();
  // Whether a frame of the strip is selected.
  bool FrameSelected() const;
  // True when there is a selected frame to act on; otherwise shows `no_frame_text` (empty
  // strip) or `no_selection_text` and returns false.
  bool FrameToActOn(platform::TextId no_frame_text, platform::TextId no_selection_text);
  void AddListEntry(int led_id, const std::string& first_file);
  std::vector<ui::MenuItem> EditorMenuItems() const;
  int Profile() const;

  ScreenContext ctx_;
  mutable std::recursive_mutex mu_;
  int current_led_id_ = 0;
  std::vector<int> item_ids_;  // led_id per list entry
  std::vector<StripFrame> strip_;
  int selected_frame_ = -1;
  bool changed_ = false;
  int preset_ = kPresetColour1;
  uint32_t colour_ = 0xFFFFFF;
  std::string last_time_name_;
  int scratch_counter_ = 0;
  std::string scratch_file_;
  std::string import_file_;
  std::string export_file_;
  std::atomic<bool> cancel_{false};
  std::atomic<int> mode_{0};
  std::atomic<int> progress_{0};
};

}  // namespace screen
