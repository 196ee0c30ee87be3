// Starting with the desktop session: an XDG autostart entry
// "$XDG_CONFIG_HOME/autostart/<caption>.desktop" whose Exec line runs the program with
// "-autorun". The entry's presence is the setting.
#pragma once

#include <string>

namespace platform {

// The entry's path for this caption ('/' in the caption becomes '_').
std::string AutostartEntryPath(const std::string& caption);
bool AutostartEnabled(const std::string& caption);
// Writes the entry (replacing any), Exec = `executable` followed by "-autorun". False when it
// cannot be written.
bool WriteAutostartEntry(const std::string& caption, const std::string& executable);
// True when no entry is left.
bool RemoveAutostartEntry(const std::string& caption);

// One argument of a desktop entry's Exec line, written as the entry's value: quoted when it
// holds a character the Exec syntax reserves, with '"', '`', '$' and '\' escaped inside the
// quotes, '%' doubled, and each '\' of the result doubled again for the value's own escapes.
std::string DesktopExecArgument(const std::string& argument);

}  // namespace platform
