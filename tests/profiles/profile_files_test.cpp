// Profile files: the exported bytes, export then import on every model, the import's reading
// rules, and that a refused or failing import changes nothing and says which file and why.
#include "profiles/profile_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "lighting/lighting_fixture.h"

namespace {

using lighting_test::Dump;
using lighting_test::LightRig;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Lines joined with CR LF, as the writer ends them.
std::string Crlf(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* l : lines) out += std::string(l) + "\r\n";
  return out;
}

class ProfileFiles : public ::testing::Test {
 protected:
  std::string Path(const char* name) { return rig.ws.Dir() + name; }
  // A file written by the test, imported through the import button.
  void ImportText(const std::string& text) {
    WriteAll(Path("in.xml"), text);
    rig.p().tk.QueueFileAnswer(Path("in.xml"));
    rig.p().Notify(ui::frame::kImport, 2);
  }
  std::string Get(const char* key) { return rig.p().Get(key); }
  int KeyRows() {
    std::vector<KeyAssignmentRecord> rows;
    return rig.p().store().ListKeyAssignments(rig.p().profile, rows);
  }
  void AddKey(int key_code, int type, int value, int value2, int value3, const char* desc) {
    KeyAssignmentRecord k;
    k.profile = rig.p().profile;
    k.key_code = key_code;
    k.macro_type = type;
    k.macro_value = value;
    k.macro_value2 = value2;
    k.macro_value3 = value3;
    k.macro_desc = desc;
    ASSERT_NE(rig.p().store().SaveKeyAssignment(k), 0);
  }

  LightRig rig;
};

TEST_F(ProfileFiles, ExportWritesTheTreeLineByLine) {
  AddKey(3, 2, 4, 1, 0, "Ctrl+A & <x>");
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(2);
  rig.p().tk.QueueFileAnswer(Path("out.xml"));
  rig.p().Notify(ui::frame::kExport, 2);

  const char* light_item =
      "<item light_mode=\"%d\" brightness=\"255\" speed=\"127\" direction=\"0\" colorful=\"1\" "
      "colorindex=\"0\" color_value=\"255\"/>";
  std::string lights;
  for (int m = 0; m < 7; ++m) {
    char line[200];
    std::snprintf(line, sizeof line, light_item, m);
    lights += std::string(line) + "\r\n";
  }
  const std::string expected =
      Crlf({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<profile>",
            "<profileinfo name=\"T60 1\">", "<keyitems>",
            "<item key_code=\"3\" macro_type=\"2\" macro_value=\"4\" macro_value2=\"1\" "
            "macro_value3=\"0\" macro_desc=\"Ctrl+A &amp; &lt;x&gt;\"/>",
            "</keyitems>", "<Lightitems lightmode=\"2\">"}) +
      lights +
      Crlf({"</Lightitems>",
            "<Mouse_DPI dpi_flag=\"6\" dpi_index=\"2\" dpi_count=\"6\">",
            "<DPI1 value=\"400\" color=\"255\"/>",
            "<DPI2 value=\"800\" color=\"65280\"/>",
            "<DPI3 value=\"1600\" color=\"16711680\"/>",
            "<DPI4 value=\"3200\" color=\"16776960\"/>",
            "<DPI5 value=\"6400\" color=\"65535\"/>",
            "<DPI6 value=\"26000\" color=\"16711935\"/>",
            "</Mouse_DPI>",
            "<Mouse>",
            "<button_respondtime value=\"8\"/>",
            "<report_rate value=\"0\"/>",
            "<report_rate_wireless value=\"1\"/>",
            "<sensor_flag value=\"16\"/>",
            "<liftoff_height value=\"1\"/>",
            "<scroll_flag value=\"1\"/>",
            "<e-sports_flag value=\"1\"/>",
            "<leftbtn_lock value=\"1\"/>",
            "<sleep_light value=\"2\"/>",
            "</Mouse>",
            "<mouse_properties>",
            "<mouse_speed value=\"10\"/>",
            "<mouse_sensitivity value=\"1\"/>",
            "<wheel_scrollflag value=\"0\"/>",
            "<wheel_scrolllines value=\"3\"/>",
            "<doubleclick_time value=\"550\"/>",
            "</mouse_properties>",
            "</profileinfo>",
            "</profile>"});
  EXPECT_EQ(ReadAll(Path("out.xml")), expected);
  EXPECT_TRUE(rig.p().tk.Messages().empty());
}

