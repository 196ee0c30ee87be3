// The settings rig with the lighting subsystem and the profile file buttons registered on its
// dispatch and task table, and a dump of the profile tables to compare database states.
#pragma once

#include <string>
#include <vector>

#include "lighting/lighting.h"
#include "profiles/profile_file_actions.h"
#include "settings/settings_fixture.h"
#include "store/sqlite_db.h"
#include "ui/frame_controls.h"

namespace lighting_test {

// Every language text the lighting page and the profile files look up, with the settings'.
inline std::vector<int> Texts() {
  std::vector<int> texts = settings_test::SettingsTexts();
  for (int n : {275, 276}) texts.push_back(n);
  for (int n = 280; n <= 286; ++n) texts.push_back(n);
  for (int n = 2001; n <= 2018; ++n) texts.push_back(n);
  return texts;
}

inline bool ModelHasLighting(sim::Model m) { return m != sim::Model::kK9Air; }

class LightRig : public settings_test::Rig {
 public:
  explicit LightRig(sim::Model model = sim::Model::kK7Mouse)
      : Rig(model, sim::Attachment::kCable, Texts()), lit(ModelHasLighting(model)) {
    p().context.lighting_in_use = [this] { return lit; };
    p().context.ports.lighting = &light;
    light.RegisterControls(p().dispatch);
    light.RegisterTasks(p().table);
    files.RegisterControls(p().dispatch);
    light.InitLightingPage();
  }

  LightModeRecord Row(int mode, int profile = 0) {
    LightModeRecord r;
    EXPECT_TRUE(p().store().GetLightMode(profile ? profile : p().profile.load(), mode, r));
    return r;
  }
  int Active() { return p().store().GetActiveLightMode(p().profile); }

  bool lit;
  lighting::LightingSubsystem light{p().context};
  profiles::ProfileFileActions files{p().context};
};

// Every row of the settings, button and lighting tables, one line per row; without the
// button rows' ids when `with_key_ids` is false (an import writes new rows).
inline std::string Dump(bool with_key_ids = true) {
  ProfileStore& store = ProfileStore::Instance();
  auto lock = store.Lock();
  std::string out;
  const auto table = [&](const char* sql, int columns, int skip) {
    SQLiteStatement st;
    EXPECT_TRUE(store.Db().Prepare(st, sql, -1).ok()) << sql;
    for (platform::Result<bool> row = st.Step(); row.ok() && row.value(); row = st.Step()) {
      for (int c = skip; c < columns; ++c) {
        const char* t = st.ColumnText(c);
        out += t ? t : "<null>";
        out += '|';
      }
      out += '\n';
    }
  };
  table("SELECT * FROM t_configdata ORDER BY config_id", 4, 0);
  table("SELECT * FROM t_key_macro_data ORDER BY profile, key_code", 11, with_key_ids ? 0 : 1);
  table("SELECT * FROM t_light_data ORDER BY light_id", 13, 0);
  return out;
}

}  // namespace lighting_test
