// MEdit that captures a key: a key press (Tab and Enter included) is not typed but reported
// as (kNotifyKey, Windows virtual-key code); the page logic then sets the field's text.
#pragma once

#include <QKeyEvent>
#include <QLineEdit>

namespace ui::qt {

class QtToolkit;

class KeyCaptureEdit : public QLineEdit {
  Q_OBJECT

 public:
  KeyCaptureEdit(QtToolkit& toolkit, int id);

  // The virtual key of a key event; 0 when it has none.
  static int VirtualKeyOf(const QKeyEvent& event);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QtToolkit& toolkit_;
  int id_;
};

}  // namespace ui::qt
