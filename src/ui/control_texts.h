// The (control, text) table of a page: which language text a control shows as its title or
// its tooltip. Each page owner declares one table; the Qt page builder takes a control's text
// from it when it creates the control, and the language switch applies the same table again,
// so a switched window reads as if it had been built in the new language.
#pragma once

#include <span>

#include "platform/language.h"

namespace ui {

class Toolkit;

enum class TextPlace { kTitle, kTooltip };

struct ControlText {
  int control;
  platform::TextId text;
  TextPlace place = TextPlace::kTitle;
};

// Sets each control's title or tooltip from the current language file.
void ApplyControlTexts(Toolkit& toolkit, std::span<const ControlText> texts);
// The current language's text of `control` at `place` in `texts`; empty when the table has no
// such row.
std::string ControlTextOf(std::span<const ControlText> texts, int control,
                          TextPlace place = TextPlace::kTitle);

}  // namespace ui
