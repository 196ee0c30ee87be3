// XmlDocument on a document of about 5 MB shaped like the program's own files (profiles with
// settings rows and macros with many events): load, walk every element reading its attributes,
// save, and build the same shape with the writer calls.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "xml/xml_document.h"

namespace {

constexpr int kMacros = 600;
constexpr int kEventsPerMacro = 80;

std::string GeneratedText() {
  std::string text(XmlDocument::kXmlDeclaration);
  text += "<macros version=\"2\">\r\n";
  for (int m = 0; m < kMacros; ++m) {
    text += "<macro macro_id=\"" + std::to_string(m + 1) + "\" name=\"宏 &amp; macro " +
            std::to_string(m) + "\" macro_type=\"1\" cycle=\"1\">\r\n";
    for (int e = 0; e < kEventsPerMacro; ++e) {
      text += "<event record_index=\"" + std::to_string(e) + "\" type=\"" +
              std::to_string(2 + e % 2) + "\" value=\"" + std::to_string(65 + e % 26) +
              "\" delay=\"" + std::to_string(e * 7 % 300) +
              "\" desc=\"Key &quot;A&quot; &#x9F20;&#26631; down\"/>\r\n";
    }
    text += "</macro>\r\n";
  }
  text += "</macros>\r\n";
  return text;
}

struct Fixture {
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xml_bench_XXXXXX").string();
    dir = mkdtemp(pattern.data());
    input = dir / "in.xml";
    output = dir / "out.xml";
    text = GeneratedText();
    std::ofstream(input, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
  std::filesystem::path dir, input, output;
  std::string text;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Every element, every attribute the readers ask for; returns a checksum so nothing is dropped.
size_t WalkAll(XmlDocument& doc) {
  size_t sum = 0;
  doc.ResetPos();
  if (!doc.FindElement("macros") || !doc.EnterElement()) return 0;
  while (doc.FindElement("macro")) {
    sum += doc.GetAttribute("name").size() + doc.GetAttribute("macro_id").size();
    doc.EnterElement();
    while (doc.FindElement("event")) {
      for (const char* name : {"record_index", "type", "value", "delay", "desc"}) {
        sum += doc.GetAttribute(name).size();
      }
    }
    doc.LeaveElement();
  }
  return sum;
}

void BM_XmlLoad(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    XmlDocument doc;
    if (!doc.LoadFile(f.input)) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}
BENCHMARK(BM_XmlLoad)->Unit(benchmark::kMillisecond);

void BM_XmlWalk(benchmark::State& state) {
  Fixture& f = Shared();
  XmlDocument doc;
  (void)doc.LoadFile(f.input);
  for (auto _ : state) benchmark::DoNotOptimize(WalkAll(doc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}
BENCHMARK(BM_XmlWalk)->Unit(benchmark::kMillisecond);

void BM_XmlSave(benchmark::State& state) {
  Fixture& f = Shared();
  XmlDocument doc;
  (void)doc.LoadFile(f.input);
  for (auto _ : state) {
    if (!doc.SaveFile(f.output)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}
BENCHMARK(BM_XmlSave)->Unit(benchmark::kMillisecond);

void BM_XmlLoadWalkSave(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    XmlDocument doc;
    (void)doc.LoadFile(f.input);
    benchmark::DoNotOptimize(WalkAll(doc));
    (void)doc.SaveFile(f.output);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}
BENCHMARK(BM_XmlLoadWalkSave)->Unit(benchmark::kMillisecond);

// The writer path: the same 48 000 elements added one by one with their attributes.
void BM_XmlBuild(benchmark::State& state) {
  for (auto _ : state) {
    XmlDocument doc;
    doc.SetText(XmlDocument::kXmlDeclaration);
    doc.AddElement("macros");
    doc.SetAttribute("version", 2);
    doc.EnterElement();
    for (int m = 0; m < kMacros; ++m) {
      doc.AddElement("macro");
      doc.SetAttribute("macro_id", m + 1);
      doc.SetAttribute("name", "宏 & macro " + std::to_string(m));
      doc.EnterElement();
      for (int e = 0; e < kEventsPerMacro; ++e) {
        doc.AddElement("event");
        doc.SetAttribute("record_index", e);
        doc.SetAttribute("type", 2 + e % 2);
        doc.SetAttribute("value", 65 + e % 26);
        doc.SetAttribute("delay", e * 7 % 300);
        doc.SetAttribute("desc", "Key \"A\" 鼠标 down");
      }
      doc.LeaveElement();
    }
    benchmark::DoNotOptimize(doc.GetText().size());
  }
}
BENCHMARK(BM_XmlBuild)->Unit(benchmark::kMillisecond);

}  // namespace
