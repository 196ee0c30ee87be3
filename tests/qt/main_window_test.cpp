// The Qt window under the offscreen platform: every frame control exists, clicks reach the
// window logic, worker-thread calls arrive in order, dialogs answer as the logic expects.
#include "ui/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "app/device_main_dlg.h"
#include "device/hid.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "support/device_test_support.h"
#include "support/temp_dir.h"
#include "ui/control_registry.h"
#include "ui/frame_controls.h"
#include "ui/qt/qt_toolkit.h"

namespace {

namespace frame = ui::frame;

// Runs the window thread's event loop until `done` or a generous 20 seconds have passed.
bool SpinUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(20000, &loop, &QEventLoop::quit);
  poll.start(5);
  if (!done()) loop.exec();
  return done();
}

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::EnsureQtApp();
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Test Center");
    // The window alone: no worker thread or hot-plug behind it.
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
  QWidget* Control(int id) { return toolkit_->Control(id); }

  std::string saved_program_dir_ = platform::ProgramDir();
  // Each test's own folders, gone with it: parallel test processes never share them.
  const test_support::TempDir dir_{"qt_window_"};
  platform::AppKey key_{dir_.path() + "key"};
  platform::VirtualClock clock_;
  devtest::EmptyBus bus_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<app::DeviceMainDlg> dlg_;
};

TEST_F(QtWindowTest, FrameControlsExist) {
  EXPECT_EQ(window_->size(), QSize(1280, 780));
  EXPECT_EQ(window_->windowTitle(), "Test Center");
  EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
  for (int id :
       {39, 40, 41, 42, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 64, 245, 246}) {
    EXPECT_TRUE(toolkit_->HasControl(id)) << id;
  }
  for (int id : {39, 40, 41, 42}) {
    EXPECT_NE(qobject_cast<QAbstractButton*>(Control(id)), nullptr) << id;
  }
  EXPECT_FALSE(toolkit_->HasControl(999));
  for (int layout : frame::kPageLayouts) EXPECT_NE(window_->Page(layout), nullptr) << layout;
}

// The headless toolkit accepts exactly the registered controls, so every number the logic
// touches in the core tests is one of them; the real window must build each.
TEST_F(QtWindowTest, BuildsEveryControlTheLogicUses) {
  const std::vector<int> used = ui::RegisteredControls();
  for (int sample : {44, 62, 109, 223}) {
    EXPECT_NE(std::find(used.begin(), used.end(), sample), used.end()) << sample;
  }
  for (int id : used) EXPECT_TRUE(toolkit_->HasControl(id)) << id;
}

// Profile import and export come up disabled until the window logic, which handles them,
// enables them; then each carries its own tooltip.
TEST_F(QtWindowTest, ProfileFileButtonsEnabledByTheirHandler) {
  for (const auto& [id, tip] : {std::pair{frame::kImport, platform::TextId{1901}},
                                {frame::kExport, platform::TextId{1902}}}) {
    EXPECT_TRUE(toolkit_->IsEnabled(id)) << id;
    EXPECT_NE(LanguageText(tip), "");
    EXPECT_EQ(ui::qt::U(Control(id)->toolTip()), LanguageText(tip)) << id;
  }
}

TEST_F(QtWindowTest, ClicksReachTheWindowLogic) {
  qobject_cast<QAbstractButton*>(Control(frame::kSettings))->click();
  EXPECT_TRUE(dlg_->SettingsPanelShown());
  EXPECT_FALSE(Control(frame::kSettingsPanel)->isHidden());
  EXPECT_TRUE(Control(49)->isHidden());
  // The status strip folds away with all of its controls, and comes back with them.
  QWidget* strip = Control(frame::kConnection)->parentWidget();
  EXPECT_TRUE(strip->isHidden());
  qobject_cast<QAbstractButton*>(Control(frame::kSettingsReturn))->click();
  EXPECT_FALSE(dlg_->SettingsPanelShown());
  EXPECT_FALSE(Control(49)->isHidden());
  EXPECT_FALSE(strip->isHidden());

  // A tab chosen through the toolkit arrives as the row's notification.
  dlg_->SetModelLoaded(true);
  toolkit_->SelectTab(frame::kTabs, 2);
  EXPECT_TRUE(SpinUntil([&] { return dlg_->SelectedItemId() == frame::kItemDpi; }));
  EXPECT_FALSE(Control(51)->isHidden());
  EXPECT_FALSE(Control(frame::kTabs)->isHidden());

  // Without a stored exit mode the close button ends the window's run.
  qobject_cast<QAbstractButton*>(Control(frame::kClose))->click();
  EXPECT_TRUE(window_->isHidden());
}

