// Profile files: exporting a full profile (eight buttons, seven lighting modes, every
// setting) to a file and importing it back into the store. The target is under 5 ms for the
// pair, mouse excluded.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "lighting/lighting.h"
#include "profiles/profile_files.h"
#include "store/profile_store.h"
#include "profiles/profile_list.h"
#include "ui/headless/headless_toolkit.h"

namespace {

struct FullProfile {
  FullProfile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "profile_bench_XXXXXX").string();
    dir = std::string(mkdtemp(pattern.data())) + "/";
    std::filesystem::create_directories(dir + "db");
    ProfileStore& store = ProfileStore::Instance();
    store.OpenForModel(dir, "Bench");
    ui::HeadlessToolkit toolkit;
    profile = RefreshProfileList(toolkit, store);
    for (int key = 0; key < 8; ++key) {
      KeyAssignmentRecord k;
      k.profile = profile;
      k.key_code = key;
      k.macro_type = 2;
      k.macro_value = 4 + key;
      k.macro_value2 = 1;
      k.macro_desc = "Ctrl+" + std::string(1, static_cast<char>('A' + key));
      store.SaveKeyAssignment(k);
    }
    for (const lighting::LightEffect& e : lighting::DefaultEffects()) {
      LightModeRecord row;
      row.profile = profile;
      row.name = e.name ? e.name : "mode";
      row.mode = e.mode;
      row.brightness = 255;
      row.speed = 127;
      row.colorful = 1;
      row.color_value = 255;
      row.config_func = e.config_func;
      row.reserved = e.reserved;
      store.AddLightMode(row);
    }
    store.SetActiveLightMode(profile, 3);
    file = dir + "profile.xml";
  }
  ~FullProfile() {
    ProfileStore::Instance().Close();
    std::filesystem::remove_all(dir);
  }
  std::string dir;
  std::string file;
  int profile = 0;
};

void BM_ExportAndImportFullProfile(benchmark::State& state) {
  FullProfile p;
  ProfileStore& store = ProfileStore::Instance();
  for (auto _ : state) {
    const bool exported = profiles::ExportProfile(store, p.profile, "Bench", true, p.file).ok;
    const bool imported = profiles::ImportProfile(store, p.profile, true, p.file).ok;
    if (!exported || !imported) state.SkipWithError("export or import failed");
  }
}
BENCHMARK(BM_ExportAndImportFullProfile)->Unit(benchmark::kMillisecond);

void BM_ExportFullProfile(benchmark::State& state) {
  FullProfile p;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        profiles::ExportProfile(ProfileStore::Instance(), p.profile, "Bench", true, p.file).ok);
  }
}
BENCHMARK(BM_ExportFullProfile)->Unit(benchmark::kMillisecond);

// The import's one transaction ends in the database's commit to disk.
void BM_ImportFullProfile(benchmark::State& state) {
  FullProfile p;
  ProfileStore& store = ProfileStore::Instance();
  profiles::ExportProfile(store, p.profile, "Bench", true, p.file);
  for (auto _ : state) {
    benchmark::DoNotOptimize(profiles::ImportProfile(store, p.profile, true, p.file).ok);
  }
}
BENCHMARK(BM_ImportFullProfile)->Unit(benchmark::kMillisecond);

void BM_ReadProfileFile(benchmark::State& state) {
  FullProfile p;
  profiles::ExportProfile(ProfileStore::Instance(), p.profile, "Bench", true, p.file);
  profiles::ProfilePlan plan;
  for (auto _ : state) {
    benchmark::DoNotOptimize(profiles::ReadProfileFile(p.file, true, plan).ok);
  }
}
BENCHMARK(BM_ReadProfileFile)->Unit(benchmark::kMicrosecond);

// Hostile files: refused or read, each well within a second.
void ReadHostile(benchmark::State& state, const std::string& text) {
  std::string pattern = (std::filesystem::temp_directory_path() / "profile_bench_XXXXXX").string();
  const std::string dir = std::string(mkdtemp(pattern.data())) + "/";
  const std::string file = dir + "hostile.xml";
  {
    std::ofstream out(file, std::ios::binary);
    out << text;
  }
  profiles::ProfilePlan plan;
  for (auto _ : state) {
    benchmark::DoNotOptimize(profiles::ReadProfileFile(file, true, plan).ok);
  }
  std::filesystem::remove_all(dir);
}

void BM_ReadDeeplyNestedFile(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "<profile>";
  ReadHostile(state, text);
}
BENCHMARK(BM_ReadDeeplyNestedFile)->Unit(benchmark::kMillisecond);

void BM_ReadTenThousandItems(benchmark::State& state) {
  std::string text = "<profile><keyitems>";
  for (int i = 0; i < 10000; ++i) {
    text += "<item key_code=\"1\" macro_type=\"1\" macro_value=\"1\"/>";
  }
  ReadHostile(state, text + "</keyitems></profile>");
}
BENCHMARK(BM_ReadTenThousandItems)->Unit(benchmark::kMillisecond);

void BM_ReadFileJustBelowTheSizeLimit(benchmark::State& state) {
  ReadHostile(state,
              "<profile>" + std::string(profiles::kMaxProfileFileBytes - 30, ' ') + "</profile>");
}
BENCHMARK(BM_ReadFileJustBelowTheSizeLimit)->Unit(benchmark::kMillisecond);

}  // namespace
