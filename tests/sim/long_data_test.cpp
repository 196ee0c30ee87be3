// The macro memory upload as the virtual mouse receives it: the receiver hand-shake, the
// begin/start/data/checksum/end frames, and what it refuses.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <vector>

#include "platform/clock.h"
#include "sim/frames.h"
#include "sim/macro_image.h"
#include "sim/virtual_bus.h"

namespace {

using sim::Connection;
using sim::Interface;
using sim::Model;
using simtest::Exchange;
using simtest::LongData;

constexpr size_t kChunk = 25;
constexpr size_t kChunksPerBlock = 40;

// An image of `length` bytes whose content shows where each byte came from.
std::vector<uint8_t> Image(size_t length) {
  std::vector<uint8_t> image(length);
  for (size_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  return image;
}

uint16_t Sum16(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  return static_cast<uint16_t>(std::accumulate(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                               bytes.begin() + static_cast<std::ptrdiff_t>(to),
                                               0u) &
                               0xFFFF);
}

// The frames the host sends for `image` (the receiver hand-shake excluded), in order.
std::vector<sim::Report> UploadFrames(const std::vector<uint8_t>& image, uint8_t mode) {
  std::vector<sim::Report> frames;
  const uint8_t lo = static_cast<uint8_t>(image.size() & 0xFF);
  const uint8_t hi = static_cast<uint8_t>(image.size() >> 8);
  if (mode == 0) {
    frames.push_back(LongData({0x01, mode, 0x57, 0x01, 0x06, 0x57, 0x03, lo, hi}));
  } else {
    frames.push_back(LongData({0x02, mode, 0x52, 0x02, 0x02, 0x52}));
  }
  frames.push_back(LongData({0x03, mode, 0x55, 0x03, 0x09, 0x55, 0, 0, 0, 0, 0, 0x10}));
  size_t block_start = 0;
  const size_t chunks = (image.size() + kChunk - 1) / kChunk;
  for (size_t i = 0; i < chunks; ++i) {
    const size_t from = i * kChunk;
    const size_t n = std::min(kChunk, image.size() - from);
    sim::Report f = LongData({0x00, mode, 0x50, 0x04, static_cast<uint8_t>(n)});
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(from), n, f.begin() + 9);
    simtest::Reseal(f);
    frames.push_back(f);
    if ((i + 1) % kChunksPerBlock == 0) {
      const uint16_t sum = Sum16(image, block_start, from + n);
      const uint8_t k = static_cast<uint8_t>(i + 0x50);
      frames.push_back(LongData({k, mode, 0x51, k, 0x03, 0x51, static_cast<uint8_t>(sum & 0xFF),
                                 static_cast<uint8_t>(sum >> 8)}));
      block_start = from + n;
    }
  }
  const uint16_t last = Sum16(image, block_start, image.size());
  frames.push_back(LongData({0x60, mode, 0x51, 0x60, 0x03, 0x51, static_cast<uint8_t>(last & 0xFF),
                             static_cast<uint8_t>(last >> 8)}));
  frames.push_back(LongData({0x70, mode, 0x5E, 0x70, 0x01, 0x5E}));
  return frames;
}

class LongDataTest : public ::testing::Test {
 protected:
  std::unique_ptr<hid::Device> Command(Connection c) {
    return bus_.Open(bus_.InterfacePath(0, c, Interface::kCommand));
  }
  // Sends every frame with one exchange each; the statuses of the answers.
  static std::vector<int> Send(hid::Device& device, const std::vector<sim::Report>& frames) {
    std::vector<int> statuses;
    for (const sim::Report& f : frames) statuses.push_back(Exchange(device, f)[2]);
    return statuses;
  }
  static size_t IndexOfInner(const std::vector<sim::Report>& frames, uint8_t inner, size_t nth) {
    for (size_t i = 0; i < frames.size(); ++i) {
      if (frames[i][6] == inner && nth-- == 0) return i;
    }
    return frames.size();
  }

  platform::VirtualClock clock_;
  sim::VirtualBus bus_{clock_};
};

TEST_F(LongDataTest, ThousandByteImageWithItsBlockChecksumIsAccepted) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = Command(Connection::kCable);
  const auto image = Image(1000);
  const auto frames = UploadFrames(image, 0);
  // 40 chunks, the block checksum after chunk index 39 (k = 0x77), then a final sum of 0.
  ASSERT_EQ(frames.size(), 2 + 40 + 1 + 2u);
  EXPECT_EQ(frames[42][4], 0x77);
  EXPECT_EQ(frames[43][10], 0);
  EXPECT_EQ(frames[43][11], 0);

