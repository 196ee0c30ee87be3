// Arbitrary bytes as a macro file: parsed as the importer reads it, then built into the
// mouse's memory image as if a button named the macro, then written out and read back. Any
// crash, sanitizer report, image past the upload limit or lost value is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "macros/macro_files.h"
#include "macros/macro_image.h"

namespace {

void Fail(const char* what, int line) {
  std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
  std::abort();
}
#define Check(x) ((x) ? void() : Fail(#x, __LINE__))

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const platform::Result<macros::MacroFile> parsed = macros::ParseMacroText(text);
  if (!parsed) return 0;
  const macros::MacroFile& file = parsed.value();
  Check(file.events.size() <= macros::kMaxImportedEvents);

  // The same macro on up to three buttons.
  std::vector<const std::vector<MacroEventRecord>*> slots(1 + size % 3, &file.events);
  const macros::MacroImageResult image = macros::BuildMacroImageFromLists(slots);
  Check(image.bytes.size() <= macros::kMaxMacroImage);
  if (!image.too_large()) Check(image.bytes.size() == image.length);

  // What is exported comes back unchanged.
  const std::string written = macros::MacroFileText(file.macro, file.macro.name, file.events);
  const platform::Result<macros::MacroFile> reparsed = macros::ParseMacroText(written);
  Check(reparsed.ok());
  const macros::MacroFile& again = reparsed.value();
  Check(again.events.size() == file.events.size());
  Check(again.macro.play_type == file.macro.play_type);
  Check(again.macro.delay_time == file.macro.delay_time);
  for (size_t i = 0; i < file.events.size(); ++i) {
    Check(again.events[i].type == file.events[i].type);
    Check(again.events[i].value == file.events[i].value);
    Check(again.events[i].record_index == file.events[i].record_index);
    Check(again.events[i].delay_time == file.events[i].delay_time);
  }
  return 0;
}
