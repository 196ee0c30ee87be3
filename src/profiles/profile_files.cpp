#include "profiles/profile_files.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

#include "log/trace.h"
#include "platform/language.h"
#include "store/sqlite_db.h"
#include "xml/xml_document.h"

namespace profiles {
namespace {

// The DPI elements and the settings each carries.
struct DpiElement {
  const char* element;
  const char* value_key;
  const char* colour_key;
};
constexpr std::array<DpiElement, 6> kDpiElements = {{
    {"DPI1", "dpi_group0_value", "dpi_group0_rgb"},
    {"DPI2", "dpi_group1_value", "dpi_group1_rgb"},
    {"DPI3", "dpi_group2_value", "dpi_group2_rgb"},
    {"DPI4", "dpi_group3_value", "dpi_group3_rgb"},
    {"DPI5", "dpi_group4_value", "dpi_group4_rgb"},
    {"DPI6", "dpi_group5_value", "dpi_group5_rgb"},
}};
constexpr std::array<const char*, 3> kDpiAttributes = {"dpi_flag", "dpi_index", "dpi_count"};
constexpr std::array<const char*, 9> kMouseSettings = {
    "button_respondtime", "report_rate",   "report_rate_wireless", "sensor_flag", "liftoff_height",
    "scroll_flag",        "e-sports_flag", "leftbtn_lock",         "sleep_light"};
constexpr std::array<const char*, 5> kPointerSettings = {"mouse_speed", "mouse_sensitivity",
                                                         "wheel_scrollflag", "wheel_scrolllines",
                                                         "doubleclick_time"};

// A mouse has eight buttons and seven lighting modes: files with many more items are not
// profiles of ours, and storing them would only take time.
constexpr size_t kMaxKeyItems = 64;
constexpr size_t kMaxLightItems = 64;
constexpr int kHighestKeyCode = 7;
constexpr int kColourMax = 0xFFFFFF;

// The values a setting may take; a setting not listed is carried without a check (it goes
// nowhere but the profile).
struct SettingRange {
  std::string_view key_prefix;  // the key, or the prefix of a key family
  bool prefix;
  int min, max;
};
constexpr std::array<SettingRange, 17> kSettingRanges = {{
    {"dpi_flag", false, 1, 7},
    {"dpi_index", false, 0, 6},
    {"dpi_count", false, 1, 7},
    {"button_respondtime", false, 0, 20},
    {"report_rate", false, 0, 6},
    {"report_rate_wireless", false, 0, 6},
    {"sensor_flag", false, 0, 255},
    {"liftoff_height", false, 1, 3},
    {"e-sports_flag", false, 0, 2},
    {"sleep_light", false, 0, 120},  // and one of the offered times, below
    {"mouse_speed", false, 1, 20},
    {"mouse_sensitivity", false, 0, 1},
    {"wheel_scrollflag", false, 0, 1},
    {"wheel_scrolllines", false, 0, 100},
    {"doubleclick_time", false, 1, 5000},
    {"_value", true, 50, 42000},    // dpi_groupN_value
    {"_rgb", true, 0, kColourMax},  // dpi_groupN_rgb
}};
constexpr std::array<int, 9> kSleepTimes = {0, 1, 2, 4, 6, 10, 20, 60, 120};

platform::Status Ok() { return {}; }
platform::Status Fail(std::string reason) { return platform::Fail(0, std::move(reason)); }

// `pattern` with each "%s" replaced by the next argument.
std::string Format(std::string pattern, std::initializer_list<std::string> args) {
  size_t from = 0;
  for (const std::string& arg : args) {
    const size_t at = pattern.find("%s", from);
    if (at == std::string::npos) break;
    pattern.replace(at, 2, arg);
    from = at + arg.size();
  }
  return pattern;
}

// `reason` with `detail` added by the language's pattern `text` ("%s" the reason, "%s" the
// detail); the reason alone when the language has no such pattern.
std::string WithDetail(const std::string& reason, int text, const std::string& detail) {
  const std::string pattern = LanguageText(text);
  if (pattern.find("%s") == std::string::npos || detail.empty()) return reason;
  return Format(pattern, {reason, detail});
}

// The system's words after the file's name in a file error's reason.
std::string SystemWords(const platform::Error& error, const std::filesystem::path& path) {
  const std::string prefix = path.string() + ": ";
  return error.reason.rfind(prefix, 0) == 0 ? error.reason.substr(prefix.size()) : error.reason;
}

// A value as the person is shown it: long values cut, never inside a character.
std::string Shown(std::string_view value) {
  constexpr size_t kMax = 32;
  if (value.size() <= kMax) return std::string(value);
  size_t cut = kMax;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
  return std::string(value.substr(0, cut)) + "...";
}

platform::Status OutOfRange(const std::string& name, std::string_view value) {
  return Fail(Format(LanguageText(kOutOfRangeText), {name, Shown(value)}));
}

// The stored numbers' reading: leading digits with an optional sign, 0 when there are none.
// Saturates instead of overflowing.
int ToInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 40);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The text as a whole decimal number ("-" allowed), or nothing.
std::optional<int> StrictInt(std::string_view text) {
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 9) return std::nullopt;
  for (size_t k = i; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return std::nullopt;
  }
  return ToInt(text);
}

