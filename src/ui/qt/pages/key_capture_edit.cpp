#include "ui/qt/pages/key_capture_edit.h"

#include "platform/key_capture.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/toolkit.h"

namespace ui::qt {

namespace {

// X11's modifier state bit of Num Lock (Mod2).
constexpr quint32 kX11NumLockMask = 0x10;

}  // namespace

KeyCaptureEdit::KeyCaptureEdit(QtToolkit& toolkit, int id) : toolkit_(toolkit), id_(id) {
  setReadOnly(true);  // the text is the captured key's name, set by the page
  setAlignment(Qt::AlignCenter);
}

int KeyCaptureEdit::VirtualKeyOf(const QKeyEvent& event) {
  platform::NativeKey key;
  key.scan_code = event.nativeScanCode();
  key.keysym = event.nativeVirtualKey();
  key.num_lock = (event.nativeModifiers() & kX11NumLockMask) != 0;
  // Without native codes (offscreen, some platforms) Latin-1 keys still name themselves.
  if (key.keysym == 0 && key.scan_code == 0 && event.key() > 0 && event.key() < 0x100) {
    key.keysym = static_cast<quint32>(event.key());
  }
  return platform::NativeKeyToVirtualKey(key);
}

bool KeyCaptureEdit::event(QEvent* e) {
  // Tab and Backtab would move the focus before keyPressEvent sees them.
  if (e->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(e));
    return true;
  }
  return QLineEdit::event(e);
}

void KeyCaptureEdit::keyPressEvent(QKeyEvent* e) {
  e->accept();
  if (e->isAutoRepeat()) return;
  const int vk = VirtualKeyOf(*e);
  if (vk != 0) toolkit_.Emit(id_, kNotifyKey, vk);
}

}  // namespace ui::qt
