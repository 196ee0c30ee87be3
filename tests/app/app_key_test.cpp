#include "platform/app_key.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>

#include "app_fixture.h"
#include "platform/single_instance.h"

namespace {

using app_test::TempDir;

TEST(AppKeyTest, DecimalValuesWithRegistryFallbacks) {
  TempDir dir;
  app_test::WriteFile(dir.path() + "key/settings.ini",
                      "LCID=2052\nexit_mode=\nDeviceType=102abc\nautorun_minimize=x1\n");
  platform::AppKey key(dir.path() + "key");
  EXPECT_EQ(key.ReadInt("LCID"), 2052);
  EXPECT_EQ(key.ReadInt("exit_mode"), 0);         // empty
  EXPECT_EQ(key.ReadInt("DeviceType"), 102);      // leading number
  EXPECT_EQ(key.ReadInt("autorun_minimize"), 0);  // no number
  EXPECT_EQ(key.ReadInt("absent"), 0);
}

TEST(AppKeyTest, WriteReplacesOneValueAndKeepsTheOthers) {
  TempDir dir;
  platform::AppKey key(dir.path() + "key");
  ASSERT_TRUE(key.WriteInt("LCID", 1033));
  ASSERT_TRUE(key.WriteInt("exit_mode", 1));
  ASSERT_TRUE(key.WriteInt("LCID", 2052));
  EXPECT_EQ(app_test::ReadFile(key.Path()), "LCID=2052\nexit_mode=1\n");
  // A fresh object reads what the first one wrote.
  platform::AppKey again(dir.path() + "key");
  EXPECT_EQ(again.ReadInt("exit_mode"), 1);
}

TEST(AppKeyTest, LanguageIdFallbacks) {
  TempDir dir;
  {
    // No key yet: it is created and reads 0, so the caller picks the language.
    platform::AppKey key(dir.path() + "new");
    EXPECT_EQ(platform::ReadLanguageId(key), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(key.Path()));
    platform::WriteLanguageId(key, 1033);
    EXPECT_EQ(platform::ReadLanguageId(key), 1033);
  }
  {
    // The key cannot be created (a file sits where its folder should be): 2052, nothing
    // written.
    app_test::WriteFile(dir.path() + "blocked", "file");
    platform::AppKey key(dir.path() + "blocked");
    EXPECT_EQ(platform::ReadLanguageId(key), 2052);
    platform::WriteLanguageId(key, 1033);
    EXPECT_EQ(app_test::ReadFile(dir.path() + "blocked"), "file");
  }
  {
    // The key exists but cannot be opened (not a file): 2052 as well.
    std::filesystem::create_directories(dir.path() + "odd/settings.ini");
    platform::AppKey key(dir.path() + "odd");
    EXPECT_EQ(platform::ReadLanguageId(key), 2052);
    EXPECT_FALSE(key.WriteInt("LCID", 1033));
  }
}

TEST(SingleInstanceTest, SecondCopyIsRefusedAndRaisesTheFirst) {
  TempDir dir;
  std::promise<void> raised;
  auto first = std::make_unique<platform::SingleInstance>("Mouse Center/€", dir.path());
  ASSERT_TRUE(first->Acquire([&raised] { raised.set_value(); }));

  platform::SingleInstance second("Mouse Center/€", dir.path());
  EXPECT_FALSE(second.Acquire([] { ADD_FAILURE() << "the second copy listens"; }));
  EXPECT_TRUE(second.AskFirstToRaise());
  EXPECT_EQ(raised.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);

  // Another caption is another program.
  platform::SingleInstance other("Other Center", dir.path());
  EXPECT_TRUE(other.Acquire(nullptr));

  // Once the first has ended (its socket may be left behind by a crash), a new copy starts.
  first.reset();
  app_test::WriteFile(second.SocketPath(), "stale");
  platform::SingleInstance third("Mouse Center/€", dir.path());
  EXPECT_TRUE(third.Acquire(nullptr));
  EXPECT_FALSE(platform::SingleInstance("Mouse Center/€", dir.path()).Acquire(nullptr));
}

TEST(SingleInstanceTest, WithoutRuntimeFolderTheLockInTmpCarriesTheUser) {
  app_test::EnvGuard env;
  env.Set("XDG_RUNTIME_DIR", nullptr);
  platform::SingleInstance instance("Mouse Center");
  const std::string user = "-u" + std::to_string(getuid());
  EXPECT_EQ(instance.LockPath().rfind("/tmp/Mouse_Center-", 0), 0u) << instance.LockPath();
  EXPECT_NE(instance.LockPath().find(user + ".lock"), std::string::npos) << instance.LockPath();
  EXPECT_NE(instance.SocketPath().find(user + ".sock"), std::string::npos);
}

TEST(SingleInstanceTest, ALockThatCannotBeTakenLetsTheProgramStartAndSaysWhy) {
  TempDir dir;
  platform::SingleInstance instance("Mouse Center", dir.path());
  // Something that is no lock file (or is not ours) stands where the lock goes.
  std::filesystem::create_directories(instance.LockPath());
  EXPECT_TRUE(instance.Acquire(nullptr));
  EXPECT_EQ(instance.Problem().rfind(instance.LockPath() + ": ", 0), 0u) << instance.Problem();
  // A copy that really holds the lock still has no problem to tell.
  TempDir other;
  platform::SingleInstance first("Mouse Center", other.path());
  ASSERT_TRUE(first.Acquire(nullptr));
  EXPECT_TRUE(first.Problem().empty());
  platform::SingleInstance second("Mouse Center", other.path());
  EXPECT_FALSE(second.Acquire(nullptr));
  EXPECT_TRUE(second.Problem().empty());
}

TEST(SingleInstanceTest, RequestsGetTheFirstCopysAnswer) {
  TempDir dir;
  platform::SingleInstance first("Mouse Center", dir.path());
  ASSERT_TRUE(first.Acquire([] { ADD_FAILURE() << "a request is no raise"; }));
  platform::SingleInstance later("Mouse Center", dir.path());
  // Before the handler is there the first copy answers nothing; the asker may try again.
  EXPECT_EQ(later.SendRequest("list", 10000), std::string());
  first.SetRequestHandler([](const std::string& request) { return "answer to " + request; });
  // Bytes of any kind, line breaks and zero bytes included, and more than one read's worth.
  const std::string big(20000, 'x');
  const std::string odd("a\nb\0c", 5);
  for (const std::string& request : {std::string("list"), odd, big}) {
    EXPECT_EQ(later.SendRequest(request, 10000), "answer to " + request);
  }
  // Too large a request is not sent.
  EXPECT_EQ(
      later.SendRequest(std::string(platform::SingleInstance::kMaxRequestBytes + 1, 'x'), 10000),
      std::string());
  // A holder without a socket (the command line at work) takes no requests.
  TempDir other;
  platform::SingleInstance quiet("Mouse Center", other.path());
  ASSERT_TRUE(quiet.Acquire(nullptr, false));
  platform::SingleInstance asker("Mouse Center", other.path());
  EXPECT_FALSE(asker.Acquire(nullptr));
  EXPECT_FALSE(asker.SendRequest("list", 10000).has_value());
  EXPECT_FALSE(asker.AskFirstToRaise());
}

TEST(SingleInstanceTest, AskingWithoutAFirstCopyReportsFailure) {
  TempDir dir;
  platform::SingleInstance lone("Mouse Center", dir.path());
  EXPECT_FALSE(lone.AskFirstToRaise());
}

}  // namespace