  const auto statuses = Send(*device, frames);
  EXPECT_EQ(statuses, std::vector<int>(frames.size(), 0));
  const sim::MacroTransfer t = bus_.LastMacroTransfer(0);
  EXPECT_TRUE(t.finished);
  EXPECT_TRUE(t.accepted) << t.error;
  EXPECT_EQ(t.announced_length, 1000u);
  EXPECT_EQ(t.chunks, 40);
  EXPECT_EQ(t.block_checksums, 1);
  EXPECT_EQ(bus_.MacroMemory(0), image);
}

TEST_F(LongDataTest, ReceiverHandShakeIsConfirmedStepByStep) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto device = Command(Connection::kReceiver);
  const auto image = Image(1234);  // two blocks and a short last chunk
  // Both hand-shake frames go out without waiting; the polls then see 0x44, then 0x57.
  const auto f44 = LongData({0x00, 0x01, 0x44, 0x00, 0x09, 0x44});
  const auto f57 = LongData({0x01, 0x01, 0x57, 0x01, 0x06, 0x57, 0x03, 0xD2, 0x04});
  ASSERT_EQ(device->SendFeatureReport(f44.data(), 64), 64);
  ASSERT_EQ(device->SendFeatureReport(f57.data(), 64), 64);
  sim::Report answer{};
  for (uint8_t echo : {0x00, 0x01}) {
    answer = {};
    answer[0] = 0x03;
    ASSERT_EQ(device->GetFeatureReport(answer.data(), 64), 64);
    EXPECT_EQ(answer[2], 0);
    EXPECT_EQ(answer[4], echo);
  }
  const auto statuses = Send(*device, UploadFrames(image, 1));
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0), static_cast<long>(statuses.size()));
  const sim::MacroTransfer t = bus_.LastMacroTransfer(0);
  EXPECT_TRUE(t.accepted) << t.error;
  EXPECT_EQ(t.block_checksums, 1);
  EXPECT_EQ(t.chunks, 50);
  EXPECT_EQ(bus_.MacroMemory(0), image);
}

TEST_F(LongDataTest, ReceiverBeginWithoutHandShakeIsRefused) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto device = Command(Connection::kReceiver);
  const auto statuses = Send(*device, UploadFrames(Image(100), 1));
  EXPECT_EQ(statuses.front(), 1);
  EXPECT_FALSE(bus_.LastMacroTransfer(0).accepted);
  EXPECT_TRUE(bus_.MacroMemory(0).empty());
}

// Every kind of damage is refused: the upload ends unaccepted and the memory keeps the image
// of the last good upload.
TEST_F(LongDataTest, DamagedUploadsAreRefusedAndKeepTheOldMemory) {
  struct Case {
    const char* name;
    std::function<void(const std::vector<sim::Report>&, size_t, sim::Report&)> tamper;
  };
  const Case cases[] = {
      {"wrong block checksum",
       [](const auto& all, size_t i, sim::Report& f) {
         if (i == IndexOfInner(all, 0x51, 0)) f[10] ^= 0x01;
       }},
      {"wrong final checksum",
       [](const auto& all, size_t i, sim::Report& f) {
         if (i == IndexOfInner(all, 0x51, 1)) f[11] ^= 0x10;
       }},
      {"a data byte changed on the way",
       [](const auto& all, size_t i, sim::Report& f) {
         if (i == IndexOfInner(all, 0x50, 5)) f[12] ^= 0xFF;
       }},
      {"announced length longer than the data",
       [](const auto&, size_t i, sim::Report& f) {
         if (i == 0) f[12] = 0x04;  // 1000 + 1024
       }},
      {"non-zero tail behind a short chunk",
       [](const auto& all, size_t i, sim::Report& f) {
         if (i == IndexOfInner(all, 0x50, 40)) f[9 + 24] = 0x01;
       }},
      {"chunk length above 25",
       [](const auto& all, size_t i, sim::Report& f) {
         if (i == IndexOfInner(all, 0x50, 3)) f[8] = 26;
       }},
      {"start frame missing",
       [](const auto&, size_t i, sim::Report& f) {
         if (i == 1) f[6] = 0x00;
       }},
      {"frames name the receiver on the cable",
       [](const auto&, size_t, sim::Report& f) { f[5] = 0x01; }},
  };
  const auto good = Image(1010);  // 41 chunks, the last one short
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::VirtualBus bus(clock_);
    bus.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
    auto device = bus.Open(bus.InterfacePath(0, Connection::kCable, Interface::kCommand));
    ASSERT_EQ(Send(*device, UploadFrames(good, 0)).back(), 0);
    ASSERT_EQ(bus.MacroMemory(0), good);

    const auto other = Image(1020);
    std::vector<sim::Report> frames = UploadFrames(other, 0);
    const std::vector<sim::Report> original = frames;
    for (size_t i = 0; i < frames.size(); ++i) {
      c.tamper(original, i, frames[i]);
      simtest::Reseal(frames[i]);
    }
    const auto statuses = Send(*device, frames);
    EXPECT_EQ(statuses.back(), 1) << "end frame answered";
    const sim::MacroTransfer t = bus.LastMacroTransfer(0);
    EXPECT_FALSE(t.accepted && t.announced_length == other.size()) << t.error;
    EXPECT_EQ(bus.MacroMemory(0), good);
  }
}

