#include "project/event_colors.h"

#include <gtest/gtest.h>

namespace tesmiro {
namespace {

using namespace EventListModule;

TEST(EventColors, DefaultsOfTheDisplayCategories) {
  EventColors()[3] = {1, 2, 1};
  ResetDisplayColors();
  const auto& c = EventColors();
  EXPECT_EQ(c[3].textColor, kSysWindowText);
  EXPECT_EQ(c[3].backColor, kSysWindowBackground);
  EXPECT_EQ(c[kColorLabel].backColor, 0xDFDFFFu);
  EXPECT_EQ(c[kColorLabel].bold, 1);
  EXPECT_EQ(c[kColorScript].backColor, 0xDFFFDFu);
  EXPECT_EQ(c[kColorScript].bold, 1);
  EXPECT_EQ(c[kColorUnknownKind].textColor, 0xFFFFFFu);
  EXPECT_EQ(c[kColorUnknownKind].backColor, 0x0000DFu);
  EXPECT_EQ(c[kColorSpriteWithScript].backColor, 0xDFFFDFu);
  EXPECT_EQ(c[kColorSpriteWithScript].bold, 0);
  EXPECT_EQ(c[kColorButton].backColor, 0xDFFFDFu);
  EXPECT_EQ(c[kColorMask].backColor, kSysWindowBackground);
}

TEST(EventColors, SystemColoursComeFromTheInstalledPalette) {
  EXPECT_EQ(TranslateColor(0x123456), 0x123456u);
  EXPECT_EQ(TranslateColor(kSysWindowBackground), 0xFFFFFFu);
  EXPECT_EQ(TranslateColor(kSysWindowText), 0u);
  {
    ScopedSystemColors dark([](int32_t i) { return i == 5 ? 0x202020u : 0xEEEEEEu; });
    EXPECT_EQ(TranslateColor(kSysWindowBackground), 0x202020u);
    EXPECT_EQ(TranslateColor(kSysWindowText), 0xEEEEEEu);
    // Other top bytes are not system colours.
    EXPECT_EQ(TranslateColor(0x40000005), 0x40000005u);
  }
  EXPECT_EQ(TranslateColor(kSysWindowBackground), 0xFFFFFFu);
}

TEST(EventColors, SettingsFileFormRoundTrips) {
  EventColorSet s{0x000000FF, 0x0000FFFF, 1};
  EXPECT_EQ(FormatColorSet(s), "000000FF0000FFFF1");
  EXPECT_EQ(FormatColorSet({kSysWindowText, kSysWindowBackground, 0}), "80000008800000050");
  EventColorSet back{};
  ParseColorSet("80000008800000050", back);
  EXPECT_EQ(back.textColor, kSysWindowText);
  EXPECT_EQ(back.backColor, kSysWindowBackground);
  EXPECT_EQ(back.bold, 0);
  EventColorSet kept{7, 8, 1};
  ParseColorSet("", kept);
  EXPECT_EQ(kept.textColor, 7u);
  EXPECT_EQ(kept.bold, 1);
  ParseColorSet("zz", kept);
  EXPECT_EQ(kept.textColor, 0u);
  EXPECT_EQ(kept.backColor, 0u);
  EXPECT_EQ(kept.bold, 0);
}

}  // namespace
}  // namespace tesmiro
