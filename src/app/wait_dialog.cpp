#include "app/wait_dialog.h"

#include "ui/task_table.h"

namespace app {

void RunTaskWithWaitDialog(ui::Toolkit& toolkit, TaskList& tasks, int code) {
  ui::RunWithWaitDialog(toolkit, [&] {
    tasks.Append(code);
    return true;
  });
}

void AppendModelReload(TaskList& tasks) { tasks.Append(ui::kTaskModelReload); }

}  // namespace app
