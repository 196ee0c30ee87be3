// mousectl's commands on the virtual mouse: the frames they send against the window's pages,
// their output, their exit codes, and the running window taking a request over its socket.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/device_main_dlg.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/sessions.h"
#include "platform/app_key.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "settings/settings_model.h"
#include "sim/virtual_bus.h"
#include "store/profile_store.h"
#include "support/temp_dir.h"
#include "ui/frame_controls.h"
#include "ui/headless/headless_toolkit.h"

namespace cli_test {
namespace {

using Bytes = std::vector<uint8_t>;

// --- a small JSON reader: parsing is the check ---
struct JsonValue {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> fields;
  const JsonValue& operator[](const std::string& key) const {
    static const JsonValue missing;
    auto it = fields.find(key);
    return it == fields.end() ? missing : it->second;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}
  bool Parse(JsonValue& out) {
    if (!Value(out)) return false;
    Blank();
    return at_ == s_.size();
  }

 private:
  void Blank() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\t')) ++at_;
  }
  bool Eat(char c) {
    Blank();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (at_ < s_.size() && s_[at_] != '"') {
      if (s_[at_] == '\\') ++at_;
      out.push_back(s_[at_++]);
    }
    return Eat('"');
  }
  bool Value(JsonValue& v) {
    Blank();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') {
      ++at_;
      v.kind = JsonValue::kObject;
      if (Eat('}')) return true;
      do {
        std::string key;
        if (!String(key) || !Eat(':') || !Value(v.fields[key])) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++at_;
      v.kind = JsonValue::kArray;
      if (Eat(']')) return true;
      do {
        v.items.emplace_back();
        if (!Value(v.items.back())) return false;
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') {
      v.kind = JsonValue::kString;
      return String(v.text);
    }
    for (const char* word : {"true", "false", "null"}) {
      if (s_.compare(at_, std::strlen(word), word) == 0) {
        at_ += std::strlen(word);
        v.kind = word[0] == 'n' ? JsonValue::kNull : JsonValue::kBool;
        v.boolean = word[0] == 't';
        return true;
      }
    }
    size_t used = 0;
    try {
      v.number = std::stod(s_.substr(at_), &used);
    } catch (...) {
      return false;
    }
    v.kind = JsonValue::kNumber;
    at_ += used;
    return true;
  }
  const std::string& s_;
  size_t at_ = 0;
};

// The program's environment over a virtual bus: data folder, settings, the shipped data.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramDir(MOUSE_DATA_DIR);
    platform::SetLanguageId(1033);
  }
  void TearDown() override {
    session_.reset();
    window_.reset();
    ProfileStore::Instance().Close();
    platform::SetProgramDir(saved_program_dir_);
  }

  // mousectl's own session; its first device read done, the bus log cleared after it.
  cli::StandaloneSession& Standalone() {
    session_ = std::make_unique<cli::StandaloneSession>(bus_, clock_, key_, dir_.path() + "data/");
    EXPECT_TRUE(session_->Settle());
    bus_.ClearLog();
    return *session_;
  }
  cli::Answer Run(std::vector<std::string> args) {
    platform::Result<cli::Invocation> parsed = cli::ParseArguments(args);
    if (!parsed) return cli::Answer{cli::kExitUsage, "", "usage: " + parsed.error().reason};
    if (!session_) Standalone();
    return cli::RunCommand(*session_, parsed.value());
  }
  // The window program over the same bus, worker turned by hand; a command server beside it.
  app::DeviceMainDlg& Window() {
    window_ = std::make_unique<app::DeviceMainDlg>(
        tk_, comm_, key_,
        app::DeviceWorkOptions{
            .user_data_dir = dir_.path() + "data/", .start_thread = false, .start_hotplug = false});
    server_ = std::make_unique<cli::CommandServer>(*window_);
    window_->OnInitDialog();
    RunWindowTasks();
    bus_.ClearLog();
    return *window_;
  }
  void RunWindowTasks() {
    for (int i = 0; i < 1000 && !window_->PendingTasks().Empty(); ++i) {
      window_->Device().Worker().Run();
      tk_.PumpMessages();
    }
  }
  // Plays the window thread and the worker until `answer` is ready.
  std::string Serve(std::future<std::string>& answer) {
    while (answer.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      tk_.PumpMessages();
      if (!window_->PendingTasks().Empty()) window_->Device().Worker().Run();
      std::this_thread::yield();
    }
    return answer.get();
  }
  // The set-feature frames the mice received since the log was cleared.
  std::vector<Bytes> SentFrames() {
    std::vector<Bytes> frames;
    for (const sim::ReceivedReport& r : bus_.Log()) {
      if (r.kind == sim::ReportKind::kSetFeature) frames.push_back(r.bytes);
    }
    return frames;
  }
  static Bytes Head(const Bytes& frame, size_t n) {
    return Bytes(frame.begin(),
                 frame.begin() + static_cast<std::ptrdiff_t>(std::min(n, frame.size())));
  }
  std::string Setting(const std::string& key) {
    std::string value;
    ProfileStore::Instance().ReadSetting(ProfileStore::Instance().GetActiveProfile(), key, value);
    return value;
  }

