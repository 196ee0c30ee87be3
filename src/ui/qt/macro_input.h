// Macro recording's input on Linux: the main window's key and mouse events, while it is the
// active window, turned into the raw-input-like records the recorder decodes. Nothing is
// consumed; the window handles every event as before.
#pragma once

#include <functional>
#include <memory>

#include "macros/macro_recorder.h"

class QKeyEvent;

namespace ui::qt {

class QtToolkit;

// The virtual-key code of a key event, 0 when the key has none here.
int KeyEventToVirtualKey(const QKeyEvent& event);

// Follows the application's events into `sink` until the result is dropped. The window is the
// one holding control `record_button`, whose rectangle marks the clicks that are not recorded.
std::shared_ptr<void> StartMacroInput(QtToolkit& toolkit, int record_button,
                                      std::function<void(const macros::RawInputRecord&)> sink);

}  // namespace ui::qt
