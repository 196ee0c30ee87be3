#include "store/profile_store.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <utility>

#include "log/trace.h"
#include "store/schema.h"
#include "store/settings_keys.h"

namespace {

platform::Status Bind(SQLiteStatement& st, int index, int value) {
  return st.BindInt(index, value);
}

platform::Status Bind(SQLiteStatement& st, int index, const std::string& text) {
  return st.BindText(index, text.data(), static_cast<int>(text.size()));
}

// Prepares `sql` on `st` and binds `args` in order from index 1; the first failure.
template <typename... Args>
platform::Status PrepareBound(SQLiteDB& db, SQLiteStatement& st, const char* sql,
                              const Args&... args) {
  platform::Status status = db.Prepare(st, sql, -1);
  int index = 0;
  [[maybe_unused]] const auto bind = [&](const auto& arg) {
    platform::Status bound = Bind(st, ++index, arg);
    if (status.ok() && !bound.ok()) status = std::move(bound);
  };
  if (status.ok()) (bind(args), ...);
  return status;
}

std::string Text(SQLiteStatement& st, int column) {
  const char* text = st.ColumnText(column);
  return text != nullptr ? std::string(text) : std::string();
}

// Column readers for "SELECT *", column by column in table order.
void ReadRow(SQLiteStatement& st, ProfileRecord& r) {
  r.profile = st.ColumnInt(0);
  r.name = Text(st, 1);
  r.status = st.ColumnInt(2);
  r.app = Text(st, 3);
  r.type = st.ColumnInt(4);
}

void ReadRow(SQLiteStatement& st, KeyAssignmentRecord& r) {
  r.key_id = st.ColumnInt(0);
  r.profile = st.ColumnInt(1);
  r.fn_layer = st.ColumnInt(2);
  r.key_code = st.ColumnInt(3);
  r.layout_value = st.ColumnInt(4);
  r.layout_desc = Text(st, 5);
  r.macro_type = st.ColumnInt(6);
  r.macro_value = st.ColumnInt(7);
  r.macro_value2 = st.ColumnInt(8);
  r.macro_value3 = st.ColumnInt(9);
  r.macro_desc = Text(st, 10);
}

void ReadRow(SQLiteStatement& st, LightModeRecord& r) {
  r.light_id = st.ColumnInt(0);
  r.profile = st.ColumnInt(1);
  r.name = Text(st, 2);
  r.mode = st.ColumnInt(3);
  r.brightness = st.ColumnInt(4);
  r.speed = st.ColumnInt(5);
  r.direction = st.ColumnInt(6);
  r.colorful = st.ColumnInt(7);
  r.colorindex = st.ColumnInt(8);
  r.color_value = st.ColumnInt(9);
  r.config_func = st.ColumnInt(10);
  r.reserved = st.ColumnInt(11);
  r.status = st.ColumnInt(12);
}

void ReadRow(SQLiteStatement& st, MacroRecord& r) {
  r.macro_id = st.ColumnInt(0);
  r.name = Text(st, 1);
  r.play_type = st.ColumnInt(2);
  r.play_times = st.ColumnInt(3);
  r.delay_type = st.ColumnInt(4);
  r.delay_time = st.ColumnInt(5);
}

void ReadRow(SQLiteStatement& st, MacroEventRecord& r) {
  r.record_id = st.ColumnInt(0);
  r.macro_id = st.ColumnInt(1);
  r.type = st.ColumnInt(2);
  r.record_index = st.ColumnInt(3);
  r.desc = Text(st, 4);
  r.value = st.ColumnInt(5);
  r.delay_time = st.ColumnInt(6);
}

void ReadRow(SQLiteStatement& st, ScreenLayerRecord& r) {
  r.led_id = st.ColumnInt(0);
  r.profile = st.ColumnInt(1);
  r.type = st.ColumnInt(2);
  r.name = Text(st, 3);
  r.frame_size = st.ColumnInt(4);
  r.file_dir = Text(st, 5);
  r.first_file = Text(st, 6);
  r.delay_time = st.ColumnInt(7);
}

void ReadRow(SQLiteStatement& st, ScreenFrameRecord& r) {
  r.frame_id = st.ColumnInt(0);
  r.led_id = st.ColumnInt(1);
  r.name = Text(st, 2);
  r.delay_time = st.ColumnInt(3);
  r.frame_index = st.ColumnInt(4);
  r.file_name = Text(st, 5);
}

constexpr const char kReadSetting[] =
    "SELECT value FROM t_configdata WHERE profile = ? and key = ?";
constexpr const char kWriteSetting[] =
    "UPDATE t_configdata SET value = ? WHERE profile = ? and key = ?";
constexpr const char kInsertSetting[] =
    "INSERT INTO t_configdata(profile, key, value) VALUES (?, ?, ?);";

constexpr const char kInsertProfile[] =
    "INSERT INTO t_profile_data(name, status, app, type) VALUES (?, ?, ?, ?);";
constexpr const char kListProfiles[] = "SELECT * FROM t_profile_data";
constexpr const char kClearProfileStatus[] = "UPDATE t_profile_data SET status = ?";
constexpr const char kSetProfileStatus[] = "UPDATE t_profile_data SET status = ? WHERE profile = ?";
constexpr const char kActiveProfile[] = "SELECT profile FROM t_profile_data WHERE status = ?";

constexpr const char kDeleteKey[] =
    "DELETE FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char kInsertKey[] =
    "INSERT INTO t_key_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,      "
    "               macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char kGetKey[] =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char kSetKeyDescription[] =
    "UPDATE t_key_macro_data SET macro_desc = ? WHERE profile = ? and fn_layer = ? and key_code "
    "= ?";
constexpr const char kListKeys[] =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ?";
constexpr const char kDeleteKeys[] = "DELETE FROM t_key_macro_data WHERE profile = ?";

constexpr const char kCountLights[] = "select count(*) FROM t_light_data WHERE profile = ?";
constexpr const char kInsertLight[] =
    "INSERT INTO t_light_data(profile, name, mode, brightness, speed, direction, \t\t\t\t\t "
    "colorful, colorindex, color_value, config_func, reserved, status) \t\t\t\t\t VALUES (?, ?, "
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char kUpdateLight[] =
    "UPDATE t_light_data SET brightness = ?, speed = ?, direction = ?, colorful = ?, colorindex = "
    "?,\t\t\t color_value = ?, config_func = ?, reserved = ? WHERE profile = ? AND mode = ?";
constexpr const char kClearLightStatus[] = "UPDATE t_light_data SET status = ? WHERE profile = ?";
constexpr const char kSetLightStatus[] =
    "UPDATE t_light_data SET status = ? WHERE profile = ? and mode = ?";
constexpr const char kActiveLight[] =
    "SELECT mode FROM t_light_data WHERE profile = ? and status = ?";
constexpr const char kGetLight[] = "SELECT * FROM t_light_data WHERE profile = ? AND mode = ?";
constexpr const char kListLights[] = "SELECT * FROM t_light_data WHERE profile = ?";

constexpr const char kInsertMacro[] =
    "INSERT INTO t_macro_data(name, play_type, play_times, delay_type, delay_time) VALUES (?, ?, "
    "?, ?, ?);";
constexpr const char kRenameMacro[] = "UPDATE t_macro_data SET name = ? WHERE macro_id = ?";
constexpr const char kUpdateMacro[] =
    "UPDATE t_macro_data SET name = ?, play_type = ?, play_times = ?, delay_type = ?,delay_time = "
    "? WHERE macro_id = ?";
constexpr const char kDeleteMacro[] = "DELETE FROM t_macro_data WHERE macro_id = ?";
constexpr const char kDeleteEvents[] = "DELETE FROM t_macrorecord WHERE macro_id = ?";
constexpr const char kGetMacro[] = "SELECT * FROM t_macro_data WHERE macro_id = ?";
constexpr const char kListMacros[] = "SELECT * FROM t_macro_data";
constexpr const char kInsertEvent[] =
    "INSERT INTO t_macrorecord(macro_id, type, record_index, desc, value, delay_time) \t\t\t\t\t "
    "VALUES (?, ?, ?, ?, ?, ?);";
constexpr const char kListEvents[] =
    "SELECT * FROM t_macrorecord WHERE macro_id = ? ORDER BY record_index ASC";

constexpr const char kInsertLayer[] =
    "INSERT INTO t_ledlayer_data(profile, type, name, frame_size, file_dir, first_file, "
    "delay_time) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?, ?, ?);";
constexpr const char kSetLayerFrames[] =
    "UPDATE t_ledlayer_data SET frame_size = ? WHERE led_id = ?";
constexpr const char kSetLayerDelay[] =
    "UPDATE t_ledlayer_data SET delay_time = ? WHERE led_id = ?";
constexpr const char kSetLayerFirst[] =
    "UPDATE t_ledlayer_data SET first_file = ? WHERE led_id = ?";
constexpr const char kDeleteLayer[] = "DELETE FROM t_ledlayer_data WHERE led_id = ?";
constexpr const char kGetLayer[] = "SELECT * FROM t_ledlayer_data WHERE led_id = ?";
constexpr const char kListLayers[] = "SELECT * FROM t_ledlayer_data WHERE profile = ?";
constexpr const char kInsertFrame[] =
    "INSERT INTO t_ledframe_data(led_id, name, delay_time, frame_index, file_name) "
    "\t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?);";
constexpr const char kDeleteFrames[] = "DELETE FROM t_ledframe_data WHERE led_id = ?";
constexpr const char kListFrames[] =
    "SELECT * FROM t_ledframe_data WHERE led_id = ? ORDER BY frame_index ASC";
constexpr const char kCountFrames[] = "select count(*) FROM t_ledframe_data WHERE led_id = ?";

// One statement run from prepare to finalize: the building blocks of every operation. The
// caller holds the store's lock for the helper's whole life.
class Query {
 public:
  explicit Query(ProfileStore& store) : store_(store), db_(store.Db()) {}

