// The device list (control 62): one item per catalogue model with its connection state and
// firmware version. The toolkit only draws whole item lists, so the state lives here and every
// change is pushed as a new list. Safe from both threads; the toolkit is called without any
// lock held.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/language.h"
#include "ui/toolkit.h"

namespace app {

// What a listed version is of: the mouse's own on a cable, the receiver's through it.
inline constexpr platform::TextId kMouseVersionText{590};
inline constexpr platform::TextId kReceiverVersionText{591};

class DeviceListControl : public catalogue::ModelList {
 public:
  explicit DeviceListControl(ui::Toolkit& toolkit) : toolkit_(toolkit) {}

  // The catalogue's model list.
  void ClearList() override;
  void AddDevice(const std::string& name, int device_type, const std::string& picture) override;
  void BeginUpdate() override;
  void EndUpdate() override;

  // Every model shown as not connected.
  void SetAllDeviceState(int state);
  // mode 0 cable, 1 receiver; a model that is not online shows as not connected.
  void SetDeviceState(int device_type, int mode, int online);
  void SetDeviceVersion(int device_type, int release);
  void SetDeviceBattery(int device_type, int percent, bool charging);

  // Selects the model of that type if it is listed; otherwise the first connected model, else
  // the first model. GetSelectDevice is 0 with an empty list.
  void SetSelectDevice(int device_type);
  int GetSelectDevice() const;

  std::vector<ui::DeviceListItem> Items() const;
  // Gives the list again with the current language's version descriptions.
  void ApplyTexts() { Push(); }

 private:
  void Push();

  ui::Toolkit& toolkit_;
  mutable std::mutex mu_;
  std::vector<ui::DeviceListItem> items_;
  int selected_ = 0;
  bool updating_ = false;  // mu_ held
};

// "102" for release 0x0102: device versions are shown as the hex digits of bcdDevice.
std::string FormatDeviceVersion(int release);

}  // namespace app
