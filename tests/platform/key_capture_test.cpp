// Key presses from the window system turned into virtual keys.
#include "platform/key_capture.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Case {
  const char* what;
  NativeKey key;
  int vk;
};

TEST(KeyCaptureTest, NativeKeysBecomeVirtualKeys) {
  const Case cases[] = {
      {"a", {38, 'a', false}, 0x41},
      {"Shift+a", {38, 'A', false}, 0x41},
      {"1", {10, '1', false}, 0x31},
      {"Shift+1", {10, '!', false}, 0x31},
      {"Shift+0", {19, ')', false}, 0x30},
      {"minus", {20, '-', false}, 0xBD},
      {"Shift+minus", {20, '_', false}, 0xBD},
      {"Shift+comma", {59, '<', false}, 0xBC},
      {"ISO key", {94, '<', false}, 0xE2},
      {"Enter", {36, 0xFF0D, false}, 0x0D},
      {"Shift+Tab", {23, 0xFE20, false}, 0x09},
      {"F1", {67, 0xFFBE, false}, 0x70},
      {"F12", {96, 0xFFC9, false}, 0x7B},
      {"F13", {191, 0xFFCA, false}, 0x7C},
      {"left Shift", {50, 0xFFE1, false}, 0xA0},
      {"right Shift", {62, 0xFFE2, false}, 0xA1},
      {"left Ctrl", {37, 0xFFE3, false}, 0xA2},
      {"right Ctrl", {105, 0xFFE4, false}, 0xA3},
      {"left Alt", {64, 0xFFE9, false}, 0xA4},
      {"AltGr", {108, 0xFE03, false}, 0xA5},
      {"left Super", {133, 0xFFEB, false}, 0x5B},
      {"right Super", {134, 0xFFEC, false}, 0x5C},
      {"Menu", {135, 0xFF67, false}, 0x5D},
      {"keypad 1, Num Lock", {87, 0xFFB1, true}, 0x61},
      {"keypad 1, no Num Lock", {87, 0xFF9C, false}, 0x23},
      {"keypad 5, no Num Lock", {84, 0xFF9D, false}, 0x0C},
      {"keypad 0, no Num Lock", {90, 0xFF9E, false}, 0x2D},
      {"keypad decimal, Num Lock", {91, 0xFFAE, true}, 0x6E},
      {"keypad decimal, no Num Lock", {91, 0xFF9F, false}, 0x2E},
      {"keypad Enter", {104, 0xFF8D, false}, 0x6C},
      {"keypad plus", {86, 0xFFAB, false}, 0x6B},
      {"Num Lock", {77, 0xFF7F, false}, 0x90},
      {"Delete", {119, 0xFFFF, false}, 0x2E},
      {"Page Down", {117, 0xFF56, false}, 0x22},
      // Without a keysym the key code decides.
      {"code: right Ctrl", {105, 0, false}, 0xA3},
      {"code: keypad 7, Num Lock", {79, 0, true}, 0x67},
      {"code: keypad 7, no Num Lock", {79, 0, false}, 0x24},
      {"code: keypad Enter", {104, 0, false}, 0x6C},
      {"code: Q", {24, 0, false}, 0x51},
      {"unknown keysym, known code", {38, 0x1000041, false}, 0x41},
      {"nothing known", {0, 0x1234, false}, 0},
      {"nothing at all", {0, 0, false}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(NativeKeyToVirtualKey(c.key), c.vk) << c.what;
}

}  // namespace
}  // namespace platform
