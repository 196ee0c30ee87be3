#include "ui/qt/qt_toolkit.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <future>
#include <type_traits>

#include "platform/language.h"
#include "platform/paths.h"
#include "screen/screen_page.h"
#include "ui/manager.h"
#include "ui/qt/dialogs.h"
#include "ui/qt/fixed_texts.h"
#include "ui/qt/hover_tracker.h"
#include "ui/qt/main_window.h"
#include "ui/qt/pages/mouse_palette_dlg.h"
#include "ui/qt/pages/screen_widgets.h"

namespace ui::qt {
namespace {

// Focus changes of edits reach the listener as codes 3 and 4.
class FocusWatcher : public QObject {
 public:
  FocusWatcher(QtToolkit* toolkit, int id) : QObject(nullptr), toolkit_(toolkit), id_(id) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) toolkit_->Emit(id_, kNotifyFocusIn, 0);
    if (event->type() == QEvent::FocusOut) toolkit_->Emit(id_, kNotifyFocusOut, 0);
    return QObject::eventFilter(watched, event);
  }

 private:
  QtToolkit* toolkit_;
  int id_;
};

QColor UnpackColour(uint32_t packed) {
  return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

}  // namespace

QtToolkit::QtToolkit() : QObject(nullptr) { TrackKeyboardFocus(); }

QtToolkit::~QtToolkit() {
  closing_ = true;
  for (auto& [id, icon] : tray_) delete icon;
  delete window_;
}

bool QtToolkit::OnWindowThread() const { return QThread::currentThread() == thread(); }

void QtToolkit::RunQueuedCalls() {
  // Post and Call queue their work as meta-call events to this object.
  if (OnWindowThread()) QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

template <class F>
void QtToolkit::Post(F&& f) {
  if (OnWindowThread()) {
    f();
    return;
  }
  QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
}

template <class F>
auto QtToolkit::Call(F&& f) -> decltype(f()) {
  using R = decltype(f());
  if (OnWindowThread()) return f();
  // Queued behind everything the caller posted before, then waited for. Once the window has
  // ended nobody answers the queue: the caller gets the empty answer instead of waiting for
  // ever (the close routine may be waiting for this very thread).
  auto answer = std::make_shared<std::promise<R>>();
  std::future<R> result = answer->get_future();
  QMetaObject::invokeMethod(
      this, [answer, f = std::forward<F>(f)]() mutable { answer->set_value(f()); },
      Qt::QueuedConnection);
  while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    if (closing_) return R{};
  }
  return result.get();
}

QString QtToolkit::SkinPath(const std::string& file) {
  std::string relative = file;
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  if (!relative.empty() && relative.front() == '/') return Q(relative);
  return Q(platform::DataDir() + "skins/" + Manager::GetTheme() + "/" + relative);
}

// ---------------------------------------------------------------- registry

void QtToolkit::RegisterWidget(int id, QWidget* widget) {
  Entry& e = controls_[id];
  e.widget = widget;
  e.state = std::make_unique<ControlState>();
  e.state->id = id;
  e.custom = dynamic_cast<CustomControl*>(widget);
  if (e.custom) {
    *e.state = e.custom->State();  // what the widget was built with
    e.state->id = id;
    e.custom->state_ = e.state.get();
    e.custom->notify_ = [this, id](int code, int64_t value) { Emit(id, code, value); };
  }
  widget->setProperty("controlId", id);
  // Buttons take the focus from the keyboard only: a click leaves no focus frame behind.
  if (qobject_cast<QAbstractButton*>(widget) && widget->focusPolicy() == Qt::StrongFocus) {
    widget->setFocusPolicy(Qt::TabFocus);
  }
  ConnectSignals(id, widget);
}

