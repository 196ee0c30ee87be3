#include "ui/qt/model_widgets.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "platform/language.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"
#include "ui/qt/hover_tracker.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {
namespace {

QColor Accent() { return QColor::fromRgba(Manager::GetSelectColor()); }

const QColor kText(226, 229, 236);
const QColor kMuted(132, 138, 152);
const QColor kCard(28, 31, 37);
const QColor kBorder(38, 42, 50);

bool IsSvg(const QString& path) { return path.endsWith(".svg", Qt::CaseInsensitive); }

// `natural` scaled to fit `box`, centred.
QRectF FitCentred(const QSizeF& natural, const QRectF& box) {
  if (natural.isEmpty() || box.isEmpty()) return {};
  const QSizeF size = natural.scaled(box.size(), Qt::KeepAspectRatio);
  return QRectF(box.center().x() - size.width() / 2, box.center().y() - size.height() / 2,
                size.width(), size.height());
}

// The label of a hot spot: two lines, the name small and muted, the description below.
constexpr qreal kLabelWidth = 150;
constexpr qreal kLabelHeight = 40;

}  // namespace

// ---------------------------------------------------------------- SkinPicture

SkinPicture::SkinPicture(const std::string& initial_image, QWidget* parent) : QWidget(parent) {
  State().image = initial_image;
  setMinimumSize(240, 180);
  Load();
}

void SkinPicture::StateChanged() {
  if (State().image != loaded_) Load();
  update();
  // The hot spots follow the picture's placement.
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    child->update();
  }
}

void SkinPicture::Load() {
  loaded_ = State().image;
  svg_.reset();
  pixmap_ = QPixmap();
  natural_ = QSizeF();
  if (loaded_.empty()) return;
  const QString path = QtToolkit::SkinPath(loaded_);
  if (!QFile::exists(path)) return;
  if (IsSvg(path)) {
    auto svg = std::make_unique<QSvgRenderer>(path);
    if (!svg->isValid()) return;
    natural_ = svg->viewBoxF().size();
    svg_ = std::move(svg);
  } else if (pixmap_.load(path)) {
    natural_ = pixmap_.size();
  }
}

QRectF SkinPicture::PictureRect() const { return FitCentred(natural_, QRectF(rect())); }

void SkinPicture::paintEvent(QPaintEvent*) {
  const QRectF target = PictureRect();
  if (target.isEmpty()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (svg_) {
    svg_->render(&p, target);
  } else {
    p.drawPixmap(target, pixmap_, QRectF(pixmap_.rect()));
  }
}

// ---------------------------------------------------------------- MouseHotSpots

MouseHotSpots::MouseHotSpots(SkinPicture* picture) : QWidget(picture), picture_(picture) {
  // The arrow keys walk through the buttons.
  setFocusPolicy(Qt::StrongFocus);
  hover_ = new HoverTracker(
      this, [this](const QPointF& at) { return HitTest(at); }, true);
  setAttribute(Qt::WA_TranslucentBackground);
  setGeometry(picture->rect());
  picture->installEventFilter(this);
}

bool MouseHotSpots::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::Resize) setGeometry(picture_->rect());
  return false;
}

QPointF MouseHotSpots::Map(int x, int y) const {
  const QRectF target = picture_->PictureRect();
  const QSizeF natural = picture_->NaturalSize();
  if (target.isEmpty()) return {};
  return {target.left() + x * target.width() / natural.width(),
          target.top() + y * target.height() / natural.height()};
}

QPointF MouseHotSpots::DotPosition(int index) const {
  const MouseItem& item = State().mouse_items.at(index);
  return Map(item.x, item.y);
}

bool MouseHotSpots::LabelOnLeft(const MouseItem& item) {
  // The model file's direction: 1 puts the label to the right of its anchor. 0 (also what a
  // file without the attribute gives) and unknown values leave it to the geometry: the label
  // sits on the far side of its anchor, away from the button.
  if (item.direction == kDirectionRight) return false;
  return item.label_x < item.x;
}

QRectF MouseHotSpots::LabelRect(int index) const {
  const MouseItem& item = State().mouse_items.at(index);
  const QPointF anchor = Map(item.label_x, item.label_y);
  const bool left = LabelOnLeft(item);
  const qreal x = left ? anchor.x() - kLabelWidth - 4 : anchor.x() + 4;
  QRectF box(x, anchor.y() - kLabelHeight / 2, kLabelWidth, kLabelHeight);
  // Kept inside the widget when the picture is drawn small.
  box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, width() - box.width())));
  return box;
}

int MouseHotSpots::HitTest(const QPointF& point) const {
  if (picture_->PictureRect().isEmpty()) return -1;
  for (int i = 0; i < static_cast<int>(State().mouse_items.size()); ++i) {
    const QPointF d = point - DotPosition(i);
    if (d.x() * d.x() + d.y() * d.y() <= 12 * 12 || LabelRect(i).contains(point)) return i;
  }
  return -1;
}

