// Reading the mouse: its device information, key table and settings block. The values go into
// the current profile's settings rows and the raw pages into SettingsState. Worker thread only.
#pragma once

#include "settings/settings_context.h"

namespace settings {

// The read after a connection: battery from the cached information block, then key table
// and settings. False when the mouse behind the receiver is offline (code 3 posted).
bool GetMouseData2(SettingsContext& context);
// The read after a factory restore: profile list, the four information pages, key table and
// settings. False when the mouse behind the receiver is offline.
bool GetMouseData(SettingsContext& context);
// The partial reads after a section restore; always true.
bool ReadKeyTable(SettingsContext& context);
bool ReadSettingsImage(SettingsContext& context);

}  // namespace settings
