#pragma once
// The texts and display category of one event-list row, made once when the
// row is built so that painting formats nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "project/event_colors.h"
#include "project/records.h"

namespace tesmiro::EventListModule {

// A row painted in window text on window background, in normal weight
// (the end row, actions of unknown kind): no entry of the colour table.
inline constexpr int16_t kNoColorCategory = -1;

// The texts of one row, in column order. The start-frame text is kept with
// the row (it depends on the rows above, not on the event).
struct EventRowText {
  std::string count;   // frame count right-aligned in 4, or empty
  std::string kind;    // kind, for materials followed by three mark characters
  std::string id;      // " " and four digits, or an action's sub-kind
  std::string depth;   // right-aligned in 4, or empty
  std::string detail;  // the event's parameters in words
  // The EventColorCategory whose colour set paints the row (its colours and
  // whether the detail column is bold); resolved when painting, so a change
  // of the colour table needs no rebuild.
  int16_t category = kNoColorCategory;
  int32_t icon = 0;  // cell 1..8 of the icon strip (the material kind); 0 none
};

// Where a row keeps its texts once made. Rows move when events are inserted
// or deleted above them; the texts move with a pointer, so a long list
// shifts as fast as it did without them. Copies copy the texts.
class RowTextSlot {
 public:
  RowTextSlot() = default;
  RowTextSlot(const RowTextSlot& other) { *this = other; }
  RowTextSlot& operator=(const RowTextSlot& other) {
    if (this != &other) text_ = other.text_ ? std::make_unique<EventRowText>(*other.text_) : nullptr;
    return *this;
  }
  RowTextSlot(RowTextSlot&&) noexcept = default;
  RowTextSlot& operator=(RowTextSlot&&) noexcept = default;

  bool ready() const { return text_ != nullptr; }
  const EventRowText& get() const { return *text_; }
  void set(EventRowText text) { text_ = std::make_unique<EventRowText>(std::move(text)); }
  void reset() { text_.reset(); }

 private:
  std::unique_ptr<EventRowText> text_;
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
