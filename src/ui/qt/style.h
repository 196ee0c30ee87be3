// The window's look: a dark style sheet with the theme colour as accent.
#pragma once

#include <QColor>
#include <QString>

namespace ui::qt {

// skin_dir: the skin folder (for the few images the sheet uses), without a trailing '/'.
QString StyleSheet(const QColor& accent, const QString& skin_dir);

// The application's font: a Latin family first, then Simplified Chinese families by fallback
// (whichever is installed draws the Chinese glyphs; none is required).
void SetApplicationFont();

}  // namespace ui::qt
