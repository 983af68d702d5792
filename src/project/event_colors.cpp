#include "project/event_colors.h"

#include <cstdio>

#include "platform/numeric.h"

namespace tesmiro::EventListModule {
namespace {

EventColorTable gColors = DefaultDisplayColors();
SystemColorFunction gSystemColors;

// The characters from 1-based position `from`, at most `count` of them.
std::string_view Mid(std::string_view s, size_t from, size_t count) {
  if (from - 1 >= s.size()) return {};
  return s.substr(from - 1, count);
}

uint32_t HexField(std::string_view digits) {
  const double v = num::Val("&H" + std::string(digits));
  // Values of eight digits from 8 up are the system colours (negative as
  // signed numbers); keep the bit pattern either way.
  return static_cast<uint32_t>(static_cast<int64_t>(v) & 0xFFFFFFFF);
}

}  // namespace

EventColorTable& EventColors() { return gColors; }

EventColorTable DefaultDisplayColors() {
  EventColorTable t;
  t.fill(EventColorSet{kSysWindowText, kSysWindowBackground, 0});
  t[kColorLabel] = {kSysWindowText, 0xDFDFFF, 1};
  t[kColorScript] = {kSysWindowText, 0xDFFFDF, 1};
  t[kColorUnknownKind] = {0xFFFFFF, 0x0000DF, 0};
  t[kColorSpriteWithScript] = {kSysWindowText, 0xDFFFDF, 0};
  t[kColorButton] = {kSysWindowText, 0xDFFFDF, 0};
  return t;
}

void ResetDisplayColors() { gColors = DefaultDisplayColors(); }

uint32_t ClassicSystemColor(int32_t index) {
  switch (index) {
    case 5: return 0xFFFFFF;    // window background
    case 8: return 0x000000;    // window text
    case 13: return 0x6A240A;   // highlight
    case 14: return 0xFFFFFF;   // highlight text
    case 15: return 0xC8D0D4;   // button face
    case 20: return 0xFFFFFF;   // highlight edge
    case 21: return 0x404040;   // dark shadow
    default: return 0;
  }
}

uint32_t TranslateColor(uint32_t colour) {
  if ((colour & 0xFF000000u) != kSystemColorFlag) return colour;
  const auto index = static_cast<int32_t>(colour & 0x00FFFFFFu);
  return (gSystemColors ? gSystemColors(index) : ClassicSystemColor(index)) & 0x00FFFFFFu;
}

ScopedSystemColors::ScopedSystemColors(SystemColorFunction f) : previous_(std::move(gSystemColors)) {
  gSystemColors = std::move(f);
}

ScopedSystemColors::~ScopedSystemColors() { gSystemColors = std::move(previous_); }

std::string FormatColorSet(const EventColorSet& set) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X%08X%d", static_cast<unsigned>(set.textColor),
                static_cast<unsigned>(set.backColor), static_cast<int>(set.bold));
  return buf;
}

void ParseColorSet(std::string_view text, EventColorSet& set) {
  if (text.empty()) return;
  set.textColor = HexField(Mid(text, 1, 8));
  set.backColor = HexField(Mid(text, 9, 8));
  set.bold = num::RoundToInt16(num::Val(Mid(text, 17, 1)));
}

}  // namespace tesmiro::EventListModule
