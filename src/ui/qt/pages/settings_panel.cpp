#include "ui/qt/frame_widgets.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Layout 245: the settings panel that replaces the tab row and pages. Its return button 246
// heads the panel; the settings' controls go below it.
void BuildSettingsPanel(PageBuilder& page) {
  QHBoxLayout* header = page.Row();
  page.Add(246, new WindowButton("img_return.png", false), header);
  header->addStretch(1);
  page.Layout()->addStretch(1);
}

}  // namespace ui::qt
