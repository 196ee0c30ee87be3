// Macros: the codes of their records, the texts the event list shows, the limits, and the
// editing operations of the event list. Macros belong to the database, not to a profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/profile_store.h"

namespace macros {

// play_type of a macro.
enum class PlayMode : int { kCount = 0, kHold = 1, kToggle = 2, kOnce = 3 };
// delay_type of a macro: what recording puts between events.
enum class DelayMode : int { kNone = 0, kRecorded = 1, kFixed = 2 };

enum class MacroEventType : int {
  kDelay = 1,
  kKeyDown = 2,
  kKeyUp = 3,
  kMouseDown = 4,
  kMouseUp = 5,
  kWheelUp = 6,
  kWheelDown = 7,
  kMoveUp = 8,
  kMoveDown = 9,
  kMoveLeft = 10,
  kMoveRight = 11,
  kMoveXY = 12,
};

inline constexpr int kMaxRecordedEvents = 990;   // MAX_RECORDED_EVENTS
inline constexpr int kStartupEventLimit = 5000;  // by hand, until the first recording starts
inline constexpr int kMinDelayMs = 1;
inline constexpr int kMaxDelayMs = 10000;
inline constexpr int kMinDistance = 1;
inline constexpr int kMaxDistance = 127;
inline constexpr int kDefaultFixedDelayMs = 10;

// Mouse-button codes of recording.
inline constexpr int kRecordLeft = 1, kRecordRight = 2, kRecordMiddle = 4, kRecordForward = 8,
                     kRecordBackward = 16;
// Mouse-button codes the event editor stores (Forward and Backward swapped).
inline constexpr int kEditLeft = 1, kEditRight = 2, kEditMiddle = 4, kEditForward = 16,
                     kEditBackward = 8;

inline constexpr const char* kScrollUp = "Scroll Up";
inline constexpr const char* kScrollDown = "Scroll Down";
inline constexpr int kWheelUpValue = 1;
inline constexpr int kWheelDownValue = 255;

// The arrows and their two blanks that start a shown event text.
inline constexpr const char* kArrowUp = "\u2191  ";
inline constexpr const char* kArrowDown = "\u2193  ";
inline constexpr const char* kArrowLeft = "\u2190  ";
inline constexpr const char* kArrowRight = "\u2192  ";

// " -   %d ms"
std::string DelayText(int ms);
// "↓  name" / "↑  name"
std::string PressText(const std::string& name);
std::string ReleaseText(const std::string& name);
// The text of a move event of type 8..11 with its distance, "↑  5" and the like.
std::string MoveText(MacroEventType type, int distance);
// MoveXY value: bits 0..6 x, bit 7 to the left, bits 8..14 y, bit 15 upwards. Distances are
// clamped to 1..127.
int EncodeMoveXY(int x, bool left, int y, bool up);
struct MoveXY {
  int x = 0;
  bool left = false;
  int y = 0;
  bool up = false;
};
MoveXY DecodeMoveXY(int value);
// "→  5,↓  3" and the like.
std::string MoveXYText(int value);

// Edit-field text to a number clamped to [lo, hi]; empty or non-numeric text gives lo.
int ClampFieldValue(const std::string& text, int lo, int hi);
// The largest play count for a model: 999 up to device type 200, 255 above.
int MaxPlayTimes(int device_type);

// The mouse-button name shown for a recording code (1 "LB" ... 16 "Backward"), empty if none.
std::string RecordButtonName(int code);

// --- the event list of the page, edited in memory and saved as a whole ---

// Which pair the insert menu adds.
enum class InsertKind { kMousePair, kKeyPair, kDelay };

// Inserts per the insert menu: a pair goes right after `selected` (appended with -1), both
// halves sharing `stamp`; a delay of 10 ms goes at `selected` (or is appended) with `stamp`.
// Returns the index of the first inserted entry.
int InsertEvents(std::vector<MacroEventRecord>& list, int selected, InsertKind kind, int stamp);
// Moves entry `index` one place up or down, or to the top or bottom. Returns its new index
// (unchanged when it cannot move or is out of range).
int MoveEventUp(std::vector<MacroEventRecord>& list, int index);
int MoveEventDown(std::vector<MacroEventRecord>& list, int index);
int MoveEventTop(std::vector<MacroEventRecord>& list, int index);
int MoveEventBottom(std::vector<MacroEventRecord>& list, int index);
// Removes every entry with the time stamp of entry `index` (both halves of a pair).
void DeleteEventStamp(std::vector<MacroEventRecord>& list, int index);

// Saves the list as the macro's events: record_index = position, in one transaction.
bool SaveMacroEvents(ProfileStore& store, int macro_id, const std::vector<MacroEventRecord>& list);

// The name the macro list shows: a stored name beginning with "自定义" or "Custom" gets
// `localised_prefix` (language text 351) in place of that prefix.
std::string ShownMacroName(const std::string& stored, const std::string& localised_prefix);

}  // namespace macros
