#pragma once
// The outline of one character as straight line runs and quadratic splines,
// read from the font surface in pixels (y upward from the baseline) and moved
// into the coordinate space of the SWF font definitions.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "media/text/font_surface.h"

namespace tesmiro::FOutLine {

constexpr int32_t kCurveLine = 1;
constexpr int32_t kCurveQSpline = 2;

struct GlyphPoint {
  float x = 0;
  float y = 0;
};

// A curve continues from the last point of the curve before it (the first
// from the contour's start). A spline's points are off-curve controls except
// the last; between two controls lies an implied on-curve midpoint.
struct GlyphCurve {
  int32_t type = kCurveLine;
  int32_t pointCount = 0;
  std::vector<GlyphPoint> points;
};

struct GlyphContour {
  float startX = 0;
  float startY = 0;
  int32_t curveCount = 0;
  std::vector<GlyphCurve> curves;
};

struct GlyphOutline {
  std::string character;  // empty when the character has no outline
  int32_t contourCount = 0;
  std::vector<GlyphContour> contours;
  int32_t largestPointCount = 0;
  text::GlyphMetrics metrics;  // never transformed
};

// A 16.16 fixed value stored as a 32-bit word (fraction in the low half).
float FixedToSingle(int32_t fixed);

// The outline of the first character of `text`.
GlyphOutline GetGlyphOutline(const text::FontSurface& surface, std::string_view text);

// Reads a native outline buffer into `outline`'s contours. A truncated buffer
// keeps what was read completely and returns false.
bool ParseNativeOutline(std::span<const uint8_t> data, GlyphOutline& outline);

// x' = scale * x + offsetX; y' = (flipY ? baseline - y : y) * scale + offsetY.
void TransformGlyph(GlyphOutline& outline, float offsetX, float offsetY, float scale, bool flipY,
                    int32_t baseline);

// The first character of a UTF-8 text as a code point and its byte length
// (U+FFFD and one byte for a byte that starts no valid sequence).
uint32_t FirstCodePoint(std::string_view text, size_t& length);

}  // namespace tesmiro::FOutLine
