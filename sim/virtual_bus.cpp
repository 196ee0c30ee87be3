#include "sim/virtual_bus.h"

#include <cerrno>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>

namespace sim {
namespace {

constexpr size_t kLogCapacity = 200000;  // oldest entries go first; the log file keeps all
constexpr size_t kInputQueueCapacity = 64;
constexpr size_t kNotificationLength = 12;

struct AttachmentState {
  bool exists = false;
  bool plugged = false;
  uint64_t generation = 0;  // bumped at every plug, so old handles stay dead
  uint16_t release = 0;
  Report answer{};  // what a get-feature returns
  std::deque<Report> queued_answers;
  LongDataSession long_data;
  std::deque<std::vector<uint8_t>> input;
  std::map<Fault, int> faults;
  std::unique_ptr<ScreenReceiver> screen;

  bool Take(Fault f) {
    auto it = faults.find(f);
    if (it == faults.end() || it->second <= 0) return false;
    if (--it->second == 0) faults.erase(it);
    return true;
  }
  void ResetLink() {
    answer = Report{};
    answer[0] = 0x03;
    queued_answers.clear();
    long_data.Reset();
    input.clear();
  }
};

struct MouseSlot {
  explicit MouseSlot(Model m) : state(m) {}
  MouseState state;
  MacroTransfer transfer;
  AttachmentState cable;
  AttachmentState receiver;
  AttachmentState& At(Connection c) { return c == Connection::kCable ? cable : receiver; }
  const AttachmentState& At(Connection c) const {
    return c == Connection::kCable ? cable : receiver;
  }
};

const char* InterfaceName(Interface i) {
  switch (i) {
    case Interface::kMouse:
      return "mouse";
    case Interface::kNotify:
      return "notify";
    case Interface::kCommand:
      return "command";
    case Interface::kScreen:
      return "screen";
  }
  return "?";
}

std::vector<Interface> InterfacesOf(Model model, Connection c) {
  std::vector<Interface> list{Interface::kMouse, Interface::kNotify, Interface::kCommand};
  if (c == Connection::kReceiver && Traits(model).receiver_has_screen) {
    list.push_back(Interface::kScreen);
  }
  return list;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof(buf), i ? " %02X" : "%02X", bytes[i]);
    out += buf;
  }
  return out;
}

void FinishAnswer(Report& r) { r[1] = Checksum(r.data(), 2); }

}  // namespace

const char* ReportKindName(ReportKind kind) {
  switch (kind) {
    case ReportKind::kSetFeature:
      return "set-feature";
    case ReportKind::kGetFeature:
      return "get-feature";
    case ReportKind::kOutput:
      return "output";
    case ReportKind::kInput:
      return "input";
  }
  return "?";
}

std::string FormatReport(const ReceivedReport& r) {
  return std::to_string(r.ms) + " " + r.interface + " " + ReportKindName(r.kind) + " " +
         Hex(r.bytes);
}

struct VirtualBus::Core {
  explicit Core(platform::Clock& c) : clock(c), start(c.TickCount()) {}

  mutable std::mutex mu;
  platform::Clock& clock;
  uint64_t start;
  std::vector<std::unique_ptr<MouseSlot>> mice;
  std::deque<ReceivedReport> log;
  std::ofstream log_file;
  std::function<void(const PlugEvent&)> listener;
  int open_devices = 0;

  MouseSlot* Mouse(int index) {
    return index >= 0 && static_cast<size_t>(index) < mice.size() ? mice[index].get() : nullptr;
  }
  const MouseSlot* Mouse(int index) const {
    return index >= 0 && static_cast<size_t>(index) < mice.size() ? mice[index].get() : nullptr;
  }

