#include "settings/pointer_settings.h"

#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "log/trace.h"
#include "platform/app_key.h"
#include "platform/paths.h"

namespace settings {
namespace {

constexpr char kGnomeMouseSchema[] = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kGnomeKeys[] = {"speed", "accel-profile", "double-click"};

// The program's settings file keeps what no desktop has. Page scrolling is stored as -1.
constexpr char kWheelLinesValue[] = "wheel_scroll_lines";
constexpr char kStoredSpeed[] = "pointer_speed";
constexpr char kStoredPrecision[] = "pointer_precision";
constexpr char kStoredDoubleClick[] = "double_click_time";

int ReadOr(platform::AppKey& key, const char* name, int fallback) {
  return key.Has(name) ? key.ReadInt(name) : fallback;
}

std::vector<std::string> SplitDesktops(const std::string& list) {
  std::vector<std::string> out;
  std::string item;
  std::istringstream in(list);
  while (std::getline(in, item, ':')) {
    for (char& c : item) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!item.empty()) out.push_back(item);
  }
  return out;
}

// What every backend shares: the wheel lines, kept in the program's settings and handed to the
// toolkit.
class WheelLinesKeeper {
 public:
  WheelLinesKeeper(platform::AppKey& key, WheelLinesHook hook) : key_(key), hook_(std::move(hook)) {
    if (hook_) hook_(Get());
  }
  uint32_t Get() {
    if (!key_.Has(kWheelLinesValue)) return kDefaultWheelLines;
    const int stored = key_.ReadInt(kWheelLinesValue);
    return stored < 0 ? kWheelPageScroll : static_cast<uint32_t>(stored);
  }
  void Set(uint32_t lines) {
    const int stored = lines > 100 ? -1 : static_cast<int>(lines);
    if (!key_.WriteInt(kWheelLinesValue, stored)) Trace(4, "Wheel lines not stored");
    if (hook_) hook_(lines > 100 ? kWheelPageScroll : lines);
  }

 private:
  platform::AppKey& key_;
  WheelLinesHook hook_;
};

// --- the fallback ---

class StoredPointerSettings : public PointerSettings {
 public:
  StoredPointerSettings(platform::AppKey& key, WheelLinesHook hook)
      : key_(key), wheel_(key, std::move(hook)) {}
  int Speed() override {
    return std::clamp(ReadOr(key_, kStoredSpeed, kDefaultSpeed), kSpeedMin, kSpeedMax);
  }
  void SetSpeed(int speed) override {
    key_.WriteInt(kStoredSpeed, std::clamp(speed, kSpeedMin, kSpeedMax));
  }
  bool Precision() override { return ReadOr(key_, kStoredPrecision, 1) == 1; }
  void SetPrecision(bool on) override { key_.WriteInt(kStoredPrecision, on ? 1 : 0); }
  int DoubleClickTime() override {
    const int ms = ReadOr(key_, kStoredDoubleClick, kDefaultDoubleClickMs);
    return ms > 0 ? ms : kDefaultDoubleClickMs;
  }
  void SetDoubleClickTime(int ms) override { key_.WriteInt(kStoredDoubleClick, ms); }
  uint32_t WheelLines() override { return wheel_.Get(); }
  void SetWheelLines(uint32_t lines) override { wheel_.Set(lines); }
  bool DesktopReachable() const override { return false; }
  std::string Name() const override { return "stored"; }

 private:
  platform::AppKey& key_;
  WheelLinesKeeper wheel_;
};

// --- GNOME ---

class GnomePointerSettings : public PointerSettings {
 public:
  // `schema` is owned by the caller's reference, taken over here.
  GnomePointerSettings(GSettingsSchema* schema, platform::AppKey& key, WheelLinesHook hook)
      : settings_(g_settings_new_full(schema, nullptr, nullptr)), wheel_(key, std::move(hook)) {
    g_settings_schema_unref(schema);
  }
  ~GnomePointerSettings() override { g_object_unref(settings_); }

  int Speed() override {
    std::lock_guard lock(mu_);
    return UnitToSpeed(g_settings_get_double(settings_, "speed"));
  }
  void SetSpeed(int speed) override {
    std::lock_guard lock(mu_);
    g_settings_set_double(settings_, "speed", SpeedToUnit(speed));
    g_settings_sync();
  }
  // "default" is libinput's adaptive profile for mice.
  bool Precision() override {
    std::lock_guard lock(mu_);
    gchar* profile = g_settings_get_string(settings_, "accel-profile");
    const bool flat = std::string(profile) == "flat";
    g_free(profile);
    return !flat;
  }
  void SetPrecision(bool on) override {
    std::lock_guard lock(mu_);
    g_settings_set_string(settings_, "accel-profile", on ? "adaptive" : "flat");
    g_settings_sync();
  }
  int DoubleClickTime() override {
    std::lock_guard lock(mu_);
    return g_settings_get_int(settings_, "double-click");
  }
  void SetDoubleClickTime(int ms) override {
    std::lock_guard lock(mu_);
    g_settings_set_int(settings_, "double-click", ms);
    g_settings_sync();
  }
  uint32_t WheelLines() override { return wheel_.Get(); }
  void SetWheelLines(uint32_t lines) override { wheel_.Set(lines); }
  bool DesktopReachable() const override { return true; }
  std::string Name() const override { return "gnome"; }