const SettingRange* RangeOf(std::string_view key) {
  for (const SettingRange& r : kSettingRanges) {
    if (!r.prefix && key == r.key_prefix) return &r;
    if (r.prefix && key.starts_with("dpi_group") && key.ends_with(r.key_prefix)) return &r;
  }
  return nullptr;
}

// A setting text the mouse may be sent. An empty text (a missing attribute) stands for no
// value and is stored as it is.
platform::Status CheckSetting(const std::string& key, const std::string& text) {
  const SettingRange* range = RangeOf(key);
  if (range == nullptr || text.empty()) return Ok();
  const std::optional<int> v = StrictInt(text);
  // 255 is what a read stores for a mouse without an active level; the DPI write takes it
  // for level 0, so the program's own files carry it back.
  if (key == "dpi_index" && v == 255) return Ok();
  if (!v || *v < range->min || *v > range->max) return OutOfRange(key, text);
  if (key == "sleep_light" &&
      std::find(kSleepTimes.begin(), kSleepTimes.end(), *v) == kSleepTimes.end()) {
    return OutOfRange(key, text);
  }
  return Ok();
}

bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }

// A button row against the function table; rows that would not be stored pass.
platform::Status CheckKey(const KeyAssignmentRecord& k) {
  if (k.macro_value == 0 && k.macro_value2 == 0) return Ok();
  const auto bad = [&](const char* attribute, int value) {
    return OutOfRange(std::string("item ") + attribute, std::to_string(value));
  };
  if (!In(k.key_code, 0, kHighestKeyCode)) return bad("key_code", k.key_code);
  const int v = k.macro_value;
  bool value_ok = false;
  switch (k.macro_type) {
    case 1:
      value_ok = In(v, 1, 14);
      break;  // mouse button
    case 2:
      value_ok = In(v, 0, 255);
      break;  // keyboard key (HID usage)
    case 3:
      value_ok = In(v, 1, 8);
      break;  // media
    case 4:
      value_ok = v >= 1;
      break;  // macro id
    case 5:
      value_ok = v == 1 || v == 2 || v == 4 || v == 10;
      break;  // DPI function
    case 6:
      value_ok = In(v, 1, 3);
      break;  // report-rate function
    case 7:
      value_ok = In(v, 0, 4);
      break;  // lighting function
    case 8:
      value_ok = In(v, 0x401, 0x40E) || In(v, 0x801, 0x8FF);
      break;  // fire key
    case 9:
      value_ok = In(v, 1, 11);
      break;  // system shortcut
    case 10:
    case 11:
      value_ok = v == 1;
      break;
    default:
      return bad("macro_type", k.macro_type);
  }
  if (!value_ok) return bad("macro_value", v);
  const int lo = k.macro_type == 8 ? 1 : 0;
  if (!In(k.macro_value2, lo, 255)) return bad("macro_value2", k.macro_value2);
  if (!In(k.macro_value3, lo, 255)) return bad("macro_value3", k.macro_value3);
  return Ok();
}

