// Entry point: the window system, the HID bus, then the start-up sequence in app/.
#include <memory>

#include "app/startup.h"
#include "sim/virtual_bus.h"
#include "ui/qt/qt_frontend.h"

#if __has_include("device/hidapi_bus.h")
#include "device/hidapi_bus.h"
using RealBus = device::HidapiBus;
#else
// Stands in until the hidapi bus is part of the build: a machine without mice.
class EmptyBus : public hid::Bus {
 public:
  std::vector<hid::DeviceInfo> Enumerate() override { return {}; }
  std::unique_ptr<hid::Device> Open(const std::string&) override { return nullptr; }
};
using RealBus = EmptyBus;
#endif

int main(int argc, char** argv) {
  const auto simulate = app::FindSimulateOption(argc, argv);
  ui::qt::QtFrontend frontend(argc, argv);
  return app::RunApplication(
      argc, argv, frontend, [&simulate](platform::Clock& clock) -> std::unique_ptr<hid::Bus> {
        if (!simulate) return std::make_unique<RealBus>();
        auto bus = std::make_unique<sim::VirtualBus>(clock);
        const auto model = sim::ModelFromName(simulate->model);
        const auto attachment = simulate->attachment == "cable"  ? sim::Attachment::kCable
                                : simulate->attachment == "both" ? sim::Attachment::kBoth
                                                                 : sim::Attachment::kReceiver;
        bus->AddMouse(model.value_or(sim::Model::kK7Mouse), attachment);
        return bus;
      });
}
