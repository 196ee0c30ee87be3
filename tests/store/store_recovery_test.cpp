// A profile database that cannot be used is never taken for an empty one: damaged files are
// kept aside and replaced, locked or read-only ones are reported, and a creation cut short
// leaves no half database behind.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "store/profile_store.h"
#include "store_fixture.h"

namespace store_test {
namespace {

namespace fs = std::filesystem;
using Outcome = StoreOpenReport::Outcome;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The files in the "db" folder whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

int64_t ExpectedTablesIn(const std::string& file) {
  return QueryInt(file,
                  "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                  "('t_configdata', 't_profile_data', 't_key_macro_data', 't_key_otherdata', "
                  "'t_macro_data', 't_macrorecord', 't_light_data', 't_key_light_data', "
                  "'t_ledlayer_data', 't_ledframe_data')");
}

class StoreRecoveryTest : public StoreTest {
 protected:
  // A closed store over a complete database holding one macro.
  void MakeGoodFile() {
    ASSERT_NE(store().AddMacro("kept"), 0);
    ASSERT_TRUE(store().Close());
  }
};

struct BrokenCase {
  const char* name;
  // Spoils the (closed) K7 database.
  std::function<void(const std::string& file)> spoil;
};

const BrokenCase kBrokenCases[] = {
    {"ZeroLength", [](const std::string& f) { WriteBytes(f, ""); }},
    {"RandomBytes",
     [](const std::string& f) {
       std::string junk;
       for (int i = 0; i < 8192; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
       WriteBytes(f, junk);
     }},
    {"Truncated",
     [](const std::string& f) {
       // Enough rows that the tables run over many pages, then half the file cut away.
       ExecuteOn(f,
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                 "INSERT INTO t_macro_data(name) SELECT printf('macro %05d', i) FROM n");
       fs::resize_file(f, fs::file_size(f) / 2);
     }},
    {"DroppedTable", [](const std::string& f) { ExecuteOn(f, "DROP TABLE t_key_light_data"); }},
    {"WrongColumns",
     [](const std::string& f) {
       ExecuteOn(f,
                 "DROP TABLE t_profile_data; CREATE TABLE t_profile_data(profile INTEGER, "
                 "title TEXT, status INTEGER, app TEXT, type INTEGER)");
     }},
    {"FolderInItsPlace",
     [](const std::string& f) {
       fs::remove(f);
       fs::create_directories(f + "/inside");
     }},
};

class BrokenStoreTest : public StoreRecoveryTest,
                        public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenStoreTest, IsKeptAsideAndReplacedByACompleteOne) {
  MakeGoodFile();
  const std::string file = DbFile();
  fs::remove(file + "-wal");
  fs::remove(file + "-shm");
  GetParam().spoil(file);
  const bool was_folder = fs::is_directory(file);
  const std::string spoiled = was_folder ? std::string() : ReadBytes(file);

  EXPECT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  const StoreOpenReport report = store().OpenReport();
  EXPECT_EQ(report.outcome, Outcome::kReplaced);
  EXPECT_FALSE(report.reason.empty());
  EXPECT_EQ(report.path, file);
  EXPECT_TRUE(store().Writable());

  // The old file sits beside the new one, renamed with a time stamp and unchanged.
  ASSERT_EQ(FilesStartingWith(dir_.path() + "db", "K7_data.db.broken-").size(), 1u);
  EXPECT_EQ(fs::path(report.kept_as).parent_path(), fs::path(file).parent_path());
  EXPECT_EQ(report.kept_as.rfind(file + ".broken-2", 0), 0u) << report.kept_as;
  if (was_folder) {
    EXPECT_TRUE(fs::is_directory(report.kept_as + "/inside"));
  } else {
    EXPECT_EQ(ReadBytes(report.kept_as), spoiled);
  }
  // The new file is complete and takes writes.
  EXPECT_EQ(ExpectedTablesIn(file), 10);
  EXPECT_NE(store().AddMacro("new"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM t_macro_data"), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenStoreTest, ::testing::ValuesIn(kBrokenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreRecoveryTest, AGoodFileIsOpenedAsItIs) {
  MakeGoodFile();
  EXPECT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  EXPECT_EQ(store().OpenReport().outcome, Outcome::kOpened);
  std::vector<MacroRecord> macros;
  ASSERT_EQ(store().ListMacros(macros), 1);
  EXPECT_EQ(macros[0].name, "kept");
  EXPECT_TRUE(FilesStartingWith(dir_.path() + "db", "K7_data.db.broken-").empty());
}

TEST_F(StoreRecoveryTest, TwoDamagedFilesInOneSecondAreBothKept) {
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(store().Close());
    WriteBytes(DbFile(), "not a database, round " + std::to_string(round));
    ASSERT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  }
  EXPECT_EQ(FilesStartingWith(dir_.path() + "db", "K7_data.db.broken-").size(), 2u);
}

TEST_F(StoreRecoveryTest, ADatabaseLockedByAnotherProcessIsReportedAndLeftAlone) {
  MakeGoodFile();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DbFile().c_str(), &other), SQLITE_OK);
  // The other side switches the file back to a rollback journal and holds it exclusively.
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  store().SetBusyTimeoutMs(0);

  EXPECT_FALSE(store().OpenForModel(dir_.path(), "K7"));
  const StoreOpenReport report = store().OpenReport();
  EXPECT_EQ(report.outcome, Outcome::kUnusable);
  EXPECT_NE(report.reason.find("locked"), std::string::npos) << report.reason;
  EXPECT_TRUE(report.kept_as.empty());
  EXPECT_TRUE(FilesStartingWith(dir_.path() + "db", "K7_data.db.broken-").empty());
  std::string value;
  EXPECT_FALSE(store().ReadSetting(1, "report_rate", value));

  // Once the other side lets go, the same file serves again.
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  store().SetBusyTimeoutMs(3000);
  EXPECT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  std::vector<MacroRecord> macros;
  EXPECT_EQ(store().ListMacros(macros), 1);
}

TEST_F(StoreRecoveryTest, AWriteLockHeldElsewhereMakesTheStoreReadOnlyAndSaysWhy) {
  ASSERT_TRUE(store().InsertDefaultSettings(1));
  ASSERT_TRUE(store().Close());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DbFile().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  store().SetBusyTimeoutMs(0);

  EXPECT_FALSE(store().OpenForModel(dir_.path(), "K7"));
  EXPECT_EQ(store().OpenReport().outcome, Outcome::kNotWritable);
  EXPECT_FALSE(store().Writable());
  std::string value;
  EXPECT_TRUE(store().ReadSetting(1, "report_rate", value));
  EXPECT_FALSE(store().WriteSetting(1, "report_rate", "1"));
  EXPECT_NE(store().LastError().find("locked"), std::string::npos) << store().LastError();

  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  store().SetBusyTimeoutMs(3000);
}

TEST_F(StoreRecoveryTest, AReadOnlyFileIsReportedAndNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  MakeGoodFile();
  fs::permissions(DbFile(), fs::perms::owner_read);
  EXPECT_FALSE(store().OpenForModel(dir_.path(), "K7"));
  EXPECT_EQ(store().OpenReport().outcome, Outcome::kNotWritable);
  EXPECT_FALSE(store().Writable());
  EXPECT_EQ(store().AddMacro("refused"), 0);
  EXPECT_TRUE(FilesStartingWith(dir_.path() + "db", "K7_data.db.broken-").empty());
  fs::permissions(DbFile(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StoreRecoveryTest, ACreationCutShortLeavesNoDatabase) {
  ASSERT_TRUE(store().Close());
  // Half-way through the tables, as a kill during the first start would stop it.
  store().FailCreationAtForTest(6);
  EXPECT_FALSE(store().OpenForModel(dir_.path(), "New"));
  store().FailCreationAtForTest(-1);
  EXPECT_EQ(store().OpenReport().outcome, Outcome::kUnusable);
  EXPECT_FALSE(fs::exists(DbFile("New")));
  EXPECT_TRUE(FilesStartingWith(dir_.path() + "db", "New_data").empty());

  // The next start creates it whole.
  EXPECT_TRUE(store().OpenForModel(dir_.path(), "New"));
  EXPECT_EQ(store().OpenReport().outcome, Outcome::kCreated);
  EXPECT_EQ(ExpectedTablesIn(DbFile("New")), 10);
}

TEST_F(StoreRecoveryTest, AScratchFileLeftByAKilledCreationIsNotUsed) {
  ASSERT_TRUE(store().Close());
  const std::string scratch = DbFile("New") + ".creating";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(scratch.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t_configdata(x)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_TRUE(store().OpenForModel(dir_.path(), "New"));
  EXPECT_EQ(ExpectedTablesIn(DbFile("New")), 10);
  EXPECT_FALSE(fs::exists(scratch));
}

TEST_F(StoreRecoveryTest, TwoProcessesWritingOneStoreLoseNoWrite) {
  ASSERT_TRUE(store().InsertDefaultSettings(1));
  ASSERT_TRUE(store().InsertDefaultSettings(2));
  constexpr int kWrites = 300;
  std::atomic<int> other_failures{0};
  std::thread other([&] {
    sqlite3* db = nullptr;
    sqlite3_open(DbFile().c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    for (int i = 0; i < kWrites; ++i) {
      const std::string sql =
          "UPDATE t_configdata SET value = '" + std::to_string(i) + "' WHERE profile = 2";
      if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) ++other_failures;
    }
    sqlite3_close(db);
  });
  int failures = 0;
  for (int i = 0; i < kWrites; ++i) {
    if (!store().WriteSetting(1, "report_rate", std::to_string(i))) ++failures;
  }
  other.join();
  EXPECT_EQ(failures, 0) << store().LastError();
  EXPECT_EQ(other_failures.load(), 0);
  std::string value;
  ASSERT_TRUE(store().ReadSetting(1, "report_rate", value));
  EXPECT_EQ(value, std::to_string(kWrites - 1));
}

}  // namespace
}  // namespace store_test
