// The screen channel: screen frames (report 0x09) written as output reports to the screen
// receiver's second interface, never answered, each followed by the configured pause.
#pragma once

#include <vector>

#include "device/device_entry.h"
#include "device/feature_channel.h"
#include "device/protocol.h"
#include "platform/clock.h"

namespace device {

// Writes one frame with its checksum: 0 written, 4 failed. An interface whose output report
// is longer than 64 bytes (`output_length`) takes the frame zero-padded. Sleeps `pause_ms`
// after the write.
ReportResult SendScreenReport(platform::Clock& clock, hid::Device* device, ScreenFrame& frame,
                              int output_length, int pause_ms);
// Up to three writes: 0, or 1 after three failures.
ReportResult SendScreenWithRetry(platform::Clock& clock, hid::Device* device, ScreenFrame& frame,
                                 int output_length, int pause_ms);
// The first receiver entry of `selected_type` with a second interface whose output report
// holds a frame; nullptr when there is none.
OpenEntry* FindScreenEntry(std::vector<OpenEntry>& entries, int selected_type);

}  // namespace device
