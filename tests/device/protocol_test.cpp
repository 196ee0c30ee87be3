#include "device/protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using device::AnswerKind;

// The first bytes of each frame, written out; everything after them must be zero.
struct FrameCase {
  const char* name;
  CommandFrame frame;
  std::vector<uint8_t> head;
};

std::vector<FrameCase> FrameCases() {
  static const uint8_t dpi[] = {0x35, 0x80, 0x0C, 0xFF, 0x00, 0x00};
  return {
      {"online query",
       device::MakeCommandFrame(0x01, 0x47, 0),
       {0x03, 0x00, 0x50, 0x00, 0x01, 0x47, 0x00}},
      {"second information page",
       device::MakeCommandFrame(0x02, 0x4F, 0x81),
       {0x03, 0x00, 0x50, 0x00, 0x02, 0x4F, 0x81}},
      {"dpi write",
       device::MakeCommandFrame(0x50, 0x3A, 0x00, dpi),
       {0x03, 0x00, 0x50, 0x06, 0x50, 0x3A, 0x00, 0x35, 0x80, 0x0C, 0xFF, 0x00, 0x00}},
      {"long-data open",
       device::MakeBigDataOpenFrame(),
       {0x03, 0x00, 0x65, 0x3A, 0x00, 0x01, 0x44, 0x00, 0x09, 0x44}},
      {"long-data size 0x1234",
       device::MakeBigDataSizeFrame(0x1234),
       {0x03, 0x00, 0x65, 0x3A, 0x01, 0x01, 0x57, 0x01, 0x06, 0x57, 0x03, 0x34, 0x12}},
  };
}

TEST(Protocol, FramesHaveTheirBytes) {
  for (const FrameCase& c : FrameCases()) {
    for (size_t i = 0; i < c.frame.size(); ++i) {
      const uint8_t want = i < c.head.size() ? c.head[i] : 0;
      EXPECT_EQ(c.frame[i], want) << c.name << " byte " << i;
    }
  }
}

TEST(Protocol, DataBeyondFiftySevenBytesIsDropped) {
  std::vector<uint8_t> data(60, 0xAB);
  const CommandFrame frame = device::MakeCommandFrame(0x90, 0x36, 0, data);
  EXPECT_EQ(frame[3], 57);
  EXPECT_EQ(frame[63], 0xAB);
  EXPECT_EQ(frame[64], 0x00);  // the byte that is never sent stays clear
}

TEST(Protocol, ChecksumsCoverTheirBytes) {
  CommandFrame frame{};
  frame[0] = 0x03;  // not summed by either
  frame[1] = 0x77;  // not summed by either
  frame[2] = 0x50;  // summed by the command checksum only
  frame[3] = 0xF0;
  frame[63] = 0x20;
  frame[64] = 0x55;                                 // beyond the report: never summed
  EXPECT_EQ(device::CommandChecksum(frame), 0x60);  // 0x50 + 0xF0 + 0x20 = 0x160
  EXPECT_EQ(device::ScreenChecksum(frame), 0x10);   // 0xF0 + 0x20 = 0x110
}

TEST(Protocol, AnswersReadByStatusAndEcho) {
  const CommandFrame request = device::MakeCommandFrame(0x02, 0x4F, 0x80);
  struct Case {
    uint8_t status, echo;
    AnswerKind kind;
  } cases[] = {
      {0x00, 0x02, AnswerKind::kAccepted}, {0x00, 0x05, AnswerKind::kEchoMismatch},
      {0x01, 0x02, AnswerKind::kFailed},   {0x02, 0x02, AnswerKind::kBusy},
      {0x03, 0x02, AnswerKind::kOther},
  };
  for (const Case& c : cases) {
    CommandFrame answer = request;
    answer[2] = c.status;
    answer[4] = c.echo;
    EXPECT_EQ(device::ReadAnswer(request, answer), c.kind) << int(c.status) << " " << int(c.echo);
  }
}

TEST(Protocol, StatusReportsDecoded) {
  using Kind = device::StatusReport::Kind;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    Kind kind;
    int value;  // linked (0/1), DPI level from 0, battery percent or rate code
    bool charging;
  } cases[] = {
      {"linked", {0x09, 0xFA, 0x02, 0x01}, Kind::kLink, 1, false},
      {"unlinked", {0x09, 0xFA, 0x02, 0x00}, Kind::kLink, 0, false},
      {"link value 2 is not linked", {0x09, 0xFA, 0x02, 0x02}, Kind::kLink, 0, false},
      {"DPI level 3", {0x09, 0xFA, 0x03, 0x03}, Kind::kDpiLevel, 2, false},
      {"DPI level 1", {0x09, 0xFA, 0x03, 0x01}, Kind::kDpiLevel, 0, false},
      {"DPI level 7", {0x09, 0xFA, 0x03, 0x07}, Kind::kDpiLevel, 6, false},
      {"DPI level 0 is none", {0x09, 0xFA, 0x03, 0x00}, Kind::kDpiLevel, -1, false},
      {"DPI level 8 is none", {0x09, 0xFA, 0x03, 0x08}, Kind::kDpiLevel, -1, false},
      {"full and charging", {0x09, 0xFA, 0x05, 0xE4}, Kind::kBattery, 100, true},
      {"half, not charging", {0x09, 0xFA, 0x05, 0x32}, Kind::kBattery, 50, false},
      {"rate code 4", {0x09, 0xFA, 0x09, 0x04}, Kind::kReportRate, 4, false},
      {"other event", {0x09, 0xFA, 0x07, 0x01}, Kind::kOther, 0, false},
      {"no marker", {0x09, 0xFB, 0x05, 0xE4}, Kind::kNone, 0, false},
      {"other report", {0x03, 0xFA, 0x05, 0xE4}, Kind::kNone, 0, false},
      {"nothing read", {0x00, 0x00, 0x00, 0x00}, Kind::kNone, 0, false},
      {"too short", {0x09, 0xFA, 0x05}, Kind::kNone, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const device::StatusReport r = device::DecodeStatusReport(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(r.kind, c.kind);
    switch (c.kind) {
      case Kind::kLink:
        EXPECT_EQ(r.linked, c.value == 1);
        break;
      case Kind::kDpiLevel:
        EXPECT_EQ(r.dpi_level, c.value);
        break;
      case Kind::kBattery:
        EXPECT_EQ(r.battery_percent, c.value);
        EXPECT_EQ(r.charging, c.charging);
        break;
      case Kind::kReportRate:
        EXPECT_EQ(r.rate_code, c.value);
        break;
      default:
        break;
    }
    if (c.kind != Kind::kNone) {
      EXPECT_EQ(r.value, c.bytes[3]);
    }
  }
}

}  // namespace
