// The colour picker's value boxes, hexadecimal box and palette.
#include <gtest/gtest.h>

#include "project/colour_picker_rules.h"

namespace tesmiro {
namespace {

using namespace ColourRules;

TEST(ColourPickerRules, ValueBoxesTakeOnlyChannelValues) {
  EXPECT_EQ(ChannelValue("200"), 200);
  EXPECT_EQ(ChannelValue("0"), 0);
  EXPECT_EQ(ChannelValue("255"), 255);
  EXPECT_FALSE(ChannelValue("999"));
  EXPECT_FALSE(ChannelValue("256"));
  EXPECT_FALSE(ChannelValue("-1"));
  EXPECT_EQ(ChannelValue(""), 0);  // an emptied box reads as 0, as Val does
}

TEST(ColourPickerRules, HexBoxNeedsSixDigitsWithOrWithoutHash) {
  EXPECT_EQ(ParseHexText("#00ff80"), (std::array<int32_t, 3>{0, 255, 128}));
  EXPECT_EQ(ParseHexText("00FF80"), (std::array<int32_t, 3>{0, 255, 128}));
  EXPECT_FALSE(ParseHexText("#00FF8"));
  EXPECT_FALSE(ParseHexText("#00FF800"));
  EXPECT_FALSE(ParseHexText(""));
  // A pair reads up to its first character that is not hexadecimal.
  EXPECT_EQ(ParseHexText("#1g0zff"), (std::array<int32_t, 3>{1, 0, 255}));
  // Characters, not bytes, are counted.
  EXPECT_EQ(ParseHexText("#ああ00ff"), (std::array<int32_t, 3>{0, 0, 255}));
  EXPECT_EQ(HexText(0, 255, 128), "#00FF80");
  EXPECT_EQ(HexText(10, 11, 12), "#0A0B0C");
}

TEST(ColourPickerRules, PaletteCellsAndGridLines) {
  EXPECT_EQ(PaletteClick(1, 1), 0xFFFFFFu);  // top-left cell white
  EXPECT_EQ(PaletteClick(kPaletteWidth - 2, kPaletteHeight - 2), 0x000000u);  // bottom-right black
  // Column 5 of the first row: blue falls by 51 per column.
  EXPECT_EQ(PaletteClick(5 * 8 + 3, 5), 0x00FFFFu);
  // Column 6: red falls (next block), blue back at 255.
  EXPECT_EQ(PaletteClick(6 * 8 + 3, 5), 0xFFFFCCu);
  // Row 6: red falls by three blocks, green back at 255.
  EXPECT_EQ(PaletteClick(1, 6 * 11 + 1), 0xFFFF66u);
  EXPECT_FALSE(PaletteClick(8, 5));
  EXPECT_FALSE(PaletteClick(3, 11));
  EXPECT_FALSE(PaletteClick(0, 0));
  EXPECT_FALSE(PaletteClick(kPaletteWidth, 5));
  EXPECT_EQ(PaletteColourAt(8, 5), 0u);
}

}  // namespace
}  // namespace tesmiro
