#include "ui/qt/frame_widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/device_link_window.h"
#include "platform/language.h"
#include "ui/frame_controls.h"
#include "ui/manager.h"
#include "ui/qt/hover_tracker.h"

namespace ui::qt {
namespace {

QColor Accent() { return QColor::fromRgba(Manager::GetSelectColor()); }

const QColor kText(226, 229, 236);
const QColor kMuted(132, 138, 152);

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

Glyph GlyphForImage(const std::string& image) {
  if (Contains(image, "close")) return Glyph::kClose;
  if (Contains(image, "restore")) return Glyph::kRestore;
  if (Contains(image, "maximize")) return Glyph::kMaximize;
  if (Contains(image, "sysbtn_min")) return Glyph::kMinimize;
  if (Contains(image, "setting")) return Glyph::kSettings;
  if (Contains(image, "return")) return Glyph::kBack;
  if (Contains(image, "tab_home")) return Glyph::kHome;
  if (Contains(image, "tab_key")) return Glyph::kKeys;
  if (Contains(image, "tab_dpi")) return Glyph::kDpi;
  if (Contains(image, "tab_light")) return Glyph::kLighting;
  if (Contains(image, "tab_tft")) return Glyph::kScreen;
  if (Contains(image, "tab_macro")) return Glyph::kMacro;
  if (Contains(image, "tab_set")) return Glyph::kPerformance;
  return Glyph::kNone;
}

void DrawGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = std::min(box.width(), box.height());
  const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
  QPen pen(colour, std::max<qreal>(1.4, s / 12.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const QPointF c = r.center();
  auto at = [&](qreal fx, qreal fy) { return QPointF(r.left() + fx * s, r.top() + fy * s); };
  switch (glyph) {
    case Glyph::kNone:
      break;
    case Glyph::kClose:
      p.drawLine(at(0.3, 0.3), at(0.7, 0.7));
      p.drawLine(at(0.7, 0.3), at(0.3, 0.7));
      break;
    case Glyph::kMinimize:
      p.drawLine(at(0.3, 0.5), at(0.7, 0.5));
      break;
    case Glyph::kMaximize:
      p.drawRoundedRect(QRectF(at(0.3, 0.3), at(0.7, 0.7)), s * 0.04, s * 0.04);
      break;
    case Glyph::kRestore:
      p.drawRoundedRect(QRectF(at(0.28, 0.38), at(0.62, 0.72)), s * 0.04, s * 0.04);
      p.drawPolyline(QPolygonF(
          {at(0.38, 0.38), at(0.38, 0.28), at(0.72, 0.28), at(0.72, 0.62), at(0.62, 0.62)}));
      break;
    case Glyph::kSettings: {
      const qreal outer = s * 0.24, inner = s * 0.17;
      QPainterPath gear;
      for (int i = 0; i < 16; ++i) {
        const qreal a = i * M_PI / 8;
        const qreal rad = (i % 2 == 0) ? outer : inner;
        const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
        i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
      }
      gear.closeSubpath();
      p.drawPath(gear);
      p.drawEllipse(c, s * 0.07, s * 0.07);
      break;
    }
    case Glyph::kBack:
      p.drawPolyline(QPolygonF({at(0.5, 0.3), at(0.3, 0.5), at(0.5, 0.7)}));
      p.drawLine(at(0.3, 0.5), at(0.72, 0.5));
      break;
    case Glyph::kHome:
      p.drawPolyline(QPolygonF({at(0.22, 0.5), at(0.5, 0.25), at(0.78, 0.5)}));
      p.drawPolyline(QPolygonF({at(0.3, 0.44), at(0.3, 0.76), at(0.7, 0.76), at(0.7, 0.44)}));
      p.drawLine(at(0.5, 0.6), at(0.5, 0.76));
      break;
    case Glyph::kKeys:  // a mouse outline with its button split
      p.drawRoundedRect(QRectF(at(0.3, 0.2), at(0.7, 0.8)), s * 0.2, s * 0.2);
      p.drawLine(at(0.5, 0.2), at(0.5, 0.44));
      p.drawLine(at(0.3, 0.44), at(0.7, 0.44));
      break;
    case Glyph::kDpi:  // a gauge
      p.drawArc(QRectF(at(0.2, 0.28), at(0.8, 0.88)), 0 * 16, 180 * 16);
      p.drawLine(at(0.5, 0.58), at(0.66, 0.4));
      p.drawLine(at(0.2, 0.58), at(0.8, 0.58));
      break;
    case Glyph::kLighting:  // a bulb with rays
      p.drawEllipse(QRectF(at(0.36, 0.3), at(0.64, 0.58)));
      p.drawLine(at(0.44, 0.66), at(0.56, 0.66));
      p.drawLine(at(0.46, 0.74), at(0.54, 0.74));
      p.drawLine(at(0.5, 0.14), at(0.5, 0.2));
      p.drawLine(at(0.24, 0.44), at(0.18, 0.44));
      p.drawLine(at(0.76, 0.44), at(0.82, 0.44));
      break;
    case Glyph::kScreen:
      p.drawRoundedRect(QRectF(at(0.2, 0.28), at(0.8, 0.66)), s * 0.04, s * 0.04);
      p.drawLine(at(0.4, 0.76), at(0.6, 0.76));
      p.drawLine(at(0.5, 0.66), at(0.5, 0.76));
      break;
    case Glyph::kMacro:  // a record mark inside a ring
      p.drawEllipse(c, s * 0.26, s * 0.26);
      p.setBrush(colour);
      p.drawEllipse(c, s * 0.09, s * 0.09);
      break;
    case Glyph::kPerformance:  // sliders
      for (int i = 0; i < 3; ++i) {
        const qreal y = 0.3 + i * 0.2;
        p.drawLine(at(0.22, y), at(0.78, y));
        p.setBrush(colour);
        p.drawEllipse(at(i == 1 ? 0.62 : 0.38, y), s * 0.05, s * 0.05);
        p.setBrush(Qt::NoBrush);
      }
      break;
    case Glyph::kImport:  // an arrow down into a tray
    case Glyph::kExport:  // an arrow up out of a tray
      p.drawPolyline(QPolygonF({at(0.22, 0.6), at(0.22, 0.78), at(0.78, 0.78), at(0.78, 0.6)}));
      p.drawLine(at(0.5, 0.18), at(0.5, 0.62));
      if (glyph == Glyph::kImport) {
        p.drawPolyline(QPolygonF({at(0.34, 0.46), at(0.5, 0.62), at(0.66, 0.46)}));
      } else {
        p.drawPolyline(QPolygonF({at(0.34, 0.34), at(0.5, 0.18), at(0.66, 0.34)}));
      }
      break;
  }
  p.restore();
}

ConnectionLabel::ConnectionLabel(QWidget* parent) : QLabel(parent) {
  setObjectName("ConnectionLabel");
}

void ConnectionLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (text().isEmpty()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QString shown = text();
  const auto reads = [&shown](platform::TextId text) { return shown == Q(LanguageText(text)); };
  // A mouse that is there but refused is a problem to fix, not an absence.
  const bool refused = reads(app::kNoPermissionLabelText) || reads(app::kInUseLabelText) ||
                       reads(app::kCannotOpenLabelText);
  const bool connected = !refused && !reads(frame::kNotConnectedText);
  const QColor dot = connected ? QColor(76, 201, 120)
                     : refused ? QColor(240, 164, 48)
                               : QColor(132, 138, 152);
  const QPointF centre(15, height() / 2.0);
  if (connected || refused) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(dot.red(), dot.green(), dot.blue(), 60));
    p.drawEllipse(centre, 6, 6);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(dot);
  p.drawEllipse(centre, 3.5, 3.5);
}

QIcon GlyphIcon(Glyph glyph, int size) {
  QIcon icon;
  for (const auto& [mode, colour] :
       {std::pair{QIcon::Normal, kText}, std::pair{QIcon::Active, QColor(Qt::white)},
        std::pair{QIcon::Disabled, QColor(92, 97, 108)}}) {
    QPixmap pixmap(size * 2, size * 2);  // drawn at twice the size, for high-density screens
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    DrawGlyph(p, QRectF(0, 0, size, size), glyph, colour);
    p.end();
    icon.addPixmap(pixmap, mode);
  }
  return icon;
}

QPixmap LogoPixmap(int size, const QString& caption) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(0, 0, size, size);
  gradient.setColorAt(0, Accent().lighter(125));
  gradient.setColorAt(1, Accent().darker(130));
  p.setPen(Qt::NoPen);
  p.setBrush(gradient);
  p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.26, size * 0.26);
  QFont font = p.font();
  font.setBold(true);
  font.setPixelSize(size * 0.56);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, caption.left(1).toUpper());
  return pixmap;
}

