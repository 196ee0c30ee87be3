// Thin owners of an SQLite connection, a prepared statement and a transaction. Results are
// SQLite result codes or plain values; nothing here throws, logs or shows anything.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SQLiteStatement {
 public:
  SQLiteStatement() = default;
  virtual ~SQLiteStatement();
  SQLiteStatement(const SQLiteStatement&) = delete;
  SQLiteStatement& operator=(const SQLiteStatement&) = delete;

  // Indexes count from 1. Text is bound without a copy: the caller keeps the bytes alive
  // until the statement has been stepped. 21 (misuse) when nothing is prepared.
  int BindInt(int index, int value);
  int BindText(int index, const char* utf8, int byte_length);
  // 100 for a row, 101 when done, otherwise an error; 21 when nothing is prepared.
  int Step();
  // Columns count from 0. ColumnInt is 0 and ColumnText null when nothing is prepared.
  int ColumnInt(int column);
  const char* ColumnText(int column);

  bool IsPrepared() const { return handle_ != nullptr; }
  void Finalize();

 private:
  friend class SQLiteDB;
  sqlite3_stmt* handle_ = nullptr;
};

class SQLiteDB {
 public:
  SQLiteDB() = default;
  virtual ~SQLiteDB();
  SQLiteDB(const SQLiteDB&) = delete;
  SQLiteDB& operator=(const SQLiteDB&) = delete;

  // Opens `path` (UTF-8) with sqlite3_open_v2 flags, closing any held connection first.
  // False for a null path, a refused close of the old connection, or a failed open.
  bool Open(const char* path, int flags);
  // False (handle kept) when SQLite refuses because statements are still open.
  bool Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // 21 (misuse) with no connection or a null text.
  int Execute(const char* sql);
  // Finalizes whatever `statement` held, then prepares `sql`. A negative length means the
  // whole text, passed with its terminating zero.
  int Prepare(SQLiteStatement& statement, const char* sql, int length);
  // -1 with no connection.
  int64_t LastInsertRowId();
  // The connection's last error as SQLite words it ("no connection" without one).
  std::string ErrorMessage() const;
  // How long a statement waits for another connection's lock before it gives up with 5
  // (busy). Applied to the held connection and to every later Open.
  void SetBusyTimeoutMs(int ms);

 private:
  void InterruptAndClose();

  sqlite3* handle_ = nullptr;
  int busy_timeout_ms_ = 3000;
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

  // False without a database or when already active; otherwise whether "BEGIN" succeeded.
  bool Begin();
  // Runs "END" and ends the transaction; whether "END" succeeded.
  bool Commit();
  bool IsActive() const { return active_; }

 private:
  SQLiteDB* db_;
  bool active_ = false;
};
