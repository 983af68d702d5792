#include <algorithm>

#include "media/text/text_definitions.h"
#include "platform/numeric.h"
#include "swf/bit_writer.h"

namespace tesmiro::SWFMakeCore {

namespace {

TextCollector& Collector() {
  static TextCollector c;
  return c;
}

// Glyph shapes address points in 17-bit fields; keeping every coordinate
// within 16 signed bits keeps every delta within them too.
int32_t ShapeCoordinate(float v) { return std::clamp(num::RoundToInt32(v), -32768, 32767); }

void AddGlyph(GlyphTable& table, const text::FontSurface& surface, std::string_view character, int32_t code,
              int32_t originFlag) {
  FOutLine::GlyphOutline outline = FOutLine::GetGlyphOutline(surface, character);
  FOutLine::TransformGlyph(outline, 0, 0, 16.0f, true, originFlag * table.ascent);
  GlyphRecord record;
  record.code = code;
  record.advance = outline.metrics.cellIncX;
  record.rightEdge = outline.metrics.originX + static_cast<int32_t>(outline.metrics.blackBoxX);
  EncodeGlyphShape(outline, record);
  auto at = std::upper_bound(table.glyphs.begin(), table.glyphs.end(), code,
                             [](int32_t c, const GlyphRecord& g) { return c < g.code; });
  table.glyphs.insert(at, std::move(record));
}

}  // namespace

std::string MakeFontKey(std::string_view fontName, int32_t originFlag, bool bold, bool italic) {
  std::string key(fontName);
  key += std::to_string(originFlag);
  if (bold) key += "Bo";
  if (italic) key += "It";
  return key;
}

void SetTextCollector(TextCollector c) { Collector() = std::move(c); }
TextCollector CurrentTextCollector() { return Collector(); }

void BuildGlyphTable(const text::FontSurface& surface, const std::string& text, int32_t originFlag,
                     int32_t& fontID, std::string& fontKey) {
  fontKey = MakeFontKey(surface.name, originFlag, surface.bold, surface.italic);
  FontCacheState& state = FontCache();
  if (const FontCacheEntry* hit = FindFontCacheEntry(fontKey)) {
    fontID = hit->fontID;
    state.table = hit->glyphs;
    return;
  }
  // The first font written for a key carries the characters of every text
  // that will share it. The caller's own text is always included, so that a
  // text the project does not (yet) hold still gets its glyphs.
  std::string characters;
  if (fontID != 0 && Collector()) characters = Collector()(fontKey);
  characters += text;

  GlyphTable& table = state.table;
  table = GlyphTable{};
  if (characters.empty()) return;
  text::TextMetrics metrics;
  text::GetTextMetrics(surface, metrics);
  table.descent = metrics.descent;
  table.height = metrics.height;
  table.ascent = metrics.ascent;

  std::string_view rest = characters;
  while (!rest.empty()) {
    size_t length = 0;
    uint32_t code = FOutLine::FirstCodePoint(rest, length);
    std::string_view character = rest.substr(0, length);
    rest.remove_prefix(length);
    // Font codes are 16-bit: characters beyond them have no glyph rather
    // than two glyphs for the halves of a surrogate pair.
    if (code < 32 || code > 0xFFFF) continue;
    if (FindGlyph(static_cast<int32_t>(code)) != 0) continue;
    AddGlyph(table, surface, character, static_cast<int32_t>(code), originFlag);
  }
  state.cache.push_back(FontCacheEntry{fontKey, fontID, table});
}

std::vector<std::string> MissingCharacters(const text::FontSurface& surface, std::string_view text) {
  std::vector<std::string> missing;
  while (!text.empty()) {
    size_t length = 0;
    const uint32_t code = FOutLine::FirstCodePoint(text, length);
    const std::string character(text.substr(0, length));
    text.remove_prefix(length);
    if (code < 32 || code > 0xFFFF || text::HasGlyph(surface, code)) continue;
    if (std::find(missing.begin(), missing.end(), character) == missing.end()) missing.push_back(character);
  }
  return missing;
}

int32_t FindGlyph(int32_t code) {
  const auto& glyphs = FontCache().table.glyphs;
  auto after = std::upper_bound(glyphs.begin(), glyphs.end(), code,
                                [](int32_t c, const GlyphRecord& g) { return c < g.code; });
  if (after == glyphs.begin() || std::prev(after)->code != code) return 0;
  return static_cast<int32_t>(after - glyphs.begin());
}

void SetGlyphTable(const GlyphTable& table) { FontCache().table = table; }

int32_t EncodeGlyphShape(const FOutLine::GlyphOutline& outline, GlyphRecord& record) {
  BitWriter w;
  BitWriterInit(w);
  // One fill bit, no line bits, then a style change selecting fill 1.
  WriteBits(w, 2053, 15);
  for (const FOutLine::GlyphContour& contour : outline.contours) {
    int32_t firstX = ShapeCoordinate(contour.startX), firstY = ShapeCoordinate(contour.startY);
    WriteBits(w, 49, 11);  // move only, 17-bit coordinates
    WriteBits(w, firstX, 17);
    WriteBits(w, firstY, 17);
    int32_t penX = firstX, penY = firstY;
    for (const FOutLine::GlyphCurve& curve : contour.curves) {
      const auto& pts = curve.points;
      if (curve.type == FOutLine::kCurveLine) {
        for (const FOutLine::GlyphPoint& p : pts) {
          int32_t x = ShapeCoordinate(p.x), y = ShapeCoordinate(p.y);
          int32_t dx = x - penX, dy = y - penY;
          int32_t n = std::max(2, SignedBitsNeeded({dx, dy}));
          WriteBits(w, 3, 2);
          WriteBits(w, n - 2, 4);
          WriteBits(w, 1, 1);
          WriteBits(w, dx, n);
          WriteBits(w, dy, n);
          penX = x, penY = y;
        }
        continue;
      }
      for (size_t k = 0; k + 1 < pts.size(); ++k) {
        int32_t cx = ShapeCoordinate(pts[k].x), cy = ShapeCoordinate(pts[k].y);
        int32_t nx = ShapeCoordinate(pts[k + 1].x), ny = ShapeCoordinate(pts[k + 1].y);
        int32_t ax = nx, ay = ny;
        if (k + 2 < pts.size()) {
          ax = num::FloorToInt32((nx + cx) / 2.0);
          ay = num::FloorToInt32((ny + cy) / 2.0);
        }
        int32_t d1x = cx - penX, d1y = cy - penY, d2x = ax - cx, d2y = ay - cy;
        int32_t n = std::max(2, SignedBitsNeeded({d1x, d1y, d2x, d2y}));
        WriteBits(w, 2, 2);
        WriteBits(w, n - 2, 4);
        WriteBits(w, d1x, n);
        WriteBits(w, d1y, n);
        WriteBits(w, d2x, n);
        WriteBits(w, d2y, n);
        penX = ax, penY = ay;
      }
    }
    // Close the contour, even when the pen is back at the start already.
    WriteBits(w, 127, 7);
    WriteBits(w, firstX - penX, 17);
    WriteBits(w, firstY - penY, 17);
  }
  WriteBits(w, 0, 6);
  record.shape.assign(w.data.begin(), w.data.begin() + w.index + 1);
  return w.index + 1;
}

}  // namespace tesmiro::SWFMakeCore