 private:
  std::mutex mu_;
  GSettings* settings_;
  WheelLinesKeeper wheel_;
};

// The schema with every key we use; nullptr when it is not installed. Looked up first because
// g_settings_new on a missing schema aborts the program.
GSettingsSchema* LookupGnomeMouseSchema() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source == nullptr) return nullptr;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeMouseSchema, TRUE);
  if (schema == nullptr) return nullptr;
  for (const char* name : kGnomeKeys) {
    if (!g_settings_schema_has_key(schema, name)) {
      g_settings_schema_unref(schema);
      return nullptr;
    }
  }
  return schema;
}

// --- KDE ---

// A KDE configuration file ("[Group]" headings, "key=value" lines), changed in place: lines
// we do not touch, comments included, stay as they are.
class KdeConfigFile {
 public:
  explicit KdeConfigFile(std::string path) : path_(std::move(path)) {}

  std::optional<std::string> Get(const std::string& group, const std::string& key) const {
    const std::vector<std::string> lines = Load();
    std::string current;
    for (const std::string& line : lines) {
      if (IsHeading(line)) {
        current = line;
        continue;
      }
      if (current != Heading(group)) continue;
      std::string k, v;
      if (Split(line, &k, &v) && k == key) return v;
    }
    return std::nullopt;
  }

  bool Set(const std::string& group, const std::string& key, const std::string& value) const {
    std::vector<std::string> lines = Load();
    const std::string heading = Heading(group);
    std::string current;
    size_t group_end = std::string::npos;  // where a missing key goes
    for (size_t i = 0; i < lines.size(); ++i) {
      if (IsHeading(lines[i])) {
        current = lines[i];
        if (current == heading) group_end = i + 1;
        continue;
      }
      if (current != heading) continue;
      std::string k, v;
      if (Split(lines[i], &k, &v) && k == key) {
        lines[i] = key + "=" + value;
        return Save(lines);
      }
      if (!Trimmed(lines[i]).empty()) group_end = i + 1;
    }
    if (group_end == std::string::npos) {
      if (!lines.empty() && !Trimmed(lines.back()).empty()) lines.emplace_back();
      lines.push_back(heading);
      lines.push_back(key + "=" + value);
    } else {
      lines.insert(lines.begin() + static_cast<long>(group_end), key + "=" + value);
    }
    return Save(lines);
  }

 private:
  static std::string Heading(const std::string& group) { return "[" + group + "]"; }
  static std::string Trimmed(const std::string& text) {
    const size_t b = text.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t\r") - b + 1);
  }
  static bool IsHeading(const std::string& line) {
    const std::string t = Trimmed(line);
    return !t.empty() && t.front() == '[';
  }
  // "key=value" or "key[$e]=value" (KDE's flags after the key are dropped for comparing).
  static bool Split(const std::string& line, std::string* key, std::string* value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = Trimmed(line.substr(0, eq));
    const size_t flags = key->find('[');
    if (flags != std::string::npos) key->erase(flags);
    *value = Trimmed(line.substr(eq + 1));
    return !key->empty() && (*key)[0] != '#';
  }
  std::vector<std::string> Load() const {
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  // Written beside and renamed over, so the desktop never reads half a file.
  bool Save(const std::vector<std::string>& lines) const {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    const std::string temp = path_ + ".vextmp";
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      if (!out) return false;
      for (const std::string& line : lines) out << line << '\n';
      out.flush();
      if (!out) return false;
    }
    std::filesystem::rename(temp, path_, ec);
    if (ec) {
      std::filesystem::remove(temp, ec);
      Trace(4, "Cannot write %s: %s", path_.c_str(), ec.message().c_str());
      return false;
    }
    return true;
  }

  std::string path_;
};

// Plasma keeps pointer acceleration (libinput's -1..1 and its flat profile) in kcminputrc's
// [Mouse] group, and the double-click interval among the global settings in kdeglobals [KDE].
class KdePointerSettings : public PointerSettings {
 public:
  KdePointerSettings(platform::AppKey& key, WheelLinesHook hook, const std::string& config_home)
      : input_(config_home + "kcminputrc"),
        globals_(config_home + "kdeglobals"),
        wheel_(key, std::move(hook)) {}

