#pragma once
// The glyph table of the font being written and the per-movie cache of
// embedded fonts. The cache keeps one glyph table per font key so that every
// text of a movie with the same font, style and glyph origin shares one
// DefineFont2; it is emptied at every movie start.
#include <cstdint>
#include <string>
#include <vector>

namespace tesmiro::SWFMakeCore {

// One glyph of an embedded font. Pixel measures are pixels of the 64-point
// font the outlines were read at.
struct GlyphRecord {
  std::vector<uint8_t> shape;  // SHAPE record of the outline
  int32_t code = 0;            // UTF-16 code unit, 0..65535
  int32_t advance = 0;         // pixels
  int32_t rightEdge = 0;       // pixels: where the ink ends
};

// The glyphs of one font, sorted by ascending code with no code twice, and the
// font's line metrics. Glyph i is numbered from 1 (the font definition numbers
// them from 0, as i - 1).
struct GlyphTable {
  int32_t descent = 0;  // pixels
  int32_t height = 0;   // pixels
  int32_t ascent = 0;   // pixels
  std::vector<GlyphRecord> glyphs;

  int32_t count() const { return static_cast<int32_t>(glyphs.size()); }
  // 1-based.
  const GlyphRecord& glyph(int32_t i) const { return glyphs.at(static_cast<size_t>(i - 1)); }
  GlyphRecord& glyph(int32_t i) { return glyphs.at(static_cast<size_t>(i - 1)); }
};

struct FontCacheEntry {
  std::string key;
  int32_t fontID = 0;  // the DefineFont2 that holds these glyphs
  GlyphTable glyphs;
};

struct FontCacheState {
  GlyphTable table;  // the font being written
  std::vector<FontCacheEntry> cache;
};

FontCacheState& FontCache();

// Empties the cache for a new movie. The glyph table stays: it is rebuilt or
// installed before each use.
void ResetFontCache();

// The cache entry with exactly this key, or null.
const FontCacheEntry* FindFontCacheEntry(const std::string& key);

}  // namespace tesmiro::SWFMakeCore