  std::string saved_program_dir_ = platform::ProgramDir();
  test_support::TempDir dir_;
  platform::AppKey key_{dir_.path() + "config/"};
  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  ui::HeadlessToolkit tk_;
  DriverComm comm_{bus_, clock_};
  std::unique_ptr<cli::StandaloneSession> session_;
  std::unique_ptr<app::DeviceMainDlg> window_;
  std::unique_ptr<cli::CommandServer> server_;
};

// What the person does on a page for the same change.
struct SameFrameCase {
  std::vector<std::string> args;
  std::function<void(app::DeviceMainDlg&, ui::HeadlessToolkit&)> on_page;
  Bytes last_frame;  // the head of the last frame sent
};

std::vector<SameFrameCase> SameFrameCases() {
  return {
      // Level 2 chosen, then the slider released at 1600: level 2 of 6 active, DPI code 31,
      // its green.
      {{"dpi", "set", "2", "1600"},
       [](app::DeviceMainDlg& dlg, ui::HeadlessToolkit& tk) {
         dlg.OnControlNotify(settings::kDpiControl, settings::kDpiLevelSelected, 1);
         tk.SetPos(settings::kDpiSlider, 32);
         dlg.OnControlNotify(settings::kDpiSlider, ui::kNotifyClicked, 32);
       },
       {0x03, 0x24, 0x50, 0x06, 0x50, 0x3A, 0x00, 0x26, 0x1F, 0x00, 0x00, 0xFF, 0x00}},
      {{"rate", "1000"},
       [](app::DeviceMainDlg& dlg, ui::HeadlessToolkit& tk) {
         tk.SelectData(settings::kReportRateList, settings::kRate1000Hz);
         dlg.OnControlNotify(settings::kReportRateList, ui::kNotifyClicked,
                             tk.GetCurSel(settings::kReportRateList));
       },
       {0x03, 0xB8, 0x50, 0x01, 0x31, 0x35, 0x01, 0x00}},
      {{"dpi", "active", "5"},
       [](app::DeviceMainDlg& dlg, ui::HeadlessToolkit&) {
         dlg.OnControlNotify(settings::kDpiControl, settings::kDpiLevelSelected, 4);
       },
       // Level 5 of 6 at 6400 (code 127), yellow.
       {0x03, 0xB3, 0x50, 0x06, 0x50, 0x3A, 0x00, 0x56, 0x7F, 0x00, 0xFF, 0xFF, 0x00}},
      {{"dpi", "count", "3"},
       [](app::DeviceMainDlg& dlg, ui::HeadlessToolkit& tk) {
         tk.SelectData(settings::kLevelCountSelector, 3);
         dlg.OnControlNotify(settings::kLevelCountSelector, ui::kNotifyClicked, 2);
       },
       // Level 3 of 3 at 1600 (code 31), blue.
       {0x03, 0x31, 0x50, 0x06, 0x50, 0x3A, 0x00, 0x33, 0x1F, 0x00, 0x00, 0x00, 0xFF}},
      {{"profile", "3"},
       [](app::DeviceMainDlg& dlg, ui::HeadlessToolkit& tk) {
         tk.SelectData(ui::frame::kProfiles, 3);
         dlg.OnControlNotify(ui::frame::kProfiles, ui::kNotifyClicked,
                             tk.GetCurSel(ui::frame::kProfiles));
       },
       // The apply ends with the image end: byte 50, the blue of level 7's orange.
       {0x03, 0x70, 0x50, 0x01, 0x96, 0x37, 0x32, 0x20}},
  };
}

