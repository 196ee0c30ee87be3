#include "platform/language.h"
#include "settings/settings_model.h"
#include "ui/qt/pages/dpi_level_control.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/report_rate_control.h"
#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace s = settings;

namespace {

QString T(int number) { return Q(LanguageText(number)); }

}  // namespace

// Page layout 51: the DPI levels with their slider, and the report rate.
void BuildDpiPage(PageBuilder& page) {
  QHBoxLayout* heading = nullptr;
  QFrame* levels = CardWithHeading(page, T(254), &heading);
  heading->addSpacing(12);
  heading->addWidget(new QLabel(T(255)));
  page.Combo(s::kLevelCountSelector, heading)->setMinimumWidth(72);
  HelpTip(page, s::kDpiHelpTip, T(519), heading);
  heading->addStretch(1);
  ResetButton(page, s::kSettingsResetButton, T(253), heading);

  page.Add(s::kDpiControl, new DpiLevelControl, levels->layout());

  QHBoxLayout* slider_row = page.Row(levels->layout());
  QLabel* low = page.Text(s::kDpiSliderMinLabel, QStringLiteral("50"), slider_row);
  low->setObjectName(QStringLiteral("Muted"));
  QSlider* slider = page.Slider(s::kDpiSlider, 1, s::DpiSliderSteps(0, false), slider_row);
  slider->setPageStep(20);
  QLabel* high = page.Text(s::kDpiSliderMaxLabel, QStringLiteral("26000"), slider_row);
  high->setObjectName(QStringLiteral("Muted"));
  slider_row->addSpacing(12);
  QPushButton* send = page.Button(s::kDpiSendButton, T(260), slider_row);
  send->setObjectName(QStringLiteral("PrimaryButton"));

  QHBoxLayout* rate_heading = nullptr;
  QFrame* rate = CardWithHeading(page, T(256), &rate_heading);
  HelpTip(page, s::kReportRateHelpTip, T(549), rate_heading);
  rate_heading->addStretch(1);
  ResetButton(page, s::kReportRateResetButton, T(257), rate_heading);
  QHBoxLayout* rate_row = page.Row(rate->layout());
  page.Add(s::kReportRateList, new ReportRateControl, rate_row);
  rate_row->addStretch(1);

  page.Layout()->addStretch(1);
}

}  // namespace ui::qt
