// The main window's control numbers with their kinds, and which notifications each handler
// takes: written out here once, independently of the owners' own tables, so the window and its
// dispatch are checked against a second reading.
#pragma once

#include <string_view>
#include <vector>

namespace test_support {

// What a control is, coarsely: how the Qt window must be able to drive it.
enum class Kind {
  kPicture,  // any widget that shows a picture or an area
  kText,     // a label
  kButton,   // clickable
  kToggle,   // clickable and checkable
  kCombo,
  kEdit,
  kSlider,
  kCustom,  // drawn by the program (lists, DPI levels, tabs, layouts, ...)
};

struct WindowControl {
  int number;
  Kind kind;
  std::string_view toolkit_kind;  // the toolkit's own kind name
};

inline const std::vector<WindowControl>& MainWindowControls() {
  using K = Kind;
  static const std::vector<WindowControl> controls = [] {
    std::vector<WindowControl> v = {
        // frame
        {30, K::kPicture, "MPicture"},
        {31, K::kPicture, "MPicture"},
        {32, K::kPicture, "CRoundArea"},
        {33, K::kPicture, "MPicture"},
        {34, K::kPicture, "MPicture"},
        {35, K::kPicture, "MPicture"},
        {36, K::kText, "MText"},
        {37, K::kText, "MText"},
        {38, K::kText, "MText"},
        {39, K::kButton, "CImageButton"},
        {40, K::kButton, "CImageButton"},
        {41, K::kButton, "CImageButton"},
        {42, K::kButton, "CImageButton"},
        {44, K::kCustom, "BatteryCtrl"},
        {45, K::kText, "CDeviceState"},
        {46, K::kButton, "MButton"},
        {47, K::kButton, "MButton"},
        {64, K::kCombo, "MComboBox"},
        {48, K::kCustom, "MTabCtrl"},
        {57, K::kPicture, "MPicture"},
        {58, K::kPicture, "MPicture"},
        {59, K::kText, "MText"},
        {61, K::kCombo, "MComboBox"},
        {62, K::kCustom, "CDeviceList"},
        // button page
        {63, K::kPicture, "MPicture"},
        {92, K::kCustom, "MouseCtrl"},
        {68, K::kText, "MText"},
        {69, K::kText, "MText"},
        {70, K::kToggle, "CSwitchButton"},
        {71, K::kToggle, "CSwitchButton"},
        {67, K::kButton, "CImageButton"},
        {93, K::kButton, "MButton"},
        {73, K::kCombo, "MComboBox"},
        {74, K::kCombo, "MComboBox"},
        {75, K::kEdit, "MEdit"},
        {76, K::kToggle, "MButton3"},
        {77, K::kToggle, "MButton3"},
        {78, K::kToggle, "MButton3"},
        {79, K::kToggle, "MButton3"},
        {80, K::kButton, "MButton"},
        {81, K::kCombo, "MComboBox"},
        {83, K::kCombo, "MComboBox"},
        {84, K::kEdit, "MEdit"},
        {86, K::kEdit, "MEdit"},
        {90, K::kEdit, "MEdit"},
        {91, K::kButton, "MButton"},
        {214, K::kPicture, "CArea"},
        {215, K::kText, "MText"},
        {216, K::kEdit, "NumberEdit"},
        // DPI page
        {100, K::kCustom, "DPIControl"},
        {101, K::kSlider, "DPISlider"},
        {102, K::kButton, "MButton"},
        {104, K::kCombo, "MComboBox"},
        {99, K::kButton, "CImageButton"},
        {109, K::kCustom, "ReporteCtrl"},
        {108, K::kButton, "CImageButton"},
        {98, K::kCustom, "CHelpButton"},
        {107, K::kCustom, "CHelpButton"},
        // macro page
        {115, K::kCustom, "MacroList"},
        {116, K::kButton, "MButton"},
        {117, K::kButton, "MButton"},
        {118, K::kButton, "MButton"},
        {126, K::kCustom, "CRecordList"},
        {127, K::kButton, "MButton"},
        {128, K::kButton, "MButton"},
        {129, K::kButton, "MButton"},
        {132, K::kButton, "CIconButton"},
        {138, K::kEdit, "MEdit"},
        {145, K::kEdit, "MEdit"},
        {147, K::kCombo, "MComboBox"},
        {149, K::kCombo, "MComboBox"},
        {148, K::kEdit, "MEdit"},
        {151, K::kButton, "MButton"},
        {152, K::kButton, "MButton"},
        {156, K::kEdit, "MEdit"},
        {160, K::kEdit, "MEdit"},
        // lighting page
        {165, K::kCombo, "MComboBox"},
        {168, K::kButton, "CImageButton"},
        {170, K::kSlider, "LightSlider"},
        {172, K::kSlider, "LightSlider"},
        {183, K::kCustom, "PaletteBar"},
        {186, K::kSlider, "LightSlider"},
        {190, K::kEdit, "MEdit"},
        {191, K::kEdit, "MEdit"},
        {192, K::kEdit, "MEdit"},
        // performance page
        {220, K::kCombo, "MComboBox"},
        {223, K::kButton, "MButton"},
        {228, K::kSlider, "MSlider"},
        {232, K::kToggle, "CCheckButton"},
        {234, K::kSlider, "MSlider"},
        {237, K::kEdit, "NumberEdit2"},
        {238, K::kToggle, "CRadioButton"},
        {239, K::kToggle, "CRadioButton"},
        {241, K::kSlider, "MSlider"},
        // settings panel
        {245, K::kCustom, "MTabLayout"},
        {246, K::kButton, "CImageButton"},
        {248, K::kButton, "MButton"},
        {250, K::kCombo, "MComboBox"},
        {252, K::kToggle, "CCheckButton"},
        {253, K::kToggle, "CCheckButton"},
        {257, K::kToggle, "CRadioButton"},
        {258, K::kToggle, "CRadioButton"},
        {260, K::kButton, "CTextButton"},
        {261, K::kButton, "CTextButton"},
        {262, K::kButton, "CTextButton"},
        // screen page
        {275, K::kCustom, "LCDViewList"},
        {276, K::kButton, "MButton"},
        {277, K::kButton, "MButton"},
        {278, K::kButton, "MButton"},
        {283, K::kToggle, "CCheckButton"},
        {284, K::kCustom, "ImageView"},
        {285, K::kButton, "CTextButton"},
        {287, K::kButton, "CTextButton"},
        {288, K::kButton, "CImageButton"},
        {289, K::kCustom, "ImageViewList"},
        {292, K::kEdit, "MEdit"},
        {295, K::kEdit, "MEdit"},
        {304, K::kCustom, "CirclePalette"},
        {308, K::kEdit, "MEdit"},
        {309, K::kEdit, "MEdit"},
        {310, K::kEdit, "MEdit"},
        {318, K::kEdit, "MEdit"},
        {319, K::kButton, "MButton"},
        {320, K::kButton, "MButton"},
        {321, K::kButton, "MButton"},
        {323, K::kButton, "MButton"},
        {322, K::kButton, "LCDModeButton"},
    };
    // The page layouts shown by the tabs.
    for (int n = 49; n <= 56; ++n) v.push_back({n, K::kCustom, "MTabLayout"});
    for (int n : {134, 135, 136, 141, 142, 143, 144, 154, 155, 158, 159}) {
      v.push_back({n, K::kToggle, "CRadioButton"});
    }
    for (int n = 174; n <= 181; ++n) v.push_back({n, K::kButton, "CColorButton"});
    for (int n : {198, 199, 200, 211, 212, 213}) v.push_back({n, K::kToggle, "CRadioButton"});
    for (int n = 204; n <= 207; ++n) v.push_back({n, K::kToggle, "CCheckButton"});
    for (int n = 296; n <= 302; ++n) v.push_back({n, K::kButton, "CImageButton"});
    for (int n = 311; n <= 316; ++n) v.push_back({n, K::kButton, "CColorButton"});
    return v;
  }();
  return controls;
}

// The dispatch: controls whose handler sees every notification code ...
inline const std::vector<int>& AnyCodeControls() {
  static const std::vector<int> v = {48,  75,  84,  86,  90,  216, 100, 101, 109, 115,
                                     126, 138, 145, 148, 156, 160, 190, 191, 192, 228,
                                     237, 275, 284, 289, 295, 304, 308, 309, 310};
  return v;
}

// ... and those that act on a click (code 2) only.
inline const std::vector<int>& ClickControls() {
  static const std::vector<int> v = [] {
    std::vector<int> c = {39,  40,  41,  42,  246, 61,  62,  64,  46,  47,  92,  73,  74,  80,
                          81,  91,  67,  93,  70,  71,  99,  102, 104, 108, 116, 117, 118, 127,
                          128, 132, 147, 149, 151, 152, 154, 155, 158, 159, 165, 168, 170, 172,
                          183, 186, 220, 223, 234, 241, 232, 238, 239, 248, 250, 252, 253, 257,
                          258, 260, 261, 262, 283, 285, 287, 288, 319, 320, 321, 322, 323};
    for (int n : {134, 135, 136, 141, 142, 143, 144}) c.push_back(n);
    for (int n = 174; n <= 181; ++n) c.push_back(n);
    for (int n : {198, 199, 200, 204, 205, 206, 207, 211, 212, 213}) c.push_back(n);
    for (int n : {276, 277, 278}) c.push_back(n);
    for (int n = 296; n <= 302; ++n) c.push_back(n);
    for (int n = 311; n <= 316; ++n) c.push_back(n);
    return c;
  }();
  return v;
}

}  // namespace test_support
