#include "ui/qt/pages/screen_widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "screen/screen_page.h"
#include "ui/manager.h"
#include "ui/qt/hover_tracker.h"
#include "ui/qt/pages/mouse_palette_dlg.h"

namespace ui::qt {
namespace {

constexpr int kThumbW = 96, kThumbH = 54, kGap = 8;

QColor Unpack(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
uint32_t Pack(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

}  // namespace

// ---------------------------------------------------------------- thumbnails

ThumbnailRow::ThumbnailRow(bool show_delays, QWidget* parent)
    : QWidget(parent), show_delays_(show_delays) {
  setMinimumHeight(kThumbH + (show_delays_ ? 22 : 8));
  setCursor(Qt::PointingHandCursor);
  // The arrow keys choose the neighbouring thumbnail; Enter edits a frame's delay.
  setFocusPolicy(Qt::StrongFocus);
}

QSize ThumbnailRow::sizeHint() const {
  const int n = std::max<int>(1, static_cast<int>(State().items.size()));
  return {n * (kThumbW + kGap) + kGap, kThumbH + (show_delays_ ? 26 : 12)};
}

void ThumbnailRow::StateChanged() {
  // Pictures are read again only when their file changed.
  const auto& items = State().items;
  std::vector<std::pair<std::string, QImage>> fresh;
  for (const auto& item : items) {
    auto it = std::find_if(cache_.begin(), cache_.end(),
                           [&](const auto& c) { return c.first == item.text; });
    if (it != cache_.end() && !show_delays_) {
      fresh.push_back(*it);
    } else {
      QImage image(Q(item.text));
      fresh.emplace_back(item.text, image.isNull()
                                        ? QImage()
                                        : image.scaled(kThumbW, kThumbH, Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation));
    }
  }
  cache_ = std::move(fresh);
  setMinimumWidth(sizeHint().width());
  updateGeometry();
  update();
}

QRect ThumbnailRow::Cell(int index) const {
  return {kGap + index * (kThumbW + kGap), 4, kThumbW, kThumbH};
}

int ThumbnailRow::IndexAt(QPoint at) const {
  for (int i = 0; i < static_cast<int>(cache_.size()); ++i) {
    if (Cell(i).adjusted(-2, -2, 2, 20).contains(at)) return i;
  }
  return -1;
}

void ThumbnailRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const auto& items = State().items;
  for (int i = 0; i < static_cast<int>(cache_.size()); ++i) {
    const QRect r = Cell(i);
    p.fillRect(r, QColor(20, 22, 28));
    if (!cache_[static_cast<size_t>(i)].second.isNull()) {
      p.drawImage(r, cache_[static_cast<size_t>(i)].second);
    }
    const bool selected = i == State().cur_sel;
    p.setPen(QPen(selected ? QColor::fromRgba(Manager::GetSelectColor()) : QColor(70, 74, 84),
                  selected ? 3 : 1));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), 3, 3);
    if (selected && hasFocus()) DrawFocusRing(p, QRectF(r.adjusted(-4, -4, 4, 4)), 5);
    if (show_delays_ && i < static_cast<int>(items.size())) {
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(QRect(r.left(), r.bottom() + 2, r.width(), 18), Qt::AlignCenter,
                 QString("%1  %2 ms").arg(i + 1).arg(items[static_cast<size_t>(i)].data));
    }
  }
}

void ThumbnailRow::mousePressEvent(QMouseEvent* event) {
  const int i = IndexAt(event->position().toPoint());
  if (i < 0) return;
  State().cur_sel = i;
  update();
  Notify(kNotifyClicked, i);
}

void ThumbnailRow::keyPressEvent(QKeyEvent* event) {
  const int count = static_cast<int>(cache_.size());
  const int key = event->key();
  const int sel = State().cur_sel;
  if (show_delays_ && (key == Qt::Key_Return || key == Qt::Key_Enter) && sel >= 0 && sel < count) {
    Notify(screen::kNotifyEditDelays, sel);  // as a double click
    return;
  }
  const int next = ArrowStep(key, sel, count);
  if (next < 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  State().cur_sel = next;
  update();
  // The chosen thumbnail scrolls into view.
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* area = qobject_cast<QScrollArea*>(w)) {
      const QRect cell = Cell(next);
      area->ensureVisible(cell.center().x(), cell.center().y(), cell.width(), cell.height());
      break;
    }
  }
  Notify(kNotifyClicked, next);
}

