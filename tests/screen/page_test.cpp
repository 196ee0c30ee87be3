// The screen page on the whole program: the item library in the store and on disk, and the
// upload, clock and mode as the virtual receiver sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "screen_fixture.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using screen_test::FilledFrame;
using screen_test::Rgb;
using screen_test::ScreenTest;
using screen_test::WriteGif;

class ScreenPageTest : public ScreenTest {
 protected:
  ProfileStore& Store() { return ProfileStore::Instance(); }
  std::vector<ScreenLayerRecord> Layers() {
    std::vector<ScreenLayerRecord> list;
    Store().ListScreenLayers(dlg_->Device().CurrentProfile(), list);
    return list;
  }
  std::vector<ScreenFrameRecord> Frames(int led_id) {
    std::vector<ScreenFrameRecord> list;
    Store().ListScreenFrames(led_id, list);
    return list;
  }
  std::string ItemsFolder() { return UserData() + "tft/K7 Mouse/"; }
  // A 240 x 135 picture: red, one pixel 0x123456 at (1, 0), the last column blue.
  std::string TestPng() {
    screen::Picture p = screen_test::Solid(240, 135, Rgb(255, 0, 0));
    p.pixels[1] = Rgb(0x12, 0x34, 0x56);
    for (int y = 0; y < 135; ++y) p.pixels[static_cast<size_t>(y) * 240 + 239] = Rgb(0, 0, 255);
    const std::string path = Fixture("test.png");
    EXPECT_TRUE(screen::WritePng(path, p));
    return path;
  }
  // An animation of `n` frames cycling red, green, blue.
  std::string AnimationGif(int n) {
    std::vector<screen_test::GifFrame> frames;
    for (int i = 0; i < n; ++i)
      frames.push_back(FilledFrame(8, 4, static_cast<uint8_t>(1 + i % 3), 4));
    const std::string path = Fixture("anim" + std::to_string(n) + ".gif");
    EXPECT_TRUE(WriteGif(path, 8, 4, frames));
    return path;
  }
};

TEST_F(ScreenPageTest, TheFirstReadCreatesTheDefaultItemFromTheShippedAnimation) {
  StartWithReceiver();
  const auto layers = Layers();
  ASSERT_EQ(layers.size(), 1u);
  EXPECT_EQ(layers[0].file_dir, "20240105093012345");  // the virtual clock's time
  EXPECT_EQ(layers[0].first_file, "0.png");
  EXPECT_EQ(layers[0].frame_size, 16);
  const auto frames = Frames(layers[0].led_id);
  ASSERT_EQ(frames.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(frames[i].frame_index, i);
    EXPECT_EQ(frames[i].file_name, std::to_string(i) + ".png");
    EXPECT_EQ(frames[i].delay_time, 80);
    EXPECT_TRUE(fs::exists(ItemsFolder() + "20240105093012345/" + frames[i].file_name));
  }
  EXPECT_EQ(tk_.Snapshot(screen::kItemList).items.size(), 1u);
  EXPECT_EQ(tk_.Snapshot(screen::kFrameStrip).items.size(), 16u);
  EXPECT_EQ(Page().CurrentItem(), layers[0].led_id);
}

TEST_F(ScreenPageTest, ItemsMadeInTheSameMillisecondGetTheirOwnFolders) {
  StartWithReceiver();
  const int a = Page().NewItem();
  const int b = Page().NewItem();
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  ScreenLayerRecord ra, rb;
  ASSERT_TRUE(Store().GetScreenLayer(a, ra));
  ASSERT_TRUE(Store().GetScreenLayer(b, rb));
  // The clock stands still; the names move on by a millisecond each.
  EXPECT_EQ(ra.file_dir, "20240105093012346");
  EXPECT_EQ(rb.file_dir, "20240105093012347");
  EXPECT_TRUE(fs::is_directory(ItemsFolder() + ra.file_dir));
  EXPECT_TRUE(fs::is_directory(ItemsFolder() + rb.file_dir));
}

