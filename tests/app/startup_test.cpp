#include "app/startup.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <thread>

#include "app/device_main_dlg.h"
#include "app_fixture.h"
#include "log/trace.h"
#include "platform/app_key.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "ui/manager.h"

namespace {

using app_test::EnvGuard;
using app_test::TempDir;

TEST(ThemeColorTest, DigitsReadInPairsWithTheFirstCharacterDropped) {
  struct Case {
    const char* text;
    uint32_t argb;
  };
  const Case cases[] = {
      {"#336699", 0xFF336699}, {"#3366", 0xFF336600},    {"#33669", 0xFF336609},
      {"#12", 0xFF120000},     {"#123", 0xFF120300},     {"#ff5a1f", 0xFFFF5A1F},
      {"#1", 0xFF000000},      {"#1234567", 0xFF000000}, {"", 0xFF000000},
      {"#", 0xFF000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::ParseThemeColor(c.text), c.argb) << c.text;
  }
}

TEST(DpiDecisionTest, ScaleMapping) {
  const std::pair<int, int> cases[] = {{72, 100},  {96, 100},  {97, 100},  {120, 125}, {130, 100},
                                       {144, 144}, {168, 168}, {192, 192}, {240, 100}};
  for (const auto& [dpi, scale] : cases) EXPECT_EQ(app::MonitorScaleForDpi(dpi), scale) << dpi;
  EXPECT_EQ(app::MonitorScale({false, 1920, 1080, 144}), 100);
  EXPECT_EQ(app::MonitorScale({true, 1920, 1080, 144}), 144);
}

TEST(DpiDecisionTest, SizeRules) {
  struct Case {
    int width, height, dpi;
    bool aware;
  };
  const Case cases[] = {
      {1920, 1080, 96, false},  {1920, 1080, 120, false}, {1920, 1080, 144, true},
      {1920, 1080, 168, true},  {1920, 1080, 192, true},  {1366, 768, 96, true},
      {1399, 900, 96, true},    {1600, 799, 96, true},    {1400, 800, 96, false},
      {2560, 1440, 192, false}, {1920, 1200, 144, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::NeedsDpiAwareness(c.width, c.height, app::MonitorScaleForDpi(c.dpi)), c.aware)
        << c.width << "x" << c.height << "@" << c.dpi;
  }
}

TEST(ConfigTest, ReadsCaptionAndThemeColour) {
  TempDir dir;
  app_test::WriteFile(dir.path() + "config.xml",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config><device/>"
                      "<software caption=\"Test &amp; Co\" themecolor=\"#3366\"/></config>");
  const auto config = app::ReadSoftwareConfig(dir.path() + "config.xml");
  ASSERT_TRUE(config);
  EXPECT_EQ(config->caption, "Test & Co");
  EXPECT_EQ(config->theme_colour, 0xFF336600u);
}

TEST(ConfigTest, MissingOrBadFileLeavesTheDefaults) {
  TempDir dir;
  app_test::WriteFile(dir.path() + "no_software.xml", "<config><device/></config>");
  app_test::WriteFile(dir.path() + "other_root.xml", "<setup><software caption=\"x\"/></setup>");
  app_test::WriteFile(dir.path() + "broken.xml", "<config><software caption=\"x\"></config");
  for (const char* name : {"absent.xml", "no_software.xml", "other_root.xml", "broken.xml"}) {
    EXPECT_FALSE(app::ReadSoftwareConfig(dir.path() + name)) << name;
  }
}

TEST(LanguageTest, DefaultFromLocale) {
  const std::pair<const char*, int> cases[] = {{"zh_CN.UTF-8", 2052}, {"zh_CN", 2052},
                                               {"zh_SG.UTF-8", 2052}, {"zh-Hans", 2052},
                                               {"zh", 2052},          {"zh_TW.UTF-8", 1033},
                                               {"zh_HK", 1033},       {"en_US.UTF-8", 1033},
                                               {"C", 1033},           {"", 1033},
                                               {"de_DE", 1033}};
  for (const auto& [locale, id] : cases) EXPECT_EQ(app::LanguageIdForLocale(locale), id) << locale;
}

TEST(LanguageTest, UiLocalePrefersLanguageListThenLcAllThenLang) {
  EnvGuard env;
  env.Set("LANGUAGE", "zh_CN:en");
  env.Set("LC_ALL", "en_US.UTF-8");
  EXPECT_EQ(app::UserUiLocale(), "zh_CN");
  env.Set("LANGUAGE", nullptr);
  EXPECT_EQ(app::UserUiLocale(), "en_US.UTF-8");
  env.Set("LC_ALL", nullptr);
  env.Set("LC_MESSAGES", nullptr);
  env.Set("LANG", "zh_CN.UTF-8");
  EXPECT_EQ(app::UserUiLocale(), "zh_CN.UTF-8");
}

TEST(SimulateOptionTest, ModelAndAttachment) {
  struct Case {
    std::vector<const char*> args;
    bool present;
    const char* model;
    const char* attachment;
  };
  const Case cases[] = {
      {{"DeviceDriver"}, false, "", ""},
      {{"DeviceDriver", "--simulate"}, true, "K7 Mouse", "receiver"},
      {{"DeviceDriver", "-autorun", "--simulate=K9 Air"}, true, "K9 Air", "receiver"},
      {{"DeviceDriver", "--simulate=k7pro:cable"}, true, "k7pro", "cable"},
      {{"DeviceDriver", "--simulate=K7 Mouse:both"}, true, "K7 Mouse", "both"},
      {{"DeviceDriver", "--simulate=:cable"}, true, "K7 Mouse", "cable"},
      {{"DeviceDriver", "--simulated"}, false, "", ""},
  };
  for (const Case& c : cases) {
    std::vector<char*> argv;
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    const auto option = app::FindSimulateOption(static_cast<int>(argv.size()), argv.data());
    ASSERT_EQ(option.has_value(), c.present) << c.args.back();
    if (!option) continue;
    EXPECT_EQ(option->model, c.model);
    EXPECT_EQ(option->attachment, c.attachment);
  }
}

TEST(SimLogOptionTest, FileAfterTheOptionOrAfterEquals) {
  struct Case {
    std::vector<const char*> args;
    const char* file;  // nullptr: none
  };
  const Case cases[] = {
      {{"DeviceDriver", "--simulate"}, nullptr},
      {{"DeviceDriver", "--simulate", "--sim-log", "run.log"}, "run.log"},
      {{"DeviceDriver", "--sim-log=/tmp/a b.log", "--simulate"}, "/tmp/a b.log"},
      {{"DeviceDriver", "--simulate", "--sim-log"}, nullptr},  // no file follows
      {{"DeviceDriver", "--sim-log="}, nullptr},
  };
  for (const Case& c : cases) {
    std::vector<char*> argv;
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    const auto file = app::FindSimLogOption(static_cast<int>(argv.size()), argv.data());
    ASSERT_EQ(file.has_value(), c.file != nullptr) << c.args.back();
    if (file) {
      EXPECT_EQ(*file, c.file);
    }
  }
}

// The whole start-up on the headless frontend, in folders of its own.
class RunApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("XDG_CONFIG_HOME", (home_.path() + "config").c_str());
    env_.Set("XDG_DATA_HOME", (home_.path() + "data").c_str());
    env_.Set("XDG_RUNTIME_DIR", (home_.path() + "run").c_str());
    std::filesystem::create_directories(home_.path() + "run");
    env_.Set("LANGUAGE", nullptr);
    env_.Set("LC_ALL", nullptr);
    env_.Set("LC_MESSAGES", nullptr);
    env_.Set("LANG", "zh_CN.UTF-8");
    platform::SetProgramDir(MOUSE_DATA_DIR);
  }
  void TearDown() override { platform::SetProgramDir(saved_program_dir_); }

  int Run() {
    char name[] = "DeviceDriver";
    char* argv[] = {name, nullptr};
    return app::RunApplication(1, argv, frontend_, [](platform::Clock&) {
      return std::make_unique<app_test::EmptyBus>();
    });
  }
  std::string DataDir() { return home_.path() + "data/Vex Mouse Center Files/"; }

  TempDir home_;
  EnvGuard env_;
  app_test::HeadlessFrontend frontend_;
  std::string saved_program_dir_ = platform::ProgramDir();
};

