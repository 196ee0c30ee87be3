// The button page on the whole program: the headless toolkit, the virtual mouse (which keeps
// the key table it is sent) and the profile store.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "buttons/buttons_subsystem.h"
#include "catalogue/catalogue.h"
#include "e2e/e2e_fixture.h"
#include "store/settings_keys.h"

namespace buttons {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kHotSpots = catalogue::kMouseHotSpots;

class ButtonPageTest : public e2e::EndToEndTest {
 protected:
  // A K7 Mouse (eight buttons, side-button switches) behind its receiver, read once.
  void Start(sim::Attachment attachment = sim::Attachment::kReceiver) {
    bus_.AddMouse(sim::Model::kK7Mouse, attachment);
    StartProgram();
    RunQueuedTasks();
    bus_.ClearLog();
  }
  void Click(int control, int64_t value = 0) {
    dlg_->OnControlNotify(control, ui::kNotifyClicked, value);
  }
  void ChooseFunction(int button, int type, int value) {
    Click(kHotSpots, button);
    Choose(kCategoryList, type);
    if (value >= 0) Choose(kValueList, value);
  }
  // The key-map requests the mouse received since the last ClearLog: bytes 0..10, or 0..16
  // for the ten-byte table parts.
  std::vector<Bytes> KeyRequests() {
    std::vector<Bytes> out;
    for (const sim::ReceivedReport& r : bus_.Log()) {
      if (r.kind != sim::ReportKind::kSetFeature || r.bytes.size() < 17 || r.bytes[2] != 0x50) {
        continue;
      }
      const uint8_t command = r.bytes[4];
      if (command == 0x20 || command == 0x82)
        out.emplace_back(r.bytes.begin(), r.bytes.begin() + 11);
      if (command == 0x80 || command == 0x81)
        out.emplace_back(r.bytes.begin(), r.bytes.begin() + 17);
    }
    return out;
  }
  Bytes MouseKey(int n) {
    const auto table = bus_.KeyTable(0);
    return Bytes(table.begin() + 4 * n, table.begin() + 4 * n + 4);
  }
  std::optional<KeyAssignmentRecord> StoredRow(int n, int profile = 0) {
    KeyAssignmentRecord row;
    if (!ProfileStore::Instance().GetKeyAssignment(
            profile ? profile : dlg_->Device().CurrentProfile(), n, row)) {
      return std::nullopt;
    }
    return row;
  }
  std::string Shown(int n) {
    for (const ui::MouseItem& item : tk_.Snapshot(kHotSpots).mouse_items) {
      if (item.key_value == n) return item.description;
    }
    return "(hidden)";
  }
  ButtonsSubsystem& Buttons() { return dlg_->Device().Buttons(); }
  // The settings read of a connection, with the page refresh after it.
  void ReadMouseAgain() {
    ASSERT_TRUE(dlg_->Device().TaskContext().routines->ReadSettings());
    dlg_->Device().TaskContext().routines->RefreshPages();
  }
};

TEST_F(ButtonPageTest, TheFirstReadStoresAndShowsWhatTheMouseHolds) {
  Start();
  const auto middle = StoredRow(2);
  ASSERT_TRUE(middle);
  EXPECT_EQ(middle->macro_type, kMouseButton);
  EXPECT_EQ(middle->macro_value, 3);
  EXPECT_EQ(Shown(2), "Middle Click");
  EXPECT_EQ(Shown(5), "DPI Cycle");
  EXPECT_EQ(Shown(6), "DPI +");  // the mouse's own code, not the catalogue default
  EXPECT_EQ(Buttons().SelectedButton(), 1);
  EXPECT_EQ(tk_.GetCurData(kCategoryList), kMouseButton);
  EXPECT_EQ(tk_.GetCurData(kValueList), 2);
  EXPECT_TRUE(tk_.GetCheck(catalogue::kLeftLockSwitch));
}

TEST_F(ButtonPageTest, ApplyingMouseValueThreeToButtonTwoWritesThatButton) {
  Start();
  ChooseFunction(2, kMouseButton, 3);
  EXPECT_TRUE(KeyRequests().empty());  // the click only stores and queues
  Click(kApplyButton);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskWriteKeyMap});
  RunQueuedTasks();
  EXPECT_EQ(
      KeyRequests(),
      std::vector<Bytes>({{0x03, 0xB1, 0x50, 0x04, 0x20, 0x30, 0x08, 0x01, 0x03, 0x01, 0x00}}));
}

