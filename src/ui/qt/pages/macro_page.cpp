#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 52. Until its controls exist the page says so instead of standing empty.
void BuildMacroPage(PageBuilder& page) {
  page.EmptyState(Glyph::kMacro, Q(LanguageText(68)), Q(LanguageText(1907)));
}

}  // namespace ui::qt