void ThumbnailRow::mouseDoubleClickEvent(QMouseEvent* event) {
  const int i = IndexAt(event->position().toPoint());
  if (i < 0 || !show_delays_) return;
  State().cur_sel = i;
  Notify(screen::kNotifyEditDelays, i);
}

// ---------------------------------------------------------------- the editor

PixelEditor::PixelEditor(QWidget* parent) : QWidget(parent) {
  image_.fill(Qt::black);
  original_ = image_;
  setMinimumSize(sizeHint());
  setCursor(Qt::CrossCursor);
  preview_timer_.setSingleShot(true);
  connect(&preview_timer_, &QTimer::timeout, this, [this] { NextPreviewFrame(); });
}

QRect PixelEditor::Canvas() const {
  const int fit = std::max(1, std::min((width() - 2) / 240, (height() - 2) / 135));
  const int z = zoom_ > 0 ? std::min(zoom_, fit) : fit;
  const QSize size(240 * z, 135 * z);
  return {QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

QPoint PixelEditor::ToPixel(QPointF at) const {
  const QRect c = Canvas();
  return {static_cast<int>((at.x() - c.left()) * 240 / c.width()),
          static_cast<int>((at.y() - c.top()) * 135 / c.height())};
}

void PixelEditor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(12, 13, 16));
  const QRect c = Canvas();
  const QImage& shown =
      preview_.empty() ? image_ : preview_[std::min(preview_at_, preview_.size() - 1)].second;
  p.drawImage(c, shown);
  if (grid_ && preview_.empty() && c.width() >= 480) {
    p.setPen(QColor(255, 255, 255, 40));
    const double step = c.width() / 240.0;
    for (int x = 0; x <= 240; ++x)
      p.drawLine(QPointF(c.left() + x * step, c.top()), QPointF(c.left() + x * step, c.bottom()));
    for (int y = 0; y <= 135; ++y)
      p.drawLine(QPointF(c.left(), c.top() + y * step), QPointF(c.right(), c.top() + y * step));
  }
  p.setPen(QColor(70, 74, 84));
  p.drawRect(c.adjusted(-1, -1, 0, 0));
}

void PixelEditor::Stroke(QPoint from, QPoint to) {
  QPainter p(&image_);
  const QColor colour = mode_ == screen::kEditorErase ? QColor(Qt::black) : colour_;
  p.setPen(QPen(colour, pen_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (from == to) {
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(to) + QPointF(0.5, 0.5), pen_ / 2.0, pen_ / 2.0);
  } else {
    p.drawLine(from, to);
  }
  update();
}

void PixelEditor::Finish() {
  if (!scratch_.isEmpty()) image_.save(scratch_, "PNG");
  Notify(screen::kNotifyEditFinished, 0);
}

void PixelEditor::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    Notify(screen::kNotifyEditorMenu, 0);
    return;
  }
  if (event->button() != Qt::LeftButton || !preview_.empty()) return;
  undo_.push_back(image_);
  if (undo_.size() > 50) undo_.erase(undo_.begin());
  const QPoint at = ToPixel(event->position());
  if (mode_ == screen::kEditorText) {
    QPainter p(&image_);
    QFont font = p.font();
    font.setPixelSize(text_size_);
    p.setFont(font);
    p.setPen(colour_);
    p.drawText(at, text_);
    mode_ = screen::kEditorPen;
    update();
    Finish();
    return;
  }
  drawing_ = true;
  last_ = at;
  Stroke(at, at);
}

void PixelEditor::mouseMoveEvent(QMouseEvent* event) {
  if (!drawing_) return;
  const QPoint at = ToPixel(event->position());
  Stroke(last_, at);
  last_ = at;
}

void PixelEditor::mouseReleaseEvent(QMouseEvent* event) {
  if (!drawing_ || event->button() != Qt::LeftButton) return;
  drawing_ = false;
  Finish();
}

