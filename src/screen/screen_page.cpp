#include "screen/screen_page.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "screen/screen_image.h"
#include "screen/screen_upload.h"
#include "store/profile_store.h"

namespace screen {
namespace {

namespace fs = std::filesystem;

// Language texts (section "LAN").
constexpr platform::TextId kTextTooManyFrames1{832};
constexpr platform::TextId kTextTooManyFrames2{833};
constexpr platform::TextId kTextTooManyFramesTitle{834};
constexpr platform::TextId kTextDeleteItem{835};
constexpr platform::TextId kTextDeleteItemTitle{836};
constexpr platform::TextId kTextDelayTitle{837};
constexpr platform::TextId kTextNoText{838};
constexpr platform::TextId kTextNoTextTitle{839};
constexpr platform::TextId kTextCopyNoFrame{840};
constexpr platform::TextId kTextCopyNoSelection{841};
constexpr platform::TextId kTextDeleteNoFrame{843};
constexpr platform::TextId kTextDeleteNoSelection{845};
constexpr platform::TextId kTextDeleteFrame{846};
constexpr platform::TextId kTextNoFrames{847};
constexpr platform::TextId kTextUploadTitle{848};
// A file that gives no picture at all.
constexpr platform::TextId kTextNotAPicture{2201};

constexpr int kDefaultImportDelay = 10;  // a still picture imported
constexpr int kDefaultItemDelay = 100;   // the default item of one frame
constexpr int kMissingDelay = 100;       // a frame of an animation without its own delay

std::string FramesWarning(int count) {
  char middle[16];
  std::snprintf(middle, sizeof middle, "%d", count);
  return LanguageText(kTextTooManyFrames1) + middle + LanguageText(kTextTooManyFrames2);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Number of the text, 0 when it is none.
int ParseInt(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin) return 0;
  return static_cast<int>(std::clamp<long>(value, -1000000, 1000000));
}

}  // namespace

std::string TimeFolderName(const platform::LocalTime& t) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d%03d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond);
  return name;
}

platform::LocalTime NextMillisecond(const platform::LocalTime& t) {
  using namespace std::chrono;
  const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)},
                            day{static_cast<unsigned>(t.day)}};
  auto point = sys_days{date} + hours{t.hour} + minutes{t.minute} + seconds{t.second} +
               milliseconds{t.millisecond} + milliseconds{1};
  const sys_days d = floor<days>(point);
  const year_month_day next{d};
  const hh_mm_ss<milliseconds> time{floor<milliseconds>(point - d)};
  platform::LocalTime out;
  out.year = static_cast<int>(next.year());
  out.month = static_cast<int>(static_cast<unsigned>(next.month()));
  out.day = static_cast<int>(static_cast<unsigned>(next.day()));
  out.hour = static_cast<int>(time.hours().count());
  out.minute = static_cast<int>(time.minutes().count());
  out.second = static_cast<int>(time.seconds().count());
  out.millisecond = static_cast<int>(time.subseconds().count());
  out.day_of_week = static_cast<int>(weekday{d}.c_encoding());
  return out;
}

bool IsSafeFolderName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

int ScreenPage::LimitDelay(int value) { return std::clamp(value, kMinFrameDelay, kMaxFrameDelay); }

ScreenPage::ScreenPage(ScreenContext context) : ctx_(std::move(context)) {}

int ScreenPage::Profile() const { return ctx_.current_profile ? ctx_.current_profile() : 0; }

std::string ScreenPage::ProgramDir() const {
  return ctx_.program_dir.empty() ? platform::ProgramDir() : ctx_.program_dir;
}

std::string ScreenPage::ItemFolder(const std::string& file_dir) const {
  const std::string model = ctx_.model_name ? ctx_.model_name() : std::string();
  if (!IsSafeFolderName(model) || !IsSafeFolderName(file_dir)) return {};
  return ctx_.user_data_dir + "tft/" + model + "/" + file_dir + "/";
}

std::string ScreenPage::FreshTimeName(const std::string& folder, const std::string& suffix) {
  std::lock_guard lock(mu_);
  // Millisecond names collide when names are made faster than the clock moves: take the
  // next millisecond until the name is later than the last one and free in `folder`.
  platform::LocalTime t = ctx_.clock.Now();
  for (int attempt = 0; attempt < 100000; ++attempt, t = NextMillisecond(t)) {
    const std::string name = TimeFolderName(t);
    if (!last_time_name_.empty() && name <= last_time_name_) continue;
    std::error_code ec;
    if (fs::exists(folder + name + suffix, ec)) continue;
    last_time_name_ = name;
    return name;
  }
  return {};
}

std::string ScreenPage::MakeItemFolder() {
  const std::string probe = ItemFolder("0");
  if (probe.empty()) return {};
  const std::string parent = probe.substr(0, probe.size() - 2);  // "…/tft/<model>/"
  return FreshTimeName(parent, "");
}