TEST_F(ProfileFiles, ExportWithoutLightingOrButtonsAndWithAMissingSetting) {
  LightRig plain(sim::Model::kK9Air);
  ProfileStore& store = plain.p().store();
  {
    auto lock = store.Lock();
    ASSERT_TRUE(store.Db().Execute("DELETE FROM t_configdata WHERE key = 'dpi_index'").ok());
  }
  const std::string text = profiles::BuildProfileDocument(store, 1, "P", false);
  EXPECT_NE(text.find("\r\n<profileinfo name=\"P\">\r\n<keyitems/>\r\n<Mouse_DPI dpi_flag=\"6\" "
                      "dpi_index=\"\" dpi_count=\"6\">\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Lightitems"), std::string::npos);
}

// Export, change everything, import: what the file carries comes back.
TEST(ProfileFilesRoundTrip, EveryModelKeepsButtonsLightingAndSettings) {
  for (sim::Model model : {sim::Model::kK7Mouse, sim::Model::kK7Pro, sim::Model::kK9Air}) {
    SCOPED_TRACE(static_cast<int>(model));
    LightRig rig(model);
    ProfileStore& store = rig.p().store();
    const int p = rig.p().profile;
    KeyAssignmentRecord k;
    k.profile = p;
    k.key_code = 5;
    k.macro_type = 8;
    k.macro_value = 0x801;
    k.macro_value2 = 30;
    k.macro_value3 = 4;
    k.macro_desc = "火 \"fire\"";
    store.SaveKeyAssignment(k);
    k.key_code = 0;
    k.macro_type = 1;
    k.macro_value = 2;
    k.macro_value2 = k.macro_value3 = 0;
    k.macro_desc = "right";
    store.SaveKeyAssignment(k);
    store.AddLightMode({});  // a row of another profile must stay as it is
    rig.light.LoadLightingPage();
    rig.light.SelectLightMode(5);
    rig.light.SetColour(0x123456);
    rig.light.SetSpeed(3);
    for (const auto& [key, value] : {std::pair{"dpi_count", "4"},
                                     {"dpi_index", "3"},
                                     {"dpi_group2_value", "42000"},
                                     {"dpi_group5_rgb", "7"},
                                     {"report_rate", "6"},
                                     {"sleep_light", "120"},
                                     {"scroll_flag", "x"},
                                     {"doubleclick_time", "200"}}) {
      rig.p().Set(key, value);
    }
    const std::string before = Dump(false);
    const std::string file = rig.ws.Dir() + "p.xml";
    ASSERT_TRUE(profiles::ExportProfile(store, p, "x", rig.lit, file).ok());

    store.DeleteKeyAssignments(p);
    store.SetActiveLightMode(p, 0);
    for (int m = 0; m < 7; ++m) {
      LightModeRecord row;
      if (!store.GetLightMode(p, m, row)) continue;
      row.brightness = row.speed = row.direction = row.colorful = row.colorindex = 1;
      row.color_value = 1;
      store.UpdateLightMode(p, m, row);
    }
    for (const char* key : {"dpi_count", "dpi_group2_value", "report_rate", "scroll_flag",
                            "doubleclick_time", "mouse_speed"}) {
      rig.p().Set(key, "1");
    }
    const platform::Status r = profiles::ImportProfile(store, p, rig.lit, file);
    ASSERT_TRUE(r.ok()) << r.error().reason;
    if (rig.lit) {
      EXPECT_EQ(Dump(false), before);
    } else {
      // Without lighting there are no rows to carry; the rest comes back the same.
      EXPECT_EQ(store.CountLightModes(p), 0);
      EXPECT_EQ(Dump(false), before);
    }
  }
}

