#include "app/wait_dialog.h"

#include "app/task_table.h"

namespace app {

bool TaskClosesWaitDialog(int code) {
  switch (code) {
    case kTaskModelReload:
    case kTaskApplyProfile:
    case kTaskWriteKeyMap:
    case kTaskWriteReportRate:
    case kTaskRestoreFactory:
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

void AppendModelReload(TaskList& tasks) { tasks.Append(kTaskModelReload); }

}  // namespace app
