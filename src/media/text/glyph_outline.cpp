#include "media/text/glyph_outline.h"

#include "platform/byte_reader.h"

namespace tesmiro::FOutLine {

float FixedToSingle(int32_t fixed) {
  double integer = static_cast<int16_t>(static_cast<uint32_t>(fixed) >> 16);
  double fraction = static_cast<uint16_t>(static_cast<uint32_t>(fixed) & 0xFFFF);
  return static_cast<float>(integer + fraction / 65536.0);
}

GlyphOutline GetGlyphOutline(const text::FontSurface& surface, std::string_view text) {
  GlyphOutline outline;
  if (text.empty()) return outline;
  size_t length = 0;
  uint32_t code = FirstCodePoint(text, length);
  std::vector<uint8_t> data;
  int32_t size = text::GetGlyphOutlineNative(surface, code, outline.metrics, data);
  if (size <= 0) return outline;
  // A damaged buffer keeps the contours read completely; the character is
  // still drawn as far as it goes.
  ParseNativeOutline(data, outline);
  if (outline.contourCount > 0) outline.character = std::string(text.substr(0, length));
  return outline;
}

bool ParseNativeOutline(std::span<const uint8_t> data, GlyphOutline& outline) {
  ByteReader r(data);
  while (r.remaining() > 0) {
    size_t polygonStart = r.pos();
    uint32_t byteCount = r.u32();
    r.u32();  // polygon type
    int32_t sx = r.i32(), sy = r.i32();
    if (!r.ok()) return false;
    GlyphContour contour;
    contour.startX = FixedToSingle(sx);
    contour.startY = FixedToSingle(sy);
    size_t polygonEnd = polygonStart + byteCount;
    bool complete = true;
    while (r.pos() < polygonEnd && r.remaining() > 0) {
      uint16_t type = r.u16();
      uint16_t count = r.u16();
      if (!r.ok() || !r.has(size_t{count} * 8)) {
        complete = false;
        break;
      }
      GlyphCurve curve;
      curve.type = type;
      curve.pointCount = count;
      curve.points.reserve(count);
      for (uint16_t i = 0; i < count; ++i) {
        int32_t x = r.i32(), y = r.i32();
        curve.points.push_back(GlyphPoint{FixedToSingle(x), FixedToSingle(y)});
      }
      if (count > outline.largestPointCount) outline.largestPointCount = count;
      contour.curves.push_back(std::move(curve));
      ++contour.curveCount;
    }
    if (!complete && contour.curves.empty()) return false;
    outline.contours.push_back(std::move(contour));
    ++outline.contourCount;
    if (!complete) return false;
  }
  return true;
}

void TransformGlyph(GlyphOutline& outline, float offsetX, float offsetY, float scale, bool flipY,
                    int32_t baseline) {
  auto move = [&](float& x, float& y) {
    x = static_cast<float>(static_cast<double>(scale) * x + offsetX);
    double yy = flipY ? static_cast<double>(baseline) - y : static_cast<double>(y);
    y = static_cast<float>(yy * scale + offsetY);
  };
  for (GlyphContour& c : outline.contours) {
    move(c.startX, c.startY);
    for (GlyphCurve& curve : c.curves)
      for (GlyphPoint& p : curve.points) move(p.x, p.y);
  }
}

uint32_t FirstCodePoint(std::string_view text, size_t& length) {
  length = 0;
  if (text.empty()) return 0;
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t b0 = byte(0);
  length = 1;
  if (b0 < 0x80) return b0;
  size_t n = 0;
  uint32_t code = 0, min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, code = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, code = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, code = b0 & 0x07, min = 0x10000;
  } else {
    return 0xFFFD;
  }
  if (text.size() < n) return 0xFFFD;
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0xFFFD;
  length = n;
  return code;
}

}  // namespace tesmiro::FOutLine