  template <typename... Args>
  bool Write(const char* sql, const Args&... args) {
    return Ok(sql, First(sql, args...));
  }

  // The new row id, 0 when the insert failed.
  template <typename... Args>
  int Insert(const char* sql, const Args&... args) {
    if (!Write(sql, args...)) return 0;
    return static_cast<int>(db_.LastInsertRowId());
  }

  // Fills `record` from the first row; false (record untouched) when none comes back.
  template <typename Record, typename... Args>
  bool ReadOne(Record& record, const char* sql, const Args&... args) {
    const platform::Result<bool> row = First(sql, args...);
    if (!Ok(sql, row) || !row.value()) return false;
    ReadRow(st_, record);
    return true;
  }

  // Column 0 of the first row as an integer, 0 when no row comes back.
  template <typename... Args>
  int ReadInt(const char* sql, const Args&... args) {
    const platform::Result<bool> row = First(sql, args...);
    if (!Ok(sql, row) || !row.value()) return 0;
    return st_.ColumnInt(0);
  }

  // Column 0 of the first row as text; false (text untouched) when no row comes back.
  template <typename... Args>
  bool ReadText(std::string& text, const char* sql, const Args&... args) {
    const platform::Result<bool> row = First(sql, args...);
    if (!Ok(sql, row) || !row.value()) return false;
    text = Text(st_, 0);
    return true;
  }

