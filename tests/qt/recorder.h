// A toolkit listener that keeps every control notification, in order, for the Qt tests.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/toolkit.h"

namespace qt_test {

class Recorder : public ui::Listener {
 public:
  struct Note {
    int number, code;
    int64_t value;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> notes;
  void OnControlNotify(int number, int code, int64_t value) override {
    notes.push_back({number, code, value});
  }
  void OnMessage(int, int64_t, int64_t) override {}
};

}  // namespace qt_test
