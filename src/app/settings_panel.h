// The caption's settings panel (layout 245): the language, starting with the desktop session
// (and whether such a start stays out of sight), what the close button does, the firmware
// check and the program's links. Choices live in the application settings and the autostart
// entry, not in a profile.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/language.h"
#include "ui/control_dispatch.h"
#include "ui/control_texts.h"
#include "ui/toolkit.h"
#include "update/update_subsystem.h"

namespace platform {
class AppKey;
}

namespace app {

namespace panel {

inline constexpr int kTitle = 247;
// The update subsystem owns the button and its handler.
inline constexpr int kFirmwareCheck = update::kFirmwareButton;
inline constexpr int kLanguageCaption = 249;
inline constexpr int kLanguage = 250;
inline constexpr int kStartupCaption = 251;
inline constexpr int kAutorun = 252;
inline constexpr int kAutorunMinimize = 253;
inline constexpr int kCloseCaption = 254;
inline constexpr int kFirmwareCaption = 255;
inline constexpr int kLinksCaption = 256;
inline constexpr int kHideToTray = 257;
inline constexpr int kExitOnClose = 258;
inline constexpr int kWebsite = 260;
inline constexpr int kFeedback = 261;
inline constexpr int kQuestions = 262;
// Every control of the panel, for the window's control registry.
inline constexpr std::array kPanelControls{
    kTitle,      kFirmwareCheck,   kLanguageCaption, kLanguage,        kStartupCaption,
    kAutorun,    kAutorunMinimize, kCloseCaption,    kFirmwareCaption, kLinksCaption,
    kHideToTray, kExitOnClose,     kWebsite,         kFeedback,        kQuestions};

// Language texts.
inline constexpr platform::TextId kTitleText{1903};
inline constexpr platform::TextId kLanguageText{1946};
inline constexpr platform::TextId kStartupText{1947};
inline constexpr platform::TextId kAutorunText{1948};
inline constexpr platform::TextId kAutorunMinimizeText{1949};
inline constexpr platform::TextId kCloseText{1970};
inline constexpr platform::TextId kHideToTrayText{1971};
inline constexpr platform::TextId kExitOnCloseText{1972};
inline constexpr platform::TextId kLinksText{1973};
inline constexpr platform::TextId kWebsiteText{1974};
inline constexpr platform::TextId kFeedbackText{1975};
inline constexpr platform::TextId kQuestionsText{1976};
inline constexpr platform::TextId kFirmwareText{1977};
inline constexpr platform::TextId kFirmwareCheckText{1978};
// The titles of the panel's controls.
inline constexpr ui::ControlText kPanelTexts[] = {
    {kTitle, kTitleText},
    {kLanguageCaption, kLanguageText},
    {kStartupCaption, kStartupText},
    {kAutorun, kAutorunText},
    {kAutorunMinimize, kAutorunMinimizeText},
    {kCloseCaption, kCloseText},
    {kHideToTray, kHideToTrayText},
    {kExitOnClose, kExitOnCloseText},
    {kFirmwareCaption, kFirmwareText},
    {kFirmwareCheck, kFirmwareCheckText},
    {kLinksCaption, kLinksText},
    {kWebsite, kWebsiteText},
    {kFeedback, kFeedbackText},
    {kQuestions, kQuestionsText},
};

inline constexpr char kGroupExitMode[] = "IDC_SET_STC_EXITMODE";

}  // namespace panel

// Application settings values.
inline constexpr char kExitModeValue[] = "exit_mode";
inline constexpr char kAutorunMinimizeValue[] = "autorun_minimize";
// The argument the autostart entry starts the program with.
inline constexpr char kAutorunArgument[] = "-autorun";

// How a start shows the window: an autostart with "autorun_minimize" 1 goes to the tray where
// there is one and is minimised where there is none; every other start shows it normally.
ui::WindowState StartWindowState(bool autorun_start, int autorun_minimize, bool tray_shown);

class SettingsPanel {
 public:
  // What the panel asks of the rest of the program.
  struct Hooks {
    // Re-applies every text after the language changed.
    std::function<void()> apply_language;
    // The link's address: 0 website, 1 feedback, 2 questions.
    std::function<std::string(int link)> link_address;
    // Hands an address to the desktop (platform::OpenUrl by default).
    std::function<bool(const std::string& url)> open_url;
    // The running executable, for the autostart entry ("<ProgramDir>DeviceDriver" by default).
    std::function<std::string()> executable;
  };

  SettingsPanel(ui::Toolkit& toolkit, platform::AppKey& key, Hooks hooks);

  // Registers the panel's controls with the window's dispatch.
  void Register(ui::ControlDispatch& dispatch);

  // Fills the language list, shows the stored choices and the texts (window initialisation).
  void Init();
  // Shows the autostart entry's presence and the stored choices.
  void ShowChoices();
  void ApplyTexts();
  void SetHooks(Hooks hooks);

  void LanguageChosen();
  void AutorunChanged();
  void AutorunMinimizeChanged();
  void ExitModeChanged();
  void OpenLink(int link);

 private:
  ui::Toolkit& toolkit_;
  platform::AppKey& key_;
  Hooks hooks_;
};

}  // namespace app