  std::string Path(int mouse, Connection c, Interface i) const {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "sim:VID_%04X&PID_%04X&MI_%02d#%d", kVendorId,
                  ProductId(mice[mouse]->state.model, c), static_cast<int>(i), mouse);
    return buf;
  }

  std::string LogName(int mouse, Connection c, Interface i) const {
    char buf[64];
    if (mouse > 0) {
      std::snprintf(buf, sizeof(buf), "%04X:%04X#%d/%s", kVendorId,
                    ProductId(mice[mouse]->state.model, c), mouse, InterfaceName(i));
    } else {
      std::snprintf(buf, sizeof(buf), "%04X:%04X/%s", kVendorId,
                    ProductId(mice[mouse]->state.model, c), InterfaceName(i));
    }
    return buf;
  }

  hid::DeviceInfo Info(int mouse, Connection c, Interface i) const {
    hid::DeviceInfo info;
    info.path = Path(mouse, c, i);
    info.vendor_id = kVendorId;
    info.product_id = ProductId(mice[mouse]->state.model, c);
    info.release = mice[mouse]->At(c).release;
    info.interface_number = static_cast<int>(i);
    switch (i) {
      case Interface::kMouse:
        info.usage_page = 0x01;
        info.usage = 0x02;
        break;
      case Interface::kNotify:
        info.usage_page = 0x01;
        info.usage = 0x00;
        break;
      case Interface::kCommand:
        info.usage_page = 0xFF00;
        info.usage = 0x01;
        break;
      case Interface::kScreen:
        info.usage_page = 0xFF06;
        info.usage = 0x01;
        info.output_report_length = 64;
        break;
    }
    return info;
  }

  void Record(int mouse, Connection c, Interface i, ReportKind kind, const uint8_t* data,
              size_t length) {
    ReceivedReport r;
    r.ms = clock.TickCount() - start;
    r.interface = LogName(mouse, c, i);
    r.kind = kind;
    r.bytes.assign(data, data + length);
    if (log_file.is_open()) {
      log_file << FormatReport(r) << '\n';
      log_file.flush();
    }
    log.push_back(std::move(r));
    if (log.size() > kLogCapacity) log.pop_front();
  }

  // Returns the plug events to deliver once the lock is released.
  std::vector<PlugEvent> SetPlugged(int mouse, Connection c, bool plugged) {
    std::vector<PlugEvent> events;
    MouseSlot* m = Mouse(mouse);
    if (!m || !m->At(c).exists || m->At(c).plugged == plugged) return events;
    AttachmentState& a = m->At(c);
    a.plugged = plugged;
    a.ResetLink();
    if (a.screen) a.screen->PowerLost();
    if (plugged) ++a.generation;
    for (Interface i : InterfacesOf(m->state.model, c)) {
      events.push_back({plugged, Info(mouse, c, i)});
    }
    return events;
  }

  void Deliver(const std::vector<PlugEvent>& events) {
    std::function<void(const PlugEvent&)> l;
    {
      std::lock_guard lock(mu);
      l = listener;
    }
    if (!l) return;
    for (const PlugEvent& e : events) l(e);
  }

  void QueueInput(AttachmentState& a, std::vector<uint8_t> report) {
    if (!a.plugged) return;
    a.input.push_back(std::move(report));
    if (a.input.size() > kInputQueueCapacity) a.input.pop_front();
  }

  static std::vector<uint8_t> Status(uint8_t code, uint8_t value) {
    std::vector<uint8_t> r(kNotificationLength, 0);
    r[0] = 0x09;
    r[1] = 0xFA;
    r[2] = code;
    r[3] = value;
    return r;
  }

  // Where the mouse's own status reports go; nullptr when it reaches no host.
  AttachmentState* StatusRoute(MouseSlot& m, Connection* via) {
    if (m.cable.exists && m.cable.plugged) {
      *via = Connection::kCable;
      return &m.cable;
    }
    if (m.receiver.exists && m.receiver.plugged && m.state.wireless_on) {
      *via = Connection::kReceiver;
      return &m.receiver;
    }
    return nullptr;
  }
};

namespace {

class VirtualDevice : public hid::Device {
 public:
  VirtualDevice(std::shared_ptr<VirtualBus::Core> core, int mouse, Connection c, Interface i,
                uint64_t generation)
      : core_(std::move(core)),
        mouse_(mouse),
        connection_(c),
        interface_(i),
        generation_(generation) {}
  ~VirtualDevice() override {
    std::lock_guard lock(core_->mu);
    --core_->open_devices;
  }

