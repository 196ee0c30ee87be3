// Where the program's files live.
#pragma once

#include <string>

namespace platform {

// Folder of the running executable, ending in "/". Tests may point it elsewhere.
std::string ProgramDir();
void SetProgramDir(const std::string& dir);

// Folder of the program's read-only data (config.xml, language/, skins/, device/, ...),
// ending in "/": ProgramDir() when config.xml is beside the executable (the build tree, the
// tests), else "<ProgramDir>../share/<package>/" when it is there (an installed package, also
// unpacked below any root), else ProgramDir().
std::string DataDir();

// The name of the program's udev rules file, and whether it is installed in one of the
// folders udev reads rules from.
std::string UdevRuleFileName();
bool UdevRuleInstalled();

// The product caption: it names the data and settings folders (and the window). Any thread.
std::string Caption();
void SetCaption(const std::string& caption);

// "$XDG_DATA_HOME/<caption> Files/" (default ~/.local/share), ending in "/".
std::string UserDataDir();
// "$XDG_CONFIG_HOME" (default ~/.config), ending in "/".
std::string ConfigHome();

// Creates the folder and its missing parents; true if it exists afterwards.
bool EnsureDirectory(const std::string& path);
// Removes the folder with everything in it; true on success (also when it did not exist).
bool DeleteTree(const std::string& path);

}  // namespace platform
