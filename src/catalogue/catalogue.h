// The device catalogue: what the program knows about the mouse models it supports, read from
// "config.xml" beside the program (models, their USB identities and connection modes, the
// program's links and version) and from one "device/<model name>.xml" per model (picture,
// pages, buttons and their default functions). Loading fills the model selector (61), the
// device list (62), the mouse pictures (57, 63), the button hot-spots (92), the lighting and
// screen tabs of the tab row (48) and the side-button lock switches (68 to 71).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/language.h"
#include "store/profile_store.h"
#include "ui/toolkit.h"

class DriverComm;

namespace catalogue {

// The device list the catalogue fills with its models (the window logic owns the list).
class ModelList {
 public:
  virtual ~ModelList() = default;
  virtual void ClearList() = 0;
  virtual void AddDevice(const std::string& name, int device_type, const std::string& picture) = 0;
  // Between these two the list is only shown once, at the end: a catalogue of many models
  // then costs one copy of the list, not one per model.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

// Controls the catalogue fills.
inline constexpr int kModelSelector = 61;
inline constexpr int kDeviceList = 62;
inline constexpr int kLayoutPicture = 63;
inline constexpr int kMouseHotSpots = 92;
inline constexpr int kLeftLockLabel = 68;
inline constexpr int kRightLockLabel = 69;
inline constexpr int kLeftLockSwitch = 70;
inline constexpr int kRightLockSwitch = 71;
inline constexpr std::array kControls{kModelSelector,  kDeviceList,     kLayoutPicture,
                                      kMouseHotSpots,  kLeftLockLabel,  kRightLockLabel,
                                      kLeftLockSwitch, kRightLockSwitch};

struct CatalogueModel {
  std::string name;
  int device_type = 0;
  std::string device_attr;
  std::string picture;  // relative to the skin folder: "device/<image>"
};

// One USB identity of a model: the model's fields plus the mode's own.
struct CatalogueMode {
  CatalogueModel model;
  int value = 0;  // 0 cable, 1 receiver
  std::string desc;
  uint32_t vid = 0;
  uint32_t pid = 0;
  std::string dev_id;  // upper case
};

// One button of the selected model.
struct ButtonLayoutEntry {
  int key_value = 0;  // the button's index on the mouse
  std::string name;   // language text of the key's "name"
  int func_type = 0;  // default KeyFunctionType
  int func_value = 0;
  std::string func_desc;  // language text of the key's "func_desc"
  int direction = 0;      // carried for the mouse picture, not interpreted here
  // The language-text numbers behind `name` and `func_desc`, for a language switch.
  int name_text = 0;
  int func_desc_text = 0;
};

// The program's own addresses and version from the "software" element.
struct CatalogueLinks {
  std::string caption;
  std::string version;
  std::string website;
  std::string feedback;
  std::string qa;
  std::string store;
  std::string upgrade;
  std::string copyright;
};

// The three points of a button's hot spot and label on the mouse picture.
struct HotSpotPoints {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
  bool operator==(const HotSpotPoints&) const = default;
};

// "x1#y1#x2#y2#x3#y3": five times the number before the next "#" (0 when none is left, the
// text then staying whole), the rest as the sixth. "10#20" gives (10, 0), (0, 0), (0, 20).
HotSpotPoints ParseRect(std::string_view text);
// Leading decimal digits with an optional sign; 0 when there are none.
int ParseDecimal(std::string_view text);
// Leading hexadecimal digits (an optional "0x" prefix allowed); 0 when there are none.
uint32_t ParseHex(std::string_view text);

// What the catalogue reaches. The remembered model ("DeviceType") is read through a function,
// so the catalogue does not depend on the application settings.
struct CatalogueContext {
  ui::Toolkit& toolkit;
  DriverComm& comm;
  ModelList& device_list;
  ProfileStore& store;
  std::function<int()> read_device_type;
  // Where the model databases live ("<user_data_dir>db/<name>_data.db").
  std::string user_data_dir;
  // Tells the person about a problem (a damaged or locked database); empty: only traced.
  std::function<void(const std::string& text)> report_problem;
};

// The label of the program's version in the caption: "<text>: v<version>".
inline constexpr platform::TextId kSoftwareVersionText{21};
// Language texts about the profile database.
inline constexpr platform::TextId kStoreReplacedText{2301};
inline constexpr platform::TextId kStoreNotWritableText{2302};
inline constexpr platform::TextId kStoreUnusableText{2303};
// What the person is told after the store opened as `report` says; empty when all is well.
std::string StoreOpenNotice(const StoreOpenReport& report);

// Owned by the main window. The data files are found in platform::DataDir() and the
// pictures in the skin folder of ui::Manager::GetTheme(). Loads are serialised; the records
// may be read from any thread. No lock of the catalogue is held while the toolkit, the store
// or DriverComm is called.
class Catalogue {
 public:
  explicit Catalogue(CatalogueContext context);

  // Rebuilds the model and mode lists from "config.xml", registers every mode with
  // DriverComm, fills the model selector and the device list, selects the remembered model
  // and loads its description. A missing or ill-formed file leaves the lists empty. The caller
  // starts following device plug events afterwards.
  void LoadCatalogue();
  // Loads the description of the remembered model.
  bool LoadModel();
  // Makes `device_type` the current model: selects it in the model selector, opens its
  // database, then applies its model file (pictures, pages, buttons). False when the model file is
  // missing or has no "mouse" element; the previous picture, pages and buttons then stay.
  bool LoadModel(int device_type);

  std::vector<CatalogueModel> Models() const;
  std::vector<CatalogueMode> Modes() const;
  std::vector<ButtonLayoutEntry> Buttons() const;
  // The hot-spot items as last given to control 92 (the button page updates descriptions).
  std::vector<ui::MouseItem> MouseItems() const;
  // After a language switch: looks the button names and default descriptions up again and
  // shows them on control 92; the button page then puts its assignments over the defaults.
  void ReloadTexts();
  CatalogueLinks Links() const;
  // "<text 21>: v<version>".
  std::string VersionText() const;

  // The model the window works with, 0 before the first load.
  int CurrentType() const;
  std::string CurrentModelName() const;
  // From the model file's "menu": exactly 1 sets each flag.
  bool HasLighting() const;
  bool HasScreen() const;
  bool HasSideKeys() const;

 private:
  bool LoadModelLocked(int device_type);  // load_mu_ held

  CatalogueContext ctx_;
  // One load at a time.
  std::mutex load_mu_;
  // Guards the records below; never held while calling out.
  mutable std::mutex mu_;
  std::vector<CatalogueModel> models_;
  std::vector<CatalogueMode> modes_;
  std::vector<ButtonLayoutEntry> buttons_;
  std::vector<ui::MouseItem> mouse_items_;
  CatalogueLinks links_;
  int current_type_ = 0;
  std::string current_name_;
  bool lighting_ = false;
  bool screen_ = false;
  bool side_keys_ = false;
};

}  // namespace catalogue
