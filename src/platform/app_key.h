// The application's own settings (language, model, exit mode, autorun choice), standing in for
// a registry key: decimal values kept as "name=value" lines in
// "$XDG_CONFIG_HOME/<caption>/settings.ini".
#pragma once

#include <mutex>
#include <string>

namespace platform {

class AppKey {
 public:
  // The key of this caption under ConfigHome().
  static AppKey ForCaption(const std::string& caption);
  // The key in `folder` (tests).
  explicit AppKey(std::string folder);

  enum class OpenResult { kOpened, kCreated, kFailed };
  // Opens the key, creating it (its folder and an empty file) when it does not exist.
  OpenResult Open();

  // The value as a decimal number: 0 when absent, empty, not a number or unreadable. A
  // leading number is taken as far as it goes ("12abc" reads 12).
  int ReadInt(const std::string& name);
  // Whether the value is there at all (ReadInt cannot tell an absent value from 0).
  bool Has(const std::string& name);
  // Stores the number as decimal text; false, with nothing written, when the key cannot be
  // opened or written.
  bool WriteInt(const std::string& name, int value);

  const std::string& Path() const { return path_; }

 private:
  std::mutex mu_;
  std::string folder_;
  std::string path_;
};

// The stored "LCID": 0 when there is none (the key was just created or has no value);
// 2052 when the key can neither be opened nor created.
int ReadLanguageId(AppKey& key);
// Stores "LCID"; does nothing when the key cannot be opened.
void WriteLanguageId(AppKey& key, int language_id);

}  // namespace platform