TEST_F(CliTest, EachChangeSendsTheFramesThePageSends) {
  for (const SameFrameCase& c : SameFrameCases()) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    std::vector<Bytes> from_page;
    {
      test_support::TempDir dir;
      sim::VirtualBus bus(clock_);
      bus.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
      ui::HeadlessToolkit tk;
      DriverComm comm(bus, clock_);
      platform::AppKey key(dir.path() + "config/");
      app::DeviceMainDlg dlg(tk, comm, key,
                             app::DeviceWorkOptions{.user_data_dir = dir.path() + "data/",
                                                    .start_thread = false,
                                                    .start_hotplug = false});
      dlg.OnInitDialog();
      while (!dlg.PendingTasks().Empty()) dlg.Device().Worker().Run();
      bus.ClearLog();
      c.on_page(dlg, tk);
      while (!dlg.PendingTasks().Empty()) dlg.Device().Worker().Run();
      for (const sim::ReceivedReport& r : bus.Log()) {
        if (r.kind == sim::ReportKind::kSetFeature) from_page.push_back(r.bytes);
      }
    }
    ProfileStore::Instance().Close();

    test_support::TempDir dir;
    sim::VirtualBus bus(clock_);
    bus.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
    platform::AppKey key(dir.path() + "config/");
    std::vector<Bytes> from_cli;
    {
      cli::StandaloneSession session(bus, clock_, key, dir.path() + "data/");
      ASSERT_TRUE(session.Settle());
      bus.ClearLog();
      const cli::Answer answer = cli::RunCommand(session, cli::ParseArguments(c.args).value());
      EXPECT_EQ(answer.exit_code, cli::kExitDone) << answer.err;
      for (const sim::ReceivedReport& r : bus.Log()) {
        if (r.kind == sim::ReportKind::kSetFeature) from_cli.push_back(r.bytes);
      }
    }
    ProfileStore::Instance().Close();

    ASSERT_FALSE(from_cli.empty());
    EXPECT_EQ(from_cli, from_page);
    EXPECT_EQ(Head(from_cli.back(), c.last_frame.size()), c.last_frame);
  }
}

TEST_F(CliTest, ProfileSwitchMakesTheProfileActiveAndWritesItsSettings) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  Standalone();
  // Profile 3 gets its own DPI for level 1 before the switch.
  ProfileStore::Instance().WriteSetting(3, "dpi_group0_value", "1200");
  const cli::Answer answer = Run({"profile", "3"});
  ASSERT_EQ(answer.exit_code, cli::kExitDone) << answer.err;
  EXPECT_EQ(ProfileStore::Instance().GetActiveProfile(), 3);
  EXPECT_EQ(session_->Dialog().Device().CurrentProfile(), 3);
  // Level 1 of the mouse's block holds 1200 (code 23) now.
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[settings::image::DpiOffset(0)], 23);
  EXPECT_EQ(image[settings::image::DpiOffset(0) + 1], 0);
  EXPECT_EQ(Run({"profile"}).out.substr(0, 2), "  ");  // profile 1 is no longer marked
}

