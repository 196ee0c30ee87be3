// The settings pages on the Qt toolkit driven like a person would, with the page logic, the
// store and the virtual mouse behind them: a click on the page ends up in the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QSlider>
#include <QWheelEvent>
#include <filesystem>
#include <memory>

#include "app/task_list.h"
#include "device/driver_comm.h"
#include "profiles/profile_list.h"
#include "qt_app.h"
#include "settings/settings_context.h"
#include "settings/settings_page.h"
#include "settings/settings_read.h"
#include "settings/settings_write.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/device_test_support.h"
#include "ui/control_dispatch.h"
#include "ui/qt/pages/dpi_level_control.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/task_table.h"

namespace {

namespace s = settings;

class DispatchListener : public ui::Listener {
 public:
  explicit DispatchListener(ui::ControlDispatch& dispatch) : dispatch_(dispatch) {}
  void OnControlNotify(int number, int code, int64_t value) override {
    dispatch_.Notify(number, code, value);
  }
  void OnMessage(int, int64_t, int64_t) override {}

 private:
  ui::ControlDispatch& dispatch_;
};

void Press(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

class SettingsPagesFlowTest : public ::testing::Test {
 protected:
  SettingsPagesFlowTest() {
    ws_.WriteLanguageTexts({60, 254, 255, 256, 260, 500, 501, 502, 504, 515, 516, 517, 518});
    const sim::ModelTraits& traits = sim::Traits(sim::Model::kK7Pro);
    comm_.RegisterMode(sim::kVendorId, traits.cable_pid, traits.cable_device_id, traits.device_type,
                       0);
    mouse_ = bus_.AddMouse(sim::Model::kK7Pro, sim::Attachment::kCable);
    comm_.RebuildDeviceList();
    comm_.SetSelectedType(traits.device_type);
    std::filesystem::create_directories(ws_.Dir() + "db");
    EXPECT_TRUE(ProfileStore::Instance().OpenForModel(ws_.Dir(), "K7"));
    profile_ = RefreshProfileList(toolkit_, ProfileStore::Instance());

    ui::qt::BuildDpiPage(dpi_builder_);
    ui::qt::BuildPerformancePage(performance_builder_);
    context_.append_task = [this](int code) { tasks_.Append(code); };
    context_.current_profile = [this] { return profile_; };
    s::RegisterSettingsTasks(table_, context_);
    s::RegisterSettingsPages(dispatch_, context_);
    s::InitSettingsPages(context_);
    toolkit_.SetListener(&listener_);
    toolkit_.SetSliderSettleDelay(0);
  }
  ~SettingsPagesFlowTest() override { EXPECT_TRUE(ProfileStore::Instance().Close()); }

  void RunTasks() {
    while (const std::optional<int> code = tasks_.TakeFirst()) table_.Find(*code)->run();
  }

  bool app_ = qt_test::EnsureQtApp();
  platform::VirtualClock clock_;
  devtest::Workspace ws_{clock_};
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  int mouse_ = 0;
  ui::qt::QtToolkit toolkit_;
  std::unique_ptr<QWidget> dpi_page_ = std::make_unique<QWidget>();
  std::unique_ptr<QWidget> performance_page_ = std::make_unique<QWidget>();
  ui::qt::PageBuilder dpi_builder_{toolkit_, dpi_page_.get(), 51};
  ui::qt::PageBuilder performance_builder_{toolkit_, performance_page_.get(), 54};
  s::SettingsState state_;
  int profile_ = 0;
  app::TaskList tasks_;
  ui::TaskTable table_;
  ui::ControlDispatch dispatch_;
  DispatchListener listener_{dispatch_};
  s::SettingsContext context_{comm_, ProfileStore::Instance(), toolkit_, clock_, state_};
};

TEST_F(SettingsPagesFlowTest, LevelsSliderAndLiftOffReachTheMouse) {
  ASSERT_TRUE(s::GetMouseData2(context_));
  s::RefreshSettingsPage(context_);
  auto* levels = qobject_cast<ui::qt::DpiLevelControl*>(toolkit_.Control(s::kDpiControl));
  auto* count = qobject_cast<QComboBox*>(toolkit_.Control(s::kLevelCountSelector));
  auto* slider = qobject_cast<QSlider*>(toolkit_.Control(s::kDpiSlider));
  ASSERT_TRUE(levels && count && slider);
  EXPECT_EQ(slider->maximum(), 612) << "the wide-range sensor read at connection";
  EXPECT_EQ(levels->State().dpi_count, 6);

  count->setCurrentIndex(3);  // four levels
  Q_EMIT count->activated(3);
  Press(levels, levels->CardRect(3).center() + QPoint(0, 30));
  slider->setValue(160);  // 8000 DPI; not dragging: committed once it settles
  qobject_cast<QAbstractButton*>(toolkit_.Control(s::kLiftoffSecond))->click();
  ASSERT_TRUE(qt_test::ProcessUntilTimersIdle(slider)) << "the slider commit";
  RunTasks();

  const auto image = bus_.SettingsImage(mouse_);
  EXPECT_EQ(image[2], (4 << 4) | 4) << "level 3 active of 4";
  EXPECT_EQ(image[17], s::EncodeDpi(2, 8000) & 0xFF);
  EXPECT_EQ(image[3], 2);
  EXPECT_EQ(levels->State().dpi_values.at(3), 8000);
}

// A fast wheel spin over the DPI slider stores every notch but sends the mouse one write, of
// the value it ended on.
TEST_F(SettingsPagesFlowTest, WheelSpinOverTheDpiSliderWritesOnce) {
  ASSERT_TRUE(s::GetMouseData2(context_));
  s::RefreshSettingsPage(context_);
  RunTasks();
  auto* levels = qobject_cast<ui::qt::DpiLevelControl*>(toolkit_.Control(s::kDpiControl));
  auto* slider = qobject_cast<QSlider*>(toolkit_.Control(s::kDpiSlider));
  ASSERT_TRUE(levels && slider);
  const int level = levels->State().dpi_selected;
  const int start = slider->value();
  for (int i = 0; i < 10; ++i) {
    const QPointF at(slider->width() / 2.0, slider->height() / 2.0);
    QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
  }
  ASSERT_GT(slider->value(), start);
  const int shown = levels->State().dpi_values.at(level);
  EXPECT_EQ(shown, s::SliderPositionToDpi(state_.sensor_type, slider->value()))
      << "the level card follows every notch";
  EXPECT_TRUE(tasks_.Empty()) << "nothing is sent while the wheel turns";
  EXPECT_TRUE(qt_test::ProcessUntil([&] { return !tasks_.Empty(); }));
  // Every commit the slider had pending has now been made.
  ASSERT_TRUE(qt_test::ProcessUntilTimersIdle(slider));
  EXPECT_EQ(tasks_.Size(), 1u);
  EXPECT_EQ(tasks_.TakeFirst(), ui::kTaskWriteDpi);
}

}  // namespace