TEST_F(ButtonPageTest, EachAppliedFunctionReachesTheMouseAndThePicture) {
  Start();
  ChooseFunction(4, kMultimedia, 8);
  Click(kApplyButton);
  ChooseFunction(7, kSystemShortcut, 3);
  Click(kApplyButton);
  // The second selection happened before the first write ran: each write keeps its button.
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(4), (Bytes{0x02, 0x00, 0x00, 0xE2}));
  EXPECT_EQ(MouseKey(7), (Bytes{0x02, 0x00, 0x01, 0x92}));
  EXPECT_EQ(Shown(4), "Mute");
  EXPECT_EQ(Shown(7), "Calculator");
  EXPECT_EQ(StoredRow(4)->macro_desc, "Mute");

  // A keyboard key with two modifiers; the key field ignores a captured Shift.
  Click(kHotSpots, 3);
  Choose(kCategoryList, kKeyboardKey);
  EXPECT_TRUE(tk_.IsVisible(kKeyField));
  EXPECT_FALSE(tk_.IsVisible(kValueList));
  EXPECT_TRUE(tk_.IsVisible(kApplyButton));
  dlg_->OnControlNotify(kKeyField, ui::kNotifyKey, 0x41);
  dlg_->OnControlNotify(kKeyField, ui::kNotifyKey, 0xA0);
  EXPECT_EQ(tk_.GetEditText(kKeyField), "A");
  tk_.SetCheck(kCtrlToggle, true);
  tk_.SetCheck(kShiftToggle, true);
  Click(kApplyButton);
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(3), (Bytes{0x00, 0x03, 0x00, 0x04}));
  EXPECT_EQ(Shown(3), "Shift+ Ctrl + A");

  // Disabled applies as soon as it is chosen.
  Click(kHotSpots, 1);
  Choose(kCategoryList, kDisabled);
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(1), (Bytes{0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Shown(1), "Disabled");

  // Selecting a button shows its row again.
  Click(kHotSpots, 3);
  EXPECT_EQ(tk_.GetCurData(kCategoryList), kKeyboardKey);
  EXPECT_EQ(tk_.GetEditText(kKeyField), "A");
  EXPECT_TRUE(tk_.GetCheck(kCtrlToggle));
  EXPECT_TRUE(tk_.GetCheck(kShiftToggle));
  EXPECT_FALSE(tk_.GetCheck(kAltToggle));
}

TEST_F(ButtonPageTest, FireKeysClampTheirFieldsAndCodeTheCapturedKey) {
  Start(sim::Attachment::kCable);
  Click(kHotSpots, 4);
  Choose(kCategoryList, kFireKey);
  EXPECT_EQ(tk_.GetEditText(kFireCountField), "1");
  EXPECT_EQ(tk_.GetEditText(kFireIntervalField), "10");
  const std::pair<std::string, std::string> clamps[] = {
      {"0", "1"}, {"-5", "1"}, {"300", "255"}, {"abc", "1"}, {"40", "40"}};
  for (const auto& [typed, kept] : clamps) {
    tk_.SetEditText(kFireIntervalField, typed);
    dlg_->OnControlNotify(kFireIntervalField, ui::kNotifyFocusOut, 0);
    EXPECT_EQ(tk_.GetEditText(kFireIntervalField), kept) << typed;
  }
  Choose(kFireKindList, kFireKindKey);
  EXPECT_TRUE(tk_.IsVisible(kFireKeyField));
  EXPECT_FALSE(tk_.IsVisible(kFireMouseList));
  EXPECT_FALSE(tk_.IsVisible(kApplyButton));
  EXPECT_TRUE(tk_.IsVisible(kFireApplyButton));
  dlg_->OnControlNotify(kFireKeyField, ui::kNotifyKey, 0xA0);  // any key, Shift too
  tk_.SetEditText(kFireCountField, "3");
  Click(kFireApplyButton);
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(4), (Bytes{0x11, 0xE1, 0x03, 0x28}));
  const auto row = StoredRow(4);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->macro_value, 0x8A0);
  EXPECT_EQ(row->macro_value2, 40);
  EXPECT_EQ(row->macro_value3, 3);
  EXPECT_EQ(Shown(4), "Fire key");

  Click(kHotSpots, 0);
  Click(kHotSpots, 4);
  EXPECT_EQ(tk_.GetCurData(kFireKindList), kFireKindKey);
  EXPECT_EQ(tk_.GetEditText(kFireKeyField), "Shift");
  EXPECT_EQ(tk_.GetEditText(kFireIntervalField), "40");
}

