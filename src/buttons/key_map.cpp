#include "buttons/key_map.h"

#include <span>

namespace buttons {

CommandFrame OneButtonFrame(int n, const ButtonCode& code) {
  return device::MakeCommandFrame(0x20, 0x30, static_cast<uint8_t>(4 * n), code);
}

std::array<CommandFrame, 3> KeyTableFrames(const KeyTable& table) {
  const std::span<const uint8_t> t(table);
  return {device::MakeCommandFrame(0x80, 0x31, 0x00, t.subspan(0, 10)),
          device::MakeCommandFrame(0x81, 0x31, 0x0A, t.subspan(10, 10)),
          device::MakeCommandFrame(0x82, 0x32, 0x14, t.subspan(20, 4))};
}

}  // namespace buttons
