// Whole movies with texts, checked by the independent SWF parser of the
// JavaScript harness.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "media/text/text_definitions.h"
#include "platform/numeric.h"
#include "support/checkers.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "text_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

struct TextItem {
  int32_t id = 0;
  std::string font;
  int32_t flags = 0;  // bit 0 bold, 1 italic, 2-3 align, 4-11 options, 0x1000 embedded edit text
  std::string text;
  float size = 24;
  float spacing = 0;
  int32_t width = 0, height = 0;
  int32_t colour = 0;
  std::string variable;
};

std::string KeyOf(const TextItem& item) {
  return MakeFontKey(item.font, (item.flags & 0x1000) ? 0 : 1, item.flags & 1, item.flags & 2);
}

// The movie compiler's order for one text item: definition 2n - 1 (font),
// displayed object 2n (text).
void DefineTextItem(const TextItem& item) {
  const int32_t fontID = 2 * item.id - 1;
  const int32_t size = num::RoundToInt32(item.size * 20), leading = num::RoundToInt32(item.spacing * 20);
  const int32_t align = (item.flags / 4) & 3;
  if (!item.font.empty() && item.font[0] == '_') {
    WriteDeviceFont(fontID, item.font, static_cast<int16_t>(item.flags & 3));
    WriteDefineEditText(2 * item.id, fontID, size, leading, item.text, item.width, item.height, align, item.colour,
                        item.variable, (item.flags / 16) & 15, (item.flags / 256) & 15, 0);
    return;
  }
  text::FontSurface surface;
  surface.name = item.font;
  surface.bold = item.flags & 1;
  surface.italic = item.flags & 2;
  const bool edit = item.flags & 0x1000;
  int32_t id = fontID;
  std::string key;
  BuildGlyphTable(surface, item.text, edit ? 0 : 1, id, key);
  if (id == fontID) WriteDefineFont2(fontID, key, static_cast<int16_t>((item.flags & 3) + (edit ? 0x80 : 0)), edit ? leading : 0);
  int32_t w = item.width, h = item.height;
  if (edit)
    WriteDefineEditText(2 * item.id, id, size, leading, item.text, w, h, align, item.colour, item.variable,
                        (item.flags / 16) & 15, (item.flags / 256) & 15, 1);
  else
    WriteDefineText2(2 * item.id, id, size, leading, item.text, w, h, align, item.colour);
}

std::filesystem::path WriteMovie(const std::filesystem::path& path, int version, const std::vector<TextItem>& items) {
  WriteSWFHeader(version, 400, 300, 12);
  std::map<std::string, std::string> texts;
  for (const TextItem& item : items) texts[KeyOf(item)] += item.text;
  SetTextCollector([texts](const std::string& key) {
    auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  });
  for (const TextItem& item : items) DefineTextItem(item);
  int32_t depth = 1;
  for (const TextItem& item : items) {
    Placement p;
    p.characterId = 2 * item.id;
    p.depth = depth++;
    p.y = (depth - 2) * 600;
    EXPECT_TRUE(WritePlaceObject(p));
  }
  WriteShowFrame();
  WriteEnd();
  PatchU16(FrameCountOffset(OutputBuffer()), 1);
  EXPECT_TRUE(SaveOutput(path));
  return path;
}

// Runs a small checking script over the movie; the script prints problems
// and exits non-zero when any are found.
int RunCheck(const TempDir& dir, const std::filesystem::path& movie, std::string& output) {
  const std::filesystem::path script = dir / "check_text.mjs";
  std::ofstream(script) << R"JS(
import { checkSwfFile, tagName } from ")JS" << TESMIRO_TEST_JS_DIR << R"JS(/check_swf.mjs";
const { ok, problems, movie } = checkSwfFile(process.argv[2]);
const fonts = new Map();
const seen = {};
for (const tag of movie ? movie.tags : []) {
  const name = tagName(tag);
  seen[name] = (seen[name] || 0) + 1;
  if (name === "DefineFont") {
    const n = tag.glyphs ? tag.glyphs.length : 0;
    fonts.set(tag.id, n);
    const codes = tag.codeUnits || [];
    if (n && codes.length !== n) problems.push(`font ${tag.id}: ${codes.length} codes for ${n} glyphs`);
    for (let i = 1; i < codes.length; i++)
      if (!(codes[i] > codes[i - 1])) problems.push(`font ${tag.id}: codes not ascending at ${i}`);
    if (tag.layout) {
      if (tag.layout.advances.length !== n) problems.push(`font ${tag.id}: ${tag.layout.advances.length} advances`);
      if (tag.layout.bounds && tag.layout.bounds.length !== n) problems.push(`font ${tag.id}: bounds`);
    }
    for (const g of tag.glyphs || []) for (const r of g.records) if (!r.type && r.type !== 0) problems.push(`font ${tag.id}: odd record`);
  } else if (name === "DefineText") {
    for (const rec of tag.records) {
      const n = fonts.get(rec.fontId);
      if (n === undefined) problems.push(`text ${tag.id}: font ${rec.fontId} not defined before it`);
      for (const e of rec.entries) if (e.index >= n) problems.push(`text ${tag.id}: glyph ${e.index} of ${n}`);
    }
  } else if (name === "DefineDynamicText") {
    if (!fonts.has(tag.fontId)) problems.push(`edit text ${tag.id}: font ${tag.fontId} not defined before it`);
    else if (tag.useGlyphFont && fonts.get(tag.fontId) === 0) problems.push(`edit text ${tag.id}: outlines of an empty font`);
    if (!tag.variableName) problems.push(`edit text ${tag.id}: no variable name`);
  }
}
console.log(JSON.stringify({ seen, problems }));
process.exit(ok && problems.length === 0 ? 0 : 1);
)JS";
  const std::filesystem::path log = dir / "check.log";
  const std::string command = "node " + script.string() + " " + movie.string() + " > " + log.string() + " 2>&1";
  int rc = std::system(command.c_str());
  std::ifstream in(log);
  output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return rc;
}

