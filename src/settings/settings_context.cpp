#include "settings/settings_context.h"

#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/language.h"
#include "settings/settings_page.h"
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

bool WriteText(SettingsContext& context, const std::string& key, const std::string& value) {
  const int profile = context.current_profile ? context.current_profile() : 0;
  if (context.store.WriteSetting(profile, key, value)) {
    context.store_failure_told = false;
    return true;
  }
  Trace(4, "Setting %s of profile %d not stored", key.c_str(), profile);
  context.unsaved_change = true;
  ReportStoreFailure(context, kChangeNotSavedText);
  return false;
}

bool WriteInt(SettingsContext& context, const std::string& key, int value) {
  return WriteText(context, key, std::to_string(value));
}

void ReportStoreFailure(SettingsContext& context, int text, std::string reason) {
  if (context.store_failure_told.exchange(true)) return;
  if (reason.empty()) reason = context.store.LastError();
  if (reason.empty()) reason = context.store.OpenReport().reason;
  if (context.report_problem) context.report_problem(FormatText(LanguageText(text), {reason}));
}

bool ReportIfUnanswered(SettingsContext& context) {
  if (!context.comm.SequenceUnanswered()) return false;
  Trace(4, "The mouse did not answer");
  if (context.report_problem) context.report_problem(LanguageText(kMouseNotAnsweredText));
  return true;
}

int ConnectionMode(SettingsContext& context) {
  return context.connection_mode ? context.connection_mode() : 0;
}

bool OnlineCheck(SettingsContext& context, int reason) {
  if (!context.guard_wireless || context.guard_wireless(reason)) return true;
  ++context.refused_writes;
  return false;
}

bool AppendTask(SettingsContext& context, int code) {
  if (context.unsaved_change.exchange(false)) {
    Trace(4, "Task %d not queued: a change was not stored", code);
    // The window showed the refused change; it goes back to what the store (and so the
    // mouse) holds.
    RefreshSettingsPage(context);
    return false;
  }
  if (context.append_task) context.append_task(code);
  return true;
}

}  // namespace settings
