// Keys in three code spaces: Windows virtual-key codes (what key capture delivers and macro
// events store), HID keyboard usages (what the mouse executes and keyboard assignments store)
// and display names. Pure functions; the two directions are not inverse everywhere.
#pragma once

#include <cstdint>
#include <string>

namespace buttons {

// Virtual keys for keys that have no Windows code of their own here.
inline constexpr int kVirtualKeyNonUsHash = 666;  // usage 0x32
inline constexpr int kVirtualKeyUsageEC = 301;    // usage 0xEC
inline constexpr int kVirtualKeyUsageEB = 302;    // usage 0xEB

// HID usage of a virtual key, 0 when the key has none.
int VirtualKeyToHidUsage(int virtual_key);
// Virtual key of a HID usage, 0 when none.
int HidUsageToVirtualKey(int usage);
// Modifier usages 0xE0..0xE7 become their modifier-byte bit 0x01..0x80; any other value is
// returned unchanged.
int HidModifierBit(int usage);
// The key's display name, empty when the usage has none.
std::string HidUsageName(int usage);

// Left-hand modifier usages and the modifier-byte bits of assignments.
inline constexpr int kUsageFirstModifier = 0xE0;
inline constexpr int kUsageLastModifier = 0xE7;
inline constexpr int kModifierCtrl = 0x01;
inline constexpr int kModifierShift = 0x02;
inline constexpr int kModifierAlt = 0x04;
inline constexpr int kModifierWin = 0x08;

inline bool IsModifierUsage(int usage) {
  return usage >= kUsageFirstModifier && usage <= kUsageLastModifier;
}

}  // namespace buttons
