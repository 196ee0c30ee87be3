// Writing the mouse: the task routines that send what the pages stored. Each reads its values
// back from the current profile when it runs, so the last stored value wins. Worker thread.
#pragma once

#include <optional>

#include "settings/settings_context.h"

namespace ui {
class TaskTable;
}

namespace settings {

// Restore sections of the mouse's defaults (the pending section of SettingsState).
inline constexpr int kSectionButtons = 1;
inline constexpr int kSectionSettings = 2;
inline constexpr int kSectionLighting = 3;
inline constexpr int kSectionMacros = 4;
inline constexpr int kSectionAll = 0xFF;

// Task 11: the active level with its value and colour, and the level count.
void WriteDpiLevel(SettingsContext& context);
// Task 12: the stored cable rate, sent for both links.
void WriteReportRate(SettingsContext& context);
// Task 13: lift-off, debounce, sensor options and e-sports mode.
void WritePerformance(SettingsContext& context);
// Task 14: the sleep time.
void WriteSleepTime(SettingsContext& context);
// Task 7: the whole profile: pages refreshed, macros, key table, the full settings block.
void ApplyProfile(SettingsContext& context);
// Sends a profile apply kept pending (interrupted) again; true, and no longer pending, when
// the mouse acknowledged all of it.
bool ResendProfile(SettingsContext& context);
// Task 17: restores the pending section and reads it back.
void RestoreSection(SettingsContext& context);
// Task 18: restores everything and reads it all back.
void RestoreFactory(SettingsContext& context);

// The settings block ApplyProfile sends: the last block read with every stored setting laid
// over it; nullopt (the person told) when a stored setting cannot be read.
std::optional<SettingsImage> BuildProfileImage(SettingsContext& context);

// Registers tasks 7, 11, 12, 13, 14, 17 and 18 with their pauses; 7, 12 and 18 end the wait
// dialog. `context` must outlive the table.
void RegisterSettingsTasks(ui::TaskTable& table, SettingsContext& context);

}  // namespace settings
