#include "sim/macro_image.h"

#include <cstdio>

namespace sim {
namespace {

constexpr uint8_t kBlockHeader[7] = {0x06, 'A', 'B', 'C', 'D', 'E', 'F'};

std::optional<MacroImage> Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return std::nullopt;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

std::optional<MacroImage> ParseMacroImage(const std::vector<uint8_t>& image, std::string* error) {
  MacroImage result;
  if (image.empty()) return result;
  if (image.size() < 4) return Fail(error, "image shorter than one slot entry");
  const size_t first_offset = Le16(image, 0);
  if (first_offset == 0 || first_offset % 4 != 0 || first_offset > image.size()) {
    return Fail(error, "first slot offset " + std::to_string(first_offset) + " is not a table end");
  }
  const size_t slots = first_offset / 4;
  for (size_t s = 0; s < slots; ++s) {
    MacroImageSlot slot;
    slot.offset = Le16(image, 4 * s);
    slot.length_field = Le16(image, 4 * s + 2);
    const std::string where = "slot " + std::to_string(s);
    if (slot.offset < first_offset || slot.offset + sizeof(kBlockHeader) > image.size()) {
      return Fail(error, where + ": block offset outside the image");
    }
    for (size_t i = 0; i < sizeof(kBlockHeader); ++i) {
      if (image[slot.offset + i] != kBlockHeader[i]) {
        return Fail(error, where + ": block header missing");
      }
    }
    if (slot.length_field != 0 && (slot.length_field - 1) % 4 != 0) {
      return Fail(error, where + ": event length field " + std::to_string(slot.length_field));
    }
    const size_t events = slot.length_field == 0 ? 0 : (slot.length_field - 1) / 4;
    const size_t begin = slot.offset + sizeof(kBlockHeader);
    if (begin + 4 * events > image.size()) return Fail(error, where + ": events past the end");
    for (size_t e = 0; e < events; ++e) {
      const size_t at = begin + 4 * e;
      slot.events.push_back(
          {image[at], static_cast<uint16_t>((image[at + 1] << 8) | image[at + 2]), image[at + 3]});
    }
    result.slots.push_back(std::move(slot));
  }
  return result;
}

}  // namespace sim
