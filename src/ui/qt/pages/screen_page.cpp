#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 55.
void BuildScreenPage(PageBuilder& page) { page.Layout()->addStretch(1); }

}  // namespace ui::qt
