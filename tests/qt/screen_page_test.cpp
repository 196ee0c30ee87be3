// The screen page's widgets under the offscreen platform, and the Virtual mouse window's view
// of the receiver's screen after an upload.
#include "screen/screen_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <atomic>
#include <filesystem>
#include <memory>

#include "device/driver_comm.h"
#include "qt_app.h"
#include "recorder.h"
#include "screen/screen_image.h"
#include "screen/screen_upload.h"
#include "support/temp_dir.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/screen_widgets.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/qt/virtual_mouse_panel.h"

namespace {

using qt_test::Recorder;

class ScreenPageQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit_.SetListener(&recorder_);
    ui::qt::BuildScreenPage(builder_);
  }
  void Press(QWidget* w, QPointF at, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }

  bool app_ = qt_test::EnsureQtApp();
  ui::qt::QtToolkit toolkit_;
  std::unique_ptr<QWidget> page_ = std::make_unique<QWidget>();
  ui::qt::PageBuilder builder_{toolkit_, page_.get(), 55};
  Recorder recorder_;
  test_support::TempDir dir_;
};

TEST_F(ScreenPageQtTest, EveryControlOfThePageExists) {
  const int controls[] = {275, 276, 277, 278, 283, 284, 285, 287, 288, 289, 292, 295,
                          296, 297, 298, 299, 300, 301, 302, 304, 308, 309, 310, 311,
                          312, 313, 314, 315, 316, 318, 319, 320, 321, 322, 323};
  for (int id : controls) EXPECT_TRUE(toolkit_.HasControl(id)) << id;
  EXPECT_EQ(toolkit_.GetEditText(318), "100");
  EXPECT_EQ(toolkit_.GetEditText(295), "16");
  EXPECT_EQ(toolkit_.GetEditText(308), "255");
}

TEST_F(ScreenPageQtTest, TheEditorWritesItsEditAndReportsItAndTheMenuClick) {
  screen::Picture black{240, 135, std::vector<uint32_t>(240 * 135, 0xFF000000u)};
  ASSERT_TRUE(screen::WritePng(dir_.path() + "frame.png", black));
  const std::string scratch = dir_.path() + "edit.png";
  toolkit_.ImageEditorCommand(screen::kEditor, screen::kEditorShowFile, 0,
                              dir_.path() + "frame.png");
  toolkit_.ImageEditorCommand(screen::kEditor, screen::kEditorScratchFile, 0, scratch);
  toolkit_.ImageEditorCommand(screen::kEditor, screen::kEditorColour, 0x0000FF, "");  // red
  toolkit_.ImageEditorCommand(screen::kEditor, screen::kEditorPenSize, 8, "");
  auto* editor = static_cast<ui::qt::PixelEditor*>(toolkit_.Control(screen::kEditor));
  editor->resize(482, 272);  // zoom 2: pixel (120, 67) sits at (241, 135)
  Press(editor, QPointF(241, 135), Qt::LeftButton);
  Press(editor, QPointF(10, 10), Qt::RightButton);
  EXPECT_EQ(recorder_.notes,
            (std::vector<Recorder::Note>{{screen::kEditor, screen::kNotifyEditFinished, 0},
                                         {screen::kEditor, screen::kNotifyEditorMenu, 0}}));
  screen::Picture edited;
  ASSERT_TRUE(screen::ReadPicture(scratch, edited));
  EXPECT_EQ(edited.pixels[67 * 240 + 120], 0xFFFF0000u);
  EXPECT_EQ(edited.pixels[0], 0xFF000000u);
  toolkit_.ImageEditorCommand(screen::kEditor, screen::kEditorUndo, 0, "");
  ASSERT_TRUE(screen::ReadPicture(scratch, edited));
  EXPECT_EQ(edited.pixels[67 * 240 + 120], 0xFF000000u);
}

TEST(ReceiverScreenViewTest, ShowsTheUploadedFrameAndTheClock) {
  qt_test::EnsureQtApp();
  test_support::TempDir dir;
  screen::Picture p{240, 135, std::vector<uint32_t>(240 * 135, 0xFF00FF00u)};  // green
  ASSERT_TRUE(screen::WritePng(dir.path() + "0.png", p));
  platform::VirtualClock clock;
  sim::VirtualBus bus(clock);
  DriverComm comm(bus, clock);
  const sim::ModelTraits& s = sim::Traits(sim::Model::kK7Mouse);
  comm.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
  bus.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  comm.RebuildDeviceList();
  comm.SetSelectedType(s.device_type);
  std::atomic<bool> cancelled{false};
  ASSERT_TRUE(screen::UploadFrames(comm, {{dir.path() + "0.png"}, 100}, cancelled, nullptr));
  ScreenFrame clock_frame = screen::ClockFrame({2024, 1, 5, 9, 30, 12, 0, 5});
  comm.GetFeatureTFTReport(clock_frame);

  ui::qt::VirtualMousePanel panel(bus);
  auto* view = panel.findChild<ui::qt::ReceiverScreenView*>("receiver_screen");
  ASSERT_NE(view, nullptr);
  panel.Refresh();
  ASSERT_EQ(view->FrameCount(), 1);
  EXPECT_EQ(view->CurrentFrame().pixel(120, 60), 0xFF00FF00u);
  EXPECT_TRUE(view->ClockText().startsWith("2024-01-05 09:3"));
}

}  // namespace
