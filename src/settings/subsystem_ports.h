// What the settings reads and writes ask of the subsystems that own buttons, macros and
// lighting. Each subsystem implements its port; the device side wires them in one place.
// A subsystem that is not built is a null port: it does nothing and says so once in the log.
#pragma once

#include <cstdint>

namespace settings {

class ButtonsPort {
 public:
  virtual ~ButtonsPort() = default;
  // Button n's (0..7) four key-table bytes as read from the mouse, to be stored as the
  // current profile's button row (worker thread, after a complete key-table read).
  virtual void DecodeButtonCode(int n, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) = 0;
  // Builds the current profile's key table and sends it (worker thread, inside the profile
  // application's online checks).
  virtual void SendProfileKeyTable() = 0;
  // Shows the current profile's button functions on the button page.
  virtual void RefreshButtonPage() = 0;
};

class MacrosPort {
 public:
  virtual ~MacrosPort() = default;
  // Collects the current profile's macros and uploads them (worker thread; waits its own
  // pause when it uploads).
  virtual void UploadProfileMacros() = 0;
  // Shows the current profile's macros in the macro list.
  virtual void RefreshMacroList() = 0;
};

class LightingPort {
 public:
  virtual ~LightingPort() = default;
  // Shows the current profile's lighting effect on the lighting page.
  virtual void RefreshLightingPage() = 0;
};

// The null ports of subsystems not built: shared, stateless but for the one log line.
ButtonsPort& NullButtonsPort();
MacrosPort& NullMacrosPort();
LightingPort& NullLightingPort();

// The ports the settings subsystem and the device routines call. Never null.
struct SubsystemPorts {
  ButtonsPort* buttons = &NullButtonsPort();
  MacrosPort* macros = &NullMacrosPort();
  LightingPort* lighting = &NullLightingPort();
};

}  // namespace settings
