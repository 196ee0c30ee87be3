#include "store/profile_store.h"

#include <sqlite3.h>

#include <filesystem>
#include <utility>

#include "log/trace.h"
#include "store/schema.h"
#include "store/settings_keys.h"

namespace {

// A step that ran: done, a row, or ok.
bool StepOk(int rc) { return rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE; }

void Bind(SQLiteStatement& st, int index, int value) { st.BindInt(index, value); }

void Bind(SQLiteStatement& st, int index, const std::string& text) {
  st.BindText(index, text.data(), static_cast<int>(text.size()));
}

// Prepares `sql` on `st` and binds `args` in order from index 1. A failed prepare is not
// checked here: binding and stepping then return 21 and the operation reports failure.
template <typename... Args>
void PrepareBound(SQLiteDB& db, SQLiteStatement& st, const char* sql, const Args&... args) {
  db.Prepare(st, sql, -1);
  int index = 0;
  (Bind(st, ++index, args), ...);
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
  explicit Query(SQLiteDB& db) : db_(db) {}

  template <typename... Args>
  bool Write(const char* sql, const Args&... args) {
    PrepareBound(db_, st_, sql, args...);
    return StepOk(st_.Step());
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
    PrepareBound(db_, st_, sql, args...);
    if (st_.Step() != SQLITE_ROW) return false;
    ReadRow(st_, record);
    return true;
  }

  // Column 0 of the first row as an integer, 0 when no row comes back.
  template <typename... Args>
  int ReadInt(const char* sql, const Args&... args) {
    PrepareBound(db_, st_, sql, args...);
    if (st_.Step() != SQLITE_ROW) return 0;
    return st_.ColumnInt(0);
  }

  template <typename Record, typename... Args>
  int ReadList(std::vector<Record>& list, const char* sql, const Args&... args) {
    list.clear();
    PrepareBound(db_, st_, sql, args...);
    while (st_.Step() == SQLITE_ROW) {
      Record record;
      ReadRow(st_, record);
      list.push_back(std::move(record));
    }
    return static_cast<int>(list.size());
  }

 private:
  SQLiteDB& db_;
  SQLiteStatement st_;
};

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
  // Any connection still held goes, not only a fully opened one: a creation that failed
  // must not leave the previous model's file serving the next model.
  if (!db_.Close()) return false;
  std::string dir = user_data_dir;
  if (!dir.empty() && dir.back() != '/') dir.push_back('/');
  path_ = dir + "db/" + model_name + "_data.db";
  std::error_code ec;
  bool result;
  if (std::filesystem::exists(path_, ec)) {
    // An existing file is used as it is; its tables are neither created nor examined.
    result = db_.Open(path_.c_str(), kOpenExisting);
  } else {
    result = CreateDatabase();
  }
  open_ = result;
  return result;
}

bool ProfileStore::CreateDatabase() {
  std::lock_guard hold(mu_);
  if (db_.IsOpen()) return true;
  // An empty path would make SQLite open a private temporary database.
  if (path_.empty()) return false;
  const std::vector<const char*>& statements = store_schema::CreationStatements();
  std::error_code ec;
  const bool existed = std::filesystem::exists(path_, ec);
  if (!db_.Open(path_.c_str(), kOpenCreate)) return false;
  bool all_ok = true;
  for (const char* sql : statements) {
    if (db_.Execute(sql) != SQLITE_OK) all_ok = false;
  }
  if (!all_ok && !existed) {
    // A file with half its tables would be taken as complete on the next run.
    db_.Close();
    std::filesystem::remove(path_, ec);
  }
  return all_ok;
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
  value.clear();
  SQLiteStatement st;
  PrepareBound(db_, st, kReadSetting, profile, key);
  if (st.Step() != SQLITE_ROW) return false;
  value = Text(st, 0);
  return true;
}

bool ProfileStore::WriteSetting(int profile, const std::string& key, const std::string& value) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kWriteSetting, value, profile, key);
}

bool ProfileStore::InsertDefaultSettings(int profile) {
  std::lock_guard hold(mu_);
  bool all_ok = true;
  for (const settings::SettingKey& k : settings::DefaultSettingKeys()) {
    const std::string key = k.key;
    const std::string value = k.default_value;
    if (!Query(db_).Write(kInsertSetting, profile, key, value)) all_ok = false;
  }
  return all_ok;
}

