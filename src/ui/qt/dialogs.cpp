#include "ui/qt/dialogs.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/language.h"
#include "ui/manager.h"
#include "ui/qt/custom_control.h"
#include "ui/toolkit.h"

namespace ui::qt {
namespace {

void CentreOver(QWidget* dialog, QWidget* owner) {
  if (owner && owner->isVisible()) {
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    dialog->move(centre - QPoint(dialog->width() / 2, dialog->height() / 2));
  }
}

QColor Accent() { return QColor::fromRgba(Manager::GetSelectColor()); }

}  // namespace

MessageBox::MessageBox(QWidget* owner, const QString& title, const QString& message, int style)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      style_(style) {
  setObjectName("MessageBox");
  setWindowTitle("MessageBox");
  setFixedSize(kWidth, kHeight);
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 20);
  auto* title_label = new QLabel(title, this);
  title_label->setObjectName("MessageTitle");
  title_label->setProperty("controlId", 31);
  auto* text = new QLabel(message, this);
  text->setObjectName("MessageText");
  text->setProperty("controlId", 32);
  text->setAlignment(Qt::AlignCenter);
  text->setWordWrap(true);
  layout->addWidget(title_label);
  layout->addWidget(text, 1);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  auto add_button = [&](int control, const QString& label, int result, bool primary) {
    auto* b = new QPushButton(label, this);
    b->setObjectName(primary ? "PrimaryButton" : "SecondaryButton");
    b->setProperty("controlId", control);
    b->setMinimumSize(110, 34);
    connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
    buttons->addWidget(b);
    return b;
  };
  if (style == kStyleOk) {
    add_button(33, Q(LanguageText(kMessageOkText)), kResultOk, true)->setDefault(true);
  } else if (style == kStyleOkCancel) {
    add_button(33, Q(LanguageText(kConfirmOkText)), kResultOk, true)->setDefault(true);
    add_button(34, Q(LanguageText(kConfirmCancelText)), kResultCancel, false);
  }
  buttons->addStretch(1);
  layout->addLayout(buttons);
}

int MessageBox::Run() {
  QWidget* owner = parentWidget();
  adjustSize();
  setFixedSize(kWidth, kHeight);
  if (owner && owner->isVisible()) {
    CentreOver(this, owner);
  } else if (screen()) {
    move(screen()->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
  }
  const int result = exec();
  return result == kResultCancel ? kResultCancel : kResultOk;
}

void MessageBox::reject() { done(style_ == kStyleOk ? kResultOk : kResultCancel); }

WaitDialog::WaitDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      spin_(new QTimer(this)) {
  setObjectName("WaitDlg");
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(102, 102);
  setModal(true);
  connect(spin_, &QTimer::timeout, this, [this] {
    angle_ = (angle_ + 30) % 360;
    update();
  });
}

void WaitDialog::showEvent(QShowEvent* event) {
  CentreOver(this, parentWidget());
  spin_->start(80);
  QDialog::showEvent(event);
}

void WaitDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(24, 26, 31, 235));
  p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 14, 14);
  const QPointF centre = QRectF(rect()).center();
  const QColor accent = Accent();
  for (int i = 0; i < 12; ++i) {
    QColor dot = accent;
    dot.setAlphaF(0.15 + 0.85 * ((12 - i) % 12) / 12.0);
    p.save();
    p.translate(centre);
    p.rotate(angle_ - i * 30);
    p.setBrush(dot);
    p.drawRoundedRect(QRectF(-3, -34, 6, 14), 3, 3);
    p.restore();
  }
}

ProgressDialog::ProgressDialog(QWidget* owner, bool with_bar, bool cancellable)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      bar_(new QProgressBar(this)),
      cancellable_(cancellable) {
  setObjectName("ProgressDlg");
  setModal(true);
  setFixedSize(with_bar ? 360 : 102, with_bar ? 120 : 102);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, with_bar ? 12 : 24, 24, 24);
  if (with_bar) {
    auto* top = new QHBoxLayout;
    text_ = new QLabel(Q(LanguageText(kLoadingText)), this);
    top->addWidget(text_, 1);
    auto* close = new QPushButton(QString::fromUtf8("\u2715"), this);
    close->setFlat(true);
    close->setFixedSize(24, 24);
    connect(close, &QPushButton::clicked, this, &ProgressDialog::CloseClicked);
    top->addWidget(close);
    layout->addLayout(top);
  }
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setVisible(with_bar);
  if (!with_bar) bar_->setRange(0, 0);  // indeterminate
  layout->addWidget(bar_);
  if (cancellable) {
    setFixedSize(360, 160);
    auto* cancel = new QPushButton(Q(LanguageText(kConfirmCancelText)), this);
    cancel->setObjectName("ProgressCancel");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(cancel, 0, Qt::AlignRight);
  }
}

void ProgressDialog::SetProgress(int percent) { bar_->setValue(percent); }

void ProgressDialog::SetText(const QString& text) {
  if (text_) text_->setText(text);
}

std::optional<DelayChoice> LCDDelayEditDlg::Ask(QWidget* owner, const QString& title,
                                                int frame_delay) {
  QDialog dialog(owner, Qt::Dialog);
  dialog.setObjectName("LCDDelayEditDlg");
  dialog.setWindowTitle(title);
  dialog.setFixedSize(300, 200);
  auto* layout = new QVBoxLayout(&dialog);
  auto* heading = new QLabel(title, &dialog);
  layout->addWidget(heading);
  auto* group = new QButtonGroup(&dialog);  // "DELAYTIME_TYPE"
  auto row = [&](platform::DialogTextId text, const QString& value, bool checked) {
    auto* line = new QHBoxLayout;
    auto* radio = new QRadioButton(Q(LanguageText(text)), &dialog);
    radio->setChecked(checked);
    group->addButton(radio);
    auto* field = new QLineEdit(value, &dialog);
    field->setValidator(new QIntValidator(0, 100000, field));
    field->setMaximumWidth(80);
    line->addWidget(radio, 1);
    line->addWidget(field);
    line->addWidget(new QLabel("ms", &dialog));
    layout->addLayout(line);
    return std::pair{radio, field};
  };
  auto [one, one_field] = row(kDelaySelectedFrameText, QString::number(frame_delay), true);
  auto [all, all_field] = row(kDelayAllFramesText, "50", false);
  (void)one;
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(Q(LanguageText(kDelayOkText)), &dialog);
  auto* cancel = new QPushButton(Q(LanguageText(kDelayCancelText)), &dialog);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  CentreOver(&dialog, owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const bool every = all->isChecked();
  return DelayChoice{every, U((every ? all_field : one_field)->text())};
}

void ProgressDialog::showEvent(QShowEvent* event) {
  CentreOver(this, parentWidget());
  QDialog::showEvent(event);
}

}  // namespace ui::qt
