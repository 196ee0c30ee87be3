#include "catalogue/catalogue.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "device/driver_comm.h"
#include "log/trace.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "store/profile_store.h"
#include "ui/frame_controls.h"
#include "xml/xml_document.h"

namespace catalogue {
namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The parts of a model file, read completely before anything is shown.
struct ModelFile {
  bool has_image = false;
  std::string image;
  bool has_menu = false;
  int light = 0, tft = 0, sidekey = 0;
  std::vector<ButtonLayoutEntry> buttons;
  std::vector<ui::MouseItem> items;
};

bool ReadModelFile(const std::string& path, ModelFile& out) {
  XmlDocument doc;
  if (platform::Status loaded = doc.LoadFile(path); !loaded) {
    Trace(4, "Model file %s", loaded.error().reason.c_str());
    return false;
  }
  if (!doc.FindElement("mouse")) {
    Trace(4, "Model file %s: the root element is not <mouse>", path.c_str());
    return false;
  }
  doc.EnterElement();
  // Each child is looked for after the previous one; a missing one leaves the cursor.
  if (doc.FindElement("image_file")) {
    out.has_image = true;
    out.image = doc.GetAttribute("img");
  }
  if (doc.FindElement("menu")) {
    out.has_menu = true;
    out.light = ParseDecimal(doc.GetAttribute("light"));
    out.tft = ParseDecimal(doc.GetAttribute("tft"));
    out.sidekey = ParseDecimal(doc.GetAttribute("sidekey"));
  }
  if (doc.FindElement("mouse_key")) {
    doc.EnterElement();
    while (doc.FindElement("key")) {
      ButtonLayoutEntry entry;
      entry.key_value = ParseDecimal(doc.GetAttribute("key_value"));
      entry.name_text = ParseDecimal(doc.GetAttribute("name"));
      entry.name = LanguageText(entry.name_text);
      entry.func_type = ParseDecimal(doc.GetAttribute("func_type"));
      entry.func_value = ParseDecimal(doc.GetAttribute("func_value"));
      entry.func_desc_text = ParseDecimal(doc.GetAttribute("func_desc"));
      entry.func_desc = LanguageText(entry.func_desc_text);
      entry.direction = ParseDecimal(doc.GetAttribute("direction"));
      const HotSpotPoints p = ParseRect(doc.GetAttribute("rect"));
      ui::MouseItem item;
      item.x = p.x1;
      item.y = p.y1;
      item.line_x = p.x2;
      item.line_y = p.y2;
      item.label_x = p.x3;
      item.label_y = p.y3;
      item.key_value = entry.key_value;
      item.direction = entry.direction;
      item.name = entry.name;
      item.description = entry.func_desc;
      out.buttons.push_back(std::move(entry));
      out.items.push_back(std::move(item));
    }
  }
  return true;
}

}  // namespace

int ParseDecimal(std::string_view text) {
  text = SkipBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (char c : text) {
    const int d = DigitValue(c, 10);
    if (d < 0) break;
    value = std::min<long long>(value * 10 + d, std::numeric_limits<int>::max());
  }
  return static_cast<int>(negative ? -value : value);
}

uint32_t ParseHex(std::string_view text) {
  text = SkipBlanks(text);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  unsigned long long value = 0;
  for (char c : text) {
    const int d = DigitValue(c, 16);
    if (d < 0) break;
    value = std::min<unsigned long long>(value * 16 + d, std::numeric_limits<uint32_t>::max());
  }
  return static_cast<uint32_t>(value);
}

HotSpotPoints ParseRect(std::string_view text) {
  int numbers[6] = {};
  for (int i = 0; i < 5; ++i) {
    const size_t hash = text.find('#');
    if (hash == std::string_view::npos) continue;  // 0, and the text stays whole
    numbers[i] = ParseDecimal(text.substr(0, hash));
    text.remove_prefix(hash + 1);
  }
  numbers[5] = ParseDecimal(text);
  return {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]};
}

std::string StoreOpenNotice(const StoreOpenReport& report) {
  using Outcome = StoreOpenReport::Outcome;
  switch (report.outcome) {
    case Outcome::kReplaced:
      return FormatText(LanguageText(kStoreReplacedText),
                        {report.path, report.reason, report.kept_as});
    case Outcome::kNotWritable:
      return FormatText(LanguageText(kStoreNotWritableText), {report.path, report.reason});
    case Outcome::kUnusable:
      return FormatText(LanguageText(kStoreUnusableText), {report.path, report.reason});
    default:
      return {};
  }
}

