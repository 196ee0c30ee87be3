// Unpacking packages: plain entries land in the folder; any entry that could write outside it
// refuses the whole package, with nothing written anywhere.
#include "update/safe_unzip.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "app/app_fixture.h"
#include "support/temp_dir.h"
#include "update/zip_builder.h"

namespace update {
namespace {

namespace fs = std::filesystem;
using update_test::WriteZip;
using update_test::ZipEntry;

size_t CountFiles(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::recursive_directory_iterator(folder)) ++n;
  return n;
}

TEST(SafeUnzip, EntryNames) {
  struct Case {
    const char* name;
    bool safe;
  };
  for (const Case& c :
       {Case{"setup", true}, Case{"dir/sub/file.txt", true}, Case{"dir/", true},
        Case{"a.b-c_d", true}, Case{"../x", false}, Case{"a/../../x", false}, Case{"a/..", false},
        Case{"/tmp/x", false}, Case{"a\\..\\..\\x", false}, Case{"C:/x", false}, Case{"c:x", false},
        Case{"a//b", false}, Case{"./x", false}, Case{"", false}}) {
    EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;
  }
}

TEST(SafeUnzip, PlainEntriesLandInTheFolderWithTheirBytes) {
  test_support::TempDir dir;
  const std::string zip = dir.path() + "p.zip";
  const std::string out = dir.path() + "out/";
  fs::create_directories(out);
  ASSERT_TRUE(WriteZip(zip, {{"setup", "#!/bin/sh\necho hi\n", S_IFREG | 0755},
                             {"doc/", ""},
                             {"doc/readme.txt", "hello"}}));
  std::vector<std::string> names;
  EXPECT_EQ(Unpack(zip, out, uint64_t{1} << 20, &names), UnpackResult::kOk);
  EXPECT_EQ(names, (std::vector<std::string>{"setup", "doc/", "doc/readme.txt"}));
  EXPECT_EQ(app_test::ReadFile(out + "setup"), "#!/bin/sh\necho hi\n");
  EXPECT_EQ(app_test::ReadFile(out + "doc/readme.txt"), "hello");
  EXPECT_EQ(fs::status(out + "setup").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
}

class UnsafePackageTest : public ::testing::TestWithParam<ZipEntry> {};

TEST_P(UnsafePackageTest, RefusesTheWholePackageAndWritesNothingAnywhere) {
  test_support::TempDir dir;
  // A unique name, so "/tmp/<name>" shows whether the absolute entry escaped.
  const std::string unique = fs::path(dir.path()).parent_path().filename().string() + "-x";
  ZipEntry bad = GetParam();
  const size_t at = bad.name.find('x');
  if (bad.name.back() == 'x' && at != std::string::npos) {
    bad.name = bad.name.substr(0, bad.name.size() - 1) + unique;
  }
  const std::string zip = dir.path() + "p.zip";
  const std::string out = dir.path() + "a/b/out/";
  fs::create_directories(out);
  // A plain entry first: it must not be written either.
  ASSERT_TRUE(WriteZip(zip, {{"good.txt", "fine"}, bad}));
  EXPECT_EQ(Unpack(zip, out), UnpackResult::kUnsafeEntry);
  EXPECT_EQ(CountFiles(out), 0u);
  EXPECT_FALSE(fs::exists(dir.path() + "a/b/" + unique));
  EXPECT_FALSE(fs::exists(dir.path() + "a/" + unique));
  EXPECT_FALSE(fs::exists("/tmp/" + unique));
  EXPECT_FALSE(fs::exists(dir.path() + unique));
}

INSTANTIATE_TEST_SUITE_P(Entries, UnsafePackageTest,
                         ::testing::Values(ZipEntry{"../x", "escaped"},
                                           ZipEntry{"/tmp/x", "escaped"},
                                           ZipEntry{"a\\..\\..\\x", "escaped"},
                                           ZipEntry{"C:/x", "escaped"},
                                           ZipEntry{"link", "/etc", S_IFLNK | 0777}));

TEST(SafeUnzip, NotAnArchive) {
  test_support::TempDir dir;
  app_test::WriteFile(dir.path() + "p.zip", "PK but not really");
  EXPECT_EQ(Unpack(dir.path() + "p.zip", dir.path()), UnpackResult::kCannotOpen);
  EXPECT_EQ(Unpack(dir.path() + "missing.zip", dir.path()), UnpackResult::kCannotOpen);
}

TEST(SafeUnzip, MoreThanTheLimitKeepsNothing) {
  test_support::TempDir dir;
  const std::string zip = dir.path() + "p.zip";
  const std::string out = dir.path() + "out/";
  fs::create_directories(out);
  ASSERT_TRUE(WriteZip(zip, {{"one", std::string(600, 'a')}, {"two", std::string(600, 'b')}}));
  EXPECT_EQ(Unpack(zip, out, 1000), UnpackResult::kTooLarge);
  EXPECT_EQ(CountFiles(out), 0u);
}

}  // namespace
}  // namespace update
