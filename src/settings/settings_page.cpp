#include "settings/settings_page.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/language.h"
#include "settings/settings_operations.h"
#include "settings/settings_write.h"
#include "store/settings_keys.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace settings {

namespace {

constexpr int kDebounceMax = 20;
constexpr int kInitialLevelCount = 5;

constexpr int kSendDpiText = 260;
constexpr int kSettingsResetTitle = 253;
constexpr int kSettingsResetText = 258;
constexpr int kRateResetTitle = 257;
constexpr int kRateResetText = 259;
constexpr int kFactoryResetTitle = 570;
constexpr int kFactoryResetText = 571;

// Report rates the reset returns to: models above type 200 run at 125 Hz, the others 250 Hz.
constexpr int kLongRangeTypeAbove = 200;

bool Confirmed(SettingsContext& context, int title, int text) {
  return context.toolkit.ShowMessage(LanguageText(text), LanguageText(title), ui::kStyleOkCancel) !=
         ui::kResultCancel;
}

// The wait dialog around a task that ends it.
void AppendWithWait(SettingsContext& context, int code) {
  ui::RunWithWaitDialog(context.toolkit, [&] { return AppendTask(context, code); });
}

void FillReportRates(ui::Toolkit& tk, bool all_rates) {
  tk.ClearItems(kReportRateList);
  const auto items = ReportRateItems();
  const size_t n = all_rates ? items.size() : static_cast<size_t>(kLowRateItemCount);
  for (size_t i = 0; i < n; ++i) tk.AddItem(kReportRateList, items[i].text, items[i].code);
}

void SelectOne(ui::Toolkit& tk, std::initializer_list<int> group, int chosen) {
  for (int id : group) tk.SetCheck(id, id == chosen);
}

std::string SensorHelpText(SensorType type) {
  const auto t = [](int n) { return LanguageText(n); };
  std::string text = t(503) + "\n" + t(505) + "\n" + t(506) + "\n" + t(509) + "\n\n" + t(507) +
                     "\n" + t(508) + "\n\n" + t(511) + "\n" + t(512) + "\n" + t(510);
  if (type == kSensorWideRange) text += "\n\n" + t(513) + "\n" + t(514);
  return text;
}

void ApplySensorTypeRules(ui::Toolkit& tk, SensorType type) {
  if (type == kSensorWideRange) {
    tk.SetTitle(kLiftoffFirst, "0.7mm");
    tk.SetTitle(kLiftoffSecond, "1.0mm");
    tk.SetTitle(kLiftoffThird, "2.0mm");
    tk.SetVisible(kLiftoffThird, true);
    tk.SetVisible(kSensorOption4, true);
  } else if (type == kSensorBasic) {
    tk.SetTitle(kLiftoffFirst, "1.0mm");
    tk.SetTitle(kLiftoffSecond, "2.0mm");
    tk.SetVisible(kLiftoffThird, false);
    tk.SetVisible(kSensorOption4, false);
  }
}

// Level count 1..7 as the selector shows it; 0 when nothing is selected.
int SelectedLevelCount(ui::Toolkit& tk) {
  return static_cast<int>(std::clamp<int64_t>(tk.GetCurData(kLevelCountSelector), 0, kPageLevels));
}

void FillLevels(SettingsContext& context, int count) {
  ui::Toolkit& tk = context.toolkit;
  tk.SetDPILevelCount(kDpiControl, 0);
  tk.SetDPILevelCount(kDpiControl, count);
  for (int k = 0; k < count; ++k) {
    tk.SetDPIValue(kDpiControl, k, ReadInt(context, DpiValueKey(k)));
    tk.SetDPIColorValue(kDpiControl, k, static_cast<uint32_t>(ReadInt(context, DpiRgbKey(k))));
  }
}

// --- handlers ---

void OnDpiLevel(SettingsContext& context, int code, int64_t value) {
  ui::Toolkit& tk = context.toolkit;
  if (value < 0 || value >= tk.GetDPILevelCount(kDpiControl)) return;
  const int level = static_cast<int>(value);
  if (code == kDpiLevelSelected) {
    tk.SetDPISelected(kDpiControl, level);  // the slider edits the chosen level from now on
    tk.SetPos(kDpiSlider,
              DpiToSliderPosition(context.state.sensor_type, tk.GetDPIValue(kDpiControl, level)));
    (void)SelectDpiLevel(context, level);
  } else if (code == kDpiColourClicked) {
    const std::optional<uint32_t> picked = tk.PickColor(tk.GetDPIColorValue(kDpiControl, level));
    if (!picked) return;
    const uint32_t colour = *picked & 0xFFFFFF;
    if (colour == 0) return;  // black would switch the indicator off
    tk.SetDPIColorValue(kDpiControl, level, colour);
    tk.SetDPISelected(kDpiControl, level);
    (void)SetDpiColour(context, level, colour);
  }
}

void OnDpiSlider(SettingsContext& context, int code) {
  ui::Toolkit& tk = context.toolkit;
  const int dpi = SliderPositionToDpi(context.state.sensor_type, tk.GetPos(kDpiSlider));
  const int level = tk.GetDPISelected(kDpiControl);
  if (level >= 0 && level < tk.GetDPILevelCount(kDpiControl)) {
    tk.SetDPIValue(kDpiControl, level, dpi);
    (void)StoreDpiValue(context, level, dpi);
  }
  // Dragging stores every step; only the release goes to the mouse.
  if (code == ui::kNotifyClicked) (void)SendDpiLevel(context);
}

void OnLevelCount(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const int count = SelectedLevelCount(tk);
  if (count < 1) return;
  const platform::Result<int> index = SetDpiLevelCount(context, count);
  FillLevels(context, count);
  tk.SetDPISelected(kDpiControl, index.ok() ? index.value() : ReadInt(context, kDpiIndex));
}

void OnReportRate(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const int64_t code = tk.GetCurData(kReportRateList);
  if (code < 0 || code > kHighestRateCode) return;
  ShowOption3For(tk, static_cast<int>(code));
  ui::RunWithWaitDialog(tk, [&] { return SetReportRate(context, static_cast<int>(code)).ok(); });
}

void OnReportRateReset(SettingsContext& context) {
  if (!Confirmed(context, kRateResetTitle, kRateResetText)) return;
  const int type = context.device_type ? context.device_type() : 0;
  const int code = type > kLongRangeTypeAbove ? kRate125Hz : kRate250Hz;
  // The task sends the code for both links, so both keys and the list follow it; otherwise the
  // page would go on showing the old rate.
  WriteInt(context, kReportRate, code);
  WriteInt(context, kReportRateWireless, code);
  context.toolkit.SelectData(kReportRateList, code);
  ShowOption3For(context.toolkit, code);
  AppendWithWait(context, ui::kTaskWriteReportRate);
}

void OnSettingsReset(SettingsContext& context) {
  if (!Confirmed(context, kSettingsResetTitle, kSettingsResetText)) return;
  context.state.pending_section = kSectionSettings;
  AppendTask(context, ui::kTaskRestoreSection);
}

void OnLiftoff(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const char* choice = tk.GetCheck(kLiftoffThird) ? "3" : tk.GetCheck(kLiftoffSecond) ? "2" : "1";
  WriteText(context, kLiftoffHeight, choice);
  AppendTask(context, ui::kTaskWritePerformance);
}

void OnSensorOption(SettingsContext& context) {
  int flag = 0;
  for (const SensorOption& option : kSensorOptions) {
    if (context.toolkit.GetCheck(option.control)) flag += option.bit;
  }
  WriteInt(context, kSensorFlag, flag);
  AppendTask(context, ui::kTaskWritePerformance);
}

void OnEsports(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const char* mode = tk.GetCheck(kEsportsFirst) ? "0" : tk.GetCheck(kEsportsSecond) ? "1" : "2";
  WriteText(context, kEsportsFlag, mode);
  AppendTask(context, ui::kTaskWritePerformance);
}

void OnSleep(SettingsContext& context) {
  const int64_t value = context.toolkit.GetCurData(kSleepSelector);
  if (value < 0) return;
  WriteInt(context, kSleepLight, static_cast<int>(value));
  AppendTask(context, ui::kTaskWriteSleep);
}

// Keeps the field's text a number of 0..20 and stores it.
void StoreDebounceText(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const std::string text = tk.GetEditText(kDebounceField);
  const std::string limited = std::to_string(std::clamp(StoredInt(text), 0, kDebounceMax));
  if (limited != text) tk.SetEditText(kDebounceField, limited);
  WriteText(context, kButtonRespondTime, limited);
}

void OnDebounce(SettingsContext& context, int code) {
  if (code == kEditTextChanged || code == ui::kNotifyChanged) {
    StoreDebounceText(context);
  } else if (code == ui::kNotifyClicked) {
    StoreDebounceText(context);
    AppendTask(context, ui::kTaskWritePerformance);
  }
}

void OnFactoryReset(SettingsContext& context) {
  if (!Confirmed(context, kFactoryResetTitle, kFactoryResetText)) return;
  AppendWithWait(context, ui::kTaskRestoreFactory);
}

}  // namespace

