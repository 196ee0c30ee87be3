#include "device/identity.h"

#include <algorithm>
#include <cstdio>

#include "log/trace.h"

namespace device {

namespace {

constexpr size_t kInfoHalfBytes = 10;
constexpr size_t kInfoHalves = 2;

bool ValidBlock(const std::array<uint8_t, 128>& block) { return block[0] != 0 && block[1] != 0; }

void ReadInfoWithRetry(FeatureChannel& channel, hid::Device* device,
                       std::array<uint8_t, 128>& block) {
  block.fill(0);
  ReadDeviceInfo(channel, device, block);
  if (block[0] == 0 && block[1] == 0) {
    ReadDeviceInfo(channel, device, block);
    channel.Clock().SleepMs(FeatureChannel::kRetryPauseMs);
    Trace(mouselog::kError, "获取设备信息错误, Retry 1");
  }
}

void SetTypeForIds(std::vector<OpenEntry>& entries, uint32_t vid, uint32_t pid, int type) {
  for (OpenEntry& open : entries) {
    if (open.entry.vid == vid && open.entry.pid == pid) open.entry.device_type = type;
  }
}

void ApplyIdentity(const ModeRegistry& modes, std::vector<OpenEntry>& entries, OpenEntry& open,
                   const std::array<uint8_t, 128>& block, bool receiver) {
  DeviceEntry& e = open.entry;
  e.dev_id_text = FormatDevId(block);
  if (receiver) Trace(mouselog::kInfo, "GetDeviceInfo %s", e.dev_id_text.c_str());
  if (modes.HasDevId(e.dev_id_text)) {
    // A device id registered for another vid/pid would give type 0 and lose the model; the
    // entry keeps its enumeration type then.
    const int type = modes.LookupDeviceType(e.vid, e.pid, e.dev_id_text);
    if (type != 0) {
      e.device_type = type;
      SetTypeForIds(entries, e.vid, e.pid, type);
    }
    e.online = 1;
    if (receiver) Trace(mouselog::kInfo, "GetDeviceInfo dev_type: %d", e.device_type);
  } else if (receiver) {
    Trace(mouselog::kInfo, "GetDeviceInfo IsProduct 0");
  }
  std::copy_n(block.begin(), e.info.size(), e.info.begin());
}

}  // namespace

std::string FormatDevId(const std::array<uint8_t, 128>& block) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", block[2], block[3], block[4],
                block[5], block[6], block[7]);
  return text;
}

WirelessLink QueryWirelessLink(FeatureChannel& channel, hid::Device* device) {
  Trace(mouselog::kInfo, "判断2.4G设备是否在线");
  if (device == nullptr) {
    Trace(mouselog::kError, "判断2.4G设备是否在线");
    return WirelessLink::kOffline;
  }
  if (channel.PastBound()) return WirelessLink::kNoAnswer;
  CommandFrame frame = MakeCommandFrame(kCmdOnlineQuery, kSubOnlineQuery, 0);
  const ReportResult result = channel.Exchange(device, frame, true, false);
  if (result == kSuccess) {
    return frame[kAnswerData] == kOnlineLinked ? WirelessLink::kOnline : WirelessLink::kOffline;
  }
  // Busy to the last poll, or no final answer at all: the link is there, the mouse is not
  // answering. A stop during the polls counts the same.
  if (result == kBusy || result == kNoAnswer) {
    channel.MarkUnanswered();
    return WirelessLink::kNoAnswer;
  }
  return WirelessLink::kOffline;
}

void ReadDeviceInfo(FeatureChannel& channel, hid::Device* device, std::array<uint8_t, 128>& block) {
  Trace(mouselog::kInfo, "获取设备信息 开始");
  for (size_t half = 0; half < kInfoHalves; ++half) {
    channel.Clock().SleepMs(FeatureChannel::kCablePollMs);
    CommandFrame frame =
        MakeCommandFrame(kCmdReadInfo, kSubReadPage, static_cast<uint8_t>(kInfoFirstPage + half));
    if (channel.Exchange(device, frame, true, true) == kSuccess) {
      std::copy_n(frame.begin() + kAnswerData, kInfoHalfBytes,
                  block.begin() + kInfoHalfBytes * half);
      Trace(mouselog::kInfo,
            "获取设备信息 成功, %02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d-%02d", block[0],
            block[1], block[2], block[3], block[4], block[5], block[6], block[7], block[8],
            block[9], block[10]);
    } else {
      Trace(mouselog::kError, "获取设备信息错误, 命令 81");
    }
  }
}

void RunIdentityPass(FeatureChannel& channel, const ModeRegistry& modes,
                     std::vector<OpenEntry>& entries) {
  Trace(mouselog::kInfo, "GetDeviceInfo Beg");
  std::array<uint8_t, 128> block{};
  for (OpenEntry& open : entries) {
    if (open.entry.is_second != 0 || !open.command_device) continue;
    hid::Device* device = open.command_device.get();
    if (open.entry.mode == kModeCable) {
      channel.SetWireless(false);
      ReadInfoWithRetry(channel, device, block);
      if (ValidBlock(block)) ApplyIdentity(modes, entries, open, block, false);
    } else if (open.entry.mode == kModeReceiver) {
      const int type = open.entry.device_type;
      const bool cable_twin =
          std::any_of(entries.begin(), entries.end(), [&](const OpenEntry& other) {
            return &other != &open && other.entry.device_type == type &&
                   other.entry.mode == kModeCable;
          });
      if (cable_twin) continue;  // the cable wins
      channel.SetWireless(true);
      if (QueryWirelessLink(channel, device) != WirelessLink::kOnline) continue;
      ReadInfoWithRetry(channel, device, block);
      if (ValidBlock(block)) ApplyIdentity(modes, entries, open, block, true);
    }
  }
  Trace(mouselog::kInfo, "GetDeviceInfo End");
}

}  // namespace device
