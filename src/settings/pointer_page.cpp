#include "settings/pointer_page.h"

#include <algorithm>
#include <string>

#include "log/trace.h"
#include "platform/language.h"
#include "settings/settings_model.h"
#include "store/settings_keys.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace settings {

int DoubleClickTimeForPosition(int position) {
  if (position < 0 || position >= static_cast<int>(kDoubleClickTimes.size())) return position;
  return kDoubleClickTimes[static_cast<size_t>(position)];
}

int PositionForDoubleClickTime(int ms) {
  if (ms == 500) return 5;
  for (size_t i = 0; i < kDoubleClickTimes.size(); ++i) {
    if (kDoubleClickTimes[i] == ms) return static_cast<int>(i);
  }
  return 0;
}

PointerPage::PointerPage(SettingsContext& context, PointerSettings& pointer)
    : context_(context), pointer_(pointer) {}

void PointerPage::Init() {
  ui::Toolkit& tk = context_.toolkit;
  tk.SetRange(kPointerSpeedSlider, 0, kSpeedMax - kSpeedMin);
  tk.SetRange(kWheelLinesSlider, 0, kWheelSliderMax);
  tk.SetPos(kWheelLinesSlider, kWheelSliderStart);
  tk.SetRange(kDoubleClickSlider, 0, static_cast<int>(kDoubleClickTimes.size()) - 1);
  ApplyTexts();
  tk.SetVisible(kPointerNote, !pointer_.DesktopReachable());
  Refresh();
}

void PointerPage::ApplyTexts() {
  ui::Toolkit& tk = context_.toolkit;
  ui::ApplyControlTexts(tk, kPointerTexts);
}

void PointerPage::Refresh() {
  ui::Toolkit& tk = context_.toolkit;
  const int speed = std::clamp(pointer_.Speed(), kSpeedMin, kSpeedMax);
  tk.SetPos(kPointerSpeedSlider, speed - 1);
  tk.SetTitle(kPointerSpeedLabel, std::to_string(speed));
  WriteInt(context_, kMouseSpeed, speed);

  const bool precision = pointer_.Precision();
  tk.SetCheck(kPointerPrecision, precision);
  WriteInt(context_, kMouseSensitivity, precision ? 1 : 0);

  const uint32_t lines = pointer_.WheelLines();
  ShowWheel(lines);
  if (lines <= static_cast<uint32_t>(kWheelFieldMax)) {
    WriteText(context_, kWheelScrollFlag, "1");
    WriteInt(context_, kWheelScrollLines, static_cast<int>(lines));
  } else {
    WriteText(context_, kWheelScrollFlag, "0");
    WriteText(context_, kWheelScrollLines, "0");
  }

  const int ms = pointer_.DoubleClickTime();
  tk.SetPos(kDoubleClickSlider, PositionForDoubleClickTime(ms));
  tk.SetTitle(kDoubleClickLabel, std::to_string(ms));
  WriteInt(context_, kDoubleClickTime, ms);
}

void PointerPage::ShowWheel(uint32_t lines) {
  ui::Toolkit& tk = context_.toolkit;
  // Compared as unsigned: the page value is all bits set.
  const bool by_lines = lines <= static_cast<uint32_t>(kWheelFieldMax);
  // The chosen radio first: an exclusive pair cannot be cleared on its own.
  tk.SetCheck(by_lines ? kWheelLinesRadio : kWheelPageRadio, true);
  tk.SetCheck(by_lines ? kWheelPageRadio : kWheelLinesRadio, false);
  tk.SetEditText(kWheelLinesField, by_lines ? std::to_string(lines) : "0");
  tk.SetEnabled(kWheelLinesField, by_lines);
}

void PointerPage::Apply() {
  ui::Toolkit& tk = context_.toolkit;
  switch (kind_.load()) {
    case kPointerKindSpeed:
      pointer_.SetSpeed(tk.GetPos(kPointerSpeedSlider) + 1);
      break;
    case kPointerKindWheel:
      pointer_.SetWheelLines(static_cast<uint32_t>(std::max(0, tk.GetPos(kWheelLinesSlider))));
      break;
    case kPointerKindDoubleClick: {
      const int ms = DoubleClickTimeForPosition(tk.GetPos(kDoubleClickSlider));
      pointer_.SetDoubleClickTime(ms);
      tk.SetTitle(kDoubleClickLabel, std::to_string(ms));
      break;
    }
    default:
      break;
  }
}