void QtToolkit::ConnectSignals(int id, QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, id](bool checked) { Emit(id, kNotifyClicked, checked ? 1 : 0); });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    connect(combo, &QComboBox::activated, this,
            [this, id](int index) { Emit(id, kNotifyClicked, index); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    connect(edit, &QLineEdit::textEdited, this, [this, id] { Emit(id, kNotifyChanged, 0); });
    auto* watcher = new FocusWatcher(this, id);
    watcher->setParent(edit);
    edit->installEventFilter(watcher);
  } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
    connect(spin, &QSpinBox::valueChanged, this,
            [this, id](int value) { Emit(id, kNotifyChanged, value); });
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
    // Every step is reported at once as a change, so the page follows live; the final value
    // comes once as code 2: on the drop of a drag, or when wheel, key and page steps have
    // settled. A fast wheel spin thus commits once instead of once per notch (each commit
    // is a write to the mouse).
    auto* settle = new QTimer(slider);
    settle->setSingleShot(true);
    connect(settle, &QTimer::timeout, this,
            [this, id, slider] { Emit(id, kNotifyClicked, slider->value()); });
    connect(slider, &QAbstractSlider::valueChanged, this, [this, id, slider, settle](int value) {
      Emit(id, kNotifyChanged, value);
      if (!slider->isSliderDown()) settle->start(slider_settle_ms_);
    });
    // A drag commits on its drop; steps made just before it are part of that commit.
    connect(slider, &QAbstractSlider::sliderPressed, settle, &QTimer::stop);
    connect(slider, &QAbstractSlider::sliderReleased, this, [this, id, slider, settle] {
      settle->stop();
      Emit(id, kNotifyClicked, slider->value());
    });
  }
}

QWidget* QtToolkit::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.widget.data();
}

QtToolkit::Entry* QtToolkit::Find(int id) {
  auto it = controls_.find(id);
  if (it == controls_.end() || !it->second.widget) return nullptr;
  return &it->second;
}

void QtToolkit::Changed(Entry& e) {
  if (e.custom) e.custom->StateChanged();
}

void QtToolkit::Emit(int id, int code, int64_t value) {
  if (Listener* listener = listener_.load()) listener->OnControlNotify(id, code, value);
}

void QtToolkit::SetListener(Listener* listener) { listener_ = listener; }

bool QtToolkit::HasControl(int id) {
  return Call([this, id] { return Find(id) != nullptr; });
}

// ---------------------------------------------------------------- every control

void QtToolkit::SetTitle(int id, const std::string& text) {
  Post([this, id, text] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->title = text;
    QWidget* w = e->widget;
    if (e->custom) {
      Changed(*e);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      b->setText(Q(text));
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      l->setText(Q(text));
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
      le->setText(Q(text));
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      g->setTitle(Q(text));
    } else {
      w->setWindowTitle(Q(text));
    }
  });
}

std::string QtToolkit::GetTitle(int id) {
  return Call([this, id]() -> std::string {
    Entry* e = Find(id);
    if (!e) return {};
    QWidget* w = e->widget;
    if (e->custom) return e->state->title;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return U(b->text());
    if (auto* l = qobject_cast<QLabel*>(w)) return U(l->text());
    if (auto* le = qobject_cast<QLineEdit*>(w)) return U(le->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) return U(g->title());
    return e->state->title;
  });
}

void QtToolkit::SetVisible(int id, bool visible) {
  Post([this, id, visible] {
    if (Entry* e = Find(id)) e->widget->setVisible(visible);
  });
}

bool QtToolkit::IsVisible(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    return e && !e->widget->isHidden();
  });
}

void QtToolkit::SetEnabled(int id, bool enabled) {
  Post([this, id, enabled] {
    if (Entry* e = Find(id)) e->widget->setEnabled(enabled);
  });
}

bool QtToolkit::IsEnabled(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    return e && e->widget->isEnabled();
  });
}

void QtToolkit::SetTooltip(int id, const std::string& text) {
  Post([this, id, text] {
    if (Entry* e = Find(id)) e->widget->setToolTip(Q(text));
  });
}

void QtToolkit::ReapplyFixedTexts() {
  Post([] {
    for (QWidget* top : QApplication::topLevelWidgets()) ReapplyMarkedTexts(top);
  });
}

bool QtToolkit::GetCheck(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    if (!e) return false;
    if (auto* b = qobject_cast<QAbstractButton*>(e->widget.data())) return b->isChecked();
    return e->state->checked;
  });
}

