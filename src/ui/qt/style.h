// The window's look: a dark style sheet with the theme colour as accent.
#pragma once

#include <QColor>
#include <QString>

namespace ui::qt {

QString StyleSheet(const QColor& accent);

}  // namespace ui::qt