TEST_F(LongDataTest, UnplugInTheMiddleLeavesTheMemoryAndAFreshUploadWorks) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kCable);
  auto device = Command(Connection::kCable);
  bus_.InjectFault(0, Connection::kCable, sim::Fault::kUnplugAfter, 10);
  const auto image = Image(600);
  Send(*device, UploadFrames(image, 0));  // answers after the unplug read as zeros
  EXPECT_FALSE(bus_.IsPlugged(0, Connection::kCable));
  EXPECT_TRUE(bus_.MacroMemory(0).empty());
  EXPECT_FALSE(bus_.LastMacroTransfer(0).finished);
  // The old handle is dead; a new plug starts the transfer from nothing.
  bus_.Plug(0, Connection::kCable);
  EXPECT_EQ(device->SendFeatureReport(UploadFrames(image, 0)[0].data(), 64), -1);
  auto fresh = Command(Connection::kCable);
  const auto again = Send(*fresh, UploadFrames(image, 0));
  EXPECT_EQ(again, std::vector<int>(again.size(), 0));
  EXPECT_EQ(bus_.MacroMemory(0), image);
}

TEST_F(LongDataTest, SwitchedOffMouseRefusesTheUpload) {
  bus_.AddMouse(Model::kK7Mouse, sim::Attachment::kReceiver);
  auto device = Command(Connection::kReceiver);
  bus_.SetWirelessLink(0, false);
  const auto f44 = LongData({0x00, 0x01, 0x44, 0x00, 0x09, 0x44});
  EXPECT_EQ(Exchange(*device, f44)[2], 1);
}

TEST(MacroImage, ParsesSlotsBlocksAndEvents) {
  // One slot: key A down, 100 ms, key A up (HID usage 4).
  const std::vector<uint8_t> one = {0x04, 0x00, 0x09, 0x00, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45,
                                    0x46, 0x00, 0x00, 0x64, 0x04, 0x80, 0x00, 0x01, 0x04};
  const auto parsed = sim::ParseMacroImage(one);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->slots.size(), 1u);
  EXPECT_EQ(parsed->slots[0].offset, 4);
  EXPECT_EQ(parsed->slots[0].length_field, 9);
  EXPECT_EQ(parsed->slots[0].events,
            (std::vector<sim::MacroImageEvent>{{0x00, 100, 0x04}, {0x80, 1, 0x04}}));

  // Two slots, the second an empty macro (length field 0, bare header).
  const std::vector<uint8_t> two = {0x08, 0x00, 0x05, 0x00, 0x13, 0x00, 0x00, 0x00, 0x06,
                                    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x50, 0x00, 0x01,
                                    0xFF, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46};
  const auto both = sim::ParseMacroImage(two);
  ASSERT_TRUE(both);
  ASSERT_EQ(both->slots.size(), 2u);
  EXPECT_EQ(both->slots[0].events, (std::vector<sim::MacroImageEvent>{{0x50, 1, 0xFF}}));
  EXPECT_TRUE(both->slots[1].events.empty());
  EXPECT_TRUE(sim::ParseMacroImage({})->slots.empty());

  struct Bad {
    const char* name;
    std::vector<uint8_t> image;
  };
  const Bad bad[] = {
      {"shorter than an entry", {0x04, 0x00}},
      {"table end not a multiple of 4", {0x05, 0x00, 0x00, 0x00, 0x00}},
      {"header damaged", {0x04, 0x00, 0x00, 0x00, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45, 0x47}},
      {"length field not 1 + 4n",
       {0x04, 0x00, 0x04, 0x00, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46}},
      {"events past the end",
       {0x04, 0x00, 0x09, 0x00, 0x06, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0}},
      {"block outside the image", {0x04, 0x00, 0x00, 0x00}},
  };
  for (const Bad& b : bad) {
    std::string error;
    EXPECT_FALSE(sim::ParseMacroImage(b.image, &error)) << b.name;
    EXPECT_FALSE(error.empty()) << b.name;
  }
}

}  // namespace
