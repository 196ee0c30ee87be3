// The macro page on the headless toolkit: the macro list, settings, event-list editing, the
// editor, and the saves behind them.
#include <gtest/gtest.h>

#include "macros/macro_fixture.h"

namespace {

using macrotest::Event;
using macrotest::MacroRig;
namespace m = macros;

std::vector<MacroEventRecord> Stored(MacroRig& r, int id) {
  std::vector<MacroEventRecord> list;
  r.store().ListMacroEvents(id, list);
  return list;
}

std::vector<std::string> Texts(const std::vector<MacroEventRecord>& list) {
  std::vector<std::string> out;
  for (const auto& e : list) out.push_back(e.desc);
  return out;
}

class MacroPage : public testing::Test {
 protected:
  void NewMacro() { r.rig.p().Notify(m::kNewMacro, 2); }
  void Click(int id) { r.rig.p().Notify(id, 2); }
  void SelectEvent(int index) {
    r.tk().SetCurSel(m::kEventList, index);
    r.rig.p().Notify(m::kEventList, 2, index);
  }
  MacroRig r;
};

TEST_F(MacroPage, FirstNewMacroIsNamedAndStoredWithItsDefaults) {
  std::vector<MacroRecord> none;
  EXPECT_EQ(r.store().ListMacros(none), 0);
  NewMacro();
  std::vector<MacroRecord> list;
  ASSERT_EQ(r.store().ListMacros(list), 1);
  EXPECT_EQ(list[0].name, "T351 1");
  EXPECT_EQ(list[0].play_type, 0);
  EXPECT_EQ(list[0].play_times, 1);
  EXPECT_EQ(list[0].delay_type, 1);
  EXPECT_EQ(r.tk().GetItemText(m::kMacroList, 0), "T351 1");
  EXPECT_EQ(r.tk().GetCurSel(m::kMacroList), 0);
  EXPECT_EQ(r.macros->CurrentMacro(), list[0].macro_id);
  EXPECT_TRUE(r.tk().GetCheck(m::kDelayRecorded));
  EXPECT_TRUE(r.tk().GetCheck(m::kPlayCount));
  EXPECT_EQ(r.tk().GetEditText(m::kPlayCountField), "1");
}

TEST_F(MacroPage, PlayTypeThreeChecksItsChoiceAndDisablesTheCount) {
  MacroRecord rec;
  rec.name = "x";
  rec.play_type = 3;
  rec.play_times = 1;
  rec.delay_type = 2;
  rec.delay_time = 40;
  ASSERT_GT(r.store().AddMacro(rec), 0);
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  EXPECT_TRUE(r.tk().GetCheck(m::kPlayOnce));
  EXPECT_FALSE(r.tk().GetCheck(m::kPlayCount));
  EXPECT_FALSE(r.tk().IsEnabled(m::kPlayCountField));
  EXPECT_TRUE(r.tk().GetCheck(m::kDelayFixed));
  EXPECT_TRUE(r.tk().IsEnabled(m::kFixedDelayField));
  EXPECT_EQ(r.tk().GetEditText(m::kFixedDelayField), "40");
}

struct CountCase {
  sim::Model model;
  const char* typed;
  int stored;
};

class PlayCount : public testing::TestWithParam<CountCase> {};

TEST_P(PlayCount, IsClampedToTheModelsRange) {
  MacroRig r(GetParam().model);
  r.rig.p().Notify(m::kNewMacro, 2);
  r.tk().SetEditText(m::kPlayCountField, GetParam().typed);
  r.rig.p().Notify(m::kPlayCountField, ui::kNotifyFocusOut);
  MacroRecord rec;
  ASSERT_TRUE(r.store().GetMacro(r.macros->CurrentMacro(), rec));
  EXPECT_EQ(rec.play_times, GetParam().stored);
  EXPECT_EQ(r.tk().GetEditText(m::kPlayCountField), std::to_string(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Macros, PlayCount,
                         testing::Values(CountCase{sim::Model::kK7Mouse, "0", 1},
                                         CountCase{sim::Model::kK7Mouse, "-5", 1},
                                         CountCase{sim::Model::kK7Mouse, "", 1},
                                         CountCase{sim::Model::kK7Mouse, "1000", 999},
                                         CountCase{sim::Model::kK7Mouse, "999", 999},
                                         CountCase{sim::Model::kK9Air, "1000", 255},
                                         CountCase{sim::Model::kK9Air, "17", 17}));

TEST_F(MacroPage, DelayAndPlayChoicesAreStored) {
  NewMacro();
  Click(m::kDelayFixed);
  EXPECT_EQ(r.tk().GetEditText(m::kFixedDelayField), "10");
  EXPECT_TRUE(r.tk().IsEnabled(m::kFixedDelayField));
  r.tk().SetEditText(m::kFixedDelayField, "20000");
  r.rig.p().Notify(m::kFixedDelayField, ui::kNotifyFocusOut);
  Click(m::kPlayHold);
  MacroRecord rec;
  ASSERT_TRUE(r.store().GetMacro(r.macros->CurrentMacro(), rec));
  EXPECT_EQ(rec.delay_type, 2);
  EXPECT_EQ(rec.delay_time, 10000);
  EXPECT_EQ(rec.play_type, 1);
  EXPECT_EQ(rec.play_times, 1);
  EXPECT_FALSE(r.tk().IsEnabled(m::kPlayCountField));
  Click(m::kDelayNone);
  ASSERT_TRUE(r.store().GetMacro(r.macros->CurrentMacro(), rec));
  EXPECT_EQ(rec.delay_type, 0);
  EXPECT_EQ(rec.delay_time, 0);
}

TEST_F(MacroPage, InsertedPairsShareAStampAndDeletingOneHalfRemovesBoth) {
  NewMacro();
  const int id = r.macros->CurrentMacro();
  r.Message(m::kMsgInsertMenu, m::kCmdInsertKey);  // appended
  r.rig.clock.Advance(5);
  r.Message(m::kMsgInsertMenu, m::kCmdInsertDelay);  // at the selected press
  r.rig.clock.Advance(5);
  SelectEvent(2);                                    // the release of A
  r.Message(m::kMsgInsertMenu, m::kCmdInsertMouse);  // after it
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{" -   10 ms", "\u2193  A", "\u2191  A",
                                                            "\u2193  LB", "\u2191  LB"}));
  const auto stored = Stored(r, id);
  EXPECT_EQ(stored[1].delay_time, stored[2].delay_time);
  EXPECT_EQ(stored[1].value, 0x41);
  EXPECT_EQ(stored[3].type, 4);
  EXPECT_EQ(stored[4].value, 1);
  for (size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(stored[i].record_index, int(i));

  SelectEvent(4);  // the release of LB
  Click(m::kDeleteEvent);
  EXPECT_EQ(Texts(Stored(r, id)),
            (std::vector<std::string>{" -   10 ms", "\u2193  A", "\u2191  A"}));
  Click(m::kDeleteAllEvents);
  EXPECT_TRUE(Stored(r, id).empty());
}

TEST_F(MacroPage, MovesToTopAndBottom) {
  const int id = r.AddMacro({Event(1, 1, "a", 1), Event(1, 2, "b", 2), Event(1, 3, "c", 3)});
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  SelectEvent(2);
  r.Message(m::kMsgEventMenu, m::kCmdMoveTop);
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(r.tk().GetCurSel(m::kEventList), 0);
  r.Message(m::kMsgEventMenu, m::kCmdMoveBottom);
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{"a", "b", "c"}));
  SelectEvent(0);
  Click(m::kEventDown);
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{"b", "a", "c"}));
  Click(m::kEventUp);
  Click(m::kEventUp);  // already at the top
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(MacroPage, InsertIsRefusedAtTheLimit) {
  const int id = r.AddMacro(std::vector<MacroEventRecord>(5000, Event(1, 5, "d")));
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  r.Message(m::kMsgInsertMenu, m::kCmdInsertDelay);
  ASSERT_EQ(r.tk().Messages().size(), 1u);
  EXPECT_EQ(r.tk().Messages()[0].title, "T368");
  EXPECT_EQ(r.tk().Messages()[0].message, "T386");
  EXPECT_EQ(Stored(r, id).size(), 5000u);
}

