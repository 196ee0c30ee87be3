#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/device_list_control.h"
#include "app/device_main_dlg.h"
#include "catalogue/catalogue.h"
#include "cli/json.h"
#include "platform/language.h"
#include "profiles/profile_list.h"
#include "settings/settings_operations.h"
#include "settings/settings_page.h"
#include "store/profile_store.h"
#include "store/settings_keys.h"
#include "ui/frame_controls.h"

namespace cli {
namespace {

using settings::SettingsContext;

Answer Fail(int code, std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';  // one line for scripts and logs
  }
  return Answer{code, "", "mousectl: " + text};
}

std::string Squash(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  }
  return out;
}

const char* ConnectionName(int mode) {
  return mode == 0 ? "cable" : mode == 1 ? "receiver" : "not connected";
}

std::string ColourText(uint32_t packed) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", packed & 0xFF, (packed >> 8) & 0xFF,
                (packed >> 16) & 0xFF);
  return text;
}

// What the window knows of the mice, read on the window thread.
struct MouseView {
  std::vector<ui::DeviceListItem> items;
  int selected_type = 0;
  bool connected = false;
  bool present = false;
  bool refused = false;
  bool permission = false;
  std::string refusal;  // the first tab's label and hint
};

MouseView ReadMouseView(app::DeviceMainDlg& dlg) {
  MouseView view;
  view.items = dlg.DeviceList().Items();
  view.selected_type = dlg.Comm().SelectedType();
  view.connected = dlg.Link().DeviceConnected();
  view.present = dlg.Link().DevicePresent();
  const std::vector<RefusedInterface> refused = dlg.Comm().RefusedInterfaces();
  if (!view.connected && !refused.empty()) {
    view.refused = true;
    for (const RefusedInterface& r : refused) {
      view.permission |= r.error == EACCES || r.error == EPERM;
    }
    // The window's own words for it, as its first tab shows them.
    ui::Toolkit& tk = dlg.Toolkit();
    view.refusal =
        tk.GetTitle(ui::frame::kConnection) + ": " + tk.GetTitle(ui::frame::kConnectHint);
  }
  return view;
}

bool Attached(const ui::DeviceListItem& item) { return item.mode >= 0; }

class Runner {
 public:
  Runner(Session& session, const Invocation& inv)
      : session_(session), inv_(inv), dlg_(session.Dialog()), w_(inv.words) {}

  Answer Run() {
    if (!session_.Settle()) return Fail(kExitMouse, "the program did not finish reading the mouse");
    if (!Window([&] { view_ = ReadMouseView(dlg_); })) return Closing();
    if (inv_.model) {
      if (std::optional<Answer> problem = ChooseModel()) return *problem;
    }
    if (w_[0] == "list") return List();
    if (!view_.connected) return NotConnected();
    if (w_[0] == "info") return Info();
    if (w_[0] == "profile") return w_.size() == 1 ? ShowProfiles() : SwitchProfile();
    if (w_[0] == "dpi") {
      if (w_.size() == 1) return ShowDpi();
      if (w_[1] == "set") return DpiSet();
      if (w_[1] == "active") return DpiActive();
      return DpiCount();
    }
    if (w_[0] == "rate") return w_.size() == 1 ? ShowRate() : SetRate();
    if (w_[0] == "export") return Export();
    return Import();
  }

 private:
  SettingsContext& Ctx() { return dlg_.Device().Settings(); }
  bool Window(const std::function<void()>& action) { return session_.OnWindowThread(action); }
  static Answer Closing() { return Fail(kExitMouse, "the window program is closing"); }
  static int Number(const std::string& text) { return std::atoi(text.c_str()); }

  std::optional<Answer> ChooseModel() {
    const std::string wanted = Squash(*inv_.model);
    const ui::DeviceListItem* found = nullptr;
    std::string known;
    for (const ui::DeviceListItem& item : view_.items) {
      if (Squash(item.name) == wanted || std::to_string(item.data) == wanted) found = &item;
      known += (known.empty() ? "" : ", ") + item.name;
    }
    if (!found) return Fail(kExitNoMouse, "no model " + *inv_.model + " (models: " + known + ")");
    if (!Attached(*found)) return Fail(kExitNoMouse, found->name + " is not attached");
    const int type = static_cast<int>(found->data);
    if (type == view_.selected_type) return std::nullopt;
    // As choosing it in the window's device list.
    if (!Window([&] { dlg_.OnControlNotify(catalogue::kDeviceList, ui::kNotifyClicked, type); })) {
      return Closing();
    }
    if (!session_.Settle()) return Fail(kExitMouse, "the model did not load");
    if (!Window([&] { view_ = ReadMouseView(dlg_); })) return Closing();
    return std::nullopt;
  }

