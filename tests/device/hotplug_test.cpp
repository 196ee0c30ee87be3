// Plug events: hidraw device paths turned into interface names, and the virtual mouse's plug
// events through the window's matching, one task per plug.
#include <gtest/gtest.h>

#include "app/device_link_window.h"
#include "device/hotplug_monitor.h"
#include "device_test_support.h"
#include "sim/virtual_bus.h"
#include "ui/headless/headless_toolkit.h"

namespace {

TEST(HidrawDevpath, VendorProductAndInterface) {
  const struct {
    const char* devpath;
    bool ok;
    uint16_t vid, pid;
    int interface_number;
  } cases[] = {
      {"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.2/0003:7A5D:3A10.0007/hidraw/hidraw3", true,
       0x7A5D, 0x3A10, 2},
      {"/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2.4/1-2.4:1.0/0003:046D:0ABC.0001/hidraw/"
       "hidraw0",
       true, 0x046D, 0x0ABC, 0},
      // Not behind a USB interface (Bluetooth): no interface number.
      {"/devices/virtual/misc/uhid/0005:046D:B012.0009/hidraw/hidraw5", true, 0x046D, 0xB012, -1},
      {"/devices/virtual/misc/hidraw", false, 0, 0, -1},
      {"/devices/x/0003:GGGG:3A10.0001/hidraw/hidraw1", false, 0, 0, -1},
      {"", false, 0, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.devpath);
    device::HidrawIdentity id;
    ASSERT_EQ(device::ParseHidrawDevpath(c.devpath, id), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(id.vid, c.vid);
    EXPECT_EQ(id.pid, c.pid);
    EXPECT_EQ(id.interface_number, c.interface_number);
  }
}

TEST(HidrawDevpath, InterfaceNameSpellsTheIds) {
  EXPECT_EQ(device::DeviceInterfaceName(0x7A5D, 0x0ABC, 2, "/dev/hidraw3"),
            "\\\\?\\HID#VID_7A5D&PID_0ABC&MI_02##dev#hidraw3#{4d1e55b2-f16f-11cf-88cb-"
            "001111000030}");
  EXPECT_EQ(device::DeviceInterfaceName(0x7A5D, 0x3A10, -1, "x").find("VID_7A5D&PID_3A10#"), 8u);
}

struct TaskHost : app::DeviceWindowHost {
  int ReadDeviceType() override { return 101; }
  void AppendTask(int code) override { tasks.push_back(code); }
  std::vector<int> tasks;
};

TEST(VirtualPlug, OneTaskPerPlugAndUnplug) {
  platform::VirtualClock clock;
  devtest::Workspace ws(clock);
  sim::VirtualBus bus(clock);
  DriverComm comm(bus, clock);
  for (sim::Model m : sim::AllModels()) {
    const sim::ModelTraits& s = sim::Traits(m);
    comm.RegisterMode(sim::kVendorId, s.cable_pid, s.cable_device_id, s.device_type, 0);
    comm.RegisterMode(sim::kVendorId, s.receiver_pid, s.receiver_device_id, s.device_type, 1);
  }
  ui::HeadlessToolkit tk;
  app::DeviceListControl list(tk);
  list.AddDevice("K7 Mouse", 101, "");
  TaskHost host;
  app::DeviceLinkWindow win(comm, tk, list, host);
  int events = 0;
  bus.SetPlugListener([&](const sim::PlugEvent& e) {
    ++events;
    win.UpdateUSBDevice(
        device::DeviceChange{e.arrived ? device::kDeviceArrival : device::kDeviceRemoveComplete,
                             e.info.path, e.info.path});
  });

  const int mouse = bus.AddMouse(sim::Model::kK7Mouse, sim::Attachment::kBoth);
  bus.Unplug(mouse, sim::Connection::kReceiver);
  EXPECT_TRUE(host.tasks.empty());  // nothing present yet: removals are not followed

  bus.Plug(mouse, sim::Connection::kReceiver);
  EXPECT_GT(events, 1);  // every interface of the receiver appears
  EXPECT_EQ(host.tasks, std::vector<int>{2});

  host.tasks.clear();
  win.UpdateDeviceList();
  ASSERT_TRUE(win.DevicePresent());
  bus.Unplug(mouse, sim::Connection::kCable);
  EXPECT_EQ(host.tasks, std::vector<int>{3});
}

}  // namespace
