// The macro memory image: slot table, event encoding, pending delays, and the bounded build.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "macros/macro_fixture.h"
#include "macros/macro_image.h"
#include "macros/macro_model.h"

namespace {

using macrotest::Event;
using Bytes = std::vector<uint8_t>;
using Events = std::vector<MacroEventRecord>;

macros::MacroImageResult Build(const std::vector<Events>& slots) {
  std::vector<const Events*> ptrs;
  for (const Events& e : slots) ptrs.push_back(&e);
  return macros::BuildMacroImageFromLists(ptrs);
}

const Events kPressA100 = {Event(2, 0x41, "\u2193  A"), Event(1, 100), Event(3, 0x41, "\u2191  A")};

struct ImageCase {
  const char* name;
  std::vector<Events> slots;
  Bytes image;
};

class ImageTable : public testing::TestWithParam<ImageCase> {};

TEST_P(ImageTable, BuildsTheseBytes) {
  const macros::MacroImageResult r = Build(GetParam().slots);
  EXPECT_EQ(r.bytes, GetParam().image);
  EXPECT_EQ(r.length, GetParam().image.size());
  EXPECT_FALSE(r.too_large());
}

INSTANTIATE_TEST_SUITE_P(
    Macros, ImageTable,
    testing::Values(
        ImageCase{"PressAndReleaseWith100ms",
                  {kPressA100},
                  {0x04, 0x00, 0x09, 0x00, 0x06, 'A', 'B', 'C', 'D', 'E', 'F', 0x00, 0x00, 0x64,
                   0x04, 0x80, 0x00, 0x01, 0x04}},
        ImageCase{"LeadingDelayAddsToTheFirstPause",
                  {{Event(1, 50), Event(2, 0x41), Event(1, 100), Event(3, 0x41)}},
                  {0x04, 0x00, 0x09, 0x00, 0x06, 'A', 'B', 'C', 'D', 'E', 'F', 0x00, 0x00, 0x96,
                   0x04, 0x80, 0x00, 0x01, 0x04}},
        ImageCase{"EmptyMacroHasLengthFieldZero",
                  {{}},
                  {0x04, 0x00, 0x00, 0x00, 0x06, 'A', 'B', 'C', 'D', 'E', 'F'}},
        ImageCase{"NoDelayBetweenEventsStoresZero",
                  {{Event(2, 0x41), Event(3, 0x41), Event(1, 70)}},
                  {0x04, 0x00, 0x09, 0x00, 0x06, 'A', 'B', 'C', 'D', 'E', 'F', 0x00, 0x00, 0x00,
                   0x04, 0x80, 0x00, 0x01, 0x04}},
        ImageCase{
            "LeftWindowsAndShiftAreModifiers",
            {{Event(2, 0x5B), Event(3, 0x5B), Event(2, 0xA1), Event(3, 0x5C)}},
            {0x04, 0x00, 0x11, 0x00, 0x06, 'A',  'B',  'C',  'D',  'E',  'F',  0x10, 0x00, 0x00,
             0xE3, 0x90, 0x00, 0x00, 0xE3, 0x10, 0x00, 0x00, 0xE5, 0x80, 0x00, 0x01, 0xE7}},
        ImageCase{
            "ButtonsWheelsAndScrollTexts",
            {{Event(4, 2, "\u2193  RB"), Event(5, 0x102, "\u2191  RB"), Event(4, 1, "Scroll Down"),
              Event(5, 9, "x Scroll Up y"), Event(6, 1), Event(7, 255)}},
            {0x04, 0x00, 0x19, 0x00, 0x06, 'A',  'B',  'C',  'D',  'E',  'F',  0x20,
             0x00, 0x00, 0x02, 0xA0, 0x00, 0x00, 0x02, 0x50, 0x00, 0x00, 0xFF, 0x50,
             0x00, 0x00, 0x01, 0x50, 0x00, 0x00, 0x01, 0x50, 0x00, 0x01, 0xFF}},
        // Moves are not played from memory; the pauses around them add up.
        ImageCase{"MovesAndUnknownTypesAreSkipped",
                  {{Event(2, 0x41), Event(1, 30), Event(8, 5), Event(1, 20), Event(99, 7),
                    Event(3, 0x41)}},
                  {0x04, 0x00, 0x09, 0x00, 0x06, 'A', 'B', 'C', 'D', 'E', 'F', 0x00, 0x00, 0x32,
                   0x04, 0x80, 0x00, 0x01, 0x04}},
        ImageCase{"NegativeAndHugeDelays",
                  {{Event(2, 0x41), Event(1, -500), Event(3, 0x41), Event(1, INT_MAX),
                    Event(1, INT_MAX), Event(2, 0x42)}},
                  {0x04, 0x00, 0x0D, 0x00, 0x06, 'A',  'B',  'C',  'D',  'E',  'F', 0x00,
                   0x00, 0x00, 0x04, 0x80, 0xFF, 0xFE, 0x04, 0x00, 0x00, 0x01, 0x05}},
        ImageCase{"TwoSlotsFollowEachOther",
                  {{Event(6, 1)}, {}},
                  {0x08, 0x00, 0x05, 0x00, 0x13, 0x00, 0x00, 0x00, 0x06, 'A', 'B', 'C', 'D',
                   'E',  'F',  0x50, 0x00, 0x01, 0x01, 0x06, 'A',  'B',  'C', 'D', 'E', 'F'}}),
    [](const testing::TestParamInfo<ImageCase>& info) { return std::string(info.param.name); });

TEST(MacroImage, NeverPassesTheLimitWhateverTheRowsHold) {
  // 1000 key events are 4011 bytes: the build stops at the limit and says so.
  Events many(1000, Event(2, 0x41));
  const macros::MacroImageResult r = Build({many});
  EXPECT_TRUE(r.too_large());
  EXPECT_GT(r.length, 4000u);
  EXPECT_LE(r.bytes.size(), 4000u);

  // 997 events make exactly 4 + 7 + 3988 = 3999 bytes, still sent.
  const macros::MacroImageResult fits = Build({Events(997, Event(3, 0x41))});
  EXPECT_FALSE(fits.too_large());
  EXPECT_EQ(fits.length, 3999u);

  // So many slots that the table alone passes the limit.
  const macros::MacroImageResult table = Build(std::vector<Events>(1001));
  EXPECT_TRUE(table.too_large());
  EXPECT_TRUE(table.bytes.empty());
}

}  // namespace
