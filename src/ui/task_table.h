// The worker's table of task routines: each subsystem adds the codes it owns, so the table
// grows by registration rather than by one central switch.
#pragma once

#include <functional>
#include <map>

namespace ui {

// Task codes appended to the task list.
inline constexpr int kTaskFirstRead = 1;
inline constexpr int kTaskArrival = 2;
inline constexpr int kTaskRemoval = 3;
inline constexpr int kTaskModelReload = 4;
inline constexpr int kTaskApplyProfile = 7;
inline constexpr int kTaskWriteKeyMap = 8;
inline constexpr int kTaskLighting = 10;
inline constexpr int kTaskWriteDpi = 11;
inline constexpr int kTaskWriteReportRate = 12;
inline constexpr int kTaskWritePerformance = 13;
inline constexpr int kTaskWriteSleep = 14;
inline constexpr int kTaskRestoreSection = 17;
inline constexpr int kTaskRestoreFactory = 18;
inline constexpr int kTaskPointer = 19;
inline constexpr int kTaskDriverUpdate = 20;
inline constexpr int kTaskToolPackage = 21;
inline constexpr int kTaskScreenExport = 23;
inline constexpr int kTaskScreenUpload = 24;
inline constexpr int kTaskScreenImport = 25;
inline constexpr int kTaskScreenClock = 27;
inline constexpr int kTaskScreenMode = 28;

struct TaskRoutine {
  std::function<void()> run;  // runs on the worker; may be empty (the pause alone)
  int pause_ms = 0;           // slept after the routine
  bool closes_wait = false;   // ends the registered wait dialog after the routine
};

class TaskTable {
 public:
  // A later registration of the same code replaces the earlier one.
  void Add(int code, TaskRoutine routine) { routines_[code] = std::move(routine); }
  // nullptr for a code without a routine (such codes are dropped).
  const TaskRoutine* Find(int code) const {
    auto it = routines_.find(code);
    return it == routines_.end() ? nullptr : &it->second;
  }

 private:
  std::map<int, TaskRoutine> routines_;
};

}  // namespace ui