TEST_F(CliTest, JsonOutputParsesAndHoldsTheFields) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  bus_.SetBattery(0, 64, true);
  struct Case {
    std::vector<std::string> args;
    std::function<void(const JsonValue&)> check;
  };
  const std::vector<Case> cases = {
      {{"list", "--json"},
       [](const JsonValue& v) {
         ASSERT_EQ(v["mice"].items.size(), 1u);
         const JsonValue& m = v["mice"].items[0];
         EXPECT_EQ(m["name"].text, "K7 Mouse");
         EXPECT_EQ(m["connection"].text, "receiver");
         EXPECT_EQ(m["firmware"].text, "102");
         EXPECT_EQ(m["selected"].kind, JsonValue::kBool);
         EXPECT_EQ(m["battery"].kind, JsonValue::kNumber);
       }},
      {{"info", "--json"},
       [](const JsonValue& v) {
         EXPECT_EQ(v["model"].text, "K7 Mouse");
         EXPECT_EQ(v["profile"].number, 1);
         EXPECT_EQ(v["dpi_count"].number, 6);
         EXPECT_EQ(v["dpi_active"].number, 3);
         EXPECT_EQ(v["report_rate"].number, 500);
       }},
      {{"dpi", "--json"},
       [](const JsonValue& v) {
         EXPECT_EQ(v["count"].number, 6);
         EXPECT_EQ(v["active"].number, 3);
         ASSERT_EQ(v["levels"].items.size(), 6u);
         EXPECT_EQ(v["levels"].items[0]["dpi"].number, 400);
         EXPECT_EQ(v["levels"].items[0]["colour"].text, "#ff0000");
         EXPECT_EQ(v["levels"].items[5]["dpi"].number, 26000);
       }},
      {{"--json", "rate"},
       [](const JsonValue& v) {
         EXPECT_EQ(v["rate"].number, 500);
         ASSERT_EQ(v["offered"].items.size(), 4u);
         EXPECT_EQ(v["offered"].items[3]["rate"].number, 1000);
       }},
      {{"profile", "--json"},
       [](const JsonValue& v) {
         EXPECT_EQ(v["profile"].number, 1);
         ASSERT_EQ(v["profiles"].items.size(), 5u);
         EXPECT_TRUE(v["profiles"].items[0]["active"].boolean);
         EXPECT_FALSE(v["profiles"].items[1]["active"].boolean);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const cli::Answer answer = Run(c.args);
    ASSERT_EQ(answer.exit_code, cli::kExitDone) << answer.err;
    JsonValue value;
    ASSERT_TRUE(JsonReader(answer.out).Parse(value)) << answer.out;
    c.check(value);
  }
}

TEST_F(CliTest, BadUsageExitsOneWithOneLine) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"bogus"},
      {"list", "extra"},
      {"dpi", "set", "2"},
      {"dpi", "set", "x", "1600"},
      {"dpi", "up"},
      {"rate", "fast"},
      {"--frob", "list"},
      {"--model"},
      {"export"},
      // Values the pages do not offer.
      {"dpi", "set", "7", "1600"},  // six levels in use
      {"dpi", "set", "2", "1625"},  // not a step of the slider
      {"dpi", "set", "2", "40"},
      {"dpi", "set", "2", "27000"},
      {"dpi", "count", "8"},
      {"dpi", "active", "0"},
      {"rate", "300"},
      {"rate", "8000"},  // this mouse offers up to 1000 Hz
      {"profile", "9"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0] + (args.size() > 1 ? " " + args[1] : ""));
    const cli::Answer answer = Run(args);
    EXPECT_EQ(answer.exit_code, cli::kExitUsage);
    EXPECT_FALSE(answer.err.empty());
    EXPECT_EQ(answer.err.find('\n'), std::string::npos);
  }
  // Nothing reached the mouse, nothing was stored.
  EXPECT_TRUE(SentFrames().empty());
  EXPECT_EQ(Setting("dpi_group1_value"), "800");
  EXPECT_EQ(Setting("dpi_count"), "6");
}

TEST_F(CliTest, NoSuchMouseExitsTwo) {
  // Nothing attached at all.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"list"}, {"info"}, {"dpi", "set", "2", "1600"}}) {
    EXPECT_EQ(Run(args).exit_code, cli::kExitNoMouse);
  }
  session_.reset();
  ProfileStore::Instance().Close();
  // A model that is not attached, and one the catalogue does not know.
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  EXPECT_EQ(Run({"--model", "K9 Air", "info"}).exit_code, cli::kExitNoMouse);
  EXPECT_EQ(Run({"--model", "Nonesuch", "info"}).exit_code, cli::kExitNoMouse);
  EXPECT_EQ(Run({"--model", "k7 mouse", "info"}).exit_code, cli::kExitDone);
}

