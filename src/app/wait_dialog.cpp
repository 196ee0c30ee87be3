#include "app/wait_dialog.h"

#include "ui/task_table.h"

namespace app {

bool TaskClosesWaitDialog(int code) {
  switch (code) {
    case ui::kTaskModelReload:
    case ui::kTaskApplyProfile:
    case ui::kTaskWriteKeyMap:
    case ui::kTaskWriteReportRate:
    case ui::kTaskRestoreFactory:
      return true;
    default:
      return false;
  }
}

void RunTaskWithWaitDialog(ui::Toolkit& toolkit, TaskList& tasks, int code) {
  // The dialog is registered before the code is queued, so the worker's end always finds it.
  toolkit.BeginModal(ui::ModalKind::kWait);
  tasks.Append(code);
  toolkit.RunModal(ui::ModalKind::kWait);
}

void AppendModelReload(TaskList& tasks) { tasks.Append(ui::kTaskModelReload); }

}  // namespace app