// ---------------------------------------------------------------- registration

void ScreenPage::RegisterControls(ui::ControlDispatch& d) {
  d.OnClick(kImportItemButton, [this](int, int64_t) { ImportItem(); });
  d.OnClick(kNewItemButton, [this](int, int64_t) {
    if (NewItem() > 0) SelectItem(static_cast<int>(item_ids_.size()) - 1);
  });
  d.OnClick(kDeleteItemButton, [this](int, int64_t) { DeleteItem(); });
  d.OnClick(kSaveItemButton, [this](int, int64_t) { SaveItem(); });
  d.OnClick(kExportGifButton, [this](int, int64_t) { ExportGif(); });
  d.OnClick(kUploadButton, [this](int, int64_t) { Upload(); });
  d.OnClick(kClockButton, [this](int, int64_t) {
    if (ctx_.append_task) ctx_.append_task(ui::kTaskScreenClock);
  });
  d.OnClick(kModeButton, [this](int, int64_t) { ModeClicked(); });
  d.OnAny(kItemList, [this](int code, int64_t) {
    if (code == ui::kNotifyClicked) SelectItem(ctx_.toolkit.GetCurSel(kItemList));
  });
  d.OnAny(kFrameStrip, [this](int code, int64_t) {
    if (code == ui::kNotifyClicked) SelectFrame(ctx_.toolkit.GetCurSel(kFrameStrip));
    if (code == kNotifyEditDelays) EditDelays();
  });
  d.OnAny(kEditor, [this](int code, int64_t) {
    if (code == kNotifyEditorMenu) EditorMenu();
    if (code == kNotifyEditFinished) EditFinished();
  });
  d.OnAny(kTextSizeField, [this](int code, int64_t) {
    if (code == ui::kNotifyChanged) TextSizeChanged();
  });
  d.OnAny(kColourWheel, [this](int, int64_t) {
    SetDrawingColour(ctx_.toolkit.GetColor(kColourWheel), false, true);
  });
  for (int field : {kRedField, kGreenField, kBlueField}) {
    d.OnAny(field, [this, field](int code, int64_t) {
      if (code == ui::kNotifyChanged) ColourFieldChanged(field);
    });
  }
  for (int i = 0; i < kPresetColourCount; ++i) {
    const int button = kPresetColour1 + i;
    d.OnClick(button, [this, button](int, int64_t) { PresetChosen(button); });
  }
  d.OnClick(kAddTextButton, [this](int, int64_t) { AddText(); });
  d.OnClick(kAddPicturesButton, [this](int, int64_t) { AddPictures(); });
  d.OnClick(kCopyFrameButton, [this](int, int64_t) { CopyFrame(); });
  d.OnClick(kDeleteFrameButton, [this](int, int64_t) { DeleteFrame(); });
  d.OnClick(kPenButton, [this](int, int64_t) { EditorCommand(kEditorPen); });
  d.OnClick(kEraseButton, [this](int, int64_t) { EditorCommand(kEditorErase); });
  d.OnClick(kUndoButton, [this](int, int64_t) { EditorCommand(kEditorUndo); });
  d.OnClick(kGridCheck, [this](int, int64_t) {
    ctx_.toolkit.ImageEditorCommand(kEditor, kEditorGrid, ctx_.toolkit.GetCheck(kGridCheck), "");
  });
  d.OnClick(kPreviewModeButton, [this](int, int64_t) { Preview(true); });
  d.OnClick(kPreviewPlayButton,
            [this](int, int64_t) { Preview(ctx_.toolkit.GetCheck(kPreviewPlayButton)); });
  d.OnClick(kEditModeButton, [this](int, int64_t) { Preview(false); });
}

void ScreenPage::RegisterTasks(ui::TaskTable& tasks) {
  tasks.Add(ui::kTaskScreenExport, {[this] {
              RunExportTask();
              ctx_.toolkit.EndModal(ui::ModalKind::kScreenWait);
            }});
  tasks.Add(ui::kTaskScreenUpload, {[this] {
              RunUploadTask();
              ctx_.toolkit.SetEnabled(kUploadButton, true);
              ctx_.toolkit.EndModal(ui::ModalKind::kScreenProgress);
            }});
  tasks.Add(ui::kTaskScreenImport, {[this] {
              const int frames = RunImportTask();
              ctx_.toolkit.EndModal(ui::ModalKind::kScreenWait);
              // The window side tells the person and selects the new item.
              if (frames != 0) ctx_.toolkit.PostMessage(kMsgImportDone, frames, 0);
            }});
  tasks.Add(ui::kTaskScreenClock, {[this] { RunClockTask(); }});
  tasks.Add(ui::kTaskScreenMode, {[this] { RunModeTask(); }});
}