TEST_F(RunApplicationTest, NormalRunReturnsZeroWithCaptionLanguageAndFolders) {
  app_test::WriteFile(DataDir() + "edit/old/left.png", "x");
  app_test::WriteFile(DataDir() + "db/keep.db", "y");
  frontend_.while_running = [this] {
    // The window runs with the caption of config.xml and its first task queued.
    EXPECT_EQ(frontend_.toolkit.Snapshot(36).title, "Vex Mouse Center");
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frontend_.runs, 1);
  EXPECT_EQ(ui::Manager::GetDeviceName(), "Vex Mouse Center");
  EXPECT_EQ(ui::Manager::GetSelectColor(), 0xFFFF5A1Fu);
  // Edit is emptied and made again; the database folder keeps its files.
  EXPECT_TRUE(std::filesystem::is_directory(DataDir() + "edit"));
  EXPECT_TRUE(std::filesystem::is_empty(DataDir() + "edit"));
  EXPECT_TRUE(std::filesystem::exists(DataDir() + "db/keep.db"));
  // No stored language: the Chinese locale decides and is stored.
  platform::AppKey key(home_.path() + "config/Vex Mouse Center/");
  EXPECT_EQ(key.ReadInt("LCID"), 2052);
  EXPECT_FALSE(mouselog::LogIsOpen());
}

