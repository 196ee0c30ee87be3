// Small pieces shared by the DPI page and the performance page.
#pragma once

#include <QLabel>
#include <QString>
#include <QToolButton>

#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// CHelpButton: a round "?" whose tooltip carries the help text.
QToolButton* HelpTip(PageBuilder& page, int id, const QString& text, QLayout* into);
// CImageButton with the reset glyph.
QToolButton* ResetButton(PageBuilder& page, int id, const QString& tip, QLayout* into);
// A card whose heading row can hold controls: returns the card; `heading_row` gets the row.
QFrame* CardWithHeading(PageBuilder& page, platform::TextId heading, QHBoxLayout** heading_row,
                        QLayout* into = nullptr);

}  // namespace ui::qt
