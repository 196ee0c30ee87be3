// Profile files: the current profile's button rows, lighting modes, DPI levels, mouse settings
// and pointer settings written to an XML file and read back into the current profile.
//
// A file from elsewhere is untrusted. Import reads the whole file into a ProfilePlan and
// checks it (well formed, root "profile", size, every value in its range) before anything is
// stored; the plan then goes into the database in one transaction, so a file refused or a
// database that fails part-way changes nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/result.h"
#include "store/profile_store.h"

class XmlDocument;

namespace profiles {

// Files above this size are refused unread: a full profile is a few kilobytes.
inline constexpr std::uintmax_t kMaxProfileFileBytes = 4u << 20;

// The dialogs' filters: description with its pattern.
inline constexpr const char* kExportFilter = "Mouse (*.xml)";
inline constexpr const char* kImportFilter = "MouseKey (*.xml)";

// --- language texts of the failure messages ---
inline constexpr int kImportTitleText = 2001;
inline constexpr int kExportTitleText = 2002;
inline constexpr int kExportFailedText = 2003;  // "%s" the file, "%s" the reason
inline constexpr int kImportFailedText = 2004;  // "%s" the file, "%s" the reason
inline constexpr int kCannotWriteText = 2005;
inline constexpr int kCannotReadText = 2006;
inline constexpr int kNotWellFormedText = 2007;
inline constexpr int kNotProfileText = 2008;
inline constexpr int kOutOfRangeText = 2009;  // "%s" the name, "%s" the value
inline constexpr int kDatabaseFailedText = 2010;
inline constexpr int kTooLargeText = 2011;
inline constexpr int kNoFileText = 2012;
inline constexpr int kFaultLineText = 2701;     // "%s" the reason, "%s" the line
inline constexpr int kReasonDetailText = 2702;  // "%s" the reason, "%s" the system's words

// One item of Lightitems: the mode it is for and the six values it overwrites.
struct LightItem {
  int mode = 0;
  int brightness = 0;
  int speed = 0;
  int direction = 0;
  int colorful = 0;
  int colorindex = 0;
  int color_value = 0;
};

// What a file holds, in the order the import stores it.
struct ProfilePlan {
  // Items of keyitems as read; fn_layer, layout_value and layout_desc are 0 and empty, and
  // the profile is filled in when stored.
  std::vector<KeyAssignmentRecord> keys;
  bool has_lights = false;  // Lightitems was read (only on a model with lighting)
  int active_light_mode = 0;
  std::vector<LightItem> lights;
  // (key, text) in file order: Mouse_DPI, DPI1..DPI6, Mouse, mouse_properties.
  std::vector<std::pair<std::string, std::string>> settings;
};

// The export text of `profile`: the tree under "profileinfo" named `name`, with Lightitems
// only when `with_lighting`.
std::string BuildProfileDocument(ProfileStore& store, int profile, const std::string& name,
                                 bool with_lighting);
// Writes the export text to `path`. A failure's reason is the person's text.
platform::Status ExportProfile(ProfileStore& store, int profile, const std::string& name,
                               bool with_lighting, const std::filesystem::path& path);

// Reads a loaded document into `plan` and checks it. Lightitems is read only when
// `with_lighting`.
platform::Status ReadProfileDocument(XmlDocument& doc, bool with_lighting, ProfilePlan& plan);
// Loads and checks the file at `path` (size, well-formedness, root, ranges).
platform::Status ReadProfileFile(const std::filesystem::path& path, bool with_lighting,
                                 ProfilePlan& plan);
// Stores a checked plan into `profile` in one transaction: the profile's button rows are
// replaced, the lighting rows that exist are overwritten, the settings that exist updated.
platform::Status StoreProfilePlan(ProfileStore& store, int profile, const ProfilePlan& plan);
// ReadProfileFile, then StoreProfilePlan.
platform::Status ImportProfile(ProfileStore& store, int profile, bool with_lighting,
                               const std::filesystem::path& path);

}  // namespace profiles
