// A catalogue of many models fills the device list with one copy of the list, not one per
// model.
#include <gtest/gtest.h>

#include <atomic>

#include "app/device_list_control.h"
#include "catalogue/catalogue.h"
#include "ui/headless/headless_toolkit.h"

namespace {

class CountingToolkit : public ui::HeadlessToolkit {
 public:
  void SetDeviceItems(int id, const std::vector<ui::DeviceListItem>& items) override {
    ++pushes;
    last_size = items.size();
    HeadlessToolkit::SetDeviceItems(id, items);
  }
  int pushes = 0;
  size_t last_size = 0;
};

TEST(DeviceListUpdateTest, ModelsAddedInOneUpdateAreShownOnceAtItsEnd) {
  CountingToolkit tk;
  app::DeviceListControl list(tk);
  list.BeginUpdate();
  list.ClearList();
  for (int i = 0; i < 2000; ++i) list.AddDevice("Model " + std::to_string(i), 100 + i, "m.png");
  EXPECT_EQ(tk.pushes, 0);
  list.EndUpdate();
  EXPECT_EQ(tk.pushes, 1);
  EXPECT_EQ(tk.last_size, 2000u);
  EXPECT_EQ(tk.Snapshot(catalogue::kDeviceList).devices.size(), 2000u);
  // Outside an update every change is shown at once, as before.
  list.SetDeviceState(100, 1, 1);
  EXPECT_EQ(tk.pushes, 2);
}

}  // namespace