TEST_F(ButtonPageTest, TheLastLeftClickCannotBeReplaced) {
  Start();
  ChooseFunction(0, kMouseButton, 2);
  Click(kApplyButton);
  ASSERT_EQ(tk_.Messages().size(), 1u);
  EXPECT_EQ(tk_.Messages()[0].title, LanguageText(223));
  EXPECT_EQ(tk_.Messages()[0].message, LanguageText(222));
  EXPECT_EQ(StoredRow(0)->macro_value, 1);
  EXPECT_TRUE(Queued().empty());

  // With a second left click, either may change.
  ChooseFunction(6, kMouseButton, 1);
  Click(kApplyButton);
  ChooseFunction(0, kMouseButton, 2);
  Click(kApplyButton);
  RunQueuedTasks();
  EXPECT_EQ(tk_.Messages().size(), 1u);
  EXPECT_EQ(MouseKey(0), (Bytes{0x01, 0x02, 0x01, 0x00}));
  EXPECT_EQ(MouseKey(6), (Bytes{0x01, 0x01, 0x01, 0x00}));
}

TEST_F(ButtonPageTest, LockingTheLeftSideWritesButtonsThreeAndFourWithTheLockBit) {
  Start();
  tk_.SetCheck(catalogue::kLeftLockSwitch, false);
  Click(catalogue::kLeftLockSwitch);
  EXPECT_EQ(KeyRequests(), std::vector<Bytes>({
                               {0x03, 0x37, 0x50, 0x04, 0x20, 0x30, 0x0C, 0x81, 0x05, 0x01, 0x00},
                               {0x03, 0x3A, 0x50, 0x04, 0x20, 0x30, 0x10, 0x81, 0x04, 0x01, 0x00},
                           }));
  EXPECT_EQ(Setting(settings::kLockLeftKey), "1");
  EXPECT_EQ(Shown(3), "(hidden)");
  EXPECT_EQ(Shown(4), "(hidden)");
  EXPECT_EQ(Shown(6), "DPI +");

  bus_.ClearLog();
  Click(kHotSpots, 2);
  tk_.SetCheck(catalogue::kLeftLockSwitch, true);
  Click(catalogue::kLeftLockSwitch);
  EXPECT_EQ(MouseKey(3), (Bytes{0x01, 0x05, 0x01, 0x00}));
  EXPECT_EQ(MouseKey(4), (Bytes{0x01, 0x04, 0x01, 0x00}));
  EXPECT_EQ(KeyRequests().size(), 2u);
  EXPECT_EQ(Setting(settings::kLockLeftKey), "0");
  EXPECT_EQ(Shown(3), "Back");
  EXPECT_EQ(Buttons().SelectedButton(), 2);  // the page keeps its selection

  // The right side governs buttons 6 and 7.
  tk_.SetCheck(catalogue::kRightLockSwitch, false);
  Click(catalogue::kRightLockSwitch);
  EXPECT_EQ(MouseKey(6), (Bytes{0x85, 0x01, 0x00, 0x00}));
  EXPECT_EQ(MouseKey(7), (Bytes{0x85, 0x02, 0x00, 0x00}));
  EXPECT_EQ(Setting(settings::kLockRightKey), "1");
}

TEST_F(ButtonPageTest, AMacroWithNoRowsLeftSendsExactlyTheDefaultKeyTable) {
  Start();
  const int macro = ProfileStore::Instance().AddMacro("Custom 1");
  ASSERT_GT(macro, 0);
  Click(kHotSpots, 5);
  Choose(kCategoryList, kMacro);
  ASSERT_EQ(tk_.GetItemCount(kValueList), 1);
  EXPECT_EQ(tk_.GetItemText(kValueList, 0), "Custom 1");
  Click(kApplyButton);
  EXPECT_TRUE(tk_.ModalOpen(ui::ModalKind::kWait));
  EXPECT_TRUE(Buttons().WriteAllPending());
  // The profile loses its rows before the write runs.
  ASSERT_TRUE(ProfileStore::Instance().DeleteKeyAssignments(dlg_->Device().CurrentProfile()));
  RunQueuedTasks();
  EXPECT_EQ(KeyRequests(), std::vector<Bytes>({
                               {0x03, 0x16, 0x50, 0x0A, 0x80, 0x31, 0x00, 0x01, 0x01, 0x01, 0x00,
                                0x01, 0x02, 0x01, 0x00, 0x01, 0x03},
                               {0x03, 0x24, 0x50, 0x0A, 0x81, 0x31, 0x0A, 0x01, 0x00, 0x01, 0x05,
                                0x01, 0x00, 0x01, 0x04, 0x01, 0x00},
                               {0x03, 0x25, 0x50, 0x04, 0x82, 0x32, 0x14, 0x05, 0x04, 0x00, 0x00},
                           }));
  EXPECT_FALSE(Buttons().WriteAllPending());
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kWait));
}

