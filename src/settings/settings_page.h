// The DPI page and the mouse half of the performance page: showing the stored settings, and
// the handlers that store a change and queue the task that sends it.
#pragma once

#include "platform/language.h"
#include "settings/settings_context.h"
#include "settings/settings_model.h"
#include "ui/control_texts.h"

namespace ui {
class ControlDispatch;
class Toolkit;
}  // namespace ui

namespace settings {

// Texts of the DPI and performance pages.
inline constexpr platform::TextId kSendDpiText{260};
inline constexpr platform::TextId kSettingsResetTitle{253};
inline constexpr platform::TextId kSettingsResetText{258};
inline constexpr platform::TextId kRateResetTitle{257};
inline constexpr platform::TextId kRateResetText{259};
inline constexpr platform::TextId kFactoryResetTitle{570};
inline constexpr platform::TextId kFactoryResetText{571};
inline constexpr platform::TextId kDpiLevelsHeadingText{254};
inline constexpr platform::TextId kLevelCountText{255};
inline constexpr platform::TextId kReportRateHeadingText{256};
inline constexpr platform::TextId kLiftoffHeadingText{500};
inline constexpr platform::TextId kSensorHeadingText{501};
inline constexpr platform::TextId kSleepHeadingText{502};
inline constexpr platform::TextId kEsportsHeadingText{504};
inline constexpr platform::TextId kDebounceHeadingText{547};
inline constexpr platform::TextId kDebounceUnitText{548};

// The titles and tooltips of the DPI page's and the performance page's controls (the sensor
// options and e-sports choices are in kSensorOptions and kEsportsTexts).
inline constexpr ui::ControlText kDpiPageTexts[] = {
    {kDpiHelpTip, platform::TextId{519}, ui::TextPlace::kTooltip},
    {kSettingsResetButton, kSettingsResetTitle, ui::TextPlace::kTooltip},
    {kDpiSendButton, kSendDpiText},
    {kReportRateHelpTip, platform::TextId{549}, ui::TextPlace::kTooltip},
    {kReportRateResetButton, kRateResetTitle, ui::TextPlace::kTooltip},
    {kFactoryResetButton, kFactoryResetTitle},
};

// Fills the fixed lists once the window is built: level counts "1".."7" (5 selected), the
// sleep items, all seven report rates, and the option and mode titles.
void InitSettingsPages(SettingsContext& context);
// After a language switch: the titles and tooltips of the DPI and performance pages.
void ApplySettingsTexts(SettingsContext& context);
// After a language switch: the composed texts (the sleep times with their units, the
// lift-off help); the selections stay.
void ApplySettingsComposedTexts(SettingsContext& context);

// Shows the current profile's stored settings on both pages (worker, after every settings read
// and before a profile is applied). Touches only the pages.
void RefreshSettingsPage(SettingsContext& context);
// Refills the DPI level list from the store for the count the level-count selector shows.
void RebuildDpiList(SettingsContext& context);

// The mouse switched itself to `level` (from 0): remember it, store "dpi_index" and show the
// level and its value.
void ShowMouseDpiLevel(SettingsContext& context, int level);

// Sensor option 3 cannot work at 8000 Hz: at that rate code it is cleared and disabled,
// at any other it is enabled.
void ShowOption3For(ui::Toolkit& tk, int rate_code);

// Registers the handlers of controls 99..109 and 198..223 (the debounce field 216 included).
// `context` must outlive the dispatch.
void RegisterSettingsPages(ui::ControlDispatch& dispatch, SettingsContext& context);

}  // namespace settings