TEST_F(RunApplicationTest, StoredLanguageWinsOverLocale) {
  platform::AppKey key(home_.path() + "config/Vex Mouse Center/");
  ASSERT_TRUE(key.WriteInt("LCID", 1033));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(platform::LanguageId(), 1033);
}

TEST_F(RunApplicationTest, ScreenDecidesDpiAwareness) {
  frontend_.screen = {true, 1366, 768, 96};
  Run();
  EXPECT_TRUE(frontend_.dpi_aware);
}

TEST_F(RunApplicationTest, SigtermClosesTheWindowAsTheWindowSystemWouldAndExitsWithZero) {
  frontend_.while_running = [this] {
    ASSERT_EQ(raise(SIGTERM), 0);
    // The request arrives as the window system's close, posted to the window.
    // It comes from the signal watcher's thread: wait for it (bounded, not timed).
    const auto close_posted = [this] {
      for (const auto& posted : frontend_.toolkit.PendingMessages()) {
        if (!posted.notification && posted.message == WM_CLOSE) return true;
      }
      return false;
    };
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!close_posted() && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::yield();
    }
    ASSERT_TRUE(close_posted());
    frontend_.toolkit.PumpMessages();
    EXPECT_TRUE(frontend_.toolkit.WindowClosed());
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frontend_.runs, 1);
}

TEST_F(RunApplicationTest, ALockThatCannotBeTakenIsToldAndTheProgramRuns) {
  std::filesystem::create_directories(platform::SingleInstance("Vex Mouse Center").LockPath());
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frontend_.runs, 1);
  const auto messages = frontend_.toolkit.Messages();
  ASSERT_EQ(messages.size(), 1u);
  // The Chinese locale decides the language of the first start.
  EXPECT_EQ(messages[0].message.rfind("无法检查程序是否已在运行（" + home_.path() + "run/", 0), 0u)
      << messages[0].message;
}

TEST_F(RunApplicationTest, SecondCopyRaisesTheFirstAndExitsWithZero) {
  std::promise<void> raised;
  platform::SingleInstance first("Vex Mouse Center");
  ASSERT_TRUE(first.Acquire([&raised] { raised.set_value(); }));

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frontend_.runs, 0);
  EXPECT_EQ(raised.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  // The second copy wrote its own log before leaving.
  const std::string log = app_test::ReadFile(mouselog::LogFileName());
  EXPECT_NE(log.find("]SetForegroundWindow"), std::string::npos) << log;
}

// The data beside the executable wins (the build tree); an installed program finds it in the
// package's share folder beside its bin folder, wherever the tree was unpacked.
TEST(DataDirTest, BesideTheProgramElseThePackageShareFolder) {
  const std::string saved = platform::ProgramDir();
  app_test::TempDir root;
  const std::string bin = root.path() + "usr/bin/";
  const std::string share = root.path() + "usr/share/vex-mouse-center/";
  platform::EnsureDirectory(bin);
  platform::SetProgramDir(bin);
  EXPECT_EQ(platform::DataDir(), bin);  // neither: the program folder, as before

  app_test::WriteFile(share + "config.xml", "<config/>");
  EXPECT_EQ(platform::DataDir(), bin + "../share/vex-mouse-center/");

  app_test::WriteFile(bin + "config.xml", "<config/>");
  EXPECT_EQ(platform::DataDir(), bin);
  platform::SetProgramDir(saved);
}

}  // namespace

