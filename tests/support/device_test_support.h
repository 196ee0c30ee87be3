// Helpers for the device-link tests: a private working folder with the trace log read back as
// UTF-8 lines, and a small scripted HID bus for the cases the virtual mouse does not model
// (odd report lengths, hand-made information blocks).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/hid.h"
#include "platform/clock.h"

namespace devtest {

// Makes a fresh folder the current directory and the program folder, and opens the trace log
// in it. Each test runs in its own process, so changing directory is safe.
class Workspace {
 public:
  explicit Workspace(platform::Clock& clock);
  ~Workspace();

  const std::string& Dir() const { return dir_; }
  void WriteFile(const std::string& relative, const std::string& text) const;
  // Language files for 2052 and 1033 whose text n reads "T<n>".
  void WriteLanguageTexts(const std::vector<int>& numbers) const;

  // The log's lines after the time stamp: "[Info ]text".
  std::vector<std::string> TraceLines() const;
  // Only the lines from the last ClearTrace on.
  void ClearTrace();

 private:
  std::string dir_;
  std::string old_cwd_;
  size_t skip_ = 0;
};

std::string Info(const std::string& text);   // "[Info ]" + text
std::string Error(const std::string& text);  // "[Error]" + text

// One scripted interface. `answer` fills a get-feature buffer in place and returns its length
// (or -1); the default echoes the request with status 0.
struct FakeInterface {
  hid::DeviceInfo info;
  std::function<int(uint8_t* buffer, size_t length)> answer;
  std::vector<std::vector<uint8_t>> inputs;  // input reports waiting to be read
  std::vector<int> read_timeouts;
};

// A bus with no interfaces at all: a desktop without mice.
class EmptyBus : public hid::Bus {
 public:
  std::vector<hid::DeviceInfo> Enumerate() override { return {}; }
  std::unique_ptr<hid::Device> Open(const std::string&) override { return nullptr; }
};

class FakeBus : public hid::Bus {
 public:
  // Returns the index of the interface.
  int Add(const hid::DeviceInfo& info,
          std::function<int(uint8_t* buffer, size_t length)> answer = {});
  std::vector<hid::DeviceInfo> Enumerate() override;
  std::unique_ptr<hid::Device> Open(const std::string& path) override;
  platform::Result<std::unique_ptr<hid::Device>> TryOpen(const std::string& path) override;
  // Opening `path` fails with the errno `error` (EACCES, EBUSY, ...) from now on; 0 allows it
  // again. The interface stays listed.
  void Refuse(const std::string& path, int error) { refused_[path] = error; }

  void QueueInput(int index, std::vector<uint8_t> report);
  size_t PendingInputs(int index) const;
  // Read calls made on the interface, with their time-outs.
  const std::vector<int>& ReadTimeouts(int index) const;

  int OpenCount() const { return *open_count_; }
  const std::vector<std::vector<uint8_t>>& Sent() const { return *sent_; }

 private:
  std::vector<std::shared_ptr<FakeInterface>> interfaces_;
  std::map<std::string, int> refused_;
  std::shared_ptr<int> open_count_ = std::make_shared<int>(0);
  std::shared_ptr<std::vector<std::vector<uint8_t>>> sent_ =
      std::make_shared<std::vector<std::vector<uint8_t>>>();
};

hid::DeviceInfo Interface(const std::string& path, uint16_t vid, uint16_t pid, uint16_t page,
                          uint16_t usage, int output_length = 0, uint16_t release = 0x0100);

}  // namespace devtest
