#include <QGridLayout>
#include <QRegularExpressionValidator>

#include "lighting/lighting.h"
#include "platform/language.h"
#include "ui/qt/pages/page_builder.h"
#include "ui/qt/pages/settings_widgets.h"

namespace ui::qt {

namespace l = lighting;

namespace {

// The hue bar (PaletteBar): a slider over the colour circle; the page logic turns its
// position into the colour.
QSlider* NewSlider(PageBuilder& page, int id, int maximum) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(0, maximum);
  return page.Toolkit().Register(id, slider);
}

QSlider* PaletteBar(PageBuilder& page, int id) {
  QSlider* bar = NewSlider(page, id, l::kPaletteMax);
  bar->setObjectName(QStringLiteral("PaletteBar"));
  bar->setStyleSheet(QStringLiteral(
      "QSlider::groove:horizontal { height: 10px; border-radius: 5px; background: "
      "qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #FF0000, stop:0.167 #FFFF00, "
      "stop:0.333 #00FF00, stop:0.5 #00FFFF, stop:0.667 #0000FF, stop:0.833 #FF00FF, "
      "stop:1 #FF0000); }"
      "QSlider::sub-page:horizontal { background: transparent; }"));
  return bar;
}

// A colour component field: commits on Enter or when left, only when its text changed since
// it was last committed or set by the program (each commit stores the colour).
QLineEdit* ComponentField(PageBuilder& page, int id, QLayout* into) {
  QLineEdit* field = page.Edit(id, QStringLiteral("255"), into);
  field->setFixedWidth(56);
  field->setAlignment(Qt::AlignCenter);
  field->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,4}")), field));
  QtToolkit* toolkit = &page.Toolkit();
  field->setProperty(kCommittedTextProperty, field->text());
  QObject::connect(field, &QLineEdit::editingFinished, field, [toolkit, field, id] {
    field->setModified(false);
    if (field->text() == field->property(kCommittedTextProperty).toString()) return;
    field->setProperty(kCommittedTextProperty, field->text());
    toolkit->Emit(id, ui::kNotifyClicked, 0);
  });
  return field;
}

}  // namespace

// Page layout 53: the effect with its brightness and speed, and its colour. Shown only for
// models with lighting (the tab follows the model).
void BuildLightingPage(PageBuilder& page) {
  QHBoxLayout* heading = nullptr;
  QFrame* effect = CardWithHeading(page, l::kHeadingText, &heading);
  heading->addSpacing(12);
  heading->addWidget(Marked(new QLabel, l::kEffectText));
  page.Combo(l::kModeSelector, heading)->setMinimumWidth(200);
  HelpTip(page, l::kHelpTip, {}, heading);
  heading->addStretch(1);
  ResetButton(page, l::kResetButton, {}, heading);

  // The sliders of the parameters the effect offers, in their own frame.
  auto* sliders = page.Add(l::kSliderFrame, new QFrame, effect->layout());
  auto* grid = new QGridLayout(sliders);
  grid->setContentsMargins(0, 6, 0, 0);
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(12);
  const std::pair<int, int> rows[] = {{l::kBrightnessLabel, l::kBrightnessSlider},
                                      {l::kSpeedLabel, l::kSpeedSlider}};
  for (int r = 0; r < 2; ++r) {
    auto* label = new QLabel;
    label->setMinimumWidth(110);
    page.Toolkit().Register(rows[r].first, label);
    grid->addWidget(label, r, 0);
    QSlider* slider = NewSlider(page, rows[r].second, l::kParameterMax);
    slider->setPageStep(16);
    grid->addWidget(slider, r, 1);
  }

  // The colour: a preview, the eight presets, the hue bar with its saturation, and R, G, B.
  QFrame* colour = page.Card(l::kColourText);
  page.Toolkit().Register(l::kColourArea, colour);
  QHBoxLayout* colour_row = page.Row(colour->layout());
  colour_row->setSpacing(24);
  auto* preview = page.Add(l::kColourPreview, new QFrame, colour_row);
  preview->setFixedSize(112, 112);
  preview->setStyleSheet(QStringLiteral("background-color: #FF0000; border-radius: 6px;"));

  auto* controls = new QVBoxLayout;
  controls->setSpacing(14);
  colour_row->addLayout(controls, 1);
  QHBoxLayout* presets = page.Row(controls);
  presets->setSpacing(10);
  for (int i = 0; i < l::kPresetCount; ++i) {
    page.ColorButton(l::kPresetFirst + i, QStringLiteral("DEFAULTCOLOR"), presets);
  }
  presets->addStretch(1);

  auto* bars = new QGridLayout;
  bars->setHorizontalSpacing(16);
  bars->setVerticalSpacing(12);
  controls->addLayout(bars);
  auto* hue_label = Marked(new QLabel, l::kColourText);
  hue_label->setMinimumWidth(110);
  bars->addWidget(hue_label, 0, 0);
  bars->addWidget(PaletteBar(page, l::kPaletteBar), 0, 1);
  auto* saturation_label = Marked(new QLabel, l::kSaturationText);
  bars->addWidget(saturation_label, 1, 0);
  bars->addWidget(NewSlider(page, l::kSaturationSlider, l::kSaturationMax), 1, 1);

  QHBoxLayout* fields = page.Row(controls);
  fields->setSpacing(8);
  const std::pair<const char*, int> components[] = {
      {"R", l::kRedField}, {"G", l::kGreenField}, {"B", l::kBlueField}};
  for (const auto& [name, id] : components) {
    page.Label(QString::fromLatin1(name), fields);
    ComponentField(page, id, fields);
    fields->addSpacing(10);
  }
  fields->addStretch(1);

  page.Layout()->addStretch(1);
  page.ApplyTexts(l::kPageTexts);
}

}  // namespace ui::qt