void InitSettingsPages(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  tk.ClearItems(kLevelCountSelector);
  for (int n = 1; n <= kPageLevels; ++n) tk.AddItem(kLevelCountSelector, std::to_string(n), n);
  tk.SelectData(kLevelCountSelector, kInitialLevelCount);

  tk.ClearItems(kSleepSelector);
  for (const SleepItem& item : SleepItems()) {
    tk.AddItem(kSleepSelector, SleepItemText(item), item.value);
  }
  FillReportRates(tk, true);

  tk.SetTitle(kLiftoffFirst, "1.0mm");
  tk.SetTitle(kLiftoffSecond, "2.0mm");
  tk.SetTitle(kLiftoffThird, "3.0mm");
  for (const SensorOption& option : kSensorOptions) {
    tk.SetTitle(option.control, LanguageText(option.text));
  }
  for (size_t i = 0; i < kEsportsTexts.size(); ++i) {
    tk.SetTitle(kEsportsFirst + static_cast<int>(i), LanguageText(kEsportsTexts[i]));
  }
  tk.SetTitle(kDpiSendButton, LanguageText(kSendDpiText));
  tk.SetRange(kDpiSlider, 1, DpiSliderSteps(0, false));
  tk.SetTitle(kDpiSliderMinLabel, std::to_string(kLowestDpi));
  tk.SetTitle(kDpiSliderMaxLabel, std::to_string(kDefaultHighestDpi));
}

