#include "ui/qt/virtual_mouse_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/device_link_window.h"
#include "log/trace.h"
#include "sim/macro_player.h"

namespace ui::qt {
namespace {

constexpr int kRefreshMs = 500;

QString ModelName(sim::Model model) { return QString::fromUtf8(sim::Traits(model).name); }

}  // namespace

VirtualMousePanel::VirtualMousePanel(sim::VirtualBus& bus, QWidget* parent)
    : QWidget(parent, Qt::Tool), bus_(bus) {
  setWindowTitle(QStringLiteral("Virtual mouse"));
  setObjectName(QStringLiteral("VirtualMousePanel"));

  mouse_ = new QComboBox(this);
  mouse_->setObjectName(QStringLiteral("mouse"));
  cable_ = new QCheckBox(QStringLiteral("Cable plugged in"), this);
  cable_->setObjectName(QStringLiteral("cable"));
  receiver_ = new QCheckBox(QStringLiteral("Receiver plugged in"), this);
  receiver_->setObjectName(QStringLiteral("receiver"));
  switched_on_ = new QCheckBox(QStringLiteral("Mouse switched on"), this);
  switched_on_->setObjectName(QStringLiteral("switched_on"));
  dpi_button_ = new QPushButton(QStringLiteral("Press DPI button"), this);
  dpi_button_->setObjectName(QStringLiteral("dpi_button"));
  battery_ = new QSpinBox(this);
  battery_->setObjectName(QStringLiteral("battery"));
  battery_->setRange(0, 100);
  battery_->setSuffix(QStringLiteral(" %"));
  charging_ = new QCheckBox(QStringLiteral("Charging"), this);
  charging_->setObjectName(QStringLiteral("charging"));
  send_battery_ = new QPushButton(QStringLiteral("Report battery"), this);
  send_battery_->setObjectName(QStringLiteral("send_battery"));
  firmware_ = new QSpinBox(this);
  firmware_->setObjectName(QStringLiteral("firmware"));
  firmware_->setRange(0, 0xFFFF);
  firmware_->setDisplayIntegerBase(16);
  firmware_->setPrefix(QStringLiteral("0x"));
  apply_firmware_ = new QPushButton(QStringLiteral("Set and re-plug"), this);
  apply_firmware_->setObjectName(QStringLiteral("apply_firmware"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  button_ = new QSpinBox(this);
  button_->setObjectName(QStringLiteral("button"));
  button_->setRange(1, static_cast<int>(sim::kKeyTableSize / 4));
  button_->setPrefix(QStringLiteral("Button "));
  press_button_ = new QPushButton(QStringLiteral("Press button"), this);
  press_button_->setObjectName(QStringLiteral("press_button"));
  played_ = new QLabel(this);
  played_->setObjectName(QStringLiteral("played"));
  played_->setWordWrap(true);

  auto* battery_row = new QHBoxLayout;
  battery_row->addWidget(battery_);
  battery_row->addWidget(charging_);
  battery_row->addWidget(send_battery_);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Mouse"), mouse_);
  form->addRow(QStringLiteral("Battery"), battery_row);
  auto* firmware_row = new QHBoxLayout;
  firmware_row->addWidget(firmware_);
  firmware_row->addWidget(apply_firmware_);
  form->addRow(QStringLiteral("Firmware"), firmware_row);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(cable_);
  layout->addWidget(receiver_);
  layout->addWidget(switched_on_);
  layout->addWidget(dpi_button_);
  layout->addWidget(status_);
  auto* button_row = new QHBoxLayout;
  button_row->addWidget(button_);
  button_row->addWidget(press_button_);
  layout->addLayout(button_row);
  layout->addWidget(played_);
  screen_ = new ReceiverScreenView(this);
  screen_->setObjectName(QStringLiteral("receiver_screen"));
  layout->addWidget(screen_);

  for (int i = 0; i < bus_.MouseCount(); ++i) {
    mouse_->addItem(QStringLiteral("%1: %2").arg(i).arg(ModelName(bus_.MouseModel(i))), i);
  }

  connect(mouse_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(cable_, &QCheckBox::toggled, this,
          [this](bool on) { SetPlugged(sim::Connection::kCable, on); });
  connect(receiver_, &QCheckBox::toggled, this,
          [this](bool on) { SetPlugged(sim::Connection::kReceiver, on); });
  connect(switched_on_, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_ || SelectedMouse() < 0) return;
    bus_.SetWirelessLink(SelectedMouse(), on);
    Refresh();
  });
  connect(dpi_button_, &QPushButton::clicked, this, [this] {
    if (SelectedMouse() < 0) return;
    bus_.PressDpiButton(SelectedMouse());
    Refresh();
  });
  connect(send_battery_, &QPushButton::clicked, this, [this] { SendBattery(); });
  connect(apply_firmware_, &QPushButton::clicked, this, [this] { ApplyFirmware(); });
  connect(mouse_, &QComboBox::currentIndexChanged, this, [this] {
    if (SelectedMouse() >= 0)
      firmware_->setValue(bus_.Release(SelectedMouse(), sim::Connection::kCable));
  });
  connect(press_button_, &QPushButton::clicked, this, [this] { PressButton(); });

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { Refresh(); });
  timer_->start(kRefreshMs);
  // The bus may go before the panel once the program's event loop has ended.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, timer_, &QTimer::stop);
  Refresh();
  // The battery fields start from the mouse and are then the person's to edit.
  if (SelectedMouse() >= 0) {
    const sim::MouseState state = bus_.State(SelectedMouse());
    battery_->setValue(state.battery);
    charging_->setChecked(state.charging);
    firmware_->setValue(bus_.Release(SelectedMouse(), sim::Connection::kCable));
  }
}

int VirtualMousePanel::SelectedMouse() const {
  return mouse_->currentIndex() < 0 ? -1 : mouse_->currentData().toInt();
}

void VirtualMousePanel::SetPlugged(sim::Connection connection, bool plugged) {
  if (refreshing_ || SelectedMouse() < 0) return;
  if (plugged) {
    bus_.Plug(SelectedMouse(), connection);
  } else {
    bus_.Unplug(SelectedMouse(), connection);
  }
  Refresh();
}

void VirtualMousePanel::SendBattery() {
  if (SelectedMouse() < 0) return;
  bus_.SetBattery(SelectedMouse(), battery_->value(), charging_->isChecked());
  Refresh();
}

void VirtualMousePanel::ApplyFirmware() {
  const int mouse = SelectedMouse();
  if (mouse < 0 || !bus_.HasAttachment(mouse, sim::Connection::kCable)) return;
  bus_.SetRelease(mouse, sim::Connection::kCable, static_cast<uint16_t>(firmware_->value()));
  if (bus_.IsPlugged(mouse, sim::Connection::kCable)) {
    bus_.Unplug(mouse, sim::Connection::kCable);
    bus_.Plug(mouse, sim::Connection::kCable);
  }
  Refresh();
}

void VirtualMousePanel::PressButton() {
  if (SelectedMouse() < 0) return;
  const int button = button_->value();
  const sim::MacroPlayback p = sim::PlayButton(bus_.State(SelectedMouse()), button - 1);
  QStringList lines;
  if (!p.is_macro) {
    lines << QStringLiteral("Button %1 carries no macro").arg(button);
  } else if (!p.error.empty()) {
    lines << QStringLiteral("Button %1: %2").arg(button).arg(QString::fromStdString(p.error));
  } else {
    lines << QStringLiteral("Button %1 plays macro slot %2:").arg(button).arg(p.slot);
    for (const std::string& line : p.lines) lines << QString::fromStdString(line);
  }
  // A long macro is shown in part; the log keeps every event.
  for (const QString& line : lines) Trace(2, "Virtual mouse: %s", line.toUtf8().constData());
  if (lines.size() > 12) lines = lines.mid(0, 12) << QStringLiteral("...");
  played_->setText(lines.join(QLatin1Char('\n')));
}

void VirtualMousePanel::Refresh() {
  const int mouse = SelectedMouse();
  refreshing_ = true;
  const bool any = mouse >= 0;
  const bool has_cable = any && bus_.HasAttachment(mouse, sim::Connection::kCable);
  const bool has_receiver = any && bus_.HasAttachment(mouse, sim::Connection::kReceiver);
  cable_->setEnabled(has_cable);
  cable_->setChecked(has_cable && bus_.IsPlugged(mouse, sim::Connection::kCable));
  receiver_->setEnabled(has_receiver);
  receiver_->setChecked(has_receiver && bus_.IsPlugged(mouse, sim::Connection::kReceiver));
  switched_on_->setEnabled(has_receiver);
  switched_on_->setChecked(any && bus_.WirelessLink(mouse));
  dpi_button_->setEnabled(any);
  send_battery_->setEnabled(any);
  firmware_->setEnabled(has_cable);
  apply_firmware_->setEnabled(has_cable);
  press_button_->setEnabled(any);
  if (any) {
    const sim::MouseState state = bus_.State(mouse);
    status_->setText(QStringLiteral("DPI level %1 of %2, battery %3 percent%4")
                         .arg(state.ActiveLevel() + 1)
                         .arg(state.LevelCount())
                         .arg(state.battery)
                         .arg(state.charging ? QStringLiteral(", charging") : QString()));
  } else {
    status_->setText(QStringLiteral("No virtual mouse"));
  }
  screen_->setVisible(has_receiver && sim::Traits(bus_.MouseModel(mouse)).receiver_pid == 0x3A10);
  if (any) screen_->Show(bus_.Screen(mouse));
  refreshing_ = false;
}

ReceiverScreenView::ReceiverScreenView(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
  animation_ = new QTimer(this);
  animation_->setSingleShot(true);
  connect(animation_, &QTimer::timeout, this, [this] {
    if (frames_.empty()) return;
    at_ = (at_ + 1) % frames_.size();
    update();
    animation_->start(std::max(10, delay_ms_));
  });
}

void ReceiverScreenView::Show(const sim::ScreenState& state) {
  if (state.clock.set &&
      (state.clock.second != clock_.second || state.clock.minute != clock_.minute ||
       state.clock.hour != clock_.hour || state.clock.day != clock_.day || !clock_.set)) {
    clock_ = state.clock;
    clock_set_at_ = QDateTime::currentMSecsSinceEpoch();
  }
  mode_ = state.mode;
  if (state.uploads_completed != uploads_seen_) {
    uploads_seen_ = state.uploads_completed;
    frames_.clear();
    // Each pixel is RGB565, low byte first.
    for (const auto& pixels : state.frames) {
      QImage image(sim::kScreenWidth, sim::kScreenHeight, QImage::Format_RGB32);
      for (int y = 0; y < sim::kScreenHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < sim::kScreenWidth; ++x) {
          const size_t i = 2 * (static_cast<size_t>(y) * sim::kScreenWidth + x);
          const unsigned v = pixels[i] | (pixels[i + 1] << 8);
          const unsigned r = (v >> 11) & 0x1F, g = (v >> 5) & 0x3F, b = v & 0x1F;
          row[x] = qRgb((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
        }
      }
      frames_.push_back(std::move(image));
    }
    delay_ms_ = state.delay > 0 ? state.delay : 100;
    at_ = 0;
    animation_->stop();
    if (frames_.size() > 1) animation_->start(delay_ms_);
  }
  update();
}

QImage ReceiverScreenView::CurrentFrame() const {
  return frames_.empty() ? QImage() : frames_[std::min(at_, frames_.size() - 1)];
}

QString ReceiverScreenView::ClockText() const {
  if (!clock_.set) return QStringLiteral("clock not set");
  const QDateTime set(QDate(clock_.year, clock_.month, clock_.day),
                      QTime(clock_.hour, clock_.minute, clock_.second));
  const QDateTime now = set.addMSecs(QDateTime::currentMSecsSinceEpoch() - clock_set_at_);
  return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void ReceiverScreenView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect screen(0, 0, sim::kScreenWidth, sim::kScreenHeight);
  p.fillRect(screen, Qt::black);
  if (!frames_.empty()) p.drawImage(screen, CurrentFrame());
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(QRect(0, sim::kScreenHeight, sim::kScreenWidth, 20), Qt::AlignCenter,
             QStringLiteral("Screen: %1  mode %2").arg(ClockText()).arg(mode_));
}

std::shared_ptr<void> StartSimulation(sim::VirtualBus& bus, app::DeviceLinkWindow& link) {
  // The virtual paths name vendor, product and interface as the machine's interface names
  // do, so they serve as both.
  bus.SetPlugListener([&link](const sim::PlugEvent& e) {
    link.UpdateUSBDevice(
        device::DeviceChange{e.arrived ? device::kDeviceArrival : device::kDeviceRemoveComplete,
                             e.info.path, e.info.path});
  });
  auto* panel = new VirtualMousePanel(bus);
  panel->adjustSize();
  // Bottom right of the screen: over the main window's page area at most, never over its
  // caption and status strip.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    panel->move(area.right() - panel->width() - 8, area.bottom() - panel->height() - 8);
  }
  // Shown once the event loop runs, so it comes up over the main window.
  QTimer::singleShot(0, panel, [panel] {
    panel->show();
    panel->raise();
  });
  return std::shared_ptr<void>(panel, [&bus](void* p) {
    bus.SetPlugListener(nullptr);
    delete static_cast<VirtualMousePanel*>(p);
  });
}

}  // namespace ui::qt
