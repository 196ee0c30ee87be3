// The creation statements of a new profile database, in the order they run. Their texts
// (tabs included) are kept as they have always been written into existing files.
#include "store/schema.h"

namespace store_schema {

const std::vector<const char*>& CreationStatements() {
  // Built once per process; later creations reuse the list.
  static const std::vector<const char*> statements = {
      "CREATE TABLE IF NOT EXISTS t_configdata(config_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t  profile INTEGER, key TEXT, value TEXT)",
      "CREATE TABLE IF NOT EXISTS t_profile_data(profile INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t  name TEXT, status INTEGER, app TEXT, type INTEGER)",
      "CREATE INDEX IF NOT EXISTS profileindex ON t_profile_data(profile)",
      "CREATE TABLE IF NOT EXISTS t_key_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, "
      "layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 "
      "INTEGER, macro_value3 INTEGER, macro_desc TEXT)",
      "CREATE INDEX IF NOT EXISTS keyindex ON t_key_macro_data(key_id)",
      "CREATE TABLE IF NOT EXISTS t_key_otherdata(macro_value INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t  macro_desc TEXT, param TEXT, type INTEGER)",
      "CREATE INDEX IF NOT EXISTS otheridindex ON t_key_otherdata(macro_value)",
      "CREATE TABLE IF NOT EXISTS t_macro_data(macro_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t   name TEXT, play_type INTEGER, play_times INTEGER, delay_type INTEGER, "
      "delay_time INTEGER)",
      "CREATE INDEX IF NOT EXISTS macroidindex ON t_macro_data(macro_id)",
      "CREATE TABLE IF NOT EXISTS t_macrorecord(record_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t  macro_id INTEGER, type INTEGER, record_index INTEGER, desc TEXT, value "
      "INTEGER, delay_time INTEGER)",
      "CREATE INDEX IF NOT EXISTS macrorecordindex ON t_macrorecord(record_id)",
      "CREATE TABLE IF NOT EXISTS t_light_data(light_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, mode INTEGER, brightness INTEGER, speed "
      "INTEGER, \t\t\t\t\t\t\t\t\t\tdirection INTEGER, colorful INTEGER, colorindex INTEGER, "
      "\t\t\t\t\t\t\t\t\t\tcolor_value INTEGER, config_func INTEGER, reserved INTEGER, status "
      "INTEGER)",
      "CREATE INDEX IF NOT EXISTS lightindex ON t_light_data(light_id)",
      "CREATE TABLE IF NOT EXISTS t_key_light_data(keylight_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t   profile INTEGER, light_id INTEGER, key_code INTEGER, key_rgb INTEGER)",
      "CREATE INDEX IF NOT EXISTS keylightindex ON t_key_light_data(keylight_id)",
      "CREATE TABLE IF NOT EXISTS t_ledlayer_data(led_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t   profile INTEGER, type INTEGER, name TEXT, frame_size INTEGER, file_dir "
      "TEXT, first_file TEXT, delay_time INTEGER)",
      "CREATE TABLE IF NOT EXISTS t_ledframe_data(frame_id INTEGER PRIMARY KEY AUTOINCREMENT, "
      "\t\t\t\t\t\t\t\t   led_id INTEGER, name TEXT, delay_time INTEGER, frame_index INTEGER, "
      "file_name TEXT)",
  };
  return statements;
}

const std::vector<ExpectedTable>& ExpectedTables() {
  static const std::vector<ExpectedTable> tables = {
      {"t_configdata", {"config_id", "profile", "key", "value"}},
      {"t_profile_data", {"profile", "name", "status", "app", "type"}},
      {"t_key_macro_data",
       {"key_id", "profile", "fn_layer", "key_code", "layout_value", "layout_desc", "macro_type",
        "macro_value", "macro_value2", "macro_value3", "macro_desc"}},
      {"t_key_otherdata", {"macro_value", "macro_desc", "param", "type"}},
      {"t_macro_data", {"macro_id", "name", "play_type", "play_times", "delay_type", "delay_time"}},
      {"t_macrorecord",
       {"record_id", "macro_id", "type", "record_index", "desc", "value", "delay_time"}},
      {"t_light_data",
       {"light_id", "profile", "name", "mode", "brightness", "speed", "direction", "colorful",
        "colorindex", "color_value", "config_func", "reserved", "status"}},
      {"t_key_light_data", {"keylight_id", "profile", "light_id", "key_code", "key_rgb"}},
      {"t_ledlayer_data",
       {"led_id", "profile", "type", "name", "frame_size", "file_dir", "first_file", "delay_time"}},
      {"t_ledframe_data", {"frame_id", "led_id", "name", "delay_time", "frame_index", "file_name"}},
  };
  return tables;
}

}  // namespace store_schema
