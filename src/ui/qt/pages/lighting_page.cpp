#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 53. Until its controls exist the page says so instead of standing empty.
void BuildLightingPage(PageBuilder& page) {
  page.EmptyState(Glyph::kLighting, Q(LanguageText(69)), Q(LanguageText(1905)));
}

}  // namespace ui::qt