void QtToolkit::SetCheck(int id, bool checked) {
  Post([this, id, checked] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->checked = checked;
    if (auto* b = qobject_cast<QAbstractButton*>(e->widget.data())) {
      const QSignalBlocker block(b);
      b->setCheckable(true);
      // Qt refuses to clear the checked button of an exclusive group; the window logic may
      // clear every button of a group.
      QButtonGroup* group = b->group();
      const bool group_exclusive = group && group->exclusive();
      const bool auto_exclusive = b->autoExclusive();
      if (!checked && group_exclusive) group->setExclusive(false);
      if (!checked && auto_exclusive) b->setAutoExclusive(false);
      b->setChecked(checked);
      if (!checked && group_exclusive) group->setExclusive(true);
      if (!checked && auto_exclusive) b->setAutoExclusive(true);
    }
    Changed(*e);
  });
}

uint32_t QtToolkit::GetColor(int id) {
  return Call([this, id]() -> uint32_t {
    Entry* e = Find(id);
    return e ? e->state->colour : 0;
  });
}

void QtToolkit::SetColor(int id, uint32_t colour) {
  Post([this, id, colour] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->colour = colour;
    if (!e->custom) {
      // A colour swatch: a plain widget painted in the colour.
      e->widget->setStyleSheet(
          QString("background-color: %1; border-radius: 6px;").arg(UnpackColour(colour).name()));
    }
    Changed(*e);
  });
}

void QtToolkit::SetImage(int id, const std::string& file) {
  Post([this, id, file] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->image = file;
    if (!e->custom) {
      const QString path = SkinPath(file);
      if (auto* l = qobject_cast<QLabel*>(e->widget.data()); l && QFile::exists(path)) {
        l->setPixmap(
            QPixmap(path).scaled(l->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
      } else if (auto* b = qobject_cast<QAbstractButton*>(e->widget.data());
                 b && QFile::exists(path)) {
        b->setIcon(QIcon(path));
      }
    }
    Changed(*e);
  });
}

// ---------------------------------------------------------------- lists

void QtToolkit::ClearItems(int id) {
  Post([this, id] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->items.clear();
    e->state->cur_sel = -1;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
      const QSignalBlocker block(c);
      c->clear();
    }
    Changed(*e);
  });
}

void QtToolkit::AddItem(int id, const std::string& text, int64_t data) {
  Post([this, id, text, data] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->items.push_back({text, data});
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
      const QSignalBlocker block(c);
      c->addItem(Q(text), QVariant::fromValue<qlonglong>(data));
      // A combo box shows nothing until something is selected, as the owners expect.
      c->setCurrentIndex(e->state->cur_sel);
    }
    Changed(*e);
  });
}

int QtToolkit::GetItemCount(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    if (!e) return 0;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) return c->count();
    return static_cast<int>(e->state->items.size());
  });
}

std::string QtToolkit::GetItemText(int id, int index) {
  return Call([this, id, index]() -> std::string {
    Entry* e = Find(id);
    if (!e) return {};
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) return U(c->itemText(index));
    const auto& items = e->state->items;
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index].text : "";
  });
}

void QtToolkit::SetItemText(int id, int index, const std::string& text) {
  Post([this, id, index, text] {
    Entry* e = Find(id);
    if (!e) return;
    auto& items = e->state->items;
    if (index >= 0 && index < static_cast<int>(items.size())) items[index].text = text;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) c->setItemText(index, Q(text));
    Changed(*e);
  });
}

int64_t QtToolkit::GetItemData(int id, int index) {
  return Call([this, id, index]() -> int64_t {
    Entry* e = Find(id);
    if (!e) return 0;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
      return c->itemData(index).toLongLong();
    }
    const auto& items = e->state->items;
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index].data : 0;
  });
}

bool QtToolkit::SelectData(int id, int64_t data) {
  // Answered at once: the caller learns whether an entry had the data.
  return Call([this, id, data] {
    Entry* e = Find(id);
    if (!e) return false;
    const auto& items = e->state->items;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].data != data) continue;
      e->state->cur_sel = static_cast<int>(i);
      if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
        const QSignalBlocker block(c);
        c->setCurrentIndex(static_cast<int>(i));
      }
      Changed(*e);
      return true;
    }
    return false;
  });
}

int QtToolkit::GetCurSel(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    if (!e) return -1;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) return c->currentIndex();
    return e->state->cur_sel;
  });
}

void QtToolkit::SetCurSel(int id, int index) {
  Post([this, id, index] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->cur_sel = index;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
      const QSignalBlocker block(c);
      c->setCurrentIndex(index);
    }
    Changed(*e);
  });
}