void RebuildDpiList(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const int index = ReadInt(context, kDpiIndex);
  FillLevels(context, SelectedLevelCount(tk));
  tk.SetDPISelected(kDpiControl, index);
}

void RefreshSettingsPage(SettingsContext& context) {
  ui::Toolkit& tk = context.toolkit;
  const SensorType type = context.state.sensor_type;

  tk.SetEditText(kDebounceField, ReadText(context, kButtonRespondTime));

  int rate = ReadInt(context, ConnectionMode(context) == 1 ? kReportRateWireless : kReportRate);
  const bool all_rates = context.state.report_max == kReportMaxAllRates;
  FillReportRates(tk, all_rates);
  if (!all_rates && rate >= kRate8000Hz) rate = kRate1000Hz;
  tk.SelectData(kReportRateList, rate);

  const std::string esports = ReadText(context, kEsportsFlag);
  SelectOne(tk, {kEsportsFirst, kEsportsSecond, kEsportsThird},
            esports == "0"   ? kEsportsFirst
            : esports == "1" ? kEsportsSecond
                             : kEsportsThird);

  tk.SelectData(kLevelCountSelector, ReadInt(context, kDpiCount));
  RebuildDpiList(context);
  int index = ReadInt(context, kDpiIndex);
  if (index > context.state.level_limit || index < 0) index = 0;
  tk.SetDPISelected(kDpiControl, index);
  tk.SetPos(kDpiSlider, DpiToSliderPosition(type, ReadInt(context, DpiValueKey(index))));

  const int sensor = ReadInt(context, kSensorFlag);
  for (const SensorOption& option : kSensorOptions) {
    tk.SetCheck(option.control, (sensor & option.bit) != 0);
  }
  ShowOption3For(tk, rate);

  const std::string liftoff = ReadText(context, kLiftoffHeight);
  SelectOne(tk, {kLiftoffFirst, kLiftoffSecond, kLiftoffThird},
            liftoff == "3"   ? kLiftoffThird
            : liftoff == "2" ? kLiftoffSecond
                             : kLiftoffFirst);

  tk.SelectData(kSleepSelector, ReadInt(context, kSleepLight));
  ApplySensorTypeRules(tk, type);
  tk.SetTooltip(kSensorHelpTip, SensorHelpText(type));
}

