// Key presses as this program records them: the Windows virtual-key code of a key, with the
// left and right modifiers told apart, from what the window system reports for it (an X11
// key code and keysym, which Qt hands on as nativeScanCode() and nativeVirtualKey()).
#pragma once

#include <cstdint>

namespace platform {

struct NativeKey {
  uint32_t scan_code = 0;  // X11 key code (evdev code + 8), 0 when unknown
  uint32_t keysym = 0;     // X11 keysym after the modifiers, 0 when unknown
  bool num_lock = false;   // Num Lock on: the keypad gives digits; only used without a keysym
};

// The virtual-key code, 0 when the key has none. The keysym decides (shifted symbols count as
// their key), the key code when the keysym is unknown. Keypad digits give 0x60..0x69 with
// Num Lock and the navigation keys without; keypad Enter gives 0x6C, so it stays apart from
// Enter.
int NativeKeyToVirtualKey(const NativeKey& key);

}  // namespace platform
