#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 55. Until its controls exist the page says so instead of standing empty.
void BuildScreenPage(PageBuilder& page) {
  page.EmptyState(Glyph::kScreen, Q(LanguageText(71)), Q(LanguageText(1906)));
}

}  // namespace ui::qt
