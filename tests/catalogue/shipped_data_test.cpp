// The catalogue that ships in data/: every model loads with the buttons, defaults, texts and
// pictures the product needs, and its identities are the ones the mice report.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/device_list_control.h"
#include "catalogue/catalogue.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/headless/headless_toolkit.h"
#include "ui/manager.h"
#include "xml/xml_document.h"

namespace {

const std::string kData = std::string(MOUSE_DATA_DIR) + "/";

class ShippedCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(kData);
    platform::SetLanguageId(1033);
  }
  void TearDown() override { ProfileStore::Instance().Close(); }
  std::string SkinFile(const std::string& relative) const {
    return kData + "skins/" + ui::Manager::GetTheme() + "/" + relative;
  }

  const test_support::TempDir user_tmp_{"shipped_"};
  const std::string user_dir_ = user_tmp_.path();
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  ui::HeadlessToolkit toolkit_;
  app::DeviceListControl device_list_{toolkit_};
  catalogue::Catalogue cat_{
      {toolkit_, comm_, device_list_, ProfileStore::Instance(), [] { return 0; }, user_dir_, {}}};
};

struct Default {
  int func_type, func_value, func_desc;
};

TEST_F(ShippedCatalogueTest, EveryModelLoadsWithItsButtonsPagesAndDefaults) {
  // The default functions agree with the mouse's built-in key table; buttons 6 and 7 (the
  // right-hand side buttons) are forward and back.
  const std::map<int, Default> defaults = {
      {0, {1, 1, 150}}, {1, {1, 2, 151}}, {2, {1, 3, 152}}, {3, {1, 6, 154}},
      {4, {1, 5, 153}}, {5, {5, 4, 195}}, {6, {1, 5, 153}}, {7, {1, 6, 154}},
  };
  struct Expected {
    const char* name;
    int type;
    size_t buttons;
    bool lighting, screen, side;
  };
  const Expected expected[] = {
      {"K7 Mouse", 101, 8, true, true, true},
      {"K7 Pro", 102, 6, true, true, false},
      {"K9 Air", 201, 6, false, false, false},
  };
  catalogue::Catalogue& cat = cat_;
  cat.LoadCatalogue();
  const auto models = cat.Models();
  ASSERT_EQ(models.size(), std::size(expected));
  EXPECT_TRUE(toolkit_.IsVisible(catalogue::kModelSelector));
  for (size_t i = 0; i < models.size(); ++i) {
    const Expected& e = expected[i];
    EXPECT_EQ(models[i].name, e.name);
    EXPECT_EQ(models[i].device_type, e.type);
    EXPECT_TRUE(std::filesystem::exists(SkinFile(models[i].picture))) << models[i].picture;

    ASSERT_TRUE(cat.LoadModel(e.type)) << e.name;
    EXPECT_EQ(cat.HasLighting(), e.lighting) << e.name;
    EXPECT_EQ(cat.HasScreen(), e.screen) << e.name;
    EXPECT_EQ(cat.HasSideKeys(), e.side) << e.name;
    const std::string picture = toolkit_.Snapshot(catalogue::kLayoutPicture).image;
    EXPECT_TRUE(std::filesystem::exists(SkinFile(picture))) << picture;

    const auto buttons = cat.Buttons();
    ASSERT_EQ(buttons.size(), e.buttons) << e.name;
    for (size_t k = 0; k < buttons.size(); ++k) {
      const auto& b = buttons[k];
      const Default& d = defaults.at(static_cast<int>(k));
      EXPECT_EQ(b.key_value, static_cast<int>(k)) << e.name;
      EXPECT_EQ(b.func_type, d.func_type) << e.name << " button " << k;
      EXPECT_EQ(b.func_value, d.func_value) << e.name << " button " << k;
      EXPECT_EQ(b.func_desc, LanguageText(platform::TextId{d.func_desc}))
          << e.name << " button " << k;
      EXPECT_FALSE(b.name.empty()) << e.name << " button " << k;
    }
    // Hot spots lie on the picture, and no two buttons share one.
    const auto items = cat.MouseItems();
    for (size_t a = 0; a < items.size(); ++a) {
      for (int v : {items[a].x, items[a].label_x, items[a].line_x}) EXPECT_TRUE(v > 0 && v < 640);
      for (int v : {items[a].y, items[a].label_y, items[a].line_y}) EXPECT_TRUE(v > 0 && v < 480);
      for (size_t b = a + 1; b < items.size(); ++b) {
        EXPECT_FALSE(items[a].x == items[b].x && items[a].y == items[b].y) << e.name;
      }
    }
  }
}

