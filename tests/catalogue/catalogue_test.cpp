// The catalogue against small hand-written program folders: what reaches DriverComm, the
// profile store and the controls, and what a broken file leaves behind.
#include "catalogue/catalogue.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/device_list_control.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/frame_controls.h"
#include "ui/headless/headless_toolkit.h"

namespace {

using catalogue::Catalogue;
using catalogue::HotSpotPoints;

// Writes `text` as a file, creating its folder.
void WriteFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string Config(const std::string& mice) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<config>\r\n<device>\r\n" + mice +
         "</device>\r\n<software caption=\"Cap\" version=\"3.4.5\">\r\n"
         "<website url=\"http://w/\"/><feedback url=\"http://f/\"/><qa url=\"http://q/\"/>"
         "<store url=\"http://s/\"/><upgrade url=\"http://u/\"/><copyright info=\"(c)\"/>"
         "\r\n</software>\r\n</config>\r\n";
}

std::string Mouse(const std::string& name, int type, const std::string& modes = "") {
  return "<mouse name=\"" + name + "\" device_type=\"" + std::to_string(type) +
         "\" device_attr=\"attr\" image=\"" + name + ".svg\">" + modes + "</mouse>\r\n";
}

std::string ModelFile(const std::string& image, const std::string& menu, const std::string& keys) {
  return "<?xml version=\"1.0\"?>\r\n<mouse>" + image + menu + "<mouse_key>" + keys +
         "</mouse_key></mouse>\r\n";
}

std::string Menu(const std::string& light, const std::string& tft, const std::string& side) {
  return "<menu light=\"" + light + "\" tft=\"" + tft + "\" sidekey=\"" + side + "\"/>";
}

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(program_dir_);
    platform::SetLanguageId(1033);
    WriteFile(program_dir_ + "language/1033.lan",
              "[LAN]\n21=Version\n150=Left Click\n151=Right Click\n195=DPI Cycle\n"
              "901=Left Button\n902=Right Button\n906=DPI Button\n");
    // The window builds the tab row before the catalogue decides which tabs it shows.
    std::vector<ui::TabItem> tabs;
    for (int id : {1, 2, 3, 5, 7, 4, 6}) tabs.push_back(ui::TabItem{"", id, "", true});
    toolkit_.SetTabItems(ui::frame::kTabs, tabs);
  }
  void TearDown() override { ProfileStore::Instance().Close(); }

  void WriteProgramFile(const std::string& relative, const std::string& text) {
    WriteFile(program_dir_ + relative, text);
  }
  bool TabVisible(int item_id) {
    for (const ui::TabItem& tab : toolkit_.Snapshot(ui::frame::kTabs).tabs) {
      if (tab.id == item_id) return tab.visible;
    }
    ADD_FAILURE() << "no tab item " << item_id;
    return false;
  }
  std::vector<int64_t> SelectorData() {
    std::vector<int64_t> data;
    for (const auto& item : toolkit_.Snapshot(catalogue::kModelSelector).items) {
      data.push_back(item.data);
    }
    return data;
  }
  int64_t SelectedData() { return toolkit_.GetCurData(catalogue::kModelSelector); }

  const test_support::TempDir program_tmp_{"catalogue_prog_"};
  const test_support::TempDir user_tmp_{"catalogue_user_"};
  const std::string program_dir_ = program_tmp_.path();
  const std::string user_dir_ = user_tmp_.path();
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  ui::HeadlessToolkit toolkit_;
  app::DeviceListControl device_list_{toolkit_};
  int remembered_ = 0;
  Catalogue catalogue_{{toolkit_,
                        comm_,
                        device_list_,
                        ProfileStore::Instance(),
                        [this] { return remembered_; },
                        user_dir_,
                        {}}};
};

