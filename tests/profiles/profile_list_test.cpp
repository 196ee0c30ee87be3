#include "profiles/profile_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "platform/language.h"
#include "platform/paths.h"
#include "store/profile_store.h"
#include "store/store_fixture.h"
#include "ui/headless/headless_toolkit.h"

namespace store_test {
namespace {

using profiles::kProfileListControl;
using profiles::ProfileDisplayName;

TEST(ProfileDisplayNameTest, PrefixRule) {
  const struct {
    const char* stored;
    const char* word;
    const char* shown;
  } cases[] = {
      {"Profile 3", "Profile", "Profile  3"},  // the leading blank stays
      {"Profile 2", "配置方案", "配置方案  2"},
      {"配置方案 2", "Profile", "Profile  2"},
      {"配置方案 1", "配置方案", "配置方案  1"},
      {"Profile", "Profile", "Profile "},
      {"Profiles", "X", "X s"},
      {"profile 3", "Profile", "profile 3"},  // case matters
      {"Prof", "Profile", "Prof"},
      {"配置方", "Profile", "配置方"},
      {"My 配置方案", "Profile", "My 配置方案"},
      {"", "Profile", ""},
      {"Profile 4", "", "  4"},  // missing language text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileDisplayName(c.stored, c.word), c.shown) << c.stored << " / " << c.word;
  }
}

class ProfileListTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    std::filesystem::create_directories(program_.path() + "language");
    std::ofstream(program_.path() + "language/1033.lan") << "[LAN]\n60=Profile\n";
    std::ofstream(program_.path() + "language/2052.lan") << "[LAN]\n60=配置方案\n";
    platform::SetProgramDir(program_.path());
    platform::SetLanguageId(1033);
  }

  std::vector<ui::HeadlessToolkit::Item> Entries() {
    return toolkit_.Snapshot(kProfileListControl).items;
  }

  TempDir program_;
  ui::HeadlessToolkit toolkit_;
};

TEST_F(ProfileListTest, FirstFillCreatesFiveProfilesWithProfileOneActive) {
  EXPECT_EQ(RefreshProfileList(toolkit_, store()), 1);
  std::vector<ProfileRecord> list;
  ASSERT_EQ(store().ListProfiles(list), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list[i].profile, i + 1);
    EXPECT_EQ(list[i].name, "Profile " + std::to_string(i + 1));
    EXPECT_EQ(list[i].status, i == 0 ? 1 : 0);
    EXPECT_EQ(list[i].app, "");
    EXPECT_EQ(Count("SELECT count(*) FROM t_configdata WHERE profile = " + std::to_string(i + 1)),
              50);
  }
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata"), 250);

  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[2].text, "Profile  3");
  EXPECT_EQ(entries[2].data, 3);
  EXPECT_EQ(toolkit_.GetCurData(kProfileListControl), 1);
}

TEST_F(ProfileListTest, LaterFillsCreateNothingAndFollowTheLanguage) {
  ASSERT_EQ(RefreshProfileList(toolkit_, store()), 1);
  ASSERT_TRUE(store().SetActiveProfile(4));
  platform::SetLanguageId(2052);
  EXPECT_EQ(RefreshProfileList(toolkit_, store()), 4);
  EXPECT_EQ(Count("SELECT count(*) FROM t_profile_data"), 5);
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata"), 250);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 5u);  // emptied before refilling
  EXPECT_EQ(entries[0].text, "配置方案  1");
  EXPECT_EQ(toolkit_.GetCurData(kProfileListControl), 4);
  // Only the display changed; the stored names are those of creation.
  std::vector<ProfileRecord> list;
  store().ListProfiles(list);
  EXPECT_EQ(list[0].name, "Profile 1");
}

TEST_F(ProfileListTest, ChineseNamesSurviveTheRoundTrip) {
  platform::SetLanguageId(2052);
  ASSERT_EQ(RefreshProfileList(toolkit_, store()), 1);
  std::vector<ProfileRecord> list;
  ASSERT_EQ(store().ListProfiles(list), 5);
  EXPECT_EQ(list[4].name, "配置方案 5");
  EXPECT_EQ(Entries()[4].text, "配置方案  5");
}

TEST_F(ProfileListTest, NoActiveProfileMakesProfileOneActive) {
  ASSERT_EQ(RefreshProfileList(toolkit_, store()), 1);
  ASSERT_TRUE(ExecuteOn(DbFile(), "UPDATE t_profile_data SET status = 0"));
  EXPECT_EQ(RefreshProfileList(toolkit_, store()), 1);
  EXPECT_EQ(store().GetActiveProfile(), 1);
  EXPECT_EQ(toolkit_.GetCurData(kProfileListControl), 1);
}