TEST_F(ButtonPageTest, AMacroRowTakesItsSlotInTheKeyTable) {
  Start();
  ProfileStore& store = ProfileStore::Instance();
  MacroRecord looped{0, "Custom 2", 0, 5, 1, 0};
  const int macro = store.AddMacro(looped);
  ASSERT_GT(macro, 0);
  Click(kHotSpots, 4);
  Choose(kCategoryList, kMacro);
  Click(kApplyButton);
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(4), (Bytes{0x03, 0x01, 0x05, 0x00}));
  EXPECT_EQ(StoredRow(4)->macro_value, macro);
  EXPECT_EQ(Shown(4), "Custom 2");
  EXPECT_EQ(MouseKey(0), (Bytes{0x01, 0x01, 0x01, 0x00}));
}

TEST_F(ButtonPageTest, AKeyTableReadBackShowsTheSameFunctionsAfterARestart) {
  Start();
  ChooseFunction(4, kMultimedia, 6);
  Click(kApplyButton);
  ChooseFunction(7, kDpiFunction, 10);
  Click(kApplyButton);
  RunQueuedTasks();

  // A new start with an empty database: everything shown comes from the mouse.
  dlg_.reset();
  ProfileStore::Instance().Close();
  std::filesystem::remove_all(dir_.path() + "data/db");
  StartProgram();
  RunQueuedTasks();
  EXPECT_EQ(Shown(4), "Volume Up");
  EXPECT_EQ(Shown(7), "DPI 锁定");
  EXPECT_EQ(Shown(0), "Left Click");
  const auto row = StoredRow(4);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->macro_type, kMultimedia);
  EXPECT_EQ(row->macro_value, 6);
}

TEST_F(ButtonPageTest, UnknownCodesFromTheMouseShowTheStoredOrDefaultFunction) {
  Start();
  ChooseFunction(4, kMultimedia, 8);
  Click(kApplyButton);
  RunQueuedTasks();
  bus_.ModifyState(0, [](sim::MouseState& m) {
    const uint8_t odd[] = {0x7F, 0x11, 0x22, 0x33, 0x02, 0x00, 0x05, 0x55};
    std::copy(std::begin(odd), std::end(odd), m.keys.begin() + 12);  // buttons 3 and 4
    m.keys[20] = 0x05;  // button 5: a DPI function the program does not know
    m.keys[21] = 0x07;
  });
  ReadMouseAgain();
  EXPECT_EQ(Shown(3), "Back");  // the row read before stays
  EXPECT_EQ(Shown(4), "Mute");
  EXPECT_EQ(Shown(5), "DPI Cycle");  // no row: the default
  EXPECT_FALSE(StoredRow(5));
}

TEST_F(ButtonPageTest, AStoredRowOutsideItsTablesShowsItsTextAndIsSentAsNothing) {
  Start();
  KeyAssignmentRecord row;
  row.profile = dlg_->Device().CurrentProfile();
  row.key_code = 4;
  row.macro_type = 42;
  row.macro_value = 3;
  row.macro_desc = "imported";
  ASSERT_GT(ProfileStore::Instance().SaveKeyAssignment(row), 0);
  dlg_->Device().Settings().ports.buttons->RefreshButtonPage();
  EXPECT_EQ(Shown(4), "imported");
  Click(kHotSpots, 4);
  EXPECT_EQ(tk_.GetCurSel(kCategoryList), -1);
  dlg_->AppendTask(ui::kTaskWriteKeyMap);
  RunQueuedTasks();
  EXPECT_EQ(
      KeyRequests(),
      std::vector<Bytes>({{0x03, 0xB4, 0x50, 0x04, 0x20, 0x30, 0x10, 0x00, 0x00, 0x00, 0x00}}));
}