  Answer NotConnected() {
    if (view_.refused) return Fail(view_.permission ? kExitPermission : kExitMouse, view_.refusal);
    if (view_.present) {
      return Fail(kExitMouse,
                  "the mouse does not answer (behind its receiver, switched off or "
                  "asleep)");
    }
    return Fail(kExitNoMouse, "no supported mouse is attached");
  }

  Answer List() {
    std::vector<const ui::DeviceListItem*> attached;
    for (const ui::DeviceListItem& item : view_.items) {
      if (Attached(item)) attached.push_back(&item);
    }
    if (attached.empty()) return NotConnected();
    int battery = -1;
    bool charging = false;
    Window([&] {
      battery = Ctx().state.battery_value;
      charging = Ctx().state.charge_flag;
    });
    Json json;
    json.BeginObject().BeginArray("mice");
    std::string text;
    for (const ui::DeviceListItem* item : attached) {
      const bool selected = item->data == view_.selected_type && view_.connected;
      const int percent = selected ? battery : item->battery;
      json.BeginObject()
          .Add("name", item->name)
          .Add("device_type", static_cast<int64_t>(item->data))
          .Add("connection", ConnectionName(item->mode))
          .Add("firmware", item->version)
          .Add("selected", selected);
      if (percent >= 0) {
        json.Add("battery", percent).Add("charging", selected ? charging : item->charging);
      } else {
        json.AddNull("battery");
      }
      json.EndObject();
      text += std::string(selected ? "* " : "  ") + item->name + "\t" + ConnectionName(item->mode) +
              "\tfirmware " + (item->version.empty() ? "-" : item->version) + "\tbattery " +
              (percent >= 0 ? std::to_string(percent) + "%" : "-") +
              (percent >= 0 && (selected ? charging : item->charging) ? " charging" : "") + "\n";
    }
    json.EndArray().EndObject();
    return Answer{kExitDone, inv_.json ? json.Text() : text, ""};
  }

  struct Profiles {
    int current = 0;
    std::vector<std::pair<int, std::string>> list;  // number, shown name
  };
  Profiles ReadProfiles() {
    Profiles p;
    p.current = dlg_.Device().CurrentProfile();
    std::vector<ProfileRecord> records;
    Ctx().store.ListProfiles(records);
    const std::string word = LanguageText("LAN", profiles::kProfileWordText);
    for (const ProfileRecord& r : records) {
      p.list.emplace_back(r.profile, profiles::ProfileDisplayName(r.name, word));
    }
    return p;
  }
  static std::string NameOf(const Profiles& p, int number) {
    for (const auto& [n, name] : p.list) {
      if (n == number) return name;
    }
    return {};
  }

  struct Levels {
    int count = 0;
    int active = 0;
    std::vector<std::pair<int, uint32_t>> levels;  // value, colour
  };
  Levels ReadLevels() {
    Levels l;
    l.count = settings::ReadInt(Ctx(), settings::kDpiCount);
    l.active = settings::ReadInt(Ctx(), settings::kDpiIndex);
    for (int k = 0; k < l.count && k < settings::kPageLevels; ++k) {
      l.levels.emplace_back(
          settings::ReadInt(Ctx(), settings::DpiValueKey(k)),
          static_cast<uint32_t>(settings::ReadInt(Ctx(), settings::DpiRgbKey(k))));
    }
    return l;
  }
  // The rate the page shows: the receiver's key through the receiver, the cable's otherwise.
  int ReadRateHz() {
    const bool receiver = settings::ConnectionMode(Ctx()) == 1;
    return settings::HzForRateCode(
        settings::ReadInt(Ctx(), receiver ? settings::kReportRateWireless : settings::kReportRate));
  }

