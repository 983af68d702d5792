#pragma once
// The display colours of the event list: one text colour, back colour and
// bold flag for each of the 25 kinds of row. Colours are 0x00BBGGRR, or a
// system colour 0x800000nn that the window's palette decides.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tesmiro {

struct EventColorSet {
  uint32_t textColor = 0;
  uint32_t backColor = 0;
  int16_t bold = 0;  // 1: the detail column in bold
};

// Indexes of the colour table. 0 to 14 are the action kinds.
enum EventColorCategory : int32_t {
  kColorLabel = 0,
  kColorScript = 13,
  kColorRollback = 14,
  kColorRasterImage = 15,
  kColorSound = 16,
  kColorText = 17,
  kColorSprite = 18,
  kColorVectorImage = 19,
  kColorVideo = 20,
  kColorUnknownKind = 21,
  kColorSpriteWithScript = 22,
  kColorButton = 23,
  kColorMask = 24,
};
inline constexpr int kEventColorCount = 25;

inline constexpr uint32_t kSystemColorFlag = 0x80000000u;
inline constexpr uint32_t kSysWindowBackground = kSystemColorFlag | 5;
inline constexpr uint32_t kSysWindowText = kSystemColorFlag | 8;
inline constexpr uint32_t kSysHighlight = kSystemColorFlag | 13;
inline constexpr uint32_t kSysHighlightText = kSystemColorFlag | 14;
inline constexpr uint32_t kSysButtonFace = kSystemColorFlag | 15;
inline constexpr uint32_t kSysHighlightEdge = kSystemColorFlag | 20;
inline constexpr uint32_t kSysDarkShadow = kSystemColorFlag | 21;

namespace EventListModule {

using EventColorTable = std::array<EventColorSet, kEventColorCount>;

// The live table, indexed by EventColorCategory.
EventColorTable& EventColors();
EventColorTable DefaultDisplayColors();
void ResetDisplayColors();

// A system colour (top byte 0x80) becomes the colour the window system
// gives for its index; any other value comes back unchanged.
uint32_t TranslateColor(uint32_t colour);

// The window layer tells the core its palette: index -> 0x00BBGGRR. Without
// one, the classic desktop colours answer.
using SystemColorFunction = std::function<uint32_t(int32_t index)>;
uint32_t ClassicSystemColor(int32_t index);

// Installs a palette for its lifetime; the previous one comes back after.
class ScopedSystemColors {
 public:
  explicit ScopedSystemColors(SystemColorFunction f);
  ~ScopedSystemColors();
  ScopedSystemColors(const ScopedSystemColors&) = delete;
  ScopedSystemColors& operator=(const ScopedSystemColors&) = delete;

 private:
  SystemColorFunction previous_;
};

// The settings-file form: text colour and back colour as 8 upper-case hex
// digits each, then the bold flag as a number ("80000008800000050").
std::string FormatColorSet(const EventColorSet& set);
// Reads that form over `set`. An empty text leaves `set` alone; a short one
// gives zero for the missing fields.
void ParseColorSet(std::string_view text, EventColorSet& set);

}  // namespace EventListModule
}  // namespace tesmiro