TEST_F(ProfileFiles, ImportQueuesTheProfileApplicationWithItsWaitDialog) {
  ImportText(Crlf({"<profile>", "<profileinfo name=\"n\">",
                   "<Mouse_DPI dpi_flag=\"3\" dpi_index=\"1\" dpi_count=\"3\"/>", "</profileinfo>",
                   "</profile>"}));
  EXPECT_TRUE(rig.p().tk.Messages().empty());
  EXPECT_EQ(rig.p().TakeTasks(), std::vector<int>{7});
  EXPECT_EQ(rig.p().tk.ModalBegins(ui::ModalKind::kWait), 1);
  EXPECT_EQ(Get("dpi_count"), "3");
  EXPECT_EQ(Get("dpi_index"), "1");
}

TEST_F(ProfileFiles, EmptyOrMissingKeyItemsClearTheButtons) {
  const std::string files[] = {
      Crlf(
          {"<profile>", "<profileinfo name=\"n\">", "<keyitems/>", "</profileinfo>", "</profile>"}),
      Crlf({"<profile>", "<profileinfo name=\"n\">", "</profileinfo>", "</profile>"}),
      // Without profileinfo the sections stand right under the root.
      Crlf({"<profile>", "<keyitems>", "<item key_code=\"2\" macro_value=\"0\"/>", "</keyitems>",
            "</profile>"}),
  };
  for (const std::string& text : files) {
    AddKey(1, 1, 3, 0, 0, "m");
    AddKey(4, 3, 2, 0, 0, "v");
    ImportText(text);
    EXPECT_EQ(KeyRows(), 0) << text;
  }
}

TEST_F(ProfileFiles, KeyItemsReplaceTheButtonsWithMissingAttributesAsZero) {
  AddKey(1, 1, 3, 0, 0, "m");
  ImportText(Crlf({"<profile>", "<profileinfo>", "<keyitems>",
                   "<item key_code=\"6\" macro_type=\"2\" macro_value=\"4\" macro_value2=\"x\" "
                   "macro_desc=\"A &amp; B\"/>",
                   "<item key_code=\"7\" macro_type=\"1\" macro_value=\"0\" macro_value2=\"0\"/>",
                   "</keyitems>", "</profileinfo>", "</profile>"}));
  std::vector<KeyAssignmentRecord> rows;
  ASSERT_EQ(rig.p().store().ListKeyAssignments(rig.p().profile, rows), 1);
  EXPECT_EQ(rows[0].key_code, 6);
  EXPECT_EQ(rows[0].macro_type, 2);
  EXPECT_EQ(rows[0].macro_value, 4);
  EXPECT_EQ(rows[0].macro_value2, 0);
  EXPECT_EQ(rows[0].macro_value3, 0);
  EXPECT_EQ(rows[0].macro_desc, "A & B");
  EXPECT_EQ(rows[0].layout_value, 0);
  EXPECT_EQ(rows[0].layout_desc, "");
}

TEST_F(ProfileFiles, LightItemsOnlyOnModelsWithLightingAndOnlyForExistingModes) {
  rig.light.LoadLightingPage();
  {
    auto lock = rig.p().store().Lock();
    ASSERT_TRUE(rig.p().store().Db().Execute("DELETE FROM t_light_data WHERE mode = 6").ok());
  }
  const std::string file =
      Crlf({"<profile>", "<profileinfo>", "<Lightitems lightmode=\"4\">",
            "<item light_mode=\"4\" brightness=\"9\" speed=\"8\" direction=\"1\" colorful=\"0\" "
            "colorindex=\"2\" color_value=\"66051\"/>",
            "<item light_mode=\"6\" brightness=\"1\"/>", "<item light_mode=\"1\"/>",
            "</Lightitems>", "</profileinfo>", "</profile>"});
  rig.lit = false;
  const std::string before = Dump();
  ImportText(file);
  EXPECT_EQ(Dump(), before);

  rig.lit = true;
  ImportText(file);
  EXPECT_EQ(rig.Active(), 4);
  const LightModeRecord r = rig.Row(4);
  EXPECT_EQ(r.brightness, 9);
  EXPECT_EQ(r.speed, 8);
  EXPECT_EQ(r.direction, 1);
  EXPECT_EQ(r.colorful, 0);
  EXPECT_EQ(r.colorindex, 2);
  EXPECT_EQ(r.color_value, 66051);
  EXPECT_EQ(r.config_func, 0x03);       // not carried
  EXPECT_EQ(rig.Row(1).brightness, 0);  // missing attributes give 0
  EXPECT_EQ(rig.p().store().CountLightModes(rig.p().profile), 6);
}