  template <typename Record, typename... Args>
  int ReadList(std::vector<Record>& list, const char* sql, const Args&... args) {
    list.clear();
    platform::Result<bool> row = First(sql, args...);
    for (; row.ok() && row.value(); row = st_.Step()) {
      Record record;
      ReadRow(st_, record);
      list.push_back(std::move(record));
    }
    Ok(sql, row);
    return static_cast<int>(list.size());
  }

 private:
  // Prepares, binds and takes the first step: a row, done, or the first failure.
  template <typename... Args>
  platform::Result<bool> First(const char* sql, const Args&... args) {
    platform::Status prepared = PrepareBound(db_, st_, sql, args...);
    if (!prepared.ok()) return prepared.error();
    return st_.Step();
  }

  // Notes a failure with its reason; whether there was none.
  template <typename R>
  bool Ok(const char* sql, const R& result) {
    if (result.ok()) return true;
    store_.NoteFailure(sql, result.error());
    return false;
  }

  ProfileStore& store_;
  SQLiteDB& db_;
  SQLiteStatement st_;
};

// Renames a damaged database (and the journal or WAL files that belong to it) to
// "<path>.broken-<YYYYMMDD-HHMMSS>", never over an earlier one. The new name, or empty with
// `why` set when it cannot be moved.
std::string MoveAside(const std::string& path, std::string& why) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::error_code ec;
  std::string target = path + ".broken-" + stamp;
  for (int n = 2;
       std::filesystem::symlink_status(target, ec).type() != std::filesystem::file_type::not_found;
       ++n) {
    target = path + ".broken-" + stamp + "-" + std::to_string(n);
  }
  std::filesystem::rename(path, target, ec);
  if (ec) {
    why = ec.message();
    return {};
  }
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    std::filesystem::rename(path + suffix, target + suffix, ec);
  }
  return target;
}