TEST_F(MacroPage, EditorChangesDelayButtonAndMoves) {
  const int id = r.AddMacro({Event(1, 50, " -   50 ms", 1), Event(4, 1, "\u2193  LB", 2),
                             Event(5, 1, "\u2191  LB", 2), Event(12, 0x0101, "", 3),
                             Event(10, 4, "\u2190  4", 4)});
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);

  SelectEvent(0);
  EXPECT_EQ(r.tk().GetItemText(m::kEventKind, 0), "T395");
  r.tk().SetEditText(m::kEventField, "0");
  r.rig.p().Notify(m::kEventField, ui::kNotifyFocusOut);
  SelectEvent(1);
  EXPECT_EQ(r.tk().GetItemText(m::kEventKind, 0), "T393");
  r.tk().SetCurSel(m::kEventButton, 3);  // Forward
  Click(m::kEventButton);
  SelectEvent(3);
  r.tk().SetEditText(m::kMoveXField, "5");
  r.tk().SetEditText(m::kMoveYField, "3");
  Click(m::kMoveLeft);
  Click(m::kMoveUpward);
  SelectEvent(4);
  r.tk().SetEditText(m::kMoveXField, "300");
  r.rig.p().Notify(m::kMoveXField, ui::kNotifyFocusOut);

  const auto s = Stored(r, id);
  EXPECT_EQ(s[0].value, 1);
  EXPECT_EQ(s[0].desc, " -   1 ms");
  EXPECT_EQ(s[1].value, 16);
  EXPECT_EQ(s[1].desc, "\u2193  Forward");
  EXPECT_EQ(s[2].value, 16);
  EXPECT_EQ(s[2].desc, "\u2191  Forward");
  EXPECT_EQ(s[3].value, 0x8385);
  EXPECT_EQ(s[3].desc, "\u2190  5,\u2191  3");
  EXPECT_EQ(s[4].value, 127);
  EXPECT_EQ(s[4].desc, "\u2190  127");
}