  Answer Info() {
    std::string model, firmware;
    int type = 0, mode = 0, battery = 0, sensor = 0, rate = 0;
    bool charging = false;
    Profiles p;
    Levels l;
    if (!Window([&] {
          model = dlg_.Device().Catalogue().CurrentModelName();
          type = dlg_.Device().Catalogue().CurrentType();
          mode = dlg_.Link().Mode();
          firmware = app::FormatDeviceVersion(dlg_.Comm().GetDeviceVersion());
          battery = Ctx().state.battery_value;
          charging = Ctx().state.charge_flag;
          sensor = Ctx().state.sensor_type;
          rate = ReadRateHz();
          p = ReadProfiles();
          l = ReadLevels();
        })) {
      return Closing();
    }
    Json json;
    json.BeginObject()
        .Add("model", model)
        .Add("device_type", type)
        .Add("connection", ConnectionName(mode))
        .Add("firmware", firmware)
        .Add("battery", battery)
        .Add("charging", charging)
        .Add("profile", p.current)
        .Add("profile_name", NameOf(p, p.current))
        .Add("sensor_type", sensor)
        .Add("report_rate", rate)
        .Add("dpi_count", l.count)
        .Add("dpi_active", l.active + 1)
        .EndObject();
    std::string text = "model\t" + model + "\nconnection\t" + ConnectionName(mode) +
                       "\nfirmware\t" + firmware + "\nbattery\t" + std::to_string(battery) + "%" +
                       (charging ? " charging" : "") + "\nprofile\t" + std::to_string(p.current) +
                       " " + NameOf(p, p.current) + "\nreport rate\t" + std::to_string(rate) +
                       " Hz\ndpi levels\t" + std::to_string(l.count) + ", active " +
                       std::to_string(l.active + 1) + "\n";
    return Answer{kExitDone, inv_.json ? json.Text() : text, ""};
  }

  Answer ShowProfiles() {
    Profiles p;
    if (!Window([&] { p = ReadProfiles(); })) return Closing();
    Json json;
    json.BeginObject().Add("profile", p.current).Add("name", NameOf(p, p.current));
    json.BeginArray("profiles");
    std::string text;
    for (const auto& [n, name] : p.list) {
      json.BeginObject().Add("profile", n).Add("name", name).Add("active", n == p.current);
      json.EndObject();
      text += std::string(n == p.current ? "* " : "  ") + std::to_string(n) + "\t" + name + "\n";
    }
    json.EndArray().EndObject();
    return Answer{kExitDone, inv_.json ? json.Text() : text, ""};
  }

  Answer ShowDpi() {
    Levels l;
    if (!Window([&] { l = ReadLevels(); })) return Closing();
    Json json;
    json.BeginObject().Add("count", l.count).Add("active", l.active + 1).BeginArray("levels");
    std::string text;
    for (size_t k = 0; k < l.levels.size(); ++k) {
      const int level = static_cast<int>(k) + 1;
      json.BeginObject()
          .Add("level", level)
          .Add("dpi", l.levels[k].first)
          .Add("colour", ColourText(l.levels[k].second))
          .EndObject();
      text += std::string(static_cast<int>(k) == l.active ? "* " : "  ") + std::to_string(level) +
              "\t" + std::to_string(l.levels[k].first) + "\t" + ColourText(l.levels[k].second) +
              "\n";
    }
    json.EndArray().EndObject();
    return Answer{kExitDone, inv_.json ? json.Text() : text, ""};
  }

  Answer ShowRate() {
    int hz = 0;
    std::vector<int> offered;
    if (!Window([&] {
          hz = ReadRateHz();
          for (const settings::ReportRateItem& item : settings::ReportRateItems()) {
            if (settings::RateOffered(Ctx().state, item.code)) {
              offered.push_back(settings::HzForRateCode(item.code));
            }
          }
        })) {
      return Closing();
    }
    Json json;
    json.BeginObject().Add("rate", hz).BeginArray("offered");
    std::string list;
    for (int r : offered) {
      json.BeginObject().Add("rate", r).EndObject();
      list += (list.empty() ? "" : " ") + std::to_string(r);
    }
    json.EndArray().EndObject();
    return Answer{kExitDone,
                  inv_.json ? json.Text() : std::to_string(hz) + " Hz (offered: " + list + ")\n",
                  ""};
  }

