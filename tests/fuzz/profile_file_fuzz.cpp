// Arbitrary bytes through the profile file reader, as a file (size limit, encoding detection,
// parsing, root check, section walk, range checks) and as text. Any crash, sanitizer report,
// or a plan accepted with a value the checks should have refused is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/profile_files.h"
#include "xml/xml_document.h"

namespace {

const std::filesystem::path& TempDir() {
  static const std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "profile_fuzz_XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    return std::filesystem::path(tmpl);
  }();
  return dir;
}

void Fail(const char* what, int line) {
  std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
  std::abort();
}
#define Check(x) ((x) ? void() : Fail(#x, __LINE__))

// What an accepted plan may hold.
void CheckPlan(const profiles::ProfilePlan& plan, bool with_lighting) {
  Check(plan.keys.size() <= 64);
  Check(plan.lights.size() <= 64);
  Check(with_lighting || (!plan.has_lights && plan.lights.empty()));
  for (const KeyAssignmentRecord& k : plan.keys) {
    if (k.macro_value == 0 && k.macro_value2 == 0) continue;
    Check(k.key_code >= 0 && k.key_code <= 7);
    Check(k.macro_type >= 1 && k.macro_type <= 11);
  }
  for (const profiles::LightItem& l : plan.lights) {
    Check(l.brightness >= 0 && l.brightness <= 255);
    Check(l.speed >= 0 && l.speed <= 255);
    Check(l.color_value >= 0 && l.color_value <= 0xFFFFFF);
  }
  for (const auto& [key, value] : plan.settings) {
    if (value.empty()) continue;
    // A checked value is a whole decimal number in its range ("-0" and "06" read as 0 and 6).
    const bool number =
        value.find_first_not_of("0123456789", value[0] == '-' ? 1 : 0) == std::string::npos;
    const long n = std::strtol(value.c_str(), nullptr, 10);
    if (key == "dpi_count") Check(number && n >= 1 && n <= 7);
    if (key == "report_rate") Check(number && n >= 0 && n <= 6);
    if (key.ends_with("_value") && key.starts_with("dpi_group")) {
      Check(number && n >= 50 && n <= 42000);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path in = TempDir() / "in.xml";
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const bool with_lighting = size > 0 && (data[size - 1] & 1);
  profiles::ProfilePlan plan;
  if (profiles::ReadProfileFile(in, with_lighting, plan).ok) CheckPlan(plan, with_lighting);

  XmlDocument doc;
  doc.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (profiles::ReadProfileDocument(doc, !with_lighting, plan).ok) CheckPlan(plan, !with_lighting);
  return 0;
}
