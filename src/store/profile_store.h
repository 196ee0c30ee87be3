// The profile database of the current mouse model: one process-wide store that owns the
// connection and serialises every operation with a recursive lock. Text is UTF-8 both ways.
// Results follow one rule: writes report whether the step ran (done, row or ok), inserts
// return the new row id or 0, single-row reads return false with the output untouched, and
// counts, lookups and list reads return 0 (lists emptied) when nothing comes back.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "store/sqlite_db.h"

struct ProfileRecord {
  int profile = 0;
  std::string name;
  std::string app;
  int type = 0;
  int status = 0;
};

struct KeyAssignmentRecord {
  int key_id = 0;
  int profile = 0;
  int fn_layer = 0;
  int key_code = 0;
  int layout_value = 0;
  std::string layout_desc;
  int macro_type = 0;
  int macro_value = 0;
  int macro_value2 = 0;
  int macro_value3 = 0;
  std::string macro_desc;
};

struct LightModeRecord {
  int light_id = 0;
  int profile = 0;
  std::string name;
  int mode = 0;
  int brightness = 0;
  int speed = 0;
  int direction = 0;
  int colorful = 0;
  int colorindex = 0;
  int color_value = 0;
  int config_func = 0;
  int reserved = 0;
  int status = 0;
};

struct MacroRecord {
  int macro_id = 0;
  std::string name;
  int play_type = 0;
  int play_times = 0;
  int delay_type = 0;
  int delay_time = 0;
};

struct MacroEventRecord {
  int record_id = 0;
  int macro_id = 0;
  int type = 0;
  int record_index = 0;
  int value = 0;
  int delay_time = 0;
  std::string desc;
};

struct ScreenLayerRecord {
  int led_id = 0;
  int profile = 0;
  int type = 0;
  std::string name;
  int frame_size = 0;
  std::string file_dir;
  std::string first_file;
  int delay_time = 0;
};

struct ScreenFrameRecord {
  int frame_id = 0;
  int led_id = 0;
  std::string name;
  int delay_time = 0;
  int frame_index = 0;
  std::string file_name;
};

// What the last OpenForModel found and did, for the window and the log.
struct StoreOpenReport {
  enum class Outcome {
    kNone,         // nothing opened yet
    kOpened,       // the existing file passed its checks
    kCreated,      // there was none: a new one was made
    kReplaced,     // the file failed its checks: kept as `kept_as`, a new one was made
    kNotWritable,  // opened and readable, but writes are refused (read-only, locked)
    kUnusable,     // cannot be opened or read now (locked, no permission, folder missing)
  };
  Outcome outcome = Outcome::kNone;
  std::string path;
  std::string kept_as;
  std::string reason;
};

class ProfileStore {
 public:
  // The one store of the process, created on first use.
  static ProfileStore& Instance();

  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // Closes the current database, then opens "<user_data_dir>db/<model>_data.db", or creates
  // it with every table when it does not exist. An existing file is checked first (SQLite's
  // quick check, every table with its columns); one that fails is renamed aside with a time
  // stamp (never deleted) and a new one created. True when the store is ready for reads and
  // writes; OpenReport() says what happened. The "db" folder must exist.
  bool OpenForModel(const std::string& user_data_dir, const std::string& model_name);
  // Creates the file at the current path with every table and index; true when a
  // connection is already held. The tables are made in a scratch file beside it that is
  // renamed into place only when complete, so a database is either whole or absent.
  bool CreateDatabase();
  StoreOpenReport OpenReport() const;
  // False when the open found writes refused; a later failed write does not change it.
  bool Writable() const;
  // The reason of the last failed statement (SQLite's words), empty when none failed;
  // ReadSetting and WriteSetting clear it first, so after one of them it is that call's.
  std::string LastError() const;
  // How long an operation waits for another process's lock (default 3000 ms).
  void SetBusyTimeoutMs(int ms);
  // Records `error` as the reason of a failed `what` and traces it (the store's own
  // statements call it; the lock is held).
  void NoteFailure(const char* what, const platform::Error& error);
  // Tests: the creation statement with this index fails as if the process died there
  // (-1: none).
  void FailCreationAtForTest(int statement_index) { fail_creation_at_ = statement_index; }
  // Closes the current database (if any). False only when SQLite refuses to close.
  bool Close();
  bool IsOpen() const;
  std::string Path() const;

