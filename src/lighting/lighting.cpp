#include "lighting/lighting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "log/trace.h"
#include "platform/language.h"
#include "settings/settings_write.h"
#include "store/profile_store.h"
#include "ui/control_dispatch.h"
#include "ui/task_table.h"
#include "ui/toolkit.h"

namespace lighting {
namespace {

using platform::TextId;

constexpr std::array<LightEffect, kModeCount> kDefaultEffects = {{
    {0, TextId{280}, nullptr, 0x00, TextId{280}},
    {1, TextId{281}, nullptr, 0x13, TextId{281}},
    {2, TextId{282}, nullptr, 0x12, TextId{282}},
    {3, platform::kNoText, "光谱循环", 0x03, TextId{283}},
    {4, platform::kNoText, "流光", 0x03, TextId{284}},
    {5, platform::kNoText, "单色跑马", 0x13, TextId{285}},
    {6, platform::kNoText, "霓虹", 0x03, TextId{286}},
}};

constexpr int kDefaultBrightness = 255;
constexpr uint32_t kDefaultColour = 0x0000FF;  // pure red

constexpr uint32_t Pack(int r, int g, int b) {
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

}  // namespace

std::span<const LightEffect, kModeCount> DefaultEffects() { return kDefaultEffects; }

uint32_t PaletteHSLToRGB(int position, int saturation) {
  const double h = std::clamp(position, 0, kPaletteMax);
  const double s = std::clamp(saturation, 0, kSaturationMax) / 100.0;
  constexpr double l = 0.5;
  const double c = (1 - std::fabs(2 * l - 1)) * s;
  const double hp = h / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (hp < 1) {
    r = c, g = x;
  } else if (hp < 2) {
    r = x, g = c;
  } else if (hp < 3) {
    g = c, b = x;
  } else if (hp < 4) {
    g = x, b = c;
  } else if (hp < 5) {
    r = x, b = c;
  } else {
    r = c, b = x;
  }
  const double m = l - c / 2;
  const auto byte = [m](double v) {
    return std::clamp(static_cast<int>(std::lround((v + m) * 255)), 0, 255);
  };
  return Pack(byte(r), byte(g), byte(b));
}

int ColourComponent(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  bool any = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    any = true;
    value = std::min<long>(value * 10 + (text[i] - '0'), 100000);  // no overflow on long text
  }
  if (!any || negative) return 0;
  return static_cast<int>(std::min<long>(value, 255));
}

int LightingSubsystem::Profile() const { return ctx_.current_profile ? ctx_.current_profile() : 0; }

bool LightingSubsystem::HasLighting() const {
  return ctx_.lighting_in_use && ctx_.lighting_in_use();
}

void LightingSubsystem::QueueLightingTask() { settings::AppendTask(ctx_, ui::kTaskLighting); }

void LightingSubsystem::InitLightingPage() {
  ui::Toolkit& tk = ctx_.toolkit;
  tk.SetRange(kBrightnessSlider, 0, kParameterMax);
  tk.SetRange(kSpeedSlider, 0, kParameterMax);
  tk.SetRange(kPaletteBar, 0, kPaletteMax);
  tk.SetRange(kSaturationSlider, 0, kSaturationMax);
  tk.SetPos(kSaturationSlider, kSaturationMax);
  for (int i = 0; i < kPresetCount; ++i) tk.SetColor(kPresetFirst + i, kPresetColours[i]);
  ui::ApplyControlTexts(tk, kPageTexts);
  for (int id : {kRedField, kGreenField, kBlueField}) tk.SetEditText(id, "255");
}

void LightingSubsystem::ApplyTexts() {
  ui::Toolkit& tk = ctx_.toolkit;
  ui::ApplyControlTexts(tk, kPageTexts);
  const int count = tk.GetItemCount(kModeSelector);
  if (count <= 0) return;
  const int64_t chosen = tk.GetCurData(kModeSelector);
  std::vector<LightModeRecord> rows;
  ctx_.store.ListLightModes(Profile(), rows);
  tk.ClearItems(kModeSelector);
  for (const LightModeRecord& row : rows) {
    tk.AddItem(kModeSelector, LanguageText(platform::TextId{row.reserved}), row.mode);
  }
  tk.SelectData(kModeSelector, chosen);
}

void LightingSubsystem::LoadLightingPage() {
  if (!HasLighting()) return;
  ui::Toolkit& tk = ctx_.toolkit;
  ProfileStore& store = ctx_.store;
  const int profile = Profile();
  tk.SetRange(kSpeedSlider, 0, kParameterMax);
  tk.SetPos(kSpeedSlider, kDefaultSpeed);
  if (store.CountLightModes(profile) == 0) {
    for (const LightEffect& e : kDefaultEffects) {
      LightModeRecord row;
      row.profile = profile;
      row.name = e.name_text.number > 0 ? LanguageText(e.name_text) : e.name;
      row.mode = e.mode;
      row.brightness = kDefaultBrightness;
      row.speed = kDefaultSpeed;
      row.direction = 0;
      row.colorful = 1;
      row.colorindex = 0;
      row.color_value = static_cast<int>(kDefaultColour);
      row.config_func = e.config_func;
      row.reserved = e.reserved.number;
      row.status = 0;
      if (store.AddLightMode(row) == 0) Trace(4, "Lighting row %d not stored", e.mode);
    }
    store.SetActiveLightMode(profile, 0);
  }
  std::vector<LightModeRecord> rows;
  store.ListLightModes(profile, rows);
  tk.ClearItems(kModeSelector);
  for (const LightModeRecord& row : rows) {
    tk.AddItem(kModeSelector, LanguageText(platform::TextId{row.reserved}), row.mode);
  }
  const int active = store.GetActiveLightMode(profile);
  tk.SelectData(kModeSelector, active);
  SelectLightMode(active);
}

bool LightingSubsystem::SelectLightMode(int mode) {
  ui::Toolkit& tk = ctx_.toolkit;
  const int profile = Profile();
  LightModeRecord row;
  if (!ctx_.store.GetLightMode(profile, mode, row)) return false;
  ctx_.store.SetActiveLightMode(profile, mode);
  const bool brightness = (row.config_func & kOffersBrightness) != 0;
  const bool speed = (row.config_func & kOffersSpeed) != 0;
  const bool colour = (row.config_func & kOffersColour) != 0;
  tk.SetVisible(kBrightnessLabel, brightness);
  tk.SetVisible(kBrightnessSlider, brightness);
  if (brightness) tk.SetPos(kBrightnessSlider, row.brightness);
  tk.SetVisible(kSpeedLabel, speed);
  tk.SetVisible(kSpeedSlider, speed);
  if (speed) tk.SetPos(kSpeedSlider, row.speed);
  tk.SetVisible(kSliderFrame, brightness || speed);
  tk.SetVisible(kColourArea, colour);
  if (colour) {
    // The page shows the mode's own colour, with its preset button checked if it is one.
    const uint32_t c = static_cast<uint32_t>(row.color_value) & 0xFFFFFF;
    tk.SetColor(kColourPreview, c);
    ShowComponents(c);
    for (int i = 0; i < kPresetCount; ++i) tk.SetCheck(kPresetFirst + i, kPresetColours[i] == c);
  }
  return true;
}

void LightingSubsystem::UpdateActive(void (*change)(LightModeRecord&, int), int value) {
  const int profile = Profile();
  LightModeRecord row;
  const int mode = ctx_.store.GetActiveLightMode(profile);
  if (!ctx_.store.GetLightMode(profile, mode, row)) return;
  change(row, value);
  if (!ctx_.store.UpdateLightMode(profile, mode, row)) {
    Trace(4, "Lighting mode %d of profile %d not updated", mode, profile);
  }
  QueueLightingTask();
}

void LightingSubsystem::SetBrightness(int value) {
  UpdateActive([](LightModeRecord& r, int v) { r.brightness = v; },
               std::clamp(value, 0, kParameterMax));
}

void LightingSubsystem::SetSpeed(int value) {
  UpdateActive([](LightModeRecord& r, int v) { r.speed = v; }, std::clamp(value, 0, kParameterMax));
}

void LightingSubsystem::SetColour(uint32_t colour) {
  colour &= 0xFFFFFF;
  ctx_.toolkit.SetColor(kColourPreview, colour);
  UpdateActive([](LightModeRecord& r, int v) { r.color_value = v; }, static_cast<int>(colour));
}

void LightingSubsystem::ShowComponents(uint32_t colour) {
  ui::Toolkit& tk = ctx_.toolkit;
  tk.SetEditText(kRedField, std::to_string(colour & 0xFF));
  tk.SetEditText(kGreenField, std::to_string((colour >> 8) & 0xFF));
  tk.SetEditText(kBlueField, std::to_string((colour >> 16) & 0xFF));
}

void LightingSubsystem::OnModeChosen() {
  const int64_t mode = ctx_.toolkit.GetCurData(kModeSelector);
  if (mode < 0) return;
  if (SelectLightMode(static_cast<int>(mode))) QueueLightingTask();
}

void LightingSubsystem::OnPreset(int index) {
  if (index < 0 || index >= kPresetCount) return;
  const uint32_t colour = kPresetColours[index];
  ShowComponents(colour);
  SetColour(colour);
}

void LightingSubsystem::OnPalette() {
  ui::Toolkit& tk = ctx_.toolkit;
  for (int i = 0; i < kPresetCount; ++i) tk.SetCheck(kPresetFirst + i, false);
  const uint32_t colour = PaletteHSLToRGB(tk.GetPos(kPaletteBar), tk.GetPos(kSaturationSlider));
  ShowComponents(colour);
  SetColour(colour);
}

void LightingSubsystem::OnColourField() {
  ui::Toolkit& tk = ctx_.toolkit;
  int parts[3];
  const int fields[3] = {kRedField, kGreenField, kBlueField};
  for (int i = 0; i < 3; ++i) {
    const std::string text = tk.GetEditText(fields[i]);
    parts[i] = ColourComponent(text);
    const std::string shown = std::to_string(parts[i]);
    if (shown != text) tk.SetEditText(fields[i], shown);
  }
  SetColour(Pack(parts[0], parts[1], parts[2]));
}

void LightingSubsystem::ResetLighting() {
  const int answer = ctx_.toolkit.ShowMessage(LanguageText(kResetMessageText),
                                              LanguageText(kResetTitleText), ui::kStyleOkCancel);
  if (answer != ui::kResultOk) return;
  ctx_.state.pending_section = settings::kSectionLighting;
  settings::AppendTask(ctx_, ui::kTaskRestoreSection);
}

void LightingSubsystem::RegisterControls(ui::ControlDispatch& dispatch) {
  dispatch.OnClick(kModeSelector, [this](int, int64_t) { OnModeChosen(); });
  dispatch.OnClick(kResetButton, [this](int, int64_t) { ResetLighting(); });
  dispatch.OnClick(kBrightnessSlider,
                   [this](int, int64_t) { SetBrightness(ctx_.toolkit.GetPos(kBrightnessSlider)); });
  dispatch.OnClick(kSpeedSlider,
                   [this](int, int64_t) { SetSpeed(ctx_.toolkit.GetPos(kSpeedSlider)); });
  for (int i = 0; i < kPresetCount; ++i) {
    dispatch.OnClick(kPresetFirst + i, [this, i](int, int64_t) { OnPreset(i); });
  }
  dispatch.OnClick(kPaletteBar, [this](int, int64_t) { OnPalette(); });
  dispatch.OnClick(kSaturationSlider, [this](int, int64_t) { OnPalette(); });
  // The fields act when confirmed; typing alone changes nothing.
  for (int id : {kRedField, kGreenField, kBlueField}) {
    dispatch.OnAny(id, [this](int code, int64_t) {
      if (code == ui::kNotifyClicked) OnColourField();
    });
  }
}

void LightingSubsystem::RegisterTasks(ui::TaskTable& table) {
  table.Add(ui::kTaskLighting, {nullptr, 500, false});
}

}  // namespace lighting
