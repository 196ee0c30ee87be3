#include "app/startup.h"

#include <cstdlib>
#include <cstring>

#include "app/device_main_dlg.h"
#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "platform/stop_signals.h"
#include "ui/manager.h"
#include "xml/xml_document.h"

namespace app {
namespace {

// Language text: the check for another running copy is not possible.
constexpr int kLockProblemText = 2306;
// How long a start waits for a holder of the lock that does not listen (the command line).
constexpr int kLockWaitTries = 150;
constexpr int kLockWaitStepMs = 100;
// Language text: config.xml cannot be used.
constexpr int kConfigProblemText = 2307;
// The caption of the last start with a good config.xml.
constexpr char kLastCaptionValue[] = "last_caption";

}  // namespace

int MonitorScaleForDpi(int dpi) {
  if (dpi <= 96) return 100;
  if (dpi == 120) return 125;
  if (dpi == 144 || dpi == 168 || dpi == 192) return dpi;
  return 100;
}

int MonitorScale(const ScreenInfo& screen) {
  if (!screen.has_monitor) return 100;
  return MonitorScaleForDpi(screen.dpi);
}

bool NeedsDpiAwareness(int width, int height, int monitor_scale) {
  return width < 1400 || height < 800 || (width == 1920 && height == 1080 && monitor_scale > 125);
}

uint32_t ParseThemeColor(const std::string& text) {
  const std::string digits = text.empty() ? text : text.substr(1);
  if (digits.size() < 2 || digits.size() > 6) return 0xFF000000u;
  uint32_t rgb[3] = {0, 0, 0};
  for (size_t i = 0, component = 0; i < digits.size(); i += 2, ++component) {
    const std::string pair = digits.substr(i, 2);
    rgb[component] = static_cast<uint32_t>(std::strtoul(pair.c_str(), nullptr, 16));
  }
  return 0xFF000000u | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
}

std::optional<SoftwareConfig> ReadSoftwareConfig(const std::string& path) {
  XmlDocument doc;
  if (!doc.LoadFile(path)) return std::nullopt;
  if (!doc.FindElement("config") || !doc.EnterElement() || !doc.FindElement("software")) {
    return std::nullopt;
  }
  SoftwareConfig config;
  if (doc.HasAttribute("caption")) config.caption = doc.GetAttribute("caption");
  if (doc.HasAttribute("themecolor")) {
    config.theme_colour = ParseThemeColor(doc.GetAttribute("themecolor"));
  }
  return config;
}

std::string SoftwareConfigProblem(const std::string& path) {
  if (std::string problem = platform::DataFileProblem(path); !problem.empty()) return problem;
  XmlDocument doc;
  if (!doc.LoadFile(path)) return "not well-formed XML";
  const auto config = ReadSoftwareConfig(path);
  if (!config) return "no software element";
  if (config->caption && !platform::IsSafePathName(*config->caption)) {
    return "the caption cannot name a folder";
  }
  return {};
}

std::string ReadConfiguration() {
  const std::string path = platform::DataDir() + "config.xml";
  platform::AppKey memory = platform::AppKey::ForCaption(platform::kDefaultCaption);
  const std::string problem = SoftwareConfigProblem(path);
  if (!problem.empty()) {
    Trace(4, "%s cannot be used: %s", path.c_str(), problem.c_str());
    const std::string last = memory.ReadText(kLastCaptionValue);
    if (platform::IsSafePathName(last)) ui::Manager::SetDeviceName(last);
    return problem;
  }
  const auto config = ReadSoftwareConfig(path);
  if (config->caption) {
    ui::Manager::SetDeviceName(*config->caption);
    if (memory.ReadText(kLastCaptionValue) != *config->caption) {
      memory.WriteText(kLastCaptionValue, *config->caption);
    }
  }
  if (config->theme_colour) ui::Manager::SetSelectColor(*config->theme_colour);
  return {};
}

int LanguageIdForLocale(const std::string& locale) {
  std::string l;
  for (char c : locale) l.push_back(c == '-' ? '_' : static_cast<char>(std::tolower(c)));
  if (l == "zh" || l.rfind("zh.", 0) == 0 || l.rfind("zh@", 0) == 0) return 2052;
  for (const char* simplified : {"zh_cn", "zh_sg", "zh_hans"}) {
    if (l.rfind(simplified, 0) == 0) return 2052;
  }
  return 1033;
}

std::string UserUiLocale() {
  if (const char* language = std::getenv("LANGUAGE"); language && *language) {
    const std::string list = language;
    return list.substr(0, list.find(':'));
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* value = std::getenv(name); value && *value) return value;
  }
  return "C";
}

void PrepareDataFolders(const std::string& user_data_dir) {
  platform::EnsureDirectory(user_data_dir + "db");
  platform::DeleteTree(user_data_dir + "edit");
  platform::EnsureDirectory(user_data_dir + "edit");
}