TEST_F(ProfileFiles, SectionsAreReadInOrderAndAnEarlierOneIsSkipped) {
  ImportText(
      Crlf({"<profile>", "<profileinfo>", "<Mouse>", "<report_rate value=\"3\"/>", "</Mouse>",
            "<Mouse_DPI dpi_flag=\"5\" dpi_index=\"4\">", "<DPI2 value=\"900\"/>",
            "<DPI1 value=\"100\"/>", "</Mouse_DPI>", "<mouse_properties>",
            "<wheel_scrolllines value=\"7\"/>", "<mouse_speed value=\"4\"/>", "</mouse_properties>",
            "</profileinfo>", "</profile>"}));
  EXPECT_EQ(Get("report_rate"), "0");  // Mouse stood before Mouse_DPI: not read
  EXPECT_EQ(Get("dpi_flag"), "5");
  EXPECT_EQ(Get("dpi_index"), "4");
  EXPECT_EQ(Get("dpi_count"), "");  // a missing attribute is stored as an empty text
  // DPI1 is found after DPI2, so DPI2 is passed; a missing colour is stored empty.
  EXPECT_EQ(Get("dpi_group0_value"), "100");
  EXPECT_EQ(Get("dpi_group0_rgb"), "");
  EXPECT_EQ(Get("dpi_group1_value"), "800");
  // The same within a section: mouse_speed comes first in the reading order.
  EXPECT_EQ(Get("mouse_speed"), "4");
  EXPECT_EQ(Get("wheel_scrolllines"), "3");
  EXPECT_EQ(rig.p().TakeTasks(), std::vector<int>{7});
}

// The edges of the ranges are taken, and so is the active level a read stores for a mouse
// without one.
TEST_F(ProfileFiles, ValuesAtTheEdgesOfTheirRangesAreStored) {
  ImportText(Crlf({"<profile>", "<Mouse_DPI dpi_flag=\"7\" dpi_index=\"255\" dpi_count=\"1\">",
                   "<DPI1 value=\"50\" color=\"16777215\"/>", "<DPI2 value=\"42000\" color=\"0\"/>",
                   "</Mouse_DPI>", "<Mouse>", "<button_respondtime value=\"20\"/>",
                   "<report_rate value=\"6\"/>", "<sleep_light value=\"120\"/>", "</Mouse>",
                   "</profile>"}));
  EXPECT_TRUE(rig.p().tk.Messages().empty());
  EXPECT_EQ(Get("dpi_index"), "255");
  EXPECT_EQ(Get("dpi_count"), "1");
  EXPECT_EQ(Get("dpi_group0_value"), "50");
  EXPECT_EQ(Get("dpi_group0_rgb"), "16777215");
  EXPECT_EQ(Get("dpi_group1_value"), "42000");
  EXPECT_EQ(Get("button_respondtime"), "20");
  EXPECT_EQ(Get("report_rate"), "6");
  EXPECT_EQ(Get("sleep_light"), "120");
}

