#include "app/settings_panel.h"

#include <QGridLayout>

#include "platform/language.h"
#include "ui/qt/frame_widgets.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {

namespace {

namespace p = app::panel;

// A card whose heading is a numbered control, so a language switch reaches it.
QFrame* NumberedCard(PageBuilder& page, int heading_id, QLayout* into) {
  QFrame* card = page.Card({}, into);
  QLabel* title = page.Text(heading_id, {}, card->layout());
  title->setObjectName(QStringLiteral("CardTitle"));
  return card;
}

// CTextButton: a flat button that reads as a link in the theme colour.
QPushButton* LinkButton(PageBuilder& page, int id, QLayout* into) {
  QPushButton* link = page.Button(id, {}, into);
  link->setObjectName(QStringLiteral("LinkButton"));
  link->setFlat(true);
  link->setCursor(Qt::PointingHandCursor);
  return link;
}

}  // namespace

// Layout 245: the settings panel that replaces the tab row and pages. Its return button 246
// heads the panel beside the panel's title; the choices sit in cards like the pages' own.
void BuildSettingsPanel(PageBuilder& page) {
  QHBoxLayout* header = page.Row();
  header->setSpacing(8);
  page.Add(246, new WindowButton("img_return.png", false), header);
  QLabel* title = page.Text(p::kTitle, {}, header);
  title->setObjectName("PageTitle");
  header->addStretch(1);

  QHBoxLayout* top = page.Row();
  QFrame* language = NumberedCard(page, p::kLanguageCaption, top);
  page.Combo(p::kLanguage, language->layout())->setMinimumWidth(180);

  QFrame* startup = NumberedCard(page, p::kStartupCaption, top);
  page.Check(p::kAutorun, {}, startup->layout());
  page.Check(p::kAutorunMinimize, {}, startup->layout());

  QFrame* closing = NumberedCard(page, p::kCloseCaption, top);
  page.Radio(p::kHideToTray, {}, QString::fromLatin1(p::kGroupExitMode), closing->layout());
  page.Radio(p::kExitOnClose, {}, QString::fromLatin1(p::kGroupExitMode), closing->layout());
  for (int i = 0; i < 3; ++i) top->setStretch(i, 1);

  QHBoxLayout* bottom = page.Row();
  QFrame* firmware = NumberedCard(page, p::kFirmwareCaption, bottom);
  QHBoxLayout* firmware_row = page.Row(firmware->layout());
  page.Button(p::kFirmwareCheck, {}, firmware_row);
  firmware_row->addStretch(1);

  QFrame* links = NumberedCard(page, p::kLinksCaption, bottom);
  QHBoxLayout* link_row = page.Row(links->layout());
  LinkButton(page, p::kWebsite, link_row);
  LinkButton(page, p::kFeedback, link_row);
  LinkButton(page, p::kQuestions, link_row);
  link_row->addStretch(1);
  bottom->setStretch(0, 1);
  bottom->setStretch(1, 2);

  page.Layout()->addStretch(1);
  page.ApplyTexts(p::kPanelTexts);
}

}  // namespace ui::qt
