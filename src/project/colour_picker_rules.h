#pragma once
// The colour picker's rules: its value boxes, its hexadecimal box and the
// palette of 216 colours it offers, kept apart from the window.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tesmiro::ColourRules {

// A value box's text: the slider value, or nullopt outside 0..255.
std::optional<int32_t> ChannelValue(const std::string& text);

// "#" and the red, green and blue values as two upper-case hexadecimal
// digits each.
std::string HexText(int32_t red, int32_t green, int32_t blue);
// Red, green and blue of a hexadecimal box's text: seven characters after a
// "#", or six without one; a pair reads as far as it is hexadecimal. nullopt
// for any other length.
std::optional<std::array<int32_t, 3>> ParseHexText(const std::string& text);

// The palette picture: 18 x 12 cells of 8 x 11 pixels with one-pixel black
// lines between them.
inline constexpr int kPaletteWidth = 145;
inline constexpr int kPaletteHeight = 133;
inline constexpr int kCellWidth = 8;
inline constexpr int kCellHeight = 11;
// The picture's colour (0x00BBGGRR) at a pixel: a cell's colour, or black on
// the grid lines.
uint32_t PaletteColourAt(int x, int y);
// What a click on the palette picks: the cell's colour; nullopt on a grid
// line or outside the picture.
std::optional<uint32_t> PaletteClick(int x, int y);

}  // namespace tesmiro::ColourRules
