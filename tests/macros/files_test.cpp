// Macro files: the exported text, the round trip, and untrusted files that must change
// nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "macros/macro_files.h"
#include "macros/macro_fixture.h"

namespace {

using macrotest::Event;
using macrotest::MacroRig;
namespace m = macros;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

class MacroFiles : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(r.rig.ws.Dir()) / "export";
    fs::create_directories(folder);
  }
  int MacroCount() {
    std::vector<MacroRecord> list;
    return r.store().ListMacros(list);
  }
  void Import(const fs::path& p) {
    r.tk().QueueFileAnswer(p.string());
    r.rig.p().Notify(m::kImportMacro, 2);
  }
  MacroRig r;
  fs::path folder;
};

TEST_F(MacroFiles, ExportWritesTheFileOfTheSelectedMacro) {
  MacroRecord rec;
  rec.name = "Custom 3";
  rec.play_type = 0;
  rec.play_times = 4;
  rec.delay_type = 2;
  rec.delay_time = 15;
  const int id = r.store().AddMacro(rec);
  ASSERT_TRUE(m::SaveMacroEvents(r.store(), id,
                                 {Event(2, 65, "\u2193  A", 77), Event(1, 15, "<&\">", 78)}));
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  r.rig.p().Notify(m::kMacroList, 2);
  const uint64_t tick = r.rig.clock.TickCount();
  r.tk().QueueFileAnswer(folder.string());
  r.rig.p().Notify(m::kExportMacro, 2);

  const fs::path file = folder / ("T351 3-" + std::to_string(tick) + ".xml");
  ASSERT_TRUE(fs::exists(file));
  const std::string text = ReadAll(file);
  EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<macro>"));
  EXPECT_NE(text.find("<macroinfo macro_name=\"T351 3\" macro_type=\"0\" play_times=\"4\" "
                      "delay_type=\"2\" delay_time=\"15\""),
            std::string::npos);
  EXPECT_NE(text.find("<item desc=\"\u2193  A\" index=\"0\" type=\"2\" value=\"65\" "
                      "timestamp=\"77\""),
            std::string::npos);
  EXPECT_NE(text.find("desc=\"&lt;&amp;&quot;&gt;\" index=\"1\""), std::string::npos);

  // A second export a moment later is a second file.
  r.rig.clock.Advance(1);
  r.tk().QueueFileAnswer(folder.string());
  r.rig.p().Notify(m::kExportMacro, 2);
  EXPECT_TRUE(fs::exists(folder / ("T351 3-" + std::to_string(tick + 1) + ".xml")));
}

TEST_F(MacroFiles, EmptyMacroHasAnEmptyItemsElement) {
  MacroRecord rec;
  rec.name = "E";
  const std::string text = m::MacroFileText(rec, "E", {});
  EXPECT_NE(text.find("<macroitems"), std::string::npos);
  EXPECT_EQ(text.find("<item "), std::string::npos);
  const platform::Result<m::MacroFile> parsed = m::ParseMacroText(text);
  ASSERT_TRUE(parsed.ok()) << parsed.error().reason;
  EXPECT_TRUE(parsed.value().events.empty());
}

TEST_F(MacroFiles, ImportOfAnExportGivesAnEqualMacro) {
  MacroRecord rec;
  rec.name = "Loop";
  rec.play_type = 2;
  rec.play_times = 1;
  rec.delay_type = 0;
  const int id = r.store().AddMacro(rec);
  const std::vector<MacroEventRecord> events = {Event(12, 0x8385, "\u2190  5,\u2191  3", 5),
                                                Event(7, 255, "Scroll Down", 6),
                                                Event(99, -3, "odd", 7)};
  ASSERT_TRUE(m::SaveMacroEvents(r.store(), id, events));
  const platform::Result<fs::path> exported = m::ExportMacroFile(r.store(), id, "Loop", folder, 42);
  ASSERT_TRUE(exported.ok()) << exported.error().reason;
  const fs::path file = exported.value();

  Import(file);
  EXPECT_EQ(r.tk().GetItemText(m::kMacroList, r.tk().GetItemCount(m::kMacroList) - 1), "Loop");
  std::vector<MacroRecord> list;
  ASSERT_EQ(r.store().ListMacros(list), 2);
  const MacroRecord& copy = list[1];
  EXPECT_EQ(copy.name, "Loop");
  EXPECT_EQ(copy.play_type, 2);
  EXPECT_EQ(copy.play_times, 1);
  EXPECT_EQ(copy.delay_type, 0);
  std::vector<MacroEventRecord> got;
  ASSERT_EQ(r.store().ListMacroEvents(copy.macro_id, got), 3);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i].type, events[i].type);
    EXPECT_EQ(got[i].value, events[i].value);
    EXPECT_EQ(got[i].desc, events[i].desc);
    EXPECT_EQ(got[i].delay_time, events[i].delay_time);
    EXPECT_EQ(got[i].record_index, int(i));
  }
}