// --- profiles ---

int ProfileStore::AddProfile(const ProfileRecord& record) {
  std::lock_guard hold(mu_);
  const int profile = Query(db_).Insert(kInsertProfile, record.name, 0, record.app, 0);
  // Without a row there is no profile to give settings to; profile 0 must stay empty.
  if (profile != 0) InsertDefaultSettings(profile);
  return profile;
}

int ProfileStore::ListProfiles(std::vector<ProfileRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListProfiles);
}

bool ProfileStore::SetActiveProfile(int profile) {
  std::lock_guard hold(mu_);
  Query query(db_);
  query.Write(kClearProfileStatus, 0);
  return query.Write(kSetProfileStatus, 1, profile);
}

int ProfileStore::GetActiveProfile() {
  std::lock_guard hold(mu_);
  return Query(db_).ReadInt(kActiveProfile, 1);
}

// --- button assignments ---

int ProfileStore::SaveKeyAssignment(const KeyAssignmentRecord& r) {
  std::lock_guard hold(mu_);
  Query query(db_);
  // Inserting after a failed delete would leave two rows for one button.
  if (!query.Write(kDeleteKey, r.profile, r.fn_layer, r.key_code)) return 0;
  if (r.macro_value == 0 && r.macro_value2 == 0) return 0;
  return query.Insert(kInsertKey, r.profile, r.fn_layer, r.key_code, r.layout_value, r.layout_desc,
                      r.macro_type, r.macro_value, r.macro_value2, r.macro_value3, r.macro_desc);
}

bool ProfileStore::GetKeyAssignment(int profile, int key_code, KeyAssignmentRecord& record) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadOne(record, kGetKey, profile, 0, key_code);
}

bool ProfileStore::SetKeyDescription(int profile, int key_code, const std::string& description) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kSetKeyDescription, description, profile, 0, key_code);
}

int ProfileStore::ListKeyAssignments(int profile, std::vector<KeyAssignmentRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListKeys, profile, 0);
}

bool ProfileStore::DeleteKeyAssignments(int profile) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kDeleteKeys, profile);
}

// --- lighting modes ---

int ProfileStore::CountLightModes(int profile) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadInt(kCountLights, profile);
}

int ProfileStore::AddLightMode(const LightModeRecord& r) {
  std::lock_guard hold(mu_);
  return Query(db_).Insert(kInsertLight, r.profile, r.name, r.mode, r.brightness, r.speed,
                           r.direction, r.colorful, r.colorindex, r.color_value, r.config_func,
                           r.reserved, r.status);
}

bool ProfileStore::UpdateLightMode(int profile, int mode, const LightModeRecord& r) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kUpdateLight, r.brightness, r.speed, r.direction, r.colorful,
                          r.colorindex, r.color_value, r.config_func, r.reserved, profile, mode);
}

bool ProfileStore::SetActiveLightMode(int profile, int mode) {
  std::lock_guard hold(mu_);
  Query query(db_);
  query.Write(kClearLightStatus, 0, profile);
  return query.Write(kSetLightStatus, 1, profile, mode);
}

int ProfileStore::GetActiveLightMode(int profile) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadInt(kActiveLight, profile, 1);
}

bool ProfileStore::GetLightMode(int profile, int mode, LightModeRecord& record) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadOne(record, kGetLight, profile, mode);
}

int ProfileStore::ListLightModes(int profile, std::vector<LightModeRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListLights, profile);
}

// --- macros ---

int ProfileStore::AddMacro(const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(db_).Insert(kInsertMacro, name, 0, 1, 1, 0);
}

int ProfileStore::AddMacro(const MacroRecord& r) {
  std::lock_guard hold(mu_);
  return Query(db_).Insert(kInsertMacro, r.name, r.play_type, r.play_times, r.delay_type,
                           r.delay_time);
}

bool ProfileStore::RenameMacro(int macro_id, const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kRenameMacro, name, macro_id);
}

bool ProfileStore::UpdateMacro(int macro_id, const std::string& name, int play_type, int play_times,
                               int delay_type, int delay_time) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kUpdateMacro, name, play_type, play_times, delay_type, delay_time,
                          macro_id);
}

bool ProfileStore::DeleteMacro(int macro_id) {
  std::lock_guard hold(mu_);
  Query query(db_);
  if (!query.Write(kDeleteMacro, macro_id)) return false;
  return query.Write(kDeleteEvents, macro_id);
}