platform::Status CheckLight(const LightItem& l) {
  const std::pair<const char*, std::pair<int, int>> fields[] = {
      {"brightness", {l.brightness, 255}}, {"speed", {l.speed, 255}},
      {"direction", {l.direction, 255}},   {"colorful", {l.colorful, 255}},
      {"colorindex", {l.colorindex, 255}}, {"color_value", {l.color_value, kColourMax}}};
  for (const auto& [name, v] : fields) {
    if (!In(v.first, 0, v.second)) return OutOfRange(name, std::to_string(v.first));
  }
  return Ok();
}

void AddSetting(XmlDocument& doc, ProfileStore& store, int profile, const char* element,
                const char* key) {
  std::string value;
  store.ReadSetting(profile, key, value);
  doc.AddElement(element);
  doc.SetAttribute("value", value);
}

std::string Setting(ProfileStore& store, int profile, const char* key) {
  std::string value;
  store.ReadSetting(profile, key, value);
  return value;
}

}  // namespace

std::string BuildProfileDocument(ProfileStore& store, int profile, const std::string& name,
                                 bool with_lighting) {
  XmlDocument doc;
  doc.SetText(XmlDocument::kXmlDeclaration);
  doc.AddElement("profile");
  doc.EnterElement();
  doc.AddElement("profileinfo");
  doc.SetAttribute("name", name);
  doc.EnterElement();

  doc.AddElement("keyitems");
  doc.EnterElement();
  std::vector<KeyAssignmentRecord> keys;
  store.ListKeyAssignments(profile, keys);
  for (const KeyAssignmentRecord& k : keys) {
    doc.AddElement("item");
    doc.SetAttribute("key_code", k.key_code);
    doc.SetAttribute("macro_type", k.macro_type);
    doc.SetAttribute("macro_value", k.macro_value);
    doc.SetAttribute("macro_value2", k.macro_value2);
    doc.SetAttribute("macro_value3", k.macro_value3);
    doc.SetAttribute("macro_desc", k.macro_desc);
  }
  doc.LeaveElement();

  if (with_lighting) {
    doc.AddElement("Lightitems");
    doc.SetAttribute("lightmode", store.GetActiveLightMode(profile));
    doc.EnterElement();
    std::vector<LightModeRecord> lights;
    store.ListLightModes(profile, lights);
    for (const LightModeRecord& l : lights) {
      doc.AddElement("item");
      doc.SetAttribute("light_mode", l.mode);
      doc.SetAttribute("brightness", l.brightness);
      doc.SetAttribute("speed", l.speed);
      doc.SetAttribute("direction", l.direction);
      doc.SetAttribute("colorful", l.colorful);
      doc.SetAttribute("colorindex", l.colorindex);
      doc.SetAttribute("color_value", l.color_value);
    }
    doc.LeaveElement();
  }

  doc.AddElement("Mouse_DPI");
  for (const char* key : kDpiAttributes) doc.SetAttribute(key, Setting(store, profile, key));
  doc.EnterElement();
  for (const DpiElement& e : kDpiElements) {
    doc.AddElement(e.element);
    doc.SetAttribute("value", Setting(store, profile, e.value_key));
    doc.SetAttribute("color", Setting(store, profile, e.colour_key));
  }
  doc.LeaveElement();

  doc.AddElement("Mouse");
  doc.EnterElement();
  for (const char* key : kMouseSettings) AddSetting(doc, store, profile, key, key);
  doc.LeaveElement();

  doc.AddElement("mouse_properties");
  doc.EnterElement();
  for (const char* key : kPointerSettings) AddSetting(doc, store, profile, key, key);
  doc.LeaveElement();
  return doc.GetText();
}