std::optional<SimulateOption> FindSimulateOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] ? argv[i] : "";
    if (arg != "--simulate" && arg.rfind("--simulate=", 0) != 0) continue;
    SimulateOption option;
    if (arg.size() > std::strlen("--simulate=")) {
      const std::string value = arg.substr(std::strlen("--simulate="));
      const size_t colon = value.rfind(':');
      if (colon == std::string::npos) {
        option.model = value;
      } else {
        option.model = value.substr(0, colon);
        const std::string how = value.substr(colon + 1);
        if (how == "cable" || how == "both") option.attachment = how;
      }
      if (option.model.empty()) option.model = "K7 Mouse";
    }
    return option;
  }
  return std::nullopt;
}

std::optional<std::string> FindSimLogOption(int argc, char** argv) {
  static constexpr char kOption[] = "--sim-log";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] ? argv[i] : "";
    if (arg == kOption) {
      if (i + 1 < argc && argv[i + 1] && *argv[i + 1]) return std::string(argv[i + 1]);
      return std::nullopt;
    }
    const std::string prefix = std::string(kOption) + "=";
    if (arg.rfind(prefix, 0) == 0 && arg.size() > prefix.size()) return arg.substr(prefix.size());
  }
  return std::nullopt;
}

bool HasAutorunArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] && std::strcmp(argv[i], kAutorunArgument) == 0) return true;
  }
  return false;
}

int RunApplication(int argc, char** argv, Frontend& frontend, const BusFactory& make_bus,
                   const SessionHook& on_session, const RequestHook& on_request) {
  // 1. Screen scale.
  const ScreenInfo screen = frontend.PrimaryScreen();
  const int scale = MonitorScale(screen);
  const bool dpi_aware = NeedsDpiAwareness(screen.width, screen.height, scale);
  if (dpi_aware) frontend.SetProcessDpiAware();
  // 2. Caption and theme colour.
  const std::string config_problem = ReadConfiguration();
  const std::string caption = ui::Manager::GetDeviceName();
  // 3. Trace log.
  mouselog::OpenLog();
  Trace(mouselog::kInfo, "Start %s, screen %dx%d at %d dpi, scale %d, dpi aware %d",
        caption.c_str(), screen.width, screen.height, screen.dpi, scale, dpi_aware ? 1 : 0);
  // 4. One copy only: a later one brings the first to the front and leaves.
  ui::Toolkit& toolkit = frontend.Toolkit();
  platform::SingleInstance instance(caption);
  bool first = instance.Acquire([&toolkit] { toolkit.RaiseWindow(); });
  // A holder that does not listen is the command line at work on the mouse for a moment:
  // this copy starts once it is done.
  for (int i = 0; !first && i < kLockWaitTries; ++i) {
    if (instance.AskFirstToRaise()) break;
    platform::SystemClock().SleepMs(kLockWaitStepMs);
    first = instance.Acquire([&toolkit] { toolkit.RaiseWindow(); });
  }
  if (!first) {
    Trace(mouselog::kInfo, "SetForegroundWindow");
    mouselog::CloseLog();
    return 0;
  }
  if (!instance.Problem().empty()) {
    Trace(4, "Single-instance lock not taken: %s", instance.Problem().c_str());
  }
  // 7. Language.
  platform::AppKey app_key = platform::AppKey::ForCaption(caption);
  int language = platform::ReadLanguageId(app_key);
  if (language == 0) {
    language = LanguageIdForLocale(UserUiLocale());
    platform::WriteLanguageId(app_key, language);
  }
  platform::SetLanguageId(language);
  // Said once the language is known; the program runs on all the same.
  if (!config_problem.empty()) {
    toolkit.ShowMessage(FormatText(LanguageText(kConfigProblemText),
                                   {platform::DataDir() + "config.xml", config_problem}),
                        caption, ui::kStyleOk);
  }
  if (!instance.Problem().empty()) {
    toolkit.ShowMessage(FormatText(LanguageText(kLockProblemText), {instance.Problem()}), caption,
                        ui::kStyleOk);
  }
  // 9. Data folders.
  const std::string user_data = platform::UserDataDir();
  PrepareDataFolders(user_data);
  Trace(mouselog::kInfo, "Language %d, data folder %s", language, user_data.c_str());
  Trace(mouselog::kInfo, "Program data %s", platform::DataDir().c_str());

  // 11. The main window, with the device link behind it.
  {
    platform::Clock& clock = platform::SystemClock();
    std::unique_ptr<hid::Bus> bus = make_bus(clock);
    DriverComm comm(*bus, clock);
    DeviceMainDlg dialog(toolkit, comm, app_key);
    dialog.SetAutorunStart(HasAutorunArgument(argc, argv));
    std::shared_ptr<void> session = on_session ? on_session(*bus, dialog) : nullptr;
    if (on_request) instance.SetRequestHandler(on_request);
    // The session manager's way to end the program is the window system's close.
    platform::StopSignals stop_signals([&toolkit](int signal) {
      Trace(2, "Signal %d: closing", signal);
      toolkit.PostMessage(WM_CLOSE, 0, 0);
    });
    dialog.Run(frontend);
    // Waits for a request in flight; none reaches the window after this.
    instance.SetRequestHandler({});
    session.reset();
    Trace(mouselog::kInfo, "Main window ended");
  }
  // 12. Shut-down. Every normal end is a success to shells, session managers and autostart.
  mouselog::CloseLog();
  return 0;
}

}  // namespace app