Catalogue::Catalogue(CatalogueContext context) : ctx_(std::move(context)) {}

void Catalogue::LoadCatalogue() {
  std::lock_guard load(load_mu_);
  {
    std::lock_guard lock(mu_);
    models_.clear();
    modes_.clear();
    links_ = {};
  }
  ctx_.device_list.BeginUpdate();
  ctx_.device_list.ClearList();
  ctx_.comm.ClearModes();

  std::vector<CatalogueModel> models;
  std::vector<CatalogueMode> modes;
  CatalogueLinks links;
  XmlDocument doc;
  if (doc.LoadFile(platform::DataDir() + "config.xml") && doc.FindElement("config")) {
    doc.EnterElement();
    if (doc.FindElement("device")) {
      doc.EnterElement();
      while (doc.FindElement("mouse")) {
        CatalogueModel model;
        model.name = doc.GetAttribute("name");
        model.device_type = ParseDecimal(doc.GetAttribute("device_type"));
        model.device_attr = doc.GetAttribute("device_attr");
        model.picture = "device/" + doc.GetAttribute("image");
        models.push_back(model);
        ctx_.device_list.AddDevice(model.name, model.device_type, model.picture);
        doc.EnterElement();
        while (doc.FindElement("mode")) {
          CatalogueMode mode;
          mode.model = model;
          mode.value = ParseDecimal(doc.GetAttribute("value"));
          mode.desc = doc.GetAttribute("desc");
          mode.vid = ParseHex(doc.GetAttribute("vid"));
          mode.pid = ParseHex(doc.GetAttribute("pid"));
          mode.dev_id = Upper(doc.GetAttribute("dev_id"));
          ctx_.comm.RegisterMode(mode.vid, mode.pid, mode.dev_id, model.device_type, mode.value);
          modes.push_back(std::move(mode));
        }
        doc.LeaveElement();
      }
      doc.LeaveElement();
    }
    if (doc.FindElement("software")) {
      links.caption = doc.GetAttribute("caption");
      links.version = doc.GetAttribute("version");
      doc.EnterElement();
      const std::pair<const char*, std::string*> children[] = {{"website", &links.website},
                                                               {"feedback", &links.feedback},
                                                               {"qa", &links.qa},
                                                               {"store", &links.store},
                                                               {"upgrade", &links.upgrade}};
      for (const auto& [element, target] : children) {
        if (doc.FindElement(element)) *target = doc.GetAttribute("url");
      }
      if (doc.FindElement("copyright")) links.copyright = doc.GetAttribute("info");
    }
  }

  ctx_.device_list.EndUpdate();

  // The selector shows every model and preselects the remembered one, else the first. The
  // index is worked out here rather than asked of the selector, so a load never waits for
  // the window thread.
  const int remembered = ctx_.read_device_type ? ctx_.read_device_type() : 0;
  auto listed = std::find_if(models.begin(), models.end(), [&](const CatalogueModel& model) {
    return model.device_type == remembered;
  });
  const int selected_index =
      models.empty() ? -1 : (listed == models.end() ? 0 : int(listed - models.begin()));
  ctx_.toolkit.ClearItems(kModelSelector);
  for (const CatalogueModel& model : models) {
    ctx_.toolkit.AddItem(kModelSelector, model.name, model.device_type);
  }
  const int selected = selected_index < 0 ? 0 : models[selected_index].device_type;
  ctx_.toolkit.SetVisible(kModelSelector, models.size() != 1);

  {
    std::lock_guard lock(mu_);
    models_ = std::move(models);
    modes_ = std::move(modes);
    links_ = std::move(links);
  }
  ctx_.comm.SetSelectedType(selected);
  // The model the selector shows is the one loaded, also when the remembered type is not
  // (or no longer) in the catalogue; the device list then settles the choice.
  LoadModelLocked(selected);
}

bool Catalogue::LoadModel() {
  return LoadModel(ctx_.read_device_type ? ctx_.read_device_type() : 0);
}

bool Catalogue::LoadModel(int device_type) {
  std::lock_guard load(load_mu_);
  return LoadModelLocked(device_type);
}

