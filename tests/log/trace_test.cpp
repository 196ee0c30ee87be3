#include "log/trace.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace {

// Each test writes its log in a fresh current directory.
class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "log_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    clock_.SetNow({2024, 1, 5, 9, 30, 12, 345, 5});
  }
  void TearDown() override {
    mouselog::CloseLog();
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }
  std::vector<std::string> Lines() {
    std::ifstream in(dir_ / mouselog::LogFileName(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path dir_, saved_;
  platform::VirtualClock clock_;
};

TEST_F(TraceTest, FileNameAndLineFormatByLevel) {
  mouselog::OpenLog(&clock_);
  EXPECT_EQ(mouselog::LogFileName(), "VexMouse_20240105_093012.log");
  ASSERT_TRUE(std::filesystem::exists(dir_ / "VexMouse_20240105_093012.log"));
  for (int level = 0; level <= 5; ++level) Trace(level, "line %d", level);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "[01-05 09:30:12.345][Info ]line 2",
                         "[01-05 09:30:12.345][Warn ]line 3",
                         "[01-05 09:30:12.345][Error]line 4",
                         "[01-05 09:30:12.345][Fatal]line 5",
                     }));
}

TEST_F(TraceTest, TwoStartsInOneSecondAppendToOneFile) {
  mouselog::OpenLog(&clock_);
  Trace(2, "first run");
  mouselog::CloseLog();
  mouselog::OpenLog(&clock_);
  Trace(2, "second run");
  EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(TraceTest, LongLinesAreCutAt255Characters) {
  mouselog::OpenLog(&clock_);
  Trace(2, "%s", std::string(300, 'x').c_str());
  // A Chinese message is cut in GBK bytes without splitting a character: the prefix is 27
  // bytes, so 114 two-byte characters fill 228 of the remaining 228.
  std::string chinese;
  for (int i = 0; i < 150; ++i) chinese += "鼠";
  Trace(2, "a%s", chinese.c_str());
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 255u);
  EXPECT_EQ(lines[0].substr(27), std::string(228, 'x'));
  EXPECT_EQ(lines[1].size(), 27u + 1 + 2 * 113);  // the 114th character would need byte 256
}

TEST_F(TraceTest, ChineseIsWrittenAsGbk) {
  mouselog::OpenLog(&clock_);
  Trace(2, "%s", "没有检测到设备");
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  // 没有检测到设备 in GBK.
  EXPECT_EQ(lines[0].substr(27), "\xC3\xBB\xD3\xD0\xBC\xEC\xB2\xE2\xB5\xBD\xC9\xE8\xB1\xB8");
}

TEST_F(TraceTest, LinesFromTwoThreadsNeverInterleave) {
  mouselog::OpenLog(&clock_);
  const std::string body(200, 'w');
  auto writer = [&](const char* who) {
    for (int i = 0; i < 300; ++i) Trace(2, "%s %03d %s", who, i, body.c_str());
  };
  std::thread worker(writer, "worker");
  writer("window");
  worker.join();
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 600u);
  int worker_lines = 0;
  for (const std::string& line : lines) {
    const std::string text = line.substr(27);
    const bool from_worker = text.rfind("worker ", 0) == 0;
    worker_lines += from_worker ? 1 : 0;
    ASSERT_TRUE(from_worker || text.rfind("window ", 0) == 0) << line;
    ASSERT_EQ(text.substr(text.size() - body.size()), body) << line;
  }
  EXPECT_EQ(worker_lines, 300);
}

TEST_F(TraceTest, UnopenableFileIsRetriedThenLinesAreDropped) {
  // A folder in the way of the file name.
  std::filesystem::create_directory(dir_ / "VexMouse_20240105_093012.log");
  mouselog::OpenLog(&clock_);
  EXPECT_FALSE(mouselog::LogIsOpen());
  EXPECT_EQ(clock_.Sleeps(), std::vector<int>(11, 50));
  Trace(4, "lost");  // returns normally
}

}  // namespace
