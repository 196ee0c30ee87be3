// The receiver's screen as the virtual bus assembles it, its PNG output, the write/read
// faults, and the text log that --sim-log writes.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>

#include "platform/clock.h"
#include "sim/frames.h"
#include "sim/virtual_bus.h"

namespace {

using sim::Connection;
using sim::Interface;
using sim::Model;

using ScreenReport = std::array<uint8_t, 64>;

// A screen report: 09 50 <checksum of bytes 3..63> 3A, then bytes 4.. as given.
ScreenReport Screen(std::initializer_list<uint8_t> from_byte4) {
  ScreenReport r{};
  r[0] = 0x09;
  r[1] = 0x50;
  r[3] = 0x3A;
  size_t at = 4;
  for (uint8_t b : from_byte4) r[at++] = b;
  r[2] = simtest::SumFrom(r.data(), 3);
  return r;
}

ScreenReport Piece(int frame, int piece, uint8_t first_byte) {
  ScreenReport r = Screen({0xA3, static_cast<uint8_t>(frame), static_cast<uint8_t>(piece >> 8),
                           static_cast<uint8_t>(piece & 0xFF)});
  for (size_t i = 0; i < sim::kScreenPieceBytes; ++i)
    r[8 + i] = static_cast<uint8_t>(first_byte + i);
  r[2] = simtest::SumFrom(r.data(), 3);
  return r;
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          (name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           std::to_string(getpid())))
      .string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
    ASSERT_TRUE(bus_.Screen(0).frames.empty());
    screen_ = bus_.Open(bus_.InterfacePath(0, Connection::kReceiver, Interface::kScreen));
    ASSERT_NE(screen_, nullptr);
  }
  int Write(const ScreenReport& r) { return screen_->Write(r.data(), r.size()); }

  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
  std::unique_ptr<hid::Device> screen_;
};

TEST_F(ScreenTest, PiecesLandAtTheirOffsetsAndTheEndShowsTheFrames) {
  ASSERT_EQ(Write(Screen({0xA0, 0, 2, 0, 100})), 64);
  ASSERT_EQ(Write(Piece(1, 258, 0x10)), 64);
  ASSERT_EQ(Write(Piece(1, 1157, 0x80)), 64);  // the last piece: only 8 bytes are pixels
  ASSERT_EQ(Write(Piece(0, 0, 0x40)), 64);
  EXPECT_TRUE(bus_.Screen(0).frames.empty()) << "nothing shows before the end";
  ASSERT_EQ(Write(Screen({0xA1, 0, 2, 0, 100})), 64);

  const sim::ScreenState s = bus_.Screen(0);
  ASSERT_EQ(s.frames.size(), 2u);
  EXPECT_EQ(s.delay, 100);
  EXPECT_EQ(s.uploads_completed, 1);
  EXPECT_EQ(s.missing_pieces, 2 * sim::kScreenPieces - 3);
  EXPECT_EQ(s.bad_reports, 0);
  const auto& f1 = s.frames[1];
  ASSERT_EQ(f1.size(), sim::kScreenFrameBytes);
  EXPECT_EQ(f1[258 * 56 - 1], 0);
  EXPECT_EQ(f1[258 * 56], 0x10);
  EXPECT_EQ(f1[258 * 56 + 55], 0x10 + 55);
  EXPECT_EQ(f1[258 * 56 + 56], 0);
  EXPECT_EQ(f1[1157 * 56], 0x80);
  EXPECT_EQ(f1[sim::kScreenFrameBytes - 1], 0x87);
  EXPECT_EQ(s.frames[0][0], 0x40);
  EXPECT_EQ(s.frames[0][56], 0);
}

TEST_F(ScreenTest, BadReportsAreCountedAndChangeNothing) {
  ASSERT_EQ(Write(Screen({0xA0, 0, 1, 0, 50})), 64);
  ScreenReport bad_sum = Piece(0, 3, 0x11);
  bad_sum[2] ^= 1;
  Write(bad_sum);
  Write(Piece(1, 0, 0x22));                   // frame 1 of a one-frame upload
  Write(Piece(0, sim::kScreenPieces, 0x33));  // piece number past the frame
  Write(Screen({0xC7}));                      // no such command
  ASSERT_EQ(Write(Screen({0xA1, 0, 1, 0, 50})), 64);
  const sim::ScreenState s = bus_.Screen(0);
  EXPECT_EQ(s.bad_reports, 4);
  ASSERT_EQ(s.frames.size(), 1u);
  EXPECT_EQ(s.frames[0], std::vector<uint8_t>(sim::kScreenFrameBytes, 0));
}