  int SendFeatureReport(const uint8_t* data, size_t length) override {
    std::vector<PlugEvent> events;
    int result;
    {
      std::lock_guard lock(core_->mu);
      AttachmentState* a = Alive();
      if (!a || !data || length == 0) return -1;
      core_->Record(mouse_, connection_, interface_, ReportKind::kSetFeature, data, length);
      result = HandleSetFeature(*a, data, length);
      events = AfterReport(*a);
    }
    core_->Deliver(events);
    return result;
  }

  int GetFeatureReport(uint8_t* buffer, size_t length) override {
    std::lock_guard lock(core_->mu);
    AttachmentState* a = Alive();
    if (!a || !buffer || length == 0) return -1;
    if (interface_ != Interface::kCommand || buffer[0] != 0x03 ||
        a->Take(Fault::kGetFeatureError)) {
      core_->Record(mouse_, connection_, interface_, ReportKind::kGetFeature, buffer, 1);
      return -1;
    }
    if (!a->queued_answers.empty()) {
      a->answer = a->queued_answers.front();
      a->queued_answers.pop_front();
    }
    Report r = a->answer;
    if (a->faults.count(Fault::kBusyForever) != 0 || a->Take(Fault::kBusy)) {
      r[2] = 2;
    } else if (a->Take(Fault::kWrongEcho)) {
      r[4] = static_cast<uint8_t>(r[4] ^ 0xFF);
    }
    FinishAnswer(r);
    const size_t n = std::min(length, r.size());
    std::copy_n(r.begin(), n, buffer);
    core_->Record(mouse_, connection_, interface_, ReportKind::kGetFeature, r.data(), n);
    return static_cast<int>(n);
  }

  int Write(const uint8_t* data, size_t length) override {
    std::vector<PlugEvent> events;
    int result = -1;
    {
      std::lock_guard lock(core_->mu);
      AttachmentState* a = Alive();
      if (!a || !data || length == 0) return -1;
      core_->Record(mouse_, connection_, interface_, ReportKind::kOutput, data, length);
      if (interface_ == Interface::kScreen && a->screen && !a->Take(Fault::kWriteError) &&
          length >= 64) {
        a->screen->Handle(data, length);
        result = static_cast<int>(length);
      }
      events = AfterReport(*a);
    }
    core_->Deliver(events);
    return result;
  }

  int Read(uint8_t* buffer, size_t length, int /*timeout_ms*/) override {
    // Nothing pending answers at once: callers pace their polls with their own clock.
    std::lock_guard lock(core_->mu);
    AttachmentState* a = Alive();
    if (!a || !buffer) return -1;
    if (interface_ != Interface::kNotify) return 0;
    if (a->Take(Fault::kReadError)) return -1;
    if (a->input.empty()) return 0;
    std::vector<uint8_t> report = std::move(a->input.front());
    a->input.pop_front();
    const size_t n = std::min(length, report.size());
    std::copy_n(report.begin(), n, buffer);
    core_->Record(mouse_, connection_, interface_, ReportKind::kInput, report.data(), n);
    return static_cast<int>(n);
  }

 private:
  AttachmentState* Alive() {
    MouseSlot* m = core_->Mouse(mouse_);
    if (!m) return nullptr;
    AttachmentState& a = m->At(connection_);
    return a.plugged && a.generation == generation_ ? &a : nullptr;
  }

  std::vector<PlugEvent> AfterReport(AttachmentState& a) {
    auto it = a.faults.find(Fault::kUnplugAfter);
    if (it == a.faults.end()) return {};
    if (--it->second > 0) return {};
    a.faults.erase(it);
    return core_->SetPlugged(mouse_, connection_, false);
  }