TEST(ScreenNames, TheNextMillisecondCarriesIntoTheCalendar) {
  const auto t = screen::NextMillisecond({2023, 12, 31, 23, 59, 59, 999, 0});
  EXPECT_EQ(screen::TimeFolderName(t), "20240101000000000");
  EXPECT_EQ(t.day_of_week, 1);  // a Monday
  EXPECT_FALSE(screen::IsSafeFolderName(".."));
  EXPECT_FALSE(screen::IsSafeFolderName("a/b"));
  EXPECT_FALSE(screen::IsSafeFolderName(""));
  EXPECT_TRUE(screen::IsSafeFolderName("20240105093012345"));
}

TEST_F(ScreenPageTest, APngImportGivesOneFrameOfTenMilliseconds) {
  StartWithReceiver();
  Import(TestPng());
  const auto layers = Layers();
  ASSERT_EQ(layers.size(), 2u);
  const auto frames = Frames(layers[1].led_id);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].delay_time, 10);
  EXPECT_EQ(layers[1].frame_size, 1);
  EXPECT_EQ(Page().CurrentItem(), layers[1].led_id);
  EXPECT_EQ(tk_.GetCurSel(screen::kItemList), 1);
  EXPECT_EQ(tk_.ModalBegins(ui::ModalKind::kScreenWait), 1);
  EXPECT_EQ(tk_.ModalEnds(ui::ModalKind::kScreenWait), 1);
  EXPECT_TRUE(tk_.Messages().empty());
}

TEST_F(ScreenPageTest, AFileThatIsNoPictureIsRefusedAndLeavesNoItem) {
  StartWithReceiver();
  std::ofstream(Fixture("notes.gif")) << "GIF89a but nothing after it";
  Import(Fixture("notes.gif"));
  EXPECT_EQ(Layers().size(), 1u);
  ASSERT_EQ(tk_.Messages().size(), 1u);
  EXPECT_EQ(tk_.Messages()[0].message, LanguageText(platform::TextId{2201}));
  // Only the default item's folder is left.
  int folders = 0;
  for (const auto& e : fs::directory_iterator(ItemsFolder())) folders += e.is_directory();
  EXPECT_EQ(folders, 1);
}

TEST(ScreenDefaultItem, AOneFrameGifWithoutDelayGivesOneHundredMilliseconds) {
  test_support::TempDir dir;
  fs::create_directories(dir.path() + "program/gif/K7 Mouse/");
  auto frame = FilledFrame(4, 4, 3);
  frame.gce = false;
  ASSERT_TRUE(WriteGif(dir.path() + "program/gif/K7 Mouse/0.gif", 4, 4, {frame}));
  ProfileStore& store = ProfileStore::Instance();
  fs::create_directories(dir.path() + "data/db");
  ASSERT_TRUE(store.OpenForModel(dir.path() + "data/", "K7 Mouse"));
  platform::VirtualClock clock;
  sim::VirtualBus bus{clock};
  DriverComm comm{bus, clock};
  ui::HeadlessToolkit tk;
  screen::ScreenContext ctx(comm, store, tk, clock);
  ctx.user_data_dir = dir.path() + "data/";
  ctx.program_dir = dir.path() + "program/";
  ctx.model_name = [] { return std::string("K7 Mouse"); };
  ctx.current_profile = [] { return 1; };
  screen::ScreenPage page(ctx);
  page.LoadScreenPage();
  std::vector<ScreenLayerRecord> layers;
  ASSERT_EQ(store.ListScreenLayers(1, layers), 1);
  std::vector<ScreenFrameRecord> frames;
  ASSERT_EQ(store.ListScreenFrames(layers[0].led_id, frames), 1);
  EXPECT_EQ(frames[0].delay_time, 100);
  // The wait of 2 ms before the name is taken.
  EXPECT_EQ(clock.Sleeps(), std::vector<int>{2});
  store.Close();
}

