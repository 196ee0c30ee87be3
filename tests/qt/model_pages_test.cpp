// The first tab and the button page's picture filled by the shipped catalogue in the real
// window: the model selector, the device cards, the button layout picture and its hot spots.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <filesystem>
#include <memory>

#include "app/device_list_control.h"
#include "catalogue/catalogue.h"
#include "device/driver_comm.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "recorder.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/qt/main_window.h"
#include "ui/qt/model_widgets.h"
#include "ui/qt/qt_toolkit.h"

namespace {

using qt_test::Recorder;

void Click(QWidget* widget, const QPointF& at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

class ModelPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR "/");
    platform::SetLanguageId(1033);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Test Center");
    toolkit_->SetListener(&recorder_);
    device_list_ = std::make_unique<app::DeviceListControl>(*toolkit_);
    catalogue_ = std::make_unique<catalogue::Catalogue>(
        catalogue::CatalogueContext{*toolkit_,
                                    comm_,
                                    *device_list_,
                                    ProfileStore::Instance(),
                                    [this] { return remembered_; },
                                    user_dir_,
                                    {}});
    window_->show();
  }
  void TearDown() override {
    catalogue_.reset();
    device_list_.reset();
    toolkit_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }
  // Shows one page layout as the window logic would.
  void ShowPage(int layout) {
    for (int page = 49; page <= 55; ++page) toolkit_->SetVisible(page, page == layout);
    QApplication::processEvents();
  }
  template <class W>
  W* Widget(int id) {
    return dynamic_cast<W*>(toolkit_->Control(id));
  }

  bool app_ = qt_test::EnsureQtApp();
  std::string saved_program_dir_ = platform::ProgramDir();
  const test_support::TempDir user_tmp_{"qt_model_"};
  const std::string user_dir_ = user_tmp_.path();
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<app::DeviceListControl> device_list_;
  std::unique_ptr<catalogue::Catalogue> catalogue_;
  Recorder recorder_;
  int remembered_ = 102;
};

TEST_F(ModelPagesTest, FirstTabShowsTheModelsAndReportsTheChosenOne) {
  catalogue_->LoadCatalogue();
  auto* selector = Widget<QComboBox>(61);
  ASSERT_NE(selector, nullptr);
  ASSERT_EQ(selector->count(), 3);
  EXPECT_EQ(selector->itemText(2), "K9 Air");
  EXPECT_EQ(selector->currentData().toLongLong(), 102);
  EXPECT_FALSE(selector->isHidden());

  auto* picture = Widget<ui::qt::SkinPicture>(57);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->NaturalSize(), QSizeF(640, 480));

  auto* cards = Widget<ui::qt::DeviceCards>(62);
  ASSERT_NE(cards, nullptr);
  device_list_->SetDeviceState(201, 1, 1);
  device_list_->SetDeviceVersion(201, 0x0115);
  device_list_->SetDeviceBattery(201, 80, false);
  ASSERT_EQ(cards->State().devices.size(), 3u);
  EXPECT_EQ(cards->State().devices[2].mode, 1);
  EXPECT_EQ(cards->State().devices[2].version, "115");
  EXPECT_EQ(cards->State().devices[2].battery, 80);

  // Connected: the device list takes the place of the model area.
  toolkit_->SetVisible(62, true);
  toolkit_->SetVisible(58, false);
  EXPECT_TRUE(toolkit_->Control(56)->isHidden());
  toolkit_->SetVisible(58, true);
  EXPECT_FALSE(toolkit_->Control(56)->isHidden());
  toolkit_->SetVisible(58, false);
  ShowPage(49);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(cards->rect().contains(cards->CardRect(i).toRect())) << i;
  }
  Click(cards, cards->CardRect(2).center());
  Click(cards, QPointF(1, 1));  // between the cards: nothing
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{62, 2, 201}}));
}

TEST_F(ModelPagesTest, HotSpotsSitOnTheButtonPictureAndReportTheButton) {
  remembered_ = 101;
  catalogue_->LoadCatalogue();
  ShowPage(50);
  auto* picture = Widget<ui::qt::SkinPicture>(63);
  auto* spots = Widget<ui::qt::MouseHotSpots>(92);
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(spots, nullptr);
  EXPECT_EQ(picture->NaturalSize(), QSizeF(640, 480));
  EXPECT_EQ(spots->parentWidget(), picture);
  EXPECT_EQ(spots->geometry(), picture->rect());

  const auto& items = spots->State().mouse_items;
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0].name, "Left Button");
  EXPECT_EQ(items[0].description, "Left Click");
  // Every hot spot lies on the drawn picture, and no two labels overlap.
  const QRectF drawn = picture->PictureRect();
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(drawn.contains(spots->DotPosition(i))) << i;
    EXPECT_TRUE(QRectF(spots->rect()).contains(spots->LabelRect(i))) << i;
    for (int j = i + 1; j < 8; ++j) {
      EXPECT_FALSE(spots->LabelRect(i).intersects(spots->LabelRect(j))) << i << " " << j;
    }
  }

  Click(spots, spots->DotPosition(5));
  Click(spots, spots->LabelRect(3).center());
  Click(spots, QPointF(2, spots->height() - 2));  // off every button: nothing
  EXPECT_EQ(recorder_.notes, (std::vector<Recorder::Note>{{92, 2, 5}, {92, 2, 3}}));
  EXPECT_EQ(spots->State().mouse_selected, 3);

  // Another model replaces the items.
  catalogue_->LoadModel(201);
  EXPECT_EQ(spots->State().mouse_items.size(), 6u);
  EXPECT_TRUE(picture->PictureRect().isValid());
}

// The model file's direction picks the label's side where it is set (1: right); 0 and
// unknown values leave it to the geometry (the side away from the button).
TEST_F(ModelPagesTest, HotSpotLabelsTakeTheSideTheirDirectionNames) {
  remembered_ = 101;
  catalogue_->LoadCatalogue();
  ShowPage(50);
  auto* spots = Widget<ui::qt::MouseHotSpots>(92);
  ASSERT_NE(spots, nullptr);
  struct Case {
    int x, label_x, direction;
    bool left;
  };
  const Case cases[] = {
      {400, 300, 1, false},  // the direction wins over the geometry
      {400, 300, 0, true},  {200, 300, 0, false}, {400, 300, 7, true}, {200, 300, 7, false},
  };
  // Each case is an item whose label anchor lies under a second, probe item's dot.
  std::vector<ui::MouseItem> items;
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    const int y = 80 + 70 * i;
    ui::MouseItem item;
    item.x = cases[i].x;
    item.y = y;
    item.label_x = item.line_x = cases[i].label_x;
    item.label_y = item.line_y = y;
    item.key_value = 2 * i;
    item.direction = cases[i].direction;
    ui::MouseItem probe;
    probe.x = probe.label_x = probe.line_x = cases[i].label_x;
    probe.y = probe.label_y = probe.line_y = y;
    probe.key_value = 2 * i + 1;
    items.push_back(item);
    items.push_back(probe);
  }
  toolkit_->SetMouseItems(92, items);
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
    const QRectF label = spots->LabelRect(2 * i);
    const qreal anchor = spots->DotPosition(2 * i + 1).x();
    if (cases[i].left) {
      EXPECT_LE(label.right(), anchor) << i;
    } else {
      EXPECT_GE(label.left(), anchor) << i;
    }
  }
}

}  // namespace
