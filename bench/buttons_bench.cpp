// Button code costs: a whole eight-button key table encoded and decoded, and the key-table
// frames built. Each should stay well under 20 microseconds.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "buttons/button_function.h"
#include "buttons/key_map.h"

namespace {

using buttons::ButtonCode;

KeyAssignmentRecord Row(int key, int type, int value, int value2 = 0, int value3 = 0) {
  KeyAssignmentRecord r;
  r.key_code = key;
  r.macro_type = type;
  r.macro_value = value;
  r.macro_value2 = value2;
  r.macro_value3 = value3;
  return r;
}

// One row of each common kind, a macro among them.
std::vector<KeyAssignmentRecord> EightRows() {
  return {Row(0, buttons::kMouseButton, 1),        Row(1, buttons::kKeyboardKey, 0x04, 0x03),
          Row(2, buttons::kMultimedia, 6),         Row(3, buttons::kMacro, 2),
          Row(4, buttons::kFireKey, 0x841, 20, 2), Row(5, buttons::kDpiFunction, 4),
          Row(6, buttons::kSystemShortcut, 8),     Row(7, buttons::kDisabled, 1)};
}

// Texts as the language file would give them, without the file.
std::string Text(int number) { return "text " + std::to_string(number); }

void BM_EncodeEightButtons(benchmark::State& state) {
  const std::vector<KeyAssignmentRecord> rows = EightRows();
  const std::vector<MacroRecord> macros = {{1, "Custom 1", 0, 3, 1, 0},
                                           {2, "Custom 2", 1, 1, 1, 0}};
  for (auto _ : state) {
    const buttons::MacroSlotTable slots = buttons::BuildMacroSlotTable(rows, macros);
    const buttons::MacroContext context{&macros, &slots};
    buttons::KeyTable table = buttons::BuildKeyTable(rows, context);
    const ButtonCode six = buttons::EncodeButtonCode(rows[6], context);
    const ButtonCode seven = buttons::EncodeButtonCode(rows[7], context);
    benchmark::DoNotOptimize(table);
    benchmark::DoNotOptimize(six);
    benchmark::DoNotOptimize(seven);
  }
}
BENCHMARK(BM_EncodeEightButtons)->Unit(benchmark::kMicrosecond);

void BM_DecodeEightButtons(benchmark::State& state) {
  const uint8_t table[32] = {0x01, 0x01, 0x01, 0x00, 0x00, 0x03, 0x00, 0x04, 0x02, 0x00, 0x00,
                             0xE9, 0x03, 0x01, 0x03, 0x00, 0x10, 0x04, 0x02, 0x14, 0x05, 0x04,
                             0x00, 0x00, 0x00, 0x04, 0x2B, 0x00, 0x81, 0x02, 0x01, 0x00};
  for (auto _ : state) {
    for (int n = 0; n < 8; ++n) {
      auto row = buttons::DecodeButtonBytes(n, table[4 * n], table[4 * n + 1], table[4 * n + 2],
                                            table[4 * n + 3], &Text);
      benchmark::DoNotOptimize(row);
    }
  }
}
BENCHMARK(BM_DecodeEightButtons)->Unit(benchmark::kMicrosecond);

void BM_KeyTableFrames(benchmark::State& state) {
  const buttons::KeyTable table = buttons::DefaultKeyTable();
  for (auto _ : state) {
    auto frames = buttons::KeyTableFrames(table);
    auto one = buttons::OneButtonFrame(7, {0x01, 0x02, 0x01, 0x00});
    benchmark::DoNotOptimize(frames);
    benchmark::DoNotOptimize(one);
  }
}
BENCHMARK(BM_KeyTableFrames)->Unit(benchmark::kMicrosecond);

}  // namespace
