// Lighting effects kept per profile: the seven modes with their brightness, speed and colour,
// the active mode, and the lighting page that edits them. Nothing here is sent to the mouse:
// the effect lives in the profile database and travels in profile files; the only lighting
// request to the mouse is the lighting restore (task 17, section 3).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/language.h"
#include "settings/settings_context.h"
#include "settings/subsystem_ports.h"
#include "ui/control_texts.h"

namespace ui {
class ControlDispatch;
class TaskTable;
}  // namespace ui
struct LightModeRecord;

namespace lighting {

// --- controls of the lighting page ---
inline constexpr int kModeSelector = 165;
inline constexpr int kHelpTip = 166;
// The frame around the brightness and speed sliders, shown while either is offered.
inline constexpr int kSliderFrame = 167;
inline constexpr int kResetButton = 168;
inline constexpr int kBrightnessLabel = 169;
inline constexpr int kBrightnessSlider = 170;
inline constexpr int kSpeedLabel = 171;
inline constexpr int kSpeedSlider = 172;
// Preset buttons, palette bar, saturation slider and the R, G, B fields together.
inline constexpr int kColourArea = 173;
inline constexpr int kPresetFirst = 174;  // 174..181: the eight preset colours
inline constexpr int kPresetCount = 8;
inline constexpr int kColourPreview = 182;
inline constexpr int kPaletteBar = 183;
inline constexpr int kSaturationSlider = 186;
inline constexpr int kRedField = 190;
inline constexpr int kGreenField = 191;
inline constexpr int kBlueField = 192;
// Every control of the page, for the window's control registry.
inline constexpr std::array kPageControls{
    kModeSelector,     kHelpTip,         kSliderFrame,     kResetButton,     kBrightnessLabel,
    kBrightnessSlider, kSpeedLabel,      kSpeedSlider,     kColourArea,      kPresetFirst,
    kPresetFirst + 1,  kPresetFirst + 2, kPresetFirst + 3, kPresetFirst + 4, kPresetFirst + 5,
    kPresetFirst + 6,  kPresetFirst + 7, kColourPreview,   kPaletteBar,      kSaturationSlider,
    kRedField,         kGreenField,      kBlueField};

// --- language texts ---
inline constexpr platform::TextId kResetMessageText{275};
inline constexpr platform::TextId kResetTitleText{276};
inline constexpr platform::TextId kHeadingText{69};
inline constexpr platform::TextId kBrightnessText{2013};
inline constexpr platform::TextId kSpeedText{2014};
inline constexpr platform::TextId kColourText{2015};
inline constexpr platform::TextId kSaturationText{2016};
inline constexpr platform::TextId kHelpText{2017};
inline constexpr platform::TextId kEffectText{2018};
// The titles and tooltips of the page's controls.
inline constexpr ui::ControlText kPageTexts[] = {
    {kBrightnessLabel, kBrightnessText},
    {kSpeedLabel, kSpeedText},
    {kHelpTip, kHelpText, ui::TextPlace::kTooltip},
    {kResetButton, kResetTitleText, ui::TextPlace::kTooltip},
};

// Which parameters a mode offers (config_func bits).
inline constexpr int kOffersBrightness = 0x01;
inline constexpr int kOffersSpeed = 0x02;
inline constexpr int kOffersColour = 0x10;

inline constexpr int kModeCount = 7;
inline constexpr int kParameterMax = 255;  // brightness and speed: 0..255
inline constexpr int kDefaultSpeed = 127;
inline constexpr int kPaletteMax = 359;     // palette bar positions: the hue in degrees
inline constexpr int kSaturationMax = 100;  // saturation slider in percent

// One row of the default effect table, inserted for a profile without lighting rows.
struct LightEffect {
  int mode;
  platform::TextId name_text;  // > 0: the text stored as the name when the row is made
  const char* name;            // otherwise this name
  int config_func;
  platform::TextId reserved;  // names the mode in the list (stored as its number)
};
std::span<const LightEffect, kModeCount> DefaultEffects();

// The eight preset colours in button order, packed red + 256 * green + 65536 * blue.
inline constexpr std::array<uint32_t, kPresetCount> kPresetColours = {
    0x0000FF, 0xFF00F0, 0xFF0C00, 0xFCFF00, 0x06FF00, 0x00DEFF, 0x0048FF, 0xFFFFFF};

// The palette bar's colour at `position` (0..359, the hue) with `saturation` percent
// (0..100) at half lightness, packed. Positions and saturations out of range are clamped.
uint32_t PaletteHSLToRGB(int position, int saturation = kSaturationMax);

// A colour field's text as a component: a decimal number (leading sign allowed, anything
// after the digits ignored) clamped to 0..255; 0 for text without a number.
int ColourComponent(const std::string& text);

// The lighting subsystem: the page logic over the current profile's rows and task 10.
// Works through the settings context's store, toolkit, current profile, task list and
// model facts; it must outlive every use of the dispatch and task table it registers with.
class LightingSubsystem final : public settings::LightingPort {
 public:
  explicit LightingSubsystem(settings::SettingsContext& context) : ctx_(context) {}

  // The handlers of the page's controls.
  void RegisterControls(ui::ControlDispatch& dispatch);
  // Task 10: sends nothing, only the 500 ms pause.
  void RegisterTasks(ui::TaskTable& table);
  // Once the page exists: texts, ranges and the preset buttons' colours.
  void InitLightingPage();
  // After a language switch: the page's texts and the effect names of the mode list (the
  // selection stays).
  void ApplyTexts();

  // Fills the page from the current profile, creating its default rows on first use.
  // Nothing happens for a model without lighting.
  void LoadLightingPage();
  // Makes `mode` active and shows the parameters it offers. False when the profile has no
  // row for it.
  bool SelectLightMode(int mode);
  void SetBrightness(int value);
  void SetSpeed(int value);
  // Stores `colour` as the active mode's colour and shows it in the preview.
  void SetColour(uint32_t colour);
  // Asks, then queues the mouse's lighting restore.
  void ResetLighting();

  // --- what the controls do ---
  void OnModeChosen();
  void OnPreset(int index);
  void OnPalette();
  void OnColourField();

  // --- settings::LightingPort ---
  void RefreshLightingPage() override { LoadLightingPage(); }

 private:
  int Profile() const;
  bool HasLighting() const;
  void QueueLightingTask();
  void ShowComponents(uint32_t colour);
  void UpdateActive(void (*change)(LightModeRecord&, int), int value);

  settings::SettingsContext& ctx_;
};

}  // namespace lighting
