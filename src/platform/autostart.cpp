#include "platform/autostart.h"

#include <filesystem>
#include <fstream>

#include "platform/paths.h"

namespace platform {
namespace {

// A value holds one line: anything below a space cannot be written into it.
bool Writable(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20) return false;
  }
  return true;
}

}  // namespace

std::string AutostartEntryPath(const std::string& caption) {
  std::string name = caption;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return ConfigHome() + "autostart/" + name + ".desktop";
}

bool AutostartEnabled(const std::string& caption) {
  std::error_code ec;
  return std::filesystem::is_regular_file(AutostartEntryPath(caption), ec);
}

std::string DesktopExecArgument(const std::string& argument) {
  static constexpr char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
  std::string exec;
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  if (quote) exec.push_back('"');
  for (char c : argument) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) exec.push_back('\\');
    exec.push_back(c);
    if (c == '%') exec.push_back('%');  // field codes start with '%'
  }
  if (quote) exec.push_back('"');
  // The value's own escape: a backslash is written as two.
  std::string value;
  for (char c : exec) {
    value.push_back(c);
    if (c == '\\') value.push_back('\\');
  }
  return value;
}

bool WriteAutostartEntry(const std::string& caption, const std::string& executable) {
  if (!Writable(caption) || !Writable(executable)) return false;
  const std::filesystem::path path = AutostartEntryPath(caption);
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  const std::string temp = path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << caption << "\n"
        << "Exec=" << DesktopExecArgument(executable) << " -autorun\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    if (!out) return false;
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

bool RemoveAutostartEntry(const std::string& caption) {
  std::error_code ec;
  std::filesystem::remove(AutostartEntryPath(caption), ec);
  return !AutostartEnabled(caption);
}

}  // namespace platform