constexpr int kOpenExisting = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
constexpr int kOpenCreate = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;

}  // namespace

ProfileStore& ProfileStore::Instance() {
  static ProfileStore store;
  return store;
}

ProfileStore::~ProfileStore() { Close(); }

bool ProfileStore::OpenForModel(const std::string& user_data_dir, const std::string& model_name) {
  // Taken although only one thread opens: the worker may be inside an operation.
  std::lock_guard hold(mu_);
  open_ = false;
  writable_ = false;
  last_error_.clear();
  std::string dir = user_data_dir;
  if (!dir.empty() && dir.back() != '/') dir.push_back('/');
  path_ = dir + "db/" + model_name + "_data.db";
  report_ = {};
  report_.path = path_;
  using Outcome = StoreOpenReport::Outcome;
  // Any connection still held goes, not only a fully opened one: a creation that failed
  // must not leave the previous model's file serving the next model.
  if (!db_.Close()) {
    report_.outcome = Outcome::kUnusable;
    report_.reason = "the previous database is still in use";
    return false;
  }
  std::error_code ec;
  const bool present =
      std::filesystem::symlink_status(path_, ec).type() != std::filesystem::file_type::not_found;
  if (!present) {
    report_.outcome = CreateDatabase() ? Outcome::kCreated : Outcome::kUnusable;
  } else {
    switch (CheckExisting(report_.reason)) {
      case Check::kGood:
        report_.outcome = Outcome::kOpened;
        break;
      case Check::kUnreadable:
        // Perhaps only for now (another process holds it): kept open and untouched.
        report_.outcome = Outcome::kUnusable;
        open_ = db_.IsOpen();
        Trace(4, "Profile database %s cannot be read: %s", path_.c_str(), report_.reason.c_str());
        return false;
      case Check::kBroken: {
        (void)db_.Close();
        std::string why;
        report_.kept_as = MoveAside(path_, why);
        if (report_.kept_as.empty()) {
          report_.outcome = Outcome::kUnusable;
          report_.reason += "; it cannot be moved aside: " + why;
        } else if (CreateDatabase()) {
          report_.outcome = Outcome::kReplaced;
        } else {
          report_.outcome = Outcome::kUnusable;
        }
        Trace(4, "Profile database %s is damaged (%s), kept as %s", path_.c_str(),
              report_.reason.c_str(), report_.kept_as.c_str());
        break;
      }
    }
  }
  if (report_.outcome == Outcome::kUnusable) {
    if (report_.reason.empty()) report_.reason = last_error_;
    Trace(4, "Profile database %s cannot be used: %s", path_.c_str(), report_.reason.c_str());
    (void)db_.Close();
    return false;
  }
  open_ = true;
  const std::string refused = PrepareWrites();
  if (!refused.empty()) {
    report_.outcome = Outcome::kNotWritable;
    report_.reason = refused;
    Trace(4, "Profile database %s cannot be written: %s", path_.c_str(), refused.c_str());
    return false;
  }
  writable_ = true;
  return true;
}