void MouseHotSpots::paintEvent(QPaintEvent*) {
  if (picture_->PictureRect().isEmpty()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent = Accent();
  QFont name_font = p.font();
  name_font.setPixelSize(11);
  QFont desc_font = p.font();
  desc_font.setPixelSize(13);
  desc_font.setWeight(QFont::Bold);
  const auto& items = State().mouse_items;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const MouseItem& item = items[i];
    const bool selected = item.key_value == State().mouse_selected;
    const bool lit = selected || i == hover_->Index();
    const QColor line = lit ? accent : QColor(170, 176, 188);
    const QPointF dot = DotPosition(i);
    const QPointF corner = Map(item.line_x, item.line_y);
    const QPointF anchor = Map(item.label_x, item.label_y);
    p.setPen(QPen(line, lit ? 2 : 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({dot, corner, anchor}));
    p.setPen(QPen(QColor(17, 19, 23), 2));
    p.setBrush(lit ? accent : kText);
    p.drawEllipse(dot, lit ? 6 : 5, lit ? 6 : 5);

    const QRectF box = LabelRect(i);
    const bool left = LabelOnLeft(item);
    const Qt::Alignment side = (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    p.setPen(Qt::NoPen);
    p.setBrush(selected ? QColor(accent.red(), accent.green(), accent.blue(), 60)
                        : QColor(28, 31, 37, 220));
    p.drawRoundedRect(box, 6, 6);
    const QRectF inner = box.adjusted(8, 3, -8, -3);
    p.setFont(name_font);
    p.setPen(kMuted);
    p.drawText(QRectF(inner.left(), inner.top(), inner.width(), inner.height() / 2), side,
               p.fontMetrics().elidedText(Q(item.name), Qt::ElideRight, int(inner.width())));
    p.setFont(desc_font);
    p.setPen(lit ? QColor(255, 255, 255) : kText);
    QFontMetrics metrics(desc_font);
    p.drawText(QRectF(inner.left(), inner.center().y(), inner.width(), inner.height() / 2), side,
               metrics.elidedText(Q(item.description), Qt::ElideRight, int(inner.width())));
    if (selected && hasFocus()) DrawFocusRing(p, box.adjusted(-2, -2, 2, 2), 7);
  }
}

void MouseHotSpots::keyPressEvent(QKeyEvent* event) {
  const auto& items = State().mouse_items;
  int current = -1;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    if (items[i].key_value == State().mouse_selected) current = i;
  }
  const int next = ArrowStep(event->key(), current, static_cast<int>(items.size()));
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  State().mouse_selected = items[next].key_value;
  update();
  Notify(kNotifyClicked, items[next].key_value);
}

void MouseHotSpots::mousePressEvent(QMouseEvent* event) {
  const int hit = HitTest(event->position());
  if (event->button() != Qt::LeftButton || hit < 0) return;
  const int key_value = State().mouse_items[hit].key_value;
  State().mouse_selected = key_value;
  update();
  Notify(kNotifyClicked, key_value);
}

// ---------------------------------------------------------------- DeviceCards

namespace {

constexpr qreal kCardWidth = 220;
constexpr qreal kCardHeight = 280;
constexpr qreal kCardGap = 20;

void DrawLinkGlyph(QPainter& p, const QRectF& box, int mode, const QColor& colour) {
  p.save();
  p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const QPointF c = box.center();
  if (mode == 0) {
    // A plug: body, two pins and the cable.
    p.drawRoundedRect(QRectF(c.x() - 5, c.y() - 3, 10, 8), 2, 2);
    p.drawLine(QPointF(c.x() - 2.5, c.y() - 3), QPointF(c.x() - 2.5, c.y() - 7));
    p.drawLine(QPointF(c.x() + 2.5, c.y() - 3), QPointF(c.x() + 2.5, c.y() - 7));
    p.drawLine(QPointF(c.x(), c.y() + 5), QPointF(c.x(), c.y() + 8));
  } else {
    // Radio waves over a dot.
    p.setBrush(colour);
    p.drawEllipse(QPointF(c.x(), c.y() + 5), 1.6, 1.6);
    p.setBrush(Qt::NoBrush);
    for (qreal r : {5.0, 9.0}) {
      p.drawArc(QRectF(c.x() - r, c.y() + 5 - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
  }
  p.restore();
}

}  // namespace

DeviceCards::DeviceCards(QWidget* parent) : QWidget(parent) {
  // The arrow keys move between the cards, Enter or Space chooses one.
  setFocusPolicy(Qt::StrongFocus);
  hover_ = new HoverTracker(
      this, [this](const QPointF& at) { return HitTest(at); }, true);
  setMinimumHeight(int(kCardHeight) + 8);
}

void DeviceCards::StateChanged() { update(); }

QRectF DeviceCards::CardRect(int index) const {
  const int count = static_cast<int>(State().devices.size());
  const qreal total = count * kCardWidth + std::max(0, count - 1) * kCardGap;
  const qreal left = std::max<qreal>(0, (width() - total) / 2);
  // A little above the middle of the free height, so the row does not hang from the top.
  const qreal top = std::max<qreal>(4, (height() - kCardHeight) * 0.4);
  return QRectF(left + index * (kCardWidth + kCardGap), top, kCardWidth, kCardHeight);
}

int DeviceCards::HitTest(const QPointF& point) const {
  for (int i = 0; i < static_cast<int>(State().devices.size()); ++i) {
    if (CardRect(i).contains(point)) return i;
  }
  return -1;
}

void DeviceCards::DrawPicture(QPainter& p, const std::string& image, const QRectF& box) {
  const QString path = QtToolkit::SkinPath(image);
  if (image.empty() || !QFile::exists(path)) return;
  if (IsSvg(path)) {
    std::shared_ptr<QSvgRenderer>& svg = svg_cache_[image];
    if (!svg) svg = std::make_shared<QSvgRenderer>(path);
    if (svg->isValid()) svg->render(&p, FitCentred(svg->viewBoxF().size(), box));
    return;
  }
  QPixmap pixmap(path);
  if (!pixmap.isNull()) p.drawPixmap(FitCentred(pixmap.size(), box), pixmap, pixmap.rect());
}

void DeviceCards::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const QColor accent = Accent();
  const auto& devices = State().devices;
  for (int i = 0; i < static_cast<int>(devices.size()); ++i) {
    const DeviceListItem& d = devices[i];
    const QRectF card = CardRect(i);
    const bool connected = d.mode >= 0;
    p.setPen(QPen(connected ? accent : (i == hover_->Index() ? QColor(70, 76, 88) : kBorder),
                  connected ? 1.6 : 1));
    p.setBrush(i == hover_->Index() ? QColor(34, 37, 44) : kCard);
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    p.save();
    if (!connected) p.setOpacity(0.55);
    DrawPicture(p, d.image, QRectF(card.left() + 20, card.top() + 16, card.width() - 40, 160));
    p.restore();

    QFont font = p.font();
    font.setPixelSize(16);
    font.setWeight(QFont::Bold);
    p.setFont(font);
    p.setPen(kText);
    p.drawText(QRectF(card.left() + 12, card.top() + 184, card.width() - 24, 26), Qt::AlignCenter,
               Q(d.name));

    // Attachment, version and battery on one line.
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    const QRectF row(card.left() + 16, card.top() + 218, card.width() - 32, 22);
    if (connected) {
      DrawLinkGlyph(p, QRectF(row.left(), row.top(), 22, 22), d.mode, accent);
      p.setPen(kText);
      p.drawText(QRectF(row.left() + 26, row.top(), 50, row.height()),
                 Qt::AlignVCenter | Qt::AlignLeft, d.mode == 0 ? "USB" : "2.4G");
    } else {
      p.setPen(kMuted);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(row.left() + 5, row.center().y()), 3.5, 3.5);
      p.drawText(QRectF(row.left() + 16, row.top(), row.width() - 60, row.height()),
                 Qt::AlignVCenter | Qt::AlignLeft, Q(LanguageText(ui::frame::kNotConnectedText)));
    }
    if (!d.version.empty()) {
      p.setPen(kMuted);
      const QString version = QStringLiteral("v") + Q(d.version);
      p.drawText(
          row, Qt::AlignVCenter | Qt::AlignRight,
          d.version_label.empty() ? version : Q(d.version_label) + QStringLiteral(" ") + version);
    }
    if (connected && d.battery >= 0) {
      const int level = std::clamp(d.battery, 0, 100);
      const QRectF bar(card.left() + 16, card.top() + 250, card.width() - 72, 8);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(43, 47, 55));
      p.drawRoundedRect(bar, 4, 4);
      p.setBrush(level <= 15 ? QColor(235, 87, 87) : (d.charging ? QColor(76, 201, 120) : accent));
      p.drawRoundedRect(QRectF(bar.left(), bar.top(), bar.width() * level / 100.0, bar.height()), 4,
                        4);
      p.setPen(d.charging ? QColor(76, 201, 120) : kText);
      p.drawText(QRectF(bar.right() + 6, bar.top() - 6, 50, 20), Qt::AlignVCenter | Qt::AlignLeft,
                 QString("%1%%2").arg(level).arg(d.charging ? "+" : ""));
    }
    if (i == focus_index_ && hasFocus()) DrawFocusRing(p, card.adjusted(-3, -3, 3, 3), 14);
  }
}

void DeviceCards::keyPressEvent(QKeyEvent* event) {
  const int count = static_cast<int>(State().devices.size());
  if (count == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  focus_index_ = std::clamp(focus_index_, 0, count - 1);
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
    Notify(kNotifyClicked, State().devices[focus_index_].data);
    return;
  }
  const int next = ArrowStep(key, focus_index_, count);
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  focus_index_ = next;
  update();
}

void DeviceCards::mousePressEvent(QMouseEvent* event) {
  const int hit = HitTest(event->position());
  if (event->button() != Qt::LeftButton || hit < 0) return;
  Notify(kNotifyClicked, State().devices[hit].data);
}

}  // namespace ui::qt