  int Speed() override {
    std::lock_guard lock(mu_);
    const auto v = input_.Get("Mouse", "XLbInptPointerAcceleration");
    return v ? UnitToSpeed(std::strtod(v->c_str(), nullptr)) : kDefaultSpeed;
  }
  void SetSpeed(int speed) override {
    std::lock_guard lock(mu_);
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", SpeedToUnit(speed));
    input_.Set("Mouse", "XLbInptPointerAcceleration", text);
  }
  bool Precision() override {
    std::lock_guard lock(mu_);
    return input_.Get("Mouse", "XLbInptAccelProfileFlat").value_or("false") != "true";
  }
  void SetPrecision(bool on) override {
    std::lock_guard lock(mu_);
    input_.Set("Mouse", "XLbInptAccelProfileFlat", on ? "false" : "true");
  }
  int DoubleClickTime() override {
    std::lock_guard lock(mu_);
    const auto v = globals_.Get("KDE", "DoubleClickInterval");
    const int ms = v ? std::atoi(v->c_str()) : 0;
    return ms > 0 ? ms : kKdeDefaultDoubleClickMs;
  }
  void SetDoubleClickTime(int ms) override {
    std::lock_guard lock(mu_);
    globals_.Set("KDE", "DoubleClickInterval", std::to_string(ms));
  }
  uint32_t WheelLines() override { return wheel_.Get(); }
  void SetWheelLines(uint32_t lines) override { wheel_.Set(lines); }
  bool DesktopReachable() const override { return true; }
  std::string Name() const override { return "kde"; }

 private:
  static constexpr int kKdeDefaultDoubleClickMs = 400;
  std::mutex mu_;
  KdeConfigFile input_;
  KdeConfigFile globals_;
  WheelLinesKeeper wheel_;
};

}  // namespace

double SpeedToUnit(int speed) {
  speed = std::clamp(speed, kSpeedMin, kSpeedMax);
  if (speed <= kDefaultSpeed) return (speed - kDefaultSpeed) / 9.0;
  return (speed - kDefaultSpeed) / 10.0;
}

int UnitToSpeed(double unit) {
  if (!std::isfinite(unit)) return kDefaultSpeed;
  unit = std::clamp(unit, -1.0, 1.0);
  const double steps = unit <= 0 ? unit * 9.0 : unit * 10.0;
  return std::clamp(kDefaultSpeed + static_cast<int>(std::lround(steps)), kSpeedMin, kSpeedMax);
}

PointerBackend ChoosePointerBackend(const std::string& current_desktop, bool gnome_schema_present) {
  const std::vector<std::string> desktops = SplitDesktops(current_desktop);
  for (const std::string& d : desktops) {
    if (d == "KDE") return PointerBackend::kKde;
  }
  if (gnome_schema_present) {
    for (const std::string& d : desktops) {
      if (d == "GNOME" || d == "UNITY" || d == "BUDGIE" || d == "PANTHEON") {
        return PointerBackend::kGnome;
      }
    }
  }
  return PointerBackend::kStored;
}

bool GnomeMouseSchemaPresent() {
  GSettingsSchema* schema = LookupGnomeMouseSchema();
  if (schema == nullptr) return false;
  g_settings_schema_unref(schema);
  return true;
}

std::unique_ptr<PointerSettings> MakeGnomePointerSettings(platform::AppKey& key,
                                                          WheelLinesHook hook) {
  GSettingsSchema* schema = LookupGnomeMouseSchema();
  if (schema == nullptr) return nullptr;
  return std::make_unique<GnomePointerSettings>(schema, key, std::move(hook));
}

std::unique_ptr<PointerSettings> MakeKdePointerSettings(platform::AppKey& key, WheelLinesHook hook,
                                                        const std::string& config_home) {
  return std::make_unique<KdePointerSettings>(key, std::move(hook), config_home);
}

std::unique_ptr<PointerSettings> MakeStoredPointerSettings(platform::AppKey& key,
                                                           WheelLinesHook hook) {
  return std::make_unique<StoredPointerSettings>(key, std::move(hook));
}

std::unique_ptr<PointerSettings> MakePointerSettings(platform::AppKey& key, WheelLinesHook hook) {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const std::string current = desktop ? desktop : "";
  std::unique_ptr<PointerSettings> port;
  switch (ChoosePointerBackend(current, GnomeMouseSchemaPresent())) {
    case PointerBackend::kGnome:
      port = MakeGnomePointerSettings(key, hook);
      break;
    case PointerBackend::kKde:
      port = MakeKdePointerSettings(key, hook, platform::ConfigHome());
      break;
    case PointerBackend::kStored:
      break;
  }
  if (!port) port = MakeStoredPointerSettings(key, std::move(hook));
  Trace(2, "Pointer settings: %s (desktop \"%s\")", port->Name().c_str(), current.c_str());
  return port;
}

}  // namespace settings
