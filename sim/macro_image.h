// Reads a macro memory image back into slots, blocks and events, so tests can check what an
// upload put into the mouse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct MacroImageEvent {
  uint8_t code = 0;       // 00 key down, 80 key up, 10/90 modifier down/up, 20/A0 button, 50 wheel
  uint16_t delay_ms = 0;  // the pause after the event
  uint8_t data = 0;       // HID usage, button number or wheel direction
  bool operator==(const MacroImageEvent&) const = default;
};

struct MacroImageSlot {
  uint16_t offset = 0;        // where the slot's block starts in the image
  uint16_t length_field = 0;  // 1 + 4 x events, or 0 for a macro without events
  std::vector<MacroImageEvent> events;
};

struct MacroImage {
  std::vector<MacroImageSlot> slots;
};

// The slot count follows from the first slot's offset (the table is 4 bytes a slot and the
// first block follows it). An empty image has no slots. nullopt with `error` set when the
// image is not well formed: a table entry or block outside the image, a block without the
// 06 'ABCDEF' header, or a length field that is not 1 + 4n.
std::optional<MacroImage> ParseMacroImage(const std::vector<uint8_t>& image,
                                          std::string* error = nullptr);

}  // namespace sim