// Files refused before anything is stored: the database stays as it was, the person is told
// which file and why, and the mouse is not written.
TEST_F(ProfileFiles, RefusedFilesChangeNothingAndSaySo) {
  struct Case {
    const char* what;
    std::string text;
    int reason_text;
  };
  const auto in_info = [](std::initializer_list<const char*> lines) {
    std::string out = "<profile>\r\n<profileinfo>\r\n";
    for (const char* l : lines) out += std::string(l) + "\r\n";
    return out + "</profileinfo>\r\n</profile>\r\n";
  };
  const Case cases[] = {
      {"other root", Crlf({"<profiles>", "<keyitems/>", "</profiles>"}), 2008},
      {"not well formed", "<profile><keyitems></profile>", 2007},
      {"binary", std::string("\x00\xff\xfe<\x01\x02", 6), 2007},
      {"empty", "", 2007},
      {"level count", in_info({"<Mouse_DPI dpi_flag=\"6\" dpi_index=\"2\" dpi_count=\"9\"/>"}),
       2009},
      {"dpi", in_info({"<Mouse_DPI>", "<DPI1 value=\"60000\" color=\"0\"/>", "</Mouse_DPI>"}),
       2009},
      {"dpi text", in_info({"<Mouse_DPI>", "<DPI3 value=\"400x\"/>", "</Mouse_DPI>"}), 2009},
      {"report rate", in_info({"<Mouse>", "<report_rate value=\"7\"/>", "</Mouse>"}), 2009},
      {"sleep", in_info({"<Mouse>", "<sleep_light value=\"3\"/>", "</Mouse>"}), 2009},
      {"colour",
       in_info({"<Mouse_DPI>", "<DPI1 value=\"400\" color=\"16777216\"/>", "</Mouse_DPI>"}), 2009},
      {"key type",
       in_info({"<keyitems>",
                "<item key_code=\"1\" macro_type=\"12\" "
                "macro_value=\"1\"/>",
                "</keyitems>"}),
       2009},
      {"key code",
       in_info({"<keyitems>",
                "<item key_code=\"8\" macro_type=\"1\" "
                "macro_value=\"1\"/>",
                "</keyitems>"}),
       2009},
      {"brightness",
       in_info({"<Lightitems lightmode=\"1\">", "<item light_mode=\"1\" brightness=\"256\"/>",
                "</Lightitems>"}),
       2009},
      {"light mode", in_info({"<Lightitems lightmode=\"7\"/>"}), 2009},
  };
  rig.light.LoadLightingPage();
  AddKey(2, 1, 3, 0, 0, "kept");
  const std::string before = Dump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t shown = rig.p().tk.Messages().size();
    ImportText(c.text);
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(rig.p().TakeTasks().empty());
    EXPECT_EQ(rig.p().tk.ModalBegins(ui::ModalKind::kWait), 0);
    const auto messages = rig.p().tk.Messages();
    ASSERT_EQ(messages.size(), shown + 1);
    // The test language's texts have no placeholders: the message names only the text.
    EXPECT_EQ(messages.back().message, "T2004");
    EXPECT_EQ(messages.back().title, "T2001");
    const platform::Status r =
        profiles::ImportProfile(rig.p().store(), rig.p().profile, true, Path("in.xml"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().reason.substr(0, 5), "T" + std::to_string(c.reason_text));
  }
}

TEST_F(ProfileFiles, FailureMessagesNameTheFileAndTheReason) {
  rig.ws.WriteFile("language/2052.lan",
                   "[LAN]\n2001=Import\n2002=Export\n2003=Not saved to %s: %s\n"
                   "2004=Not read from %s: %s\n2005=cannot write\n2008=not a profile\n"
                   "2009=%s is \"%s\"\n2012=no file\n");
  rig.ws.WriteFile("language/1033.lan", ReadAll(rig.ws.Dir() + "language/2052.lan"));
  ImportText("<mouse/>");
  rig.p().tk.QueueFileAnswer(Path("missing.xml"));
  rig.p().Notify(ui::frame::kImport, 2);
  ImportText("<profile><Mouse><report_rate value=\"77\"/></Mouse></profile>");
  rig.p().tk.QueueFileAnswer(Path("no/such/folder/out.xml"));
  rig.p().Notify(ui::frame::kExport, 2);
  const auto m = rig.p().tk.Messages();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].message, "Not read from " + Path("in.xml") + ": not a profile");
  EXPECT_EQ(m[1].message, "Not read from " + Path("missing.xml") + ": no file");
  EXPECT_EQ(m[2].message, "Not read from " + Path("in.xml") + ": report_rate is \"77\"");
  EXPECT_EQ(m[3].message, "Not saved to " + Path("no/such/folder/out.xml") + ": cannot write");
  EXPECT_EQ(m[3].title, "Export");
  EXPECT_EQ(m[3].style, ui::kStyleOk);
}