TEST_F(MacroPage, KeyFieldCapturesAKeyForBothHalves) {
  const int id = r.AddMacro({Event(2, 0x41, "\u2193  A", 9), Event(3, 0x41, "\u2191  A", 9)});
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  SelectEvent(1);
  r.rig.p().Notify(m::kEventField, ui::kNotifyFocusIn);
  m::RawInputRecord key;
  key.vkey = 0x70;  // F1
  key.make_code = 0x3B;
  r.macros->OnInput(key);
  EXPECT_EQ(r.tk().GetEditText(m::kEventField), "F1");
  r.rig.p().Notify(m::kEventField, ui::kNotifyFocusOut);
  const auto s = Stored(r, id);
  EXPECT_EQ(Texts(s), (std::vector<std::string>{"\u2193  F1", "\u2191  F1"}));
  EXPECT_EQ(s[0].value, 0x70);
  EXPECT_EQ(s[1].value, 0x70);
}

TEST_F(MacroPage, RenameInPlaceRenamesTheButtonsThatUseIt) {
  NewMacro();
  const int id = r.macros->CurrentMacro();
  r.AssignToButton(3, id);
  r.tk().SetItemText(m::kMacroList, 0, "Combo");
  r.rig.p().Notify(m::kMacroList, ui::kNotifyChanged, 0);
  MacroRecord rec;
  ASSERT_TRUE(r.store().GetMacro(id, rec));
  EXPECT_EQ(rec.name, "Combo");
  KeyAssignmentRecord row;
  ASSERT_TRUE(r.store().GetKeyAssignment(r.profile(), 3, row));
  EXPECT_EQ(row.macro_desc, "Combo");

  r.tk().SetItemText(m::kMacroList, 0, "");
  r.rig.p().Notify(m::kMacroList, ui::kNotifyChanged, 0);
  EXPECT_EQ(r.tk().GetItemText(m::kMacroList, 0), "Combo");
  ASSERT_TRUE(r.store().GetMacro(id, rec));
  EXPECT_EQ(rec.name, "Combo");
}

TEST_F(MacroPage, DeleteSelectsAndLoadsThePreviousMacro) {
  const int first = r.AddMacro({Event(1, 7, "keep", 1)}, "one");
  const int second = r.AddMacro({Event(1, 8, "gone", 1)}, "two");
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 1);
  Click(m::kMacroList);
  r.Message(m::kMsgMacroListMenu, m::kCmdDeleteMacro);
  MacroRecord rec;
  EXPECT_FALSE(r.store().GetMacro(second, rec));
  EXPECT_TRUE(Stored(r, second).empty());
  EXPECT_EQ(r.tk().GetItemCount(m::kMacroList), 1);
  EXPECT_EQ(r.tk().GetCurSel(m::kMacroList), 0);
  // The event list shows the previous macro's own events, and an edit keeps them.
  r.Message(m::kMsgInsertMenu, m::kCmdInsertDelay);
  EXPECT_EQ(Texts(Stored(r, first)), (std::vector<std::string>{"keep", " -   10 ms"}));
}

TEST_F(MacroPage, StoredRowsAreShownAsTheyAre) {
  r.AddMacro({Event(99, -4, "odd", 1), Event(1, 2000000000, "big", 2)}, "Custom X");
  r.macros->ShowMacroList();
  EXPECT_EQ(r.tk().GetItemText(m::kMacroList, 0), "T351 X");
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  EXPECT_EQ(r.tk().GetItemCount(m::kEventList), 2);
  EXPECT_EQ(r.tk().GetItemText(m::kEventList, 0), "odd");
  SelectEvent(0);  // no editor for an unknown type
  EXPECT_FALSE(r.tk().IsVisible(m::kEventKind));
}

TEST_F(MacroPage, AFailedSaveKeepsTheStoredList) {
  const int id = r.AddMacro({Event(1, 1, "a", 1), Event(1, 2, "b", 2)});
  {
    auto hold = r.store().Lock();
    ASSERT_TRUE(r.store()
                    .Db()
                    .Execute("CREATE TRIGGER refuse BEFORE INSERT ON t_macrorecord WHEN NEW.value "
                             "= 10 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .ok());
  }
  r.macros->ShowMacroList();
  r.tk().SetCurSel(m::kMacroList, 0);
  Click(m::kMacroList);
  r.Message(m::kMsgInsertMenu, m::kCmdInsertDelay);  // a 10 ms delay: refused by the trigger
  EXPECT_EQ(Texts(Stored(r, id)), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(r.tk().GetItemCount(m::kEventList), 2);
}

}  // namespace