ProfileStore::Check ProfileStore::CheckExisting(std::string& reason) {
  std::error_code ec;
  const auto type = std::filesystem::status(path_, ec).type();
  if (type == std::filesystem::file_type::directory) {
    reason = "a folder stands in its place";
    return Check::kBroken;
  }
  if (type != std::filesystem::file_type::regular) {
    reason = "it is not a regular file";
    return Check::kBroken;
  }
  if (platform::Status opened = db_.Open(path_.c_str(), kOpenExisting); !opened) {
    reason = "it cannot be opened: " + opened.error().reason;
    return Check::kUnreadable;
  }
  // Only damage moves a file aside; a lock or a permission may pass.
  const auto classify = [&](const platform::Error& error) {
    reason = error.reason;
    const int rc = error.code;
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT || rc == SQLITE_FORMAT ? Check::kBroken
                                                                              : Check::kUnreadable;
  };
  // The first step of `sql` on `st`: a row, done, or the failure.
  const auto first_step = [&](SQLiteStatement& st, const char* sql) -> platform::Result<bool> {
    platform::Status prepared = db_.Prepare(st, sql, -1);
    if (!prepared) return prepared.error();
    return st.Step();
  };
  {
    SQLiteStatement st;
    const platform::Result<bool> row = first_step(st, "PRAGMA quick_check");
    if (!row) return classify(row.error());
    if (!row.value()) return classify(platform::Fail(SQLITE_DONE, "quick check gave no answer"));
    const std::string verdict = Text(st, 0);
    if (verdict != "ok") {
      reason = "quick check: " + verdict;
      return Check::kBroken;
    }
  }
  for (const store_schema::ExpectedTable& table : store_schema::ExpectedTables()) {
    SQLiteStatement st;
    const std::string sql = "PRAGMA table_info(" + std::string(table.name) + ")";
    std::vector<std::string> columns;
    platform::Result<bool> row = first_step(st, sql.c_str());
    for (; row && row.value(); row = st.Step()) columns.push_back(Text(st, 1));
    if (!row) return classify(row.error());
    if (columns.empty()) {
      reason = "table " + std::string(table.name) + " is missing";
      return Check::kBroken;
    }
    // The readers take columns by position: the expected ones must lead, in order.
    bool same = columns.size() >= table.columns.size();
    for (size_t i = 0; same && i < table.columns.size(); ++i) same = columns[i] == table.columns[i];
    if (!same) {
      reason = "table " + std::string(table.name) + " has other columns";
      return Check::kBroken;
    }
  }
  return Check::kGood;
}

std::string ProfileStore::PrepareWrites() {
  // WAL lets a second copy read while this one writes; where the file system refuses it
  // the file stays in its rollback journal mode.
  (void)db_.Execute("PRAGMA journal_mode = WAL");
  int version = 0;
  {
    SQLiteStatement st;
    if (db_.Prepare(st, "PRAGMA user_version", -1)) {
      const platform::Result<bool> row = st.Step();
      if (row && row.value()) version = st.ColumnInt(0);
    }
  }
  // Rewriting the header with its own value takes the write lock and the journal, as any
  // change would, and changes nothing.
  if (platform::Status begun = db_.Execute("BEGIN IMMEDIATE"); !begun) {
    return begun.error().reason;
  }
  const std::string probe = "PRAGMA user_version = " + std::to_string(version);
  std::string refused;
  if (platform::Status written = db_.Execute(probe.c_str()); !written) {
    refused = written.error().reason;
  }
  (void)db_.Execute("ROLLBACK");
  return refused;
}