platform::Status ExportProfile(ProfileStore& store, int profile, const std::string& name,
                               bool with_lighting, const std::filesystem::path& path) {
  XmlDocument doc;
  doc.SetText(BuildProfileDocument(store, profile, name, with_lighting));
  if (platform::Status saved = doc.SaveFile(path); !saved) {
    Trace(4, "Profile %d not exported to %s: %s", profile, path.string().c_str(),
          saved.error().reason.c_str());
    return Fail(WithDetail(LanguageText(kCannotWriteText), kReasonDetailText,
                           SystemWords(saved.error(), path)));
  }
  Trace(2, "Profile %d exported to %s", profile, path.string().c_str());
  return Ok();
}

platform::Status ReadProfileDocument(XmlDocument& doc, bool with_lighting, ProfilePlan& plan) {
  plan = ProfilePlan{};
  doc.ResetPos();
  if (!doc.FindElement("profile")) return Fail(LanguageText(kNotProfileText));
  doc.EnterElement();
  // Without profileinfo the sections are looked for right under the root.
  if (doc.FindElement("profileinfo")) {
    doc.GetAttribute("name");  // carried for the reader of the file; not used here
    doc.EnterElement();
  }

  if (doc.FindElement("keyitems")) {
    doc.EnterElement();
    while (doc.FindElement("item")) {
      if (plan.keys.size() == kMaxKeyItems) return Fail(LanguageText(kTooLargeText));
      KeyAssignmentRecord k;
      k.key_code = ToInt(doc.GetAttribute("key_code"));
      k.macro_type = ToInt(doc.GetAttribute("macro_type"));
      k.macro_value = ToInt(doc.GetAttribute("macro_value"));
      k.macro_value2 = ToInt(doc.GetAttribute("macro_value2"));
      k.macro_value3 = ToInt(doc.GetAttribute("macro_value3"));
      k.macro_desc = doc.GetAttribute("macro_desc");
      if (platform::Status r = CheckKey(k); !r.ok()) return r;
      plan.keys.push_back(std::move(k));
    }
    doc.LeaveElement();
  }

  if (with_lighting && doc.FindElement("Lightitems")) {
    plan.has_lights = true;
    const std::string active = doc.GetAttribute("lightmode");
    plan.active_light_mode = ToInt(active);
    if (!In(plan.active_light_mode, 0, 6)) return OutOfRange("lightmode", active);
    doc.EnterElement();
    while (doc.FindElement("item")) {
      if (plan.lights.size() == kMaxLightItems) return Fail(LanguageText(kTooLargeText));
      LightItem l;
      l.mode = ToInt(doc.GetAttribute("light_mode"));
      l.brightness = ToInt(doc.GetAttribute("brightness"));
      l.speed = ToInt(doc.GetAttribute("speed"));
      l.direction = ToInt(doc.GetAttribute("direction"));
      l.colorful = ToInt(doc.GetAttribute("colorful"));
      l.colorindex = ToInt(doc.GetAttribute("colorindex"));
      l.color_value = ToInt(doc.GetAttribute("color_value"));
      if (platform::Status r = CheckLight(l); !r.ok()) return r;
      plan.lights.push_back(l);
    }
    doc.LeaveElement();
  }

  const auto take = [&](const std::string& key, std::string value) {
    platform::Status r = CheckSetting(key, value);
    if (r.ok()) plan.settings.emplace_back(key, std::move(value));
    return r;
  };
  if (doc.FindElement("Mouse_DPI")) {
    for (const char* key : kDpiAttributes) {
      if (platform::Status r = take(key, doc.GetAttribute(key)); !r.ok()) return r;
    }
    doc.EnterElement();
    for (const DpiElement& e : kDpiElements) {
      if (!doc.FindElement(e.element)) continue;
      if (platform::Status r = take(e.value_key, doc.GetAttribute("value")); !r.ok()) return r;
      if (platform::Status r = take(e.colour_key, doc.GetAttribute("color")); !r.ok()) return r;
    }
    doc.LeaveElement();
  }
  for (const auto& [section, keys] :
       {std::pair{"Mouse", std::span<const char* const>(kMouseSettings)},
        std::pair{"mouse_properties", std::span<const char* const>(kPointerSettings)}}) {
    if (!doc.FindElement(section)) continue;
    doc.EnterElement();
    for (const char* key : keys) {
      if (!doc.FindElement(key)) continue;
      if (platform::Status r = take(key, doc.GetAttribute("value")); !r.ok()) return r;
    }
    doc.LeaveElement();
  }
  return Ok();
}

