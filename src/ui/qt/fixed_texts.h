// Texts of widgets without a control number (card headings, captions in front of controls,
// placeholders): each is marked with its language text, so a language switch sets it again.
#pragma once

#include <QString>
#include <QWidget>

#include "platform/language.h"

namespace ui::qt {

// The current language's text.
QString T(platform::TextId text);

// Gives `widget` (a label, a button, a line edit's placeholder or a progress bar's format
// before its percentage) the text now and after every language switch.
void MarkText(QWidget* widget, platform::TextId text);
template <class W>
W* Marked(W* widget, platform::TextId text) {
  MarkText(widget, text);
  return widget;
}

// Sets every marked text under `root` again from the current language file.
void ReapplyMarkedTexts(QWidget* root);

}  // namespace ui::qt