TEST_F(ScreenTest, CancelKeepsWhatTheScreenShowed) {
  Write(Screen({0xA0, 0, 1, 0, 100}));
  Write(Piece(0, 0, 0x01));
  Write(Screen({0xA1, 0, 1, 0, 100}));
  Write(Screen({0xA0, 0, 3, 0, 20}));
  Write(Piece(0, 0, 0x99));
  Write(Screen({0xA2}));
  const sim::ScreenState s = bus_.Screen(0);
  EXPECT_EQ(s.uploads_completed, 1);
  EXPECT_EQ(s.uploads_cancelled, 1);
  EXPECT_FALSE(s.uploading);
  ASSERT_EQ(s.frames.size(), 1u);
  EXPECT_EQ(s.frames[0][0], 0x01);
  EXPECT_EQ(s.delay, 100);
}

TEST_F(ScreenTest, ClockAndMode) {
  // 2024-01-05 09:30:12, a Friday.
  Write(Screen({0xB1, 0, 0, 24, 1, 5, 9, 30, 12, 5}));
  Write(Screen({0xB2, 1}));
  const sim::ScreenState s = bus_.Screen(0);
  EXPECT_TRUE(s.clock.set);
  EXPECT_EQ(s.clock.year, 2024);
  EXPECT_EQ(s.clock.month, 1);
  EXPECT_EQ(s.clock.day, 5);
  EXPECT_EQ(s.clock.hour, 9);
  EXPECT_EQ(s.clock.minute, 30);
  EXPECT_EQ(s.clock.second, 12);
  EXPECT_EQ(s.clock.day_of_week, 5);
  EXPECT_EQ(s.mode, 1);
}

// Reads an 8-bit RGB PNG back (chunk walk and zlib); empty on any mismatch.
std::vector<uint8_t> DecodeRgbPng(const std::string& bytes, int* width, int* height) {
  const std::string signature("\x89PNG\r\n\x1a\n", 8);
  if (bytes.compare(0, 8, signature) != 0) return {};
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
  };
  std::string idat;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = be32(at);
    const std::string type = bytes.substr(at + 4, 4);
    if (at + 12 + length > bytes.size()) return {};
    const uint32_t crc =
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), length + 4);
    if (crc != be32(at + 8 + length)) return {};
    if (type == "IHDR") {
      *width = static_cast<int>(be32(at + 8));
      *height = static_cast<int>(be32(at + 12));
      if (bytes[at + 16] != 8 || bytes[at + 17] != 2) return {};
    } else if (type == "IDAT") {
      idat += bytes.substr(at + 8, length);
    }
    at += 12 + length;
  }
  std::vector<uint8_t> raw(static_cast<size_t>(*height) * (1 + 3 * *width));
  uLongf raw_len = raw.size();
  if (uncompress(raw.data(), &raw_len, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) !=
          Z_OK ||
      raw_len != raw.size()) {
    return {};
  }
  return raw;
}

