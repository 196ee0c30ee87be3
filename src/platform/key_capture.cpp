#include "platform/key_capture.h"

#include <cstddef>

namespace platform {
namespace {

struct Pair {
  uint32_t from;
  int vk;
};

constexpr int kVkNumpad0 = 0x60;
constexpr int kVkOem102 = 0xE2;
constexpr uint32_t kKeycodeOem102 = 94;  // the extra key left of Z on ISO keyboards

// Keysyms outside the letter, digit, F-key and keypad-digit runs.
constexpr Pair kKeysyms[] = {
    // US symbols, unshifted and shifted, as the key that makes them.
    {0x20, 0x20},
    {0x2D, 0xBD},
    {0x5F, 0xBD},
    {0x3D, 0xBB},
    {0x2B, 0xBB},
    {0x5B, 0xDB},
    {0x7B, 0xDB},
    {0x5D, 0xDD},
    {0x7D, 0xDD},
    {0x5C, 0xDC},
    {0x7C, 0xDC},
    {0x3B, 0xBA},
    {0x3A, 0xBA},
    {0x27, 0xDE},
    {0x22, 0xDE},
    {0x60, 0xC0},
    {0x7E, 0xC0},
    {0x2C, 0xBC},
    {0x3C, 0xBC},
    {0x2E, 0xBE},
    {0x3E, 0xBE},
    {0x2F, 0xBF},
    {0x3F, 0xBF},
    {0x21, 0x31},
    {0x40, 0x32},
    {0x23, 0x33},
    {0x24, 0x34},
    {0x25, 0x35},
    {0x5E, 0x36},
    {0x26, 0x37},
    {0x2A, 0x38},
    {0x28, 0x39},
    {0x29, 0x30},
    // Editing and navigation.
    {0xFF0D, 0x0D},
    {0xFF1B, 0x1B},
    {0xFF08, 0x08},
    {0xFF09, 0x09},
    {0xFE20, 0x09},
    {0xFFE5, 0x14},
    {0xFF61, 0x2C},
    {0xFF14, 0x91},
    {0xFF13, 0x13},
    {0xFF63, 0x2D},
    {0xFF50, 0x24},
    {0xFF55, 0x21},
    {0xFFFF, 0x2E},
    {0xFF57, 0x23},
    {0xFF56, 0x22},
    {0xFF53, 0x27},
    {0xFF51, 0x25},
    {0xFF54, 0x28},
    {0xFF52, 0x26},
    {0xFF67, 0x5D},
    // Modifiers, each hand on its own.
    {0xFFE1, 0xA0},
    {0xFFE2, 0xA1},
    {0xFFE3, 0xA2},
    {0xFFE4, 0xA3},
    {0xFFE9, 0xA4},
    {0xFFEA, 0xA5},
    {0xFE03, 0xA5},
    {0xFFE7, 0xA4},
    {0xFFE8, 0xA5},
    {0xFFEB, 0x5B},
    {0xFFEC, 0x5C},
    // Keypad: operators, Enter, and the navigation keys it gives without Num Lock.
    {0xFF7F, 0x90},
    {0xFFAA, 0x6A},
    {0xFFAB, 0x6B},
    {0xFFAC, 0x6C},
    {0xFFAD, 0x6D},
    {0xFFAE, 0x6E},
    {0xFFAF, 0x6F},
    {0xFF8D, 0x6C},
    {0xFF95, 0x24},
    {0xFF96, 0x25},
    {0xFF97, 0x26},
    {0xFF98, 0x27},
    {0xFF99, 0x28},
    {0xFF9A, 0x21},
    {0xFF9B, 0x22},
    {0xFF9C, 0x23},
    {0xFF9D, 0x0C},
    {0xFF9E, 0x2D},
    {0xFF9F, 0x2E},
};

// X11 key codes of a PC keyboard, for keys without a keysym.
constexpr Pair kKeycodes[] = {
    {9, 0x1B},   {10, 0x31},  {11, 0x32},  {12, 0x33},  {13, 0x34},  {14, 0x35},  {15, 0x36},
    {16, 0x37},  {17, 0x38},  {18, 0x39},  {19, 0x30},  {20, 0xBD},  {21, 0xBB},  {22, 0x08},
    {23, 0x09},  {24, 'Q'},   {25, 'W'},   {26, 'E'},   {27, 'R'},   {28, 'T'},   {29, 'Y'},
    {30, 'U'},   {31, 'I'},   {32, 'O'},   {33, 'P'},   {34, 0xDB},  {35, 0xDD},  {36, 0x0D},
    {37, 0xA2},  {38, 'A'},   {39, 'S'},   {40, 'D'},   {41, 'F'},   {42, 'G'},   {43, 'H'},
    {44, 'J'},   {45, 'K'},   {46, 'L'},   {47, 0xBA},  {48, 0xDE},  {49, 0xC0},  {50, 0xA0},
    {51, 0xDC},  {52, 'Z'},   {53, 'X'},   {54, 'C'},   {55, 'V'},   {56, 'B'},   {57, 'N'},
    {58, 'M'},   {59, 0xBC},  {60, 0xBE},  {61, 0xBF},  {62, 0xA1},  {63, 0x6A},  {64, 0xA4},
    {65, 0x20},  {66, 0x14},  {67, 0x70},  {68, 0x71},  {69, 0x72},  {70, 0x73},  {71, 0x74},
    {72, 0x75},  {73, 0x76},  {74, 0x77},  {75, 0x78},  {76, 0x79},  {77, 0x90},  {78, 0x91},
    {82, 0x6D},  {86, 0x6B},  {94, 0xE2},  {95, 0x7A},  {96, 0x7B},  {104, 0x6C}, {105, 0xA3},
    {106, 0x6F}, {107, 0x2C}, {108, 0xA5}, {110, 0x24}, {111, 0x26}, {112, 0x21}, {113, 0x25},
    {114, 0x27}, {115, 0x23}, {116, 0x28}, {117, 0x22}, {118, 0x2D}, {119, 0x2E}, {127, 0x13},
    {133, 0x5B}, {134, 0x5C}, {135, 0x5D},
};

// Keypad key codes in digit order 0..9 and the decimal key, with what each gives without Num
// Lock.
constexpr uint32_t kKeypadDigitCodes[] = {90, 87, 88, 89, 83, 84, 85, 79, 80, 81};
constexpr int kKeypadNavigation[] = {0x2D, 0x23, 0x28, 0x22, 0x25, 0x0C, 0x27, 0x24, 0x26, 0x21};
constexpr uint32_t kKeypadDecimalCode = 91;

template <std::size_t N>
int Find(const Pair (&table)[N], uint32_t from) {
  for (const Pair& p : table) {
    if (p.from == from) return p.vk;
  }
  return 0;
}

int FromKeysym(uint32_t s) {
  if (s >= 'a' && s <= 'z') return static_cast<int>(s - 'a' + 'A');
  if (s >= 'A' && s <= 'Z') return static_cast<int>(s);
  if (s >= '0' && s <= '9') return static_cast<int>(s);
  if (s >= 0xFFBE && s <= 0xFFD5) return static_cast<int>(s - 0xFFBE + 0x70);  // F1..F24
  if (s >= 0xFFB0 && s <= 0xFFB9) return static_cast<int>(s - 0xFFB0 + kVkNumpad0);
  return Find(kKeysyms, s);
}

int FromKeycode(uint32_t code, bool num_lock) {
  for (int digit = 0; digit < 10; ++digit) {
    if (kKeypadDigitCodes[digit] == code) {
      return num_lock ? kVkNumpad0 + digit : kKeypadNavigation[digit];
    }
  }
  if (code == kKeypadDecimalCode) return num_lock ? 0x6E : 0x2E;
  return Find(kKeycodes, code);
}

}  // namespace

int NativeKeyToVirtualKey(const NativeKey& key) {
  // The ISO key makes "<" like Shift + comma does on US keyboards; only its key code tells.
  if (key.scan_code == kKeycodeOem102) return kVkOem102;
  if (key.keysym != 0) {
    if (const int vk = FromKeysym(key.keysym)) return vk;
  }
  return FromKeycode(key.scan_code, key.num_lock);
}

}  // namespace platform
