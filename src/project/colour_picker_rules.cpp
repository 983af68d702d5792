#include "project/colour_picker_rules.h"

#include <cstdio>
#include <vector>

#include "platform/numeric.h"

namespace tesmiro::ColourRules {
namespace {

// The text's characters (UTF-8 sequences), for counting and cutting them.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    chars.push_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

uint32_t Bgr(int32_t r, int32_t g, int32_t b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

}  // namespace

std::optional<int32_t> ChannelValue(const std::string& text) {
  const double v = num::RoundHalfEven(num::Val(text));
  if (!(v >= 0 && v <= 255)) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::string HexText(int32_t red, int32_t green, int32_t blue) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", red & 255, green & 255, blue & 255);
  return buffer;
}

std::optional<std::array<int32_t, 3>> ParseHexText(const std::string& text) {
  std::vector<std::string> chars = Characters(text);
  const bool hash = !chars.empty() && chars[0] == "#";
  if (!(hash ? chars.size() == 7 : chars.size() == 6)) return std::nullopt;
  const size_t first = hash ? 1 : 0;
  std::array<int32_t, 3> rgb{};
  for (size_t k = 0; k < 3; ++k) {
    rgb[k] = static_cast<int32_t>(num::Val("&H" + chars[first + 2 * k] + chars[first + 2 * k + 1])) & 255;
  }
  return rgb;
}

uint32_t PaletteColourAt(int x, int y) {
  if (x % kCellWidth == 0 || y % kCellHeight == 0) return 0;
  const int c = x / kCellWidth, r = y / kCellHeight;
  return Bgr(255 - 51 * (c / 6 + 3 * (r / 6)), 255 - 51 * (r % 6), 255 - 51 * (c % 6));
}

std::optional<uint32_t> PaletteClick(int x, int y) {
  if (x < 0 || y < 0 || x >= kPaletteWidth || y >= kPaletteHeight) return std::nullopt;
  if (x % kCellWidth == 0 || y % kCellHeight == 0) return std::nullopt;
  return PaletteColourAt(x, y);
}

}  // namespace tesmiro::ColourRules
