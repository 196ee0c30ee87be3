// Control numbers of the main window's frame and the tab table, shared by the window logic
// (app::DeviceMainDlg) and the Qt window that builds the controls.
#pragma once

#include <array>

#include "platform/language.h"

namespace ui::frame {

inline constexpr int kBackground = 30;
// The caption: its background (35) holds the left strip (31: logo and texts), the caption
// area (32: the free space that drags the window) and the right strip (33: window buttons).
inline constexpr int kCaptionStrip = 31;
inline constexpr int kCaptionArea = 32;
inline constexpr int kCaptionStripRight = 33;
inline constexpr int kLogo = 34;
inline constexpr int kCaptionBackground = 35;
inline constexpr int kCaptionText = 36;  // the product caption
inline constexpr int kCaptionText2 = 37;
inline constexpr int kCaptionText3 = 38;
inline constexpr int kClose = 39;
inline constexpr int kMinimize = 40;
inline constexpr int kMaximize = 41;
inline constexpr int kSettings = 42;
inline constexpr int kBattery = 44;
inline constexpr int kConnection = 45;
inline constexpr int kImport = 46;
inline constexpr int kExport = 47;
inline constexpr int kTabs = 48;
inline constexpr int kProfiles = 64;
inline constexpr int kSettingsPanel = 245;
inline constexpr int kSettingsReturn = 246;
// The first tab's model area (picture 57, area 58, hint 59) sits in layout 56 inside layout 49.
inline constexpr int kHomeModelArea = 56;
inline constexpr int kHomePicture = 57;  // the selected model's picture, or the placeholder
inline constexpr int kHomeArea = 58;
inline constexpr int kConnectHint = 59;

// The status strip: hidden while the settings panel is open.
inline constexpr std::array<int, 5> kStatusStrip = {kBattery, kConnection, kImport, kExport,
                                                    kProfiles};
// Frame controls hidden on the first tab (no model page is shown there).
inline constexpr std::array<int, 4> kModelControls = {kBattery, kImport, kExport, kProfiles};

// The page layouts the tabs show.
inline constexpr int kPageHome = 49;
inline constexpr int kPageButtons = 50;
inline constexpr int kPageDpi = 51;
inline constexpr int kPageMacro = 52;
inline constexpr int kPageLighting = 53;
inline constexpr int kPagePerformance = 54;
inline constexpr int kPageScreen = 55;

// Tab item ids.
inline constexpr int kItemHome = 1;
inline constexpr int kItemButtons = 2;
inline constexpr int kItemDpi = 3;
inline constexpr int kItemMacro = 4;
inline constexpr int kItemLighting = 5;
inline constexpr int kItemPerformance = 6;
inline constexpr int kItemScreen = 7;

struct TabEntry {
  const char* image;  // in the skin folder
  int item_id;
  platform::TextId title_text;
  int layout;  // the page layout the tab shows
};

// The tab row in its order; position = index.
inline constexpr std::array<TabEntry, 7> kTabTable = {{
    {"icon/tab_home.png", kItemHome, platform::TextId{65}, kPageHome},
    {"icon/tab_key.png", kItemButtons, platform::TextId{66}, kPageButtons},
    {"icon/tab_dpi.png", kItemDpi, platform::TextId{67}, kPageDpi},
    {"icon/tab_light.png", kItemLighting, platform::TextId{69}, kPageLighting},
    {"icon/tab_tft.png", kItemScreen, platform::TextId{71}, kPageScreen},
    {"icon/tab_macro.png", kItemMacro, platform::TextId{68}, kPageMacro},
    {"icon/tab_set.png", kItemPerformance, platform::TextId{70}, kPagePerformance},
}};

// Every page layout: the seven tab pages (49 to 55), then the settings panel.
inline constexpr std::array<int, 8> kPageLayouts = {kPageHome,   kPageButtons,  kPageDpi,
                                                    kPageMacro,  kPageLighting, kPagePerformance,
                                                    kPageScreen, kSettingsPanel};

// Every frame control above, the page layouts included: what the window must build.
inline constexpr std::array kFrameControls{kBackground,
                                           kCaptionStrip,
                                           kCaptionArea,
                                           kCaptionStripRight,
                                           kCaptionBackground,
                                           kLogo,
                                           kCaptionText,
                                           kCaptionText2,
                                           kCaptionText3,
                                           kClose,
                                           kMinimize,
                                           kMaximize,
                                           kSettings,
                                           kBattery,
                                           kConnection,
                                           kImport,
                                           kExport,
                                           kTabs,
                                           kProfiles,
                                           kSettingsPanel,
                                           kSettingsReturn,
                                           kHomeModelArea,
                                           kHomePicture,
                                           kHomeArea,
                                           kConnectHint,
                                           kPageHome,
                                           kPageButtons,
                                           kPageDpi,
                                           kPageMacro,
                                           kPageLighting,
                                           kPagePerformance,
                                           kPageScreen};

// Texts of the connection label (45). The label is translated by recognising its current
// text, so these four read exactly the same in every language file of a release: "未连接" /
// "Not Connected", "USB连接" / "USB Connection", "2.4Ghz连接" / "2.4Ghz Connection", "蓝牙连接" /
// "Bluetooth Connection".
inline constexpr platform::TextId kNotConnectedText{50};
inline constexpr platform::TextId kUsbConnectionText{51};
inline constexpr platform::TextId kReceiverConnectionText{52};
inline constexpr platform::TextId kBluetoothConnectionText{53};
// The tray menu's one entry.
inline constexpr platform::TextId kExitMenuText{17};

}  // namespace ui::frame
