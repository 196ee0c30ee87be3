#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 49.
void BuildHomePage(PageBuilder& page) { page.Layout()->addStretch(1); }

}  // namespace ui::qt
