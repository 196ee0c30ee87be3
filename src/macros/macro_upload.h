// Sending the macro memory image to the mouse: the begin, start, data, checksum and end
// frames of the long transfer, with their pauses. Worker thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "device/driver_comm.h"
#include "macros/macro_image.h"
#include "settings/settings_context.h"

namespace macros {

inline constexpr size_t kChunkBytes = 25;
inline constexpr int kChunksPerBlock = 40;
inline constexpr size_t kBlockSumBytes = 1006;
inline constexpr int kPauseBeforeBeginMs = 200;

// The frames by their bytes from 4 on (kind 0x65, 0x3A at 2 and 3; checksum left to the
// channel). `mode` is the connection mode, 1 through the receiver.
CommandFrame MakeLongFrame(std::initializer_list<uint8_t> from_byte4);
CommandFrame MakeCableBeginFrame(uint8_t mode, uint16_t length);
CommandFrame MakeReceiverBeginFrame(uint8_t mode);
CommandFrame MakeStartFrame(uint8_t mode);
// Chunk bytes 9..33: up to 25 image bytes from `data`, the tail zero; byte 8 = `count`.
CommandFrame MakeChunkFrame(uint8_t mode, const uint8_t* data, size_t count);
CommandFrame MakeBlockChecksumFrame(uint8_t mode, uint8_t k, uint16_t sum);
CommandFrame MakeFinalChecksumFrame(uint8_t mode, uint16_t sum);
CommandFrame MakeEndFrame(uint8_t mode);

struct UploadHooks {
  // Gives the selected button its catalogue default back (the image was too large).
  std::function<void()> revert_selected_button;
  // Percent of the chunks sent, 0..100, for a progress bar.
  std::function<void(int)> progress;
};

// Builds the image for the current profile's buttons into `slots` and the image, from the
// store. Reads the rows and events under the store's lock, no toolkit call.
MacroImageResult BuildProfileImage(settings::SettingsContext& context, MacroSlotTable& slots);

// The announcement (receiver hand-shake or cable begin frame) and the start frame. False when
// the hand-shake or one of these frames failed.
bool BeginMacroUpload(settings::SettingsContext& context, uint16_t length);

// The whole upload; true when all frames were sent. Posts WM_DEVICE_STATUS 1 or 3 when the
// mouse behind the receiver is offline and 100 when the image passes 4000 bytes.
bool UploadMacros(settings::SettingsContext& context, MacroSlotTable& slots,
                  const UploadHooks& hooks);

}  // namespace macros