TEST_F(ScreenPageTest, DeletingTheCurrentItemRemovesItsFolderAndRows) {
  StartWithReceiver();
  Import(TestPng());
  const auto layers = Layers();
  ASSERT_EQ(layers.size(), 2u);
  const std::string folder = ItemsFolder() + layers[1].file_dir;
  ASSERT_TRUE(fs::is_directory(folder));
  tk_.QueueMessageAnswer(ui::kResultOk);
  Click(screen::kDeleteItemButton);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(Layers().size(), 1u);
  EXPECT_TRUE(Frames(layers[1].led_id).empty());
  EXPECT_EQ(tk_.Snapshot(screen::kItemList).items.size(), 1u);
  EXPECT_EQ(Page().CurrentItem(), layers[0].led_id);
  ASSERT_FALSE(tk_.Messages().empty());
  EXPECT_EQ(tk_.Messages().back().message, LanguageText(platform::TextId{835}));
}

TEST_F(ScreenPageTest, AFolderNameReachingOutsideIsNeverDeleted) {
  StartWithReceiver();
  const std::string victim = UserData() + "tft/victim/";
  fs::create_directories(victim);
  const int led_id = Store().AddScreenLayer(dlg_->Device().CurrentProfile(), "../victim");
  ASSERT_GT(led_id, 0);
  Page().LoadScreenPage();
  Page().SelectItem(1);
  ASSERT_EQ(Page().CurrentItem(), led_id);
  tk_.QueueMessageAnswer(ui::kResultOk);
  Click(screen::kDeleteItemButton);
  EXPECT_TRUE(fs::is_directory(victim));
  EXPECT_EQ(Layers().size(), 1u);
}

