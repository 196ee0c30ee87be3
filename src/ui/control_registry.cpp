#include "ui/control_registry.h"

#include <mutex>
#include <set>

namespace ui {
namespace {

struct Registry {
  std::mutex mu;
  std::set<int> numbers;
};

Registry& Get() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterControls(std::span<const int> numbers) {
  std::lock_guard lock(Get().mu);
  Get().numbers.insert(numbers.begin(), numbers.end());
}

bool IsRegisteredControl(int number) {
  std::lock_guard lock(Get().mu);
  return Get().numbers.count(number) != 0;
}

std::vector<int> RegisteredControls() {
  std::lock_guard lock(Get().mu);
  return {Get().numbers.begin(), Get().numbers.end()};
}

}  // namespace ui
