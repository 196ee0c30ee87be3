#include "settings/settings_context.h"

#include "store/profile_store.h"

namespace settings {

std::string ReadText(SettingsContext& context, const std::string& key) {
  std::string value;
  const int profile = context.current_profile ? context.current_profile() : 0;
  if (!context.store.ReadSetting(profile, key, value)) value.clear();
  return value;
}

int ReadInt(SettingsContext& context, const std::string& key) {
  return StoredInt(ReadText(context, key));
}

void WriteText(SettingsContext& context, const std::string& key, const std::string& value) {
  const int profile = context.current_profile ? context.current_profile() : 0;
  context.store.WriteSetting(profile, key, value);
}

void WriteInt(SettingsContext& context, const std::string& key, int value) {
  WriteText(context, key, std::to_string(value));
}

int ConnectionMode(SettingsContext& context) {
  return context.connection_mode ? context.connection_mode() : 0;
}

bool OnlineCheck(SettingsContext& context, int reason) {
  return !context.guard_wireless || context.guard_wireless(reason);
}

void AppendTask(SettingsContext& context, int code) {
  if (context.append_task) context.append_task(code);
}

}  // namespace settings
