#include "settings/subsystem_ports.h"

#include <atomic>

#include "log/trace.h"

namespace settings {
namespace {

// One line per subsystem and run: enough to tell from a log why a page stayed empty.
void NoteOnce(std::atomic<bool>& noted, const char* subsystem) {
  if (!noted.exchange(true)) Trace(mouselog::kInfo, "%s not built: nothing to do", subsystem);
}

class NullButtons final : public ButtonsPort {
 public:
  void DecodeButtonCode(int, uint8_t, uint8_t, uint8_t, uint8_t) override { Note(); }
  void SendProfileKeyTable() override { Note(); }
  void RefreshButtonPage() override { Note(); }

 private:
  void Note() { NoteOnce(noted_, "Buttons"); }
  std::atomic<bool> noted_{false};
};

class NullMacros final : public MacrosPort {
 public:
  void UploadProfileMacros() override { Note(); }
  void RefreshMacroList() override { Note(); }

 private:
  void Note() { NoteOnce(noted_, "Macros"); }
  std::atomic<bool> noted_{false};
};

class NullLighting final : public LightingPort {
 public:
  void RefreshLightingPage() override { Note(); }

 private:
  void Note() { NoteOnce(noted_, "Lighting"); }
  std::atomic<bool> noted_{false};
};

}  // namespace

ButtonsPort& NullButtonsPort() {
  static NullButtons port;
  return port;
}

MacrosPort& NullMacrosPort() {
  static NullMacros port;
  return port;
}

LightingPort& NullLightingPort() {
  static NullLighting port;
  return port;
}

}  // namespace settings
