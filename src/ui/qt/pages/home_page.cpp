#include <QEvent>
#include <QLabel>

#include "platform/language.h"
#include "ui/frame_controls.h"
#include "ui/qt/model_widgets.h"
#include "ui/qt/pages/page_builder.h"

namespace ui::qt {
namespace {

// Shows and hides a widget with another one: the model area goes away with its picture area,
// so the device list gets the whole page.
class FollowVisibility : public QObject {
 public:
  FollowVisibility(QWidget* leader, QWidget* follower) : QObject(leader), follower_(follower) {
    leader->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent) follower_->setVisible(true);
    if (event->type() == QEvent::HideToParent) follower_->setVisible(false);
    return false;
  }

 private:
  QWidget* follower_;
};

}  // namespace

// Page layout 49: the model selector above; below it either the model area (56: the model's
// picture 57 on its area 58 with the connect hint 59), while no mouse is connected, or the
// list of models with their connection state (62). The window logic switches between them.
void BuildHomePage(PageBuilder& page) {
  QtToolkit& toolkit = page.Toolkit();

  QHBoxLayout* top = page.Row();
  auto* title = page.Label(ui::frame::kTabTable[0].title_text, top);
  title->setObjectName("PageTitle");
  top->addStretch(1);
  QComboBox* selector = page.Combo(61, top);
  selector->setMinimumWidth(220);
  selector->addItem("K7 Mouse", qlonglong{101});

  // Layout 56 was put first by the window; the selector row goes above it.
  QVBoxLayout* layout = page.Layout();
  QWidget* model_area = toolkit.Control(frame::kHomeModelArea);
  if (model_area) {
    layout->removeWidget(model_area);
    layout->addWidget(model_area, 1);
    auto* area_layout = new QVBoxLayout(model_area);
    area_layout->setContentsMargins(0, 0, 0, 0);
    auto* area = page.Add(58, new QFrame, area_layout);
    area->setObjectName("Card");
    auto* inside = new QVBoxLayout(area);
    inside->setContentsMargins(24, 24, 24, 24);
    inside->setSpacing(12);
    inside->addWidget(toolkit.Register(57, new SkinPicture("device/img_mouse.png")), 1);
    auto* hint = toolkit.Register(59, new QLabel);
    hint->setObjectName("Muted");
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    // It may carry a command to run: let the person copy it.
    hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    inside->addWidget(hint);
    new FollowVisibility(area, model_area);
  }

  page.Add(62, new DeviceCards)->setVisible(false);
  layout->setStretchFactor(toolkit.Control(62), 1);
}

}  // namespace ui::qt
