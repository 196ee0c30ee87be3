#include "sim/models.h"

#include <cctype>
#include <string>

namespace sim {
namespace {

constexpr std::array<ModelTraits, 3> kTraits{{
    {Model::kK7Mouse, "K7 Mouse", 101, 0x3A01, 0x3A10, "7A5D3A010101", "7A5D3A100101", 8, 1, 3, 6,
     0x0115, 0x0102, true},
    {Model::kK7Pro, "K7 Pro", 102, 0x3A02, 0x3A10, "7A5D3A020102", "7A5D3A100102", 6, 2, 7, 6,
     0x0115, 0x0102, true},
    {Model::kK9Air, "K9 Air", 201, 0x3A03, 0x3A11, "7A5D3A030201", "7A5D3A110201", 6, 1, 3, 6,
     0x0115, 0x0101, false},
}};

constexpr std::array<Model, 3> kModels{Model::kK7Mouse, Model::kK7Pro, Model::kK9Air};

std::string Squash(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

void PutDpi(std::array<uint8_t, kSettingsImageSize>& image, int level, int dpi) {
  const int code = dpi / 50 - 1;
  image[11 + 2 * level] = static_cast<uint8_t>(code & 0xFF);
  image[12 + 2 * level] = static_cast<uint8_t>(code >> 8);
}

void PutColour(std::array<uint8_t, kSettingsImageSize>& image, int level, uint8_t r, uint8_t g,
               uint8_t b) {
  image[27 + 3 * level] = r;
  image[28 + 3 * level] = g;
  image[29 + 3 * level] = b;
}

}  // namespace

const ModelTraits& Traits(Model model) { return kTraits[static_cast<size_t>(model)]; }

const std::array<Model, 3>& AllModels() { return kModels; }

std::optional<Model> ModelFromName(std::string_view text) {
  const std::string wanted = Squash(text);
  if (wanted.empty()) return std::nullopt;
  for (const ModelTraits& traits : kTraits) {
    if (wanted == Squash(traits.name) || wanted == std::to_string(traits.device_type)) {
      return traits.model;
    }
  }
  return std::nullopt;
}

uint16_t ProductId(Model model, Connection connection) {
  return connection == Connection::kCable ? Traits(model).cable_pid : Traits(model).receiver_pid;
}

const char* DeviceIdText(Model model, Connection connection) {
  return connection == Connection::kCable ? Traits(model).cable_device_id
                                          : Traits(model).receiver_device_id;
}

std::array<uint8_t, 6> DeviceIdBytes(Model model, Connection connection) {
  const std::string_view text = DeviceIdText(model, connection);
  std::array<uint8_t, 6> bytes{};
  for (size_t i = 0; i < bytes.size() && 2 * i + 1 < text.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(HexDigit(text[2 * i]) * 16 + HexDigit(text[2 * i + 1]));
  }
  return bytes;
}

std::array<uint8_t, kSettingsImageSize> DefaultSettingsImage(Model model) {
  const ModelTraits& traits = Traits(model);
  std::array<uint8_t, kSettingsImageSize> image{};
  image[0] = traits.sensor_type;
  // Cable rate in the high nibble, receiver rate in the low bits: the long-range model starts
  // at 125 Hz on both, the others at 1000 Hz by cable and 500 Hz through the receiver.
  image[1] = traits.device_type > 200 ? 0x33 : 0x01;
  image[2] = (3 << 4) | 6;  // level 2 active of 6
  image[3] = 1;             // lift-off choice
  image[4] = 8;             // debounce, ms
  image[5] = 0x10 | (1 << 6);
  image[8] = 2;  // sleep after 60 s
  constexpr int kDpi[8] = {400, 800, 1600, 3200, 6400, 26000, 12800, 16000};
  for (int k = 0; k < 8; ++k) PutDpi(image, k, kDpi[k]);
  PutColour(image, 0, 0xFF, 0x00, 0x00);
  PutColour(image, 1, 0x00, 0xFF, 0x00);
  PutColour(image, 2, 0x00, 0x00, 0xFF);
  PutColour(image, 3, 0x00, 0xFF, 0xFF);
  PutColour(image, 4, 0xFF, 0xFF, 0x00);
  PutColour(image, 5, 0xFF, 0x00, 0xFF);
  PutColour(image, 6, 0xFF, 0xA3, 0x20);
  PutColour(image, 7, 0xFF, 0xA3, 0x20);
  return image;
}

std::array<uint8_t, kKeyTableSize> DefaultKeyTable(Model model) {
  std::array<uint8_t, kKeyTableSize> table{};
  constexpr uint8_t kSix[24] = {
      0x01, 0x01, 0x01, 0x00,  // left button
      0x01, 0x02, 0x01, 0x00,  // right button
      0x01, 0x03, 0x01, 0x00,  // middle button
      0x01, 0x05, 0x01, 0x00,  // backward
      0x01, 0x04, 0x01, 0x00,  // forward
      0x05, 0x04, 0x00, 0x00,  // DPI cycle
  };
  for (size_t i = 0; i < sizeof(kSix); ++i) table[i] = kSix[i];
  if (Traits(model).buttons >= 8) {
    constexpr uint8_t kSideDpi[8] = {0x05, 0x01, 0x00, 0x00, 0x05, 0x02, 0x00, 0x00};  // DPI +, -
    for (size_t i = 0; i < sizeof(kSideDpi); ++i) table[24 + i] = kSideDpi[i];
  }
  return table;
}

}  // namespace sim
