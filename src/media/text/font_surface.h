#pragma once
// The font surface that glyph outlines and text metrics are read through: a
// font name, size and style, resolved to an installed font with fontconfig
// and read with FreeType. It answers in the units the rest of the writer
// expects: pixels at 96 dots per inch, y upward from the baseline, quadratic
// outlines as a native polygon buffer (polygon headers, each followed by its
// line and spline records, coordinates as 16.16 fixed point).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::text {

struct FontSurface {
  std::string name;
  float size = 64;  // points
  bool bold = false;
  bool italic = false;
};

struct TextMetrics {
  int32_t height = 0;  // ascent + descent
  int32_t ascent = 0;
  int32_t descent = 0;
};

// Where the ink of one glyph lies and how far the pen moves, in pixels.
struct GlyphMetrics {
  uint32_t blackBoxX = 0;
  uint32_t blackBoxY = 0;
  int32_t originX = 0;  // upper left corner of the black box, y upward
  int32_t originY = 0;
  int16_t cellIncX = 0;
  int16_t cellIncY = 0;
};

// Polygon and curve record layout of the native outline buffer.
constexpr int32_t kPolygonHeaderSize = 16;
constexpr int32_t kPolygonType = 24;
constexpr uint16_t kPrimLine = 1;
constexpr uint16_t kPrimQSpline = 2;
constexpr int32_t kOutlineError = -1;

// The outline of one character (a Unicode code point). Returns the byte count
// of the native buffer put into `data`, 0 for a character without ink (a blank
// or a character the font does not have; the metrics still carry its advance)
// and kOutlineError when no usable font was found. `metrics` is always set.
int32_t GetGlyphOutlineNative(const FontSurface& surface, uint32_t codePoint, GlyphMetrics& metrics,
                              std::vector<uint8_t>& data);

// Ascent, descent and height of the surface's font; false (all zero) when no
// usable font was found.
bool GetTextMetrics(const FontSurface& surface, TextMetrics& metrics);

// Pixels per em of a font of the given size in points at 96 dots per inch.
int32_t EmPixels(float points);

// The installed font a surface resolves to, for diagnostics and tests.
struct ResolvedFont {
  std::string file;
  int32_t index = 0;
  std::string family;
  bool syntheticBold = false;
  bool syntheticItalic = false;
  // The font is the family asked for (or the one a name maps to on
  // purpose), not the nearest that fontconfig found in its place.
  bool familyInstalled = true;
};
bool ResolveFont(const FontSurface& surface, ResolvedFont& font);

// True when the surface's font draws the character (a Unicode code point);
// false for one it lacks, which is written as a blank, and when no usable
// font was found.
bool HasGlyph(const FontSurface& surface, uint32_t codePoint);

// The family asked of fontconfig for a name that projects carry: Windows
// Japanese fonts and the player's device fonts map to installed equivalents,
// and the vertical-writing prefix "@" is dropped (text stays horizontal).
std::string FamilyForName(std::string_view name, bool& japanese);

// Drops every loaded face and resolution (tests).
void ResetFontSystem();

}  // namespace tesmiro::text
