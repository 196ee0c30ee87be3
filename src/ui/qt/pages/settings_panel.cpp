#include "platform/language.h"
#include "ui/qt/frame_widgets.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Layout 245: the settings panel that replaces the tab row and pages. Its return button 246
// heads the panel beside the panel's title; until the settings' controls exist, a card below
// says so.
void BuildSettingsPanel(PageBuilder& page) {
  QHBoxLayout* header = page.Row();
  header->setSpacing(8);
  page.Add(246, new WindowButton("img_return.png", false), header);
  auto* title = page.Label(Q(LanguageText(1903)), header);
  title->setObjectName("PageTitle");
  header->addStretch(1);
  page.EmptyState(Glyph::kSettings, {}, Q(LanguageText(1904)));
}

}  // namespace ui::qt