TEST_F(CliTest, PermissionExitsFourWithTheWindowsDiagnosis) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  bus_.SetOpenRefusal(EACCES);
  const cli::Answer answer = Run({"info"});
  EXPECT_EQ(answer.exit_code, cli::kExitPermission);
  // The first tab's words, on one line.
  ui::Toolkit& own = session_->Toolkit();
  EXPECT_NE(answer.err.find(own.GetTitle(ui::frame::kConnection)), std::string::npos) << answer.err;
  EXPECT_NE(answer.err.find("install-udev"), std::string::npos) << answer.err;
  EXPECT_EQ(answer.err.find('\n'), std::string::npos);
}

TEST_F(CliTest, MouseThatDoesNotTakeTheChangeExitsThree) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  Standalone();
  bus_.InjectFault(0, sim::Connection::kCable, sim::Fault::kCommandFailed, 100);
  const cli::Answer answer = Run({"rate", "250"});
  EXPECT_EQ(answer.exit_code, cli::kExitMouse);
  EXPECT_EQ(answer.err.find('\n'), std::string::npos);
  bus_.ClearFaults();
  // Switched off behind its receiver.
  session_.reset();
  ProfileStore::Instance().Close();
  sim::VirtualBus wireless(clock_);
  wireless.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  wireless.SetWirelessLink(0, false);
  cli::StandaloneSession session(wireless, clock_, key_, dir_.path() + "data/");
  EXPECT_EQ(cli::RunCommand(session, cli::ParseArguments({"dpi"}).value()).exit_code,
            cli::kExitMouse);
}

TEST_F(CliTest, AChangeTheStoreRefusesIsNotSentAndTheNextOneIs) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kCable);
  Standalone();
  // Another process holds the write lock.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((dir_.path() + "data/db/K7 Mouse_data.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ProfileStore::Instance().SetBusyTimeoutMs(0);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"dpi", "set", "2", "1600"}, {"dpi", "set", "3", "1650"}, {"rate", "250"}}) {
    const cli::Answer answer = Run(args);
    EXPECT_EQ(answer.exit_code, cli::kExitMouse) << args[0];
    EXPECT_EQ(answer.err.find('\n'), std::string::npos);
  }
  EXPECT_TRUE(SentFrames().empty());
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ProfileStore::Instance().SetBusyTimeoutMs(3000);
  // Nothing of the refused changes is left to spoil the next one.
  ASSERT_EQ(Run({"dpi", "active", "4"}).exit_code, cli::kExitDone);
  ASSERT_EQ(SentFrames().size(), 1u);
  EXPECT_EQ(bus_.State(0).ActiveLevel(), 3);
}

TEST_F(CliTest, ExportAndImportGoThroughTheProfileFiles) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  const std::string file = dir_.path() + "profile.xml";
  ASSERT_EQ(Run({"export", file}).exit_code, cli::kExitDone);
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n", 0), 0u);
  // Another value in the file, read back and sent with the whole profile.
  std::string changed = text;
  const size_t at = changed.find("<DPI1 value=\"400\"");
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, 17, "<DPI1 value=\"950\"");
  std::ofstream(dir_.path() + "changed.xml", std::ios::binary) << changed;
  bus_.ClearLog();
  ASSERT_EQ(Run({"import", dir_.path() + "changed.xml"}).exit_code, cli::kExitDone);
  EXPECT_EQ(Setting("dpi_group0_value"), "950");
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[settings::image::DpiOffset(0)], 18);  // 950 / 50 - 1
  // A file that is not there changes nothing.
  EXPECT_EQ(Run({"import", dir_.path() + "missing.xml"}).exit_code, cli::kExitUsage);
  EXPECT_EQ(Setting("dpi_group0_value"), "950");
}

