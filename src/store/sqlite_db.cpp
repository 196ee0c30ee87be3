#include "store/sqlite_db.h"

#include <sqlite3.h>

#include <cstring>

SQLiteStatement::~SQLiteStatement() { Finalize(); }

void SQLiteStatement::Finalize() {
  if (handle_ != nullptr) {
    sqlite3_finalize(handle_);
    handle_ = nullptr;
  }
}

int SQLiteStatement::BindInt(int index, int value) {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  return sqlite3_bind_int(handle_, index, value);
}

int SQLiteStatement::BindText(int index, const char* utf8, int byte_length) {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  return sqlite3_bind_text(handle_, index, utf8, byte_length, SQLITE_STATIC);
}

int SQLiteStatement::Step() {
  if (handle_ == nullptr) return SQLITE_MISUSE;
  return sqlite3_step(handle_);
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

bool SQLiteDB::Open(const char* path, int flags) {
  InterruptAndClose();
  // A connection that refused to close stays ours; opening over it would leak it.
  if (handle_ != nullptr) return false;
  if (path == nullptr) return false;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path, &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  handle_ = db;
  // Another process (a second copy, a backup tool) may hold the file for a moment.
  sqlite3_busy_timeout(handle_, busy_timeout_ms_);
  // Durability is traded for speed: the data is small and rebuilt from the mouse.
  sqlite3_exec(handle_, "PRAGMA synchronous = OFF; ", nullptr, nullptr, nullptr);
  return true;
}

bool SQLiteDB::Close() {
  if (handle_ == nullptr) return true;
  if (sqlite3_close(handle_) != SQLITE_OK) return false;
  handle_ = nullptr;
  return true;
}

int SQLiteDB::Execute(const char* sql) {
  if (handle_ == nullptr || sql == nullptr) return SQLITE_MISUSE;
  return sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr);
}

int SQLiteDB::Prepare(SQLiteStatement& statement, const char* sql, int length) {
  statement.Finalize();
  if (handle_ == nullptr || sql == nullptr) return SQLITE_MISUSE;
  if (length < 0) length = static_cast<int>(std::strlen(sql)) + 1;
  return sqlite3_prepare_v2(handle_, sql, length, &statement.handle_, nullptr);
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

SQLiteAutoTransaction::SQLiteAutoTransaction(SQLiteDB* db) : db_(db) {
  if (db_ == nullptr) return;
  if (db_->IsOpen()) db_->Execute("BEGIN");
  active_ = true;
}

SQLiteAutoTransaction::~SQLiteAutoTransaction() {
  if (active_) Commit();
}

bool SQLiteAutoTransaction::Begin() {
  if (db_ == nullptr || active_) return false;
  bool ok = false;
  if (db_->IsOpen()) ok = db_->Execute("BEGIN") == SQLITE_OK;
  active_ = true;
  return ok;
}

bool SQLiteAutoTransaction::Commit() {
  if (db_ == nullptr || !active_) return false;
  bool ok = false;
  if (db_->IsOpen()) ok = db_->Execute("END") == SQLITE_OK;
  active_ = false;
  return ok;
}
