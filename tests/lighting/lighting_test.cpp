// The lighting page: the default effect table, which controls each mode offers, the colour
// inputs and what is stored, the restore, and task 10.
#include <gtest/gtest.h>

#include "lighting_fixture.h"

namespace {

using lighting_test::LightRig;
namespace l = lighting;

TEST(LightingPage, FirstLoadCreatesTheDefaultTableWithModeZeroActive) {
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();

  std::vector<LightModeRecord> rows;
  ASSERT_EQ(rig.p().store().ListLightModes(rig.p().profile, rows), 7);
  struct Expected {
    const char* name;
    int config_func;
  };
  const Expected expected[7] = {{"T280", 0x00},     {"T281", 0x13}, {"T282", 0x12},
                                {"光谱循环", 0x03}, {"流光", 0x03}, {"单色跑马", 0x13},
                                {"霓虹", 0x03}};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].mode, i);
    EXPECT_EQ(rows[i].name, expected[i].name);
    EXPECT_EQ(rows[i].config_func, expected[i].config_func);
    EXPECT_EQ(rows[i].reserved, 280 + i);
    EXPECT_EQ(rows[i].brightness, 255);
    EXPECT_EQ(rows[i].speed, 127);
    EXPECT_EQ(rows[i].direction, 0);
    EXPECT_EQ(rows[i].colorful, 1);
    EXPECT_EQ(rows[i].colorindex, 0);
    EXPECT_EQ(rows[i].color_value, 255);
    EXPECT_EQ(rows[i].status, i == 0 ? 1 : 0);
    EXPECT_EQ(tk.GetItemText(l::kModeSelector, i), "T" + std::to_string(280 + i));
    EXPECT_EQ(tk.GetItemData(l::kModeSelector, i), i);
  }
  EXPECT_EQ(tk.GetItemCount(l::kModeSelector), 7);
  EXPECT_EQ(tk.GetCurData(l::kModeSelector), 0);
  // Loading the page queues nothing; loading it again adds no rows.
  EXPECT_TRUE(rig.p().TakeTasks().empty());
  rig.light.LoadLightingPage();
  EXPECT_EQ(rig.p().store().CountLightModes(rig.p().profile), 7);
  EXPECT_EQ(tk.GetItemCount(l::kModeSelector), 7);
}

TEST(LightingPage, ModelWithoutLightingLoadsNothing) {
  LightRig rig(sim::Model::kK9Air);
  rig.light.RefreshLightingPage();
  EXPECT_EQ(rig.p().store().CountLightModes(rig.p().profile), 0);
  EXPECT_EQ(rig.p().tk.GetItemCount(l::kModeSelector), 0);
}

TEST(LightingPage, EachModeShowsTheParametersItOffers) {
  struct Case {
    int mode;
    bool brightness, speed, colour;
  };
  const Case cases[] = {{0, false, false, false},
                        {1, true, true, true},
                        {2, false, true, true},
                        {3, true, true, false}};
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(tk.SelectData(l::kModeSelector, c.mode));
    rig.p().Notify(l::kModeSelector, 2);
    EXPECT_EQ(tk.IsVisible(l::kBrightnessSlider), c.brightness);
    EXPECT_EQ(tk.IsVisible(l::kBrightnessLabel), c.brightness);
    EXPECT_EQ(tk.IsVisible(l::kSpeedSlider), c.speed);
    EXPECT_EQ(tk.IsVisible(l::kSpeedLabel), c.speed);
    EXPECT_EQ(tk.IsVisible(l::kSliderFrame), c.brightness || c.speed);
    EXPECT_EQ(tk.IsVisible(l::kColourArea), c.colour);
    // Choosing a mode makes it active at once and queues task 10.
    EXPECT_EQ(rig.Active(), c.mode);
    EXPECT_EQ(rig.p().TakeTasks(), std::vector<int>{10});
  }
}

TEST(LightingPage, ColourFieldsAreClampedRewrittenAndStored) {
  struct Case {
    const char *r, *g, *b;
    const char *shown_r, *shown_g, *shown_b;
    int stored;
  };
  const Case cases[] = {
      {"300", "0", "0", "255", "0", "0", 255},
      {"-5", "16", "1", "0", "16", "1", 69632},
      {"abc", "255", "", "0", "255", "0", 65280},
      {"12", "34", "56", "12", "34", "56", 0x38220C},
  };
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r);
    tk.SetEditText(l::kRedField, c.r);
    tk.SetEditText(l::kGreenField, c.g);
    tk.SetEditText(l::kBlueField, c.b);
    // Typing alone stores nothing; confirming does.
    rig.p().Notify(l::kRedField, ui::kNotifyChanged);
    EXPECT_TRUE(rig.p().TakeTasks().empty());
    rig.p().Notify(l::kGreenField, ui::kNotifyClicked);
    EXPECT_EQ(tk.GetEditText(l::kRedField), c.shown_r);
    EXPECT_EQ(tk.GetEditText(l::kGreenField), c.shown_g);
    EXPECT_EQ(tk.GetEditText(l::kBlueField), c.shown_b);
    EXPECT_EQ(rig.Row(1).color_value, c.stored);
    EXPECT_EQ(tk.GetColor(l::kColourPreview), static_cast<uint32_t>(c.stored));
    EXPECT_EQ(rig.p().TakeTasks(), std::vector<int>{10});
  }
  // Only the active mode changed.
  EXPECT_EQ(rig.Row(2).color_value, 255);
}

