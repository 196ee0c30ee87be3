// Arbitrary bytes through XmlDocument: loaded as a file (encoding detection and conversion)
// and as text, walked with the cursor, edited, saved and loaded again. Any crash, sanitizer
// report or broken index (the edited document's tree differs from a fresh parse of its own
// text) is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "xml/xml_document.h"

namespace {

const std::filesystem::path& TempDir() {
  static const std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "xml_fuzz_XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    return std::filesystem::path(tmpl);
  }();
  return dir;
}

// The tree as nested names with attribute "a", by cursor operations only, no recursion. Stops
// adding text past `limit` bytes but still walks everything.
std::string Walk(XmlDocument& doc, size_t limit = 1 << 20) {
  doc.ResetPos();
  std::string out;
  size_t depth = 0;
  auto put = [&](std::string_view s) {
    if (out.size() < limit) out += s;
  };
  while (true) {
    if (doc.FindElement()) {
      put(doc.GetTagName());
      if (doc.HasAttribute("a")) {
        put("[");
        put(doc.GetAttribute("a"));
        put("]");
      }
      put("(");
      if (!doc.EnterElement()) std::abort();  // a current element can always be entered
      ++depth;
      continue;
    }
    put(")");
    if (depth == 0) break;
    if (!doc.LeaveElement()) std::abort();
    --depth;
  }
  if (doc.LeaveElement()) std::abort();  // nothing above the top level
  return out;
}

void Fail(const char* what, int line) {
  std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
  std::abort();
}
#define Check(x) ((x) ? void() : Fail(#x, __LINE__))

// Edits at a place chosen by the input and checks the index against a fresh parse.
void EditAndCheck(XmlDocument& doc, const uint8_t* data, size_t size) {
  if (!doc.IsWellFormed()) return;
  const std::string value(reinterpret_cast<const char*>(data), std::min<size_t>(size, 24));
  doc.ResetPos();
  Check(doc.FindElement());
  // Go down as many levels as the first byte says, taking the n-th child by the next bytes.
  const size_t levels = size > 0 ? data[0] % 4 : 0;
  for (size_t i = 0; i < levels; ++i) {
    Check(doc.EnterElement());
    const int take = 1 + (size > i + 1 ? data[i + 1] % 3 : 0);
    bool any = false;
    for (int t = 0; t < take && doc.FindElement(); ++t) any = true;
    if (!any) {
      Check(doc.LeaveElement());
      break;
    }
  }
  Check(doc.SetAttribute("a", value));
  Check(doc.GetAttribute("a") == value);
  Check(doc.SetAttribute("n", static_cast<long long>(size)));
  // New elements go inside the current one: beside the root they would make a second root.
  Check(doc.EnterElement());
  Check(doc.AddElement("added"));
  Check(doc.SetAttribute("a", "x<&\"'y"));
  Check(doc.GetAttribute("a") == "x<&\"'y");
  Check(doc.EnterElement());
  Check(doc.AddElement("inner"));
  Check(doc.LeaveElement());
  Check(doc.GetTagName() == "added");
  Check(doc.LeaveElement());

  XmlDocument fresh;
  Check(fresh.SetText(doc.GetText()));
  Check(Walk(doc) == Walk(fresh));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path in = TempDir() / "in.xml";
  const std::filesystem::path out = TempDir() / "out.xml";
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  XmlDocument loaded;
  (void)loaded.LoadFile(in);
  const std::string before = Walk(loaded);
  if (loaded.IsWellFormed() && loaded.SaveFile(out)) {
    // What was saved loads back to the same tree.
    XmlDocument again;
    Check(again.LoadFile(out).ok());
    Check(Walk(again) == before);
  }
  EditAndCheck(loaded, data, size);
  if (loaded.IsWellFormed()) (void)loaded.SaveFile(out);

  XmlDocument text;
  text.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
  Walk(text);
  EditAndCheck(text, data, size);
  return 0;
}
