// The built Qt window against the window's control table: every number exists, in the
// registry and as a widget of its kind; the tab row keeps its order when tabs are hidden.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <memory>
#include <set>

#include "app/device_main_dlg.h"
#include "device/hid.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "support/device_test_support.h"
#include "support/main_window_controls.h"
#include "support/temp_dir.h"
#include "ui/control_registry.h"
#include "ui/frame_controls.h"
#include "ui/qt/frame_widgets.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

namespace frame = ui::frame;
using test_support::Kind;

class WindowCompletenessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureQtApp();
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Test Center");
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        *toolkit_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    window_->show();
    dlg_->OnInitDialog();
  }
  void TearDown() override {
    dlg_.reset();
    toolkit_.reset();
    platform::SetProgramDir(saved_program_dir_);
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  const test_support::TempDir dir_{"qt_complete_"};
  platform::AppKey key_{dir_.path() + "key"};
  platform::VirtualClock clock_;
  devtest::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<app::DeviceMainDlg> dlg_;
};

bool IsOfKind(QWidget* w, Kind kind) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  switch (kind) {
    case Kind::kText:
      return qobject_cast<QLabel*>(w) != nullptr;
    case Kind::kButton:
      return button != nullptr;
    case Kind::kToggle:
      return button != nullptr && button->isCheckable();
    case Kind::kCombo:
      return qobject_cast<QComboBox*>(w) != nullptr;
    case Kind::kEdit:
      return qobject_cast<QLineEdit*>(w) != nullptr;
    case Kind::kSlider:
      return qobject_cast<QAbstractSlider*>(w) != nullptr;
    case Kind::kPicture:
    case Kind::kCustom:
      return w != nullptr;
  }
  return false;
}

TEST_F(WindowCompletenessTest, EveryControlExistsWithItsKind) {
  for (const test_support::WindowControl& c : test_support::MainWindowControls()) {
    EXPECT_TRUE(ui::IsRegisteredControl(c.number)) << c.number;
    ASSERT_TRUE(toolkit_->HasControl(c.number)) << c.number << " " << c.toolkit_kind;
    QWidget* w = toolkit_->Control(c.number);
    EXPECT_TRUE(IsOfKind(w, c.kind))
        << c.number << " (" << c.toolkit_kind << ") is a " << w->metaObject()->className();
  }
}

// Without lighting and screen the row shows five tabs, left to right in their order, and each
// still reports its own position in the item list.
TEST_F(WindowCompletenessTest, HiddenTabsLeaveTheOthersInOrder) {
  toolkit_->SetTabItemVisible(frame::kTabs, frame::kItemLighting, false);
  toolkit_->SetTabItemVisible(frame::kTabs, frame::kItemScreen, false);
  toolkit_->SetVisible(frame::kTabs, true);
  auto* row = qobject_cast<ui::qt::TabRow*>(toolkit_->Control(frame::kTabs));
  ASSERT_NE(row, nullptr);
  const auto boxes = row->TabRects();
  std::vector<int> positions;
  qreal last_right = -1;
  for (const auto& [box, position] : boxes) {
    EXPECT_GT(box.left(), last_right) << position;
    last_right = box.right();
    positions.push_back(position);
  }
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 5, 6}));
  // A click on the fourth tab shown opens the macro page (item 4, layout 52).
  const QPointF centre = boxes[3].first.center();
  QMouseEvent press(QEvent::MouseButtonPress, centre, row->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(row, &press);
  EXPECT_EQ(dlg_->SelectedItemId(), frame::kItemMacro);
  EXPECT_FALSE(toolkit_->Control(frame::kPageMacro)->isHidden());
  EXPECT_TRUE(toolkit_->Control(frame::kPageDpi)->isHidden());
}

// Every control a person acts on takes the keyboard focus with Tab: the standard kinds and the
// drawn ones (tab row, device cards, hot spots, DPI levels, report rates, lists, palettes).
TEST_F(WindowCompletenessTest, EveryActiveControlIsReachableWithTab) {
  const std::set<int> drawn = {48, 62, 92, 100, 109, 115, 126, 183, 275, 289, 304};
  for (const test_support::WindowControl& c : test_support::MainWindowControls()) {
    const bool active = c.kind == Kind::kButton || c.kind == Kind::kToggle ||
                        c.kind == Kind::kCombo || c.kind == Kind::kEdit ||
                        c.kind == Kind::kSlider || drawn.count(c.number) != 0;
    if (!active) continue;
    QWidget* w = toolkit_->Control(c.number);
    ASSERT_NE(w, nullptr) << c.number;
    EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus)
        << c.number << " (" << c.toolkit_kind << ", " << w->metaObject()->className() << ")";
  }
}

// The tab row follows the arrow keys to the next shown tab, skipping hidden ones.
TEST_F(WindowCompletenessTest, ArrowKeysMoveAlongTheTabRow) {
  toolkit_->SetTabItemVisible(frame::kTabs, frame::kItemLighting, false);
  toolkit_->SetTabItemVisible(frame::kTabs, frame::kItemScreen, false);
  QWidget* row = toolkit_->Control(frame::kTabs);
  toolkit_->SelectTab(frame::kTabs, 2);  // DPI
  QCoreApplication::processEvents();
  const struct {
    Qt::Key key;
    int item_id;
  } steps[] = {{Qt::Key_Right, frame::kItemMacro},
               {Qt::Key_Right, frame::kItemPerformance},
               {Qt::Key_Right, frame::kItemPerformance},  // the last tab stays
               {Qt::Key_Left, frame::kItemMacro},
               {Qt::Key_Left, frame::kItemDpi}};
  for (const auto& step : steps) {
    QKeyEvent press(QEvent::KeyPress, step.key, Qt::NoModifier);
    QCoreApplication::sendEvent(row, &press);
    EXPECT_EQ(dlg_->SelectedItemId(), step.item_id);
  }
}

// The focus ring shows where the keyboard is, once the keyboard is used; a click leaves the
// control as it was drawn.
TEST_F(WindowCompletenessTest, FocusRingOnlyFromTheKeyboard) {
  window_->activateWindow();
  QApplication::setActiveWindow(window_);
  dlg_->OnControlNotify(frame::kTabs, ui::kNotifyClicked, 2);  // the DPI page
  toolkit_->SetDPILevelCount(100, 3);
  toolkit_->SetDPISelected(100, 1);
  QWidget* levels = toolkit_->Control(100);
  QCoreApplication::processEvents();
  const QImage plain = levels->grab().toImage();
  // A click on the page around it: the pointer is in use.
  QWidget* page = toolkit_->Control(frame::kPageDpi);
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), page->mapToGlobal(QPointF(1, 1)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(page, &click);
  levels->setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(levels->hasFocus());
  QCoreApplication::processEvents();
  EXPECT_EQ(levels->grab().toImage(), plain);
  // A key that does nothing here still shows where the keyboard is.
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
  QApplication::sendEvent(levels, &key);
  QCoreApplication::processEvents();
  const QImage ringed = levels->grab().toImage();
  EXPECT_NE(ringed, plain);
  QApplication::sendEvent(page, &click);
  QCoreApplication::processEvents();
  EXPECT_EQ(levels->grab().toImage(), plain);
}

}  // namespace
