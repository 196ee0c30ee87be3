// The wait dialog (WaitDlg) around a long device write, window-thread side: a modal dialog
// runs while the worker carries out the task, and the worker ends it when the task is done.
#pragma once

#include "app/task_list.h"
#include "ui/toolkit.h"

namespace app {

// Window thread: destroys any wait dialog still registered, registers a new one, appends `code`
// and runs the dialog modally until the worker ends it (at once if the worker already did).
void RunTaskWithWaitDialog(ui::Toolkit& toolkit, TaskList& tasks, int code);

// Window thread: a model chosen in the device list itself reloads without a wait dialog.
void AppendModelReload(TaskList& tasks);

}  // namespace app
