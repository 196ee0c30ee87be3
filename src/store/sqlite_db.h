// Thin owners of an SQLite connection, a prepared statement and a transaction. A failure
// comes back with SQLite's result code and its message; nothing here throws, logs or shows
// anything.
#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

struct sqlite3;
struct sqlite3_stmt;

class SQLiteStatement {
 public:
  SQLiteStatement() = default;
  virtual ~SQLiteStatement();
  SQLiteStatement(const SQLiteStatement&) = delete;
  SQLiteStatement& operator=(const SQLiteStatement&) = delete;

  // Indexes count from 1. Text is bound without a copy: the caller keeps the bytes alive
  // until the statement has been stepped. Code 21 (misuse) when nothing is prepared.
  platform::Status BindInt(int index, int value);
  platform::Status BindText(int index, const char* utf8, int byte_length);
  // True when a row is ready, false when the statement is done; code 21 when nothing is
  // prepared.
  platform::Result<bool> Step();
  // Columns count from 0. ColumnInt is 0 and ColumnText null when nothing is prepared.
  int ColumnInt(int column);
  const char* ColumnText(int column);

  bool IsPrepared() const { return handle_ != nullptr; }
  void Finalize();

 private:
  friend class SQLiteDB;
  // The failure `rc` of this statement's connection, in SQLite's words.
  platform::Error Failure(int rc) const;

  sqlite3_stmt* handle_ = nullptr;
};

class SQLiteDB {
 public:
  SQLiteDB() = default;
  virtual ~SQLiteDB();
  SQLiteDB(const SQLiteDB&) = delete;
  SQLiteDB& operator=(const SQLiteDB&) = delete;

  // Opens `path` (UTF-8) with sqlite3_open_v2 flags, closing any held connection first.
  // Fails for a null path, a refused close of the old connection, or a failed open.
  platform::Status Open(const char* path, int flags);
  // Fails (handle kept) when SQLite refuses because statements are still open.
  platform::Status Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // Code 21 (misuse) with no connection or a null text.
  platform::Status Execute(const char* sql);
  // Finalizes whatever `statement` held, then prepares `sql`. A negative length means the
  // whole text, passed with its terminating zero.
  platform::Status Prepare(SQLiteStatement& statement, const char* sql, int length);
  // -1 with no connection.
  int64_t LastInsertRowId();
  // The connection's last error as SQLite words it ("no connection" without one).
  std::string ErrorMessage() const;
  // How long a statement waits for another connection's lock before it gives up with 5
  // (busy). Applied to the held connection and to every later Open.
  void SetBusyTimeoutMs(int ms);

 private:
  void InterruptAndClose();
  platform::Error Failure(int rc) const;

  sqlite3* handle_ = nullptr;
  int busy_timeout_ms_ = 3000;
};

// A scoped all-or-nothing transaction: whatever ran after Begin is rolled back unless Commit
// succeeded (a failed "END" rolls back as well). The caller holds the connection's lock.
class SQLiteRollbackTransaction {
 public:
  explicit SQLiteRollbackTransaction(SQLiteDB& db) : db_(db) {}
  ~SQLiteRollbackTransaction();
  SQLiteRollbackTransaction(const SQLiteRollbackTransaction&) = delete;
  SQLiteRollbackTransaction& operator=(const SQLiteRollbackTransaction&) = delete;

  // "BEGIN"; fails without a connection or when already begun.
  platform::Status Begin();
  // "END"; fails (everything rolled back) when nothing was begun or SQLite refuses.
  platform::Status Commit();

 private:
  SQLiteDB& db_;
  bool begun_ = false;
};

// A scoped transaction on one connection. There is no rollback: it always ends with "END", so
// rows written before a failure stay. The caller holds whatever lock guards the connection.
class SQLiteAutoTransaction {
 public:
  // Begins at once when the connection is open; with any database it counts as active.
  explicit SQLiteAutoTransaction(SQLiteDB* db);
  virtual ~SQLiteAutoTransaction();
  SQLiteAutoTransaction(const SQLiteAutoTransaction&) = delete;
  SQLiteAutoTransaction& operator=(const SQLiteAutoTransaction&) = delete;

  // Fails without a database or when already active; otherwise "BEGIN"'s outcome.
  platform::Status Begin();
  // Runs "END" and ends the transaction; "END"'s outcome.
  platform::Status Commit();
  bool IsActive() const { return active_; }

 private:
  SQLiteDB* db_;
  bool active_ = false;
};
