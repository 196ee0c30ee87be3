// Profile store costs: a new model database with its five default profiles, and settings
// reads as the pages do them.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "profiles/profile_list.h"
#include "store/profile_store.h"
#include "ui/headless/headless_toolkit.h"

namespace {

std::string MakeDataDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "store_bench_XXXXXX").string();
  std::string dir = std::string(mkdtemp(pattern.data())) + "/";
  std::filesystem::create_directories(dir + "db");
  return dir;
}

void BM_CreateDatabaseWithFiveProfiles(benchmark::State& state) {
  const std::string dir = MakeDataDir();
  ProfileStore& store = ProfileStore::Instance();
  ui::HeadlessToolkit toolkit;
  for (auto _ : state) {
    state.PauseTiming();
    store.Close();
    std::filesystem::remove(dir + "db/Bench_data.db");
    state.ResumeTiming();
    store.OpenForModel(dir, "Bench");
    benchmark::DoNotOptimize(RefreshProfileList(toolkit, store));
  }
  store.Close();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CreateDatabaseWithFiveProfiles)->Unit(benchmark::kMillisecond);

void BM_TenThousandReadSettings(benchmark::State& state) {
  const std::string dir = MakeDataDir();
  ProfileStore& store = ProfileStore::Instance();
  ui::HeadlessToolkit toolkit;
  store.OpenForModel(dir, "Bench");
  RefreshProfileList(toolkit, store);
  const std::string keys[] = {"report_rate", "dpi_group3_value", "default_color8", "dpi_index"};
  std::string value;
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      benchmark::DoNotOptimize(store.ReadSetting(1 + i % 5, keys[i % 4], value));
    }
  }
  store.Close();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_TenThousandReadSettings)->Unit(benchmark::kMillisecond);

}  // namespace
