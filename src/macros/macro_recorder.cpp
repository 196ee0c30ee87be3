#include "macros/macro_recorder.h"

#include <map>

#include "macros/macro_model.h"

namespace macros {

std::string DefaultKeyName(int vk, int /*scan_code*/) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
  // Appended rather than "F" + ...: GCC 12 warns falsely (-Wrestrict) on the literal + string.
  if (vk >= 0x70 && vk <= 0x87) return std::string("F").append(std::to_string(vk - 0x6F));
  if (vk >= 0x60 && vk <= 0x69) return std::string("Num ").append(std::to_string(vk - 0x60));
  static const std::map<int, std::string> kNames = {
      {0x08, "Backspace"}, {0x09, "Tab"},   {0x0C, "Clear"}, {0x0D, "Enter"},
      {0x14, "Caps Lock"}, {0x1B, "Esc"},   {0x20, "Space"}, {0x21, "Page Up"},
      {0x22, "Page Down"}, {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
      {0x26, "Up"},        {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Insert"},
      {0x2E, "Delete"},    {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"},
      {0x6E, "Num Del"},   {0x6F, "Num /"}, {0x91, "Scrlk"}, {0xBA, ";"},
      {0xBB, "="},         {0xBC, ","},     {0xBD, "-"},     {0xBE, "."},
      {0xBF, "/"},         {0xC0, "`"},     {0xDB, "["},     {0xDC, "\\"},
      {0xDD, "]"},         {0xDE, "'"},     {0xE2, "\\"},
  };
  auto it = kNames.find(vk);
  return it == kNames.end() ? std::string() : it->second;
}

namespace {

void Set(uint8_t& m, uint8_t bit) { m = static_cast<uint8_t>(m | bit); }
void Clear(uint8_t& m, uint8_t bit) { m = static_cast<uint8_t>(m & ~bit); }

// The bit of a left/right modifier code 0xA0..0xA5.
uint8_t SideBit(int code) {
  switch (code) {
    case 0xA0:
      return kModLShift;
    case 0xA1:
      return kModRShift;
    case 0xA2:
      return kModLCtrl;
    case 0xA3:
      return kModRCtrl;
    case 0xA4:
      return kModLAlt;
    case 0xA5:
      return kModRAlt;
    default:
      return 0;
  }
}

// Generic Shift, Ctrl or Alt on a press: the side that is down.
int ResolvePress(int generic, int left, int right, uint8_t left_bit, uint8_t right_bit, uint8_t& m,
                 const KeyStateFn& down) {
  if (down(left)) {
    Set(m, left_bit);
    return left;
  }
  if (down(right)) {
    Set(m, right_bit);
    return right;
  }
  return generic;
}

// ... on a release: the left one if it was down and is up now, else the right one.
int ResolveRelease(int left, int right, uint8_t left_bit, uint8_t right_bit, uint8_t& m,
                   const KeyStateFn& down) {
  if ((m & left_bit) && !down(left)) {
    Clear(m, left_bit);
    return left;
  }
  Clear(m, right_bit);
  return right;
}

std::string FixedName(int code) {
  switch (code) {
    case 0x13:
      return "Pause";
    case 0x2C:
      return "Print Screen";
    case 0x5B:
      return "Windows";
    case 0x5C:
      return "RWindows";
    case 0x5D:
      return "Application";
    case 0x90:
      return "Num Lock";
    case 0xA0:
      return "Shift";
    case 0xA1:
      return "RShift";
    case 0xA2:
      return "Ctrl";
    case 0xA3:
      return "RCtrl";
    case 0xA4:
      return "Alt";
    case 0xA5:
      return "RAlt";
    default:
      return {};
  }
}

InputCapture DecodeKeyboard(const RawInputRecord& r, uint8_t& m, const KeyStateFn& key_down,
                            const KeyNameFn& key_name) {
  const KeyStateFn down = key_down ? key_down : [](int) { return false; };
  InputCapture c;
  c.kind = 2;
  int code = r.vkey;
  const bool press = r.message == kWmKeyDown || r.message == kWmSysKeyDown;
  const bool release = r.message == kWmKeyUp || r.message == kWmSysKeyUp;
  c.state = release ? 1 : 0;
  if (press) {
    switch (code) {
      case 0x10:
        code = ResolvePress(code, 0xA0, 0xA1, kModLShift, kModRShift, m, down);
        break;
      case 0x11:
        code = ResolvePress(code, 0xA2, 0xA3, kModLCtrl, kModRCtrl, m, down);
        break;
      case 0x12:
        code = ResolvePress(code, 0xA4, 0xA5, kModLAlt, kModRAlt, m, down);
        break;
      case 0x5B:
        if (!down(0x5B) && down(0x5C)) code = 0x5C;
        Set(m, kModWin);
        break;
      case 0x5C:
        Set(m, kModWin);
        break;
      default:
        Set(m, SideBit(code));
        break;
    }
  } else if (release) {
    switch (code) {
      case 0x10:
        code = ResolveRelease(0xA0, 0xA1, kModLShift, kModRShift, m, down);
        break;
      case 0x11:
        code = ResolveRelease(0xA2, 0xA3, kModLCtrl, kModRCtrl, m, down);
        break;
      case 0x12:
        code = ResolveRelease(0xA4, 0xA5, kModLAlt, kModRAlt, m, down);
        break;
      case 0x5B:
        code = ((m & kModWin) && !down(0x5B)) ? 0x5B : 0x5C;
        Clear(m, kModWin);
        break;
      case 0x5C:
        Clear(m, kModWin);
        break;
      default:
        Clear(m, SideBit(code));
        break;
    }
  }

  // The name: the system's, with the extended bit for the navigation block.
  int scan = r.make_code;
  if (code >= 0x21 && code <= 0x2E && !(code >= 0x29 && code <= 0x2C)) scan |= 0x100;
  c.name = FixedName(code);
  if (c.name.empty()) c.name = key_name ? key_name(code, scan) : DefaultKeyName(code, scan);

  // The keypad keys without E0 prefix are the keypad's, whatever Num Lock makes of them.
  if (r.flags < kKeyE0) {
    static const std::map<int, int> kKeypad = {
        {0x0C, 0x65}, {0x21, 0x69}, {0x22, 0x63}, {0x23, 0x61}, {0x24, 0x67}, {0x25, 0x64},
        {0x26, 0x68}, {0x27, 0x66}, {0x28, 0x62}, {0x2D, 0x60}, {0x2E, 0x6E},
    };
    auto it = kKeypad.find(code);
    if (it != kKeypad.end()) code = it->second;
  }
  if (code == 0x0D && r.flags > 1) {
    code = 0x6C;
    c.name = "Num Enter";
  }
  if (code == 0xFF && r.make_code == 0x7D) {
    code = 0x89;
    c.name = "\uFFE5";  // ￥
  }
  c.code = code;
  return c;
}

InputCapture DecodeMouse(const RawInputRecord& r) {
  InputCapture c;
  c.kind = 1;
  struct Flag {
    uint16_t flag;
    int code;
    int state;
  };
  static constexpr Flag kFlags[] = {
      {kLeftDown, kRecordLeft, 0},        {kMiddleDown, kRecordMiddle, 0},
      {kRightDown, kRecordRight, 0},      {kLeftUp, kRecordLeft, 1},
      {kMiddleUp, kRecordMiddle, 1},      {kRightUp, kRecordRight, 1},
      {kButton4Down, kRecordBackward, 0}, {kButton4Up, kRecordBackward, 1},
      {kButton5Down, kRecordForward, 0},  {kButton5Up, kRecordForward, 1},
  };
  for (const Flag& f : kFlags) {
    if (r.button_flags & f.flag) {
      c.code = f.code;
      c.state = f.state;
      c.name = RecordButtonName(f.code);
      break;
    }
  }
  // The sign of the delta gives the direction, so a high-resolution or multi-notch step is
  // never recorded the wrong way round; a zero delta is no step.
  if ((r.button_flags & kWheel) && r.button_data != 0) {
    const bool up = r.button_data > 0;
    c.name = up ? kScrollUp : kScrollDown;
    c.code = up ? kWheelUpValue : kWheelDownValue;
    c.state = up ? 3 : 4;
  }
  return c;
}

}  // namespace

InputCapture DecodeRawInput(const RawInputRecord& record, uint8_t& modifiers,
                            const KeyStateFn& key_down, const KeyNameFn& key_name) {
  if (record.type == kRawKeyboard) return DecodeKeyboard(record, modifiers, key_down, key_name);
  if (record.type == kRawMouse) return DecodeMouse(record);
  InputCapture other;
  other.kind = 3;
  return other;
}

int MeasureDelay(uint64_t now_ms, uint64_t& last_ms) {
  int result = 0;
  if (last_ms != 0) {
    const uint64_t elapsed = now_ms > last_ms ? now_ms - last_ms : 0;
    result = elapsed > static_cast<uint64_t>(kMaxMeasuredDelayMs) ? kMaxMeasuredDelayMs
                                                                  : static_cast<int>(elapsed);
  }
  last_ms = now_ms;
  return result;
}

void MacroRecorder::Start(const Settings& settings) {
  settings_ = settings;
  last_ms_ = 0;
  next_stamp_ = settings.first_stamp;
}

MacroRecorder::Result MacroRecorder::Add(const InputCapture& c, bool over_record_button,
                                         uint64_t now_ms, std::vector<MacroEventRecord>& list) {
  if (c.name.empty()) return Result::kDropped;
  // The click that stops the recording is not part of it.
  if (c.kind == 1 && over_record_button) return Result::kDropped;
  MacroEventType type;
  if (c.kind == 1) {
    static constexpr MacroEventType kByState[] = {
        MacroEventType::kMouseDown, MacroEventType::kMouseUp, MacroEventType::kDelay,
        MacroEventType::kWheelUp, MacroEventType::kWheelDown};
    if (c.state < 0 || c.state > 4 || c.state == 2) return Result::kDropped;
    type = kByState[c.state];
  } else if (c.kind == 2) {
    type = c.state == 0 ? MacroEventType::kKeyDown : MacroEventType::kKeyUp;
  } else {
    return Result::kDropped;
  }

  int delay = 0;
  if (settings_.delay_mode == static_cast<int>(DelayMode::kRecorded)) {
    delay = MeasureDelay(now_ms, last_ms_);
  } else if (settings_.delay_mode == static_cast<int>(DelayMode::kFixed)) {
    delay = settings_.fixed_delay_ms;
  }
  const auto full = [&] { return static_cast<int>(list.size()) >= settings_.limit; };
  if (delay != 0 && !list.empty()) {
    MacroEventRecord d;
    d.type = static_cast<int>(MacroEventType::kDelay);
    d.value = delay;
    d.desc = DelayText(delay);
    d.delay_time = ++next_stamp_;
    list.push_back(d);
    if (full()) return Result::kLimitReached;
  }
  if (full()) return Result::kLimitReached;

  MacroEventRecord e;
  e.type = static_cast<int>(type);
  e.value = c.code;
  switch (type) {
    case MacroEventType::kKeyDown:
    case MacroEventType::kMouseDown:
      e.desc = PressText(c.name);
      break;
    case MacroEventType::kKeyUp:
    case MacroEventType::kMouseUp:
      e.desc = ReleaseText(c.name);
      break;
    default:
      e.desc = c.name;
      break;
  }
  e.delay_time = ++next_stamp_;
  list.push_back(e);
  return full() ? Result::kLimitReached : Result::kAdded;
}

InputCapturer::InputCapturer(KeyStateFn key_down, KeyNameFn key_name)
    : key_down_(std::move(key_down)), key_name_(std::move(key_name)) {}

void InputCapturer::Begin(CaptureTarget target) {
  End();
  target_ = target;
}

bool InputCapturer::Route(const RawInputRecord& record, InputCapture& out) {
  if (!Active()) return false;
  InputCapture c = DecodeRawInput(record, modifiers_, key_down_, key_name_);
  if (c.kind == 2) {
    if (c.state == 0) {
      if (!held_.Press(c.code)) c.name.clear();  // auto-repeat
    } else {
      held_.Release(c.code);
    }
  }
  if (c.name.empty()) return false;
  if (c.kind == 1 && target_ != CaptureTarget::kRecording) return false;
  if (c.kind == 3) return false;
  out = std::move(c);
  return true;
}

}  // namespace macros
