// Every page of the window, the settings panel and the message box, in both languages and at
// the normal and the double scale, drawn with a virtual mouse behind them and written as PNG
// files into <build>/screenshots/ for a person to look at. Each picture is checked: it is not
// blank, the page is the one shown, no text is cut off, and Chinese text has a font with its
// glyphs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/device_main_dlg.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "qt_app.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/frame_controls.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/qt/style.h"

namespace {

namespace frame = ui::frame;

constexpr int kLightingModes = 165;
constexpr int kColourMode = 1;

QString OutputDir() {
  const QString dir = QStringLiteral(MOUSE_BUILD_DIR "/screenshots");
  QDir().mkpath(dir);
  return dir;
}

// A picture of `widget` at `scale` device pixels per pixel, as the window system would show it
// with that scale factor.
QImage Picture(QWidget* widget, qreal scale) {
  QImage image(widget->size() * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::black);
  QPainter painter(&image);
  widget->render(&painter);
  return image;
}

// Distinct colours on a coarse grid: a blank or one-colour picture has one or two.
int ColourVariety(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 7) {
    for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

bool HasCjk(const QString& text) {
  for (QChar c : text) {
    if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
  }
  return false;
}

// Whether one of the font's families (in its fallback order) has every Chinese glyph of text.
bool ChineseGlyphsAvailable(const QFont& font, const QString& text) {
  for (const QString& family : font.families()) {
    if (!QFontDatabase::hasFamily(family)) continue;
    QFont candidate(family);
    const QFontMetrics metrics(candidate);
    bool all = true;
    for (QChar c : text) {
      if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF && !metrics.inFont(c)) all = false;
    }
    if (all) return true;
  }
  return false;
}

// The texts of `root` that are shown but do not fit their widget: labels (unless they wrap or
// elide on purpose) and buttons with a text.
std::vector<std::string> ClippedTexts(QWidget* root, const QWidget* window) {
  std::vector<std::string> clipped;
  for (QLabel* label : root->findChildren<QLabel*>()) {
    if (!label->isVisibleTo(window) || label->text().isEmpty() || label->wordWrap()) continue;
    if (!label->pixmap().isNull()) continue;
    const QSize need = label->minimumSizeHint();
    if (label->width() < need.width() || label->height() < need.height()) {
      clipped.push_back(label->text().toStdString() + " (" + std::to_string(label->width()) + "x" +
                        std::to_string(label->height()) + " < " + std::to_string(need.width()) +
                        "x" + std::to_string(need.height()) + ")");
    }
  }
  for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
    if (!button->isVisibleTo(window) || button->text().isEmpty()) continue;
    // A round tool button draws its glyph without padding; the others need their full hint.
    const QSize text(button->fontMetrics().horizontalAdvance(button->text()),
                     button->fontMetrics().height());
    const QSize need =
        qobject_cast<QToolButton*>(button) ? text : button->minimumSizeHint().expandedTo(text);
    if (button->width() < need.width() || button->height() < need.height()) {
      clipped.push_back(button->text().toStdString() + " [button " +
                        std::to_string(button->width()) + " < " + std::to_string(need.width()) +
                        "]");
    }
  }
  return clipped;
}

std::vector<std::string> ChineseWithoutGlyphs(QWidget* root, const QWidget* window) {
  std::vector<std::string> missing;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (HasCjk(text) && !ChineseGlyphsAvailable(w->font(), text)) {
      missing.push_back(text.toStdString());
    }
  }
  return missing;
}

class ScreenshotTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    qt_test::EnsureQtApp();
    ui::qt::SetApplicationFont();
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(GetParam());
    bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
    toolkit_ = std::make_unique<ui::qt::QtToolkit>();
    window_ = toolkit_->BuildMainWindow("Vex Mouse Center");
    dlg_ = std::make_unique<app::DeviceMainDlg>(
        *toolkit_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    window_->show();
    dlg_->OnInitDialog();
    // Connect and read the mouse: the pages show its values.
    while (!dlg_->PendingTasks().Empty()) dlg_->Device().Worker().Run();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    dlg_.reset();
    toolkit_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }

  std::string Name(const std::string& view, qreal scale) const {
    return std::to_string(GetParam()) + "_x" + std::to_string(static_cast<int>(scale)) + "_" +
           view + ".png";
  }
  // Writes both scales of `widget` and checks what every picture must show.
  void Shoot(QWidget* widget, const std::string& view) {
    for (qreal scale : {1.0, 2.0}) {
      const QImage image = Picture(widget, scale);
      EXPECT_GT(ColourVariety(image), 12) << view << " looks blank";
      const QString file = OutputDir() + "/" + QString::fromStdString(Name(view, scale));
      EXPECT_TRUE(image.save(file)) << file.toStdString();
    }
    EXPECT_EQ(ClippedTexts(widget, window_), std::vector<std::string>{}) << view;
    if (GetParam() == 2052) {
      EXPECT_EQ(ChineseWithoutGlyphs(widget, window_), std::vector<std::string>{}) << view;
    }
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  const test_support::TempDir dir_{"qt_shots_"};
  platform::AppKey key_{dir_.path() + "key"};
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<ui::qt::QtToolkit> toolkit_;
  ui::qt::MainWindow* window_ = nullptr;
  std::unique_ptr<app::DeviceMainDlg> dlg_;
};

TEST_P(ScreenshotTest, EveryPageThePanelAndTheMessageBox) {
  ASSERT_TRUE(dlg_->ModelLoaded());
  const struct {
    const char* name;
    int layout;
  } tabs[] = {{"1_home", 49},   {"2_buttons", 50}, {"3_dpi", 51},        {"4_lighting", 53},
              {"5_screen", 55}, {"6_macro", 52},   {"7_performance", 54}};
  for (int position = 0; position < 7; ++position) {
    if (tabs[position].layout == frame::kPageLighting) {
      // An effect with all of its parameters, so every lighting control is drawn.
      toolkit_->SetCurSel(kLightingModes, kColourMode);
      dlg_->OnControlNotify(kLightingModes, ui::kNotifyClicked, kColourMode);
    }
    dlg_->OnControlNotify(frame::kTabs, ui::kNotifyClicked, position);
    toolkit_->SelectTab(frame::kTabs, position);
    QCoreApplication::processEvents();
    for (int layout : frame::kPageLayouts) {
      EXPECT_EQ(!toolkit_->Control(layout)->isHidden(), layout == tabs[position].layout)
          << tabs[position].name << " " << layout;
    }
    Shoot(window_, tabs[position].name);
  }

  dlg_->OnControlNotify(frame::kSettings, ui::kNotifyClicked, 0);
  QCoreApplication::processEvents();
  EXPECT_FALSE(toolkit_->Control(frame::kSettingsPanel)->isHidden());
  Shoot(window_, "8_settings");
  dlg_->OnControlNotify(frame::kSettingsReturn, ui::kNotifyClicked, 0);

  for (int style : {ui::kStyleOk, ui::kStyleOkCancel}) {
    bool shot = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!box) return;
      Shoot(box, "9_message_style" + std::to_string(style));
      shot = true;
      box->reject();
    });
    // The lighting page's reset question: a message of two lines.
    toolkit_->ShowMessage(LanguageText(platform::TextId{275}), LanguageText(platform::TextId{276}), style);
    EXPECT_TRUE(shot) << style;
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScreenshotTest, ::testing::Values(2052, 1033));

}  // namespace
