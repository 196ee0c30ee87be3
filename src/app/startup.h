// The program's start: screen scale decision, config.xml, trace log, single instance,
// language, data folders, the main window's run and the shut-down after it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/frontend.h"
#include "device/hid.h"

namespace platform {
class Clock;
}

namespace app {

class DeviceMainDlg;

// --- screen scale ---
// The scale in percent for an effective DPI: up to 96 → 100, 120 → 125, 144, 168, 192 → the
// DPI value itself, any other → 100.
int MonitorScaleForDpi(int dpi);
// The same for the primary screen; 100 without a monitor.
int MonitorScale(const ScreenInfo& screen);
// Whether the window draws unscaled: screens narrower than 1400 or lower than 800, and a
// 1920 x 1080 screen whose scale is above 125.
bool NeedsDpiAwareness(int width, int height, int monitor_scale);

// --- config.xml ---
// "themecolor": the first character (the '#') is dropped, the hexadecimal digits are read
// in pairs as red, green, blue (a last single digit is a component by itself, missing ones
// are 0). 2 to 6 digits are accepted; any other count gives black. Result 0xFFRRGGBB.
uint32_t ParseThemeColor(const std::string& text);
struct SoftwareConfig {
  std::optional<std::string> caption;
  std::optional<uint32_t> theme_colour;
};
// The "software" element of "<config>" in the file; nullopt when the file, its root or the
// element is missing or the file is not well formed.
std::optional<SoftwareConfig> ReadSoftwareConfig(const std::string& path);
// Why the "software" element of the file cannot be used ("missing", "larger than 4 MB",
// "not well-formed XML", "no software element", "the caption cannot name a folder"); empty
// when it can.
std::string SoftwareConfigProblem(const std::string& path);
// Reads "<ProgramDir>config.xml" and hands caption and theme colour to ui::Manager. A good
// file's caption is remembered ("last_caption" in the default caption's settings); a missing
// or bad one leaves the defaults but the remembered caption, so the profiles of the last good
// start stay in use. Returns the problem with the file, empty when there is none.
std::string ReadConfiguration();

// --- language ---
// 2052 for a Simplified Chinese locale name ("zh_CN.UTF-8", "zh_SG", "zh-Hans", "zh"), else
// 1033.
int LanguageIdForLocale(const std::string& locale);
// The user's interface locale: the first entry of LANGUAGE, else LC_ALL, LC_MESSAGES, LANG.
std::string UserUiLocale();

// --- data folders ---
// "<dir>db" made sure of; "<dir>edit" emptied and made again. Results are not checked.
void PrepareDataFolders(const std::string& user_data_dir);

// --- the bus ---
// "--simulate[=MODEL[:cable|receiver|both]]"
struct SimulateOption {
  std::string model = "K7 Mouse";
  std::string attachment = "receiver";
};
// The simulate option among the arguments; nullopt when absent. A bad attachment word is
// taken as "receiver".
std::optional<SimulateOption> FindSimulateOption(int argc, char** argv);

// "--sim-log FILE" or "--sim-log=FILE": where the virtual mice's report log goes; nullopt when
// absent or without a file name.
std::optional<std::string> FindSimLogOption(int argc, char** argv);

// Whether the desktop session's autostart started the program ("-autorun").
bool HasAutorunArgument(int argc, char** argv);

// Makes the HID bus the program works on (the real one or the virtual mice).
using BusFactory = std::function<std::unique_ptr<hid::Bus>(platform::Clock& clock)>;
// Called once the main window object exists, before it runs (the simulation's tool window).
// What it returns is kept until the window has ended and released before the window and the
// bus go away.
using SessionHook = std::function<std::shared_ptr<void>(hid::Bus& bus, DeviceMainDlg& dialog)>;

// Answers a request another tool (the command line) sent over the single-instance socket; runs
// on the socket's listening thread while the main window runs.
using RequestHook = std::function<std::string(const std::string& request)>;

// The whole run. 0 after a normal run (closed by the person, the window system, SIGTERM or
// SIGINT) and when another copy was already running (it was asked to come to the front).
int RunApplication(int argc, char** argv, Frontend& frontend, const BusFactory& make_bus,
                   const SessionHook& on_session = {}, const RequestHook& on_request = {});

}  // namespace app