int64_t QtToolkit::GetCurData(int id) {
  return Call([this, id]() -> int64_t {
    Entry* e = Find(id);
    if (!e) return -1;
    if (auto* c = qobject_cast<QComboBox*>(e->widget.data())) {
      return c->currentIndex() < 0 ? -1 : c->currentData().toLongLong();
    }
    const int sel = e->state->cur_sel;
    const auto& items = e->state->items;
    return sel >= 0 && sel < static_cast<int>(items.size()) ? items[sel].data : -1;
  });
}

// ---------------------------------------------------------------- edits and values

std::string QtToolkit::GetEditText(int id) {
  return Call([this, id]() -> std::string {
    Entry* e = Find(id);
    if (!e) return {};
    QWidget* w = e->widget;
    if (e->custom) return e->state->edit_text;
    if (auto* le = qobject_cast<QLineEdit*>(w)) return U(le->text());
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return U(pe->toPlainText());
    if (auto* sb = qobject_cast<QSpinBox*>(w)) return std::to_string(sb->value());
    return e->state->edit_text;
  });
}

void QtToolkit::SetEditText(int id, const std::string& text) {
  Post([this, id, text] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->edit_text = text;
    QWidget* w = e->widget;
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
      const QSignalBlocker block(le);
      // Set while the person is typing, the text is the logic's correction of what was
      // typed: still to be committed. Otherwise it is the new committed text.
      const bool typing = le->isModified();
      le->setText(Q(text));
      if (typing) {
        le->setModified(true);
      } else {
        le->setProperty(kCommittedTextProperty, le->text());
      }
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
      const QSignalBlocker block(pe);
      pe->setPlainText(Q(text));
    } else if (auto* sb = qobject_cast<QSpinBox*>(w)) {
      const QSignalBlocker block(sb);
      sb->setValue(Q(text).toInt());
    }
    Changed(*e);
  });
}

void QtToolkit::SetRange(int id, int minimum, int maximum) {
  Post([this, id, minimum, maximum] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->range_min = minimum;
    e->state->range_max = maximum;
    QWidget* w = e->widget;
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
      const QSignalBlocker block(s);
      s->setRange(minimum, maximum);
    } else if (auto* sb = qobject_cast<QSpinBox*>(w)) {
      const QSignalBlocker block(sb);
      sb->setRange(minimum, maximum);
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
      p->setRange(minimum, maximum);
    }
    Changed(*e);
  });
}

void QtToolkit::SetPos(int id, int position) {
  Post([this, id, position] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->pos = position;
    QWidget* w = e->widget;
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
      const QSignalBlocker block(s);
      s->setValue(position);
    } else if (auto* sb = qobject_cast<QSpinBox*>(w)) {
      const QSignalBlocker block(sb);
      sb->setValue(position);
    }
    Changed(*e);
  });
}

int QtToolkit::GetPos(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    if (!e) return 0;
    QWidget* w = e->widget;
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->value();
    if (auto* sb = qobject_cast<QSpinBox*>(w)) return sb->value();
    return e->state->pos;
  });
}

void QtToolkit::SetProgress(int id, int percent) {
  Post([this, id, percent] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->progress = percent;
    if (auto* p = qobject_cast<QProgressBar*>(e->widget.data())) p->setValue(percent);
    Changed(*e);
  });
}

// ---------------------------------------------------------------- special controls

void QtToolkit::SetDPILevelCount(int id, int count) {
  Post([this, id, count] {
    if (Entry* e = Find(id)) {
      e->state->dpi_count = count;
      Changed(*e);
    }
  });
}

int QtToolkit::GetDPILevelCount(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    return e ? e->state->dpi_count : 0;
  });
}

int QtToolkit::GetDPIValue(int id, int level) {
  return Call([this, id, level] {
    Entry* e = Find(id);
    if (!e) return 0;
    auto it = e->state->dpi_values.find(level);
    return it == e->state->dpi_values.end() ? 0 : it->second;
  });
}

void QtToolkit::SetDPIValue(int id, int level, int value) {
  Post([this, id, level, value] {
    if (Entry* e = Find(id)) {
      e->state->dpi_values[level] = value;
      Changed(*e);
    }
  });
}

uint32_t QtToolkit::GetDPIColorValue(int id, int level) {
  return Call([this, id, level]() -> uint32_t {
    Entry* e = Find(id);
    if (!e) return 0;
    auto it = e->state->dpi_colours.find(level);
    return it == e->state->dpi_colours.end() ? 0 : it->second;
  });
}