void ScreenPage::OnMessage(int message, int64_t wparam) {
  if (message == kMsgCancelUpload) cancel_.store(true);
  if (message == kMsgEditorCommand) EditorCommand(static_cast<int>(wparam));
  if (message == kMsgImportDone) ImportDone(static_cast<int>(wparam));
}

// ---------------------------------------------------------------- the library

void ScreenPage::AddListEntry(int led_id, const std::string& first_file) {
  item_ids_.push_back(led_id);
  ctx_.toolkit.AddItem(kItemList, first_file, led_id);
}

void ScreenPage::LoadScreenPage() {
  std::lock_guard lock(mu_);
  ui::Toolkit& tk = ctx_.toolkit;
  tk.ClearItems(kItemList);
  item_ids_.clear();
  strip_.clear();
  selected_frame_ = -1;
  current_led_id_ = 0;
  changed_ = false;
  const int profile = Profile();
  std::vector<ScreenLayerRecord> layers;
  ctx_.store.ListScreenLayers(profile, layers);
  if (layers.empty() && (!ctx_.has_screen || ctx_.has_screen())) {
    // The default item, from the model's animation beside the program.
    ctx_.clock.SleepMs(2);
    const std::string name = MakeItemFolder();
    const int led_id = name.empty() ? 0 : ctx_.store.AddScreenLayer(profile, name);
    if (led_id > 0) {
      const std::string folder = ItemFolder(name);
      platform::EnsureDirectory(folder);
      const std::string model = ctx_.model_name ? ctx_.model_name() : std::string();
      const SplitResult split = LoadGIFImageFile(ProgramDir() + "gif/" + model + "/0.gif", folder);
      std::vector<int> delays = split.delays;
      if (split.frames == 1 && delays.empty()) delays.push_back(kDefaultItemDelay);
      std::vector<ScreenFrameRecord> frames;
      for (int i = 0; i < split.frames; ++i) {
        const std::string file = std::to_string(i) + ".png";
        frames.push_back({0, led_id, file,
                          i < static_cast<int>(delays.size()) ? delays[i] : kMissingDelay, i,
                          file});
      }
      ctx_.store.SetLayerFirstFile(led_id, "0.png");
      ctx_.store.SetLayerFrameCount(led_id, split.frames);
      if (!frames.empty()) ctx_.store.AddScreenFrames(std::move(frames));
      ctx_.store.ListScreenLayers(profile, layers);
    }
  }
  for (const ScreenLayerRecord& layer : layers) {
    const std::string folder = ItemFolder(layer.file_dir);
    AddListEntry(layer.led_id, folder.empty() ? std::string() : folder + layer.first_file);
  }
  for (int i = 0; i < kPresetColourCount; ++i) {
    std::string value;
    ctx_.store.ReadSetting(profile, "default_color" + std::to_string(i + 1), value);
    tk.SetColor(kPresetColour1 + i,
                static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10)));
  }
  if (!item_ids_.empty()) {
    tk.SetCurSel(kItemList, 0);
    current_led_id_ = item_ids_.front();
    LoadItemFrames(current_led_id_);
  } else {
    ShowStrip();
  }
}

void ScreenPage::LoadItemFrames(int led_id) {
  strip_.clear();
  selected_frame_ = -1;
  changed_ = false;
  ScreenLayerRecord layer;
  if (led_id > 0 && ctx_.store.GetScreenLayer(led_id, layer)) {
    const std::string folder = ItemFolder(layer.file_dir);
    std::vector<ScreenFrameRecord> rows;
    ctx_.store.ListScreenFrames(led_id, rows);
    for (const ScreenFrameRecord& row : rows) {
      // A row naming a file outside the folder is not followed.
      if (folder.empty() || !IsSafeFolderName(row.file_name)) continue;
      strip_.push_back({folder + row.file_name, row.delay_time});
    }
  }
  if (!strip_.empty()) selected_frame_ = 0;
  ShowStrip();
}

void ScreenPage::ShowStrip() {
  ui::Toolkit& tk = ctx_.toolkit;
  tk.ClearItems(kFrameStrip);
  for (const StripFrame& f : strip_) tk.AddItem(kFrameStrip, f.file, f.delay);
  tk.SetCurSel(kFrameStrip, selected_frame_);
  ShowFrameInEditor();
}

std::string ScreenPage::NewScratchFile() {
  const std::string folder = ctx_.user_data_dir + "edit/";
  platform::EnsureDirectory(folder);
  return folder + TimeFolderName(ctx_.clock.Now()) + "_" + std::to_string(++scratch_counter_) +
         ".png";
}

