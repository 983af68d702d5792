#include <algorithm>

#include "media/text/text_definitions.h"
#include "platform/numeric.h"
#include "swf/swf_records.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {

namespace {

constexpr int32_t kEditTextFixedBytes = 34;
constexpr size_t kRect24Bytes = 13;

void Append(const Bytes& bytes) {
  Bytes& out = OutputBuffer();
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendU8(int32_t value) { OutputBuffer().push_back(static_cast<uint8_t>(value & 0xFF)); }

// Text bounds are always written with 24-bit fields so that a measured text
// can rewrite them in place.
Bytes BoundsRecord(int32_t widthPx, int32_t heightPx) {
  auto twips = [](int32_t px) { return Twips::FromPixels(std::clamp(px, -kMaxTextBoxPixels, kMaxTextBoxPixels)); };
  BitWriter w;
  WriteRect(w, Rect{Twips(0), twips(widthPx), Twips(0), twips(heightPx)}, {.minBits = 24, .maxBits = 24});
  Bytes rect = w.bytes();
  rect.resize(kRect24Bytes);
  return rect;
}

void AppendColour(int32_t colour) {
  AppendU8(colour);
  AppendU8(colour >> 8);
  AppendU8(colour >> 16);
  AppendU8(0xFF);
}

// Every CR LF becomes one CR (also where removing one pair makes another).
std::string CollapseLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n' && !out.empty() && out.back() == '\r') continue;
    out += c;
  }
  return out;
}

// A font name field holds at most 255 bytes; a longer name is cut at a
// character boundary of its encoding rather than letting the length wrap.
Bytes FontNameBytes(const std::string& name) {
  Bytes bytes = StringToBytes(name, true);
  if (bytes.size() <= 255) return bytes;
  size_t cut = 0;
  if (GetSWFVersion() == 4) {
    for (size_t i = 0; i < bytes.size();) {
      uint8_t b = bytes[i];
      size_t n = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
      if (i + n > 255) break;
      i += n;
      cut = i;
    }
  } else {
    cut = 255;
    while (cut > 0 && (bytes[cut] & 0xC0) == 0x80) --cut;
  }
  bytes.resize(cut);
  return bytes;
}

bool IsPlayerSansName(const std::string& name) {
  return name == "_sans" || name == "_serif" || name == "_typewriter";
}

void AppendFontName(const Bytes& name) {
  AppendU8(static_cast<int32_t>(name.size()));
  Append(name);
}

// One glyph entry of a text record, as it goes into the 16/16 bit fields.
struct GlyphEntry {
  int32_t index = 0;    // 0-based glyph of the font
  int32_t advance = 0;  // twips
};

// Offsets and advances are signed 16-bit fields: a text laid out beyond
// them stops at their edge rather than wrapping around.
int32_t Signed16(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -32768, 32767)); }