void QtToolkit::SetDPIColorValue(int id, int level, uint32_t colour) {
  Post([this, id, level, colour] {
    if (Entry* e = Find(id)) {
      e->state->dpi_colours[level] = colour;
      Changed(*e);
    }
  });
}

void QtToolkit::SetDPISelected(int id, int level) {
  Post([this, id, level] {
    if (Entry* e = Find(id)) {
      e->state->dpi_selected = level;
      Changed(*e);
    }
  });
}

int QtToolkit::GetDPISelected(int id) {
  return Call([this, id] {
    Entry* e = Find(id);
    return e ? e->state->dpi_selected : 0;
  });
}

void QtToolkit::SetBattery(int id, int percent, bool charging) {
  Post([this, id, percent, charging] {
    if (Entry* e = Find(id)) {
      e->state->battery = percent;
      e->state->charging = charging;
      Changed(*e);
    }
  });
}

void QtToolkit::SetDeviceItems(int id, const std::vector<DeviceListItem>& items) {
  Post([this, id, items] {
    if (Entry* e = Find(id)) {
      e->state->devices = items;
      Changed(*e);
    }
  });
}

void QtToolkit::SetMouseItems(int id, const std::vector<MouseItem>& items) {
  Post([this, id, items] {
    if (Entry* e = Find(id)) {
      e->state->mouse_items = items;
      Changed(*e);
    }
  });
}

void QtToolkit::SetMouseSelected(int id, int key_value) {
  Post([this, id, key_value] {
    if (Entry* e = Find(id)) {
      e->state->mouse_selected = key_value;
      Changed(*e);
    }
  });
}

void QtToolkit::SetTabItems(int id, const std::vector<TabItem>& items) {
  Post([this, id, items] {
    if (Entry* e = Find(id)) {
      e->state->tabs = items;
      Changed(*e);
    }
  });
}

void QtToolkit::SetTabItemVisible(int id, int item_id, bool visible) {
  Post([this, id, item_id, visible] {
    Entry* e = Find(id);
    if (!e) return;
    for (auto& tab : e->state->tabs) {
      if (tab.id == item_id) tab.visible = visible;
    }
    Changed(*e);
  });
}

void QtToolkit::SelectTab(int id, int position) {
  Post([this, id, position] {
    Entry* e = Find(id);
    if (!e) return;
    e->state->tab_selected = position;
    Changed(*e);
    // The window learns of the selection as of a click, after what is already queued.
    QMetaObject::invokeMethod(
        this, [this, id, position] { Emit(id, kNotifyClicked, position); }, Qt::QueuedConnection);
  });
}

// ---------------------------------------------------------------- dialogs

int QtToolkit::ShowMessage(const std::string& message, const std::string& title, int style) {
  return Call([this, message, title, style] {
    MessageBox box(window_, Q(title), Q(message), style);
    ++open_boxes_;
    const int result = box.Run();
    --open_boxes_;
    return result;
  });
}

bool QtToolkit::MessageBoxOpen() { return open_boxes_.load() > 0; }

std::string QtToolkit::PickOpenFile(const std::string& title, const std::string& filter) {
  return Call([this, title, filter] {
    return U(QFileDialog::getOpenFileName(window_, Q(title), QString(), Q(filter)));
  });
}

std::string QtToolkit::PickSaveFile(const std::string& title, const std::string& suggested_name,
                                    const std::string& filter) {
  return Call([this, title, suggested_name, filter] {
    return U(QFileDialog::getSaveFileName(window_, Q(title), Q(suggested_name), Q(filter)));
  });
}

std::string QtToolkit::PickFolder(const std::string& title) {
  return Call([this, title] { return U(QFileDialog::getExistingDirectory(window_, Q(title))); });
}

std::optional<uint32_t> QtToolkit::PickColor(uint32_t initial) {
  return Call([this, initial]() -> std::optional<uint32_t> {
    return MousePaletteDlg::Pick(initial, window_);
  });
}

int QtToolkit::ShowPopupMenu(const std::vector<MenuItem>& items) {
  return Call([this, items] {
    QMenu menu(window_);
    for (const MenuItem& item : items) menu.addAction(Q(item.text))->setData(item.command);
    QAction* chosen = menu.exec(QCursor::pos());
    return chosen ? chosen->data().toInt() : 0;
  });
}