void PointerPage::OnSpeed(int code) {
  const int position = context_.toolkit.GetPos(kPointerSpeedSlider);
  const int speed = std::clamp(position + 1, kSpeedMin, kSpeedMax);
  context_.toolkit.SetTitle(kPointerSpeedLabel, std::to_string(speed));
  WriteInt(context_, kMouseSpeed, speed);
  if (code == ui::kNotifyClicked) {
    kind_ = kPointerKindSpeed;
    AppendTask(context_, ui::kTaskPointer);
  }
}

void PointerPage::OnPrecision() {
  const bool on = context_.toolkit.GetCheck(kPointerPrecision);
  pointer_.SetPrecision(on);
  WriteInt(context_, kMouseSensitivity, on ? 1 : 0);
}

void PointerPage::OnWheelMode() {
  ui::Toolkit& tk = context_.toolkit;
  if (tk.GetCheck(kWheelPageRadio)) {
    pointer_.SetWheelLines(kWheelPageScroll);
    tk.SetEditText(kWheelLinesField, "0");
    tk.SetEnabled(kWheelLinesField, false);
    WriteText(context_, kWheelScrollFlag, "0");
    WriteText(context_, kWheelScrollLines, "0");
  } else {
    pointer_.SetWheelLines(kDefaultWheelLines);
    tk.SetEditText(kWheelLinesField, std::to_string(kDefaultWheelLines));
    tk.SetEnabled(kWheelLinesField, true);
    WriteText(context_, kWheelScrollFlag, "1");
    WriteInt(context_, kWheelScrollLines, static_cast<int>(kDefaultWheelLines));
  }
}

void PointerPage::OnWheelField(int code) {
  ui::Toolkit& tk = context_.toolkit;
  const std::string text = tk.GetEditText(kWheelLinesField);
  const int lines = std::clamp(StoredInt(text), kWheelFieldMin, kWheelFieldMax);
  if (code == kEditTextChanged || code == ui::kNotifyChanged) {
    if (std::to_string(lines) != text) tk.SetEditText(kWheelLinesField, std::to_string(lines));
  } else if (code == ui::kNotifyClicked) {
    // Only while the wheel scrolls by lines: the disabled field of page scrolling reads "0".
    if (!tk.IsEnabled(kWheelLinesField)) return;
    if (std::to_string(lines) != text) tk.SetEditText(kWheelLinesField, std::to_string(lines));
    pointer_.SetWheelLines(static_cast<uint32_t>(lines));
    WriteInt(context_, kWheelScrollLines, lines);
  }
}

void PointerPage::OnWheelSlider() {
  kind_ = kPointerKindWheel;
  AppendTask(context_, ui::kTaskPointer);
}

void PointerPage::OnDoubleClick() {
  ui::Toolkit& tk = context_.toolkit;
  const int ms = DoubleClickTimeForPosition(tk.GetPos(kDoubleClickSlider));
  tk.SetTitle(kDoubleClickLabel, std::to_string(ms));
  kind_ = kPointerKindDoubleClick;
  AppendTask(context_, ui::kTaskPointer);
  WriteInt(context_, kDoubleClickTime, ms);
}

void PointerPage::Register(ui::ControlDispatch& dispatch, ui::TaskTable& tasks) {
  dispatch.OnAny(kPointerSpeedSlider, [this](int code, int64_t) { OnSpeed(code); });
  dispatch.OnClick(kPointerPrecision, [this](int, int64_t) { OnPrecision(); });
  dispatch.OnClick(kWheelPageRadio, [this](int, int64_t) { OnWheelMode(); });
  dispatch.OnClick(kWheelLinesRadio, [this](int, int64_t) { OnWheelMode(); });
  dispatch.OnAny(kWheelLinesField, [this](int code, int64_t) { OnWheelField(code); });
  dispatch.OnClick(kWheelLinesSlider, [this](int, int64_t) { OnWheelSlider(); });
  dispatch.OnClick(kDoubleClickSlider, [this](int, int64_t) { OnDoubleClick(); });
  tasks.Add(ui::kTaskPointer, {[this] { Apply(); }, 0, false});
}

}  // namespace settings