// ---------------------------------------------------------------- WindowButton

WindowButton::WindowButton(const std::string& image, bool danger, QWidget* parent)
    : QAbstractButton(parent), danger_(danger) {
  State().image = image;
  setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::TabFocus);
  setFixedSize(sizeHint());
  hover_ = new HoverTracker(this, [](const QPointF&) { return 0; });
}

void WindowButton::SetActive(bool active) {
  active_ = active;
  update();
}

void WindowButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (active_ && !(hover_->Is(0) && danger_)) {
    const QColor accent = Accent();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(accent.red(), accent.green(), accent.blue(), 46));
    p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 6, 6);
    DrawGlyph(p, QRectF(rect()).adjusted(10, 6, -10, -6), GlyphForImage(State().image), accent);
    return;
  }
  if (hover_->Is(0) || isDown()) {
    QColor back = danger_ ? QColor(232, 17, 35) : QColor(255, 255, 255, isDown() ? 36 : 22);
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 6, 6);
  }
  const QColor colour = (hover_->Is(0) && danger_) ? Qt::white : (isEnabled() ? kText : kMuted);
  DrawGlyph(p, QRectF(rect()).adjusted(10, 6, -10, -6), GlyphForImage(State().image), colour);
  if (hasFocus()) DrawFocusRing(p, QRectF(rect()).adjusted(2, 2, -2, -2), 6);
}