bool ProfileStore::GetMacro(int macro_id, MacroRecord& record) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadOne(record, kGetMacro, macro_id);
}

int ProfileStore::ListMacros(std::vector<MacroRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListMacros);
}

int ProfileStore::AddMacroEvent(const MacroEventRecord& r) {
  std::lock_guard hold(mu_);
  return Query(db_).Insert(kInsertEvent, r.macro_id, r.type, r.record_index, r.desc, r.value,
                           r.delay_time);
}

int ProfileStore::AddMacroEvents(const std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  SQLiteAutoTransaction transaction(&db_);
  transaction.Begin();
  Query query(db_);
  int inserted = 0;
  for (const MacroEventRecord& r : list) {
    if (query.Write(kInsertEvent, r.macro_id, r.type, r.record_index, r.desc, r.value,
                    r.delay_time)) {
      ++inserted;
    }
  }
  transaction.Commit();
  return inserted;
}

int ProfileStore::ListMacroEvents(int macro_id, std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListEvents, macro_id);
}

bool ProfileStore::DeleteMacroEvents(int macro_id) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kDeleteEvents, macro_id);
}

bool ProfileStore::ReplaceMacroEvents(int macro_id, const std::vector<MacroEventRecord>& list) {
  std::lock_guard hold(mu_);
  if (!db_.IsOpen() || db_.Execute("BEGIN") != SQLITE_OK) {
    Trace(4, "ReplaceMacroEvents %d: no transaction", macro_id);
    return false;
  }
  Query query(db_);
  bool ok = query.Write(kDeleteEvents, macro_id);
  for (size_t i = 0; ok && i < list.size(); ++i) {
    const MacroEventRecord& r = list[i];
    ok = query.Write(kInsertEvent, macro_id, r.type, r.record_index, r.desc, r.value, r.delay_time);
  }
  if (ok && db_.Execute("END") == SQLITE_OK) return true;
  db_.Execute("ROLLBACK");
  Trace(4, "ReplaceMacroEvents %d failed: the stored list is unchanged", macro_id);
  return false;
}

// --- screen layers and frames ---

int ProfileStore::AddScreenLayer(int profile, const std::string& name) {
  std::lock_guard hold(mu_);
  return Query(db_).Insert(kInsertLayer, profile, 0, name, 0, name, name, 100);
}

bool ProfileStore::SetLayerFrameCount(int led_id, int count) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kSetLayerFrames, count, led_id);
}

bool ProfileStore::SetLayerDelay(int led_id, int delay) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kSetLayerDelay, delay, led_id);
}

bool ProfileStore::SetLayerFirstFile(int led_id, const std::string& file) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kSetLayerFirst, file, led_id);
}

bool ProfileStore::DeleteScreenLayer(int led_id) {
  std::lock_guard hold(mu_);
  const bool ok = Query(db_).Write(kDeleteLayer, led_id);
  DeleteScreenFrames(led_id);
  return ok;
}

bool ProfileStore::GetScreenLayer(int led_id, ScreenLayerRecord& record) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadOne(record, kGetLayer, led_id);
}

int ProfileStore::ListScreenLayers(int profile, std::vector<ScreenLayerRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListLayers, profile);
}

int ProfileStore::AddScreenFrames(std::vector<ScreenFrameRecord> list) {
  std::lock_guard hold(mu_);
  SQLiteAutoTransaction transaction(&db_);
  transaction.Begin();
  Query query(db_);
  int inserted = 0;
  for (const ScreenFrameRecord& r : list) {
    if (query.Write(kInsertFrame, r.led_id, r.name, r.delay_time, r.frame_index, r.file_name)) {
      ++inserted;
    }
  }
  transaction.Commit();
  return inserted;
}

bool ProfileStore::DeleteScreenFrames(int led_id) {
  std::lock_guard hold(mu_);
  return Query(db_).Write(kDeleteFrames, led_id);
}

int ProfileStore::ListScreenFrames(int led_id, std::vector<ScreenFrameRecord>& list) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadList(list, kListFrames, led_id);
}

int ProfileStore::CountScreenFrames(int led_id) {
  std::lock_guard hold(mu_);
  return Query(db_).ReadInt(kCountFrames, led_id);
}
