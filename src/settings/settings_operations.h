// The DPI and report-rate changes as operations on plain values: each stores the change in the
// current profile and queues the task that sends it, as the DPI page does. The page reads its
// controls and calls these; the command line calls the same ones. None touches a control.
#pragma once

#include <optional>

#include "platform/result.h"
#include "settings/settings_context.h"

namespace settings {

// Own codes of the operations' refusals (platform::Error::code).
inline constexpr int kOpBadValue = 1;   // a value the page would not offer
inline constexpr int kOpNotStored = 2;  // the store refused the change
inline constexpr int kOpNotQueued = 3;  // an earlier change was not stored: nothing sent

// `level` (from 0, below the stored level count) becomes the active level; queues task 11.
platform::Status SelectDpiLevel(SettingsContext& context, int level);
// Stores `dpi` as the value of `level` (from 0, below the stored level count) without sending
// it: the slider stores every step and sends on release (SendDpiLevel).
platform::Status StoreDpiValue(SettingsContext& context, int level, int dpi);
// Stores `colour` (packed, not black) for `level` and makes the level active; queues task 11.
platform::Status SetDpiColour(SettingsContext& context, int level, uint32_t colour);
// Queues task 11: the active level with its stored value and colour.
platform::Status SendDpiLevel(SettingsContext& context);
// Stores the level count (1..7) and keeps the active level inside it; queues task 11. Returns
// the active level afterwards.
platform::Result<int> SetDpiLevelCount(SettingsContext& context, int count);
// Stores `code` for both links and queues task 12. Whether the mouse offers the rate is the
// caller's to check (RateOffered): the page's list holds only those.
platform::Status SetReportRate(SettingsContext& context, int code);

// The DPI values the slider can give for the sensor: 50 up to its highest, in steps of the
// slider. nullopt (the value as it is) when `dpi` is one of them, else the reason.
std::optional<std::string> DpiValueProblem(SensorType type, int dpi);
// The rate codes the mouse offers now: all seven or the four low ones (report_max).
bool RateOffered(const SettingsState& state, int code);
// The report-rate code of a rate in Hz; nullopt for a rate the list does not have.
std::optional<int> RateCodeForHz(int hz);
// The rate in Hz of a code; 0 for an unknown code.
int HzForRateCode(int code);

}  // namespace settings