bool QtToolkit::ModalCancelled(ModalKind kind) {
  std::lock_guard lock(modal_mu_);
  return modals_[kind].cancelled;
}

QDialog* QtToolkit::MakeModal(ModalKind kind) {
  if (kind == ModalKind::kWait) return new WaitDialog(window_);
  if (kind == ModalKind::kDownload) return new ProgressDialog(window_, true, true);
  auto* dialog = new ProgressDialog(window_, kind == ModalKind::kScreenProgress);
  if (kind == ModalKind::kScreenProgress) {
    // Its close button asks the main window to cancel the upload.
    connect(dialog, &ProgressDialog::CloseClicked, this,
            [this] { PostMessage(screen::kMsgCancelUpload, 0, 0); });
  }
  return dialog;
}

void QtToolkit::BeginModal(ModalKind kind) {
  uint64_t generation = 0;
  {
    std::lock_guard lock(modal_mu_);
    generation = ++modals_[kind].generation;
  }
  Post([this, kind, generation] {
    QDialog* old = nullptr;
    QDialog* fresh = MakeModal(kind);
    {
      std::lock_guard lock(modal_mu_);
      Modal& m = modals_[kind];
      if (m.generation != generation) {  // a newer registration already replaced this one
        delete fresh;
        return;
      }
      old = m.dialog;
      m.dialog = fresh;
    }
    if (old) {
      old->done(kResultCancel);
      old->deleteLater();
    }
  });
}

void QtToolkit::RunModal(ModalKind kind) {
  Call([this, kind] {
    QPointer<QDialog> dialog;
    {
      std::lock_guard lock(modal_mu_);
      Modal& m = modals_[kind];
      // The task may already have ended this registration: then there is nothing to wait for.
      if (!m.dialog || m.ended_generation == m.generation) return 0;
      dialog = m.dialog;
      m.running = true;
    }
    const int how = dialog->exec();
    std::lock_guard lock(modal_mu_);
    Modal& m = modals_[kind];
    m.running = false;
    // Rejected while the task had not ended it: the person cancelled.
    m.cancelled = how == QDialog::Rejected && m.ended_generation != m.generation;
    return 0;
  });
}

void QtToolkit::EndModal(ModalKind kind) {
  uint64_t generation = 0;
  {
    std::lock_guard lock(modal_mu_);
    Modal& m = modals_[kind];
    generation = m.generation;
    m.ended_generation = generation;
  }
  auto end = [this, kind, generation] {
    QPointer<QDialog> dialog;
    {
      std::lock_guard lock(modal_mu_);
      Modal& m = modals_[kind];
      if (m.generation != generation) return;
      dialog = m.dialog;
    }
    if (dialog) dialog->done(kResultOk);
  };
  Post(end);
}

void QtToolkit::SetModalProgress(ModalKind kind, int percent) {
  Post([this, kind, percent] {
    QPointer<QDialog> dialog;
    {
      std::lock_guard lock(modal_mu_);
      dialog = modals_[kind].dialog;
    }
    if (auto* p = qobject_cast<ProgressDialog*>(dialog.data())) p->SetProgress(percent);
  });
}

void QtToolkit::SetModalText(ModalKind kind, const std::string& text) {
  Post([this, kind, text] {
    QPointer<QDialog> dialog;
    {
      std::lock_guard lock(modal_mu_);
      dialog = modals_[kind].dialog;
    }
    if (auto* p = qobject_cast<ProgressDialog*>(dialog.data())) p->SetText(Q(text));
  });
}

std::optional<DelayChoice> QtToolkit::AskFrameDelay(const std::string& title, int frame_delay) {
  return Call(
      [this, title, frame_delay] { return LCDDelayEditDlg::Ask(window_, Q(title), frame_delay); });
}

void QtToolkit::ImageEditorCommand(int id, int command, int value, const std::string& text) {
  Post([this, id, command, value, text] {
    Entry* e = Find(id);
    if (!e) return;
    if (auto* target = dynamic_cast<ImageEditorTarget*>(e->widget.data())) {
      target->EditorCommand(command, value, text);
    }
  });
}

// ---------------------------------------------------------------- the main window

