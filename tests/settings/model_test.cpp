// The settings vocabulary: the DPI code on the wire, slider positions, stored numbers, the
// sensor byte and the sleep items.
#include <gtest/gtest.h>

#include <climits>

#include "settings/settings_model.h"

namespace {

using settings::DecodeDpi;
using settings::DpiToSliderPosition;
using settings::EncodeDpi;
using settings::SliderPositionToDpi;

TEST(DpiCode, EncodeClampsAndKeepsWideValuesWhole) {
  struct Case {
    int type, dpi;
    uint16_t code;
  } cases[] = {
      {1, 26000, 0x0207}, {1, 30, 0x0000},    {2, 35000, 0x88B8}, {1, 35000, 699},
      {1, 400, 0x0007},   {2, 42000, 0xA410}, {2, 50000, 42000},  {1, 50000, 839},
      {2, 30000, 599},    {0, 3200, 0x003F},  {2, 30049, 30049},  {1, -5, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDpi(c.type, c.dpi), c.code) << "type " << c.type << " dpi " << c.dpi;
  }
}

TEST(DpiCode, DecodeCapsOnlyTheWideRangeSensor) {
  struct Case {
    int type;
    uint16_t code;
    int dpi;
  } cases[] = {
      {2, 0x88B8, 35000},
      {1, 0x88B8, (0x88B8 + 1) * 50},
      {0, 0x88B8, (0x88B8 + 1) * 50},
      {2, 599, 30000},
      {2, 600, 600},
      {1, 7, 400},
      {2, 0x0005, 300},
      {1, 0xFFFF, 65536 * 50},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeDpi(c.type, c.code), c.dpi) << "type " << c.type << " code " << c.code;
  }
}

// Every DPI the pages can produce survives the trip to the mouse and back.
TEST(DpiCode, RoundTripOverEverySliderValue) {
  for (int type : {0, 1, 2}) {
    for (int dpi = 50; dpi <= 42000; dpi += 50) {
      if (type != 2 && dpi > 26000) break;
      ASSERT_EQ(DecodeDpi(type, EncodeDpi(type, dpi)), dpi) << "type " << type;
    }
  }
}

TEST(DpiSlider, PositionsBothWays) {
  EXPECT_EQ(DpiToSliderPosition(2, 42000), 612);
  EXPECT_EQ(DpiToSliderPosition(1, 42000), 840);
  EXPECT_EQ(DpiToSliderPosition(2, 30000), 600);
  EXPECT_EQ(DpiToSliderPosition(2, 31999), 601);
  EXPECT_EQ(DpiToSliderPosition(1, 3225), 64);
  EXPECT_EQ(SliderPositionToDpi(2, 612), 30000);
  EXPECT_EQ(SliderPositionToDpi(1, 612), 30600);
  EXPECT_EQ(SliderPositionToDpi(2, 64), 3200);
  EXPECT_EQ(settings::DpiSliderSteps(2, true), 612);
  EXPECT_EQ(settings::DpiSliderSteps(2, false), 600);
  EXPECT_EQ(settings::DpiSliderSteps(1, true), 520);
  EXPECT_EQ(settings::DpiSliderSteps(7, false), 520);
}

TEST(StoredValues, DecimalTextAsTheReadersTakeIt) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"", 0},    {"abc", 0}, {"12", 12},  {"12abc", 12},
               {"-3", -3}, {" 7", 7},  {"0x10", 0}, {"99999999999", INT_MAX}};
  for (const Case& c : cases) EXPECT_EQ(settings::StoredInt(c.text), c.value) << c.text;
}

TEST(PerformanceByte, OptionsLowSixBitsModeOnTop) {
  EXPECT_EQ(settings::PerformanceByte(80, 1), 0x50);  // bit 6 of a read-back value dropped
  EXPECT_EQ(settings::PerformanceByte(0xFF, 2), 0xBF);
  EXPECT_EQ(settings::PerformanceByte(0x13, 0), 0x13);
}

TEST(ReportRates, ListOrderAndCodes) {
  const auto items = settings::ReportRateItems();
  ASSERT_EQ(items.size(), 7u);
  const char* texts[] = {"125Hz", "250Hz", "500Hz", "1000Hz", "2000Hz", "4000Hz", "8000Hz"};
  const int codes[] = {3, 2, 1, 0, 6, 5, 4};
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_STREQ(items[i].text, texts[i]);
    EXPECT_EQ(items[i].code, codes[i]);
  }
}

}  // namespace
