#include "app/window_controls.h"

#include "app/settings_panel.h"
#include "buttons/buttons_subsystem.h"
#include "catalogue/catalogue.h"
#include "lighting/lighting.h"
#include "macros/macros_subsystem.h"
#include "screen/screen_page.h"
#include "settings/pointer_page.h"
#include "settings/settings_model.h"
#include "ui/control_registry.h"
#include "ui/frame_controls.h"

namespace app {

void RegisterWindowControls() {
  ui::RegisterControls(ui::frame::kFrameControls);
  ui::RegisterControls(catalogue::kControls);
  ui::RegisterControls(settings::kPageControls);
  ui::RegisterControls(buttons::kPageControls);
  ui::RegisterControls(macros::kPageControls);
  ui::RegisterControls(lighting::kPageControls);
  ui::RegisterControls(screen::kPageControls);
  ui::RegisterControls(settings::kPointerControls);
  ui::RegisterControls(panel::kPanelControls);
}

}  // namespace app