TEST_F(ScreenPageTest, AnUploadedFrameReadBackEqualsTheSourceAfterRgb565) {
  StartWithReceiver();
  Import(TestPng());
  bus_.ClearLog();
  Upload();
  const sim::ScreenState screen = bus_.Screen(mouse_);
  ASSERT_EQ(screen.uploads_completed, 1);
  ASSERT_EQ(screen.frames.size(), 1u);
  EXPECT_EQ(screen.missing_pieces, 0);
  EXPECT_EQ(screen.bad_reports, 0);
  const std::vector<uint8_t>& f = screen.frames[0];
  ASSERT_EQ(f.size(), 64800u);
  // Red is F800, 0x123456 is 11AA, blue is 001F; each low byte first.
  EXPECT_EQ((std::vector<uint8_t>(f.begin(), f.begin() + 6)),
            (std::vector<uint8_t>{0x00, 0xF8, 0xAA, 0x11, 0x00, 0xF8}));
  EXPECT_EQ(f[2 * 239], 0x1F);
  EXPECT_EQ(f[2 * 239 + 1], 0x00);
  for (size_t i = 6; i < f.size(); i += 2) {
    const bool last_column = (i / 2) % 240 == 239;
    ASSERT_EQ(f[i], last_column ? 0x1F : 0x00) << i;
    ASSERT_EQ(f[i + 1], last_column ? 0x00 : 0xF8) << i;
  }
  EXPECT_EQ(screen.delay, 100);
  // The last piece: the frame's final 8 bytes (four blue... red, red, red, blue pixels) then
  // 48 zeros.
  const auto reports = ScreenReports();
  ASSERT_EQ(reports.size(), 1u + 1158u + 1u);
  const auto& last = reports[1158];
  EXPECT_EQ(last[4], 0xA3);
  EXPECT_EQ(last[5], 0);
  EXPECT_EQ((last[6] << 8) | last[7], 1157);
  EXPECT_EQ((std::vector<uint8_t>(last.begin() + 8, last.begin() + 16)),
            (std::vector<uint8_t>{0x00, 0xF8, 0x00, 0xF8, 0x00, 0xF8, 0x1F, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(last.begin() + 16, last.begin() + 64),
            std::vector<uint8_t>(48, 0));
  EXPECT_EQ(tk_.ModalText(ui::ModalKind::kScreenProgress), "Loading: 100%");
  EXPECT_TRUE(tk_.IsEnabled(screen::kUploadButton));
  EXPECT_EQ(tk_.ModalEnds(ui::ModalKind::kScreenProgress), 1);
}

TEST_F(ScreenPageTest, AnItemOf151FramesSends150AndWarns) {
  StartWithReceiver();
  Import(AnimationGif(151));
  ASSERT_EQ(tk_.Messages().size(), 1u);  // the import's warning
  EXPECT_EQ(tk_.Messages()[0].message,
            LanguageText(platform::TextId{832}) + "151" + LanguageText(platform::TextId{833}));
  EXPECT_EQ(tk_.Messages()[0].title, LanguageText(platform::TextId{834}));
  bus_.ClearLog();
  Upload();
  ASSERT_EQ(tk_.Messages().size(), 2u);  // and the upload's
  EXPECT_EQ(tk_.Messages()[1].title, LanguageText(platform::TextId{848}));
  const auto reports = ScreenReports();
  ASSERT_EQ(reports.size(), 1u + 150u * 1158u + 1u);
  EXPECT_EQ(reports.front()[4], 0xA0);
  EXPECT_EQ(reports.front()[6], 150);
  EXPECT_EQ(reports.back()[4], 0xA1);
  EXPECT_EQ(reports.back()[6], 150);
  EXPECT_EQ(bus_.Screen(mouse_).frames.size(), 150u);
}

TEST_F(ScreenPageTest, AnEmptyOrZeroDelayFieldSendsOneHundred) {
  StartWithReceiver();
  Import(TestPng());
  for (const char* text : {"", "0", "-5", "abc"}) {
    tk_.SetEditText(screen::kDelayField, text);
    bus_.ClearLog();
    Upload();
    EXPECT_EQ(tk_.GetEditText(screen::kDelayField), "100") << text;
    const auto reports = ScreenReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front()[8], 100) << text;
    EXPECT_EQ(reports.back()[8], 100) << text;
  }
  tk_.SetEditText(screen::kDelayField, "60");
  bus_.ClearLog();
  Upload();
  EXPECT_EQ(ScreenReports().front()[8], 60);
  ScreenLayerRecord layer;
  ASSERT_TRUE(Store().GetScreenLayer(Page().CurrentItem(), layer));
  EXPECT_EQ(layer.delay_time, 60);
}

TEST_F(ScreenPageTest, CancelDuringTheThirdFrameStopsThePiecesAndEndsCancelled) {
  StartWithReceiver();
  Import(AnimationGif(5));
  // 5 frames are 5786 pieces; 41 % is first shown at piece 2373, inside frame index 2.
  tk_.on_progress = [this](int percent) {
    if (percent == 41) dlg_->OnMessage(screen::kMsgCancelUpload, 0, 0);
  };
  bus_.ClearLog();
  Upload();
  const auto reports = ScreenReports();
  ASSERT_EQ(reports.size(), 1u + 2373u + 1u);
  const auto& last_piece = reports[reports.size() - 2];
  EXPECT_EQ(last_piece[4], 0xA3);
  EXPECT_EQ(last_piece[5], 2);
  EXPECT_EQ(std::vector<uint8_t>(reports.back().begin() + 4, reports.back().begin() + 9),
            (std::vector<uint8_t>{0xA2, 0, 0, 0, 0}));
  EXPECT_EQ(bus_.Screen(mouse_).uploads_cancelled, 1);
  EXPECT_EQ(bus_.Screen(mouse_).uploads_completed, 0);
  // The next upload starts afresh.
  tk_.on_progress = nullptr;
  Upload();
  EXPECT_EQ(bus_.Screen(mouse_).uploads_completed, 1);
}

TEST_F(ScreenPageTest, ClockAndModeReachTheScreen) {
  StartWithReceiver();
  bus_.ClearLog();
  Click(screen::kClockButton);
  tk_.SetCheck(screen::kModeButton, false);
  Click(screen::kModeButton);
  RunQueuedTasks();
  const auto reports = ScreenReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(std::vector<uint8_t>(reports[0].begin() + 4, reports[0].begin() + 14),
            (std::vector<uint8_t>{0xB1, 0, 0, 24, 1, 5, 9, 30, 12, 5}));
  EXPECT_EQ(reports[1][4], 0xB2);
  EXPECT_EQ(reports[1][5], 1);
  const auto clock = bus_.Screen(mouse_).clock;
  EXPECT_TRUE(clock.set);
  EXPECT_EQ(clock.day_of_week, 5);
  EXPECT_EQ(bus_.Screen(mouse_).mode, 1);
  tk_.SetCheck(screen::kModeButton, true);
  Click(screen::kModeButton);
  RunQueuedTasks();
  EXPECT_EQ(bus_.Screen(mouse_).mode, 0);
}

TEST_F(ScreenPageTest, WithoutTheScreenReceiverNothingIsSent) {
  StartWithReceiver(sim::Model::kK7Mouse, sim::Attachment::kCable);
  bus_.ClearLog();
  Upload();
  ASSERT_EQ(tk_.Messages().size(), 1u);
  EXPECT_EQ(tk_.Messages()[0].message, "请连接接收器执行写入屏幕操作.");
  EXPECT_EQ(tk_.Messages()[0].title, "写入屏幕");
  EXPECT_TRUE(ScreenReports().empty());
  EXPECT_EQ(tk_.ModalBegins(ui::ModalKind::kScreenProgress), 0);
}

TEST_F(ScreenPageTest, ExportWritesTheStripAsAGifThatImportsBackTheSame) {
  StartWithReceiver();
  Import(AnimationGif(3));
  tk_.QueueDelayAnswer(ui::DelayChoice{true, "20"});  // all frames; below 30 gives 30
  dlg_->OnControlNotify(screen::kFrameStrip, screen::kNotifyEditDelays, 0);
  tk_.QueueDelayAnswer(ui::DelayChoice{false, "900"});  // the selected frame; at most 500
  dlg_->OnControlNotify(screen::kFrameStrip, screen::kNotifyEditDelays, 0);
  const auto strip = Page().Strip();
  ASSERT_EQ(strip.size(), 3u);
  EXPECT_EQ(strip[0].delay, 500);
  EXPECT_EQ(strip[1].delay, 30);
  EXPECT_TRUE(Page().Changed());
  tk_.QueueFileAnswer(Fixture("out.gif"));
  Click(screen::kExportGifButton);
  RunQueuedTasks();
  EXPECT_EQ(tk_.ModalEnds(ui::ModalKind::kScreenWait), 2);  // the import's and the export's
  Import(Fixture("out.gif"));
  const auto layers = Layers();
  ASSERT_EQ(layers.size(), 3u);
  const auto frames = Frames(layers[2].led_id);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].delay_time, 500);
  EXPECT_EQ(frames[1].delay_time, 30);
  EXPECT_EQ(frames[2].delay_time, 30);
  screen::Picture original, back;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(screen::ReadPicture(strip[i].file, original));
    ASSERT_TRUE(
        screen::ReadPicture(ItemsFolder() + layers[2].file_dir + "/" + frames[i].file_name, back));
    EXPECT_EQ(original.pixels, back.pixels) << i;
  }
}