void AppendTextRecord(int32_t fontID, int32_t colour, int64_t x, int32_t y, int32_t height,
                      const GlyphEntry* entries, size_t count) {
  AppendU8(0x8F);  // font, colour, x and y given
  WriteU16(fontID);
  AppendColour(colour);
  WriteU16(Signed16(x));
  WriteU16(Signed16(y));
  WriteU16(height);
  AppendU8(static_cast<int32_t>(count));
  Bytes& out = OutputBuffer();
  for (size_t i = 0; i < count; ++i) {
    // Bit-packed fields: the high byte comes first.
    out.push_back(static_cast<uint8_t>((entries[i].index >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(entries[i].index & 0xFF));
    const int32_t advance = Signed16(entries[i].advance);
    out.push_back(static_cast<uint8_t>((advance >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(advance & 0xFF));
  }
}

}  // namespace

void WriteDeviceFont(int32_t fontID, const std::string& name, int16_t style) {
  Bytes nameBytes = FontNameBytes(name);
  bool swf4 = GetSWFVersion() == 4;
  int32_t flags = style & 3;
  int32_t language;
  if (swf4) {
    flags |= IsPlayerSansName(name) ? 0x10 : 0x40;  // ANSI or Shift-JIS
    language = 0;
  } else {
    flags |= 0x04;  // wide codes
    language = IsPlayerSansName(name) ? 1 : 2;
  }
  WriteTagHeader(TagCode::DefineFont2, static_cast<int32_t>(nameBytes.size()) + 9, TagForm::Long);
  WriteU16(fontID);
  AppendU8(flags);
  AppendU8(language);
  AppendFontName(nameBytes);
  WriteHex("00000200");  // no glyphs, code table offset 2
}

void WriteDefineFont2(int32_t fontID, const std::string& name, int16_t flags, int32_t leading) {
  const GlyphTable& table = FontCache().table;
  const int32_t n = table.count();
  if (n < 1) return;
  const size_t lengthAt = WriteTagHeader(TagCode::DefineFont2, 0, TagForm::Long);
  WriteU16(fontID);
  AppendU8((flags & 0xFF) | 0x0C);  // wide offsets, wide codes
  AppendU8(GetSWFVersion() == 4 ? 0 : 2);
  AppendFontName(FontNameBytes(name));
  WriteU16(n);
  int32_t offset = 4 * n + 4;
  for (const GlyphRecord& g : table.glyphs) {
    WriteU32(offset);
    offset += static_cast<int32_t>(g.shape.size());
  }
  WriteU32(offset);  // code table
  for (const GlyphRecord& g : table.glyphs) Append(g.shape);
  for (const GlyphRecord& g : table.glyphs) WriteU16(g.code);
  if (flags & 0x80) {
    WriteU16(table.ascent * 16);
    WriteU16(table.descent * 16);
    WriteU16(leading);
    for (const GlyphRecord& g : table.glyphs) WriteU16(g.advance * 16);
    for (int32_t i = 0; i < n; ++i) WriteHex("0800");
    WriteHex("0000");  // no kerning
  }
  PatchTagLength(lengthAt);
}

void WriteDefineText2(int32_t id, int32_t fontID, int32_t height, int32_t leading, const std::string& text,
                      int32_t& width, int32_t& boxHeight, int32_t align, int32_t colour) {
  const std::string lines = CollapseLineBreaks(text);
  if (lines.empty()) return;
  const GlyphTable& table = FontCache().table;
  const bool measure = width == 0 && boxHeight == 0;

  const size_t lengthAt = WriteTagHeader(TagCode::DefineText2, 0, TagForm::Long);
  WriteU16(id);
  size_t boundsAt = OutputBuffer().size();
  Append(BoundsRecord(width, boxHeight));
  Append(MakeMatrix(1.0f, 1.0f, 0, 0, 0, 0));
  WriteHex("1010");  // 16 bits per glyph index and per advance

  const float lineStep = static_cast<float>(static_cast<double>(table.height) * height / 1280.0 + leading / 20.0);
  float y = 0;
  float widest = 0;
  std::vector<GlyphEntry> entries;
  size_t lineStart = 0;
  while (true) {
    size_t lineEnd = lines.find('\r', lineStart);
    std::string_view line = std::string_view(lines).substr(
        lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
    if (!line.empty()) {
      entries.clear();
      float lineWidth = 0;
      const GlyphRecord* last = nullptr;
      while (!line.empty()) {
        size_t length = 0;
        uint32_t code = FOutLine::FirstCodePoint(line, length);
        line.remove_prefix(length);
        int32_t g = code > 0xFFFF ? 0 : FindGlyph(static_cast<int32_t>(code));
        if (g == 0) continue;
        last = &table.glyph(g);
        entries.push_back(GlyphEntry{g - 1, num::IntDiv(static_cast<double>(last->advance) * height, 64)});
        lineWidth += static_cast<float>(static_cast<double>(last->advance) * height / 1280.0);
      }
      if (last && last->advance < last->rightEdge)
        lineWidth += static_cast<float>(static_cast<double>(last->rightEdge - last->advance) * height / 1280.0);
      int64_t x = 0;
      if (align == kAlignRight) x = num::RoundToInt32((static_cast<double>(width) - lineWidth) * 20);
      if (align == kAlignCentre) x = num::RoundToInt32((static_cast<double>(width) - lineWidth) * 10);
      widest = std::max(widest, lineWidth);
      // A record counts its glyphs in one byte: a longer line goes on in
      // further records that start where the previous one ended.
      int32_t yOffset = num::RoundToInt32(static_cast<double>(y) * 20);
      size_t done = 0;
      do {
        size_t count = std::min(entries.size() - done, static_cast<size_t>(kMaxGlyphsPerRecord));
        AppendTextRecord(fontID, colour, x, yOffset, height, entries.data() + done, count);
        for (size_t i = done; i < done + count; ++i) x += entries[i].advance;
        done += count;
      } while (done < entries.size());
    }
    y += lineStep;
    if (lineEnd == std::string::npos) break;
    lineStart = lineEnd + 1;
  }
  AppendU8(0);
  PatchTagLength(lengthAt);

  if (measure) {
    width = num::FloorToInt32(static_cast<double>(widest) + 1);
    if (leading < 0) y = static_cast<float>(y - leading / 20.0);
    boxHeight = num::FloorToInt32(static_cast<double>(y) + 1);
    Bytes bounds = BoundsRecord(width, boxHeight);
    std::copy(bounds.begin(), bounds.end(), OutputBuffer().begin() + static_cast<std::ptrdiff_t>(boundsAt));
  }
}

void WriteDefineEditText(int32_t id, int32_t fontID, int32_t height, int32_t leading, const std::string& text,
                         int32_t width, int32_t boxHeight, int32_t align, int32_t colour,
                         const std::string& variable, int32_t inputOptions, int32_t displayOptions,
                         int32_t outlines) {
  const std::string initial = CollapseLineBreaks(text);
  Bytes textBytes = StringToBytes(initial);
  Bytes variableBytes = StringToBytes(variable);

  const bool autoSize = width == 0 && boxHeight == 0;
  int32_t flags = 0x2085;
  if (outlines == 1) flags += 0x100;
  if (autoSize) flags += 0x4000;
  flags += ((inputOptions & 15) ^ 5) * 8 + ((displayOptions & 15) ^ 8) * 512;
  if (autoSize && GetSWFVersion() == 4) {
    WriterState().diagnostics.push_back({Diagnostic::Kind::Warning,
                                         "SWF4ではデバイステキストに自動サイズは使用できません。\r\n"
                                         "テキストが正しく表示されない可能性があります：\r\n\r\n" +
                                             initial});
  }

  WriteTagHeader(TagCode::DefineEditText,
                 kEditTextFixedBytes + static_cast<int32_t>(textBytes.size() + variableBytes.size()), TagForm::Long);
  WriteU16(id);
  Append(BoundsRecord(width, boxHeight));
  WriteU16(flags);
  WriteU16(fontID);
  WriteU16(height);
  AppendColour(colour);
  AppendU8(align);
  WriteHex("000000000000");  // margins and indent
  WriteU16(leading);
  Append(variableBytes);
  Append(textBytes);
}

}  // namespace tesmiro::SWFMakeCore