void QtToolkit::PostMessage(int message, int64_t wparam, int64_t lparam) {
  QMetaObject::invokeMethod(
      this,
      [this, message, wparam, lparam] {
        if (Listener* listener = listener_.load()) listener->OnMessage(message, wparam, lparam);
      },
      Qt::QueuedConnection);
}

void QtToolkit::SetWindowState(WindowState state) {
  Post([this, state] {
    if (!window_) return;
    switch (state) {
      case WindowState::kNormal:
        window_->showNormal();
        break;
      case WindowState::kMinimized:
        window_->showMinimized();
        break;
      case WindowState::kMaximized:
        window_->showMaximized();
        break;
      case WindowState::kHidden:
        window_->hide();
        break;
    }
  });
}

WindowState QtToolkit::GetWindowState() {
  return Call([this] {
    if (!window_ || window_->isHidden()) return WindowState::kHidden;
    if (window_->isMinimized()) return WindowState::kMinimized;
    if (window_->isMaximized()) return WindowState::kMaximized;
    return WindowState::kNormal;
  });
}

void QtToolkit::RaiseWindow() {
  Post([this] {
    if (!window_) return;
    if (window_->isHidden() || window_->isMinimized()) {
      window_->isMaximized() ? window_->showMaximized() : window_->showNormal();
    }
    window_->raise();
    window_->activateWindow();
  });
}

void QtToolkit::CloseWindow() {
  Post([this] {
    closing_ = true;
    if (timer_) timer_->stop();
    if (window_) window_->hide();
    if (main_loop_) main_loop_->quit();
  });
}

void QtToolkit::StartTimer(int period_ms) {
  Post([this, period_ms] {
    if (!timer_) {
      timer_ = new QTimer(this);
      connect(timer_, &QTimer::timeout, this, [this] {
        if (Listener* listener = listener_.load()) listener->OnTimer();
      });
    }
    timer_->start(period_ms);
  });
}

void QtToolkit::SetWheelScrollLines(uint32_t lines) {
  // Qt scrolls by lines only: a page per notch keeps its usual three lines.
  const int qt_lines = lines <= 100 ? static_cast<int>(lines) : 3;
  Post([qt_lines] { QApplication::setWheelScrollLines(qt_lines); });
}

bool QtToolkit::TrayAvailable() {
  return Call([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
}

bool QtToolkit::AddTrayIcon(int id, const std::string& icon_file, const std::string& tip) {
  return Call([this, id, icon_file, tip] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    QIcon icon(SkinPath(icon_file));
    if (icon.isNull() && window_) icon = window_->windowIcon();
    auto* tray = new QSystemTrayIcon(icon, this);
    tray->setToolTip(Q(tip));
    // Tray clicks arrive as the window message 1690 with the mouse message in lparam:
    // 513 left button down, 515 left double click, 517 right button up.
    connect(tray, &QSystemTrayIcon::activated, this,
            [this, id](QSystemTrayIcon::ActivationReason reason) {
              int mouse = 0;
              if (reason == QSystemTrayIcon::Trigger) mouse = 513;
              if (reason == QSystemTrayIcon::DoubleClick) mouse = 515;
              if (reason == QSystemTrayIcon::Context) mouse = 517;
              if (mouse) PostMessage(1690, id, mouse);
            });
    tray->show();
    delete tray_[id];
    tray_[id] = tray;
    return true;
  });
}

void QtToolkit::RemoveTrayIcon(int id) {
  Call([this, id] {
    auto it = tray_.find(id);
    if (it == tray_.end()) return 0;
    it->second->hide();
    delete it->second;
    tray_.erase(it);
    return 0;
  });
}

MainWindow* QtToolkit::BuildMainWindow(const std::string& title) {
  if (!window_) window_ = new MainWindow(*this, Q(title));
  return window_;
}

void QtToolkit::RunMainWindow(const std::function<void()>& on_shown) {
  if (!window_) return;
  closing_ = false;
  if (QScreen* screen = window_->screen()) {
    const QRect area = screen->availableGeometry();
    window_->move(area.center() - QPoint(window_->width() / 2, window_->height() / 2));
  }
  window_->show();
  if (on_shown) on_shown();
  QEventLoop loop;
  main_loop_ = &loop;
  if (!closing_) loop.exec();
  main_loop_ = nullptr;
  closing_ = true;
}

}  // namespace ui::qt