void ScreenPage::ShowFrameInEditor() {
  ui::Toolkit& tk = ctx_.toolkit;
  const bool has = selected_frame_ >= 0 && selected_frame_ < static_cast<int>(strip_.size());
  scratch_file_ = NewScratchFile();
  tk.ImageEditorCommand(kEditor, kEditorScratchFile, 0, scratch_file_);
  tk.ImageEditorCommand(kEditor, kEditorShowFile, 0,
                        has ? strip_[static_cast<size_t>(selected_frame_)].file : std::string());
}

void ScreenPage::MarkChanged() { changed_ = true; }

void ScreenPage::ImportItem() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string file = tk.PickOpenFile("", "TFT File (*.gif;*.jpg;*.png;*.bmp)");
  if (file.empty() || !FileExists(file)) return;
  if (ctx_.tasks_waiting && ctx_.tasks_waiting()) return;
  {
    std::lock_guard lock(mu_);
    import_file_ = file;
  }
  ui::RunWithWaitDialog(
      tk,
      [this] {
        if (!ctx_.append_task) return false;
        ctx_.append_task(ui::kTaskScreenImport);
        return true;
      },
      ui::ModalKind::kScreenWait);
}

int ScreenPage::RunImportTask() {
  std::lock_guard lock(mu_);
  const std::string file = import_file_;
  const int profile = Profile();
  const std::string name = MakeItemFolder();
  const int led_id = name.empty() ? 0 : ctx_.store.AddScreenLayer(profile, name);
  if (led_id <= 0) return 0;
  const std::string folder = ItemFolder(name);
  platform::EnsureDirectory(folder);
  const SplitResult split = LoadGIFImageFile(file, folder);
  if (split.frames == 0) {
    // Nothing could be read: the file is refused and leaves no empty item behind.
    Trace(4, "Screen import %s refused: %s", file.c_str(), split.error.c_str());
    platform::DeleteTree(folder);
    ctx_.store.DeleteScreenLayer(led_id);
    return -1;
  }
  AddListEntry(led_id, folder + "0.png");
  ctx_.store.SetLayerFirstFile(led_id, "0.png");
  ctx_.store.SetLayerFrameCount(led_id, split.frames);
  std::vector<int> delays = split.delays;
  if (split.frames == 1 && delays.empty()) delays.push_back(kDefaultImportDelay);
  std::vector<ScreenFrameRecord> frames;
  for (int i = 0; i < split.frames; ++i) {
    const std::string name_i = std::to_string(i) + ".png";
    frames.push_back({0, led_id, name_i,
                      i < static_cast<int>(delays.size()) ? delays[i] : kMissingDelay, i, name_i});
  }
  ctx_.store.AddScreenFrames(std::move(frames));
  current_led_id_ = led_id;
  ctx_.toolkit.SetCurSel(kItemList, static_cast<int>(item_ids_.size()) - 1);
  LoadItemFrames(led_id);
  return split.frames;
}

void ScreenPage::ImportDone(int frames) {
  ui::Toolkit& tk = ctx_.toolkit;
  if (frames < 0) {
    tk.ShowMessage(LanguageText(kTextNotAPicture), "", ui::kStyleOk);
    return;
  }
  if (frames > kMaxUploadFrames) {
    tk.ShowMessage(FramesWarning(frames), LanguageText(kTextTooManyFramesTitle), ui::kStyleOk);
  }
  int last = 0;
  {
    std::lock_guard lock(mu_);
    last = static_cast<int>(item_ids_.size()) - 1;
  }
  SelectItem(last);
}

int ScreenPage::NewItem() {
  std::lock_guard lock(mu_);
  const std::string name = MakeItemFolder();
  const int led_id = name.empty() ? 0 : ctx_.store.AddScreenLayer(Profile(), name);
  if (led_id <= 0) return 0;
  platform::EnsureDirectory(ItemFolder(name));
  AddListEntry(led_id, "");
  return led_id;
}

void ScreenPage::DeleteItem() {
  std::lock_guard lock(mu_);
  ui::Toolkit& tk = ctx_.toolkit;
  if (current_led_id_ <= 0) return;
  if (tk.ShowMessage(LanguageText(kTextDeleteItem), LanguageText(kTextDeleteItemTitle),
                     ui::kStyleOkCancel) != ui::kResultOk) {
    return;
  }
  ScreenLayerRecord layer;
  if (!ctx_.store.GetScreenLayer(current_led_id_, layer)) return;
  const std::string folder = ItemFolder(layer.file_dir);
  // A name that would reach outside the item folders is never deleted.
  if (!folder.empty()) platform::DeleteTree(folder);
  ctx_.store.DeleteScreenLayer(current_led_id_);
  auto it = std::find(item_ids_.begin(), item_ids_.end(), current_led_id_);
  const int index = static_cast<int>(it - item_ids_.begin());
  if (it != item_ids_.end()) item_ids_.erase(it);
  // The list is rebuilt from what is left, the first entry made current.
  tk.ClearItems(kItemList);
  std::vector<int> ids;
  ids.swap(item_ids_);
  for (int id : ids) {
    ScreenLayerRecord r;
    if (!ctx_.store.GetScreenLayer(id, r)) continue;
    const std::string f = ItemFolder(r.file_dir);
    AddListEntry(id, f.empty() ? std::string() : f + r.first_file);
  }
  (void)index;
  tk.ImageEditorCommand(kEditor, kEditorPreview, 0, "");
  current_led_id_ = item_ids_.empty() ? 0 : item_ids_.front();
  tk.SetCurSel(kItemList, item_ids_.empty() ? -1 : 0);
  LoadItemFrames(current_led_id_);
}