TEST(CatalogueParse, RectSplitsIntoThreePoints) {
  struct Case {
    const char* text;
    HotSpotPoints points;
  };
  const Case cases[] = {
      {"10#20#30#40#50#60", {10, 20, 30, 40, 50, 60}},
      {"10#20", {10, 0, 0, 0, 0, 20}},
      {"1#2#3", {1, 2, 0, 0, 0, 3}},
      {"7", {0, 0, 0, 0, 0, 7}},
      {"", {0, 0, 0, 0, 0, 0}},
      {"1#2#3#4#5#6#7", {1, 2, 3, 4, 5, 6}},  // the rest reads up to its first "#"
      {"#5##x#-4#9", {0, 5, 0, 0, -4, 9}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(catalogue::ParseRect(c.text), c.points) << c.text;
  }
}

TEST(CatalogueParse, NumbersReadAsTheCatalogueWritesThem) {
  EXPECT_EQ(catalogue::ParseHex("1234"), 0x1234u);
  EXPECT_EQ(catalogue::ParseHex("ABCD"), 0xABCDu);
  EXPECT_EQ(catalogue::ParseHex("7a5d"), 0x7A5Du);
  EXPECT_EQ(catalogue::ParseHex("0x3A10"), 0x3A10u);
  EXPECT_EQ(catalogue::ParseHex("12G4"), 0x12u);
  EXPECT_EQ(catalogue::ParseHex(""), 0u);
  EXPECT_EQ(catalogue::ParseHex("FFFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(catalogue::ParseDecimal("101"), 101);
  EXPECT_EQ(catalogue::ParseDecimal("-3"), -3);
  EXPECT_EQ(catalogue::ParseDecimal("12ab"), 12);
  EXPECT_EQ(catalogue::ParseDecimal(""), 0);
  EXPECT_EQ(catalogue::ParseDecimal("0x10"), 0);
  EXPECT_EQ(catalogue::ParseDecimal("99999999999"), 2147483647);
}

TEST_F(CatalogueTest, ModelsAndModesReachDriverCommTheListsAndTheControls) {
  WriteProgramFile("config.xml",
                   Config(Mouse("Alpha", 101,
                                "<mode value=\"0\" desc=\"USB\" vid=\"1234\" pid=\"ABCD\" "
                                "dev_id=\"0a0b0c0d0e0f\"/><mode value=\"1\" desc=\"2.4G\" "
                                "vid=\"1234\" pid=\"abce\" dev_id=\"\"/>") +
                          Mouse("Beta", 202,
                                "<mode value=\"1\" vid=\"1234\" pid=\"ABCE\" "
                                "dev_id=\"0A0B0C0D0E1F\"/>")));
  remembered_ = 202;
  catalogue_.LoadCatalogue();

  const std::vector<ModeRecord> modes = comm_.Modes();
  ASSERT_EQ(modes.size(), 3u);
  EXPECT_EQ(modes[0].vid, 0x1234u);
  EXPECT_EQ(modes[0].pid, 0xABCDu);
  EXPECT_EQ(modes[0].dev_id, "0A0B0C0D0E0F");
  EXPECT_EQ(modes[0].device_type, 101);
  EXPECT_EQ(modes[0].mode_value, 0);
  EXPECT_EQ(modes[1].pid, 0xABCEu);
  EXPECT_EQ(modes[1].dev_id, "");
  EXPECT_EQ(modes[1].mode_value, 1);
  EXPECT_EQ(modes[2].device_type, 202);
  EXPECT_TRUE(comm_.IsSupported(0x1234, 0xABCE));
  EXPECT_EQ(comm_.LookupDeviceType(0x1234, 0xABCE, "0A0B0C0D0E1F"), 202);

  const auto catalogue_modes = catalogue_.Modes();
  ASSERT_EQ(catalogue_modes.size(), 3u);
  EXPECT_EQ(catalogue_modes[1].model.name, "Alpha");
  EXPECT_EQ(catalogue_modes[1].desc, "2.4G");
  EXPECT_EQ(catalogue_modes[2].model.device_type, 202);

  const auto models = catalogue_.Models();
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0].device_attr, "attr");
  EXPECT_EQ(models[1].picture, "device/Beta.svg");

  const auto items = device_list_.Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].name, "Alpha");
  EXPECT_EQ(items[1].data, 202);
  EXPECT_EQ(items[1].image, "device/Beta.svg");

  const auto links = catalogue_.Links();
  EXPECT_EQ(links.website, "http://w/");
  EXPECT_EQ(links.feedback, "http://f/");
  EXPECT_EQ(links.qa, "http://q/");
  EXPECT_EQ(links.store, "http://s/");
  EXPECT_EQ(links.upgrade, "http://u/");
  EXPECT_EQ(links.copyright, "(c)");
  EXPECT_EQ(catalogue_.VersionText(), "Version: v3.4.5");

  // The remembered model is selected, current, and its database is open.
  EXPECT_EQ(SelectedData(), 202);
  EXPECT_EQ(comm_.SelectedType(), 202);
  EXPECT_EQ(catalogue_.CurrentType(), 202);
  EXPECT_EQ(catalogue_.CurrentModelName(), "Beta");
  EXPECT_TRUE(ProfileStore::Instance().IsOpen());
  EXPECT_EQ(ProfileStore::Instance().Path(), user_dir_ + "db/Beta_data.db");
}

