#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "support/temp_dir.h"

namespace {

TEST(IniFileTest, LoadSaysWhyAFileCannotBeRead) {
  test_support::TempDir dir;
  const std::string missing = dir.path() + "none.ini";
  const platform::Result<platform::IniFile> none = platform::IniFile::Load(missing);
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.error().code, ENOENT);
  EXPECT_EQ(none.error().reason, missing + ": No such file or directory");
  // The readers keep their plain answers.
  EXPECT_EQ(platform::ReadIniString(missing, "DELAY", "TIME"), "");
  EXPECT_EQ(platform::ReadIniInt(missing, "DELAY", "TIME", 7), 7);

  const std::string good = dir.path() + "config.ini";
  std::ofstream(good, std::ios::binary) << "\xEF\xBB\xBF[Delay]\r\ntime = 40\r\n";
  const platform::Result<platform::IniFile> loaded = platform::IniFile::Load(good);
  ASSERT_TRUE(loaded.ok()) << loaded.error().reason;
  EXPECT_EQ(loaded.value().Get("DELAY", "TIME").value_or("?"), "40");
}

}  // namespace