void ScreenPage::SaveItem() {
  std::lock_guard lock(mu_);
  if (current_led_id_ <= 0) return;
  ScreenLayerRecord layer;
  if (!ctx_.store.GetScreenLayer(current_led_id_, layer)) return;
  const std::string folder = ItemFolder(layer.file_dir);
  if (folder.empty()) return;
  platform::EnsureDirectory(folder);
  ctx_.store.DeleteScreenFrames(current_led_id_);
  // Every frame is copied under a temporary name first: a strip entry may point at a file
  // another frame is about to be written to.
  std::error_code ec;
  std::vector<ScreenFrameRecord> rows;
  std::vector<StripFrame> saved;
  int n = 0;
  for (const StripFrame& f : strip_) {
    const std::string tmp = folder + std::to_string(n) + ".png.tmp";
    if (!fs::copy_file(f.file, tmp, fs::copy_options::overwrite_existing, ec)) {
      Trace(4, "Screen item: cannot copy %s", f.file.c_str());
      continue;
    }
    const std::string name = std::to_string(n) + ".png";
    rows.push_back({0, current_led_id_, name, f.delay, n, name});
    saved.push_back({folder + name, f.delay});
    ++n;
  }
  std::set<std::string> keep;
  for (int i = 0; i < n; ++i) {
    const std::string name = std::to_string(i) + ".png";
    fs::rename(folder + name + ".tmp", folder + name, ec);
    keep.insert(name);
  }
  // Frame files no row names any more (deleted or copied frames) are removed.
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file(ec) && !keep.count(name)) fs::remove(entry.path(), ec);
  }
  const int count = ctx_.store.AddScreenFrames(std::move(rows));
  ctx_.store.SetLayerFirstFile(current_led_id_, "0.png");
  ctx_.store.SetLayerFrameCount(current_led_id_, count);
  strip_ = std::move(saved);
  auto it = std::find(item_ids_.begin(), item_ids_.end(), current_led_id_);
  if (it != item_ids_.end()) {
    ctx_.toolkit.SetItemText(kItemList, static_cast<int>(it - item_ids_.begin()),
                             n > 0 ? folder + "0.png" : std::string());
  }
  changed_ = false;
  ShowStrip();
}

void ScreenPage::SelectItem(int index) {
  std::lock_guard lock(mu_);
  if (index < 0 || index >= static_cast<int>(item_ids_.size())) return;
  // Edits of the item being left are kept rather than lost.
  if (changed_) SaveItem();
  current_led_id_ = item_ids_[static_cast<size_t>(index)];
  ctx_.toolkit.SetCurSel(kItemList, index);
  LoadItemFrames(current_led_id_);
}

void ScreenPage::ExportGif() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string file = tk.PickSaveFile("", "", "LED (*.gif)");
  if (file.empty()) return;
  {
    std::lock_guard lock(mu_);
    export_file_ = file;
  }
  ui::RunWithWaitDialog(
      tk,
      [this] {
        if (!ctx_.append_task) return false;
        ctx_.append_task(ui::kTaskScreenExport);
        return true;
      },
      ui::ModalKind::kScreenWait);
}

void ScreenPage::RunExportTask() {
  std::lock_guard lock(mu_);
  std::vector<std::string> files;
  std::vector<int> delays;
  for (const StripFrame& f : strip_) {
    files.push_back(f.file);
    delays.push_back(f.delay);
  }
  if (files.empty() || export_file_.empty()) return;
  if (!SaveGIFImageFile(files, delays, export_file_, kScreenWidth, kScreenHeight)) {
    Trace(4, "Screen export to %s failed", export_file_.c_str());
  }
}

void ScreenPage::EditDelays() {
  std::lock_guard lock(mu_);
  if (!FrameSelected()) return;
  const auto answer = ctx_.toolkit.AskFrameDelay(
      LanguageText(kTextDelayTitle), strip_[static_cast<size_t>(selected_frame_)].delay);
  if (!answer) return;
  const int delay = LimitDelay(ParseInt(answer->text));
  if (answer->all_frames) {
    for (StripFrame& f : strip_) f.delay = delay;
  } else {
    strip_[static_cast<size_t>(selected_frame_)].delay = delay;
  }
  MarkChanged();
  ShowStrip();
}