TEST_F(ProfileListTest, WithoutProfileOneTheFirstListedBecomesActive) {
  ASSERT_TRUE(ExecuteOn(DbFile(),
                        "INSERT INTO t_profile_data(profile, name, status, app, type) VALUES "
                        "(6, 'Mine', 0, '', 0), (7, 'Profile 7', 0, '', 0)"));
  EXPECT_EQ(RefreshProfileList(toolkit_, store()), 6);
  EXPECT_EQ(store().GetActiveProfile(), 6);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].text, "Mine");
  EXPECT_EQ(toolkit_.GetCurData(kProfileListControl), 6);
}

TEST_F(ProfileListTest, WithoutDatabaseTheListStaysEmpty) {
  ASSERT_TRUE(store().Close());
  toolkit_.AddItem(kProfileListControl, "stale", 9);
  EXPECT_EQ(RefreshProfileList(toolkit_, store()), 0);
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(toolkit_.GetCurSel(kProfileListControl), -1);
}

TEST_F(ProfileListTest, SwitchStoresTheChoiceQueuesTheTaskAndRunsTheWaitDialog) {
  ASSERT_EQ(RefreshProfileList(toolkit_, store()), 1);
  toolkit_.BeginModal(ui::ModalKind::kWait);  // a dialog left open by an earlier action
  toolkit_.SetCurSel(kProfileListControl, 2);
  int current = 1;
  std::vector<int> tasks;
  auto append = [&](int code) {
    // The new dialog is already registered when the task is queued.
    EXPECT_TRUE(toolkit_.ModalOpen(ui::ModalKind::kWait));
    EXPECT_EQ(toolkit_.ModalBegins(ui::ModalKind::kWait), 2);
    EXPECT_EQ(current, 3);
    tasks.push_back(code);
  };
  SwitchProfile(
      toolkit_, store(), [&](int profile) { current = profile; }, append);
  EXPECT_EQ(current, 3);
  EXPECT_EQ(store().GetActiveProfile(), 3);
  EXPECT_EQ(Count("SELECT count(*) FROM t_profile_data WHERE status = 1"), 1);
  EXPECT_EQ(tasks, std::vector<int>{profiles::kApplyProfileTask});
  EXPECT_EQ(toolkit_.ModalBegins(ui::ModalKind::kWait), 2);
  // The task ends it.
  toolkit_.EndModal(ui::ModalKind::kWait);
  EXPECT_FALSE(toolkit_.ModalOpen(ui::ModalKind::kWait));
}

TEST_F(ProfileListTest, SwitchWithoutSelectionDoesNothing) {
  int current = 2;
  int calls = 0;
  SwitchProfile(
      toolkit_, store(), [&](int profile) { current = profile; }, [&](int) { ++calls; });
  EXPECT_EQ(current, 2);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(toolkit_.ModalBegins(ui::ModalKind::kWait), 0);
}

TEST_F(ProfileListTest, TwoFillsAtOnceCreateOneSetOfProfiles) {
  ui::HeadlessToolkit other;
  std::thread worker([&] { RefreshProfileList(toolkit_, store()); });
  RefreshProfileList(other, store());
  worker.join();
  EXPECT_EQ(Count("SELECT count(*) FROM t_profile_data"), 5);
  EXPECT_EQ(Count("SELECT count(*) FROM t_configdata"), 250);
  EXPECT_EQ(Entries().size(), 5u);
  EXPECT_EQ(other.Snapshot(kProfileListControl).items.size(), 5u);
}

// A toolkit that, on every call the profile code makes, has another thread use the store.
// If the store's lock were held across the call, that thread could not finish and the test
// would hang, as the real window thread would.
class LockCheckingToolkit : public ui::HeadlessToolkit {
 public:
  void ClearItems(int id) override {
    CheckStoreFree();
    HeadlessToolkit::ClearItems(id);
  }
  void AddItem(int id, const std::string& text, int64_t data) override {
    CheckStoreFree();
    HeadlessToolkit::AddItem(id, text, data);
  }
  bool SelectData(int id, int64_t data) override {
    CheckStoreFree();
    return HeadlessToolkit::SelectData(id, data);
  }
  void BeginModal(ui::ModalKind kind) override {
    CheckStoreFree();
    HeadlessToolkit::BeginModal(kind);
  }
  void RunModal(ui::ModalKind kind) override {
    CheckStoreFree();
    HeadlessToolkit::RunModal(kind);
  }
  int checks = 0;

 private:
  void CheckStoreFree() {
    std::thread([] { ProfileStore::Instance().GetActiveProfile(); }).join();
    ++checks;
  }
};

TEST_F(ProfileListTest, ToolkitIsNeverCalledUnderTheStoreLock) {
  LockCheckingToolkit toolkit;
  ASSERT_EQ(RefreshProfileList(toolkit, store()), 1);
  toolkit.SetCurSel(kProfileListControl, 1);
  int current = 1;
  SwitchProfile(
      toolkit, store(), [&](int profile) { current = profile; }, [](int) {});
  EXPECT_EQ(current, 2);
  EXPECT_EQ(toolkit.checks, 1 + 5 + 1 + 2);  // clear, five entries, select, begin and run
}

}  // namespace
}  // namespace store_test
