#include "macros/macro_model.h"

#include <algorithm>
#include <charconv>

#include "log/trace.h"

namespace macros {

std::string DelayText(int ms) { return " -   " + std::to_string(ms) + " ms"; }

std::string PressText(const std::string& name) { return kArrowDown + name; }

std::string ReleaseText(const std::string& name) { return kArrowUp + name; }

std::string MoveText(MacroEventType type, int distance) {
  const char* arrow = kArrowUp;
  switch (type) {
    case MacroEventType::kMoveDown:
      arrow = kArrowDown;
      break;
    case MacroEventType::kMoveLeft:
      arrow = kArrowLeft;
      break;
    case MacroEventType::kMoveRight:
      arrow = kArrowRight;
      break;
    default:
      break;
  }
  return arrow + std::to_string(distance);
}

int EncodeMoveXY(int x, bool left, int y, bool up) {
  x = std::clamp(x, kMinDistance, kMaxDistance);
  y = std::clamp(y, kMinDistance, kMaxDistance);
  return x | (left ? 0x80 : 0) | (y << 8) | (up ? 0x8000 : 0);
}

MoveXY DecodeMoveXY(int value) {
  return {value & 0x7F, (value & 0x80) != 0, (value >> 8) & 0x7F, (value & 0x8000) != 0};
}

std::string MoveXYText(int value) {
  const MoveXY m = DecodeMoveXY(value);
  return std::string(m.left ? kArrowLeft : kArrowRight) + std::to_string(m.x) + "," +
         (m.up ? kArrowUp : kArrowDown) + std::to_string(m.y);
}

int ClampFieldValue(const std::string& text, int lo, int hi) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return lo;
  long long v = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (end == first) return lo;
  // Too many digits: the sign decides which end.
  if (ec == std::errc::result_out_of_range) return *first == '-' ? lo : hi;
  return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

int MaxPlayTimes(int device_type) { return device_type > 200 ? 255 : 999; }

std::string RecordButtonName(int code) {
  switch (code) {
    case kRecordLeft:
      return "LB";
    case kRecordRight:
      return "RB";
    case kRecordMiddle:
      return "MB";
    case kRecordForward:
      return "Forward";
    case kRecordBackward:
      return "Backward";
    default:
      return {};
  }
}

namespace {

MacroEventRecord Entry(MacroEventType type, int value, std::string desc, int stamp) {
  MacroEventRecord r;
  r.type = static_cast<int>(type);
  r.value = value;
  r.desc = std::move(desc);
  r.delay_time = stamp;
  return r;
}

bool InRange(const std::vector<MacroEventRecord>& list, int index) {
  return index >= 0 && static_cast<size_t>(index) < list.size();
}

}  // namespace

int InsertEvents(std::vector<MacroEventRecord>& list, int selected, InsertKind kind, int stamp) {
  const bool has_selection = InRange(list, selected);
  if (kind == InsertKind::kDelay) {
    const int at = has_selection ? selected : static_cast<int>(list.size());
    list.insert(list.begin() + at,
                Entry(MacroEventType::kDelay, kDefaultFixedDelayMs, DelayText(10), stamp));
    return at;
  }
  const bool mouse = kind == InsertKind::kMousePair;
  const std::string name = mouse ? "LB" : "A";
  const int value = mouse ? kRecordLeft : 0x41;
  const MacroEventType down = mouse ? MacroEventType::kMouseDown : MacroEventType::kKeyDown;
  const MacroEventType up = mouse ? MacroEventType::kMouseUp : MacroEventType::kKeyUp;
  const int at = has_selection ? selected + 1 : static_cast<int>(list.size());
  list.insert(list.begin() + at, Entry(down, value, PressText(name), stamp));
  list.insert(list.begin() + at + 1, Entry(up, value, ReleaseText(name), stamp));
  return at;
}

int MoveEventUp(std::vector<MacroEventRecord>& list, int index) {
  if (!InRange(list, index) || index == 0) return index;
  std::swap(list[index], list[index - 1]);
  return index - 1;
}

int MoveEventDown(std::vector<MacroEventRecord>& list, int index) {
  if (!InRange(list, index) || static_cast<size_t>(index) + 1 == list.size()) return index;
  std::swap(list[index], list[index + 1]);
  return index + 1;
}

int MoveEventTop(std::vector<MacroEventRecord>& list, int index) {
  if (!InRange(list, index)) return index;
  std::rotate(list.begin(), list.begin() + index, list.begin() + index + 1);
  return 0;
}

int MoveEventBottom(std::vector<MacroEventRecord>& list, int index) {
  if (!InRange(list, index)) return index;
  std::rotate(list.begin() + index, list.begin() + index + 1, list.end());
  return static_cast<int>(list.size()) - 1;
}

void DeleteEventStamp(std::vector<MacroEventRecord>& list, int index) {
  if (!InRange(list, index)) return;
  const int stamp = list[index].delay_time;
  std::erase_if(list, [stamp](const MacroEventRecord& r) { return r.delay_time == stamp; });
}

bool SaveMacroEvents(ProfileStore& store, int macro_id, const std::vector<MacroEventRecord>& list) {
  std::vector<MacroEventRecord> rows = list;
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].macro_id = macro_id;
    rows[i].record_index = static_cast<int>(i);
  }
  const bool ok = store.ReplaceMacroEvents(macro_id, rows);
  if (!ok) Trace(4, "SaveMacroEvents %d: %zu events not saved", macro_id, rows.size());
  return ok;
}

std::string ShownMacroName(const std::string& stored, const std::string& localised_prefix) {
  static const std::string kChinese = "\u81ea\u5b9a\u4e49";  // 自定义
  static const std::string kEnglish = "Custom";
  if (stored.starts_with(kChinese)) return localised_prefix + stored.substr(kChinese.size());
  if (stored.starts_with(kEnglish)) return localised_prefix + stored.substr(kEnglish.size());
  return stored;
}

}  // namespace macros