  int HandleSetFeature(AttachmentState& a, const uint8_t* data, size_t length) {
    if (interface_ != Interface::kCommand || length < 64 || data[0] != 0x03) return -1;
    if (a.Take(Fault::kSetFeatureError)) return -1;
    MouseSlot& m = *core_->Mouse(mouse_);
    Report f;
    std::copy_n(data, 64, f.begin());
    const bool reachable = connection_ == Connection::kCable || m.state.wireless_on;

    Answer answer;
    answer.status = 1;
    bool handshake = false;
    if (Checksum(f.data(), 2) != f[1]) {
      // refused: status 1
    } else if (a.Take(Fault::kCommandFailed)) {
      // refused on purpose
    } else if (f[2] == 0x50) {
      answer = ExecuteCommand(f, connection_, reachable, m.state);
    } else if (f[2] == 0x65 && f[3] == 0x3A) {
      if (reachable) answer.status = a.long_data.Handle(f, connection_, m.state, m.transfer);
      // The receiver confirms the hand-shake steps in order, one answer per step.
      handshake = connection_ == Connection::kReceiver && (f[6] == 0x44 || f[6] == 0x57);
    }

    Report r{};
    r[0] = 0x03;
    r[2] = answer.status;
    r[3] = answer.length;
    r[4] = f[4];
    r[5] = f[5];
    std::copy(answer.data.begin(), answer.data.end(), r.begin() + 6);
    FinishAnswer(r);
    if (handshake) {
      a.queued_answers.push_back(r);
    } else {
      a.queued_answers.clear();
      a.answer = r;
    }
    return static_cast<int>(length);
  }

  std::shared_ptr<VirtualBus::Core> core_;
  int mouse_;
  Connection connection_;
  Interface interface_;
  uint64_t generation_;
};

}  // namespace

VirtualBus::VirtualBus(platform::Clock& clock) : core_(std::make_shared<Core>(clock)) {}

VirtualBus::~VirtualBus() = default;

int VirtualBus::AddMouse(Model model, Attachment attachment) {
  std::lock_guard lock(core_->mu);
  auto slot = std::make_unique<MouseSlot>(model);
  const ModelTraits& traits = Traits(model);
  if (attachment != Attachment::kReceiver) {
    slot->cable.exists = slot->cable.plugged = true;
    slot->cable.release = traits.cable_release;
    slot->state.charging = true;  // powered by its cable
  }
  if (attachment != Attachment::kCable) {
    slot->receiver.exists = slot->receiver.plugged = true;
    slot->receiver.release = traits.receiver_release;
    if (traits.receiver_has_screen) slot->receiver.screen = std::make_unique<ScreenReceiver>();
  }
  slot->cable.ResetLink();
  slot->receiver.ResetLink();
  slot->cable.generation = slot->receiver.generation = 1;
  core_->mice.push_back(std::move(slot));
  return static_cast<int>(core_->mice.size()) - 1;
}

int VirtualBus::MouseCount() const {
  std::lock_guard lock(core_->mu);
  return static_cast<int>(core_->mice.size());
}

Model VirtualBus::MouseModel(int mouse) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m ? m->state.model : Model::kK7Mouse;
}

std::vector<hid::DeviceInfo> VirtualBus::Enumerate() {
  std::lock_guard lock(core_->mu);
  std::vector<hid::DeviceInfo> list;
  for (size_t i = 0; i < core_->mice.size(); ++i) {
    const MouseSlot& m = *core_->mice[i];
    for (Connection c : {Connection::kCable, Connection::kReceiver}) {
      if (!m.At(c).exists || !m.At(c).plugged) continue;
      for (Interface which : InterfacesOf(m.state.model, c)) {
        list.push_back(core_->Info(static_cast<int>(i), c, which));
      }
    }
  }
  return list;
}

platform::Result<std::unique_ptr<hid::Device>> VirtualBus::TryOpen(const std::string& path) {
  const int refusal = open_refusal_.load();
  if (refusal != 0) return platform::Fail(refusal, platform::ErrnoText(refusal));
  std::unique_ptr<hid::Device> device = Open(path);
  if (!device) return platform::Fail(ENOENT, platform::ErrnoText(ENOENT));
  return device;
}

std::unique_ptr<hid::Device> VirtualBus::Open(const std::string& path) {
  if (open_refusal_.load() != 0) return nullptr;
  std::lock_guard lock(core_->mu);
  for (size_t i = 0; i < core_->mice.size(); ++i) {
    const MouseSlot& m = *core_->mice[i];
    for (Connection c : {Connection::kCable, Connection::kReceiver}) {
      const AttachmentState& a = m.At(c);
      if (!a.exists || !a.plugged) continue;
      for (Interface which : InterfacesOf(m.state.model, c)) {
        if (core_->Path(static_cast<int>(i), c, which) != path) continue;
        ++core_->open_devices;
        return std::make_unique<VirtualDevice>(core_, static_cast<int>(i), c, which, a.generation);
      }
    }
  }
  return nullptr;
}

