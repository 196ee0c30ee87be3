// Hand-built host frames for driving the virtual mouse in tests.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "device/hid.h"
#include "sim/firmware.h"

namespace simtest {

// Low 8 bits of the sum of bytes [from, 64). The tests seal their frames with this rather than
// with the virtual mouse's own checksum, so a fault in that one cannot cancel itself out.
inline uint8_t SumFrom(const uint8_t* report, size_t from) {
  unsigned sum = 0;
  for (size_t i = from; i < 64; ++i) sum += report[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

// An ordinary command frame (kind 0x50) with its checksum.
inline sim::Report Command(uint8_t command, uint8_t sub, uint8_t address,
                           std::initializer_list<uint8_t> data = {}) {
  sim::Report f{};
  f[0] = 0x03;
  f[2] = 0x50;
  f[3] = static_cast<uint8_t>(data.size());
  f[4] = command;
  f[5] = sub;
  f[6] = address;
  size_t at = 7;
  for (uint8_t b : data) f[at++] = b;
  f[1] = SumFrom(f.data(), 2);
  return f;
}

// A long-data frame: bytes 4.. as given, kind 0x65, length byte 0x3A, checksum filled in.
inline sim::Report LongData(std::initializer_list<uint8_t> from_byte4) {
  sim::Report f{};
  f[0] = 0x03;
  f[2] = 0x65;
  f[3] = 0x3A;
  size_t at = 4;
  for (uint8_t b : from_byte4) f[at++] = b;
  f[1] = SumFrom(f.data(), 2);
  return f;
}

inline void Reseal(sim::Report& f) { f[1] = SumFrom(f.data(), 2); }

// Set-feature, then one get-feature; the answer (all zero when a call failed).
inline sim::Report Exchange(hid::Device& device, const sim::Report& frame) {
  sim::Report answer{};
  if (device.SendFeatureReport(frame.data(), frame.size()) != 64) return answer;
  answer[0] = 0x03;
  if (device.GetFeatureReport(answer.data(), answer.size()) != 64) return sim::Report{};
  return answer;
}

}  // namespace simtest
