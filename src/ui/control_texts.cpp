#include "ui/control_texts.h"

#include "ui/toolkit.h"

namespace ui {

void ApplyControlTexts(Toolkit& toolkit, std::span<const ControlText> texts) {
  for (const ControlText& t : texts) {
    if (t.place == TextPlace::kTooltip) {
      toolkit.SetTooltip(t.control, LanguageText(t.text));
    } else {
      toolkit.SetTitle(t.control, LanguageText(t.text));
    }
  }
}

std::string ControlTextOf(std::span<const ControlText> texts, int control, TextPlace place) {
  for (const ControlText& t : texts) {
    if (t.control == control && t.place == place) return LanguageText(t.text);
  }
  return {};
}

}  // namespace ui
