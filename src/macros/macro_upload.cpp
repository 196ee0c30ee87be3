#include "macros/macro_upload.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "log/trace.h"
#include "store/profile_store.h"
#include "ui/toolkit.h"
#include "ui/window_messages.h"

namespace macros {

CommandFrame MakeLongFrame(std::initializer_list<uint8_t> from_byte4) {
  CommandFrame f{};
  f[0] = device::kCommandReportId;
  f[2] = device::kKindLongData;
  f[3] = 0x3A;
  size_t at = 4;
  for (uint8_t b : from_byte4) f[at++] = b;
  return f;
}

CommandFrame MakeCableBeginFrame(uint8_t mode, uint16_t length) {
  return MakeLongFrame({0x01, mode, 0x57, 0x01, 0x06, 0x57, 0x03,
                        static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)});
}

CommandFrame MakeReceiverBeginFrame(uint8_t mode) {
  return MakeLongFrame({0x02, mode, 0x52, 0x02, 0x02, 0x52});
}

CommandFrame MakeStartFrame(uint8_t mode) {
  return MakeLongFrame({0x03, mode, 0x55, 0x03, 0x09, 0x55, 0, 0, 0, 0, 0, 0x10});
}

CommandFrame MakeChunkFrame(uint8_t mode, const uint8_t* data, size_t count) {
  count = std::min(count, kChunkBytes);
  CommandFrame f = MakeLongFrame({0x00, mode, 0x50, 0x04, static_cast<uint8_t>(count)});
  std::copy_n(data, count, f.begin() + 9);
  return f;
}

CommandFrame MakeBlockChecksumFrame(uint8_t mode, uint8_t k, uint16_t sum) {
  return MakeLongFrame({k, mode, 0x51, k, 0x03, 0x51, static_cast<uint8_t>(sum & 0xFF),
                        static_cast<uint8_t>(sum >> 8)});
}

CommandFrame MakeFinalChecksumFrame(uint8_t mode, uint16_t sum) {
  return MakeBlockChecksumFrame(mode, 0x60, sum);
}

CommandFrame MakeEndFrame(uint8_t mode) {
  return MakeLongFrame({0x70, mode, 0x5E, 0x70, 0x01, 0x5E});
}

namespace {

int Mode(settings::SettingsContext& c) { return c.connection_mode ? c.connection_mode() : 0; }

bool Send(settings::SettingsContext& c, CommandFrame frame) {
  return c.comm.SendFeatureReportRetry(frame, true) == device::kSuccess;
}

uint16_t Sum16(const uint8_t* bytes, size_t count) {
  return static_cast<uint16_t>(std::accumulate(bytes, bytes + count, 0u) & 0xFFFF);
}

}  // namespace

MacroImageResult BuildProfileImage(settings::SettingsContext& c, MacroSlotTable& slots) {
  auto hold = c.store.Lock();
  std::vector<KeyAssignmentRecord> rows;
  std::vector<MacroRecord> all;
  const int profile = c.current_profile ? c.current_profile() : 0;
  c.store.ListKeyAssignments(profile, rows);
  c.store.ListMacros(all);
  slots = buttons::BuildMacroSlotTable(rows, all);
  return BuildMacroImage(slots.Slots(), [&](int macro_id) {
    std::vector<MacroEventRecord> events;
    c.store.ListMacroEvents(macro_id, events);
    return events;
  });
}

bool BeginMacroUpload(settings::SettingsContext& c, uint16_t length) {
  const int mode = Mode(c);
  const uint8_t m = static_cast<uint8_t>(mode);
  if (mode == device::kModeReceiver) {
    if (!c.comm.OpenBigDataMode(length)) {
      Trace(4, "BeginMacroUpload: hand-shake failed");
      return false;
    }
    if (!Send(c, MakeReceiverBeginFrame(m))) {
      Trace(4, "BeginMacroUpload: begin frame failed");
      return false;
    }
  } else if (!Send(c, MakeCableBeginFrame(m, length))) {
    Trace(4, "BeginMacroUpload: begin frame failed");
    return false;
  }
  if (!Send(c, MakeStartFrame(m))) {
    Trace(4, "BeginMacroUpload: start frame failed");
    return false;
  }
  return true;
}

bool UploadMacros(settings::SettingsContext& c, MacroSlotTable& slots, const UploadHooks& hooks) {
  const int mode = Mode(c);
  const bool receiver = mode == device::kModeReceiver;
  if (receiver && !settings::OnlineCheck(c, ui::kStatusReceiverOffline)) return false;

  const MacroImageResult image = BuildProfileImage(c, slots);
  Trace(2, "UploadMacros: %zu slots, %zu bytes", slots.Count(), image.length);
  if (image.too_large()) {
    if (hooks.revert_selected_button) hooks.revert_selected_button();
    c.toolkit.PostMessage(WM_DEVICE_STATUS, ui::kStatusMacroTooLarge, 0);
    return false;
  }

  c.clock.SleepMs(kPauseBeforeBeginMs);
  if (receiver && !settings::OnlineCheck(c, ui::kStatusOfflineSilent)) return false;
  const size_t length = image.length;
  if (!BeginMacroUpload(c, static_cast<uint16_t>(length))) return false;

  const uint8_t m = static_cast<uint8_t>(mode);
  const int pause = receiver ? DriverComm::kReceiverPollMs : DriverComm::kCablePollMs;
  const size_t chunks = (length + kChunkBytes - 1) / kChunkBytes;
  // Room for every chunk of the largest image, so a failed block checksum cannot overrun it.
  std::array<uint8_t, kMaxMacroImage + kChunkBytes> block{};
  int in_block = 0;
  for (size_t i = 0; i < chunks; ++i) {
    const size_t from = i * kChunkBytes;
    const size_t count = std::min(kChunkBytes, length - from);
    const bool sent = Send(c, MakeChunkFrame(m, image.bytes.data() + from, count));
    if (!sent) Trace(4, "UploadMacros: chunk %zu failed", i);
    c.clock.SleepMs(pause);
    std::copy_n(image.bytes.data() + from, count, block.begin() + kChunkBytes * in_block);
    ++in_block;
    if (sent && in_block >= kChunksPerBlock) {
      const uint8_t k = static_cast<uint8_t>((i + 0x50) & 0xFF);
      Send(c, MakeBlockChecksumFrame(m, k, Sum16(block.data(), kBlockSumBytes)));
      block.fill(0);
      in_block = 0;
    }
    if (hooks.progress) hooks.progress(static_cast<int>(100 * (i + 1) / chunks));
  }
  Send(c, MakeFinalChecksumFrame(m, Sum16(block.data(), block.size())));
  Send(c, MakeEndFrame(m));
  Trace(2, "UploadMacros: done, %zu chunks", chunks);
  return true;
}

}  // namespace macros
