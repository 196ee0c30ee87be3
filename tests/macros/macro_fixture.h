// The macro subsystem on a program's worth of settings machinery: headless toolkit, virtual
// mouse, store on a private folder. Window messages the page registers are kept here and
// delivered by Message().
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "macros/macros_subsystem.h"
#include "settings/settings_fixture.h"

namespace macrotest {

inline std::vector<int> Texts() {
  std::vector<int> t = settings_test::SettingsTexts();
  // The macro page's texts: menus, headings, event kinds, buttons, choices and notices.
  for (int n :
       {34,  150, 151, 152, 153, 154, 351,  355,  358,  359,  361,  362,  363,  365,  366,
        367, 368, 380, 386, 387, 393, 394,  395,  396,  397,  398,  400,  401,  402,  403,
        406, 407, 408, 409, 583, 584, 1950, 1951, 1952, 1953, 1954, 1955, 1956, 1961, 1964}) {
    t.push_back(n);
  }
  return t;
}

class MacroRig {
 public:
  explicit MacroRig(sim::Model model = sim::Model::kK7Mouse,
                    sim::Attachment attachment = sim::Attachment::kCable)
      : rig(model, attachment, Texts()) {
    Build();
  }

  // A fresh subsystem (after rig.Start(), which makes a new program).
  void Build() {
    messages.clear();
    macros = std::make_unique<macros::MacrosSubsystem>(rig.ctx());
    macros->Register(rig.p().dispatch, [this](int m, macros::MacrosSubsystem::MessageHandler h) {
      messages[m] = std::move(h);
    });
    macros->InitPage();
  }

  void Message(int message, int64_t command) {
    ASSERT_TRUE(messages.count(message)) << message;
    messages[message](command, 0);
  }
  ProfileStore& store() { return ProfileStore::Instance(); }
  ui::HeadlessToolkit& tk() { return rig.p().tk; }
  int profile() { return rig.p().profile; }

  // A macro with these events (record_index = position) and a button row naming it.
  int AddMacro(const std::vector<MacroEventRecord>& events, const std::string& name = "M") {
    MacroRecord m;
    m.name = name;
    m.play_times = 1;
    const int id = store().AddMacro(m);
    EXPECT_GT(id, 0);
    EXPECT_TRUE(macros::SaveMacroEvents(store(), id, events));
    return id;
  }
  void AssignToButton(int key_code, int macro_id) {
    KeyAssignmentRecord row;
    row.profile = profile();
    row.key_code = key_code;
    row.macro_type = macros::kMacroFunctionType;
    row.macro_value = macro_id;
    row.macro_desc = "M";
    EXPECT_GT(store().SaveKeyAssignment(row), 0);
  }

  settings_test::Rig rig;
  std::unique_ptr<macros::MacrosSubsystem> macros;
  std::map<int, macros::MacrosSubsystem::MessageHandler> messages;
};

inline MacroEventRecord Event(int type, int value, const std::string& desc = "", int stamp = 0) {
  MacroEventRecord e;
  e.type = type;
  e.value = value;
  e.desc = desc;
  e.delay_time = stamp;
  return e;
}

}  // namespace macrotest