void VirtualBus::Plug(int mouse, Connection connection) {
  std::vector<PlugEvent> events;
  {
    std::lock_guard lock(core_->mu);
    events = core_->SetPlugged(mouse, connection, true);
  }
  core_->Deliver(events);
}

void VirtualBus::Unplug(int mouse, Connection connection) {
  std::vector<PlugEvent> events;
  {
    std::lock_guard lock(core_->mu);
    events = core_->SetPlugged(mouse, connection, false);
  }
  core_->Deliver(events);
}

bool VirtualBus::HasAttachment(int mouse, Connection connection) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m && m->At(connection).exists;
}

bool VirtualBus::IsPlugged(int mouse, Connection connection) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m && m->At(connection).exists && m->At(connection).plugged;
}

void VirtualBus::SetPlugListener(std::function<void(const PlugEvent&)> listener) {
  std::lock_guard lock(core_->mu);
  core_->listener = std::move(listener);
}

std::string VirtualBus::InterfacePath(int mouse, Connection connection, Interface which) const {
  std::lock_guard lock(core_->mu);
  if (!core_->Mouse(mouse)) return {};
  return core_->Path(mouse, connection, which);
}

void VirtualBus::SetRelease(int mouse, Connection connection, uint16_t bcd) {
  std::lock_guard lock(core_->mu);
  if (MouseSlot* m = core_->Mouse(mouse)) m->At(connection).release = bcd;
}

uint16_t VirtualBus::Release(int mouse, Connection connection) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m ? m->At(connection).release : 0;
}

int VirtualBus::OpenDeviceCount() const {
  std::lock_guard lock(core_->mu);
  return core_->open_devices;
}

void VirtualBus::SetWirelessLink(int mouse, bool on) {
  std::lock_guard lock(core_->mu);
  MouseSlot* m = core_->Mouse(mouse);
  if (!m || m->state.wireless_on == on) return;
  m->state.wireless_on = on;
  if (m->receiver.exists) core_->QueueInput(m->receiver, Core::Status(2, on ? 1 : 0));
}

bool VirtualBus::WirelessLink(int mouse) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m && m->state.wireless_on;
}

void VirtualBus::PressDpiButton(int mouse) {
  std::lock_guard lock(core_->mu);
  MouseSlot* m = core_->Mouse(mouse);
  if (!m) return;
  const int count = std::max(1, static_cast<int>(m->state.LevelCount()));
  const int level = (m->state.ActiveLevel() + 1) % count;
  m->state.settings[2] = static_cast<uint8_t>(((level + 1) << 4) | count);
  Connection via;
  if (AttachmentState* a = core_->StatusRoute(*m, &via)) {
    core_->QueueInput(*a, Core::Status(3, static_cast<uint8_t>(level + 1)));
  }
}

void VirtualBus::SetBattery(int mouse, int percent, bool charging) {
  std::lock_guard lock(core_->mu);
  MouseSlot* m = core_->Mouse(mouse);
  if (!m) return;
  m->state.battery = static_cast<uint8_t>(std::clamp(percent, 0, 100));
  m->state.charging = charging;
  Connection via;
  if (AttachmentState* a = core_->StatusRoute(*m, &via)) {
    core_->QueueInput(
        *a, Core::Status(5, static_cast<uint8_t>(m->state.battery | (charging ? 0x80 : 0))));
  }
}

void VirtualBus::ChangeReportRateOnMouse(int mouse, int code) {
  std::lock_guard lock(core_->mu);
  MouseSlot* m = core_->Mouse(mouse);
  if (!m || code < 0 || code > 6) return;
  Connection via = Connection::kCable;
  AttachmentState* a = core_->StatusRoute(*m, &via);
  uint8_t& rates = m->state.settings[1];
  if (via == Connection::kCable) {
    rates = static_cast<uint8_t>((code << 4) | (rates & 0x0F));
  } else {
    rates = static_cast<uint8_t>((rates & 0xF0) | code);
  }
  if (a) core_->QueueInput(*a, Core::Status(9, static_cast<uint8_t>(code)));
}