  // Lets a caller run several operations as one (the lock is recursive).
  std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mu_); }
  // The connection; use it only while holding Lock().
  SQLiteDB& Db() { return db_; }

  // Settings of a profile. A key without a row is never created by WriteSetting: the update
  // changes nothing and still reports success.
  bool ReadSetting(int profile, const std::string& key, std::string& value);
  bool WriteSetting(int profile, const std::string& key, const std::string& value);
  // Inserts the fifty default rows of a new profile; true when every row went in.
  bool InsertDefaultSettings(int profile);

  // Adds a profile (status 0, type 0) with its default settings; the new number or 0.
  int AddProfile(const ProfileRecord& record);
  int ListProfiles(std::vector<ProfileRecord>& list);
  // Clears every status, then marks `profile`; a missing profile leaves none active.
  bool SetActiveProfile(int profile);
  // The first profile marked active, 0 when none.
  int GetActiveProfile();

  // Replaces the button's row of the record's profile, layer and key code; with macro_value
  // and macro_value2 both 0 it only removes it (the button keeps its default) and returns 0.
  int SaveKeyAssignment(const KeyAssignmentRecord& record);
  bool GetKeyAssignment(int profile, int key_code, KeyAssignmentRecord& record);
  bool SetKeyDescription(int profile, int key_code, const std::string& description);
  int ListKeyAssignments(int profile, std::vector<KeyAssignmentRecord>& list);
  bool DeleteKeyAssignments(int profile);

  int CountLightModes(int profile);
  int AddLightMode(const LightModeRecord& record);
  // Changes everything but name and status of the profile's row for `mode`.
  bool UpdateLightMode(int profile, int mode, const LightModeRecord& record);
  bool SetActiveLightMode(int profile, int mode);
  int GetActiveLightMode(int profile);
  bool GetLightMode(int profile, int mode, LightModeRecord& record);
  int ListLightModes(int profile, std::vector<LightModeRecord>& list);

  // Macros belong to the database, not to a profile. AddMacro(name) stores play type 0,
  // one play, delay type 1 and delay 0.
  int AddMacro(const std::string& name);
  int AddMacro(const MacroRecord& record);
  bool RenameMacro(int macro_id, const std::string& name);
  bool UpdateMacro(int macro_id, const std::string& name, int play_type, int play_times,
                   int delay_type, int delay_time);
  // Removes the macro, then (only if that worked) its events.
  bool DeleteMacro(int macro_id);
  bool GetMacro(int macro_id, MacroRecord& record);
  int ListMacros(std::vector<MacroRecord>& list);
  int AddMacroEvent(const MacroEventRecord& record);
  // Inserts every event in one transaction; a failing row does not stop the others.
  // Returns the number of rows inserted.
  int AddMacroEvents(const std::vector<MacroEventRecord>& list);
  // Sorted by record_index.
  int ListMacroEvents(int macro_id, std::vector<MacroEventRecord>& list);
  bool DeleteMacroEvents(int macro_id);
  // Deletes the macro's events and inserts `list` in one transaction; any failing step rolls
  // everything back, so the old list stays. The records' macro_id is ignored.
  bool ReplaceMacroEvents(int macro_id, const std::vector<MacroEventRecord>& list);

  // A new layer stores `name` as its name, folder and first file, type 0, no frames, 100 ms.
  int AddScreenLayer(int profile, const std::string& name);
  bool SetLayerFrameCount(int led_id, int count);
  bool SetLayerDelay(int led_id, int delay);
  bool SetLayerFirstFile(int led_id, const std::string& file);
  // Removes the layer and, whatever that gave, its frames; the result is the layer's.
  bool DeleteScreenLayer(int led_id);
  bool GetScreenLayer(int led_id, ScreenLayerRecord& record);
  int ListScreenLayers(int profile, std::vector<ScreenLayerRecord>& list);
  // Inserts every frame in one transaction; returns the number of rows inserted (the list's
  // size when all went in).
  int AddScreenFrames(std::vector<ScreenFrameRecord> list);
  bool DeleteScreenFrames(int led_id);
  // Sorted by frame_index.
  int ListScreenFrames(int led_id, std::vector<ScreenFrameRecord>& list);
  int CountScreenFrames(int led_id);

 private:
  ProfileStore() = default;
  ~ProfileStore();

  enum class Check { kGood, kBroken, kUnreadable };
  // Opens the existing file at path_ and checks it; `reason` says why it is not good.
  Check CheckExisting(std::string& reason);
  // Empty when the open connection takes writes, else why not. Switches to WAL on the way.
  std::string PrepareWrites();

  mutable std::recursive_mutex mu_;
  SQLiteDB db_;
  std::string path_;
  bool open_ = false;
  bool writable_ = false;
  StoreOpenReport report_;
  std::string last_error_;
  int fail_creation_at_ = -1;
};
