// The pointer half of the performance page: the desktop's pointer speed, precision, wheel
// scrolling and double-click time. The desktop is the master copy: the page shows what it
// has, every change goes to it at once (speed, wheel slider and double-click time through
// task 19 on the worker), and the current profile's keys mirror what the page shows.
#pragma once

#include <array>
#include <atomic>

#include "platform/language.h"
#include "settings/pointer_settings.h"
#include "settings/settings_context.h"
#include "ui/control_texts.h"

namespace ui {
class ControlDispatch;
class TaskTable;
}  // namespace ui

namespace settings {

// Controls of the pointer half.
inline constexpr int kPointerSpeedSlider = 228;  // positions 0..19: speed = position + 1
inline constexpr int kPointerSpeedLabel = 229;   // the speed as a number
inline constexpr int kPointerSpeedCaption = 230;
inline constexpr int kPointerHeading = 231;
inline constexpr int kPointerPrecision = 232;  // check box
inline constexpr int kWheelCaption = 233;
inline constexpr int kWheelLinesSlider = 234;  // positions 0..11: lines = position, not stored
inline constexpr int kWheelSliderCaption = 235;
inline constexpr int kWheelLinesField = 237;  // 1..100
inline constexpr int kWheelPageRadio = 238;   // one page per notch
inline constexpr int kWheelLinesRadio = 239;  // lines per notch
inline constexpr int kDoubleClickCaption = 240;
inline constexpr int kDoubleClickSlider = 241;  // positions 0..10 by kDoubleClickTimes
inline constexpr int kDoubleClickLabel = 242;   // the time in milliseconds
inline constexpr int kPointerNote = 243;        // shown when the desktop cannot be reached
inline constexpr int kDoubleClickUnit = 244;
// Every control of the pointer half, for the window's control registry.
inline constexpr std::array kPointerControls{
    kPointerSpeedSlider, kPointerSpeedLabel, kPointerSpeedCaption, kPointerHeading,
    kPointerPrecision,   kWheelCaption,      kWheelLinesSlider,    kWheelSliderCaption,
    kWheelLinesField,    kWheelPageRadio,    kWheelLinesRadio,     kDoubleClickCaption,
    kDoubleClickSlider,  kDoubleClickLabel,  kPointerNote,         kDoubleClickUnit};

// Language texts of the pointer half.
inline constexpr platform::TextId kPointerHeadingText{1910};
inline constexpr platform::TextId kPointerSpeedText{1940};
inline constexpr platform::TextId kPrecisionText{534};
inline constexpr platform::TextId kWheelText{1941};
inline constexpr platform::TextId kWheelLinesText{536};
inline constexpr platform::TextId kWheelPageText{537};
inline constexpr platform::TextId kWheelSliderText{1942};
inline constexpr platform::TextId kDoubleClickText{1943};
inline constexpr platform::TextId kMillisecondsText{1944};
inline constexpr platform::TextId kPointerNoteText{1945};
// The titles of the pointer settings' controls.
inline constexpr ui::ControlText kPointerTexts[] = {
    {kPointerHeading, kPointerHeadingText},  {kPointerSpeedCaption, kPointerSpeedText},
    {kPointerPrecision, kPrecisionText},     {kWheelCaption, kWheelText},
    {kWheelLinesRadio, kWheelLinesText},     {kWheelPageRadio, kWheelPageText},
    {kWheelSliderCaption, kWheelSliderText}, {kDoubleClickCaption, kDoubleClickText},
    {kDoubleClickUnit, kMillisecondsText},   {kPointerNote, kPointerNoteText},
};

inline constexpr int kWheelSliderMax = 11;
inline constexpr int kWheelSliderStart = 3;
inline constexpr int kWheelFieldMin = 1;
inline constexpr int kWheelFieldMax = 100;

// Slider position -> double-click time in milliseconds.
inline constexpr std::array<int, 11> kDoubleClickTimes = {900, 830, 760, 690, 620, 550,
                                                          480, 410, 340, 270, 200};
// A position outside 0..10 is taken as the time itself.
int DoubleClickTimeForPosition(int position);
// The table's position of a time; 500 (a common default) is position 5; any other time that
// is not in the table is position 0.
int PositionForDoubleClickTime(int ms);

// What task 19 applies, remembered from the last slider release.
enum PointerSettingKind {
  kPointerKindNone = 0,
  kPointerKindSpeed = 1,
  kPointerKindWheel = 2,
  kPointerKindDoubleClick = 3
};

class PointerPage {
 public:
  // Both must outlive the page.
  PointerPage(SettingsContext& context, PointerSettings& pointer);

  // Ranges, titles and the note; then the first refresh (window thread, once the window is
  // built).
  void Init();
  // Re-applies the language texts of the pointer half.
  void ApplyTexts();
  // Shows and stores what the desktop has now (RefreshPointerPage).
  void Refresh();
  // Task 19 (worker): applies the setting the last release named, reading the slider
  // positions now, so quick moves apply only the last position.
  void Apply();
  // Registers the page's handlers and task 19.
  void Register(ui::ControlDispatch& dispatch, ui::TaskTable& tasks);

  int Kind() const { return kind_.load(); }

 private:
  void OnSpeed(int code);
  void OnPrecision();
  void OnWheelMode();
  void OnWheelField(int code);
  void OnWheelSlider();
  void OnDoubleClick();
  void ShowWheel(uint32_t lines);

  SettingsContext& context_;
  PointerSettings& pointer_;
  std::atomic<int> kind_{kPointerKindNone};
};

}  // namespace settings