void VirtualBus::SendNotification(int mouse, Connection connection, uint8_t code, uint8_t value) {
  QueueInputReport(mouse, connection, Core::Status(code, value));
}

void VirtualBus::QueueInputReport(int mouse, Connection connection, std::vector<uint8_t> report) {
  std::lock_guard lock(core_->mu);
  if (MouseSlot* m = core_->Mouse(mouse)) core_->QueueInput(m->At(connection), std::move(report));
}

size_t VirtualBus::PendingInputReports(int mouse, Connection connection) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m ? m->At(connection).input.size() : 0;
}

MouseState VirtualBus::State(int mouse) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m ? m->state : MouseState(Model::kK7Mouse);
}

std::array<uint8_t, kSettingsImageSize> VirtualBus::SettingsImage(int mouse) const {
  return State(mouse).settings;
}

std::array<uint8_t, kKeyTableSize> VirtualBus::KeyTable(int mouse) const {
  return State(mouse).keys;
}

std::vector<uint8_t> VirtualBus::MacroMemory(int mouse) const { return State(mouse).macro_memory; }

MacroTransfer VirtualBus::LastMacroTransfer(int mouse) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  return m ? m->transfer : MacroTransfer{};
}

std::array<uint8_t, kDeviceInfoSize> VirtualBus::DeviceInfo(int mouse,
                                                            Connection connection) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  if (!m) return {};
  return DeviceInformation(m->state, connection);
}

void VirtualBus::ModifyState(int mouse, const std::function<void(MouseState&)>& change) {
  std::lock_guard lock(core_->mu);
  if (MouseSlot* m = core_->Mouse(mouse)) change(m->state);
}

ScreenState VirtualBus::Screen(int mouse) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  if (!m || !m->receiver.screen) return {};
  return m->receiver.screen->state();
}

bool VirtualBus::WriteScreenFramePng(int mouse, int index, const std::string& path) const {
  std::lock_guard lock(core_->mu);
  const MouseSlot* m = core_->Mouse(mouse);
  if (!m || !m->receiver.screen) return false;
  const auto& frames = m->receiver.screen->state().frames;
  if (index < 0 || static_cast<size_t>(index) >= frames.size()) return false;
  return WriteRgb565Png(path, frames[index].data(), kScreenWidth, kScreenHeight);
}

void VirtualBus::InjectFault(int mouse, Connection connection, Fault fault, int count) {
  std::lock_guard lock(core_->mu);
  MouseSlot* m = core_->Mouse(mouse);
  if (!m || count <= 0) return;
  m->At(connection).faults[fault] += count;
}

void VirtualBus::ClearFaults() {
  std::lock_guard lock(core_->mu);
  for (auto& m : core_->mice) {
    m->cable.faults.clear();
    m->receiver.faults.clear();
  }
}

std::vector<ReceivedReport> VirtualBus::Log() const {
  std::lock_guard lock(core_->mu);
  return {core_->log.begin(), core_->log.end()};
}

std::string VirtualBus::LogText() const {
  std::lock_guard lock(core_->mu);
  std::string text;
  for (const ReceivedReport& r : core_->log) text += FormatReport(r) + "\n";
  return text;
}

void VirtualBus::ClearLog() {
  std::lock_guard lock(core_->mu);
  core_->log.clear();
}

bool VirtualBus::SetLogFile(const std::string& path) {
  std::lock_guard lock(core_->mu);
  core_->log_file.close();
  core_->log_file.clear();
  if (path.empty()) return true;
  core_->log_file.open(path, std::ios::out | std::ios::trunc);
  return core_->log_file.is_open();
}

bool VirtualBus::StartLogFile(const std::string& path) {
  std::lock_guard lock(core_->mu);
  core_->log_file.close();
  core_->log_file.clear();
  core_->log_file.open(path, std::ios::out | std::ios::trunc);
  if (!core_->log_file.is_open()) return false;
  for (const ReceivedReport& r : core_->log) core_->log_file << FormatReport(r) << '\n';
  core_->log_file.flush();
  return static_cast<bool>(core_->log_file);
}

bool WriteLog(VirtualBus& bus, const std::string& path) {
  return !path.empty() && bus.StartLogFile(path);
}

}  // namespace sim