class TextMovieTest : public TextWriterTest {};

bool AllAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::vector<TextItem> SampleItems() {
  std::string longLine;
  for (int i = 0; i < 40; ++i) longLine += "abcdefgh";
  return {
      {1, "_sans", 0x10, "device text", 20, 0, 200, 30, 0x000000, "msg"},
      {8, "_serif", 0, "", 12, 0, 100, 20, 0, "empty"},
      {2, "DejaVu Sans", 2 * 4, "Hello\r\nWorld", 24, 2, 300, 80, 0x0000FF, ""},
      {3, "DejaVu Sans", 0, "World!", 24, 0, 0, 0, 0x00FF00, ""},
      {4, "DejaVu Sans", 0x1000 + 0x10 + 0x800, "Edit me", 18, 0, 150, 30, 0xFF0000, "_root.ed"},
      {5, "ＭＳ ゴシック", 1, "日本語のテキスト", 30, 0, 0, 0, 0x123456, ""},
      {6, "DejaVu Sans", 0, longLine, 8, 0, 0, 0, 0, ""},
      {7, "_ゴシック", 0x100, "<b>デバイス</b>", 16, 0, 0, 0, 0, "dev"},
  };
}

TEST_F(TextMovieTest, EveryTextTagParsesInAnIndependentReader) {
  REQUIRE_CHECKER(MissingSwfParser());
  TempDir dir;
  RecordingUi ui;
  struct Expected {
    int version;
    int fonts, texts, editTexts;
  };
  // The parser reads every string as UTF-8, so the SWF 4 movie (Shift-JIS
  // strings) keeps to ASCII names and texts.
  for (Expected e : {Expected{4, 4, 3, 3}, Expected{6, 6, 4, 4}, Expected{8, 6, 4, 4}}) {
    std::vector<TextItem> items = SampleItems();
    if (e.version == 4) std::erase_if(items, [](const TextItem& i) { return !AllAscii(i.font + i.text + i.variable); });
    std::filesystem::path movie = WriteMovie(dir / ("texts" + std::to_string(e.version) + ".swf"), e.version, items);
    std::string output;
    EXPECT_EQ(RunCheck(dir, movie, output), 0) << output;
    EXPECT_NE(output.find("\"DefineFont\":" + std::to_string(e.fonts)), std::string::npos) << output;
    EXPECT_NE(output.find("\"DefineText\":" + std::to_string(e.texts)), std::string::npos) << output;
    EXPECT_NE(output.find("\"DefineDynamicText\":" + std::to_string(e.editTexts)), std::string::npos) << output;
  }
}

TEST_F(TextMovieTest, TheSharedFontIsWrittenOnceAtTheFirstItemsID) {
  TempDir dir;
  WriteMovie(dir / "shared.swf", 6, SampleItems());
  std::ifstream in(dir / "shared.swf", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 30u);
  // DefineFont2 IDs and DefineText2 font references.
  std::vector<uint32_t> fontIDs;
  std::map<uint32_t, uint32_t> textFont;
  for (const SwfTag& tag : MovieTags(bytes)) {
    Cursor r(tag.body);
    if (tag.code == 48) fontIDs.push_back(r.u16());
    if (tag.code == 33) {
      uint32_t id = r.u16();
      r.seek(2 + 13 + 2 + 2 + 1);
      textFont[id] = r.u16();
    }
  }
  EXPECT_EQ(fontIDs, (std::vector<uint32_t>{1, 15, 3, 7, 9, 13}));
  EXPECT_EQ(textFont[4], 3u);
  EXPECT_EQ(textFont[6], 3u);
  EXPECT_EQ(textFont[12], 3u);
  EXPECT_EQ(textFont[10], 9u);
}

}  // namespace
}  // namespace tesmiro::testing
