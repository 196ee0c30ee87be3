// Macro files: one macro with its events as XML, exported from the macro page and imported
// as a new macro. A file is untrusted: it is read completely and checked before anything is
// stored, and it is stored in one transaction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/result.h"
#include "store/profile_store.h"

namespace macros {

// Files larger than this are refused before they are read.
inline constexpr uintmax_t kMaxMacroFileBytes = 8u << 20;
// A file with more events than a macro can hold by hand is refused.
inline constexpr size_t kMaxImportedEvents = 5000;

struct MacroFile {
  MacroRecord macro;  // macro_id unused
  std::vector<MacroEventRecord> events;
};

// The XML text of a macro file (declaration, CR LF line ends as XmlDocument writes them).
std::string MacroFileText(const MacroRecord& macro, const std::string& shown_name,
                          const std::vector<MacroEventRecord>& events);

// "<folder>/<name>-<tick>.xml"; a '/' in the name becomes '_' so the file stays in `folder`.
std::filesystem::path MacroFileName(const std::filesystem::path& folder, const std::string& name,
                                    uint64_t tick);

// Writes the macro's file into `folder`; the path written, or why it could not be.
platform::Result<std::filesystem::path> ExportMacroFile(ProfileStore& store, int macro_id,
                                                        const std::string& shown_name,
                                                        const std::filesystem::path& folder,
                                                        uint64_t tick);

// Why an import did not happen; a failed import's error carries it as its code.
enum class ImportStatus {
  kImported,
  kUnreadable,  // missing, malformed or without a macro root: nothing imported, nothing said
  kTooLarge,    // refused: too many bytes or too many events
  kStoreFailed,
};
ImportStatus StatusOf(const platform::Error& error);

// Parses a macro file's text; every value as written (decimal, 0 when missing or not a
// number), events in file order.
platform::Result<MacroFile> ParseMacroText(const std::string& text);
platform::Result<MacroFile> ReadMacroFile(const std::filesystem::path& path);

// Reads the file and stores it as a new macro with its events: the stored macro (its new
// id and name).
platform::Result<MacroRecord> ImportMacroFile(ProfileStore& store,
                                              const std::filesystem::path& path);

// Decimal text as the file's numbers are read: leading blanks and a sign, then digits up to
// the first other character; 0 without digits; saturated at the int range.
int DecimalValue(const std::string& text);

}  // namespace macros
