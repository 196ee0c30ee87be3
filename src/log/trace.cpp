#include "log/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/clock.h"
#include "platform/utf8.h"

namespace mouselog {
namespace {

constexpr char kLevelNames[6][6] = {"Trace", "Debug", "Info ", "Warn ", "Error", "Fatal"};
constexpr size_t kLineBuffer = 256;  // a line is at most 255 characters

struct Log {
  std::mutex mu;
  std::ofstream stream;
  std::string file_name;
  platform::Clock* clock = nullptr;
  int threshold = kInfo;
};

Log& TheLog() {
  static Log log;
  return log;
}

platform::Clock& ClockOf(Log& log) { return log.clock ? *log.clock : platform::SystemClock(); }

}  // namespace

void OpenLog(platform::Clock* clock) {
  Log& log = TheLog();
  std::lock_guard lock(log.mu);
  log.threshold = kInfo;
  log.clock = clock;
  const platform::LocalTime t = ClockOf(log).Now();
  char name[64];
  std::snprintf(name, sizeof(name), "%s_%04d%02d%02d_%02d%02d%02d.log", "VexMouse", t.year, t.month,
                t.day, t.hour, t.minute, t.second);
  log.file_name = name;
  if (log.stream.is_open()) log.stream.close();
  log.stream.clear();
  log.stream.open(name, std::ios::out | std::ios::app | std::ios::binary);
  for (int attempt = 0; attempt < 11 && !log.stream.is_open(); ++attempt) {
    std::fputs("Open log file failed!!\n", stderr);
    ClockOf(log).SleepMs(50);
    log.stream.clear();
    log.stream.open(name, std::ios::out | std::ios::app | std::ios::binary);
  }
}

void Trace(int level, const char* format, ...) {
  Log& log = TheLog();
  if (level < log.threshold || level < 0 || level > kFatal) return;
  const platform::LocalTime t = ClockOf(log).Now();
  // Formatted as UTF-8 with room to spare, then cut in GBK bytes: the 255-character limit
  // is a limit of the 8-bit line, and a double-byte character is never split.
  char buffer[4 * kLineBuffer] = {};
  const int prefix =
      std::snprintf(buffer, sizeof(buffer), "[%02d-%02d %02d:%02d:%02d.%03d][%s]", t.month, t.day,
                    t.hour, t.minute, t.second, t.millisecond, kLevelNames[level]);
  if (prefix > 0 && static_cast<size_t>(prefix) < sizeof(buffer)) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer + prefix, sizeof(buffer) - prefix, format, args);
    va_end(args);
  }
  std::string gbk;
  if (!platform::ConvertFromUtf8(buffer, "GBK//TRANSLIT", &gbk)) gbk = buffer;
  size_t keep = 0;
  while (keep < gbk.size()) {
    const auto c = static_cast<unsigned char>(gbk[keep]);
    const size_t width = (c >= 0x81 && c <= 0xFE && keep + 1 < gbk.size()) ? 2 : 1;
    if (keep + width > kLineBuffer - 1) break;
    keep += width;
  }
  gbk.resize(keep);
  std::lock_guard lock(log.mu);
  if (!log.stream.is_open()) return;
  log.stream << gbk << '\n';
  log.stream.flush();
}

void CloseLog() {
  Log& log = TheLog();
  std::lock_guard lock(log.mu);
  if (log.stream.is_open()) {
    log.stream.flush();
    log.stream.close();
  }
  log.stream.clear();
  log.clock = nullptr;
}

bool LogIsOpen() {
  Log& log = TheLog();
  std::lock_guard lock(log.mu);
  return log.stream.is_open();
}

std::string LogFileName() {
  Log& log = TheLog();
  std::lock_guard lock(log.mu);
  return log.file_name;
}

}  // namespace mouselog