TEST_F(QtWindowTest, WorkerCallsArriveInOrder) {
  QLabel* label = qobject_cast<QLabel*>(Control(frame::kCaptionText2));
  ASSERT_NE(label, nullptr);
  std::string read_back;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) toolkit_->SetTitle(frame::kCaptionText2, std::to_string(i));
    toolkit_->AddItem(frame::kProfiles, "Profile 1", 11);
    toolkit_->AddItem(frame::kProfiles, "Profile 2", 12);
    toolkit_->SelectData(frame::kProfiles, 12);
    read_back = toolkit_->GetTitle(frame::kCaptionText2) + "/" +
                std::to_string(toolkit_->GetCurData(frame::kProfiles));
    finished = true;
  });
  EXPECT_TRUE(SpinUntil([&] { return finished.load(); }));
  worker.join();
  EXPECT_EQ(read_back, "49/12");
  EXPECT_EQ(label->text(), "49");
  EXPECT_EQ(qobject_cast<QComboBox*>(Control(frame::kProfiles))->currentText(), "Profile 2");
}

TEST_F(QtWindowTest, WorkerGettersGiveUpOnceTheWindowHasEnded) {
  toolkit_->CloseWindow();  // on the window thread: takes effect at once
  // Nobody runs the window thread's queue now; the worker must not wait for it.
  std::string title = "unset";
  std::thread worker([&] { title = toolkit_->GetTitle(frame::kCaptionText); });
  worker.join();
  EXPECT_EQ(title, "");
}

TEST_F(QtWindowTest, ModalEndedBeforeItsRunReturnsAtOnce) {
  toolkit_->BeginModal(ui::ModalKind::kWait);
  std::thread worker([&] { toolkit_->EndModal(ui::ModalKind::kWait); });
  worker.join();
  // Should RunModal block, this ends it (generously late) so the test fails instead of
  // hanging; RunModal returning at once means the guard never had to.
  bool ended_by_guard = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    ended_by_guard = true;
    // Straight to the dialog: the toolkit's own ending may be what is broken.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->done(0);
  });
  guard.start(30000);
  toolkit_->RunModal(ui::ModalKind::kWait);
  guard.stop();
  EXPECT_FALSE(ended_by_guard) << "RunModal waited for a modal that had already ended";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(QtWindowTest, MessageBoxButtonsAndResults) {
  struct Case {
    int style;
    const char* press;  // object name of the button pressed, nullptr: Escape
    int result;
    std::vector<std::string> labels;
    std::vector<int> controls;  // the box's numbered controls
  };
  const Case cases[] = {
      {ui::kStyleOk, "PrimaryButton", 1, {"OK"}, {31, 32, 33}},
      {ui::kStyleOkCancel, "PrimaryButton", 1, {"OK", "Cancel"}, {31, 32, 33, 34}},
      {ui::kStyleOkCancel, "SecondaryButton", 2, {"OK", "Cancel"}, {31, 32, 33, 34}},
      {ui::kStyleOkCancel, nullptr, 2, {"OK", "Cancel"}, {31, 32, 33, 34}},
      // Any other style shows no button; only Escape ends it.
      {1, nullptr, 2, {}, {31, 32}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> labels;
    std::vector<int> controls;
    QString title, text, name;
    QSize size;
    QTimer::singleShot(0, [&] {
      QDialog* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      size = box->size();
      name = box->windowTitle();
      for (auto* b : box->findChildren<QPushButton*>()) labels.push_back(b->text().toStdString());
      for (auto* w : box->findChildren<QWidget*>()) {
        const QVariant id = w->property("controlId");
        if (!id.isValid()) continue;
        controls.push_back(id.toInt());
        if (id.toInt() == 31) title = qobject_cast<QLabel*>(w)->text();
        if (id.toInt() == 32) text = qobject_cast<QLabel*>(w)->text();
      }
      if (!c.press) {
        box->reject();
        return;
      }
      box->findChild<QPushButton*>(c.press)->click();
    });
    EXPECT_EQ(toolkit_->ShowMessage("Text", "Title", c.style), c.result) << c.style;
    EXPECT_EQ(labels, c.labels);
    std::sort(controls.begin(), controls.end());
    EXPECT_EQ(controls, c.controls) << c.style;
    EXPECT_EQ(title, "Title");
    EXPECT_EQ(text, "Text");
    EXPECT_EQ(name, "MessageBox");
    EXPECT_EQ(size, QSize(430, 230));
  }
}

}  // namespace