// ---------------------------------------------------------------- TabRow

TabRow::TabRow(QWidget* parent) : QWidget(parent) {
  // The arrow keys choose the neighbouring tab, as in any tab bar.
  setFocusPolicy(Qt::StrongFocus);
  hover_ = new HoverTracker(this, [this](const QPointF& at) {
    for (const auto& [box, position] : TabRects()) {
      if (box.contains(at)) return position;
    }
    return -1;
  });
  setMinimumHeight(54);
  setCursor(Qt::PointingHandCursor);
}

void TabRow::StateChanged() {
  updateGeometry();
  update();
}

QFont TabRow::TabFont(bool selected) const {
  QFont f = font();
  f.setPixelSize(14);
  f.setBold(selected);
  return f;
}

std::vector<std::pair<QRectF, int>> TabRow::TabRects() const {
  std::vector<std::pair<QRectF, int>> out;
  const auto& tabs = State().tabs;
  // Each tab as wide as its icon and bold title (so selecting one moves nothing), at least
  // 96 px; squeezed evenly when the row is too narrow.
  const QFontMetricsF metrics(TabFont(true));
  std::vector<qreal> widths;
  qreal total = 0;
  for (const auto& t : tabs) {
    const qreal w =
        t.visible ? std::max<qreal>(96, 40 + metrics.horizontalAdvance(Q(t.title)) + 20) : 0;
    widths.push_back(w);
    total += w;
  }
  constexpr qreal kGap = 6;
  constexpr qreal kMargin = 24;
  int visible = 0;
  for (const auto& t : tabs) visible += t.visible ? 1 : 0;
  if (visible == 0) return out;
  const qreal room = width() - 2 * kMargin - (visible - 1) * kGap;
  const qreal scale = total > room && total > 0 ? room / total : 1.0;
  qreal x = kMargin;
  for (size_t i = 0; i < tabs.size(); ++i) {
    if (!tabs[i].visible) continue;
    const qreal w = widths[i] * scale;
    out.emplace_back(QRectF(x, 6, w, height() - 12), static_cast<int>(i));
    x += w + kGap;
  }
  return out;
}

void TabRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor accent = Accent();
  for (const auto& [box, position] : TabRects()) {
    const TabItem& tab = State().tabs[position];
    const bool selected = position == State().tab_selected;
    if (selected || position == hover_->Index()) {
      p.setPen(Qt::NoPen);
      p.setBrush(selected ? QColor(accent.red(), accent.green(), accent.blue(), 38)
                          : QColor(255, 255, 255, 14));
      p.drawRoundedRect(box, 10, 10);
    }
    if (selected) {
      p.setBrush(accent);
      p.drawRoundedRect(QRectF(box.left() + 14, box.bottom() - 3, box.width() - 28, 3), 1.5, 1.5);
    }
    const QColor colour = selected ? accent : (position == hover_->Index() ? kText : kMuted);
    const QRectF icon(box.left() + 12, box.center().y() - 11, 22, 22);
    DrawGlyph(p, icon, GlyphForImage(tab.image), colour);
    p.setPen(selected ? kText : colour);
    const QFont font = TabFont(selected);
    p.setFont(font);
    p.drawText(box.adjusted(40, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QFontMetrics(font).elidedText(Q(tab.title), Qt::ElideRight, int(box.width() - 46)));
    if (selected && hasFocus()) DrawFocusRing(p, box, 10);
  }
}

void TabRow::keyPressEvent(QKeyEvent* event) {
  const auto& tabs = State().tabs;
  const int next = ArrowStep(event->key(), State().tab_selected, static_cast<int>(tabs.size()),
                             [&tabs](int i) { return tabs[static_cast<size_t>(i)].visible; });
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  State().tab_selected = next;
  update();
  Notify(kNotifyClicked, next);
}

void TabRow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (const auto& [box, position] : TabRects()) {
    if (!box.contains(event->position())) continue;
    State().tab_selected = position;
    update();
    Notify(kNotifyClicked, position);
    return;
  }
}

// ---------------------------------------------------------------- SwitchButton

SwitchButton::SwitchButton(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFixedSize(sizeHint());
}

void SwitchButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF track = QRectF(rect()).adjusted(1, 2, -1, -2);
  p.setPen(Qt::NoPen);
  p.setBrush(isChecked() ? Accent() : QColor(58, 62, 72));
  if (!isEnabled()) p.setOpacity(0.45);
  p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  const qreal d = track.height() - 4;
  const qreal x = isChecked() ? track.right() - d - 2 : track.left() + 2;
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(x, track.top() + 2, d, d));
  p.setOpacity(1);
  if (hasFocus()) DrawFocusRing(p, QRectF(rect()), rect().height() / 2.0);
}

// ---------------------------------------------------------------- ColorSwatch

ColorSwatch::ColorSwatch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFixedSize(sizeHint());
}

void ColorSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const uint32_t c = State().colour;
  const QRectF box = QRectF(rect()).adjusted(4, 4, -4, -4);
  if (isChecked()) {
    p.setPen(QPen(kText, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  p.setBrush(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
  p.drawEllipse(box);
  if (hasFocus()) DrawFocusRing(p, QRectF(rect()), rect().width() / 2.0);
}

// ---------------------------------------------------------------- BatteryGauge

BatteryGauge::BatteryGauge(QWidget* parent) : QWidget(parent) { setFixedSize(sizeHint()); }

void BatteryGauge::paintEvent(QPaintEvent*) {
  const int percent = State().battery;
  if (percent < 0) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF body(2, 7, 30, 15);
  p.setPen(QPen(kMuted, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(body, 3, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(kMuted);
  p.drawRoundedRect(QRectF(body.right() + 1, 11, 2.5, 7), 1, 1);
  const int level = std::clamp(percent, 0, 100);
  QColor fill =
      level <= 15 ? QColor(235, 87, 87) : (State().charging ? QColor(76, 201, 120) : kText);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(body.left() + 2.5, body.top() + 2.5, (body.width() - 5) * level / 100.0,
                           body.height() - 5),
                    1.5, 1.5);
  if (State().charging) {
    // A bolt beside the level text.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(76, 201, 120));
    const qreal x = width() - 14;
    p.drawPolygon(QPolygonF({{x + 6, 6},
                             {x, 15.5},
                             {x + 4.5, 15.5},
                             {x + 3, 23},
                             {x + 10, 12.5},
                             {x + 5.5, 12.5},
                             {x + 7.5, 6}}));
  }
  p.setPen(kText);
  QFont font = p.font();
  font.setPixelSize(13);
  p.setFont(font);
  p.drawText(QRectF(40, 0, width() - 56, height()), Qt::AlignVCenter | Qt::AlignLeft,
             QString("%1%").arg(level));
}

}  // namespace ui::qt
