#include "cli/json.h"

#include <cstdio>

namespace cli {

std::string Json::Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out.push_back(static_cast<char>(c));  // UTF-8 passes as it is
        }
    }
  }
  return out + "\"";
}

void Json::Key(const char* key) {
  if (!first_) text_ += ",";
  first_ = false;
  if (key) text_ += Quote(key) + ":";
}

Json& Json::Open(const char* key, char bracket) {
  Key(key);
  text_.push_back(bracket);
  first_ = true;
  return *this;
}

Json& Json::Close(char bracket) {
  text_.push_back(bracket);
  first_ = false;
  return *this;
}

Json& Json::Add(const char* key, const std::string& value) {
  Key(key);
  text_ += Quote(value);
  return *this;
}

Json& Json::Add(const char* key, int64_t value) {
  Key(key);
  text_ += std::to_string(value);
  return *this;
}

Json& Json::Add(const char* key, bool value) {
  Key(key);
  text_ += value ? "true" : "false";
  return *this;
}

Json& Json::AddNull(const char* key) {
  Key(key);
  text_ += "null";
  return *this;
}

}  // namespace cli
