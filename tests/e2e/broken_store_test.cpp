// The whole program over a profile database that cannot be used as it is: the person is told,
// a damaged file is kept and replaced, and the mouse never gets values the store does not hold.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "e2e_fixture.h"
#include "settings/settings_model.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// The DPI frames (command 0x50, sub-code 0x3A) the mouse received.
std::vector<std::vector<uint8_t>> DpiFrames(const sim::VirtualBus& bus) {
  std::vector<std::vector<uint8_t>> frames;
  for (const sim::ReceivedReport& r : bus.Log()) {
    if (r.kind == sim::ReportKind::kSetFeature && r.bytes.size() > 12 && r.bytes[4] == 0x50 &&
        r.bytes[5] == 0x3A) {
      frames.push_back(r.bytes);
    }
  }
  return frames;
}

class BrokenStoreProgramTest : public EndToEndTest {
 protected:
  std::string DbFile() { return dir_.path() + "data/db/K7 Mouse_data.db"; }
  // The person picks DPI level `level` on the DPI page and the worker runs.
  void PickDpiLevel(int level) {
    dlg_->OnControlNotify(settings::kDpiControl, settings::kDpiLevelSelected, level);
    RunQueuedTasks();
  }
  std::vector<std::string> MessageTexts() {
    tk_.PumpMessages();
    std::vector<std::string> texts;
    for (const auto& m : tk_.Messages()) texts.push_back(m.message);
    return texts;
  }
};

struct Spoiler {
  const char* name;
  std::function<void(const std::string& file)> spoil;
};

const Spoiler kSpoilers[] = {
    {"ZeroLength", [](const std::string& f) { std::ofstream(f, std::ios::trunc).close(); }},
    {"RandomBytes",
     [](const std::string& f) { std::ofstream(f, std::ios::trunc) << std::string(5000, '\x9c'); }},
    {"FolderInItsPlace", [](const std::string& f) { fs::create_directories(f + "/x"); }},
};

class SpoiledStoreTest : public BrokenStoreProgramTest,
                         public ::testing::WithParamInterface<Spoiler> {};

TEST_P(SpoiledStoreTest, IsReplacedTheOldFileKeptThePersonToldAndTheMouseGetsRealValues) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  fs::create_directories(dir_.path() + "data/db");
  GetParam().spoil(DbFile());
  StartProgram();
  RunQueuedTasks();

  const StoreOpenReport report = ProfileStore::Instance().OpenReport();
  ASSERT_EQ(report.outcome, StoreOpenReport::Outcome::kReplaced);
  EXPECT_TRUE(fs::exists(report.kept_as));
  const std::vector<std::string> texts = MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("The profile database " + DbFile() + " could not be used (", 0), 0u)
      << texts[0];
  EXPECT_NE(texts[0].find("It was kept as " + report.kept_as + " and a new one was created"),
            std::string::npos)
      << texts[0];

  // A fresh store with its five profiles and the mouse's own levels.
  EXPECT_EQ(tk_.Snapshot(kProfiles).items.size(), 5u);
  ASSERT_EQ(tk_.GetDPILevelCount(settings::kDpiControl), 6);
  EXPECT_EQ(tk_.GetDPIValue(settings::kDpiControl, 1), 800);
  bus_.ClearLog();
  PickDpiLevel(1);
  const auto frames = DpiFrames(bus_);
  ASSERT_EQ(frames.size(), 1u);
  // Level 2 of 6, 800 DPI (code 800 / 50 - 1 = 15), the level's stored colour.
  EXPECT_EQ(frames[0][7], 0x26);
  EXPECT_EQ(frames[0][8], 15);
  EXPECT_EQ(frames[0][9], 0);
  EXPECT_NE(frames[0][10] | frames[0][11] | frames[0][12], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpoiledStoreTest, ::testing::ValuesIn(kSpoilers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrokenStoreProgramTest, AStoreLockedForWritesSendsNothingAndShowsTheStoredLevel) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  ASSERT_EQ(tk_.GetDPISelected(settings::kDpiControl), 2);
  ASSERT_TRUE(MessageTexts().empty());

  // Another process takes the write lock and keeps it.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DbFile().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ProfileStore::Instance().SetBusyTimeoutMs(0);
  bus_.ClearLog();

  PickDpiLevel(4);
  PickDpiLevel(5);
  EXPECT_TRUE(DpiFrames(bus_).empty());
  // The window shows what the store and the mouse hold, and says why once.
  EXPECT_EQ(tk_.GetDPISelected(settings::kDpiControl), 2);
  EXPECT_EQ(bus_.State(0).ActiveLevel(), 2);
  const std::vector<std::string> texts = MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0],
            "A change could not be saved in the profile database (database is locked). It was not "
            "sent to the mouse.");

  // Once the lock is gone the next change is stored and sent.
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ProfileStore::Instance().SetBusyTimeoutMs(3000);
  PickDpiLevel(4);
  EXPECT_EQ(DpiFrames(bus_).size(), 1u);
  EXPECT_EQ(bus_.State(0).ActiveLevel(), 4);
}

TEST_F(BrokenStoreProgramTest, AStoreThatCannotBeReadSendsNoFrameBuiltOfZeros) {
  bus_.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kReceiver);
  StartProgram();
  RunQueuedTasks();
  // The rows of the active profile vanish behind the program's back.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(DbFile().c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "DELETE FROM t_configdata", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  bus_.ClearLog();

  dlg_->OnControlNotify(settings::kDpiSendButton, ui::kNotifyClicked, 0);
  RunQueuedTasks();
  EXPECT_TRUE(DpiFrames(bus_).empty());
  const std::vector<std::string> texts = MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("The settings could not be read from the profile database", 0), 0u);
}

}  // namespace
}  // namespace e2e
