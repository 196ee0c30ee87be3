// The DPI page and the mouse half of the performance page: showing the stored settings, and
// the handlers that store a change and queue the task that sends it.
#pragma once

#include "settings/settings_context.h"

namespace ui {
class ControlDispatch;
}

namespace settings {

// Fills the fixed lists once the window is built: level counts "1".."7" (5 selected), the
// sleep items, all seven report rates, and the option and mode titles.
void InitSettingsPages(SettingsContext& context);

// Shows the current profile's stored settings on both pages (worker, after every settings read
// and before a profile is applied). Touches only the pages.
void RefreshSettingsPage(SettingsContext& context);
// Refills the DPI level list from the store for the count the level-count selector shows.
void RebuildDpiList(SettingsContext& context);

// The mouse switched itself to `level` (from 0): remember it, store "dpi_index" and show the
// level and its value.
void ShowMouseDpiLevel(SettingsContext& context, int level);

// Registers the handlers of controls 99..109 and 198..223 (the debounce field 216 included).
// `context` must outlive the dispatch.
void RegisterSettingsPages(ui::ControlDispatch& dispatch, SettingsContext& context);

}  // namespace settings