// ---------------------------------------------------------------- the upload

void ScreenPage::Upload() {
  ui::Toolkit& tk = ctx_.toolkit;
  if (!ctx_.comm.HasScreenReceiver()) {
    tk.ShowMessage("请连接接收器执行写入屏幕操作.", "写入屏幕", ui::kStyleOk);
    return;
  }
  int led_id = 0;
  {
    std::lock_guard lock(mu_);
    if (changed_) SaveItem();
    led_id = current_led_id_;
  }
  if (led_id <= 0) return;
  const int count = ctx_.store.CountScreenFrames(led_id);
  if (count == 0) {
    tk.ShowMessage(LanguageText(kTextNoFrames), LanguageText(kTextUploadTitle), ui::kStyleOk);
    return;
  }
  if (count > kMaxUploadFrames) {
    tk.ShowMessage(FramesWarning(count), LanguageText(kTextUploadTitle), ui::kStyleOk);
  }
  tk.SetEnabled(kUploadButton, false);
  cancel_.store(false);
  progress_.store(0);
  // Registered before the task is queued, so a task that ends at once still finds it.
  tk.BeginModal(ui::ModalKind::kScreenProgress);
  if (ctx_.append_task) ctx_.append_task(ui::kTaskScreenUpload);
  tk.RunModal(ui::ModalKind::kScreenProgress);
}

void ScreenPage::RunUploadTask() {
  ui::Toolkit& tk = ctx_.toolkit;
  int led_id = 0;
  {
    std::lock_guard lock(mu_);
    led_id = current_led_id_;
  }
  int delay = ParseInt(tk.GetEditText(kDelayField));
  if (delay < 1) {
    delay = 100;
    tk.SetEditText(kDelayField, "100");
  }
  ctx_.store.SetLayerDelay(led_id, delay);
  UploadJob job;
  job.delay = delay & 0xFF;
  ScreenLayerRecord layer;
  if (led_id > 0 && ctx_.store.GetScreenLayer(led_id, layer)) {
    const std::string folder = ItemFolder(layer.file_dir);
    std::vector<ScreenFrameRecord> rows;
    ctx_.store.ListScreenFrames(led_id, rows);
    for (const ScreenFrameRecord& row : rows) {
      // A file outside the item's folder is sent as a black frame.
      job.frame_files.push_back(folder.empty() || !IsSafeFolderName(row.file_name)
                                    ? std::string()
                                    : folder + row.file_name);
    }
  }
  auto show = [&tk, this](int percent) {
    if (percent == progress_.exchange(percent)) return;
    char title[32];
    std::snprintf(title, sizeof title, "Loading: %d%%", percent);
    tk.SetModalText(ui::ModalKind::kScreenProgress, title);
    tk.SetModalProgress(ui::ModalKind::kScreenProgress, percent);
  };
  UploadFrames(ctx_.comm, job, cancel_, show);
}

void ScreenPage::RunClockTask() {
  ScreenFrame frame = ClockFrame(ctx_.clock.Now());
  ctx_.comm.GetFeatureTFTReport(frame);
}

void ScreenPage::ModeClicked() {
  mode_.store(ctx_.toolkit.GetCheck(kModeButton) ? 0 : 1);
  if (ctx_.append_task) ctx_.append_task(ui::kTaskScreenMode);
}

void ScreenPage::RunModeTask() {
  ScreenFrame frame = ModeFrame(mode_.load());
  ctx_.comm.GetFeatureTFTReport(frame);
}

// ---------------------------------------------------------------- the editor

void ScreenPage::AddPictures() {
  std::lock_guard lock(mu_);
  if (current_led_id_ <= 0) return;
  ScreenLayerRecord layer;
  if (!ctx_.store.GetScreenLayer(current_led_id_, layer)) return;
  const std::string folder = ItemFolder(layer.file_dir);
  if (folder.empty()) return;
  const std::string chosen = ctx_.toolkit.PickOpenFile("", "Picture （*.jpg;*.png;*.bmp,*.gif）");
  if (chosen.empty()) return;
  // Several files come back one a line.
  size_t start = 0;
  while (start <= chosen.size()) {
    size_t end = chosen.find('\n', start);
    if (end == std::string::npos) end = chosen.size();
    const std::string file = chosen.substr(start, end - start);
    start = end + 1;
    if (file.empty()) continue;
    // New frames get names no existing frame file has.
    const std::string stem =
        "add_" + TimeFolderName(ctx_.clock.Now()) + "_" + std::to_string(++scratch_counter_) + "_";
    DecodedFrames decoded = DecodeImageFile(file);
    for (size_t i = 0; i < decoded.frames.size(); ++i) {
      const std::string path = folder + stem + std::to_string(i) + ".png";
      if (!WritePng(path, decoded.frames[i])) break;
      const int delay = i < decoded.delays.size() ? decoded.delays[i] : kDefaultImportDelay;
      strip_.push_back({path, delay});
    }
  }
  if (selected_frame_ < 0 && !strip_.empty()) selected_frame_ = 0;
  MarkChanged();
  ShowStrip();
}