TEST_F(ButtonPageTest, AFailedMacroUploadKeepsTheWholeWriteForTheNextTask) {
  Start();
  bool upload_ok = false;
  int uploads = 0;
  Buttons().SetMacroUpload([&] {
    ++uploads;
    return upload_ok;
  });
  ASSERT_GT(ProfileStore::Instance().AddMacro("Custom 1"), 0);
  ChooseFunction(5, kMacro, -1);
  Click(kApplyButton);
  RunQueuedTasks();
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(KeyRequests().empty());
  EXPECT_TRUE(Buttons().WriteAllPending());
  EXPECT_FALSE(tk_.ModalOpen(ui::ModalKind::kWait));  // the dialog ends either way

  upload_ok = true;
  dlg_->AppendTask(ui::kTaskWriteKeyMap);
  RunQueuedTasks();
  EXPECT_EQ(uploads, 2);
  EXPECT_EQ(KeyRequests().size(), 3u);
  EXPECT_FALSE(Buttons().WriteAllPending());
  EXPECT_EQ(MouseKey(5), (Bytes{0x03, 0x01, 0x01, 0x00}));
}

TEST_F(ButtonPageTest, NextLightingEffectFromTheMouseIsKept) {
  Start();
  bus_.ModifyState(0, [](sim::MouseState& m) { m.keys[20] = 0x08, m.keys[21] = 0x00; });
  ReadMouseAgain();
  const auto row = StoredRow(5);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->macro_type, kLightingFunction);
  EXPECT_EQ(row->macro_value, 0);
  EXPECT_EQ(Shown(5), "灯效切换");
  // Written again, it stays what it was.
  Click(kHotSpots, 5);
  dlg_->AppendTask(ui::kTaskWriteKeyMap);
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(5), (Bytes{0x08, 0x00, 0x00, 0x00}));
}

TEST_F(ButtonPageTest, AProfileSwitchSendsThatProfilesKeyTable) {
  Start();
  KeyAssignmentRecord row;
  row.profile = 2;
  row.key_code = 1;
  row.macro_type = kMultimedia;
  row.macro_value = 6;
  row.macro_desc = "Volume Up";
  ASSERT_GT(ProfileStore::Instance().SaveKeyAssignment(row), 0);
  Choose(e2e::kProfiles, 2);
  RunQueuedTasks();
  EXPECT_EQ(bus_.KeyTable(0)[0], 0x01);
  EXPECT_EQ(MouseKey(1), (Bytes{0x02, 0x00, 0x00, 0xE9}));
  EXPECT_EQ(MouseKey(3), (Bytes{0x01, 0x05, 0x01, 0x00}));
  EXPECT_EQ(Shown(1), "Volume Up");
}

TEST_F(ButtonPageTest, ResettingButtons) {
  Start();
  ChooseFunction(2, kMultimedia, 2);
  Click(kApplyButton);
  RunQueuedTasks();

  // One button: declined, then confirmed.
  tk_.QueueMessageAnswer(ui::kResultCancel);
  Click(kResetButton);
  EXPECT_EQ(StoredRow(2)->macro_type, kMultimedia);
  Click(kResetButton);
  EXPECT_EQ(tk_.Messages().back().title, LanguageText(120));
  RunQueuedTasks();
  EXPECT_EQ(MouseKey(2), (Bytes{0x01, 0x03, 0x01, 0x00}));
  EXPECT_EQ(Shown(2), "Middle Click");

  // All buttons: the rows go, the mouse restores its buttons and is read back.
  ChooseFunction(4, kMultimedia, 2);
  Click(kApplyButton);
  RunQueuedTasks();
  Click(kResetAllButton);
  EXPECT_EQ(tk_.Messages().back().title, LanguageText(121));
  EXPECT_FALSE(StoredRow(4));
  EXPECT_EQ(Shown(4), LanguageText(153));
  EXPECT_EQ(Buttons().SelectedButton(), 0);
  EXPECT_EQ(Queued(), std::vector<int>{ui::kTaskRestoreSection});
  RunQueuedTasks();
  EXPECT_EQ(bus_.State(0).restores.at(1), 1);
  EXPECT_EQ(MouseKey(4), (Bytes{0x01, 0x04, 0x01, 0x00}));
  EXPECT_EQ(StoredRow(4)->macro_value, 5);
}

TEST_F(ButtonPageTest, AnOfflineMouseGetsNoButtonWrite) {
  Start();
  ChooseFunction(4, kMultimedia, 2);
  Click(kApplyButton);
  bus_.ModifyState(0, [](sim::MouseState& m) { m.wireless_on = false; });
  RunQueuedTasks();
  EXPECT_TRUE(KeyRequests().empty());
  EXPECT_EQ(MouseKey(4), (Bytes{0x01, 0x04, 0x01, 0x00}));
}

}  // namespace
}  // namespace buttons
