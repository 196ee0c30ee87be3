// The virtual mouse playing a button's macro from its memory.
#include "sim/macro_player.h"

#include <gtest/gtest.h>

namespace {

sim::MouseState WithMacro(std::vector<uint8_t> memory, std::array<uint8_t, 4> code) {
  sim::MouseState s(sim::Model::kK7Mouse);
  s.macro_memory = std::move(memory);
  std::copy(code.begin(), code.end(), s.keys.begin() + 4 * 3);
  return s;
}

const std::vector<uint8_t> kTwoSlots = {0x08, 0x00, 0x09, 0x00, 0x17, 0x00, 0x05, 0x00, 0x06,
                                        'A',  'B',  'C',  'D',  'E',  'F',  0x10, 0x00, 0x64,
                                        0xE1, 0x80, 0x00, 0x01, 0x04, 0x06, 'A',  'B',  'C',
                                        'D',  'E',  'F',  0x50, 0x00, 0x01, 0xFF};

TEST(MacroPlayer, PlaysTheSlotTheButtonNames) {
  const sim::MacroPlayback p = sim::PlayButton(WithMacro(kTwoSlots, {0x83, 0x01, 0x05, 0x00}), 3);
  EXPECT_TRUE(p.is_macro);
  EXPECT_EQ(p.slot, 0);
  EXPECT_EQ(p.count, 5);
  EXPECT_EQ(p.lines, (std::vector<std::string>{"modifier down 0xE1, 100 ms", "key up 0x04, 1 ms"}));
  const sim::MacroPlayback q = sim::PlayButton(WithMacro(kTwoSlots, {0x03, 0x04, 0x01, 0x01}), 3);
  EXPECT_EQ(q.lines, (std::vector<std::string>{"wheel down, 1 ms"}));
}

TEST(MacroPlayer, ButtonsWithoutAPlayableMacro) {
  EXPECT_FALSE(sim::PlayButton(sim::MouseState(sim::Model::kK7Mouse), 0).is_macro);
  const sim::MacroPlayback missing =
      sim::PlayButton(WithMacro(kTwoSlots, {0x03, 0x01, 0x01, 0x02}), 3);
  EXPECT_TRUE(missing.is_macro);
  EXPECT_TRUE(missing.lines.empty());
  EXPECT_EQ(missing.error, "slot 2 is not in the macro memory");
  EXPECT_FALSE(sim::PlayButton(WithMacro({}, {0x03, 1, 1, 0}), 3).error.empty());
  EXPECT_EQ(sim::PlayButton(sim::MouseState(sim::Model::kK7Mouse), 99).error, "no such button");
}

}  // namespace