platform::Status ReadProfileFile(const std::filesystem::path& path, bool with_lighting,
                                 ProfilePlan& plan) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return Fail(LanguageText(kNoFileText));
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return Fail(LanguageText(kCannotReadText));
  if (size > kMaxProfileFileBytes) return Fail(LanguageText(kTooLargeText));
  XmlDocument doc;
  if (platform::Status loaded = doc.LoadFile(path); !loaded) {
    Trace(4, "Profile file %s", loaded.error().reason.c_str());
    // A file that loads into a flawed tree was read; one that holds nothing was not.
    if (doc.GetText().empty() && size > 0) {
      return Fail(WithDetail(LanguageText(kCannotReadText), kReasonDetailText,
                             SystemWords(loaded.error(), path)));
    }
    const std::size_t line = doc.FaultLine();
    return Fail(WithDetail(LanguageText(kNotWellFormedText), kFaultLineText,
                           line > 0 ? std::to_string(line) : std::string()));
  }
  return ReadProfileDocument(doc, with_lighting, plan);
}

platform::Status StoreProfilePlan(ProfileStore& store, int profile, const ProfilePlan& plan) {
  auto lock = store.Lock();
  SQLiteDB& db = store.Db();
  SQLiteRollbackTransaction transaction(db);
  if (!store.IsOpen() || !transaction.Begin()) return Fail(LanguageText(kDatabaseFailedText));
  bool ok = store.DeleteKeyAssignments(profile);
  for (size_t i = 0; ok && i < plan.keys.size(); ++i) {
    KeyAssignmentRecord k = plan.keys[i];
    k.profile = profile;
    const bool stored_row = k.macro_value != 0 || k.macro_value2 != 0;
    if (store.SaveKeyAssignment(k) == 0 && stored_row) ok = false;
  }
  if (ok && plan.has_lights) {
    ok = store.SetActiveLightMode(profile, plan.active_light_mode);
    for (size_t i = 0; ok && i < plan.lights.size(); ++i) {
      const LightItem& l = plan.lights[i];
      LightModeRecord row;
      if (!store.GetLightMode(profile, l.mode, row)) continue;  // the profile has no such mode
      row.brightness = l.brightness;
      row.speed = l.speed;
      row.direction = l.direction;
      row.colorful = l.colorful;
      row.colorindex = l.colorindex;
      row.color_value = l.color_value;
      ok = store.UpdateLightMode(profile, l.mode, row);
    }
  }
  for (size_t i = 0; ok && i < plan.settings.size(); ++i) {
    ok = store.WriteSetting(profile, plan.settings[i].first, plan.settings[i].second);
  }
  if (ok && transaction.Commit()) return Ok();
  Trace(4, "Profile %d import rolled back", profile);
  return Fail(LanguageText(kDatabaseFailedText));
}

platform::Status ImportProfile(ProfileStore& store, int profile, bool with_lighting,
                               const std::filesystem::path& path) {
  ProfilePlan plan;
  platform::Status r = ReadProfileFile(path, with_lighting, plan);
  if (!r.ok()) {
    Trace(4, "Profile file %s refused", path.string().c_str());
    return r;
  }
  r = StoreProfilePlan(store, profile, plan);
  if (r.ok()) Trace(2, "Profile %d imported from %s", profile, path.string().c_str());
  return r;
}

}  // namespace profiles
