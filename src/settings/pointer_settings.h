// The desktop's own pointer settings (speed, precision, double-click time) and the wheel lines
// the program keeps for itself, behind one port with a backend per desktop:
//   - GNOME and its relatives: GSettings "org.gnome.desktop.peripherals.mouse";
//   - KDE Plasma: its configuration files "kcminputrc" and "kdeglobals";
//   - anywhere else: the program's own settings file, so the page still works and says that
//     the desktop's settings are out of reach.
// No desktop keeps wheel lines per notch: every backend stores them in the program's settings
// and hands them to the window toolkit (the program's own scrolling) through a hook.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class AppKey;
}

namespace settings {

// Wheel lines meaning "one page per notch" (all 32 bits set).
inline constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;
inline constexpr int kSpeedMin = 1;
inline constexpr int kSpeedMax = 20;
inline constexpr int kDefaultSpeed = 10;
inline constexpr int kDefaultDoubleClickMs = 500;
inline constexpr uint32_t kDefaultWheelLines = 3;

// Called with the wheel lines whenever they are set (and once when the port is made), so the
// window toolkit scrolls the program's own views by them.
using WheelLinesHook = std::function<void(uint32_t lines)>;

// All operations may be called from the window thread and the worker; backends serialise.
// Results of the setters are not looked at by the page: a refused change shows up at the next
// read.
class PointerSettings {
 public:
  virtual ~PointerSettings() = default;
  virtual int Speed() = 0;  // 1..20
  virtual void SetSpeed(int speed) = 0;
  // Enhanced pointer precision: an accelerating profile.
  virtual bool Precision() = 0;
  virtual void SetPrecision(bool on) = 0;
  virtual int DoubleClickTime() = 0;  // milliseconds
  virtual void SetDoubleClickTime(int ms) = 0;
  // Lines per notch, or kWheelPageScroll.
  virtual uint32_t WheelLines() = 0;
  virtual void SetWheelLines(uint32_t lines) = 0;
  // False for the fallback: the values stay with this program, the desktop never sees them.
  virtual bool DesktopReachable() const = 0;
  // "gnome", "kde" or "stored" (trace lines, tests).
  virtual std::string Name() const = 0;
};

enum class PointerBackend { kGnome, kKde, kStored };

// Which backend fits: KDE when XDG_CURRENT_DESKTOP (a ':'-separated list) names KDE; GNOME when
// it names GNOME, Unity, Budgie or Pantheon (desktops that follow the GNOME mouse schema) and
// that schema is installed; otherwise the stored fallback.
PointerBackend ChoosePointerBackend(const std::string& current_desktop, bool gnome_schema_present);
// Whether "org.gnome.desktop.peripherals.mouse" with the keys we use is installed.
bool GnomeMouseSchemaPresent();

// Speed 1..20 to the desktops' -1..1 scale and back. 10 (the middle of the slider, the usual
// default) is 0 (the desktops' default); 1 is -1 and 20 is 1, linear on either side, so every
// position comes back as itself.
double SpeedToUnit(int speed);
int UnitToSpeed(double unit);

// The backends. `key` (the program's settings) keeps the wheel lines, and for the fallback
// everything; it must outlive the port.
std::unique_ptr<PointerSettings> MakeGnomePointerSettings(platform::AppKey& key,
                                                          WheelLinesHook hook);
// `config_home` is the folder holding "kcminputrc" and "kdeglobals" ("$XDG_CONFIG_HOME/").
std::unique_ptr<PointerSettings> MakeKdePointerSettings(platform::AppKey& key, WheelLinesHook hook,
                                                        const std::string& config_home);
std::unique_ptr<PointerSettings> MakeStoredPointerSettings(platform::AppKey& key,
                                                           WheelLinesHook hook);
// The backend for this session (XDG_CURRENT_DESKTOP, the installed schema).
std::unique_ptr<PointerSettings> MakePointerSettings(platform::AppKey& key, WheelLinesHook hook);

}  // namespace settings
