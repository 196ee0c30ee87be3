// Messages posted to the main window by the page logic and the device side, and their
// parameters. The window logic (app/) handles them.
#pragma once

// Posted when a write cannot reach the mouse; wparam is the reason.
inline constexpr int WM_DEVICE_STATUS = 1674;
// Posted by the window when it becomes active (wparam 1) or inactive (0).
inline constexpr int WM_ACTIVATE = 0x0006;
// Closed through the window system (also posted to close as the window manager does).
inline constexpr int WM_CLOSE = 0x0010;

namespace ui {

// Reasons of WM_DEVICE_STATUS.
inline constexpr int kStatusReceiverOffline = 1;  // the person is told
inline constexpr int kStatusOffline = 2;          // silent, as 3
inline constexpr int kStatusOfflineSilent = 3;
inline constexpr int kStatusMacroTooLarge = 100;

}  // namespace ui