bool ProfileStore::CreateDatabase() {
  std::lock_guard hold(mu_);
  if (db_.IsOpen()) return true;
  // An empty path would make SQLite open a private temporary database.
  if (path_.empty()) return false;
  const std::string scratch = path_ + ".creating";
  std::error_code ec;
  // What a creation cut short left behind is never used.
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::filesystem::remove(scratch + suffix, ec);
  }
  const auto fail = [&](const std::string& why) {
    last_error_ = why;
    (void)db_.Close();
    for (const char* suffix : {"", "-journal"}) std::filesystem::remove(scratch + suffix, ec);
    Trace(4, "Profile database %s not created: %s", path_.c_str(), why.c_str());
    return false;
  };
  if (platform::Status made = db_.Open(scratch.c_str(), kOpenCreate); !made) {
    return fail("the file cannot be created: " + made.error().reason);
  }
  const std::vector<const char*>& statements = store_schema::CreationStatements();
  for (size_t i = 0; i < statements.size(); ++i) {
    if (static_cast<int>(i) == fail_creation_at_) return fail("creation cut short");
    if (platform::Status ran = db_.Execute(statements[i]); !ran) return fail(ran.error().reason);
  }
  if (platform::Status closed = db_.Close(); !closed) {
    return fail("the new file cannot be closed: " + closed.error().reason);
  }
  std::filesystem::rename(scratch, path_, ec);
  if (ec) return fail(ec.message());
  if (platform::Status reopened = db_.Open(path_.c_str(), kOpenExisting); !reopened) {
    return fail("the new file cannot be opened: " + reopened.error().reason);
  }
  return true;
}

StoreOpenReport ProfileStore::OpenReport() const {
  std::lock_guard hold(mu_);
  return report_;
}

bool ProfileStore::Writable() const {
  std::lock_guard hold(mu_);
  return writable_;
}

std::string ProfileStore::LastError() const {
  std::lock_guard hold(mu_);
  return last_error_;
}

void ProfileStore::SetBusyTimeoutMs(int ms) {
  std::lock_guard hold(mu_);
  db_.SetBusyTimeoutMs(ms);
}

void ProfileStore::NoteFailure(const char* what, const platform::Error& error) {
  std::lock_guard hold(mu_);
  last_error_ = error.reason;
  Trace(4, "Profile database: \"%.60s\" failed: %s", what, last_error_.c_str());
}

bool ProfileStore::Close() {
  std::lock_guard hold(mu_);
  if (!db_.Close()) return false;
  open_ = false;
  return true;
}

bool ProfileStore::IsOpen() const {
  std::lock_guard hold(mu_);
  return open_;
}

std::string ProfileStore::Path() const {
  std::lock_guard hold(mu_);
  return path_;
}

// --- settings ---

bool ProfileStore::ReadSetting(int profile, const std::string& key, std::string& value) {
  std::lock_guard hold(mu_);
  last_error_.clear();
  value.clear();
  return Query(*this).ReadText(value, kReadSetting, profile, key);
}

bool ProfileStore::WriteSetting(int profile, const std::string& key, const std::string& value) {
  std::lock_guard hold(mu_);
  last_error_.clear();
  return Query(*this).Write(kWriteSetting, value, profile, key);
}

bool ProfileStore::InsertDefaultSettings(int profile) {
  std::lock_guard hold(mu_);
  bool all_ok = true;
  for (const settings::SettingKey& k : settings::DefaultSettingKeys()) {
    const std::string key = k.key;
    const std::string value = k.default_value;
    if (!Query(*this).Write(kInsertSetting, profile, key, value)) all_ok = false;
  }
  return all_ok;
}

// --- profiles ---

int ProfileStore::AddProfile(const ProfileRecord& record) {
  std::lock_guard hold(mu_);
  const int profile = Query(*this).Insert(kInsertProfile, record.name, 0, record.app, 0);
  // Without a row there is no profile to give settings to; profile 0 must stay empty.
  if (profile != 0) InsertDefaultSettings(profile);
  return profile;
}

int ProfileStore::ListProfiles(std::vector<ProfileRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListProfiles);
}

