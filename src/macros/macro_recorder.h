// Input capture: raw-input-like records of the keyboard and mouse turned into captures
// (left/right modifiers told apart, keypad keys, auto-repeat dropped) and, while a macro is
// being recorded, into event-list entries with their delays.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "store/profile_store.h"

namespace macros {

// What the window hands over for one key or mouse event (the shape of a raw-input message).
inline constexpr int kRawMouse = 0, kRawKeyboard = 1, kRawHid = 2;
// Keyboard messages.
inline constexpr uint32_t kWmKeyDown = 0x0100, kWmKeyUp = 0x0101, kWmSysKeyDown = 0x0104,
                          kWmSysKeyUp = 0x0105;
// Keyboard flags: break code, E0 prefix.
inline constexpr uint16_t kKeyBreak = 0x01, kKeyE0 = 0x02;
// Mouse button flags.
inline constexpr uint16_t kLeftDown = 0x0001, kLeftUp = 0x0002, kRightDown = 0x0004,
                          kRightUp = 0x0008, kMiddleDown = 0x0010, kMiddleUp = 0x0020,
                          kButton4Down = 0x0040, kButton4Up = 0x0080, kButton5Down = 0x0100,
                          kButton5Up = 0x0200, kWheel = 0x0400;
inline constexpr int kWheelStep = 120;

struct RawInputRecord {
  int type = kRawKeyboard;
  // keyboard
  uint16_t make_code = 0;
  uint16_t flags = 0;
  uint16_t vkey = 0;
  uint32_t message = kWmKeyDown;
  // mouse
  uint16_t button_flags = 0;
  int16_t button_data = 0;          // wheel delta, 120 a notch
  bool over_record_button = false;  // the pointer is inside the recording button
};

// kind: 1 mouse, 2 keyboard, 3 other. state: 0 pressed, 1 released, 3 wheel up, 4 wheel down.
struct InputCapture {
  int kind = 0;
  int state = 0;
  int code = 0;
  std::string name;  // empty: nothing usable
  bool operator==(const InputCapture&) const = default;
};

enum class CaptureTarget : int {
  kNone = 0,
  kRecording = 1,
  kKeyField = 10,
  kFireKeyField = 11,
  kEventKeyField = 12,
};

// The virtual keys held down now; a press of a held key is auto-repeat.
class HeldKeySet {
 public:
  // True when the key was not held (a real press).
  bool Press(int code) { return codes_.insert(code).second; }
  void Release(int code) { codes_.erase(code); }
  void Clear() { codes_.clear(); }
  bool Holds(int code) const { return codes_.count(code) != 0; }

 private:
  std::set<int> codes_;
};

// Which physical modifiers are down, to tell which one a generic release means.
inline constexpr uint8_t kModLCtrl = 0x01, kModLShift = 0x02, kModLAlt = 0x04, kModWin = 0x08,
                         kModRCtrl = 0x10, kModRShift = 0x20, kModRAlt = 0x40;

// Whether a key is down right now (the asynchronous key state), and the name the system gives
// a key (scan code with the extended bit 0x100); both supplied by the platform.
using KeyStateFn = std::function<bool(int virtual_key)>;
using KeyNameFn = std::function<std::string(int virtual_key, int scan_code)>;

// A name for every key this program records, for platforms without a key-name service.
std::string DefaultKeyName(int virtual_key, int scan_code);

// Decodes one record. `modifiers` is the tracking byte, kept up to date.
InputCapture DecodeRawInput(const RawInputRecord& record, uint8_t& modifiers,
                            const KeyStateFn& key_down, const KeyNameFn& key_name);

// Milliseconds since the last event, 0 for the first, capped at 31000; `last_ms` becomes
// `now_ms`.
inline constexpr int kMaxMeasuredDelayMs = 31000;
int MeasureDelay(uint64_t now_ms, uint64_t& last_ms);

// A recording in progress: the entries it appends to the page's event list.
class MacroRecorder {
 public:
  struct Settings {
    int delay_mode = 1;       // DelayMode
    int fixed_delay_ms = 10;  // for mode 2
    int limit = 990;
    int first_stamp = 0;  // the tick count at start
  };
  // Why Add stopped the recording.
  enum class Result { kAdded, kDropped, kLimitReached };

  void Start(const Settings& settings);
  // Routes one capture into `list`; kLimitReached when the list reached the limit (the
  // recording must stop and say so).
  Result Add(const InputCapture& capture, bool over_record_button, uint64_t now_ms,
             std::vector<MacroEventRecord>& list);

 private:
  Settings settings_;
  uint64_t last_ms_ = 0;
  int next_stamp_ = 0;
};

// The capture object and what all targets share: the held keys and the modifier byte.
class InputCapturer {
 public:
  InputCapturer(KeyStateFn key_down, KeyNameFn key_name);
  // Creates the capture object for `target`, destroying any previous one.
  void Begin(CaptureTarget target);
  void End() { target_ = CaptureTarget::kNone; }
  CaptureTarget Target() const { return target_; }
  bool Active() const { return target_ != CaptureTarget::kNone; }
  HeldKeySet& HeldKeys() { return held_; }
  uint8_t Modifiers() const { return modifiers_; }

  // Decodes a record and drops auto-repeat, captures without a name and mouse captures for a
  // key field. Without a capture object nothing is decoded: false.
  bool Route(const RawInputRecord& record, InputCapture& out);

 private:
  KeyStateFn key_down_;
  KeyNameFn key_name_;
  CaptureTarget target_ = CaptureTarget::kNone;
  HeldKeySet held_;
  uint8_t modifiers_ = 0;
};

}  // namespace macros