TEST_F(ProfileFiles, CancelledDialogsDoNothing) {
  const std::string before = Dump();
  rig.p().tk.QueueFileAnswer("");
  rig.p().Notify(ui::frame::kImport, 2);
  rig.p().tk.QueueFileAnswer("");
  rig.p().Notify(ui::frame::kExport, 2);
  EXPECT_EQ(Dump(), before);
  EXPECT_TRUE(rig.p().tk.Messages().empty());
  EXPECT_TRUE(rig.p().TakeTasks().empty());
}

// A database that refuses a write part-way through the import: everything stored before it
// is taken back.
TEST_F(ProfileFiles, AnImportThatFailsHalfWayLeavesTheDatabaseAsItWas) {
  rig.light.LoadLightingPage();
  AddKey(2, 1, 3, 0, 0, "kept");
  ProfileStore& store = rig.p().store();
  {
    auto lock = store.Lock();
    ASSERT_TRUE(store.Db()
                    .Execute("CREATE TRIGGER refuse BEFORE UPDATE ON t_configdata WHEN NEW.key = "
                             "'doubleclick_time' BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .ok());
  }
  const std::string before = Dump();
  ImportText(
      Crlf({"<profile>", "<profileinfo>", "<keyitems>",
            "<item key_code=\"1\" macro_type=\"1\" macro_value=\"2\"/>", "</keyitems>",
            "<Lightitems lightmode=\"3\">", "<item light_mode=\"3\" speed=\"1\"/>", "</Lightitems>",
            "<Mouse_DPI dpi_flag=\"2\" dpi_index=\"1\" dpi_count=\"2\"/>", "<mouse_properties>",
            "<mouse_speed value=\"3\"/>", "<doubleclick_time value=\"300\"/>",
            "</mouse_properties>", "</profileinfo>", "</profile>"}));
  EXPECT_EQ(Dump(), before);
  EXPECT_TRUE(rig.p().TakeTasks().empty());
  ASSERT_EQ(rig.p().tk.Messages().size(), 1u);
  EXPECT_EQ(rig.p().tk.Messages()[0].message, "T2004");
  // The store works on afterwards: the transaction is over.
  EXPECT_TRUE(store.WriteSetting(rig.p().profile, "mouse_speed", "5"));
  EXPECT_EQ(Get("mouse_speed"), "5");
}

// Hostile files are refused or read, never more.
TEST_F(ProfileFiles, HostileFilesAreRefusedOrReadWithoutHarm) {
  rig.light.LoadLightingPage();
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<profile>";
  std::string many = "<profile><keyitems>";
  for (int i = 0; i < 10000; ++i)
    many += "<item key_code=\"1\" macro_type=\"1\" macro_value=\"1\"/>";
  many += "</keyitems></profile>";
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>((x = x * 1103515245 + 12345) >> 16);
  std::string big = "<profile>" + std::string(50u << 20, ' ') + "</profile>";
  const std::string before = Dump();
  for (const std::string* text : {&deep, &many, &junk, &big}) {
    ImportText(*text);
    EXPECT_EQ(Dump(), before);
  }
  EXPECT_EQ(rig.p().tk.Messages().size(), 4u);
}

TEST_F(ProfileFiles, TheMessageSaysWhereTheFileIsBrokenAndWhatTheSystemSaid) {
  rig.ws.WriteFile("language/2052.lan",
                   "[LAN]\n2003=Not saved to %s: %s\n2004=Not read from %s: %s\n"
                   "2005=cannot write\n2007=not XML\n2701=%s at line %s\n2702=%s [%s]\n");
  rig.ws.WriteFile("language/1033.lan", ReadAll(rig.ws.Dir() + "language/2052.lan"));
  ImportText("<profile>\r\n<keyitems>\r\n</profile>\r\n");
  ImportText("<profile/>\n<profile/>");
  rig.p().tk.QueueFileAnswer(Path("no/such/folder/out.xml"));
  rig.p().Notify(ui::frame::kExport, 2);
  const auto m = rig.p().tk.Messages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].message, "Not read from " + Path("in.xml") + ": not XML at line 2");
  EXPECT_EQ(m[1].message, "Not read from " + Path("in.xml") + ": not XML at line 2");
  EXPECT_EQ(m[2].message, "Not saved to " + Path("no/such/folder/out.xml") +
                              ": cannot write [No such file or directory]");
}

}  // namespace
