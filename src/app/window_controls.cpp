#include "app/window_controls.h"

#include "buttons/buttons_subsystem.h"
#include "catalogue/catalogue.h"
#include "settings/settings_model.h"
#include "ui/control_registry.h"
#include "ui/frame_controls.h"

namespace app {

void RegisterWindowControls() {
  ui::RegisterControls(ui::frame::kFrameControls);
  ui::RegisterControls(catalogue::kControls);
  ui::RegisterControls(settings::kPageControls);
  ui::RegisterControls(buttons::kPageControls);
}

}  // namespace app
