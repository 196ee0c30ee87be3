#include "ui/qt/pages/mouse_palette_dlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

#include "platform/language.h"
#include "ui/manager.h"
#include "ui/qt/custom_control.h"
#include "ui/qt/dialogs.h"

namespace ui::qt {

namespace {

QColor ToQColor(uint32_t packed) {
  return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

uint32_t Pack(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.blue()) << 16;
}

QString Swatch(const QColor& c, bool round) {
  return QStringLiteral("background:%1; border:1px solid #3a3f4b; border-radius:%2px;")
      .arg(c.name())
      .arg(round ? 9 : 4);
}

}  // namespace

ColourWheel::ColourWheel(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setMinimumSize(120, 120);
}

void ColourWheel::resizeEvent(QResizeEvent*) {
  const int side = std::min(width(), height());
  wheel_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
  wheel_.fill(Qt::transparent);
  const double r = side / 2.0;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double dx = x + 0.5 - r, dy = y + 0.5 - r;
      const double d = std::hypot(dx, dy);
      if (d > r) continue;
      double hue = std::atan2(-dy, dx) / (2 * std::numbers::pi);
      if (hue < 0) hue += 1;
      wheel_.setPixelColor(x, y,
                           QColor::fromHsvF(static_cast<float>(hue),
                                            static_cast<float>(std::min(d / r, 1.0)), 1.0f));
    }
  }
}

void ColourWheel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF origin((width() - wheel_.width()) / 2.0, (height() - wheel_.height()) / 2.0);
  p.drawImage(origin, wheel_);
  if (marker_.x() >= 0) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(marker_ + origin, 5, 5);
    p.setPen(QPen(Qt::white, 1));
    p.drawEllipse(marker_ + origin, 5, 5);
  }
}

void ColourWheel::ShowColour(const QColor& colour) {
  const double r = std::min(width(), height()) / 2.0;
  const double hue = std::max(0.0, static_cast<double>(colour.hsvHueF()));
  const double angle = hue * 2 * std::numbers::pi;
  const double d = colour.hsvSaturationF() * r;
  marker_ = QPointF(r + d * std::cos(angle), r - d * std::sin(angle));
  update();
}

void ColourWheel::mousePressEvent(QMouseEvent* event) { PickAt(event->position()); }

void ColourWheel::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) PickAt(event->position());
}

void ColourWheel::PickAt(QPointF at) {
  const QPointF origin((width() - wheel_.width()) / 2.0, (height() - wheel_.height()) / 2.0);
  QPointF local = at - origin;
  const double r = wheel_.width() / 2.0;
  const double dx = local.x() - r, dy = local.y() - r;
  const double d = std::hypot(dx, dy);
  if (d > r && d > 0) local = QPointF(r + dx * r / d, r + dy * r / d);  // the rim
  double hue = std::atan2(-dy, dx) / (2 * std::numbers::pi);
  if (hue < 0) hue += 1;
  marker_ = local;
  update();
  Q_EMIT Picked(
      QColor::fromHsvF(static_cast<float>(hue), static_cast<float>(std::min(d / r, 1.0)), 1.0f));
}

MousePaletteDlg::MousePaletteDlg(uint32_t initial, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Mouse PaletteDlg"));
  setObjectName(QStringLiteral("MousePaletteDlg"));
  setFixedSize(410, 160);
  // The window's colours, with the theme colour on the OK button like every primary button.
  const QColor accent = QColor::fromRgba(Manager::GetSelectColor());
  setStyleSheet(
      QStringLiteral(
          "#MousePaletteDlg{background:#1C1F25;} QLabel{color:#C9CDD6;}"
          "QLabel#PaletteTitle{color:#F3F4F7;font-weight:700;font-size:14px;}"
          "QSpinBox{background:#111317;color:#F3F4F7;border:1px solid #2F333C;border-radius:6px;"
          "padding:2px 4px;min-width:44px;min-height:22px;}"
          "QSpinBox:focus{border-color:%1;}"
          "QPushButton{background:%1;color:white;border:1px solid %1;border-radius:8px;"
          "padding:5px 22px;font-weight:700;} QPushButton:hover{background:%2;}"
          "QPushButton:pressed{background:%1;border-color:%2;}")
          .arg(accent.name(), accent.lighter(115).name()));

  auto* wheel = new ColourWheel(this);
  wheel->setFixedSize(132, 132);
  wheel_ = wheel;

  auto* presets = new QHBoxLayout;
  presets->setSpacing(6);
  for (uint32_t packed : kPresets) {
    auto* b = new QToolButton(this);
    b->setFixedSize(20, 20);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(Swatch(ToQColor(packed), true));
    b->setToolTip(ToQColor(packed).name().toUpper());
    connect(b, &QToolButton::clicked, this, [this, packed] { SetColour(packed); });
    presets->addWidget(b);
  }
  presets->addStretch();

  auto field = [this](QSpinBox*& box) {
    box = new QSpinBox(this);
    box->setRange(0, 255);  // the field refuses anything outside while typing
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    connect(box, &QSpinBox::valueChanged, this, [this] { FromFields(); });
  };
  field(red_);
  field(green_);
  field(blue_);
  auto* fields = new QHBoxLayout;
  fields->setSpacing(6);
  for (auto [label, box] : {std::pair{"R:", red_}, {"G:", green_}, {"B:", blue_}}) {
    fields->addWidget(new QLabel(QString::fromLatin1(label), this));
    fields->addWidget(box);
  }
  fields->addStretch();

  preview_ = new QFrame(this);
  preview_->setFixedSize(48, 24);
  auto* ok = new QPushButton(Q(LanguageText(kMessageOkText)), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(preview_);
  bottom->addStretch();
  bottom->addWidget(ok);

  auto* title = new QLabel(Q(LanguageText(kPaletteTitleText)), this);
  title->setObjectName(QStringLiteral("PaletteTitle"));
  auto* right = new QVBoxLayout;
  right->setSpacing(10);
  right->addWidget(title);
  right->addLayout(presets);
  right->addLayout(fields);
  right->addStretch();
  right->addLayout(bottom);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(14);
  layout->addWidget(wheel);
  layout->addLayout(right, 1);

  connect(wheel, &ColourWheel::Picked, this, [this](QColor c) {
    const QPointF marker = wheel_->Marker();
    SetColour(Pack(c));
    wheel_->SetMarker(marker);  // keep the point picked, not the one the rounding gives
  });
  SetColour(initial);
}

void MousePaletteDlg::SetColour(uint32_t colour) {
  colour_ = colour & 0xFFFFFF;
  updating_ = true;
  red_->setValue(colour_ & 0xFF);
  green_->setValue((colour_ >> 8) & 0xFF);
  blue_->setValue((colour_ >> 16) & 0xFF);
  updating_ = false;
  preview_->setStyleSheet(Swatch(ToQColor(colour_), false));
  wheel_->ShowColour(ToQColor(colour_));
}

void MousePaletteDlg::FromFields() {
  if (updating_) return;
  SetColour(static_cast<uint32_t>(red_->value()) | static_cast<uint32_t>(green_->value()) << 8 |
            static_cast<uint32_t>(blue_->value()) << 16);
}

std::optional<uint32_t> MousePaletteDlg::Pick(uint32_t initial, QWidget* parent) {
  MousePaletteDlg dialog(initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Colour();
}

}  // namespace ui::qt
