// Entry point: the window system, the HID bus, then the start-up sequence in app/.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/device_main_dlg.h"
#include "app/startup.h"
#include "cli/sessions.h"
#include "device/hidapi_bus.h"
#include "log/trace.h"
#include "macros/macros_subsystem.h"
#include "sim/virtual_bus.h"
#include "ui/qt/macro_input.h"
#include "ui/qt/qt_frontend.h"
#include "ui/qt/virtual_mouse_panel.h"

namespace {

// "--sim-firmware=114": the virtual mouse's firmware version (hex) on its cable; -1 when absent.
int FindSimFirmwareOption(int argc, char** argv) {
  constexpr const char* kPrefix = "--sim-firmware=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kPrefix, std::strlen(kPrefix)) == 0) {
      char* end = nullptr;
      const long v = std::strtol(argv[i] + std::strlen(kPrefix), &end, 16);
      if (end && *end == '\0' && v >= 0 && v <= 0xFFFF) return static_cast<int>(v);
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto simulate = app::FindSimulateOption(argc, argv);
  const auto sim_log = app::FindSimLogOption(argc, argv);
  const int sim_firmware = FindSimFirmwareOption(argc, argv);
  ui::qt::QtFrontend frontend(argc, argv);
  sim::VirtualBus* virtual_bus = nullptr;
  auto make_bus = [&](platform::Clock& clock) -> std::unique_ptr<hid::Bus> {
    if (!simulate) return std::make_unique<device::HidapiBus>();
    auto bus = std::make_unique<sim::VirtualBus>(clock);
    const auto attachment = simulate->attachment == "cable"  ? sim::Attachment::kCable
                            : simulate->attachment == "both" ? sim::Attachment::kBoth
                                                             : sim::Attachment::kReceiver;
    const int mouse = bus->AddMouse(
        sim::ModelFromName(simulate->model).value_or(sim::Model::kK7Mouse), attachment);
    if (sim_firmware >= 0) {
      bus->SetRelease(mouse, sim::Connection::kCable, static_cast<uint16_t>(sim_firmware));
    }
    if (sim_log && !sim::WriteLog(*bus, *sim_log)) {
      Trace(mouselog::kError, "Simulation log %s cannot be written", sim_log->c_str());
    }
    virtual_bus = bus.get();
    return bus;
  };
  // mousectl's requests run on this window while it runs.
  std::shared_ptr<cli::CommandServer> command_server;
  auto on_session = [&](hid::Bus&, app::DeviceMainDlg& dialog) -> std::shared_ptr<void> {
    command_server = std::make_shared<cli::CommandServer>(dialog);
    // Macro recording hears the main window's keys and mouse buttons.
    macros::MacrosSubsystem& macros = dialog.Device().Macros();
    std::shared_ptr<void> input = ui::qt::StartMacroInput(
        frontend.Qt(), macros::kRecordButton,
        [&macros](const macros::RawInputRecord& record) { macros.OnInput(record); });
    std::shared_ptr<void> simulation =
        virtual_bus ? ui::qt::StartSimulation(*virtual_bus, dialog.Link()) : nullptr;
    return std::shared_ptr<void>(
        nullptr, [input, simulation, &command_server](void*) { command_server.reset(); });
  };
  auto on_request = [&](const std::string& request) { return command_server->Handle(request); };
  return app::RunApplication(argc, argv, frontend, make_bus, on_session, on_request);
}
