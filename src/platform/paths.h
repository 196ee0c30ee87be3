// Where the program's files live.
#pragma once

#include <cstddef>
#include <cstdint>
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

// "$XDG_DATA_HOME/<caption> Files/" (default ~/.local/share), ending in "/". A caption that
// is no safe path name gives the default caption's folder.
std::string UserDataDir();
// "$XDG_CONFIG_HOME" (default ~/.config), ending in "/".
std::string ConfigHome();

// The longest name (in bytes) that may become one component of a path.
inline constexpr size_t kMaxPathNameBytes = 128;
// Whether a name from a data file (caption, model name, item name) may become one component
// of a path: not empty, not "." or "..", no '/', '\\', NUL or other control character, at
// most kMaxPathNameBytes bytes. Every such name goes through here before it touches a path.
bool IsSafePathName(const std::string& name);

// Data files beside the program (config.xml, model files, language files) larger than this
// are refused: no real one comes near it, and a huge one would stall the start.
inline constexpr std::uintmax_t kMaxDataFileBytes = 4u * 1024 * 1024;
// Why `path` cannot be read as a data file ("missing", "larger than 4 MB", ...); empty when
// it can.
std::string DataFileProblem(const std::string& path);

// The caption the program uses when config.xml gives none it can use.
inline constexpr char kDefaultCaption[] = "DeviceDriver";

// Creates the folder and its missing parents; true if it exists afterwards.
bool EnsureDirectory(const std::string& path);
// Removes the folder with everything in it; true on success (also when it did not exist).
bool DeleteTree(const std::string& path);

}  // namespace platform
