#include "store/profile_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "store/settings_keys.h"
#include "store_fixture.h"

namespace store_test {
namespace {

// --- opening, creating, switching ---

TEST_F(StoreTest, NewDatabaseHasEveryTableAndIndex) {
  EXPECT_TRUE(store().IsOpen());
  EXPECT_EQ(store().Path(), DbFile());
  const char* tables[] = {
      "t_configdata",  "t_profile_data", "t_key_macro_data", "t_key_otherdata", "t_macro_data",
      "t_macrorecord", "t_light_data",   "t_key_light_data", "t_ledlayer_data", "t_ledframe_data"};
  for (const char* table : tables) {
    EXPECT_EQ(Count(std::string("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                "name = '") +
                    table + "'"),
              1)
        << table;
  }
  const char* indexes[] = {"profileindex",     "keyindex",   "otheridindex", "macroidindex",
                           "macrorecordindex", "lightindex", "keylightindex"};
  for (const char* index : indexes) {
    EXPECT_EQ(Count(std::string("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                                "name = '") +
                    index + "'"),
              1)
        << index;
  }
  // The screen tables have no index of their own.
  EXPECT_EQ(Count("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name LIKE "
                  "'t_led%'"),
            0);
}

TEST_F(StoreTest, SwitchingModelsKeepsEachFileApart) {
  ASSERT_NE(store().AddMacro("macro of A"), 0);
  ASSERT_TRUE(store().OpenForModel(dir_.path(), "B"));
  EXPECT_EQ(store().Path(), DbFile("B"));
  std::vector<MacroRecord> macros;
  EXPECT_EQ(store().ListMacros(macros), 0);
  ASSERT_NE(store().AddMacro("macro of B"), 0);

  ASSERT_TRUE(store().OpenForModel(dir_.path(), "K7"));
  ASSERT_EQ(store().ListMacros(macros), 1);
  EXPECT_EQ(macros[0].name, "macro of A");
  EXPECT_EQ(QueryInt(DbFile("B"), "SELECT count(*) FROM t_macro_data"), 1);
}

TEST_F(StoreTest, EmptyModelNameAndTrailingSlashOptional) {
  std::string dir = dir_.path();
  dir.pop_back();
  ASSERT_TRUE(store().OpenForModel(dir, ""));
  EXPECT_EQ(store().Path(), dir_.path() + "db/_data.db");
  EXPECT_TRUE(std::filesystem::exists(dir_.path() + "db/_data.db"));
}

TEST_F(StoreTest, MissingDbFolderLeavesStoreClosed) {
  TempDir other;
  EXPECT_FALSE(store().OpenForModel(other.path(), "K7"));
  EXPECT_FALSE(store().IsOpen());
  EXPECT_FALSE(std::filesystem::exists(other.path() + "db"));
  std::vector<ProfileRecord> list;
  EXPECT_EQ(store().ListProfiles(list), 0);
  // The previous model's file was closed, not reused.
  EXPECT_EQ(store().AddMacro("nowhere"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM t_macro_data"), 0);
}

// Every group of operations, run where no usable database is behind the store. Each entry
// returns true when the operation reported failure in its own way.
struct FailingOperation {
  const char* name;
  std::function<bool(ProfileStore&)> failed;
};

const FailingOperation kFailingOperations[] = {
    {"ReadSetting",
     [](ProfileStore& s) {
       std::string value = "stale";
       return !s.ReadSetting(1, "report_rate", value) && value.empty();
     }},
    {"WriteSetting", [](ProfileStore& s) { return !s.WriteSetting(1, "report_rate", "2"); }},
    {"InsertDefaultSettings", [](ProfileStore& s) { return !s.InsertDefaultSettings(1); }},
    {"AddProfile", [](ProfileStore& s) { return s.AddProfile(ProfileRecord{}) == 0; }},
    {"ListProfiles",
     [](ProfileStore& s) {
       std::vector<ProfileRecord> list(3);
       return s.ListProfiles(list) == 0 && list.empty();
     }},
    {"SetActiveProfile", [](ProfileStore& s) { return !s.SetActiveProfile(1); }},
    {"GetActiveProfile", [](ProfileStore& s) { return s.GetActiveProfile() == 0; }},
    {"SaveKeyAssignment",
     [](ProfileStore& s) {
       KeyAssignmentRecord r;
       r.macro_value = 1;
       return s.SaveKeyAssignment(r) == 0;
     }},
    {"GetKeyAssignment",
     [](ProfileStore& s) {
       KeyAssignmentRecord r;
       r.key_id = 77;
       return !s.GetKeyAssignment(1, 1, r) && r.key_id == 77;
     }},
    {"ListKeyAssignments",
     [](ProfileStore& s) {
       std::vector<KeyAssignmentRecord> list(2);
       return s.ListKeyAssignments(1, list) == 0 && list.empty();
     }},
    {"DeleteKeyAssignments", [](ProfileStore& s) { return !s.DeleteKeyAssignments(1); }},
    {"AddLightMode", [](ProfileStore& s) { return s.AddLightMode(LightModeRecord{}) == 0; }},
    {"CountLightModes", [](ProfileStore& s) { return s.CountLightModes(1) == 0; }},
    {"SetActiveLightMode", [](ProfileStore& s) { return !s.SetActiveLightMode(1, 1); }},
    {"AddMacro", [](ProfileStore& s) { return s.AddMacro("m") == 0; }},
    {"DeleteMacro", [](ProfileStore& s) { return !s.DeleteMacro(1); }},
    {"AddMacroEvents",
     [](ProfileStore& s) {
       return s.AddMacroEvents({MacroEventRecord{}, MacroEventRecord{}}) == 0;
     }},
    {"ListMacroEvents",
     [](ProfileStore& s) {
       std::vector<MacroEventRecord> list(1);
       return s.ListMacroEvents(1, list) == 0 && list.empty();
     }},
    {"AddScreenLayer", [](ProfileStore& s) { return s.AddScreenLayer(1, "x") == 0; }},
    {"DeleteScreenLayer", [](ProfileStore& s) { return !s.DeleteScreenLayer(1); }},
    {"AddScreenFrames",
     [](ProfileStore& s) { return s.AddScreenFrames({ScreenFrameRecord{}}) == 0; }},
    {"CountScreenFrames", [](ProfileStore& s) { return s.CountScreenFrames(1) == 0; }},
};

void ExpectEveryOperationFails(ProfileStore& s) {
  for (const FailingOperation& op : kFailingOperations) {
    EXPECT_TRUE(op.failed(s)) << op.name;
  }
}

TEST_F(StoreTest, EveryOperationFailsHarmlesslyWithoutDatabase) {
  ASSERT_TRUE(store().Close());
  EXPECT_FALSE(store().IsOpen());
  ExpectEveryOperationFails(store());
}

// --- settings ---

TEST_F(StoreTest, DefaultSettingsAreTheFiftyKeysInOrder) {
  ASSERT_TRUE(store().InsertDefaultSettings(4));
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata WHERE profile = 4"), 50);
  EXPECT_EQ(Count("SELECT count(DISTINCT key) FROM t_configdata WHERE profile = 4"), 50);
  // Rows follow the key table in order.
  int position = 0;
  for (const settings::SettingKey& key : settings::DefaultSettingKeys()) {
    ++position;
    EXPECT_EQ(Count(std::string("SELECT count(*) FROM t_configdata WHERE profile = 4 AND key = '") +
                    key.key + "' AND value = '" + key.default_value +
                    "' AND config_id = " + std::to_string(position)),
              1)
        << key.key;
  }
}

TEST_F(StoreTest, ReadAndWriteSettings) {
  ASSERT_TRUE(store().InsertDefaultSettings(1));
  std::string value;
  EXPECT_TRUE(store().ReadSetting(1, "dpi_group5_value", value));
  EXPECT_EQ(value, "26000");
  EXPECT_TRUE(store().WriteSetting(1, "dpi_group5_value", "12000"));
  EXPECT_TRUE(store().ReadSetting(1, "dpi_group5_value", value));
  EXPECT_EQ(value, "12000");
  // Only that profile's row changed.
  ASSERT_TRUE(store().InsertDefaultSettings(2));
  EXPECT_TRUE(store().ReadSetting(2, "dpi_group5_value", value));
  EXPECT_EQ(value, "26000");

  // A key without a row reports success and creates nothing.
  EXPECT_TRUE(store().WriteSetting(1, "no_such_key", "5"));
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata"), 100);
  value = "stale";
  EXPECT_FALSE(store().ReadSetting(1, "no_such_key", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(store().ReadSetting(3, "report_rate", value));
}

TEST_F(StoreTest, NullSettingReadsEmpty) {
  ASSERT_TRUE(store().InsertDefaultSettings(1));
  ASSERT_TRUE(ExecuteOn(DbFile(), "UPDATE t_configdata SET value = NULL WHERE key = 'dpi_index'"));
  std::string value = "stale";
  EXPECT_TRUE(store().ReadSetting(1, "dpi_index", value));
  EXPECT_EQ(value, "");
}

// --- profiles ---

TEST_F(StoreTest, AddProfileStoresNameAndDefaults) {
  ProfileRecord record;
  record.name = "配置方案 1";
  record.status = 1;  // ignored: a new profile starts inactive
  record.type = 9;    // ignored
  ASSERT_EQ(store().AddProfile(record), 1);
  ASSERT_EQ(store().AddProfile(ProfileRecord{0, "Second", "", 0, 0}), 2);
  std::vector<ProfileRecord> list;
  ASSERT_EQ(store().ListProfiles(list), 2);
  EXPECT_EQ(list[0].profile, 1);
  EXPECT_EQ(list[0].name, "配置方案 1");
  EXPECT_EQ(list[0].status, 0);
  EXPECT_EQ(list[0].type, 0);
  EXPECT_EQ(list[0].app, "");
  EXPECT_EQ(list[1].name, "Second");
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata WHERE profile = 2"), 50);
}

TEST_F(StoreTest, FailedAddProfileWritesNoSettings) {
  ASSERT_TRUE(ExecuteOn(DbFile(), "DROP TABLE t_profile_data"));
  EXPECT_EQ(store().AddProfile(ProfileRecord{}), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata"), 0);
}

TEST_F(StoreTest, SetActiveProfileLeavesAtMostOneActive) {
  for (int i = 0; i < 3; ++i) ASSERT_NE(store().AddProfile(ProfileRecord{}), 0);
  struct Case {
    int profile;
    int expected_active;
    int64_t expected_marked;
  } cases[] = {{2, 2, 1}, {3, 3, 1}, {9, 0, 0}, {1, 1, 1}, {0, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_TRUE(store().SetActiveProfile(c.profile)) << c.profile;
    EXPECT_EQ(store().GetActiveProfile(), c.expected_active) << c.profile;
    EXPECT_EQ(Count("SELECT count(*) FROM t_profile_data WHERE status = 1"), c.expected_marked)
        << c.profile;
  }
}

// --- button assignments ---

KeyAssignmentRecord Key(int profile, int key_code, int value, int value2,
                        const std::string& desc = "") {
  KeyAssignmentRecord r;
  r.profile = profile;
  r.key_code = key_code;
  r.layout_value = 3;
  r.layout_desc = "layout";
  r.macro_type = 2;
  r.macro_value = value;
  r.macro_value2 = value2;
  r.macro_value3 = 4;
  r.macro_desc = desc;
  return r;
}

TEST_F(StoreTest, SaveKeyAssignmentReplacesOrRemoves) {
  struct Step {
    KeyAssignmentRecord record;
    bool expect_row;
    int expect_value2;
  } steps[] = {
      {Key(1, 5, 10, 0, "左键"), true, 0},  // new row
      {Key(1, 5, 11, 7, "替换"), true, 7},  // replaced
      {Key(1, 5, 0, 9), true, 9},           // macro_value2 alone keeps a row
      {Key(1, 5, 0, 0), false, 0},          // both zero: back to the default
      {Key(1, 5, 12, 0), true, 0},          // and assignable again
  };
  const int other = store().SaveKeyAssignment(Key(2, 5, 33, 0));  // another profile, same key
  ASSERT_NE(other, 0);
  int last_id = other;
  for (const Step& s : steps) {
    const int id = store().SaveKeyAssignment(s.record);
    KeyAssignmentRecord read;
    const bool found = store().GetKeyAssignment(1, 5, read);
    ASSERT_EQ(found, s.expect_row) << s.record.macro_value << "/" << s.record.macro_value2;
    EXPECT_EQ(Count("SELECT count(*) FROM t_key_macro_data WHERE profile = 1 AND key_code = 5"),
              s.expect_row ? 1 : 0);
    if (!s.expect_row) {
      EXPECT_EQ(id, 0);
      continue;
    }
    EXPECT_GT(id, last_id);  // a replacement is a new row
    last_id = id;
    EXPECT_EQ(read.key_id, id);
    EXPECT_EQ(read.profile, 1);
    EXPECT_EQ(read.fn_layer, 0);
    EXPECT_EQ(read.key_code, 5);
    EXPECT_EQ(read.layout_value, 3);
    EXPECT_EQ(read.layout_desc, "layout");
    EXPECT_EQ(read.macro_type, 2);
    EXPECT_EQ(read.macro_value, s.record.macro_value);
    EXPECT_EQ(read.macro_value2, s.expect_value2);
    EXPECT_EQ(read.macro_value3, 4);
    EXPECT_EQ(read.macro_desc, s.record.macro_desc);
  }
  KeyAssignmentRecord read;
  ASSERT_TRUE(store().GetKeyAssignment(2, 5, read));
  EXPECT_EQ(read.key_id, other);
}

// Inserting after a refused delete would leave two rows for one button.
TEST_F(StoreTest, SaveKeyAssignmentInsertsNothingWhenTheOldRowCannotGo) {
  const int id = store().SaveKeyAssignment(Key(1, 5, 10, 0, "old"));
  ASSERT_NE(id, 0);
  ASSERT_TRUE(ExecuteOn(DbFile(),
                        "CREATE TRIGGER keep BEFORE DELETE ON t_key_macro_data "
                        "BEGIN SELECT RAISE(ABORT, 'kept'); END"));
  EXPECT_EQ(store().SaveKeyAssignment(Key(1, 5, 11, 0, "new")), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM t_key_macro_data WHERE profile = 1 AND key_code = 5"), 1);
  KeyAssignmentRecord read;
  ASSERT_TRUE(store().GetKeyAssignment(1, 5, read));
  EXPECT_EQ(read.key_id, id);
  EXPECT_EQ(read.macro_desc, "old");
}

TEST_F(StoreTest, KeyDescriptionsListsAndProfileReset) {
  for (int key = 1; key <= 3; ++key) ASSERT_NE(store().SaveKeyAssignment(Key(1, key, key, 0)), 0);
  ASSERT_NE(store().SaveKeyAssignment(Key(2, 1, 9, 0)), 0);
  EXPECT_TRUE(store().SetKeyDescription(1, 2, "宏 一"));
  KeyAssignmentRecord read;
  ASSERT_TRUE(store().GetKeyAssignment(1, 2, read));
  EXPECT_EQ(read.macro_desc, "宏 一");

  std::vector<KeyAssignmentRecord> list;
  ASSERT_EQ(store().ListKeyAssignments(1, list), 3);
  EXPECT_EQ(list[0].key_code, 1);
  EXPECT_EQ(list[2].key_code, 3);
  EXPECT_TRUE(store().DeleteKeyAssignments(1));
  EXPECT_EQ(store().ListKeyAssignments(1, list), 0);
  EXPECT_EQ(store().ListKeyAssignments(2, list), 1);
}

// --- lighting modes ---

LightModeRecord Light(int profile, int mode, int brightness) {
  LightModeRecord r;
  r.profile = profile;
  r.name = "呼吸";
  r.mode = mode;
  r.brightness = brightness;
  r.speed = 2;
  r.direction = 1;
  r.colorful = 1;
  r.colorindex = 3;
  r.color_value = 0x20A3FF;
  r.config_func = 5;
  r.reserved = 6;
  r.status = 0;
  return r;
}

TEST_F(StoreTest, LightModesPerProfile) {
  for (int mode = 1; mode <= 3; ++mode) ASSERT_NE(store().AddLightMode(Light(1, mode, 10)), 0);
  ASSERT_NE(store().AddLightMode(Light(2, 1, 10)), 0);
  EXPECT_EQ(store().CountLightModes(1), 3);
  EXPECT_EQ(store().GetActiveLightMode(1), 0);

  ASSERT_TRUE(store().SetActiveLightMode(2, 1));
  ASSERT_TRUE(store().SetActiveLightMode(1, 2));
  EXPECT_EQ(store().GetActiveLightMode(1), 2);
  ASSERT_TRUE(store().SetActiveLightMode(1, 3));
  EXPECT_EQ(store().GetActiveLightMode(1), 3);
  EXPECT_EQ(Count("SELECT count(*) FROM t_light_data WHERE profile = 1 AND status = 1"), 1);
  EXPECT_EQ(store().GetActiveLightMode(2), 1);  // untouched by profile 1's changes

  LightModeRecord changed = Light(1, 3, 99);
  changed.name = "renamed";
  changed.status = 0;
  ASSERT_TRUE(store().UpdateLightMode(1, 3, changed));
  LightModeRecord read;
  ASSERT_TRUE(store().GetLightMode(1, 3, read));
  EXPECT_EQ(read.brightness, 99);
  EXPECT_EQ(read.color_value, 0x20A3FF);
  EXPECT_EQ(read.reserved, 6);
  EXPECT_EQ(read.name, "呼吸");  // name and status are not updated
  EXPECT_EQ(read.status, 1);
  ASSERT_TRUE(store().GetLightMode(2, 1, read));
  EXPECT_EQ(read.brightness, 10);

  std::vector<LightModeRecord> list;
  ASSERT_EQ(store().ListLightModes(1, list), 3);
  EXPECT_EQ(list[1].mode, 2);
  EXPECT_FALSE(store().GetLightMode(1, 8, read));
}

// --- macros ---

TEST_F(StoreTest, MacrosStoreTheirFields) {
  const int plain = store().AddMacro("连发 宏");
  ASSERT_NE(plain, 0);
  MacroRecord read;
  ASSERT_TRUE(store().GetMacro(plain, read));
  EXPECT_EQ(read.name, "连发 宏");
  EXPECT_EQ(read.play_type, 0);
  EXPECT_EQ(read.play_times, 1);
  EXPECT_EQ(read.delay_type, 1);
  EXPECT_EQ(read.delay_time, 0);

  const int full = store().AddMacro(MacroRecord{0, "full", 2, 5, 0, 30});
  ASSERT_TRUE(store().GetMacro(full, read));
  EXPECT_EQ(read.play_type, 2);
  EXPECT_EQ(read.play_times, 5);
  EXPECT_EQ(read.delay_type, 0);
  EXPECT_EQ(read.delay_time, 30);

  ASSERT_TRUE(store().RenameMacro(plain, "renamed"));
  ASSERT_TRUE(store().UpdateMacro(full, "updated", 1, 3, 2, 40));
  std::vector<MacroRecord> list;
  ASSERT_EQ(store().ListMacros(list), 2);
  EXPECT_EQ(list[0].name, "renamed");
  EXPECT_EQ(list[1].name, "updated");
  EXPECT_EQ(list[1].play_times, 3);
  EXPECT_EQ(list[1].delay_time, 40);
  read.macro_id = -5;
  EXPECT_FALSE(store().GetMacro(99, read));
  EXPECT_EQ(read.macro_id, -5);
}

MacroEventRecord Event(int macro_id, int index, const std::string& desc) {
  MacroEventRecord r;
  r.macro_id = macro_id;
  r.type = 1;
  r.record_index = index;
  r.desc = desc;
  r.value = 0x41 + index;
  r.delay_time = 10 * index;
  return r;
}

TEST_F(StoreTest, MacroEventsComeBackSortedAndGoWithTheirMacro) {
  const int a = store().AddMacro("a");
  const int b = store().AddMacro("b");
  ASSERT_EQ(store().AddMacroEvents({Event(a, 2, "按下 C"), Event(a, 0, "A"), Event(b, 0, "x")}), 3);
  ASSERT_NE(store().AddMacroEvent(Event(a, 1, "B")), 0);
  std::vector<MacroEventRecord> events;
  ASSERT_EQ(store().ListMacroEvents(a, events), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(events[i].record_index, i);
    EXPECT_EQ(events[i].value, 0x41 + i);
    EXPECT_EQ(events[i].delay_time, 10 * i);
    EXPECT_EQ(events[i].macro_id, a);
  }
  EXPECT_EQ(events[2].desc, "按下 C");

  ASSERT_TRUE(store().DeleteMacro(a));
  EXPECT_EQ(Count("SELECT count(*) FROM t_macrorecord WHERE macro_id = " + std::to_string(a)), 0);
  EXPECT_EQ(store().ListMacroEvents(b, events), 1);
  MacroRecord read;
  EXPECT_FALSE(store().GetMacro(a, read));

  ASSERT_TRUE(store().DeleteMacroEvents(b));
  EXPECT_EQ(store().ListMacroEvents(b, events), 0);
  EXPECT_TRUE(store().GetMacro(b, read));
}

TEST_F(StoreTest, DeleteMacroKeepsEventsWhenTheMacroRowCannotGo) {
  const int a = store().AddMacro("a");
  ASSERT_NE(store().AddMacroEvent(Event(a, 0, "A")), 0);
  ASSERT_TRUE(ExecuteOn(DbFile(), "DROP TABLE t_macro_data"));
  EXPECT_FALSE(store().DeleteMacro(a));
  EXPECT_EQ(Count("SELECT count(*) FROM t_macrorecord"), 1);
}

// --- screen layers and frames ---

TEST_F(StoreTest, ScreenLayersAndFrames) {
  const int layer = store().AddScreenLayer(3, "动画1");
  ASSERT_NE(layer, 0);
  ScreenLayerRecord read;
  ASSERT_TRUE(store().GetScreenLayer(layer, read));
  EXPECT_EQ(read.profile, 3);
  EXPECT_EQ(read.type, 0);
  EXPECT_EQ(read.name, "动画1");
  EXPECT_EQ(read.file_dir, "动画1");
  EXPECT_EQ(read.first_file, "动画1");
  EXPECT_EQ(read.frame_size, 0);
  EXPECT_EQ(read.delay_time, 100);

  ASSERT_TRUE(store().SetLayerFrameCount(layer, 3));
  ASSERT_TRUE(store().SetLayerDelay(layer, 40));
  ASSERT_TRUE(store().SetLayerFirstFile(layer, "0.png"));
  ASSERT_TRUE(store().GetScreenLayer(layer, read));
  EXPECT_EQ(read.frame_size, 3);
  EXPECT_EQ(read.delay_time, 40);
  EXPECT_EQ(read.first_file, "0.png");
  EXPECT_EQ(read.file_dir, "动画1");

  const int other = store().AddScreenLayer(3, "other");
  std::vector<ScreenFrameRecord> frames;
  for (int index : {2, 0, 1}) {
    frames.push_back(
        {0, layer, "f" + std::to_string(index), 20 + index, index, std::to_string(index) + ".png"});
  }
  frames.push_back({0, other, "o", 10, 0, "0.png"});
  EXPECT_EQ(store().AddScreenFrames(frames), 4);
  EXPECT_EQ(store().CountScreenFrames(layer), 3);
  ASSERT_EQ(store().ListScreenFrames(layer, frames), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(frames[i].frame_index, i);
    EXPECT_EQ(frames[i].delay_time, 20 + i);
    EXPECT_EQ(frames[i].file_name, std::to_string(i) + ".png");
  }

  std::vector<ScreenLayerRecord> layers;
  EXPECT_EQ(store().ListScreenLayers(3, layers), 2);
  EXPECT_EQ(store().ListScreenLayers(4, layers), 0);

  ASSERT_TRUE(store().DeleteScreenLayer(layer));
  EXPECT_FALSE(store().GetScreenLayer(layer, read));
  EXPECT_EQ(store().CountScreenFrames(layer), 0);
  EXPECT_EQ(store().CountScreenFrames(other), 1);
}

TEST_F(StoreTest, DeleteScreenLayerRemovesFramesEvenWhenTheLayerRowCannotGo) {
  const int layer = store().AddScreenLayer(1, "x");
  ASSERT_EQ(store().AddScreenFrames({{0, layer, "a", 10, 0, "0.png"}}), 1);
  ASSERT_TRUE(ExecuteOn(DbFile(), "DROP TABLE t_ledlayer_data"));
  EXPECT_FALSE(store().DeleteScreenLayer(layer));
  EXPECT_EQ(store().CountScreenFrames(layer), 0);
}

// --- two threads at once ---

TEST_F(StoreTest, TwoThreadsInsertAndReadWithoutMixingUp) {
  ASSERT_TRUE(store().InsertDefaultSettings(1));
  constexpr int kRounds = 200;
  struct Result {
    std::vector<int> ids;
    int failures = 0;
  };
  auto worker = [](const std::string& prefix, Result* result) {
    ProfileStore& s = ProfileStore::Instance();
    for (int i = 0; i < kRounds; ++i) {
      const std::string name = prefix + std::to_string(i);
      const int id = s.AddMacro(name);
      MacroRecord read;
      // The id must be this thread's own row, not the other thread's latest insert.
      if (id == 0 || !s.GetMacro(id, read) || read.name != name) ++result->failures;
      result->ids.push_back(id);
      std::string value;
      if (!s.WriteSetting(1, "dpi_index", std::to_string(i % 7)) ||
          !s.ReadSetting(1, "dpi_index", value) || value.empty()) {
        ++result->failures;
      }
    }
  };
  Result a, b;
  std::thread first(worker, "甲", &a);
  std::thread second(worker, "乙", &b);
  first.join();
  second.join();
  EXPECT_EQ(a.failures, 0);
  EXPECT_EQ(b.failures, 0);
  std::vector<int> all = a.ids;
  all.insert(all.end(), b.ids.begin(), b.ids.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
  EXPECT_EQ(Count("SELECT count(*) FROM t_macro_data"), 2 * kRounds);
}

TEST_F(StoreTest, SwitchingModelsWhileAnotherThreadWorks) {
  std::mutex mu;
  std::condition_variable changed;
  int inserted = 0;
  bool done = false;
  std::thread worker([&] {
    ProfileStore& s = ProfileStore::Instance();
    std::vector<MacroRecord> list;
    for (;;) {
      {
        std::lock_guard hold(mu);
        if (done) break;
      }
      const bool added = s.AddMacro("m") != 0;
      s.ListMacros(list);
      std::lock_guard hold(mu);
      if (added) ++inserted;
      changed.notify_all();
    }
  });
  // After each switch the worker must finish two more inserts before the next one: the
  // second began after the switch, so every opening of each file takes at least one row,
  // and the worker keeps inserting while the next switch runs.
  bool overlapped = true;
  for (int i = 0; i < 40 && overlapped; ++i) {
    EXPECT_TRUE(store().OpenForModel(dir_.path(), i % 2 == 0 ? "B" : "K7"));
    std::unique_lock hold(mu);
    const int seen = inserted;
    overlapped =
        changed.wait_for(hold, std::chrono::seconds(60), [&] { return inserted >= seen + 2; });
  }
  {
    std::lock_guard hold(mu);
    done = true;
  }
  worker.join();
  ASSERT_TRUE(overlapped) << "the worker stopped inserting";
  const int64_t in_k7 = Count("SELECT count(*) FROM t_macro_data");
  const int64_t in_b = QueryInt(DbFile("B"), "SELECT count(*) FROM t_macro_data");
  // 20 openings of each file, each with at least one row.
  EXPECT_GE(in_b, 20);
  EXPECT_GE(in_k7, 20);
  // Every insert that reported success landed in one of the two files.
  EXPECT_EQ(in_k7 + in_b, inserted);
}

}  // namespace
}  // namespace store_test
