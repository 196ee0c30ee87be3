#include "platform/language.h"
#include "ui/qt/model_widgets.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

// Page layout 50: the model's button layout picture (63) with the button hot-spots (92) over
// it on the left; the function controls of the selected button go on the right. Until those
// exist, the right-hand card says so.
void BuildButtonPage(PageBuilder& page) {
  QHBoxLayout* row = page.Row();
  QFrame* picture_card = page.Card({}, row);
  auto* picture =
      page.Add(63, new SkinPicture("device/img_mouse_layout.png"), picture_card->layout());
  page.Toolkit().Register(92, new MouseHotSpots(picture));
  page.EmptyState(Glyph::kKeys, Q(LanguageText(1908)), Q(LanguageText(1909)), row);
  row->setStretch(0, 3);
  row->setStretch(1, 2);
}

}  // namespace ui::qt
