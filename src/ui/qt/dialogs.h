// The toolkit's own dialogs: the message box (CUIMessageBox), the busy indicator a device task
// keeps open (WaitDlg) and the progress dialog of the screen upload.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "platform/language.h"
#include "ui/toolkit.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace ui::qt {

// Texts the dialogs take when they are built: the message box's buttons (one: OK; two: OK and
// Cancel), the loading dialog's line, and the frame-delay editor's choices and buttons.
inline constexpr platform::TextId kMessageOkText{25};
inline constexpr platform::TextId kConfirmOkText{28};
inline constexpr platform::TextId kConfirmCancelText{29};
inline constexpr platform::DialogTextId kLoadingText{861};
inline constexpr platform::DialogTextId kDelaySelectedFrameText{825};
inline constexpr platform::DialogTextId kDelayAllFramesText{826};
inline constexpr platform::DialogTextId kDelayOkText{2};
inline constexpr platform::DialogTextId kDelayCancelText{22};

// 430 x 230, centred over its owner and kept on top. Style 0: one button (text 25) ending
// with 1; style 4: buttons 33 (text 28, result 1) and 34 (text 29, result 2); other styles
// show no button. Escape answers 2 (1 for style 0, whose only answer is 1).
class MessageBox : public QDialog {
  Q_OBJECT

 public:
  MessageBox(QWidget* owner, const QString& title, const QString& message, int style);
  int Run();

  static constexpr int kWidth = 430;
  static constexpr int kHeight = 230;

 protected:
  void reject() override;

 private:
  int style_;
};

// A 102 x 102 frameless busy indicator centred over the owner.
class WaitDialog : public QDialog {
  Q_OBJECT

 public:
  explicit WaitDialog(QWidget* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override {}  // only the task ends it

 private:
  QTimer* spin_;
  int angle_ = 0;
};

// Busy indicator with a progress bar (with_bar) for the screen upload.
class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  // With the bar (LEDWaitDlg2): a title line and a close button that emits CloseClicked.
  // `cancellable`: a cancel button (and Escape) ends the run as rejected.
  ProgressDialog(QWidget* owner, bool with_bar, bool cancellable = false);
  void SetProgress(int percent);
  void SetText(const QString& text);

 Q_SIGNALS:
  void CloseClicked();

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override {
    if (cancellable_) QDialog::reject();
  }

 private:
  QProgressBar* bar_;
  QLabel* text_ = nullptr;
  bool cancellable_;
};

// LCDDelayEditDlg: the delay of the selected frame or of all frames (radio group
// "DELAYTIME_TYPE"), 300 x 200, texts from section "KB.DIALOG".
class LCDDelayEditDlg : public QDialog {
  Q_OBJECT

 public:
  // nullopt when cancelled.
  static std::optional<DelayChoice> Ask(QWidget* owner, const QString& title, int frame_delay);
};

}  // namespace ui::qt
