#include "store/sqlite_db.h"

#include <sqlite3.h>

#include <cstring>

namespace {

platform::Error Misuse(const char* why) { return platform::Fail(SQLITE_MISUSE, why); }

}  // namespace

SQLiteStatement::~SQLiteStatement() { Finalize(); }

void SQLiteStatement::Finalize() {
  if (handle_ != nullptr) {
    sqlite3_finalize(handle_);
    handle_ = nullptr;
  }
}

platform::Error SQLiteStatement::Failure(int rc) const {
  sqlite3* db = handle_ != nullptr ? sqlite3_db_handle(handle_) : nullptr;
  return platform::Fail(rc, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

platform::Status SQLiteStatement::BindInt(int index, int value) {
  if (handle_ == nullptr) return Misuse("no statement prepared");
  const int rc = sqlite3_bind_int(handle_, index, value);
  if (rc != SQLITE_OK) return Failure(rc);
  return {};
}

platform::Status SQLiteStatement::BindText(int index, const char* utf8, int byte_length) {
  if (handle_ == nullptr) return Misuse("no statement prepared");
  const int rc = sqlite3_bind_text(handle_, index, utf8, byte_length, SQLITE_STATIC);
  if (rc != SQLITE_OK) return Failure(rc);
  return {};
}

platform::Result<bool> SQLiteStatement::Step() {
  if (handle_ == nullptr) return Misuse("no statement prepared");
  const int rc = sqlite3_step(handle_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  return Failure(rc);
}

int SQLiteStatement::ColumnInt(int column) {
  if (handle_ == nullptr) return 0;
  return sqlite3_column_int(handle_, column);
}

const char* SQLiteStatement::ColumnText(int column) {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<const char*>(sqlite3_column_text(handle_, column));
}

SQLiteDB::~SQLiteDB() { InterruptAndClose(); }

void SQLiteDB::InterruptAndClose() {
  if (handle_ == nullptr) return;
  sqlite3_interrupt(handle_);
  if (sqlite3_close(handle_) == SQLITE_OK) handle_ = nullptr;
}

platform::Error SQLiteDB::Failure(int rc) const {
  return platform::Fail(rc, handle_ != nullptr ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc));
}

platform::Status SQLiteDB::Open(const char* path, int flags) {
  InterruptAndClose();
  // A connection that refused to close stays ours; opening over it would leak it.
  if (handle_ != nullptr) return platform::Fail(SQLITE_BUSY, "the held connection is in use");
  if (path == nullptr) return Misuse("no file name");
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path, &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    platform::Error error =
        platform::Fail(rc, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return error;
  }
  handle_ = db;
  // Another process (a second copy, a backup tool) may hold the file for a moment.
  sqlite3_busy_timeout(handle_, busy_timeout_ms_);
  // Durability is traded for speed: the data is small and rebuilt from the mouse.
  sqlite3_exec(handle_, "PRAGMA synchronous = OFF; ", nullptr, nullptr, nullptr);
  return {};
}

platform::Status SQLiteDB::Close() {
  if (handle_ == nullptr) return {};
  const int rc = sqlite3_close(handle_);
  if (rc != SQLITE_OK) return Failure(rc);
  handle_ = nullptr;
  return {};
}

platform::Status SQLiteDB::Execute(const char* sql) {
  if (handle_ == nullptr) return Misuse("no connection");
  if (sql == nullptr) return Misuse("no statement text");
  const int rc = sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return Failure(rc);
  return {};
}

platform::Status SQLiteDB::Prepare(SQLiteStatement& statement, const char* sql, int length) {
  statement.Finalize();
  if (handle_ == nullptr) return Misuse("no connection");
  if (sql == nullptr) return Misuse("no statement text");
  if (length < 0) length = static_cast<int>(std::strlen(sql)) + 1;
  const int rc = sqlite3_prepare_v2(handle_, sql, length, &statement.handle_, nullptr);
  if (rc != SQLITE_OK) return Failure(rc);
  return {};
}

int64_t SQLiteDB::LastInsertRowId() {
  if (handle_ == nullptr) return -1;
  return sqlite3_last_insert_rowid(handle_);
}

std::string SQLiteDB::ErrorMessage() const {
  if (handle_ == nullptr) return "no connection";
  return sqlite3_errmsg(handle_);
}

void SQLiteDB::SetBusyTimeoutMs(int ms) {
  busy_timeout_ms_ = ms;
  if (handle_ != nullptr) sqlite3_busy_timeout(handle_, ms);
}

SQLiteRollbackTransaction::~SQLiteRollbackTransaction() {
  if (begun_) (void)db_.Execute("ROLLBACK");
}

platform::Status SQLiteRollbackTransaction::Begin() {
  if (begun_) return Misuse("a transaction is already running");
  platform::Status begun = db_.Execute("BEGIN");
  begun_ = begun.ok();
  return begun;
}

platform::Status SQLiteRollbackTransaction::Commit() {
  if (!begun_) return Misuse("no transaction is running");
  platform::Status ended = db_.Execute("END");
  if (ended) begun_ = false;  // otherwise the destructor rolls back
  return ended;
}

SQLiteAutoTransaction::SQLiteAutoTransaction(SQLiteDB* db) : db_(db) {
  if (db_ == nullptr) return;
  if (db_->IsOpen()) (void)db_->Execute("BEGIN");
  active_ = true;
}

SQLiteAutoTransaction::~SQLiteAutoTransaction() {
  if (active_) (void)Commit();
}

platform::Status SQLiteAutoTransaction::Begin() {
  if (db_ == nullptr) return Misuse("no database");
  if (active_) return Misuse("a transaction is already running");
  active_ = true;
  return db_->Execute("BEGIN");
}

platform::Status SQLiteAutoTransaction::Commit() {
  if (db_ == nullptr) return Misuse("no database");
  if (!active_) return Misuse("no transaction is running");
  active_ = false;
  return db_->Execute("END");
}