TEST_F(CatalogueTest, SelectorShowsWhenThereIsAChoiceAndPreselectsTheRememberedModel) {
  struct Case {
    std::string mice;
    int remembered;
    std::vector<int64_t> items;
    int64_t selected;
    bool visible;
  };
  const std::vector<Case> cases = {
      {Mouse("Solo", 7), 7, {7}, 7, false},
      {Mouse("Solo", 7), 0, {7}, 7, false},
      {Mouse("A", 101) + Mouse("B", 102), 102, {101, 102}, 102, true},
      {Mouse("A", 101) + Mouse("B", 102), 101, {101, 102}, 101, true},
      // A remembered model the catalogue no longer has: the first one is chosen.
      {Mouse("A", 101) + Mouse("B", 102), 555, {101, 102}, 101, true},
      {Mouse("A", 101) + Mouse("B", 102) + Mouse("C", 103), 103, {101, 102, 103}, 103, true},
      // No model at all: nothing selected, nothing current.
      {"", 101, {}, -1, true},
  };
  for (const Case& c : cases) {
    WriteProgramFile("config.xml", Config(c.mice));
    remembered_ = c.remembered;
    catalogue_.LoadCatalogue();
    EXPECT_EQ(SelectorData(), c.items) << c.mice;
    EXPECT_EQ(SelectedData(), c.selected) << c.mice;
    EXPECT_EQ(toolkit_.IsVisible(catalogue::kModelSelector), c.visible) << c.mice;
    const int current = c.selected < 0 ? 0 : static_cast<int>(c.selected);
    EXPECT_EQ(comm_.SelectedType(), current) << c.mice;
    EXPECT_EQ(catalogue_.CurrentType(), current) << c.mice;
  }
}

TEST_F(CatalogueTest, ModelFileFillsPicturesButtonsAndHotSpots) {
  WriteProgramFile("config.xml", Config(Mouse("Alpha", 101)));
  WriteProgramFile("device/Alpha.xml",
                   ModelFile("<image_file img=\"device/alpha_top.svg\"/>", Menu("1", "1", "1"),
                             "<key name=\"901\" key_value=\"0\" direction=\"0\" "
                             "rect=\"10#20#30#40#50#60\" func_desc=\"150\" func_type=\"1\" "
                             "func_value=\"1\"/>"
                             "<key name=\"906\" key_value=\"5\" direction=\"1\" rect=\"10#20\" "
                             "func_desc=\"195\" func_type=\"5\" func_value=\"4\"/>"
                             "<key name=\"999\" key_value=\"6\"/>"));
  remembered_ = 101;
  catalogue_.LoadCatalogue();

  EXPECT_EQ(toolkit_.Snapshot(ui::frame::kHomePicture).image, "device/alpha_top.svg");
  EXPECT_EQ(toolkit_.Snapshot(catalogue::kLayoutPicture).image, "device/alpha_top.svg");

  const auto buttons = catalogue_.Buttons();
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0].key_value, 0);
  EXPECT_EQ(buttons[0].name, "Left Button");
  EXPECT_EQ(buttons[0].func_type, 1);
  EXPECT_EQ(buttons[0].func_value, 1);
  EXPECT_EQ(buttons[0].func_desc, "Left Click");
  EXPECT_EQ(buttons[1].key_value, 5);
  EXPECT_EQ(buttons[1].func_type, 5);
  EXPECT_EQ(buttons[1].func_value, 4);
  EXPECT_EQ(buttons[1].func_desc, "DPI Cycle");
  EXPECT_EQ(buttons[1].direction, 1);
  // Missing attributes read as empty: numbers 0, texts empty.
  EXPECT_EQ(buttons[2].name, "");
  EXPECT_EQ(buttons[2].func_type, 0);
  EXPECT_EQ(buttons[2].func_desc, "");

  const auto items = toolkit_.Snapshot(catalogue::kMouseHotSpots).mouse_items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].key_value, 0);
  EXPECT_EQ(items[0].name, "Left Button");
  EXPECT_EQ(items[0].description, "Left Click");
  EXPECT_EQ((std::vector<int>{items[0].x, items[0].y, items[0].line_x, items[0].line_y,
                              items[0].label_x, items[0].label_y}),
            (std::vector<int>{10, 20, 30, 40, 50, 60}));
  EXPECT_EQ((std::vector<int>{items[1].x, items[1].y, items[1].line_x, items[1].line_y,
                              items[1].label_x, items[1].label_y}),
            (std::vector<int>{10, 0, 0, 0, 0, 20}));
  EXPECT_EQ(items[0].direction, 0);
  EXPECT_EQ(items[1].direction, 1);
  EXPECT_EQ(catalogue_.MouseItems().size(), 3u);
}

