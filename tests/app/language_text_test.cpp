#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app_fixture.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace {

// The language files beside a program of its own: English as UTF-16 LE with BOM and CR LF,
// Chinese as UTF-8 with BOM.
class LanguageTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string english = "[LAN]\r\n25=OK\r\n60 = \"Profile\"\r\n[KB.DIALOG]\r\n2=Frame delay\r\n";
    std::string long_text;
    for (int i = 0; i < 300; ++i) long_text += "字";
    const std::u16string units = platform::Utf8ToUtf16(english + "[LAN]\r\n99=" + long_text);
    std::string utf16 = "\xFF\xFE";
    for (char16_t u : units) {
      utf16.push_back(static_cast<char>(u & 0xFF));
      utf16.push_back(static_cast<char>(u >> 8));
    }
    app_test::WriteFile(dir_.path() + "language/1033.lan", utf16);
    app_test::WriteFile(dir_.path() + "language/2052.lan", "\xEF\xBB\xBF[LAN]\n25=确定\n");
    platform::SetProgramDir(dir_.path());
  }
  void TearDown() override {
    platform::SetProgramDir(saved_dir_);
    platform::SetLanguageId(saved_id_);
  }

  app_test::TempDir dir_;
  std::string saved_dir_ = platform::ProgramDir();
  int saved_id_ = platform::LanguageId();
};

TEST_F(LanguageTextTest, LooksUpTheFileOfTheCurrentLanguage) {
  platform::SetLanguageId(1033);
  EXPECT_EQ(LanguageText(platform::TextId{25}), "OK");
  EXPECT_EQ(LanguageText(platform::TextId{60}), "Profile");
  EXPECT_EQ(LanguageText(platform::DialogTextId{2}), "Frame delay");
  EXPECT_EQ(LanguageText(platform::TextId{2}), "");   // other section
  EXPECT_EQ(LanguageText(platform::TextId{26}), "");  // no such key
  platform::SetLanguageId(2052);                      // read anew, nothing cached
  EXPECT_EQ(LanguageText(platform::TextId{25}), "确定");
  platform::SetLanguageId(1031);  // no file: empty texts, no fallback
  EXPECT_EQ(LanguageText(platform::TextId{25}), "");
}

TEST_F(LanguageTextTest, LongTextIsCutAt259Characters) {
  platform::SetLanguageId(1033);
  const std::string text = LanguageText(platform::TextId{99});
  EXPECT_EQ(platform::Utf8Length(text), 259u);
  EXPECT_EQ(text.size(), 259u * 3);
}

TEST_F(LanguageTextTest, AnEditedFileTakesEffectAtTheNextLookup) {
  platform::SetLanguageId(2052);
  ASSERT_EQ(LanguageText(platform::TextId{25}), "确定");
  // Same size, other text: the file's time tells the change.
  app_test::WriteFile(dir_.path() + "language/2052.lan", "\xEF\xBB\xBF[LAN]\n25=好的\n");
  std::filesystem::last_write_time(
      dir_.path() + "language/2052.lan",
      std::filesystem::last_write_time(dir_.path() + "language/2052.lan") +
          std::chrono::seconds(2));
  EXPECT_EQ(LanguageText(platform::TextId{25}), "好的");
  app_test::WriteFile(dir_.path() + "language/2052.lan", "[LAN]\n25=OK then\n");
  EXPECT_EQ(LanguageText(platform::TextId{25}), "OK then");
}

TEST_F(LanguageTextTest, AFileOverTheDataLimitIsRefused) {
  platform::SetLanguageId(2052);
  std::string huge = "[LAN]\n25=";
  huge.append(platform::kMaxDataFileBytes, 'x');
  huge += "\n";
  app_test::WriteFile(dir_.path() + "language/2052.lan", huge);
  EXPECT_EQ(LanguageText(platform::TextId{25}), "");
  // Back to a sane size, it is read again.
  app_test::WriteFile(dir_.path() + "language/2052.lan", "[LAN]\n25=OK\n");
  EXPECT_EQ(LanguageText(platform::TextId{25}), "OK");
}

}  // namespace