TEST_F(ScreenPageTest, SavingStoresEditedCopiedAndDeletedFrames) {
  StartWithReceiver();
  Import(AnimationGif(3));  // red, green, blue
  const int led_id = Page().CurrentItem();
  // Copy frame 0 (it lands at 1 and is selected), then delete frame 2 (the old green).
  Page().SelectFrame(0);
  Click(screen::kCopyFrameButton);
  EXPECT_EQ(Page().SelectedFrame(), 1);
  Page().SelectFrame(2);
  tk_.QueueMessageAnswer(ui::kResultOk);
  Click(screen::kDeleteFrameButton);
  // An edit of frame 0: the editor writes its picture where it was told and says so.
  Page().SelectFrame(0);
  const auto commands = tk_.EditorCommands();
  std::string scratch;
  for (const auto& c : commands) {
    if (c.command == screen::kEditorScratchFile) scratch = c.text;
  }
  ASSERT_FALSE(scratch.empty());
  ASSERT_TRUE(screen::WritePng(scratch, screen_test::Solid(240, 135, Rgb(255, 255, 255))));
  dlg_->OnControlNotify(screen::kEditor, screen::kNotifyEditFinished, 0);
  Click(screen::kSaveItemButton);
  EXPECT_FALSE(Page().Changed());
  const auto frames = Frames(led_id);
  ASSERT_EQ(frames.size(), 3u);
  ScreenLayerRecord layer;
  ASSERT_TRUE(Store().GetScreenLayer(led_id, layer));
  EXPECT_EQ(layer.frame_size, 3);
  const std::string folder = ItemsFolder() + layer.file_dir + "/";
  const uint32_t expected[] = {Rgb(255, 255, 255), Rgb(255, 0, 0), Rgb(0, 0, 255)};
  std::set<std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"0.png", "1.png", "2.png"}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(frames[i].file_name, std::to_string(i) + ".png");
    screen::Picture p;
    ASSERT_TRUE(screen::ReadPicture(folder + frames[i].file_name, p));
    EXPECT_EQ(p.pixels[0], expected[i]) << i;
  }
}

