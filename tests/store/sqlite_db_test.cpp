#include "store/sqlite_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "store_fixture.h"

namespace store_test {
namespace {

TEST(SQLiteDBTest, WithoutConnectionEverythingIsMisuse) {
  SQLiteDB db;
  SQLiteStatement st;
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(Rc(db.Execute("SELECT 1")), SQLITE_MISUSE);
  EXPECT_EQ(Rc(db.Prepare(st, "SELECT 1", -1)), SQLITE_MISUSE);
  EXPECT_EQ(db.LastInsertRowId(), -1);
  EXPECT_EQ(Rc(st.BindInt(1, 5)), SQLITE_MISUSE);
  EXPECT_EQ(Rc(st.BindText(1, "x", 1)), SQLITE_MISUSE);
  EXPECT_EQ(Rc(st.Step()), SQLITE_MISUSE);
  EXPECT_EQ(st.ColumnInt(0), 0);
  EXPECT_EQ(st.ColumnText(0), nullptr);
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.Open(nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
}

TEST(SQLiteDBTest, OpenFailsForMissingFileWithoutCreateAndSetsSynchronousOff) {
  TempDir dir;
  const std::string file = dir.path() + "a.db";
  SQLiteDB db;
  EXPECT_FALSE(db.Open(file.c_str(), SQLITE_OPEN_READWRITE));
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(file));

  ASSERT_TRUE(db.Open(file.c_str(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  SQLiteStatement st;
  ASSERT_EQ(Rc(db.Prepare(st, "PRAGMA synchronous", -1)), SQLITE_OK);
  ASSERT_EQ(Rc(st.Step()), SQLITE_ROW);
  EXPECT_EQ(st.ColumnInt(0), 0);  // OFF
  // A null or a missing statement text is misuse even with a connection.
  EXPECT_EQ(Rc(db.Execute(nullptr)), SQLITE_MISUSE);
  EXPECT_EQ(Rc(db.Prepare(st, nullptr, -1)), SQLITE_MISUSE);
  EXPECT_FALSE(st.IsPrepared());
}

TEST(SQLiteDBTest, PrepareLengthSelectsTheText) {
  SQLiteDB db;
  ASSERT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  struct Case {
    int length;
    int expected;
  } cases[] = {{-1, 12345}, {-7, 12345}, {8, 1}, {10, 123}};
  for (const Case& c : cases) {
    SQLiteStatement st;
    ASSERT_EQ(Rc(db.Prepare(st, "SELECT 12345", c.length)), SQLITE_OK) << c.length;
    ASSERT_EQ(Rc(st.Step()), SQLITE_ROW);
    EXPECT_EQ(st.ColumnInt(0), c.expected) << c.length;
  }
}

TEST(SQLiteDBTest, StatementTextAndNullColumnsAndRowIds) {
  SQLiteDB db;
  ASSERT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  ASSERT_EQ(Rc(db.Execute("CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, s TEXT)")), 0);
  SQLiteStatement st;
  const std::string name = "配置方案 ü";
  ASSERT_EQ(Rc(db.Prepare(st, "INSERT INTO t(s) VALUES (?)", -1)), SQLITE_OK);
  EXPECT_EQ(Rc(st.BindText(1, name.data(), static_cast<int>(name.size()))), SQLITE_OK);
  EXPECT_EQ(Rc(st.Step()), SQLITE_DONE);
  EXPECT_EQ(db.LastInsertRowId(), 1);
  ASSERT_EQ(Rc(db.Execute("INSERT INTO t(s) VALUES (NULL)")), SQLITE_OK);
  EXPECT_EQ(db.LastInsertRowId(), 2);

  // Re-preparing on the same object replaces the old statement.
  ASSERT_EQ(Rc(db.Prepare(st, "SELECT s FROM t ORDER BY id", -1)), SQLITE_OK);
  ASSERT_EQ(Rc(st.Step()), SQLITE_ROW);
  EXPECT_EQ(std::string(st.ColumnText(0)), name);
  ASSERT_EQ(Rc(st.Step()), SQLITE_ROW);
  EXPECT_EQ(st.ColumnText(0), nullptr);
  EXPECT_EQ(Rc(st.Step()), SQLITE_DONE);
}

TEST(SQLiteDBTest, CloseIsRefusedWhileAStatementLives) {
  SQLiteDB db;
  ASSERT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  {
    SQLiteStatement st;
    ASSERT_EQ(Rc(db.Prepare(st, "SELECT 1", -1)), SQLITE_OK);
    EXPECT_FALSE(db.Close());
    EXPECT_TRUE(db.IsOpen());
    // Opening another file over the refused connection must not drop it either.
    EXPECT_FALSE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    EXPECT_EQ(Rc(st.Step()), SQLITE_ROW);
  }
  EXPECT_TRUE(db.Close());
  EXPECT_FALSE(db.IsOpen());
}

// The failure of a call, or code 0 "worked" when it did not fail.
template <typename R>
platform::Error Why(const R& result) {
  return result.ok() ? platform::Error{0, "worked"} : result.error();
}

TEST(SQLiteDBTest, AFailureCarriesSQLitesCodeAndWords) {
  TempDir dir;
  const std::string file = dir.path() + "r.db";
  {
    SQLiteDB maker;
    ASSERT_TRUE(maker.Open(file.c_str(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    ASSERT_TRUE(maker.Execute("CREATE TABLE t(id INTEGER PRIMARY KEY)").ok());
    ASSERT_TRUE(maker.Execute("INSERT INTO t(id) VALUES (1)").ok());
  }
  SQLiteDB readonly;
  ASSERT_TRUE(readonly.Open(file.c_str(), SQLITE_OPEN_READONLY));
  SQLiteDB db;
  ASSERT_TRUE(db.Open(file.c_str(), SQLITE_OPEN_READWRITE));
  SQLiteStatement st;
  SQLiteStatement duplicate;
  struct Case {
    const char* what;
    std::function<platform::Error()> run;
    int code;
    const char* reason;
  } cases[] = {
      {"missing file",
       [&] {
         SQLiteDB other;
         return Why(other.Open((dir.path() + "none.db").c_str(), SQLITE_OPEN_READWRITE));
       },
       SQLITE_CANTOPEN, "unable to open database file"},
      {"read-only store", [&] { return Why(readonly.Execute("INSERT INTO t(id) VALUES (2)")); },
       SQLITE_READONLY, "attempt to write a readonly database"},
      {"bad statement", [&] { return Why(db.Execute("SELEC 1")); }, SQLITE_ERROR,
       "near \"SELEC\": syntax error"},
      {"missing table", [&] { return Why(db.Prepare(st, "SELECT * FROM nope", -1)); }, SQLITE_ERROR,
       "no such table: nope"},
      {"constraint at step",
       [&] {
         EXPECT_TRUE(db.Prepare(duplicate, "INSERT INTO t(id) VALUES (1)", -1).ok());
         return Why(duplicate.Step());
       },
       SQLITE_CONSTRAINT, "UNIQUE constraint failed: t.id"},
      {"nothing prepared", [&] { return Why(SQLiteStatement().Step()); }, SQLITE_MISUSE,
       "no statement prepared"},
      {"close with a live statement",
       [&] {
         EXPECT_TRUE(db.Prepare(st, "SELECT 1", -1).ok());
         return Why(db.Close());
       },
       SQLITE_BUSY, "unable to close due to unfinalized statements or unfinished backups"},
  };
  for (const Case& c : cases) {
    const platform::Error error = c.run();
    EXPECT_EQ(error.code, c.code) << c.what;
    EXPECT_EQ(error.reason, c.reason) << c.what;
  }
}

class TransactionTest : public StoreTest {
 protected:
  // BEGIN fails inside a transaction, so this tells whether one is running.
  bool InTransaction() {
    auto hold = store().Lock();
    if (!store().Db().Execute("BEGIN")) return true;
    (void)store().Db().Execute("END");
    return false;
  }
};

TEST_F(TransactionTest, ConstructorBeginsAndCommitOrDestructorEnds) {
  auto hold = store().Lock();
  {
    SQLiteAutoTransaction transaction(&store().Db());
    EXPECT_TRUE(transaction.IsActive());
    EXPECT_TRUE(InTransaction());
    EXPECT_FALSE(transaction.Begin());  // already active
    EXPECT_EQ(store().AddMacro("in transaction"), 1);
    EXPECT_TRUE(transaction.Commit());
    EXPECT_FALSE(transaction.IsActive());
    EXPECT_FALSE(InTransaction());
    EXPECT_EQ(Count("SELECT count(*) FROM t_macro_data"), 1);

    EXPECT_TRUE(transaction.Begin());
    EXPECT_TRUE(InTransaction());
    EXPECT_EQ(store().AddMacro("second"), 2);
  }
  // The destructor ended it with END: the row is committed, not rolled back.
  EXPECT_FALSE(InTransaction());
  EXPECT_EQ(Count("SELECT count(*) FROM t_macro_data"), 2);
}

TEST(SQLiteRollbackTransactionTest, KeepsNothingUnlessCommitted) {
  SQLiteDB db;
  ASSERT_TRUE(db.Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  ASSERT_TRUE(db.Execute("CREATE TABLE t(id INTEGER PRIMARY KEY)").ok());
  const auto rows = [&] {
    SQLiteStatement st;
    EXPECT_TRUE(db.Prepare(st, "SELECT count(*) FROM t", -1).ok());
    EXPECT_EQ(Rc(st.Step()), SQLITE_ROW);
    return st.ColumnInt(0);
  };
  {
    SQLiteRollbackTransaction transaction(db);
    ASSERT_TRUE(transaction.Begin().ok());
    EXPECT_EQ(Rc(transaction.Begin()), SQLITE_MISUSE);
    ASSERT_TRUE(db.Execute("INSERT INTO t(id) VALUES (1)").ok());
  }  // ended without Commit
  EXPECT_EQ(rows(), 0);
  {
    SQLiteRollbackTransaction transaction(db);
    EXPECT_EQ(Rc(transaction.Commit()), SQLITE_MISUSE);  // nothing begun
    ASSERT_TRUE(transaction.Begin().ok());
    ASSERT_TRUE(db.Execute("INSERT INTO t(id) VALUES (2)").ok());
    EXPECT_TRUE(transaction.Commit().ok());
  }
  EXPECT_EQ(rows(), 1);
  SQLiteDB closed;
  SQLiteRollbackTransaction none(closed);
  EXPECT_EQ(Rc(none.Begin()), SQLITE_MISUSE);
}

TEST_F(TransactionTest, NoStoreOrClosedStore) {
  SQLiteAutoTransaction none(nullptr);
  EXPECT_FALSE(none.IsActive());
  EXPECT_FALSE(none.Begin());
  EXPECT_FALSE(none.Commit());

  ASSERT_TRUE(store().Close());
  SQLiteAutoTransaction closed(&store().Db());
  EXPECT_TRUE(closed.IsActive());  // counts as active, but nothing ran
  EXPECT_FALSE(closed.Commit());
  EXPECT_FALSE(closed.IsActive());
}

}  // namespace
}  // namespace store_test
