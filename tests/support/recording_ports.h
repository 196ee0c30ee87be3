// Subsystem ports that record what the settings side asks of them, in order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/subsystem_ports.h"

namespace devtest {

class RecordingPorts final : public settings::ButtonsPort,
                             public settings::MacrosPort,
                             public settings::LightingPort {
 public:
  void DecodeButtonCode(int n, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) override {
    decoded.push_back({static_cast<uint8_t>(n), b0, b1, b2, b3});
  }
  void SendProfileKeyTable() override { calls.push_back("keys"); }
  void RefreshButtonPage() override { calls.push_back("buttons"); }
  void UploadProfileMacros() override { calls.push_back("macros"); }
  void RefreshMacroList() override { calls.push_back("macro list"); }
  void RefreshLightingPage() override { calls.push_back("lighting"); }

  settings::SubsystemPorts Ports() { return {this, this, this}; }

  std::vector<std::string> calls;
  std::vector<std::array<uint8_t, 5>> decoded;  // button, then its four bytes
};

}  // namespace devtest