TEST_F(CliTest, RunningWindowTakesTheRequestAndShowsTheChange) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  Window();
  // Through the socket, as mousectl hands it over.
  test_support::TempDir runtime;
  platform::SingleInstance first("Vex Test", runtime.path());
  ASSERT_TRUE(first.Acquire({}));
  first.SetRequestHandler([this](const std::string& r) { return server_->Handle(r); });
  platform::SingleInstance later("Vex Test", runtime.path());
  ASSERT_FALSE(later.Acquire({}, false));
  std::future<std::string> answer = std::async(std::launch::async, [&] {
    return later.SendRequest(cli::EncodeRequest({"dpi", "set", "2", "1600"}), 30000).value_or("");
  });
  const std::optional<cli::Answer> decoded = cli::DecodeAnswer(Serve(answer));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->exit_code, cli::kExitDone) << decoded->err;
  // The DPI page shows level 2 chosen with its new value; the mouse holds it.
  const ui::HeadlessToolkit::Control dpi = tk_.Snapshot(settings::kDpiControl);
  EXPECT_EQ(dpi.dpi_selected, 1);
  EXPECT_EQ(dpi.dpi_values.at(1), 1600);
  EXPECT_EQ(tk_.Snapshot(settings::kDpiSlider).pos, 32);
  const auto image = bus_.SettingsImage(0);
  EXPECT_EQ(image[settings::image::DpiOffset(1)], 31);
  EXPECT_EQ(image[settings::image::kLevels], 0x26);

  // A read, and a profile switch the selector follows.
  std::future<std::string> read = std::async(std::launch::async, [&] {
    return server_->Handle(cli::EncodeRequest({"profile", "2"}));
  });
  EXPECT_EQ(cli::DecodeAnswer(Serve(read))->exit_code, cli::kExitDone);
  EXPECT_EQ(tk_.GetCurData(ui::frame::kProfiles), 2);
  // Bad usage is answered without touching the window.
  EXPECT_EQ(cli::DecodeAnswer(server_->Handle(cli::EncodeRequest({"dpi", "set"})))->exit_code,
            cli::kExitUsage);
  first.SetRequestHandler({});
}

TEST(CliProtocol, AnswersAndRequestsSurviveTheWire) {
  const cli::Answer a{3, "line one\nline two\n", "mousectl: no"};
  const std::optional<cli::Answer> b = cli::DecodeAnswer(cli::EncodeAnswer(a));
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(b->exit_code, 3);
  EXPECT_EQ(b->out, a.out);
  EXPECT_EQ(b->err, a.err);
  EXPECT_FALSE(cli::DecodeAnswer("").has_value());
  EXPECT_FALSE(cli::DecodeAnswer("0\n99\nshort").has_value());
  EXPECT_EQ(cli::DecodeRequest(cli::EncodeRequest({"export", "/tmp/a b.xml", "--json"})),
            (std::vector<std::string>{"export", "/tmp/a b.xml", "--json"}));
  EXPECT_TRUE(cli::DecodeRequest(std::string("other 1\0list", 12)).empty());
}

TEST(CliHelp, ManPageAndCompletionNameEveryCommand) {
  const std::string man = cli::ManPage("2.1.3");
  const std::string completion = cli::BashCompletion();
  EXPECT_EQ(man.rfind(".TH MOUSECTL 1", 0), 0u);
  EXPECT_NE(completion.find("complete -F _mousectl mousectl"), std::string::npos);
  for (const char* word : {"list", "info", "profile", "dpi", "rate", "export", "import"}) {
    EXPECT_NE(man.find(".B " + std::string(word)), std::string::npos) << word;
    EXPECT_NE(completion.find(word), std::string::npos) << word;
  }
  EXPECT_NE(completion.find("set active count"), std::string::npos);
  // Each command's own help names its synopsis.
  EXPECT_NE(cli::HelpText({"dpi", "set"}).find("dpi set LEVEL VALUE"), std::string::npos);
  EXPECT_NE(cli::HelpText({"dpi"}).find("mousectl dpi count N"), std::string::npos);
  EXPECT_TRUE(cli::ParseArguments({"rate", "--help"}).value().help);
}

}  // namespace
}  // namespace cli_test