namespace {

TEST(PathNameTest, OnlyNamesThatStayOneFolderDeepAreSafe) {
  const std::pair<std::string, bool> cases[] = {
      {"Vex Mouse Center", true},
      {"K7 Mouse", true},
      {"鼠标中心", true},
      {std::string(128, 'x'), true},
      {"..x", true},
      {"", false},
      {".", false},
      {"..", false},
      {"../../../../tmp/x", false},
      {"a/b", false},
      {"/abs", false},
      {"a\\b", false},
      {"..\\..\\x", false},
      {std::string("a\0b", 3), false},
      {"line\nbreak", false},
      {std::string(129, 'x'), false},
  };
  for (const auto& [name, safe] : cases) {
    EXPECT_EQ(platform::IsSafePathName(name), safe) << name;
  }
}

// Start-up with a config.xml of the test's own beside a copy of the language files.
class ConfigFileRunTest : public RunApplicationTest {
 protected:
  void SetUp() override {
    RunApplicationTest::SetUp();
    ui::Manager::SetDeviceName(platform::kDefaultCaption);
    std::filesystem::copy(std::string(MOUSE_DATA_DIR) + "/language", program_.path() + "language",
                          std::filesystem::copy_options::recursive);
  }
  void TearDown() override {
    ui::Manager::SetDeviceName(platform::kDefaultCaption);
    RunApplicationTest::TearDown();
  }
  void UseConfig(const std::string& text) {
    app_test::WriteFile(program_.path() + "config.xml", text);
    platform::SetProgramDir(program_.path());
  }
  TempDir program_;
};

TEST_F(ConfigFileRunTest, ACaptionThatLeavesTheDataHomeIsNotUsedAndDeletesNothing) {
  // "../x Files/edit" would be emptied at start if the caption were taken as it stands.
  app_test::WriteFile(home_.path() + "x Files/edit/precious.txt", "keep");
  UseConfig("<config><software caption=\"../x\"/></config>");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(app_test::ReadFile(home_.path() + "x Files/edit/precious.txt"), "keep");
  EXPECT_TRUE(std::filesystem::is_directory(home_.path() + "data/DeviceDriver Files/db"));
  ASSERT_EQ(frontend_.toolkit.Messages().size(), 1u);
  EXPECT_NE(frontend_.toolkit.Messages()[0].message.find("the caption cannot name a folder"),
            std::string::npos);
}

struct BrokenConfig {
  const char* name;
  std::string text;
  const char* problem;
};

class BrokenConfigTest : public ConfigFileRunTest,
                         public ::testing::WithParamInterface<BrokenConfig> {};

TEST_P(BrokenConfigTest, IsToldWithItsPlaceAndTheLastGoodCaptionStaysInUse) {
  // A start with the shipped file remembers its caption.
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(ui::Manager::GetDeviceName(), "Vex Mouse Center");
  ui::Manager::SetDeviceName(platform::kDefaultCaption);

  UseConfig(GetParam().text);
  app_test::HeadlessFrontend second;
  char name[] = "DeviceDriver";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(
      app::RunApplication(1, argv, second,
                          [](platform::Clock&) { return std::make_unique<app_test::EmptyBus>(); }),
      0);
  EXPECT_EQ(ui::Manager::GetDeviceName(), "Vex Mouse Center");
  EXPECT_EQ(platform::UserDataDir(), DataDir());
  const auto messages = second.toolkit.Messages();
  ASSERT_EQ(messages.size(), 1u);
  // The locale of the fixture is Chinese.
  EXPECT_EQ(messages[0].message,
            "文件 " + program_.path() + "config.xml 无法使用（" + GetParam().problem +
                "）。程序将沿用上次正常启动时的配置方案；请重新安装程序以修复该文件。");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenConfigTest,
    ::testing::Values(
        BrokenConfig{"Empty", "", "not well-formed XML"},
        BrokenConfig{"Truncated", "<?xml version=\"1.0\"?>\n<config><software caption=\"Vex",
                     "not well-formed XML"},
        BrokenConfig{"Junk", std::string(3000, '\x01') + "\xff\xfe", "not well-formed XML"},
        BrokenConfig{"NoSoftware", "<config><device/></config>", "no software element"},
        BrokenConfig{"Huge", "<config>" + std::string(5 * 1024 * 1024, ' ') + "</config>",
                     "larger than 4 MB"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