bool ScreenPage::FrameSelected() const {
  return selected_frame_ >= 0 && selected_frame_ < static_cast<int>(strip_.size());
}

bool ScreenPage::FrameToActOn(platform::TextId no_frame_text, platform::TextId no_selection_text) {
  if (!strip_.empty() && FrameSelected()) return true;
  const platform::TextId text = strip_.empty() ? no_frame_text : no_selection_text;
  ctx_.toolkit.ShowMessage(LanguageText(text), "", ui::kStyleOk);
  return false;
}

void ScreenPage::CopyFrame() {
  std::lock_guard lock(mu_);
  if (!FrameToActOn(kTextCopyNoFrame, kTextCopyNoSelection)) return;
  ScreenLayerRecord layer;
  std::string folder;
  if (ctx_.store.GetScreenLayer(current_led_id_, layer)) folder = ItemFolder(layer.file_dir);
  if (folder.empty()) return;
  const std::string name = FreshTimeName(folder, ".png");
  if (name.empty()) return;
  std::error_code ec;
  const std::string copy = folder + name + ".png";
  const StripFrame source = strip_[static_cast<size_t>(selected_frame_)];
  if (!fs::copy_file(source.file, copy, fs::copy_options::overwrite_existing, ec)) return;
  strip_.insert(strip_.begin() + selected_frame_ + 1, {copy, source.delay});
  ++selected_frame_;
  MarkChanged();
  ShowStrip();
}

void ScreenPage::DeleteFrame() {
  std::lock_guard lock(mu_);
  ui::Toolkit& tk = ctx_.toolkit;
  if (!FrameToActOn(kTextDeleteNoFrame, kTextDeleteNoSelection)) return;
  if (tk.ShowMessage(LanguageText(kTextDeleteFrame), "", ui::kStyleOkCancel) != ui::kResultOk) {
    return;
  }
  strip_.erase(strip_.begin() + selected_frame_);
  if (selected_frame_ >= static_cast<int>(strip_.size())) selected_frame_ = strip_.empty() ? -1 : 0;
  MarkChanged();
  ShowStrip();
}

void ScreenPage::AddText() {
  ui::Toolkit& tk = ctx_.toolkit;
  const std::string text = tk.GetEditText(kTextField);
  if (text.empty()) {
    tk.ShowMessage(LanguageText(kTextNoText), LanguageText(kTextNoTextTitle), ui::kStyleOk);
    return;
  }
  tk.ImageEditorCommand(kEditor, kEditorText, 0, text);
}

void ScreenPage::TextSizeChanged() {
  ui::Toolkit& tk = ctx_.toolkit;
  int size = ParseInt(tk.GetEditText(kTextSizeField));
  if (size < 1) {
    size = 1;
    tk.SetEditText(kTextSizeField, "1");
  }
  tk.ImageEditorCommand(kEditor, kEditorTextSize, size, "");
}

void ScreenPage::SelectFrame(int index) {
  std::lock_guard lock(mu_);
  if (index < 0 || index >= static_cast<int>(strip_.size())) return;
  selected_frame_ = index;
  ShowFrameInEditor();
}

void ScreenPage::EditFinished() {
  std::lock_guard lock(mu_);
  if (!FrameSelected()) return;
  if (!FileExists(scratch_file_)) return;
  StripFrame& frame = strip_[static_cast<size_t>(selected_frame_)];
  frame.file = scratch_file_;
  ctx_.toolkit.SetItemText(kFrameStrip, selected_frame_, frame.file);
  MarkChanged();
  // The next edit goes to a file of its own; the editor keeps showing its picture.
  scratch_file_ = NewScratchFile();
  ctx_.toolkit.ImageEditorCommand(kEditor, kEditorScratchFile, 0, scratch_file_);
}

std::vector<ui::MenuItem> ScreenPage::EditorMenuItems() const {
  static constexpr int kCommands[] = {105, 106, 107, 110, 112, 113, 114};
  static constexpr platform::TextId kTexts[] = {
      platform::TextId{880}, platform::TextId{881}, platform::TextId{882}, platform::TextId{884},
      platform::TextId{885}, platform::TextId{886}, platform::TextId{887}};
  std::vector<ui::MenuItem> items;
  for (size_t i = 0; i < std::size(kCommands); ++i) {
    items.push_back({kCommands[i], LanguageText(kTexts[i])});
  }
  return items;
}

