// The "Virtual mouse" tool window of --simulate: does to the virtual mice what a person does to
// real ones (plug and unplug, switch the mouse off and on, press the DPI button, change the
// battery, press a button that carries a macro), so hot-plug and the status reports can be tried
// without hardware. A developer's tool, not a page of the product: its texts are fixed English.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "sim/virtual_bus.h"

namespace app {
class DeviceLinkWindow;
}

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace ui::qt {

// What the receiver's screen shows: the last uploaded animation at its delay, the clock the
// program set (running on from then) and the screen mode.
class ReceiverScreenView : public QWidget {
  Q_OBJECT

 public:
  explicit ReceiverScreenView(QWidget* parent = nullptr);
  // Takes the screen's state; the animation restarts only when a new upload arrived.
  void Show(const sim::ScreenState& state);
  QSize sizeHint() const override { return {240, 135 + 20}; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // The frame shown now (null when nothing was uploaded).
  QImage CurrentFrame() const;
  QString ClockText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QImage> frames_;
  int delay_ms_ = 100;
  size_t at_ = 0;
  int uploads_seen_ = -1;
  int mode_ = 0;
  sim::ScreenClock clock_;
  qint64 clock_set_at_ = 0;  // ms since epoch when the clock was last seen changed
  QTimer* animation_ = nullptr;
};

class VirtualMousePanel : public QWidget {
  Q_OBJECT

 public:
  // `bus` must outlive the panel's use: every action and the refresh timer (stopped when the
  // application's event loop quits). The panel is a tool window of `parent` (or on its own).
  // Start-up shows it in --simulate mode: `(new VirtualMousePanel(*bus))->show();`
  explicit VirtualMousePanel(sim::VirtualBus& bus, QWidget* parent = nullptr);

  // Reads the bus again (it also does so twice a second: faults and the program change it).
  void Refresh();

  int SelectedMouse() const;

 private:
  void SetPlugged(sim::Connection connection, bool plugged);
  void SendBattery();
  // The firmware version field goes to the mouse's cable attachment; a plugged cable is
  // plugged again so the program enumerates the new version.
  void ApplyFirmware();
  // Plays the macro of the chosen button as the mouse would, shows and logs its events.
  void PressButton();

  sim::VirtualBus& bus_;
  QComboBox* mouse_ = nullptr;
  QCheckBox* cable_ = nullptr;
  QCheckBox* receiver_ = nullptr;
  QCheckBox* switched_on_ = nullptr;
  QPushButton* dpi_button_ = nullptr;
  QSpinBox* battery_ = nullptr;
  QCheckBox* charging_ = nullptr;
  QPushButton* send_battery_ = nullptr;
  QSpinBox* firmware_ = nullptr;
  QPushButton* apply_firmware_ = nullptr;
  QLabel* status_ = nullptr;
  QSpinBox* button_ = nullptr;
  QPushButton* press_button_ = nullptr;
  QLabel* played_ = nullptr;
  ReceiverScreenView* screen_ = nullptr;
  QTimer* timer_ = nullptr;
  bool refreshing_ = false;  // control changes made by Refresh are not actions
};

// --simulate: the virtual mice's plug events reach the window as the machine's would, and the
// panel is shown beside the main window. Keep the result until the main window has ended;
// dropping it detaches the events and closes the panel (before the bus goes away).
std::shared_ptr<void> StartSimulation(sim::VirtualBus& bus, app::DeviceLinkWindow& link);

}  // namespace ui::qt
