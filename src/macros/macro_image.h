// The macro memory image the mouse plays from: the slots the current profile's buttons
// need, the event encoding, and the bounded build.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "buttons/button_function.h"
#include "store/profile_store.h"

namespace macros {

inline constexpr size_t kMacroImageBuffer = 8192;
inline constexpr size_t kMaxMacroImage = 4000;              // MAX_MACRO_IMAGE: the largest upload
inline constexpr int kMacroFunctionType = buttons::kMacro;  // macro_type of a Macro row

// Which macro each slot holds; rebuilt before every upload (buttons::BuildMacroSlotTable).
using buttons::MacroSlotTable;

// One event's four bytes (delay 00 01); false for a type that is not encoded.
bool EncodeMacroEvent(const MacroEventRecord& event, std::array<uint8_t, 4>& out);

struct MacroImageResult {
  std::vector<uint8_t> bytes;  // the image, at most kMaxMacroImage bytes
  size_t length = 0;           // the full length (> kMaxMacroImage: too large, bytes cut)
  bool too_large() const { return length > kMaxMacroImage; }
};

// Builds the image for the slots; `events_of` lists one macro's events in record_index
// order. Whatever the rows hold, nothing is written past kMaxMacroImage: a build that would
// pass it stops and reports a length above the limit.
template <class EventsOf>
MacroImageResult BuildMacroImage(const std::vector<int>& slot_macros, EventsOf&& events_of);

// The same over already loaded event lists, one per slot.
MacroImageResult BuildMacroImageFromLists(
    const std::vector<const std::vector<MacroEventRecord>*>& slot_events);

template <class EventsOf>
MacroImageResult BuildMacroImage(const std::vector<int>& slot_macros, EventsOf&& events_of) {
  std::vector<std::vector<MacroEventRecord>> lists;
  lists.reserve(slot_macros.size());
  for (int id : slot_macros) lists.push_back(events_of(id));
  std::vector<const std::vector<MacroEventRecord>*> ptrs;
  ptrs.reserve(lists.size());
  for (const auto& l : lists) ptrs.push_back(&l);
  return BuildMacroImageFromLists(ptrs);
}

}  // namespace macros