void ScreenPage::EditorMenu() {
  const int command = ctx_.toolkit.ShowPopupMenu(EditorMenuItems());
  if (command != 0) ctx_.toolkit.PostMessage(kMsgEditorCommand, command, 0);
}

void ScreenPage::EditorCommand(int command) {
  ui::Toolkit& tk = ctx_.toolkit;
  switch (command) {
    case 0:
      return;
    case kEditorPenSmall:
    case kEditorPenMedium:
    case kEditorPenLarge: {
      static constexpr int kPen[] = {2, 5, 8}, kText[] = {16, 30, 50};
      const int i = command - kEditorPenSmall;
      tk.ImageEditorCommand(kEditor, kEditorPenSize, kPen[i], "");
      tk.ImageEditorCommand(kEditor, kEditorTextSize, kText[i], "");
      return;
    }
    case kEditorDiscard: {
      std::lock_guard lock(mu_);
      ShowFrameInEditor();
      if (selected_frame_ >= 0 && selected_frame_ < static_cast<int>(strip_.size())) {
        tk.SetItemText(kFrameStrip, selected_frame_,
                       strip_[static_cast<size_t>(selected_frame_)].file);
      }
      return;
    }
    case kEditorSave:
      SaveItem();
      return;
    case kEditorPen:
    case kEditorErase:
    case kEditorZoom100:
    case kEditorClear:
    case kEditorUndo:
      tk.ImageEditorCommand(kEditor, command, 0, "");
      return;
    default:
      return;
  }
}

void ScreenPage::SetDrawingColour(uint32_t colour, bool update_wheel, bool update_fields) {
  ui::Toolkit& tk = ctx_.toolkit;
  colour &= 0xFFFFFF;
  colour_ = colour;
  if (update_wheel) tk.SetColor(kColourWheel, colour);
  if (update_fields) {
    tk.SetEditText(kRedField, std::to_string(colour & 0xFF));
    tk.SetEditText(kGreenField, std::to_string((colour >> 8) & 0xFF));
    tk.SetEditText(kBlueField, std::to_string((colour >> 16) & 0xFF));
  }
  tk.ImageEditorCommand(kEditor, kEditorColour, static_cast<int>(colour), "");
  // The preset last chosen takes the colour, and the profile keeps it.
  tk.SetColor(preset_, colour);
  ctx_.store.WriteSetting(Profile(), "default_color" + std::to_string(preset_ - kPresetColour1 + 1),
                          std::to_string(colour));
}

void ScreenPage::PresetChosen(int button) {
  ui::Toolkit& tk = ctx_.toolkit;
  preset_ = button;
  const uint32_t colour = tk.GetColor(button) & 0xFFFFFF;
  colour_ = colour;
  tk.SetColor(kColourWheel, colour);
  tk.SetEditText(kRedField, std::to_string(colour & 0xFF));
  tk.SetEditText(kGreenField, std::to_string((colour >> 8) & 0xFF));
  tk.SetEditText(kBlueField, std::to_string((colour >> 16) & 0xFF));
  tk.ImageEditorCommand(kEditor, kEditorColour, static_cast<int>(colour), "");
}

void ScreenPage::ColourFieldChanged(int field) {
  ui::Toolkit& tk = ctx_.toolkit;
  const int value = ParseInt(tk.GetEditText(field));
  const int limited = std::clamp(value, 0, 255);
  if (limited != value) tk.SetEditText(field, std::to_string(limited));
  const int r = std::clamp(ParseInt(tk.GetEditText(kRedField)), 0, 255);
  const int g = std::clamp(ParseInt(tk.GetEditText(kGreenField)), 0, 255);
  const int b = std::clamp(ParseInt(tk.GetEditText(kBlueField)), 0, 255);
  SetDrawingColour(static_cast<uint32_t>(r + 256 * g + 65536 * b), true, false);
}

void ScreenPage::Preview(bool on) {
  std::lock_guard lock(mu_);
  std::string list;
  if (on) {
    for (const StripFrame& f : strip_) list += std::to_string(f.delay) + "\t" + f.file + "\n";
  }
  ctx_.toolkit.ImageEditorCommand(kEditor, kEditorPreview, on ? 1 : 0, list);
  if (!on) ShowFrameInEditor();
}

int ScreenPage::CurrentItem() const {
  std::lock_guard lock(mu_);
  return current_led_id_;
}

std::vector<StripFrame> ScreenPage::Strip() const {
  std::lock_guard lock(mu_);
  return strip_;
}

int ScreenPage::SelectedFrame() const {
  std::lock_guard lock(mu_);
  return selected_frame_;
}

bool ScreenPage::Changed() const {
  std::lock_guard lock(mu_);
  return changed_;
}

}  // namespace screen