TEST(LightingPage, PresetColoursStoreTheirValues) {
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(5);
  EXPECT_EQ(tk.GetColor(177), 0xFCFF00u);  // the buttons carry their colours
  rig.p().Notify(177, 2);                  // the fourth preset
  EXPECT_EQ(rig.Row(5).color_value, 0xFCFF00);
  EXPECT_EQ(tk.GetEditText(l::kRedField), "0");
  EXPECT_EQ(tk.GetEditText(l::kGreenField), "255");
  EXPECT_EQ(tk.GetEditText(l::kBlueField), "252");
  EXPECT_EQ(tk.GetColor(l::kColourPreview), 0xFCFF00u);
  EXPECT_EQ(rig.p().TakeTasks(), std::vector<int>{10});
  rig.p().Notify(181, 2);  // white
  EXPECT_EQ(rig.Row(5).color_value, 0xFFFFFF);
}

TEST(LightingPage, PaletteBarGivesTheHueAndUnchecksThePresets) {
  struct Case {
    int position, saturation;
    int stored;
  };
  const Case cases[] = {{0, 100, 0x0000FF},  {120, 100, 0x00FF00}, {240, 100, 0xFF0000},
                        {60, 100, 0x00FFFF}, {0, 0, 0x808080},     {120, 50, 0x40BF40}};
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    rig.p().Notify(176, 2);
    tk.SetCheck(176, true);
    tk.SetPos(l::kPaletteBar, c.position);
    tk.SetPos(l::kSaturationSlider, c.saturation);
    rig.p().Notify(l::kPaletteBar, 2);
    EXPECT_EQ(rig.Row(1).color_value, c.stored);
    EXPECT_FALSE(tk.GetCheck(176));
    EXPECT_EQ(tk.GetEditText(l::kRedField), std::to_string(c.stored & 0xFF));
  }
}

TEST(LightingPage, SlidersStoreBrightnessAndSpeedOfTheActiveMode) {
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(1);
  tk.SetPos(l::kBrightnessSlider, 40);
  rig.p().Notify(l::kBrightnessSlider, 2);
  tk.SetPos(l::kSpeedSlider, 200);
  rig.p().Notify(l::kSpeedSlider, 2);
  EXPECT_EQ(rig.Row(1).brightness, 40);
  EXPECT_EQ(rig.Row(1).speed, 200);
  EXPECT_EQ(rig.Row(3).brightness, 255);
  EXPECT_EQ(rig.p().TakeTasks(), (std::vector<int>{10, 10}));
  // Shown again when the mode is chosen later.
  rig.light.SelectLightMode(3);
  rig.light.SelectLightMode(1);
  EXPECT_EQ(tk.GetPos(l::kBrightnessSlider), 40);
  EXPECT_EQ(tk.GetPos(l::kSpeedSlider), 200);
}

TEST(LightingPage, EachProfileKeepsItsOwnActiveMode) {
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(2);
  rig.p().profile = 2;
  rig.light.LoadLightingPage();
  EXPECT_EQ(tk.GetCurData(l::kModeSelector), 0);  // a new profile gets its defaults
  EXPECT_EQ(rig.p().store().CountLightModes(2), 7);
  rig.light.SelectLightMode(5);
  rig.p().profile = 1;
  rig.light.LoadLightingPage();
  EXPECT_EQ(tk.GetCurData(l::kModeSelector), 2);
  EXPECT_EQ(rig.p().store().GetActiveLightMode(1), 2);
  EXPECT_EQ(rig.p().store().GetActiveLightMode(2), 5);
}

TEST(LightingPage, ResetAsksThenRestoresTheMouseAndReloads) {
  LightRig rig;
  auto& tk = rig.p().tk;
  rig.light.LoadLightingPage();
  rig.light.SelectLightMode(1);
  tk.SetPos(l::kBrightnessSlider, 9);
  rig.p().Notify(l::kBrightnessSlider, 2);
  rig.p().TakeTasks();

  tk.QueueMessageAnswer(ui::kResultCancel);
  rig.p().Notify(l::kResetButton, 2);
  EXPECT_TRUE(rig.p().TakeTasks().empty());
  ASSERT_EQ(tk.Messages().size(), 1u);
  EXPECT_EQ(tk.Messages()[0].message, "T275");
  EXPECT_EQ(tk.Messages()[0].title, "T276");
  EXPECT_EQ(tk.Messages()[0].style, ui::kStyleOkCancel);

  tk.QueueMessageAnswer(ui::kResultOk);
  rig.p().Notify(l::kResetButton, 2);
  EXPECT_EQ(rig.p().state.pending_section.load(), 3);
  tk.ClearItems(l::kModeSelector);
  rig.p().RunTasks();  // task 17: the mouse restores its lighting, the page is loaded again
  EXPECT_EQ(
      rig.Sent(0x0F),
      (std::vector<std::vector<uint8_t>>{settings_test::Frame({0x50, 0x00, 0x0F, 0x06, 0x03})}));
  EXPECT_EQ(tk.GetItemCount(l::kModeSelector), 7);
  EXPECT_EQ(rig.Row(1).brightness, 9);  // the rows are not changed
}

TEST(LightingTask, PausesOnlyAndSendsNothing) {
  LightRig rig;
  const ui::TaskRoutine* routine = rig.p().table.Find(10);
  ASSERT_NE(routine, nullptr);
  EXPECT_FALSE(routine->run);
  EXPECT_EQ(routine->pause_ms, 500);
  EXPECT_FALSE(routine->closes_wait);
}

TEST(LightingColour, ComponentText) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},    {"255", 255}, {"256", 0xFF},
      {"-1", 0},   {"", 0},      {"  7", 7},
      {"99x", 99}, {"+3", 3},    {"999999999999999999", 255}};
  for (const auto& [text, value] : cases) EXPECT_EQ(l::ColourComponent(text), value) << text;
}

}  // namespace
