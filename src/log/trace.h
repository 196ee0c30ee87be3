// The trace log: one file per run, one flushed line per call, written as GBK bytes.
#pragma once

#include <string>

namespace platform {
class Clock;
}

namespace mouselog {

enum Level { kTrace = 0, kDebug = 1, kInfo = 2, kWarn = 3, kError = 4, kFatal = 5 };

// Opens "VexMouse_<yyyymmdd>_<hhmmss>.log" in the current directory for appending.
// The clock supplies the name's time and each line's stamp (the real clock by default).
void OpenLog(platform::Clock* clock = nullptr);
// printf-style, UTF-8 text; lines below kInfo are dropped.
void Trace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void CloseLog();
bool LogIsOpen();
// The name the open (or last opened) log file was given.
std::string LogFileName();

}  // namespace mouselog

using mouselog::Trace;