void PixelEditor::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return QWidget::wheelEvent(event);
  const int fit = std::max(1, std::min((width() - 2) / 240, (height() - 2) / 135));
  const int now = zoom_ > 0 ? zoom_ : fit;
  zoom_ = std::clamp(now + (event->angleDelta().y() > 0 ? 1 : -1), 1, fit);
  update();
}

void PixelEditor::NextPreviewFrame() {
  if (preview_.empty()) return;
  preview_at_ = (preview_at_ + 1) % preview_.size();
  update();
  preview_timer_.start(std::max(10, preview_[preview_at_].first));
}

void PixelEditor::EditorCommand(int command, int value, const std::string& text) {
  using namespace screen;
  switch (command) {
    case kEditorShowFile: {
      QImage loaded(Q(text));
      image_ = QImage(240, 135, QImage::Format_RGB32);
      image_.fill(Qt::black);
      if (!loaded.isNull()) {
        QPainter(&image_).drawImage(QRect(0, 0, 240, 135), loaded);
      }
      original_ = image_;
      undo_.clear();
      break;
    }
    case kEditorScratchFile:
      scratch_ = Q(text);
      break;
    case kEditorGrid:
      grid_ = value != 0;
      break;
    case kEditorColour:
      colour_ = Unpack(static_cast<uint32_t>(value));
      break;
    case kEditorTextSize:
      text_size_ = std::max(1, value);
      break;
    case kEditorPenSize:
      pen_ = std::max(1, value);
      break;
    case kEditorPen:
    case kEditorErase:
      mode_ = command;
      break;
    case kEditorText:
      mode_ = kEditorText;
      text_ = Q(text);
      break;
    case kEditorZoom100:
      zoom_ = 1;
      break;
    case kEditorClear:
      undo_.push_back(image_);
      image_ = original_;
      Finish();
      break;
    case kEditorUndo:
      if (undo_.empty()) break;
      image_ = undo_.back();
      undo_.pop_back();
      Finish();
      break;
    case kEditorPreview: {
      preview_.clear();
      preview_timer_.stop();
      preview_at_ = 0;
      if (value == 0) break;
      for (const QString& line : Q(text).split('\n', Qt::SkipEmptyParts)) {
        const int tab = line.indexOf('\t');
        if (tab < 0) continue;
        QImage frame(line.mid(tab + 1));
        if (frame.isNull()) continue;
        preview_.emplace_back(line.left(tab).toInt(), frame.scaled(240, 135));
      }
      if (!preview_.empty()) preview_timer_.start(std::max(10, preview_[0].first));
      break;
    }
    default:
      break;
  }
  update();
}

// ---------------------------------------------------------------- colour wheel

PaletteControl::PaletteControl(QWidget* parent) : QWidget(parent), wheel_(new ColourWheel(this)) {
  // Room for the focus ring around the wheel; the arrow keys turn the hue (left, right) and
  // the saturation (up, down).
  setFocusPolicy(Qt::StrongFocus);
  wheel_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kRingRoom, kRingRoom, kRingRoom, kRingRoom);
  layout->addWidget(wheel_);
  connect(wheel_, &ColourWheel::Picked, this, [this](QColor colour) {
    State().colour = Pack(colour);
    Notify(kNotifyClicked, State().colour);
  });
}

void PaletteControl::StateChanged() { wheel_->ShowColour(Unpack(State().colour)); }

void PaletteControl::paintEvent(QPaintEvent*) {
  if (!hasFocus()) return;
  QPainter p(this);
  DrawFocusRing(p, QRectF(rect()), width() / 2.0);
}

void PaletteControl::keyPressEvent(QKeyEvent* event) {
  const QColor now = Unpack(State().colour);
  int hue = std::max(now.hsvHue(), 0);
  int saturation = now.hsvSaturation();
  switch (event->key()) {
    case Qt::Key_Left:
      hue = (hue + 355) % 360;
      break;
    case Qt::Key_Right:
      hue = (hue + 5) % 360;
      break;
    case Qt::Key_Up:
      saturation = std::min(255, saturation + 16);
      break;
    case Qt::Key_Down:
      saturation = std::max(0, saturation - 16);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  const QColor colour = QColor::fromHsv(hue, saturation, std::max(now.value(), 1));
  State().colour = Pack(colour);
  wheel_->ShowColour(colour);
  Notify(kNotifyClicked, State().colour);
}

}  // namespace ui::qt