bool ProfileStore::SetActiveProfile(int profile) {
  std::lock_guard hold(mu_);
  Query query(*this);
  query.Write(kClearProfileStatus, 0);
  return query.Write(kSetProfileStatus, 1, profile);
}

int ProfileStore::GetActiveProfile() {
  std::lock_guard hold(mu_);
  return Query(*this).ReadInt(kActiveProfile, 1);
}

// --- button assignments ---

int ProfileStore::SaveKeyAssignment(const KeyAssignmentRecord& r) {
  std::lock_guard hold(mu_);
  Query query(*this);
  // Inserting after a failed delete would leave two rows for one button.
  if (!query.Write(kDeleteKey, r.profile, r.fn_layer, r.key_code)) return 0;
  if (r.macro_value == 0 && r.macro_value2 == 0) return 0;
  return query.Insert(kInsertKey, r.profile, r.fn_layer, r.key_code, r.layout_value, r.layout_desc,
                      r.macro_type, r.macro_value, r.macro_value2, r.macro_value3, r.macro_desc);
}

bool ProfileStore::GetKeyAssignment(int profile, int key_code, KeyAssignmentRecord& record) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadOne(record, kGetKey, profile, 0, key_code);
}

bool ProfileStore::SetKeyDescription(int profile, int key_code, const std::string& description) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kSetKeyDescription, description, profile, 0, key_code);
}

int ProfileStore::ListKeyAssignments(int profile, std::vector<KeyAssignmentRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListKeys, profile, 0);
}

bool ProfileStore::DeleteKeyAssignments(int profile) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kDeleteKeys, profile);
}

// --- lighting modes ---

int ProfileStore::CountLightModes(int profile) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadInt(kCountLights, profile);
}

int ProfileStore::AddLightMode(const LightModeRecord& r) {
  std::lock_guard hold(mu_);
  return Query(*this).Insert(kInsertLight, r.profile, r.name, r.mode, r.brightness, r.speed,
                             r.direction, r.colorful, r.colorindex, r.color_value, r.config_func,
                             r.reserved, r.status);
}

bool ProfileStore::UpdateLightMode(int profile, int mode, const LightModeRecord& r) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kUpdateLight, r.brightness, r.speed, r.direction, r.colorful,
                            r.colorindex, r.color_value, r.config_func, r.reserved, profile, mode);
}

bool ProfileStore::SetActiveLightMode(int profile, int mode) {
  std::lock_guard hold(mu_);
  Query query(*this);
  query.Write(kClearLightStatus, 0, profile);
  return query.Write(kSetLightStatus, 1, profile, mode);
}

int ProfileStore::GetActiveLightMode(int profile) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadInt(kActiveLight, profile, 1);
}

bool ProfileStore::GetLightMode(int profile, int mode, LightModeRecord& record) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadOne(record, kGetLight, profile, mode);
}

int ProfileStore::ListLightModes(int profile, std::vector<LightModeRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListLights, profile);
}

// --- macros ---

int ProfileStore::AddMacro(const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(*this).Insert(kInsertMacro, name, 0, 1, 1, 0);
}

int ProfileStore::AddMacro(const MacroRecord& r) {
  std::lock_guard hold(mu_);
  return Query(*this).Insert(kInsertMacro, r.name, r.play_type, r.play_times, r.delay_type,
                             r.delay_time);
}

bool ProfileStore::RenameMacro(int macro_id, const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kRenameMacro, name, macro_id);
}

bool ProfileStore::UpdateMacro(int macro_id, const std::string& name, int play_type, int play_times,
                               int delay_type, int delay_time) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kUpdateMacro, name, play_type, play_times, delay_type, delay_time,
                            macro_id);
}

bool ProfileStore::DeleteMacro(int macro_id) {
  std::lock_guard hold(mu_);
  Query query(*this);
  if (!query.Write(kDeleteMacro, macro_id)) return false;
  return query.Write(kDeleteEvents, macro_id);
}