TEST_F(ScreenTest, FramesAreWrittenAsPng) {
  Write(Screen({0xA0, 0, 1, 0, 100}));
  // Pixel 0 pure red (F800), pixel 1 pure green (07E0), little-endian; pixel 28 (piece 1) blue.
  ScreenReport p0 = Screen({0xA3, 0, 0, 0, 0x00, 0xF8, 0xE0, 0x07});
  ScreenReport p1 = Screen({0xA3, 0, 0, 1, 0x1F, 0x00});
  Write(p0);
  Write(p1);
  Write(Screen({0xA1, 0, 1, 0, 100}));
  const std::string path = TempPath("screen_frame.png");
  ASSERT_TRUE(bus_.WriteScreenFramePng(0, 0, path));
  EXPECT_FALSE(bus_.WriteScreenFramePng(0, 1, path + ".none"));
  EXPECT_FALSE(std::filesystem::exists(path + ".none"));

  int width = 0, height = 0;
  const std::vector<uint8_t> raw = DecodeRgbPng(ReadAll(path), &width, &height);
  std::filesystem::remove(path);
  ASSERT_EQ(width, sim::kScreenWidth);
  ASSERT_EQ(height, sim::kScreenHeight);
  ASSERT_FALSE(raw.empty());
  auto rgb = [&](int x, int y) {
    const size_t at = static_cast<size_t>(y) * (1 + 3 * width) + 1 + 3 * x;
    return std::array<int, 3>{raw[at], raw[at + 1], raw[at + 2]};
  };
  EXPECT_EQ(rgb(0, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(rgb(1, 0), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(rgb(28, 0), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(rgb(2, 0), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(rgb(239, 134), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(ScreenTest, WriteAndReadFaultsFailTheirCalls) {
  bus_.InjectFault(0, Connection::kReceiver, sim::Fault::kWriteError, 1);
  bus_.InjectFault(0, Connection::kReceiver, sim::Fault::kReadError, 1);
  EXPECT_EQ(Write(Screen({0xB2, 1})), -1);
  EXPECT_EQ(bus_.Screen(0).mode, 0) << "a failed write is not carried out";
  EXPECT_EQ(Write(Screen({0xB2, 1})), 64);
  EXPECT_EQ(bus_.Screen(0).mode, 1);

  auto notify = bus_.Open(bus_.InterfacePath(0, Connection::kReceiver, Interface::kNotify));
  bus_.SetBattery(0, 60, false);
  uint8_t buffer[12];
  EXPECT_EQ(notify->Read(buffer, sizeof(buffer), 50), -1);
  EXPECT_EQ(notify->Read(buffer, sizeof(buffer), 50), 12) << "the report waited";
  EXPECT_EQ(buffer[3], 60);
}

TEST_F(ScreenTest, UnplugDuringAnUploadLeavesTheScreenAsItWas) {
  bus_.InjectFault(0, Connection::kReceiver, sim::Fault::kUnplugAfter, 3);
  Write(Screen({0xA0, 0, 1, 0, 100}));
  Write(Piece(0, 0, 0x01));
  Write(Piece(0, 1, 0x02));
  EXPECT_EQ(Write(Piece(0, 2, 0x03)), -1);
  EXPECT_FALSE(bus_.IsPlugged(0, Connection::kReceiver));
  bus_.Plug(0, Connection::kReceiver);
  EXPECT_TRUE(bus_.Screen(0).frames.empty());
  EXPECT_FALSE(bus_.Screen(0).uploading) << "the receiver lost power";
  EXPECT_EQ(bus_.Screen(0).uploads_completed, 0);
}

// --sim-log: the log so far, then every later report, one line each.
TEST(SimLog, WriteLogWritesTheLogAndFollowsIt) {
  platform::VirtualClock clock;
  sim::VirtualBus bus(clock);
  bus.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
  clock.Advance(120);
  simtest::Exchange(*device, simtest::Command(0x01, 0x47, 0x00));

  const std::string path = TempPath("sim.log");
  ASSERT_TRUE(sim::WriteLog(bus, path));
  EXPECT_EQ(ReadAll(path), bus.LogText());
  clock.Advance(5);
  bus.SetBattery(0, 70, true);
  auto notify = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kNotify));
  uint8_t buffer[12];
  ASSERT_EQ(notify->Read(buffer, sizeof(buffer), 10), 12);

  std::istringstream lines(ReadAll(path));
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].rfind("120 7A5D:", 0), 0u) << got[0];
  EXPECT_NE(got[0].find("/command set-feature 03 "), std::string::npos) << got[0];
  EXPECT_NE(got[1].find("/command get-feature 03 "), std::string::npos) << got[1];
  EXPECT_NE(got[2].find(" input 09 FA 05 C6 00"), std::string::npos) << got[2];
  EXPECT_EQ(got[2].rfind("125 ", 0), 0u) << got[2];

  ASSERT_TRUE(bus.SetLogFile(""));  // stops following
  const std::string before = ReadAll(path);
  bus.SetBattery(0, 71, true);
  ASSERT_EQ(notify->Read(buffer, sizeof(buffer), 10), 12);
  EXPECT_EQ(ReadAll(path), before);
  std::filesystem::remove(path);

  EXPECT_FALSE(sim::WriteLog(bus, ""));
  EXPECT_FALSE(sim::WriteLog(bus, "/nonexistent-dir/sim.log"));
}

}  // namespace
