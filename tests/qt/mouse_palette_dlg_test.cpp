// The DPI colour dialog: presets, wheel and R/G/B fields all set the result at once.
#include "ui/qt/pages/mouse_palette_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSpinBox>
#include <QToolButton>

#include "qt_app.h"

namespace {

using ui::qt::MousePaletteDlg;

void Press(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

TEST(MousePaletteDlg, FieldsShowTheStartColourAndCombineIntoIt) {
  qt_test::EnsureQtApp();
  MousePaletteDlg dlg(0x563412);
  const auto boxes = dlg.findChildren<QSpinBox*>();
  ASSERT_EQ(boxes.size(), 3);
  EXPECT_EQ(boxes[0]->value(), 0x12);
  EXPECT_EQ(boxes[1]->value(), 0x34);
  EXPECT_EQ(boxes[2]->value(), 0x56);
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Mouse PaletteDlg"));
  EXPECT_EQ(dlg.size(), QSize(410, 160));

  boxes[1]->setValue(300);  // beyond the field's range
  EXPECT_EQ(dlg.Colour(), 0x56FF12u);
  boxes[0]->setValue(0);
  EXPECT_EQ(dlg.Colour(), 0x56FF00u);
}

TEST(MousePaletteDlg, PresetsInOrder) {
  qt_test::EnsureQtApp();
  MousePaletteDlg dlg(0);
  const auto presets = dlg.findChildren<QToolButton*>();
  ASSERT_EQ(presets.size(), 7);
  // red, green, blue, cyan, yellow, magenta, white as 0x00BBGGRR
  const uint32_t expected[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00,
                               0x00FFFF, 0xFF00FF, 0xFFFFFF};
  for (int i = 0; i < 7; ++i) {
    presets[i]->click();
    EXPECT_EQ(dlg.Colour(), expected[i]) << i;
  }
}

TEST(MousePaletteDlg, TheWheelPicksHueAtTheRim) {
  qt_test::EnsureQtApp();
  MousePaletteDlg dlg(0);
  dlg.show();
  auto* wheel = dlg.findChild<ui::qt::ColourWheel*>();
  ASSERT_NE(wheel, nullptr);
  // Right of the centre is hue 0 (red) at full saturation; the centre is white.
  const QPoint centre(wheel->width() / 2, wheel->height() / 2);
  Press(wheel, QPoint(wheel->width() - 1, centre.y()));
  const uint32_t rim = dlg.Colour();
  EXPECT_GE(rim & 0xFF, 250u);
  EXPECT_LE((rim >> 8) & 0xFF, 12u);
  EXPECT_LE((rim >> 16) & 0xFF, 12u);
  Press(wheel, centre);
  EXPECT_GE(dlg.Colour() & 0xFF, 240u);
  EXPECT_GE((dlg.Colour() >> 8) & 0xFF, 240u);
}

}  // namespace
