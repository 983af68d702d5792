#pragma once
// Fonts and texts of the movie: the glyph table of an embedded font (built
// from glyph outlines and shared through the per-movie font cache), device
// fonts, and the static and edit text definitions that use them.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/text/font_surface.h"
#include "media/text/glyph_outline.h"
#include "swf/font_cache.h"

namespace tesmiro::SWFMakeCore {

// Glyph origin of a font: static text draws from the top of the character
// cell, edit text from the baseline.
constexpr int32_t kOriginBaseline = 0;
constexpr int32_t kOriginCellTop = 1;

enum TextAlign : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2 };

// Text bounds are written with 24-bit twip fields.
constexpr int32_t kMaxTextBoxPixels = ((1 << 23) - 1) / 20;

// Font name, origin digit, "Bo" when bold, "It" when italic.
std::string MakeFontKey(std::string_view fontName, int32_t originFlag, bool bold, bool italic);

// The texts of every text item of the project with a font key, joined; the
// movie compiler installs it so that the first font written for a key holds
// the characters of all texts that share it.
using TextCollector = std::function<std::string(const std::string& key)>;
void SetTextCollector(TextCollector collector);
TextCollector CurrentTextCollector();

// Installs a collector for its lifetime; the previous one comes back after.
class ScopedTextCollector {
 public:
  explicit ScopedTextCollector(TextCollector collector) : previous_(CurrentTextCollector()) {
    SetTextCollector(std::move(collector));
  }
  ~ScopedTextCollector() { SetTextCollector(std::move(previous_)); }
  ScopedTextCollector(const ScopedTextCollector&) = delete;
  ScopedTextCollector& operator=(const ScopedTextCollector&) = delete;

 private:
  TextCollector previous_;
};

// Builds the glyph table for `surface`'s font (read at 64 points) and hands
// back its key. When the cache already holds the key, its table is installed
// and `fontID` becomes the cached font's ID; otherwise the table is built and
// cached under the `fontID` passed in.
void BuildGlyphTable(const text::FontSurface& surface, const std::string& text, int32_t originFlag,
                     int32_t& fontID, std::string& fontKey);
// The characters of `text` that BuildGlyphTable gives a glyph but the
// surface's font cannot draw (they come out blank), each once, in order.
std::vector<std::string> MissingCharacters(const text::FontSurface& surface, std::string_view text);
// 1-based index of the glyph with this code, 0 when absent.
int32_t FindGlyph(int32_t code);
// Installs a table built earlier (sorted by code, as BuildGlyphTable makes it).
void SetGlyphTable(const GlyphTable& table);
// SHAPE record of a transformed outline; returns its byte count.
int32_t EncodeGlyphShape(const FOutLine::GlyphOutline& outline, GlyphRecord& record);

// style / flags: bit 0 bold, bit 1 italic; flags may add 0x80 (has layout).
void WriteDeviceFont(int32_t fontID, const std::string& name, int16_t style);
void WriteDefineFont2(int32_t fontID, const std::string& name, int16_t flags, int32_t leading);

// height and leading in twips, the box in pixels. With a box of 0 x 0 the text
// is measured and the box handed back. colour: red in the low byte.
void WriteDefineText2(int32_t id, int32_t fontID, int32_t height, int32_t leading, const std::string& text,
                      int32_t& width, int32_t& boxHeight, int32_t align, int32_t colour);
// inputOptions: the item's flag bits 4-7 (input, password, single line, wrap);
// displayOptions: bits 8-11 (HTML, was static, border, selectable).
void WriteDefineEditText(int32_t id, int32_t fontID, int32_t height, int32_t leading, const std::string& text,
                         int32_t width, int32_t boxHeight, int32_t align, int32_t colour,
                         const std::string& variable, int32_t inputOptions, int32_t displayOptions,
                         int32_t outlines);

// A line of static text holds at most this many glyphs per text record; longer
// lines continue in further records.
constexpr int32_t kMaxGlyphsPerRecord = 255;

}  // namespace tesmiro::SWFMakeCore