bool Catalogue::LoadModelLocked(int device_type) {
  std::string name;
  {
    std::lock_guard lock(mu_);
    for (const CatalogueModel& model : models_) {
      if (model.device_type == device_type) {
        name = model.name;
        break;
      }
    }
    current_type_ = device_type;
    current_name_ = name;
  }
  // The model selector always shows the model loaded, whoever chose it.
  ctx_.toolkit.SelectData(kModelSelector, device_type);
  // A model name becomes a file name (model file, database): one that would reach outside
  // its folder is not used.
  if (!platform::IsSafePathName(name)) {
    Trace(4, "Model name \"%.60s\" cannot name a file", name.c_str());
    // The previous model's database must not serve this one.
    ctx_.store.Close();
    return false;
  }

  platform::EnsureDirectory(ctx_.user_data_dir + "db");
  ctx_.store.OpenForModel(ctx_.user_data_dir, name);
  // The store has traced the details; the person learns what it means for their changes.
  const std::string notice = StoreOpenNotice(ctx_.store.OpenReport());
  if (!notice.empty() && ctx_.report_problem) ctx_.report_problem(notice);

  ModelFile file;
  if (!ReadModelFile(platform::DataDir() + "device/" + name + ".xml", file)) return false;

  if (file.has_image) {
    ctx_.toolkit.SetImage(ui::frame::kHomePicture, file.image);
    ctx_.toolkit.SetImage(kLayoutPicture, file.image);
  }
  // A model file without a menu offers none of the optional pages.
  const bool lighting = file.has_menu && file.light == 1;
  const bool screen = file.has_menu && file.tft == 1;
  const bool side_keys = file.has_menu && file.sidekey == 1;
  ctx_.toolkit.SetTabItemVisible(ui::frame::kTabs, ui::frame::kItemLighting, lighting);
  ctx_.toolkit.SetTabItemVisible(ui::frame::kTabs, ui::frame::kItemScreen, screen);
  for (int id : {kLeftLockLabel, kRightLockLabel, kLeftLockSwitch, kRightLockSwitch}) {
    ctx_.toolkit.SetVisible(id, side_keys);
  }
  // A model file without buttons leaves none of the previous model's buttons behind.
  ctx_.toolkit.SetMouseItems(kMouseHotSpots, file.items);

  std::lock_guard lock(mu_);
  lighting_ = lighting;
  screen_ = screen;
  side_keys_ = side_keys;
  buttons_ = std::move(file.buttons);
  mouse_items_ = std::move(file.items);
  return true;
}

void Catalogue::ReloadTexts() {
  std::lock_guard load(load_mu_);
  std::vector<ButtonLayoutEntry> buttons = Buttons();
  std::vector<ui::MouseItem> items = MouseItems();
  for (ButtonLayoutEntry& entry : buttons) {
    entry.name = LanguageText(entry.name_text);
    entry.func_desc = LanguageText(entry.func_desc_text);
  }
  // Items and entries are made together, one for one.
  for (size_t i = 0; i < items.size() && i < buttons.size(); ++i) {
    items[i].name = buttons[i].name;
    items[i].description = buttons[i].func_desc;
  }
  ctx_.toolkit.SetMouseItems(kMouseHotSpots, items);
  std::lock_guard lock(mu_);
  buttons_ = std::move(buttons);
  mouse_items_ = std::move(items);
}

std::vector<CatalogueModel> Catalogue::Models() const {
  std::lock_guard lock(mu_);
  return models_;
}

std::vector<CatalogueMode> Catalogue::Modes() const {
  std::lock_guard lock(mu_);
  return modes_;
}

std::vector<ButtonLayoutEntry> Catalogue::Buttons() const {
  std::lock_guard lock(mu_);
  return buttons_;
}

std::vector<ui::MouseItem> Catalogue::MouseItems() const {
  std::lock_guard lock(mu_);
  return mouse_items_;
}

CatalogueLinks Catalogue::Links() const {
  std::lock_guard lock(mu_);
  return links_;
}

std::string Catalogue::VersionText() const {
  const std::string label = LanguageText(21);
  std::lock_guard lock(mu_);
  return label + ": v" + links_.version;
}

int Catalogue::CurrentType() const {
  std::lock_guard lock(mu_);
  return current_type_;
}

std::string Catalogue::CurrentModelName() const {
  std::lock_guard lock(mu_);
  return current_name_;
}

bool Catalogue::HasLighting() const {
  std::lock_guard lock(mu_);
  return lighting_;
}

bool Catalogue::HasScreen() const {
  std::lock_guard lock(mu_);
  return screen_;
}

bool Catalogue::HasSideKeys() const {
  std::lock_guard lock(mu_);
  return side_keys_;
}

}  // namespace catalogue
