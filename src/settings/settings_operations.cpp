#include "settings/settings_operations.h"

#include <string>

#include "store/settings_keys.h"
#include "ui/task_table.h"

namespace settings {
namespace {

platform::Error BadValue(std::string reason) { return platform::Fail(kOpBadValue, reason); }

platform::Status Stored(bool ok, const std::string& key) {
  if (ok) return {};
  return platform::Fail(kOpNotStored, "the setting " + key + " was not stored");
}

// A write the store refused leaves its mark (SettingsContext::unsaved_change): queuing then
// drops the task and puts the pages back, so every change ends here, stored or not.
platform::Status Queue(SettingsContext& context, int code) {
  if (AppendTask(context, code)) return {};
  return platform::Fail(kOpNotQueued,
                        "the change was not stored in the profile database; nothing was sent");
}

// Levels in use, as stored: the level list shows exactly these.
std::optional<platform::Error> LevelProblem(SettingsContext& context, int level) {
  const int count = ReadInt(context, kDpiCount);
  if (level >= 0 && level < count && level < kPageLevels) return std::nullopt;
  return BadValue("level " + std::to_string(level + 1) + " is not in use (levels 1.." +
                  std::to_string(count) + ")");
}

}  // namespace

platform::Status SelectDpiLevel(SettingsContext& context, int level) {
  if (auto problem = LevelProblem(context, level)) return *problem;
  if (WriteInt(context, kDpiIndex, level)) context.state.active_level = level;
  return Queue(context, ui::kTaskWriteDpi);
}

platform::Status StoreDpiValue(SettingsContext& context, int level, int dpi) {
  if (auto problem = LevelProblem(context, level)) return *problem;
  if (auto problem = DpiValueProblem(context.state.sensor_type, dpi)) return BadValue(*problem);
  return Stored(WriteInt(context, DpiValueKey(level), dpi), DpiValueKey(level));
}

platform::Status SetDpiColour(SettingsContext& context, int level, uint32_t colour) {
  if (auto problem = LevelProblem(context, level)) return *problem;
  colour &= 0xFFFFFF;
  if (colour == 0) return BadValue("black would switch the indicator off");
  if (WriteInt(context, DpiRgbKey(level), static_cast<int>(colour)) &&
      WriteInt(context, kDpiIndex, level)) {
    context.state.active_level = level;
  }
  return Queue(context, ui::kTaskWriteDpi);
}

platform::Status SendDpiLevel(SettingsContext& context) {
  return Queue(context, ui::kTaskWriteDpi);
}

platform::Result<int> SetDpiLevelCount(SettingsContext& context, int count) {
  if (count < 1 || count > kPageLevels) {
    return BadValue("the level count is 1.." + std::to_string(kPageLevels));
  }
  int index = ReadInt(context, kDpiIndex);
  WriteInt(context, kDpiCount, count);
  if (index > count - 1) {
    index = count - 1;
    WriteInt(context, kDpiIndex, index);
  }
  if (platform::Status queued = Queue(context, ui::kTaskWriteDpi); !queued) return queued.error();
  return index;
}

platform::Status SetReportRate(SettingsContext& context, int code) {
  if (code < 0 || code > kHighestRateCode)
    return BadValue("no report rate has the code " + std::to_string(code));
  WriteInt(context, kReportRate, code);
  WriteInt(context, kReportRateWireless, code);
  return Queue(context, ui::kTaskWriteReportRate);
}

std::optional<std::string> DpiValueProblem(SensorType type, int dpi) {
  // The slider's grid is the rule: a value it cannot stand on is not offered.
  const int highest = HighestSliderDpi(type);
  if (dpi >= kLowestDpi && dpi <= highest &&
      SliderPositionToDpi(type, DpiToSliderPosition(type, dpi)) == dpi) {
    return std::nullopt;
  }
  return "DPI " + std::to_string(dpi) + " is not offered (" + std::to_string(kLowestDpi) + ".." +
         std::to_string(highest) + " in steps of " + std::to_string(kLowestDpi) + ")";
}

bool RateOffered(const SettingsState& state, int code) {
  if (code < 0 || code > kHighestRateCode) return false;
  return state.report_max == kReportMaxAllRates || code < kRate8000Hz;
}

std::optional<int> RateCodeForHz(int hz) {
  for (const ReportRateItem& item : ReportRateItems()) {
    if (std::to_string(hz) + "Hz" == item.text) return item.code;
  }
  return std::nullopt;
}

int HzForRateCode(int code) {
  for (const ReportRateItem& item : ReportRateItems()) {
    if (item.code == code) return StoredInt(item.text);
  }
  return 0;
}

}  // namespace settings