TEST_F(MacroFiles, ValuesAreStoredAsWrittenAndAMissingTimestampIsZero) {
  const fs::path file = folder / "hand.xml";
  WriteAll(file,
           "<?xml version=\"1.0\"?><macro><macroinfo macro_name=\"H\" macro_type=\"7\" "
           "play_times=\"x\" delay_type=\"-2\" delay_time=\"99999999999\"/><macroitems>"
           "<item desc=\"b\" index=\"5\" type=\"3\" value=\"66\"/>"
           "<item desc=\"a\" index=\"2\" type=\"2\" value=\"65\"/></macroitems></macro>");
  const platform::Result<MacroRecord> imported = m::ImportMacroFile(r.store(), file);
  ASSERT_TRUE(imported.ok()) << imported.error().reason;
  const int id = imported.value().macro_id;
  MacroRecord rec;
  ASSERT_TRUE(r.store().GetMacro(id, rec));
  EXPECT_EQ(rec.play_type, 7);
  EXPECT_EQ(rec.play_times, 0);
  EXPECT_EQ(rec.delay_type, -2);
  EXPECT_EQ(rec.delay_time, 2147483647);
  std::vector<MacroEventRecord> got;
  ASSERT_EQ(r.store().ListMacroEvents(id, got), 2);
  EXPECT_EQ(got[0].desc, "a");  // index decides the order
  EXPECT_EQ(got[0].record_index, 2);
  EXPECT_EQ(got[1].record_index, 5);
  EXPECT_EQ(got[0].delay_time, 0);
  EXPECT_EQ(got[1].delay_time, 0);
}

TEST_F(MacroFiles, UntrustedFilesChangeNothing) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<macro>";
  std::string many = "<macro><macroinfo macro_name=\"M\"/><macroitems>";
  for (int i = 0; i < 10000; ++i) many += "<item type=\"1\" value=\"5\"/>";
  many += "</macroitems></macro>";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"malformed.xml", "<macro><macroinfo macro_name=\"x\""},
      {"noroot.xml", "<other/>"},
      {"binary.xml", std::string("\xFF\xFE\x00<\x00m", 6)},
      {"deep.xml", deep},
      {"many.xml", many},
      {"huge.xml", "<macro>" + std::string(m::kMaxMacroFileBytes, ' ') + "</macro>"},
  };
  for (const auto& [name, text] : files) {
    WriteAll(folder / name, text);
    Import(folder / name);
    EXPECT_EQ(MacroCount(), 0) << name;
  }
  Import(folder / "missing.xml");
  EXPECT_EQ(MacroCount(), 0);
  EXPECT_EQ(r.tk().GetItemCount(m::kMacroList), 0);
  // Only the two refused for their size are reported.
  EXPECT_EQ(r.tk().Messages().size(), 2u);
}

TEST_F(MacroFiles, ARefusedFileSaysWhy) {
  std::string many = "<macro><macroitems>";
  for (int i = 0; i < 5001; ++i) many += "<item/>";
  many += "</macroitems></macro>";
  const std::string d = folder.string() + "/";
  struct Case {
    const char* file;
    std::string text;  // empty: not written
    m::ImportStatus status;
    std::string reason;
  } cases[] = {
      {"missing.xml", "", m::ImportStatus::kUnreadable,
       d + "missing.xml: No such file or directory"},
      {"open.xml", "<macro>\r\n<macroinfo macro_name=\"x\">\r\n</macro>",
       m::ImportStatus::kUnreadable, d + "open.xml: line 2: an element is not ended"},
      {"other.xml", "<other/>", m::ImportStatus::kUnreadable,
       d + "other.xml: the root element is not <macro>"},
      {"many.xml", many, m::ImportStatus::kTooLarge, d + "many.xml: more than 5000 events"},
  };
  for (const Case& c : cases) {
    if (!c.text.empty()) WriteAll(folder / c.file, c.text);
    const platform::Result<m::MacroFile> read = m::ReadMacroFile(folder / c.file);
    ASSERT_FALSE(read.ok()) << c.file;
    EXPECT_EQ(m::StatusOf(read.error()), c.status) << c.file;
    EXPECT_EQ(read.error().reason, c.reason);
  }
  const platform::Result<m::MacroFile> text = m::ParseMacroText("<macro>\n<a></b>");
  ASSERT_FALSE(text.ok());
  EXPECT_EQ(text.error().reason, "line 2: an end tag has no matching start tag");
}

TEST(DecimalValue, ReadsLikeTheFilesNumbers) {
  const std::vector<std::pair<std::string, int>> cases = {{"12", 12},
                                                          {" -7", -7},
                                                          {"+3", 3},
                                                          {"12abc", 12},
                                                          {"abc", 0},
                                                          {"", 0},
                                                          {"-", 0},
                                                          {"99999999999", 2147483647},
                                                          {"-99999999999", -2147483647 - 1}};
  for (const auto& [text, value] : cases) EXPECT_EQ(m::DecimalValue(text), value) << text;
}

}  // namespace
