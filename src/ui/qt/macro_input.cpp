#include "ui/qt/macro_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "platform/key_capture.h"
#include "ui/qt/qt_toolkit.h"

namespace ui::qt {
namespace {

// X11 key codes of the keys whose side Qt does not tell (evdev code + 8).
int ModifierBySide(const QKeyEvent& e, int left, int right, uint32_t right_code) {
  return e.nativeScanCode() == right_code ? right : left;
}

class InputFilter : public QObject {
 public:
  InputFilter(QtToolkit& toolkit, int record_button,
              std::function<void(const macros::RawInputRecord&)> sink)
      : toolkit_(toolkit), record_button_(record_button), sink_(std::move(sink)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::Wheel:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* button = toolkit_.Control(record_button_);
    if (!widget || !button || widget->window() != button->window() ||
        QApplication::activeWindow() != button->window()) {
      return false;
    }
    // An event the receiver ignores is offered to its parents again (a mouse event as a copy
    // in the parent's coordinates): it counts once.
    const auto* input = static_cast<QInputEvent*>(event);
    int detail = 0;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      detail = static_cast<const QKeyEvent*>(event)->key();
    } else if (event->type() == QEvent::Wheel) {
      detail = static_cast<const QWheelEvent*>(event)->angleDelta().y();
    } else {
      detail = static_cast<int>(static_cast<const QMouseEvent*>(event)->button());
    }
    if (event->type() == last_type_ && input->timestamp() == last_stamp_ &&
        detail == last_detail_) {
      return false;
    }
    last_type_ = event->type();
    last_stamp_ = input->timestamp();
    last_detail_ = detail;
    macros::RawInputRecord r;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      const auto* k = static_cast<QKeyEvent*>(event);
      const bool down = event->type() == QEvent::KeyPress;
      r.type = macros::kRawKeyboard;
      r.vkey = static_cast<uint16_t>(KeyEventToVirtualKey(*k));
      r.make_code = static_cast<uint16_t>(k->nativeScanCode());
      r.message = down ? macros::kWmKeyDown : macros::kWmKeyUp;
      // The navigation block and the right-hand keys carry the E0 prefix; the keypad does not.
      const bool keypad = k->modifiers() & Qt::KeypadModifier;
      const bool extended =
          (!keypad && r.vkey >= 0x21 && r.vkey <= 0x2E) || (keypad && k->key() == Qt::Key_Enter);
      r.flags =
          static_cast<uint16_t>((down ? 0 : macros::kKeyBreak) | (extended ? macros::kKeyE0 : 0));
      if (r.vkey == 0) return false;
    } else if (event->type() == QEvent::Wheel) {
      const auto* w = static_cast<QWheelEvent*>(event);
      r.type = macros::kRawMouse;
      r.button_flags = macros::kWheel;
      r.button_data = static_cast<int16_t>(std::clamp(w->angleDelta().y(), -32768, 32767));
    } else {
      const auto* m = static_cast<QMouseEvent*>(event);
      const bool down = event->type() == QEvent::MouseButtonPress;
      r.type = macros::kRawMouse;
      switch (m->button()) {
        case Qt::LeftButton:
          r.button_flags = down ? macros::kLeftDown : macros::kLeftUp;
          break;
        case Qt::RightButton:
          r.button_flags = down ? macros::kRightDown : macros::kRightUp;
          break;
        case Qt::MiddleButton:
          r.button_flags = down ? macros::kMiddleDown : macros::kMiddleUp;
          break;
        case Qt::BackButton:
          r.button_flags = down ? macros::kButton4Down : macros::kButton4Up;
          break;
        case Qt::ForwardButton:
          r.button_flags = down ? macros::kButton5Down : macros::kButton5Up;
          break;
        default:
          return false;
      }
      const QPoint at = button->mapFromGlobal(m->globalPosition().toPoint());
      r.over_record_button = button->isVisible() && button->rect().contains(at);
    }
    sink_(r);
    return false;
  }

 private:
  QtToolkit& toolkit_;
  int record_button_;
  std::function<void(const macros::RawInputRecord&)> sink_;
  quint64 last_stamp_ = 0;
  QEvent::Type last_type_ = QEvent::None;
  int last_detail_ = 0;
};

}  // namespace

int KeyEventToVirtualKey(const QKeyEvent& e) {
  // The window system's own codes first (X11 key code and keysym, Num Lock from Mod2).
  platform::NativeKey native;
  native.scan_code = e.nativeScanCode();
  native.keysym = e.nativeVirtualKey();
  native.num_lock = (e.nativeModifiers() & 0x10) != 0;
  if (const int vk = platform::NativeKeyToVirtualKey(native)) return vk;
  // Without them (other platforms), Qt's key code.
  const int key = e.key();
  const bool keypad = e.modifiers() & Qt::KeypadModifier;
  if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x30 + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  // The digit row with Shift gives symbols: its X11 key codes 10..19 are 1..9, 0.
  const uint32_t code = e.nativeScanCode();
  if (code >= 10 && code <= 18) return 0x31 + static_cast<int>(code - 10);
  if (code == 19) return 0x30;
  switch (key) {
    case Qt::Key_Shift:
      return ModifierBySide(e, 0xA0, 0xA1, 62);
    case Qt::Key_Control:
      return ModifierBySide(e, 0xA2, 0xA3, 105);
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
      return ModifierBySide(e, 0xA4, 0xA5, 108);
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
      return ModifierBySide(e, 0x5B, 0x5C, 134);
    case Qt::Key_Menu:
      return 0x5D;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Clear:
      return 0x0C;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return keypad ? 0x6E : 0x2E;
    case Qt::Key_Pause:
      return 0x13;
    case Qt::Key_Print:
      return 0x2C;
    case Qt::Key_CapsLock:
      return 0x14;
    case Qt::Key_NumLock:
      return 0x90;
    case Qt::Key_ScrollLock:
      return 0x91;
    case Qt::Key_Asterisk:
      return keypad ? 0x6A : 0;
    case Qt::Key_Plus:
      return keypad ? 0x6B : 0xBB;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return keypad ? 0x6D : 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater:
      return keypad ? 0x6E : 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question:
      return keypad ? 0x6F : 0xBF;
    case Qt::Key_Equal:
      return 0xBB;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
      return 0xDB;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
      return 0xDD;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
      return 0xDC;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
      return 0xBA;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
      return 0xDE;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
      return 0xC0;
    case Qt::Key_Comma:
    case Qt::Key_Less:
      return 0xBC;
    default:
      return 0;
  }
}

std::shared_ptr<void> StartMacroInput(QtToolkit& toolkit, int record_button,
                                      std::function<void(const macros::RawInputRecord&)> sink) {
  auto filter = std::make_shared<InputFilter>(toolkit, record_button, std::move(sink));
  qApp->installEventFilter(filter.get());
  return std::shared_ptr<void>(filter.get(), [filter](void*) mutable {
    if (qApp) qApp->removeEventFilter(filter.get());
    filter.reset();
  });
}

}  // namespace ui::qt