void ShowMouseDpiLevel(SettingsContext& context, int level) {
  ui::Toolkit& tk = context.toolkit;
  context.state.active_level = level;
  WriteInt(context, kDpiIndex, level);
  tk.SetDPISelected(kDpiControl, level);
  tk.SetPos(kDpiSlider,
            DpiToSliderPosition(context.state.sensor_type, ReadInt(context, DpiValueKey(level))));
}

void RegisterSettingsPages(ui::ControlDispatch& dispatch, SettingsContext& context) {
  SettingsContext* c = &context;
  dispatch.OnAny(kDpiControl, [c](int code, int64_t value) { OnDpiLevel(*c, code, value); });
  dispatch.OnAny(kDpiSlider, [c](int code, int64_t) { OnDpiSlider(*c, code); });
  dispatch.OnClick(kDpiSendButton, [c](int, int64_t) { (void)SendDpiLevel(*c); });
  dispatch.OnClick(kLevelCountSelector, [c](int, int64_t) { OnLevelCount(*c); });
  dispatch.OnClick(kSettingsResetButton, [c](int, int64_t) { OnSettingsReset(*c); });
  dispatch.OnAny(kReportRateList, [c](int code, int64_t) {
    if (code == ui::kNotifyClicked) OnReportRate(*c);
  });
  dispatch.OnClick(kReportRateResetButton, [c](int, int64_t) { OnReportRateReset(*c); });
  for (int id : {kLiftoffFirst, kLiftoffSecond, kLiftoffThird}) {
    dispatch.OnClick(id, [c](int, int64_t) { OnLiftoff(*c); });
  }
  for (const SensorOption& option : kSensorOptions) {
    dispatch.OnClick(option.control, [c](int, int64_t) { OnSensorOption(*c); });
  }
  for (int id : {kEsportsFirst, kEsportsSecond, kEsportsThird}) {
    dispatch.OnClick(id, [c](int, int64_t) { OnEsports(*c); });
  }
  dispatch.OnClick(kSleepSelector, [c](int, int64_t) { OnSleep(*c); });
  dispatch.OnAny(kDebounceField, [c](int code, int64_t) { OnDebounce(*c, code); });
  dispatch.OnClick(kFactoryResetButton, [c](int, int64_t) { OnFactoryReset(*c); });
}

void ShowOption3For(ui::Toolkit& tk, int rate_code) {
  if (rate_code == kRate8000Hz) {
    tk.SetCheck(kSensorOption3, false);
    tk.SetEnabled(kSensorOption3, false);
  } else {
    tk.SetEnabled(kSensorOption3, true);
  }
}

}  // namespace settings
