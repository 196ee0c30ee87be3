#include "platform/language.h"
#include "settings/settings_model.h"
#include "settings/settings_page.h"
#include "ui/qt/pages/dpi_level_control.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/report_rate_control.h"
#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace s = settings;

// Page layout 51: the DPI levels with their slider, and the report rate.
void BuildDpiPage(PageBuilder& page) {
  QHBoxLayout* heading = nullptr;
  QFrame* levels = CardWithHeading(page, s::kDpiLevelsHeadingText, &heading);
  heading->addSpacing(12);
  heading->addWidget(Marked(new QLabel, s::kLevelCountText));
  page.Combo(s::kLevelCountSelector, heading)->setMinimumWidth(72);
  HelpTip(page, s::kDpiHelpTip, {}, heading);
  heading->addStretch(1);
  ResetButton(page, s::kSettingsResetButton, {}, heading);

  page.Add(s::kDpiControl, new DpiLevelControl, levels->layout());

  QHBoxLayout* slider_row = page.Row(levels->layout());
  QLabel* low = page.Text(s::kDpiSliderMinLabel, QStringLiteral("50"), slider_row);
  low->setObjectName(QStringLiteral("Muted"));
  QSlider* slider = page.Slider(s::kDpiSlider, 1, s::DpiSliderSteps(0, false), slider_row);
  slider->setPageStep(20);
  QLabel* high = page.Text(s::kDpiSliderMaxLabel, QStringLiteral("26000"), slider_row);
  high->setObjectName(QStringLiteral("Muted"));
  slider_row->addSpacing(12);
  QPushButton* send = page.Button(s::kDpiSendButton, {}, slider_row);
  send->setObjectName(QStringLiteral("PrimaryButton"));

  QHBoxLayout* rate_heading = nullptr;
  QFrame* rate = CardWithHeading(page, s::kReportRateHeadingText, &rate_heading);
  HelpTip(page, s::kReportRateHelpTip, {}, rate_heading);
  rate_heading->addStretch(1);
  ResetButton(page, s::kReportRateResetButton, {}, rate_heading);
  QHBoxLayout* rate_row = page.Row(rate->layout());
  page.Add(s::kReportRateList, new ReportRateControl, rate_row);
  rate_row->addStretch(1);

  page.Layout()->addStretch(1);
  page.ApplyTexts(s::kDpiPageTexts);
}

}  // namespace ui::qt