TEST_F(ScreenPageTest, PresetColoursComeFromAndGoToTheProfile) {
  StartWithReceiver();
  // The shipped defaults of "default_color1" and "default_color3".
  EXPECT_EQ(tk_.GetColor(screen::kPresetColour1), 8331093u);
  EXPECT_EQ(tk_.GetColor(screen::kPresetColour1 + 2), 65280u);
  Click(screen::kPresetColour1 + 2);
  EXPECT_EQ(tk_.GetEditText(screen::kGreenField), "255");
  tk_.SetEditText(screen::kRedField, "300");
  dlg_->OnControlNotify(screen::kRedField, ui::kNotifyChanged, 0);
  EXPECT_EQ(tk_.GetEditText(screen::kRedField), "255");
  std::string value;
  Store().ReadSetting(dlg_->Device().CurrentProfile(), "default_color3", value);
  EXPECT_EQ(value, std::to_string(255 + 256 * 255));
  EXPECT_EQ(tk_.GetColor(screen::kPresetColour1 + 2), 255u + 256u * 255u);
}

TEST_F(ScreenPageTest, TheEditorMenuOffersSevenCommandsAndSetsThePen) {
  StartWithReceiver();
  tk_.QueueMenuAnswer(screen::kEditorPenLarge);
  dlg_->OnControlNotify(screen::kEditor, screen::kNotifyEditorMenu, 0);
  tk_.PumpMessages();
  const auto menus = tk_.Menus();
  ASSERT_EQ(menus.size(), 1u);
  std::vector<int> offered;
  for (const auto& m : menus[0]) offered.push_back(m.command);
  EXPECT_EQ(offered, (std::vector<int>{105, 106, 107, 110, 112, 113, 114}));
  const auto commands = tk_.EditorCommands();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[commands.size() - 2].command, screen::kEditorPenSize);
  EXPECT_EQ(commands[commands.size() - 2].value, 8);
  EXPECT_EQ(commands.back().command, screen::kEditorTextSize);
  EXPECT_EQ(commands.back().value, 50);
}

}  // namespace
