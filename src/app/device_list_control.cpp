#include "app/device_list_control.h"

#include <algorithm>
#include <cstdio>

namespace app {

std::string FormatDeviceVersion(int release) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(release) & 0xFFFFu);
  return text;
}

void DeviceListControl::Push() {
  std::vector<ui::DeviceListItem> copy;
  {
    std::lock_guard lock(mu_);
    if (updating_) return;
    copy = items_;
  }
  for (ui::DeviceListItem& item : copy) {
    item.version_label.clear();
    if (!item.version.empty() && item.mode >= 0) {
      item.version_label = LanguageText(item.mode == 1 ? kReceiverVersionText : kMouseVersionText);
    }
  }
  toolkit_.SetDeviceItems(catalogue::kDeviceList, copy);
}

void DeviceListControl::BeginUpdate() {
  std::lock_guard lock(mu_);
  updating_ = true;
}

void DeviceListControl::EndUpdate() {
  {
    std::lock_guard lock(mu_);
    updating_ = false;
  }
  Push();
}

void DeviceListControl::ClearList() {
  {
    std::lock_guard lock(mu_);
    items_.clear();
    selected_ = 0;
  }
  Push();
}

void DeviceListControl::AddDevice(const std::string& name, int device_type,
                                  const std::string& picture) {
  {
    std::lock_guard lock(mu_);
    ui::DeviceListItem item;
    item.name = name;
    item.data = device_type;
    item.image = picture;
    items_.push_back(std::move(item));
  }
  Push();
}

void DeviceListControl::SetAllDeviceState(int state) {
  {
    std::lock_guard lock(mu_);
    for (ui::DeviceListItem& item : items_) {
      item.mode = state == 0 ? -1 : item.mode;
      if (state == 0) item.version.clear();
    }
  }
  Push();
}

void DeviceListControl::SetDeviceState(int device_type, int mode, int online) {
  {
    std::lock_guard lock(mu_);
    for (ui::DeviceListItem& item : items_) {
      if (item.data == device_type) item.mode = online ? mode : -1;
    }
  }
  Push();
}

void DeviceListControl::SetDeviceVersion(int device_type, int release) {
  {
    std::lock_guard lock(mu_);
    for (ui::DeviceListItem& item : items_) {
      if (item.data == device_type) item.version = FormatDeviceVersion(release);
    }
  }
  Push();
}

void DeviceListControl::SetDeviceBattery(int device_type, int percent, bool charging) {
  {
    std::lock_guard lock(mu_);
    for (ui::DeviceListItem& item : items_) {
      if (item.data == device_type) {
        item.battery = percent;
        item.charging = charging;
      }
    }
  }
  Push();
}

void DeviceListControl::SetSelectDevice(int device_type) {
  std::lock_guard lock(mu_);
  auto listed = [&](auto pred) { return std::find_if(items_.begin(), items_.end(), pred); };
  auto it = listed([&](const ui::DeviceListItem& i) { return i.data == device_type; });
  if (it == items_.end()) it = listed([](const ui::DeviceListItem& i) { return i.mode >= 0; });
  if (it == items_.end()) it = items_.begin();
  selected_ = it == items_.end() ? 0 : static_cast<int>(it->data);
}

int DeviceListControl::GetSelectDevice() const {
  std::lock_guard lock(mu_);
  return selected_;
}

std::vector<ui::DeviceListItem> DeviceListControl::Items() const {
  std::lock_guard lock(mu_);
  return items_;
}

}  // namespace app
