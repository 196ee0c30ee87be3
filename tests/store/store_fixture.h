// A fresh user-data folder per test with the store opened on it, and a second, independent
// SQLite connection for looking at the file behind the store's back.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/profile_store.h"
#include "support/temp_dir.h"

namespace store_test {

using TempDir = test_support::TempDir;

// Column 0 of the first row of `sql` on a separate read-only connection; -1 when the query
// fails.
inline int64_t QueryInt(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  int64_t result = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
      result = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return result;
}

inline bool ExecuteOn(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

// SQLite's result code of a wrapper call: 0 when it worked, else the failure's code.
inline int Rc(const platform::Status& status) { return status.ok() ? 0 : status.error().code; }
// SQLITE_ROW, SQLITE_DONE or the failure's code.
inline int Rc(const platform::Result<bool>& step) {
  if (!step.ok()) return step.error().code;
  return step.value() ? SQLITE_ROW : SQLITE_DONE;
}

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.path() + "db");
    ASSERT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  }
  void TearDown() override { EXPECT_TRUE(store().Close()); }

  static ProfileStore& store() { return ProfileStore::Instance(); }
  std::string DbFile(const std::string& model = "K7") const {
    return dir_.path() + "db/" + model + "_data.db";
  }
  int64_t Count(const std::string& sql) const { return QueryInt(DbFile(), sql); }

  TempDir dir_;
};

}  // namespace store_test