TEST_F(ShippedCatalogueTest, EveryTextAndPictureTheModelFilesNameExists) {
  for (const char* name : {"K7 Mouse", "K7 Pro", "K9 Air"}) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(kData + "device/" + name + ".xml")) << name;
    ASSERT_TRUE(doc.FindElement("mouse"));
    doc.EnterElement();
    ASSERT_TRUE(doc.FindElement("image_file")) << name;
    const std::string picture = doc.GetAttribute("img");
    XmlDocument svg;
    EXPECT_TRUE(svg.LoadFile(SkinFile(picture)) && svg.FindElement("svg")) << picture;
    ASSERT_TRUE(doc.FindElement("mouse_key")) << name;
    doc.EnterElement();
    int keys = 0;
    while (doc.FindElement("key")) {
      ++keys;
      for (const char* attribute : {"name", "func_desc"}) {
        const std::string number = doc.GetAttribute(attribute);
        for (const char* language : {"1033", "2052"}) {
          const std::string file = kData + "language/" + language + ".lan";
          EXPECT_FALSE(platform::ReadIniString(file, "LAN", number).empty())
              << name << " " << attribute << " " << number << " in " << language;
        }
      }
    }
    EXPECT_GT(keys, 0) << name;
  }
}

TEST_F(ShippedCatalogueTest, EveryAttachmentOfEveryModelIsRecognised) {
  // Each model on its own, by cable and through its receiver: enumeration and the identity
  // pass find it under its own type.
  for (sim::Model model : sim::AllModels()) {
    for (sim::Attachment attachment : {sim::Attachment::kCable, sim::Attachment::kReceiver}) {
      sim::VirtualBus bus(clock_);
      DriverComm comm(bus, clock_);
      catalogue::Catalogue cat({toolkit_,
                                comm,
                                device_list_,
                                ProfileStore::Instance(),
                                [] { return 0; },
                                user_dir_,
                                {}});
      cat.LoadCatalogue();
      bus.AddMouse(model, attachment);
      comm.RebuildDeviceList();
      std::vector<DeviceEntry> entries;
      comm.SetSelectedType(0);
      ASSERT_TRUE(comm.CollectEntries(entries));
      const int type = sim::Traits(model).device_type;
      bool found = false;
      for (const DeviceEntry& entry : entries) {
        if (entry.device_type == type && entry.online == 1) found = true;
      }
      EXPECT_TRUE(found) << sim::Traits(model).name << " attachment "
                         << static_cast<int>(attachment);
    }
  }
}

// The udev rule built from config.xml grants exactly the catalogue's USB identities, one line
// each, in the form udev matches (lower-case four-digit hex), and nothing else.
TEST_F(ShippedCatalogueTest, GeneratedUdevRuleHoldsEveryIdOfTheCatalogueAndNothingElse) {
  cat_.LoadCatalogue();
  std::set<std::pair<uint32_t, uint32_t>> catalogue_ids;
  for (const catalogue::CatalogueMode& mode : cat_.Modes()) {
    catalogue_ids.emplace(mode.vid, mode.pid);
  }
  ASSERT_EQ(catalogue_ids.size(), 5u);  // the receiver is shared by two models

  std::ifstream rule(MOUSE_UDEV_RULE_PATH);
  ASSERT_TRUE(rule) << MOUSE_UDEV_RULE_PATH;
  const std::regex line_form(
      "SUBSYSTEM==\"hidraw\", ATTRS\\{idVendor\\}==\"([0-9a-f]{4})\", "
      "ATTRS\\{idProduct\\}==\"([0-9a-f]{4})\", TAG\\+=\"uaccess\"");
  std::set<std::pair<uint32_t, uint32_t>> rule_ids;
  int rule_lines = 0;
  for (std::string line; std::getline(rule, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, line_form)) << line;
    rule_ids.emplace(std::stoul(m[1], nullptr, 16), std::stoul(m[2], nullptr, 16));
    ++rule_lines;
  }
  EXPECT_EQ(rule_ids, catalogue_ids);
  EXPECT_EQ(rule_lines, static_cast<int>(catalogue_ids.size())) << "an id listed twice";
  // The software centre's hardware match is generated from the same ids.
  std::ifstream metainfo(MOUSE_METAINFO_PATH);
  ASSERT_TRUE(metainfo) << MOUSE_METAINFO_PATH;
  const std::string text{std::istreambuf_iterator<char>(metainfo), {}};
  const std::regex modalias("<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\\*</modalias>");
  std::set<std::pair<uint32_t, uint32_t>> metainfo_ids;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), modalias);
       it != std::sregex_iterator(); ++it) {
    metainfo_ids.emplace(std::stoul((*it)[1], nullptr, 16), std::stoul((*it)[2], nullptr, 16));
  }
  EXPECT_EQ(metainfo_ids, catalogue_ids);
}

// Every text the refused-mouse messages use is in both shipped languages, with the model's
// place in each hint.
TEST_F(ShippedCatalogueTest, RefusalTextsShipInBothLanguages) {
  for (const char* language : {"1033", "2052"}) {
    const std::string file = kData + "language/" + language + ".lan";
    for (int number : {2101, 2103, 2105}) {
      EXPECT_FALSE(platform::ReadIniString(file, "LAN", std::to_string(number)).empty())
          << language << " " << number;
    }
    for (int number : {2102, 2104, 2106}) {
      EXPECT_NE(platform::ReadIniString(file, "LAN", std::to_string(number)).find("%1"),
                std::string::npos)
          << language << " " << number;
    }
    EXPECT_NE(platform::ReadIniString(file, "LAN", "2106").find("%2"), std::string::npos);
  }
}

}  // namespace
