#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mu;
std::string g_program_dir;
std::string g_caption = "DeviceDriver";

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string EnvOr(const char* name, const std::string& fallback_under_home) {
  const char* value = std::getenv(name);
  if (value && *value) return WithSlash(value);
  const char* home = std::getenv("HOME");
  return WithSlash(std::string(home && *home ? home : "/tmp") + "/" + fallback_under_home);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string DataDir() {
  const std::string program = ProgramDir();
  if (IsFile(program + "config.xml")) return program;
  const std::string shared = program + "../share/" MOUSE_PACKAGE_NAME "/";
  if (IsFile(shared + "config.xml")) return shared;
  return program;
}

std::string UdevRuleFileName() { return MOUSE_UDEV_RULE_FILE; }

bool UdevRuleInstalled() {
  for (const char* dir : {"/etc/udev/rules.d/", "/usr/lib/udev/rules.d/", "/lib/udev/rules.d/"}) {
    if (IsFile(dir + UdevRuleFileName())) return true;
  }
  return false;
}

std::string ProgramDir() {
  std::lock_guard lock(g_mu);
  if (g_program_dir.empty()) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    g_program_dir = ec ? std::string("./") : WithSlash(exe.parent_path().string());
  }
  return g_program_dir;
}

void SetProgramDir(const std::string& dir) {
  std::lock_guard lock(g_mu);
  g_program_dir = WithSlash(dir);
}

std::string Caption() {
  std::lock_guard lock(g_mu);
  return g_caption;
}

void SetCaption(const std::string& caption) {
  std::lock_guard lock(g_mu);
  g_caption = caption;
}

std::string UserDataDir() { return EnvOr("XDG_DATA_HOME", ".local/share") + Caption() + " Files/"; }

std::string ConfigHome() { return EnvOr("XDG_CONFIG_HOME", ".config"); }

bool EnsureDirectory(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

bool DeleteTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return !ec;
}

}  // namespace platform
