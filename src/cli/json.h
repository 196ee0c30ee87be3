// A small JSON writer for the read commands' --json output.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

class Json {
 public:
  Json& BeginObject(const char* key = nullptr) { return Open(key, '{'); }
  Json& EndObject() { return Close('}'); }
  Json& BeginArray(const char* key = nullptr) { return Open(key, '['); }
  Json& EndArray() { return Close(']'); }
  Json& Add(const char* key, const std::string& value);
  Json& Add(const char* key, const char* value) { return Add(key, std::string(value)); }
  Json& Add(const char* key, int64_t value);
  Json& Add(const char* key, int value) { return Add(key, static_cast<int64_t>(value)); }
  Json& Add(const char* key, bool value);
  Json& AddNull(const char* key);
  // The text with a final newline.
  std::string Text() const { return text_ + "\n"; }

  static std::string Quote(const std::string& text);

 private:
  Json& Open(const char* key, char bracket);
  Json& Close(char bracket);
  void Key(const char* key);

  std::string text_;
  bool first_ = true;
};

}  // namespace cli