  // Runs a change on the window thread, then waits for its tasks; the mouse's refusal of any
  // of them is the caller's exit 3.
  Answer Change(const std::function<platform::Status()>& change) {
    const int refused_before = Ctx().refused_writes.load();
    platform::Status status;
    if (!Window([&] { status = change(); })) return Closing();
    if (!status) {
      const platform::Error& e = status.error();
      return Fail(e.code == settings::kOpBadValue ? kExitUsage : kExitMouse, e.reason);
    }
    if (!session_.Settle()) return Fail(kExitMouse, "the mouse was not written in time");
    std::vector<std::string> notices = session_.TakeNotices();
    if (Ctx().refused_writes.load() != refused_before || Ctx().state.apply_pending) {
      std::string why = "the mouse did not take the change";
      if (!notices.empty()) why += ": " + notices.back();
      return Fail(kExitMouse, why);
    }
    return Answer{};
  }
  // The DPI and performance pages show the stored values again.
  void ShowSettings() { settings::RefreshSettingsPage(Ctx()); }

  Answer DpiSet() {
    const int level = Number(w_[2]) - 1;
    const int dpi = Number(w_[3]);
    return Change([&]() -> platform::Status {
      if (auto problem = settings::DpiValueProblem(Ctx().state.sensor_type, dpi)) {
        return platform::Fail(settings::kOpBadValue, *problem);
      }
      // The mouse takes the value of its active level only: the level is chosen first, as on
      // the page, unless it is the active one already.
      if (settings::ReadInt(Ctx(), settings::kDpiIndex) != level) {
        if (platform::Status s = settings::SelectDpiLevel(Ctx(), level); !s) return s;
      }
      platform::Status stored = settings::StoreDpiValue(Ctx(), level, dpi);
      // A value the store refused still goes through the queue: it puts the pages back.
      platform::Status sent = stored || stored.error().code == settings::kOpNotStored
                                  ? settings::SendDpiLevel(Ctx())
                                  : platform::Status();
      ShowSettings();
      return stored ? sent : stored;
    });
  }

  Answer DpiActive() {
    const int level = Number(w_[2]) - 1;
    return Change([&] {
      platform::Status s = settings::SelectDpiLevel(Ctx(), level);
      ShowSettings();
      return s;
    });
  }

  Answer DpiCount() {
    const int count = Number(w_[2]);
    return Change([&]() -> platform::Status {
      platform::Result<int> r = settings::SetDpiLevelCount(Ctx(), count);
      ShowSettings();
      if (!r) return r.error();
      return {};
    });
  }

  Answer SetRate() {
    const int hz = Number(w_[1]);
    const std::optional<int> code = settings::RateCodeForHz(hz);
    if (!code) return Fail(kExitUsage, "no report rate of " + w_[1] + " Hz");
    return Change([&]() -> platform::Status {
      if (!settings::RateOffered(Ctx().state, *code)) {
        return platform::Fail(settings::kOpBadValue, "the mouse does not offer " + w_[1] + " Hz");
      }
      platform::Status s = settings::SetReportRate(Ctx(), *code);
      ShowSettings();
      return s;
    });
  }

  Answer SwitchProfile() {
    const int profile = Number(w_[1]);
    return Change([&]() -> platform::Status {
      if (!dlg_.Device().SelectProfile(profile)) {
        return platform::Fail(settings::kOpBadValue, "no profile " + w_[1]);
      }
      dlg_.Toolkit().SelectData(ui::frame::kProfiles, profile);
      return {};
    });
  }

  Answer Export() {
    platform::Status r;
    if (!Window([&] { r = dlg_.Device().ProfileFiles().ExportTo(w_[1]); })) return Closing();
    if (!r.ok()) return Fail(kExitUsage, w_[1] + ": " + r.error().reason);
    return Answer{};
  }

  Answer Import() {
    return Change([&]() -> platform::Status {
      const platform::Status r = dlg_.Device().ProfileFiles().ImportFrom(w_[1]);
      if (!r.ok()) return platform::Fail(settings::kOpBadValue, w_[1] + ": " + r.error().reason);
      if (!dlg_.Device().ProfileFiles().QueueApply()) {
        return platform::Fail(settings::kOpNotQueued, "the profile was not sent");
      }
      return {};
    });
  }

  Session& session_;
  const Invocation& inv_;
  app::DeviceMainDlg& dlg_;
  const std::vector<std::string>& w_;
  MouseView view_;
};

}  // namespace

Answer RunCommand(Session& session, const Invocation& invocation) {
  if (invocation.help) return Answer{kExitDone, HelpText(invocation.words), ""};
  return Runner(session, invocation).Run();
}

}  // namespace cli
