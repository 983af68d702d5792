#pragma once
// The texts and display category of one event-list row, made once when the
// row is built so that painting formats nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "project/records.h"

namespace tesmiro::EventListModule {

// Display categories: an index into the 25 colour sets of the event list.
// 0 to 14 are the action kinds; the rest follow.
enum EventColorCategory : int16_t {
  kCategoryNone = -1,  // window text on window background, normal weight
  kCategoryLabel = 0,
  kCategoryScript = 13,
  kCategoryRollback = 14,
  kCategoryRasterImage = 15,
  kCategorySound = 16,
  kCategoryText = 17,
  kCategorySprite = 18,
  kCategoryVectorImage = 19,
  kCategoryVideo = 20,
  kCategoryUnknownMaterial = 21,
  kCategoryScriptedSprite = 22,
  kCategoryButton = 23,
  kCategoryMask = 24,
};
inline constexpr int kEventColorCategoryCount = 25;

// The texts of one row, in column order. The start-frame text is kept with
// the row (it depends on the rows above, not on the event).
struct EventRowText {
  std::string count;   // frame count right-aligned in 4, or empty
  std::string kind;    // kind, for materials followed by three mark characters
  std::string id;      // " " and four digits, or an action's sub-kind
  std::string depth;   // right-aligned in 4, or empty
  std::string detail;  // the event's parameters in words
  // Whose colour set paints the row (its colours and whether the detail
  // column is bold); resolved when painting, so a change of the colour
  // table needs no rebuild.
  int16_t category = kCategoryNone;
  int32_t icon = 0;  // cell 1..8 of the icon strip (the material kind); 0 none
};

inline constexpr std::string_view kEndRowKindText = "────";
inline constexpr std::string_view kLabelKindText = "ﾗﾍﾞﾙ";

// The texts and category of one event (the material looked up in the store).
EventRowText FormatEventRow(const EventRecord& event);

// The texts of row r of the event list (0 <= r < row count), formatted from
// its working event on first use.
const EventRowText& RowText(int32_t row);

// The category of an event's row, as FormatEventRow decides it.
int16_t EventRowCategory(const EventRecord& event);

// The last n characters of a UTF-8 text padded on the left with blanks to n
// (longer texts lose their leading characters).
std::string RightChars(std::string_view text, size_t n);

}  // namespace tesmiro::EventListModule