TEST_F(CatalogueTest, OnlyTheValueOneShowsLightingScreenAndSideSwitches) {
  struct Case {
    const char* light;
    const char* tft;
    const char* sidekey;
    bool lighting, screen, side;
  };
  const Case cases[] = {
      {"1", "1", "1", true, true, true},    {"2", "0", "1", false, false, true},
      {"0", "2", "2", false, false, false}, {"1", "", "01", true, false, true},
      {"", "1", "", false, true, false},
  };
  WriteProgramFile("config.xml", Config(Mouse("Alpha", 101)));
  catalogue_.LoadCatalogue();
  for (const Case& c : cases) {
    WriteProgramFile("device/Alpha.xml", ModelFile("", Menu(c.light, c.tft, c.sidekey), ""));
    ASSERT_TRUE(catalogue_.LoadModel(101));
    const std::string at = std::string(c.light) + "/" + c.tft + "/" + c.sidekey;
    EXPECT_EQ(catalogue_.HasLighting(), c.lighting) << at;
    EXPECT_EQ(catalogue_.HasScreen(), c.screen) << at;
    EXPECT_EQ(catalogue_.HasSideKeys(), c.side) << at;
    EXPECT_EQ(TabVisible(ui::frame::kItemLighting), c.lighting) << at;
    EXPECT_EQ(TabVisible(ui::frame::kItemScreen), c.screen) << at;
    for (int id : {68, 69, 70, 71}) EXPECT_EQ(toolkit_.IsVisible(id), c.side) << at << " " << id;
    // The other tabs are never touched.
    for (int id : {1, 2, 3, 4, 6}) EXPECT_TRUE(TabVisible(id)) << at;
  }
}

TEST_F(CatalogueTest, ModelFileWithoutPictureKeepsThePreviousOneAndLoadsTheRest) {
  WriteProgramFile("config.xml", Config(Mouse("Alpha", 101) + Mouse("Beta", 102)));
  WriteProgramFile("device/Alpha.xml",
                   ModelFile("<image_file img=\"device/a.svg\"/>", Menu("0", "0", "0"),
                             "<key name=\"901\" key_value=\"0\"/>"));
  WriteProgramFile("device/Beta.xml",
                   ModelFile("", Menu("1", "0", "1"),
                             "<key name=\"902\" key_value=\"1\"/><key name=\"906\" "
                             "key_value=\"5\"/>"));
  remembered_ = 101;
  catalogue_.LoadCatalogue();
  ASSERT_TRUE(catalogue_.LoadModel(102));

  EXPECT_EQ(toolkit_.Snapshot(ui::frame::kHomePicture).image, "device/a.svg");
  EXPECT_EQ(toolkit_.Snapshot(catalogue::kLayoutPicture).image, "device/a.svg");
  EXPECT_TRUE(TabVisible(ui::frame::kItemLighting));
  EXPECT_TRUE(toolkit_.IsVisible(catalogue::kLeftLockSwitch));
  const auto buttons = catalogue_.Buttons();
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].name, "Right Button");
  EXPECT_EQ(buttons[1].key_value, 5);
  EXPECT_EQ(toolkit_.Snapshot(catalogue::kMouseHotSpots).mouse_items.size(), 2u);
  EXPECT_EQ(ProfileStore::Instance().Path(), user_dir_ + "db/Beta_data.db");
}