bool ProfileStore::GetMacro(int macro_id, MacroRecord& record) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadOne(record, kGetMacro, macro_id);
}

int ProfileStore::ListMacros(std::vector<MacroRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListMacros);
}

int ProfileStore::AddMacroEvent(const MacroEventRecord& r) {
  std::lock_guard hold(mu_);
  return Query(*this).Insert(kInsertEvent, r.macro_id, r.type, r.record_index, r.desc, r.value,
                             r.delay_time);
}

int ProfileStore::AddMacroEvents(const std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  SQLiteAutoTransaction transaction(&db_);
  (void)transaction.Begin();
  Query query(*this);
  int inserted = 0;
  for (const MacroEventRecord& r : list) {
    if (query.Write(kInsertEvent, r.macro_id, r.type, r.record_index, r.desc, r.value,
                    r.delay_time)) {
      ++inserted;
    }
  }
  (void)transaction.Commit();
  return inserted;
}

int ProfileStore::ListMacroEvents(int macro_id, std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListEvents, macro_id);
}

bool ProfileStore::DeleteMacroEvents(int macro_id) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kDeleteEvents, macro_id);
}

bool ProfileStore::ReplaceMacroEvents(int macro_id, const std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  SQLiteRollbackTransaction transaction(db_);
  if (!db_.IsOpen() || !transaction.Begin()) {
    Trace(4, "ReplaceMacroEvents %d: no transaction", macro_id);
    return false;
  }
  Query query(*this);
  bool ok = query.Write(kDeleteEvents, macro_id);
  for (size_t i = 0; ok && i < list.size(); ++i) {
    const MacroEventRecord& r = list[i];
    ok = query.Write(kInsertEvent, macro_id, r.type, r.record_index, r.desc, r.value, r.delay_time);
  }
  if (ok && transaction.Commit()) return true;
  Trace(4, "ReplaceMacroEvents %d failed: the stored list is unchanged", macro_id);
  return false;
}

// --- screen layers and frames ---

int ProfileStore::AddScreenLayer(int profile, const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(*this).Insert(kInsertLayer, profile, 0, name, 0, name, name, 100);
}

bool ProfileStore::SetLayerFrameCount(int led_id, int count) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kSetLayerFrames, count, led_id);
}

bool ProfileStore::SetLayerDelay(int led_id, int delay) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kSetLayerDelay, delay, led_id);
}

bool ProfileStore::SetLayerFirstFile(int led_id, const std::string& file) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kSetLayerFirst, file, led_id);
}

bool ProfileStore::DeleteScreenLayer(int led_id) {
  std::lock_guard hold(mu_);
  const bool ok = Query(*this).Write(kDeleteLayer, led_id);
  DeleteScreenFrames(led_id);
  return ok;
}

bool ProfileStore::GetScreenLayer(int led_id, ScreenLayerRecord& record) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadOne(record, kGetLayer, led_id);
}

int ProfileStore::ListScreenLayers(int profile, std::vector<ScreenLayerRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListLayers, profile);
}

int ProfileStore::AddScreenFrames(std::vector<ScreenFrameRecord> list) {
  std::lock_guard hold(mu_);
  SQLiteAutoTransaction transaction(&db_);
  (void)transaction.Begin();
  Query query(*this);
  int inserted = 0;
  for (const ScreenFrameRecord& r : list) {
    if (query.Write(kInsertFrame, r.led_id, r.name, r.delay_time, r.frame_index, r.file_name)) {
      ++inserted;
    }
  }
  (void)transaction.Commit();
  return inserted;
}

bool ProfileStore::DeleteScreenFrames(int led_id) {
  std::lock_guard hold(mu_);
  return Query(*this).Write(kDeleteFrames, led_id);
}

int ProfileStore::ListScreenFrames(int led_id, std::vector<ScreenFrameRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadList(list, kListFrames, led_id);
}

int ProfileStore::CountScreenFrames(int led_id) {
  std::lock_guard hold(mu_);
  return Query(*this).ReadInt(kCountFrames, led_id);
}
