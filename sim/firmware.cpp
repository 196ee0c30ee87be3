#include "sim/firmware.h"

#include <algorithm>

namespace sim {
namespace {

// What the mouse keeps for macros; the host never sends more than 4000 bytes.
constexpr size_t kMacroMemorySize = 4096;
constexpr int kChunksPerBlock = 40;
constexpr int kChunkBytes = 25;

Answer Failed() { return Answer{1, 0, {}}; }
Answer Done() { return Answer{0, 0, {}}; }

template <size_t N>
Answer Page(const std::array<uint8_t, N>& source, size_t page) {
  Answer a;
  a.length = 10;
  if ((page + 1) * 10 > N) return Failed();
  std::copy_n(source.begin() + page * 10, 10, a.data.begin());
  return a;
}

template <size_t N>
Answer Store(std::array<uint8_t, N>& target, size_t at, const uint8_t* data, size_t length) {
  if (at + length > N) return Failed();
  std::copy_n(data, length, target.begin() + at);
  return Done();
}

}  // namespace

MouseState::MouseState(Model m)
    : model(m), settings(DefaultSettingsImage(m)), keys(DefaultKeyTable(m)) {}

bool MouseState::Restore(int section) {
  switch (section) {
    case 1:
      keys = DefaultKeyTable(model);
      break;
    case 2:
      settings = DefaultSettingsImage(model);
      break;
    case 3:
      lighting = Lighting{};
      break;
    case 4:
      macro_memory.clear();
      break;
    case 0xFF:
      keys = DefaultKeyTable(model);
      settings = DefaultSettingsImage(model);
      lighting = Lighting{};
      macro_memory.clear();
      break;
    default:
      return false;
  }
  ++restores[section];
  return true;
}

uint8_t Checksum(const uint8_t* report, size_t from) {
  unsigned sum = 0;
  for (size_t i = from; i < 64; ++i) sum += report[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

std::array<uint8_t, kDeviceInfoSize> DeviceInformation(const MouseState& mouse, Connection via) {
  const ModelTraits& traits = Traits(mouse.model);
  std::array<uint8_t, kDeviceInfoSize> info{};
  info[0] = 0x01;
  info[1] = static_cast<uint8_t>(traits.device_type & 0xFF);
  const auto id = DeviceIdBytes(mouse.model, via);
  std::copy(id.begin(), id.end(), info.begin() + 2);
  info[9] = (via == Connection::kReceiver && mouse.wireless_on) ? 1 : 0;
  info[10] = static_cast<uint8_t>((mouse.battery & 0x7F) | (mouse.charging ? 0x80 : 0));
  info[12] = traits.report_max;
  info[14] = static_cast<uint8_t>(traits.level_limit >> 8);
  info[15] = static_cast<uint8_t>(traits.level_limit & 0xFF);
  info[16] = static_cast<uint8_t>(traits.cable_release >> 8);
  info[17] = static_cast<uint8_t>(traits.cable_release & 0xFF);
  return info;
}

Answer ExecuteCommand(const Report& f, Connection via, bool reachable, MouseState& mouse) {
  const uint8_t length = f[3], command = f[4], sub = f[5], address = f[6];
  const uint8_t* data = f.data() + 7;
  if (length > 57) return Failed();

  if (command == 0x01 && sub == 0x47) {  // is the mouse there
    Answer a;
    a.length = 1;
    a.data[0] = reachable ? 1 : 0;
    return a;
  }
  if (!reachable) return Failed();

  if (sub == 0x4F) {  // page reads
    if (command == 0x02 && address >= 0x80 && address <= 0x83) {
      return Page(DeviceInformation(mouse, via), address - 0x80);
    }
    if (command >= 0x05 && command <= 0x08 && address == command - 0x05) {
      return Page(mouse.keys, address);
    }
    if (command >= 0x0A && command <= 0x0F && address == 0x40 + (command - 0x0A)) {
      return Page(mouse.settings, address - 0x40);
    }
    return Failed();
  }

  switch (command) {
    case 0x0F:
      if (sub != 0x06) return Failed();
      return mouse.Restore(address) ? Done() : Failed();
    case 0x20:  // one button
      if (sub != 0x30 || length != 4 || address % 4 != 0) return Failed();
      return Store(mouse.keys, address, data, 4);
    case 0x31:  // report rate, sleep time
      if (sub != 0x35 || length != 1) return Failed();
      if (address == 0x01) {
        if ((data[0] >> 4) > 6 || (data[0] & 0x0F) > 6) return Failed();
        return Store(mouse.settings, 1, data, 1);
      }
      if (address == 0x08) return Store(mouse.settings, 8, data, 1);
      return Failed();
    case 0x32:  // lift-off, debounce, sensor options
      if (sub != 0x35 || address != 0x03 || length != 3) return Failed();
      return Store(mouse.settings, 3, data, 3);
    case 0x50: {  // the active DPI level
      if (sub != 0x3A || address != 0x00 || length != 6) return Failed();
      const int level = (data[0] >> 4) - 1;
      const int count = data[0] & 0x0F;
      if (level < 0 || level > 7 || count < 1 || count > 8) return Failed();
      mouse.settings[2] = data[0];
      mouse.settings[11 + 2 * level] = data[1];
      mouse.settings[12 + 2 * level] = data[2];
      std::copy_n(data + 3, 3, mouse.settings.begin() + 27 + 3 * level);
      return Done();
    }
    case 0x80:
    case 0x81:
      if (sub != 0x31 || length != 10 || address != (command - 0x80) * 10) return Failed();
      return Store(mouse.keys, address, data, 10);
    case 0x82:
      if (sub != 0x32 || length != 4 || address != 0x14) return Failed();
      return Store(mouse.keys, address, data, 4);
    case 0x90:
    case 0x91:
    case 0x92:
    case 0x93:
    case 0x94:
      if (sub != 0x36 || length != 10 || address != (command - 0x90) * 10) return Failed();
      return Store(mouse.settings, address, data, 10);
    case 0x96:
      if (sub != 0x37 || length != 1 || address != 0x32) return Failed();
      return Store(mouse.settings, address, data, 1);
    default:
      return Failed();
  }
}

void LongDataSession::Reset() {
  stage_ = Stage::kIdle;
  expected_ = 0;
  pending_.clear();
  block_sum_ = 0;
  chunks_ = 0;
  chunks_in_block_ = 0;
  short_chunk_seen_ = false;
  final_ok_ = false;
}

uint8_t LongDataSession::Break(MacroTransfer& report, std::string why) {
  stage_ = Stage::kBroken;
  if (report.error.empty()) report.error = std::move(why);
  return 1;
}

uint8_t LongDataSession::Handle(const Report& f, Connection via, MouseState& mouse,
                                MacroTransfer& report) {
  const uint8_t address = f[4], mode = f[5], inner = f[6], inner_address = f[7],
                inner_length = f[8];
  const uint8_t* d = f.data() + 9;
  const bool receiver = via == Connection::kReceiver;
  if (mode != static_cast<uint8_t>(via)) return 1;  // frames name the link they travel on

  auto begin_transfer = [&](size_t length) {
    Reset();
    report = MacroTransfer{};
    report.announced_length = length;
    expected_ = length;
  };

  switch (inner) {
    case 0x44:  // receiver hand-shake, step 1
      if (!receiver || address != 0 || inner_address != 0 || inner_length != 9 || d[0] != 0x44) {
        return 1;
      }
      Reset();
      stage_ = Stage::kHandshake;
      return 0;
    case 0x57: {  // transfer size: hand-shake step 2 on the receiver, begin frame on the cable
      if (address != 1 || inner_address != 1 || inner_length != 6 || d[0] != 0x57 || d[1] != 0x03) {
        return 1;
      }
      const size_t size = d[2] | (d[3] << 8);
      if (size > kMacroMemorySize) return 1;
      if (receiver) {
        if (stage_ != Stage::kHandshake && stage_ != Stage::kAnnounced) return 1;
        begin_transfer(size);
        stage_ = Stage::kAnnounced;
      } else {
        begin_transfer(size);
        stage_ = Stage::kBegun;
      }
      return 0;
    }
    case 0x52:  // receiver begin
      if (!receiver || address != 2 || inner_address != 2 || inner_length != 2 || d[0] != 0x52 ||
          stage_ != Stage::kAnnounced) {
        return 1;
      }
      stage_ = Stage::kBegun;
      return 0;
    case 0x55:  // start
      if (address != 3 || inner_address != 3 || inner_length != 9 || d[0] != 0x55 || d[6] != 0x10 ||
          stage_ != Stage::kBegun) {
        return 1;
      }
      stage_ = Stage::kStarted;
      return 0;
    case 0x5E: {  // end
      if (address != 0x70 || inner_address != 0x70 || inner_length != 1 || d[0] != 0x5E) return 1;
      const bool ok = stage_ == Stage::kStarted && final_ok_;
      if (!ok && report.error.empty()) report.error = "end frame before a valid final checksum";
      report.finished = true;
      report.accepted = ok;
      if (ok) mouse.macro_memory = pending_;
      Reset();
      return ok ? 0 : 1;
    }
    default:
      break;
  }

  if (stage_ == Stage::kBroken) return 1;
  if (stage_ != Stage::kStarted) return 1;

  if (inner == 0x50) {  // data chunk
    if (address != 0 || inner_address != 4 || inner_length < 1 || inner_length > kChunkBytes) {
      return Break(report, "malformed data chunk " + std::to_string(chunks_));
    }
    if (short_chunk_seen_) return Break(report, "data after a short chunk");
    if (pending_.size() + inner_length > expected_) {
      return Break(report, "more data than the announced " + std::to_string(expected_) + " bytes");
    }
    for (int i = inner_length; i < kChunkBytes; ++i) {
      if (d[i] != 0) return Break(report, "non-zero tail in chunk " + std::to_string(chunks_));
    }
    pending_.insert(pending_.end(), d, d + inner_length);
    for (int i = 0; i < kChunkBytes; ++i) block_sum_ += d[i];
    short_chunk_seen_ = inner_length < kChunkBytes;
    ++chunks_;
    ++chunks_in_block_;
    report.chunks = chunks_;
    report.received_length = pending_.size();
    return 0;
  }
  if (inner == 0x51) {  // checksums
    if (address != inner_address || inner_length != 3 || d[0] != 0x51) {
      return Break(report, "malformed checksum frame");
    }
    const unsigned sum = d[1] | (d[2] << 8);
    if (address == 0x60) {  // final
      if (sum != (block_sum_ & 0xFFFF)) return Break(report, "final checksum mismatch");
      if (pending_.size() != expected_) {
        return Break(report, "received " + std::to_string(pending_.size()) + " of " +
                                 std::to_string(expected_) + " bytes");
      }
      final_ok_ = true;
      return 0;
    }
    if (chunks_in_block_ != kChunksPerBlock) {
      return Break(report, "block checksum after " + std::to_string(chunks_in_block_) + " chunks");
    }
    if (address != ((chunks_ - 1 + 0x50) & 0xFF)) {
      return Break(report, "block checksum with a wrong block number");
    }
    if (sum != (block_sum_ & 0xFFFF)) {
      return Break(report, "block checksum mismatch after chunk " + std::to_string(chunks_));
    }
    block_sum_ = 0;
    chunks_in_block_ = 0;
    ++report.block_checksums;
    return 0;
  }
  return Break(report, "unknown long-data command");
}

}  // namespace sim