TEST_F(CatalogueTest, BrokenModelFileLeavesThePreviousModelOnScreen) {
  const std::vector<std::string> broken = {
      "",                                                             // missing file
      "<mouse><menu light=\"0\"/><mouse_key><key name=",              // cut off
      "<?xml version=\"1.0\"?><device><menu light=\"0\"/></device>",  // no mouse element
  };
  WriteProgramFile("config.xml", Config(Mouse("Alpha", 101) + Mouse("Beta", 102)));
  WriteProgramFile("device/Alpha.xml",
                   ModelFile("<image_file img=\"device/a.svg\"/>", Menu("1", "1", "1"),
                             "<key name=\"901\" key_value=\"0\"/>"));
  catalogue_.LoadCatalogue();
  for (const std::string& text : broken) {
    std::filesystem::remove(program_dir_ + "device/Beta.xml");
    if (!text.empty()) WriteProgramFile("device/Beta.xml", text);
    ASSERT_TRUE(catalogue_.LoadModel(101));
    EXPECT_FALSE(catalogue_.LoadModel(102)) << text;

    EXPECT_EQ(toolkit_.Snapshot(catalogue::kLayoutPicture).image, "device/a.svg") << text;
    EXPECT_TRUE(TabVisible(ui::frame::kItemLighting)) << text;
    EXPECT_TRUE(TabVisible(ui::frame::kItemScreen)) << text;
    EXPECT_TRUE(toolkit_.IsVisible(catalogue::kRightLockSwitch)) << text;
    ASSERT_EQ(catalogue_.Buttons().size(), 1u) << text;
    EXPECT_EQ(catalogue_.Buttons()[0].name, "Left Button") << text;
    EXPECT_EQ(toolkit_.Snapshot(catalogue::kMouseHotSpots).mouse_items.size(), 1u) << text;
    // The model change itself still happened: the new model's database is the open one.
    EXPECT_EQ(catalogue_.CurrentModelName(), "Beta") << text;
    EXPECT_EQ(ProfileStore::Instance().Path(), user_dir_ + "db/Beta_data.db") << text;
  }
}

TEST_F(CatalogueTest, BrokenCatalogueLeavesEverythingEmpty) {
  const std::vector<std::string> broken = {
      "",                                                               // missing file
      "<config><device><mouse name=\"X\" device_type=\"9\"></device>",  // ill-formed
      "<?xml version=\"1.0\"?><settings><device><mouse name=\"X\" device_type=\"9\"/></device>"
      "</settings>",  // no config root
  };
  for (const std::string& text : broken) {
    // A good catalogue first, so the reload has something to throw away.
    WriteProgramFile(
        "config.xml",
        Config(Mouse("A", 101, "<mode value=\"0\" vid=\"1\" pid=\"2\"/>") + Mouse("B", 102)));
    catalogue_.LoadCatalogue();
    ASSERT_EQ(comm_.Modes().size(), 1u);
    std::filesystem::remove(program_dir_ + "config.xml");
    if (!text.empty()) WriteProgramFile("config.xml", text);

    catalogue_.LoadCatalogue();
    EXPECT_TRUE(catalogue_.Models().empty()) << text;
    EXPECT_TRUE(catalogue_.Modes().empty()) << text;
    EXPECT_TRUE(comm_.Modes().empty()) << text;
    EXPECT_TRUE(device_list_.Items().empty()) << text;
    EXPECT_TRUE(toolkit_.Snapshot(catalogue::kDeviceList).devices.empty()) << text;
    EXPECT_TRUE(SelectorData().empty()) << text;
    EXPECT_EQ(catalogue_.Links().upgrade, "") << text;
    EXPECT_EQ(comm_.SelectedType(), 0) << text;
  }
}

TEST_F(CatalogueTest, ModelNamesThatLeaveTheirFolderAreNotUsedAsFiles) {
  WriteProgramFile("config.xml", Config(Mouse("../Evil", 101)));
  WriteProgramFile("Evil.xml", ModelFile("<image_file img=\"x.svg\"/>", "", ""));
  remembered_ = 101;
  catalogue_.LoadCatalogue();
  EXPECT_FALSE(catalogue_.LoadModel(101));
  EXPECT_FALSE(toolkit_.Touched(catalogue::kLayoutPicture));
  EXPECT_FALSE(std::filesystem::exists(user_dir_ + "Evil_data.db"));
}

}  // namespace

TEST_F(CatalogueTest, LanguageSwitchRenamesTheButtons) {
  WriteProgramFile("language/2052.lan", "[LAN]\n150=左键单击\n901=左键\n");
  WriteProgramFile("config.xml", Config(Mouse("Alpha", 101)));
  WriteProgramFile("device/Alpha.xml",
                   ModelFile("", "", "<key name=\"901\" key_value=\"0\" func_desc=\"150\"/>"));
  remembered_ = 101;
  catalogue_.LoadCatalogue();
  platform::SetLanguageId(2052);
  catalogue_.ReloadTexts();
  ASSERT_EQ(catalogue_.Buttons().size(), 1u);
  EXPECT_EQ(catalogue_.Buttons()[0].name, "左键");
  EXPECT_EQ(catalogue_.Buttons()[0].func_desc, "左键单击");
  const auto items = toolkit_.Snapshot(catalogue::kMouseHotSpots).mouse_items;
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "左键");
  EXPECT_EQ(items[0].description, "左键单击");
}
