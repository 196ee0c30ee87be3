#include "ui/qt/fixed_texts.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace ui::qt {
namespace {

constexpr char kTextProperty[] = "languageText";

void Show(QWidget* widget, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setPlaceholderText(text);
  } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
    bar->setFormat(text + QStringLiteral("  %p%"));
  }
}

}  // namespace

QString T(platform::TextId text) { return QString::fromStdString(LanguageText(text)); }

void MarkText(QWidget* widget, platform::TextId text) {
  if (!widget) return;
  widget->setProperty(kTextProperty, text.number);
  Show(widget, T(text));
}

void ReapplyMarkedTexts(QWidget* root) {
  if (!root) return;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    const QVariant number = w->property(kTextProperty);
    if (number.isValid()) Show(w, T(platform::TextId{number.toInt()}));
  }
}

}  // namespace ui::qt
