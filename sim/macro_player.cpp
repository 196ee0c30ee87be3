#include "sim/macro_player.h"

#include <cstdio>

#include "sim/macro_image.h"

namespace sim {
namespace {

std::string Hex(int v) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%02X", v & 0xFF);
  return text;
}

std::string Describe(const MacroImageEvent& e) {
  std::string what;
  switch (e.code) {
    case 0x00:
      what = "key down " + Hex(e.data);
      break;
    case 0x80:
      what = "key up " + Hex(e.data);
      break;
    case 0x10:
      what = "modifier down " + Hex(e.data);
      break;
    case 0x90:
      what = "modifier up " + Hex(e.data);
      break;
    case 0x20:
      what = "button down " + std::to_string(e.data);
      break;
    case 0xA0:
      what = "button up " + std::to_string(e.data);
      break;
    case 0x50:
      what = e.data == 0x01 ? "wheel up" : "wheel down";
      break;
    default:
      what = "code " + Hex(e.code) + " data " + Hex(e.data);
      break;
  }
  return what + ", " + std::to_string(e.delay_ms) + " ms";
}

}  // namespace

MacroPlayback PlayButton(const MouseState& mouse, int button) {
  MacroPlayback out;
  if (button < 0 || static_cast<size_t>(4 * button + 3) >= mouse.keys.size()) {
    out.error = "no such button";
    return out;
  }
  const uint8_t* code = mouse.keys.data() + 4 * button;
  if ((code[0] & 0x7F) != 0x03) return out;  // bit 7 is the lock flag
  out.is_macro = true;
  out.repeat = code[1];
  out.count = code[2];
  out.slot = code[3];
  std::string error;
  const std::optional<MacroImage> image = ParseMacroImage(mouse.macro_memory, &error);
  if (!image) {
    out.error = "macro memory unreadable: " + error;
    return out;
  }
  if (out.slot >= static_cast<int>(image->slots.size())) {
    out.error = "slot " + std::to_string(out.slot) + " is not in the macro memory";
    return out;
  }
  for (const MacroImageEvent& e : image->slots[out.slot].events) out.lines.push_back(Describe(e));
  return out;
}

}  // namespace sim
