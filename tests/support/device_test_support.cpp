#include "support/device_test_support.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "log/trace.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace devtest {

Workspace::Workspace(platform::Clock& clock) {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) != nullptr) old_cwd_ = cwd;
  std::string pattern = (std::filesystem::temp_directory_path() / "devlink_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  dir_ = pattern + "/";
  if (chdir(dir_.c_str()) != 0) std::abort();
  platform::SetProgramDir(dir_);
  mouselog::OpenLog(&clock);
}

Workspace::~Workspace() {
  mouselog::CloseLog();
  if (!old_cwd_.empty() && chdir(old_cwd_.c_str()) != 0) {
    // Nothing sensible to do; the process ends with the test.
  }
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void Workspace::WriteFile(const std::string& relative, const std::string& text) const {
  const std::filesystem::path path = std::filesystem::path(dir_) / relative;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

void Workspace::WriteLanguageTexts(const std::vector<int>& numbers) const {
  std::string text = "[LAN]\n";
  for (int n : numbers) text += std::to_string(n) + "=T" + std::to_string(n) + "\n";
  WriteFile("language/2052.lan", text);
  WriteFile("language/1033.lan", text);
}

std::vector<std::string> Workspace::TraceLines() const {
  std::ifstream in(dir_ + mouselog::LogFileName(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::string utf8;
  if (!platform::ConvertToUtf8(bytes.str(), "GBK", &utf8)) utf8 = bytes.str();
  std::vector<std::string> lines;
  std::istringstream stream(utf8);
  std::string line;
  while (std::getline(stream, line)) {
    const size_t stamp_end = line.find(']');
    lines.push_back(stamp_end == std::string::npos ? line : line.substr(stamp_end + 1));
  }
  if (skip_ >= lines.size()) return {};
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(skip_), lines.end());
}

void Workspace::ClearTrace() { skip_ += TraceLines().size(); }

std::string Info(const std::string& text) { return "[Info ]" + text; }
std::string Error(const std::string& text) { return "[Error]" + text; }

namespace {

class FakeDevice : public hid::Device {
 public:
  FakeDevice(std::shared_ptr<FakeInterface> interface, std::shared_ptr<int> open_count,
             std::shared_ptr<std::vector<std::vector<uint8_t>>> sent)
      : interface_(std::move(interface)), open_count_(std::move(open_count)), sent_(sent) {
    ++*open_count_;
  }
  ~FakeDevice() override { --*open_count_; }

  int SendFeatureReport(const uint8_t* data, size_t length) override {
    sent_->emplace_back(data, data + length);
    return static_cast<int>(length);
  }
  int GetFeatureReport(uint8_t* buffer, size_t length) override {
    if (interface_->answer) return interface_->answer(buffer, length);
    buffer[2] = 0;
    return static_cast<int>(length);
  }
  int Write(const uint8_t* data, size_t length) override {
    sent_->emplace_back(data, data + length);
    return static_cast<int>(length);
  }
  int Read(uint8_t* buffer, size_t length, int timeout_ms) override {
    interface_->read_timeouts.push_back(timeout_ms);
    if (interface_->inputs.empty()) return 0;
    std::vector<uint8_t> report = interface_->inputs.front();
    interface_->inputs.erase(interface_->inputs.begin());
    const size_t n = std::min(length, report.size());
    std::copy_n(report.begin(), n, buffer);
    return static_cast<int>(n);
  }

 private:
  std::shared_ptr<FakeInterface> interface_;
  std::shared_ptr<int> open_count_;
  std::shared_ptr<std::vector<std::vector<uint8_t>>> sent_;
};

}  // namespace

int FakeBus::Add(const hid::DeviceInfo& info,
                 std::function<int(uint8_t* buffer, size_t length)> answer) {
  auto interface = std::make_shared<FakeInterface>();
  interface->info = info;
  interface->answer = std::move(answer);
  interfaces_.push_back(std::move(interface));
  return static_cast<int>(interfaces_.size()) - 1;
}

void FakeBus::QueueInput(int index, std::vector<uint8_t> report) {
  interfaces_[static_cast<size_t>(index)]->inputs.push_back(std::move(report));
}

size_t FakeBus::PendingInputs(int index) const {
  return interfaces_[static_cast<size_t>(index)]->inputs.size();
}

const std::vector<int>& FakeBus::ReadTimeouts(int index) const {
  return interfaces_[static_cast<size_t>(index)]->read_timeouts;
}

std::vector<hid::DeviceInfo> FakeBus::Enumerate() {
  std::vector<hid::DeviceInfo> list;
  for (const auto& i : interfaces_) list.push_back(i->info);
  return list;
}

std::unique_ptr<hid::Device> FakeBus::Open(const std::string& path) {
  platform::Result<std::unique_ptr<hid::Device>> opened = TryOpen(path);
  return opened ? std::move(opened).value() : nullptr;
}

platform::Result<std::unique_ptr<hid::Device>> FakeBus::TryOpen(const std::string& path) {
  if (const auto r = refused_.find(path); r != refused_.end() && r->second != 0) {
    return platform::Fail(r->second, platform::ErrnoText(r->second));
  }
  for (const auto& i : interfaces_) {
    if (i->info.path == path) {
      return std::unique_ptr<hid::Device>(std::make_unique<FakeDevice>(i, open_count_, sent_));
    }
  }
  return platform::Fail(ENOENT, platform::ErrnoText(ENOENT));
}

hid::DeviceInfo Interface(const std::string& path, uint16_t vid, uint16_t pid, uint16_t page,
                          uint16_t usage, int output_length, uint16_t release) {
  hid::DeviceInfo info;
  info.path = path;
  info.vendor_id = vid;
  info.product_id = pid;
  info.usage_page = page;
  info.usage = usage;
  info.output_report_length = output_length;
  info.release = release;
  return info;
}

}  // namespace devtest
