#include <gtest/gtest.h>

#include <cmath>

#include "media/text/text_definitions.h"
#include "support/writer_messages.h"
#include "text_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

std::vector<uint8_t> Out() { return OutputBuffer(); }

// ---- device fonts and DefineFont2 -----------------------------------------

class FontTagTest : public TextWriterTest {};

TEST_F(FontTagTest, DeviceFontFlagsAndLanguageFollowTheVersionAndName) {
  struct Case {
    int version;
    const char* name;
    int16_t style;
    std::vector<uint8_t> expected;
  };
  const std::vector<Case> cases = {
      {4, "_sans", 0, {0x3F, 0x0C, 15, 0, 0, 0, 1, 0, 0x10, 0, 6, '_', 's', 'a', 'n', 's', 0, 0, 0, 2, 0}},
      {4, "_ゴシック", 1, {0x3F, 0x0C, 19, 0, 0, 0, 1, 0, 0x41, 0, 10, '_', 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0, 0, 0, 2, 0}},
      {6, "_sans", 2, {0x3F, 0x0C, 14, 0, 0, 0, 1, 0, 0x06, 1, 5, '_', 's', 'a', 'n', 's', 0, 0, 2, 0}},
      {6, "_等幅", 3, {0x3F, 0x0C, 16, 0, 0, 0, 1, 0, 0x07, 2, 7, '_', 0xE7, 0xAD, 0x89, 0xE5, 0xB9, 0x85, 0, 0, 2, 0}},
  };
  for (const Case& c : cases) {
    StartMovie(c.version);
    WriteDeviceFont(1, c.name, c.style);
    std::vector<uint8_t> out = Out();
    EXPECT_EQ(out, c.expected) << c.version << " " << c.name;
    EXPECT_EQ(OnlyTag(out).code, 48) << c.name;
  }
}

TEST_F(FontTagTest, DefineFont2LaysOutOffsetsCodesAndLayout) {
  StartMovie(6);
  GlyphTable t = MakeTable(99, {{65, 50, 48}, {0x3042, 85, 80}});
  t.glyphs[1].shape = {0x10, 0x0A, 0x00, 0xAB};
  t.ascent = 79;
  t.descent = 20;
  SetGlyphTable(t);
  WriteDefineFont2(3, "DejaVu Sans1Bo", 0x80 + 1, 40);
  std::vector<uint8_t> out = Out();
  const SwfTag tag = OnlyTag(out);
  EXPECT_EQ(tag.code, 48);
  Cursor r(tag.body);
  EXPECT_EQ(r.u16(), 3u);
  EXPECT_EQ(r.u8(), 0x8Du);  // layout, wide offsets, wide codes, bold
  EXPECT_EQ(r.u8(), 2u);
  uint32_t nameLength = r.u8();
  std::vector<uint8_t> name = r.bytes(nameLength);
  EXPECT_EQ(std::string(name.begin(), name.end()), "DejaVu Sans1Bo");
  EXPECT_EQ(r.u16(), 2u);
  size_t table = r.pos();
  EXPECT_EQ(r.u32(), 12u);
  EXPECT_EQ(r.u32(), 15u);
  uint32_t codeOffset = r.u32();
  EXPECT_EQ(codeOffset, 19u);
  EXPECT_EQ(r.bytes(3), (std::vector<uint8_t>{0x10, 0x0A, 0x00}));
  EXPECT_EQ(r.bytes(4), (std::vector<uint8_t>{0x10, 0x0A, 0x00, 0xAB}));
  EXPECT_EQ(r.pos(), table + codeOffset);
  EXPECT_EQ(r.u16(), 65u);
  EXPECT_EQ(r.u16(), 0x3042u);
  EXPECT_EQ(r.u16(), 79u * 16);
  EXPECT_EQ(r.u16(), 20u * 16);
  EXPECT_EQ(r.s16(), 40);
  EXPECT_EQ(r.u16(), 50u * 16);
  EXPECT_EQ(r.u16(), 85u * 16);
  EXPECT_EQ(r.bytes(4), (std::vector<uint8_t>{0x08, 0x00, 0x08, 0x00}));
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_TRUE(r.atEnd());
}

TEST_F(FontTagTest, DefineFont2WithoutLayoutEndsAfterTheCodesAndSwf4UsesLanguageZero) {
  StartMovie(4);
  SetGlyphTable(MakeTable(99, {{65, 50, 48}}));
  WriteDefineFont2(1, "F1", 0, 0);
  std::vector<uint8_t> out = Out();
  const SwfTag tag = OnlyTag(out);
  Cursor r(tag.body);
  r.u16();
  EXPECT_EQ(r.u8(), 0x0Cu);
  EXPECT_EQ(r.u8(), 0u);
  uint32_t n = r.u8();
  r.bytes(n);
  EXPECT_EQ(r.u16(), 1u);
  EXPECT_EQ(r.u32(), 8u);
  EXPECT_EQ(r.u32(), 11u);
  r.bytes(3);
  EXPECT_EQ(r.u16(), 65u);
  EXPECT_TRUE(r.atEnd());
}

TEST_F(FontTagTest, NoGlyphsNoFontAndOverlongNamesAreCutAtACharacter) {
  StartMovie(6);
  SetGlyphTable(GlyphTable{});
  WriteDefineFont2(1, "Empty", 0, 0);
  EXPECT_TRUE(Out().empty());

  std::string longName;
  for (int i = 0; i < 100; ++i) longName += "あ";  // 300 bytes of UTF-8
  WriteDeviceFont(1, longName, 0);
  std::vector<uint8_t> out = Out();
  const SwfTag tag = OnlyTag(out);
  Cursor r(tag.body);
  r.bytes(4);
  EXPECT_EQ(r.u8(), 255u);  // 85 whole characters
}

// ---- DefineText2 ------------------------------------------------------------

struct TextRecord {
  uint32_t font = 0;
  std::vector<uint8_t> colour;
  int32_t x = 0, y = 0;
  uint32_t height = 0;
  std::vector<std::pair<uint32_t, uint32_t>> glyphs;  // index, advance
};
struct ParsedText {
  uint32_t id = 0;
  int32_t xmax = 0, ymax = 0;
  std::vector<TextRecord> records;
};

ParsedText ParseDefineText2(const std::vector<uint8_t>& out) {
  ParsedText t;
  const SwfTag tag = OnlyTag(out);
  EXPECT_EQ(tag.code, 33);
  Cursor r(tag.body);
  t.id = r.u16();
  Bits rect(tag.body, r.pos());
  EXPECT_EQ(rect.u(5), 24u);
  EXPECT_EQ(rect.s(24), 0);
  t.xmax = rect.s(24);
  EXPECT_EQ(rect.s(24), 0);
  t.ymax = rect.s(24);
  r.seek(r.pos() + 13);
  EXPECT_EQ(r.u8(), 0x02u);
  EXPECT_EQ(r.u8(), 0x00u);
  EXPECT_EQ(r.u8(), 16u);
  EXPECT_EQ(r.u8(), 16u);
  while (true) {
    uint32_t flags = r.u8();
    if (flags == 0) break;
    EXPECT_EQ(flags, 0x8Fu);
    TextRecord rec;
    rec.font = r.u16();
    rec.colour = r.bytes(4);
    rec.x = r.s16();
    rec.y = r.s16();
    rec.height = r.u16();
    uint32_t n = r.u8();
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t index = r.u16be();
      rec.glyphs.emplace_back(index, r.u16be());
    }
    t.records.push_back(rec);
    if (r.atEnd()) break;
  }
  EXPECT_TRUE(r.atEnd());
  return t;
}

class StaticTextTest : public TextWriterTest {
 protected:
  void SetUp() override {
    TextWriterTest::SetUp();
    StartMovie(6);
    // Height 100 px; "A" advances 40, "B" 60 with ink to 70.
    SetGlyphTable(MakeTable(100, {{65, 40, 38}, {66, 60, 70}}));
  }
};

TEST_F(StaticTextTest, OneLineIsOneRecordWithEntriesAndAdvances) {
  int32_t w = 300, h = 200;
  WriteDefineText2(8, 7, 240, 0, "AB", w, h, kAlignLeft, 0x00336699);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  ParsedText t = ParseDefineText2(Out());
  EXPECT_EQ(t.id, 8u);
  EXPECT_EQ(t.xmax, 6000);
  EXPECT_EQ(t.ymax, 4000);
  ASSERT_EQ(t.records.size(), 1u);
  const TextRecord& r = t.records[0];
  EXPECT_EQ(r.font, 7u);
  EXPECT_EQ(r.colour, (std::vector<uint8_t>{0x99, 0x66, 0x33, 0xFF}));
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.height, 240u);
  // advance x height / 64: 40 * 240 / 64 = 150, 60 * 240 / 64 = 225
  EXPECT_EQ(r.glyphs, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 150}, {1, 225}}));
}

TEST_F(StaticTextTest, LinesStepByTheFontHeightPlusLeading) {
  int32_t w = 300, h = 200;
  WriteDefineText2(2, 1, 256, 30, "A\r\nB", w, h, kAlignLeft, 0);
  ParsedText t = ParseDefineText2(Out());
  ASSERT_EQ(t.records.size(), 2u);
  // L = 100 * 256 / 1280 + 30 / 20 = 21.5 px
  EXPECT_EQ(t.records[1].y, 430);
  EXPECT_EQ(t.records[1].glyphs.size(), 1u);
  EXPECT_EQ(t.records[1].glyphs[0].first, 1u);
}

TEST_F(StaticTextTest, AZeroBoxIsMeasuredIncludingTrailingLinesAndNegativeLeading) {
  int32_t w = 0, h = 0;
  // Line width: (40 + 60) * 1280 / 1280 = 100, plus B's ink beyond its
  // advance: 10. Three lines (the text ends in a break) of 100 px.
  WriteDefineText2(2, 1, 1280, 0, "AB\r\nA\r\n", w, h, kAlignLeft, 0);
  EXPECT_EQ(w, 111);
  EXPECT_EQ(h, 301);
  ParsedText t = ParseDefineText2(Out());
  EXPECT_EQ(t.xmax, 111 * 20);
  EXPECT_EQ(t.ymax, 301 * 20);
  EXPECT_EQ(t.records.size(), 2u);

  OutputBuffer().clear();
  w = 0, h = 0;
  // L = 100 - 10 = 90 per line; the measured height adds the 10 back once.
  WriteDefineText2(2, 1, 1280, -200, "A\r\nA", w, h, kAlignLeft, 0);
  EXPECT_EQ(h, 191);
  EXPECT_EQ(w, 41);
}

TEST_F(StaticTextTest, RightAndCentreAlignmentShiftEachLine) {
  SetGlyphTable(MakeTable(100, {{65, 60, 60}}));
  for (auto [align, x] : {std::pair{kAlignRight, 800}, std::pair{kAlignCentre, 400}, std::pair{kAlignLeft, 0}}) {
    OutputBuffer().clear();
    int32_t w = 100, h = 50;
    WriteDefineText2(2, 1, 1280, 0, "A", w, h, align, 0);
    ParsedText t = ParseDefineText2(Out());
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_EQ(t.records[0].x, x) << align;
  }
}

TEST_F(StaticTextTest, LongLinesContinueInFurtherRecords) {
  std::string line(300, 'A');
  int32_t w = 0, h = 0;
  WriteDefineText2(2, 1, 64, 0, line + "\r\nBB", w, h, kAlignLeft, 0);
  ParsedText t = ParseDefineText2(Out());
  ASSERT_EQ(t.records.size(), 3u);
  EXPECT_EQ(t.records[0].glyphs.size(), 255u);
  EXPECT_EQ(t.records[1].glyphs.size(), 45u);
  EXPECT_EQ(t.records[0].y, t.records[1].y);
  EXPECT_EQ(t.records[1].x, 255 * 40);  // where the first record ended
  EXPECT_EQ(t.records[2].glyphs.size(), 2u);
  EXPECT_EQ(t.records[2].x, 0);
  // The measured width covers the whole line.
  EXPECT_EQ(w, static_cast<int32_t>(std::floor(300 * 40 * 64 / 1280.0 + 1)));

  // Right aligned, the continuation starts from the shifted line.
  OutputBuffer().clear();
  w = 700, h = 100;
  WriteDefineText2(2, 1, 64, 0, line, w, h, kAlignRight, 0);
  t = ParseDefineText2(Out());
  ASSERT_EQ(t.records.size(), 2u);
  EXPECT_EQ(t.records[0].x, (700 - 600) * 20);
  EXPECT_EQ(t.records[1].x, (700 - 600) * 20 + 255 * 40);
}

TEST_F(StaticTextTest, CharactersWithoutGlyphsAreLeftOut) {
  int32_t w = 0, h = 0;
  WriteDefineText2(2, 1, 1280, 0, "A?\xF0\x9F\x98\x80\tA", w, h, kAlignLeft, 0);
  ParsedText t = ParseDefineText2(Out());
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_EQ(t.records[0].glyphs.size(), 2u);
  EXPECT_EQ(w, 81);  // 40 + 40, the last "A" inked within its advance

  // A line of nothing but unknown characters still opens a record.
  OutputBuffer().clear();
  w = 10, h = 10;
  WriteDefineText2(2, 1, 1280, 0, "??", w, h, kAlignLeft, 0);
  t = ParseDefineText2(Out());
  ASSERT_EQ(t.records.size(), 1u);
  EXPECT_TRUE(t.records[0].glyphs.empty());
}

TEST_F(StaticTextTest, AnEmptyTextWritesNothing) {
  int32_t w = 0, h = 0;
  WriteDefineText2(2, 1, 1280, 0, "", w, h, kAlignLeft, 0);
  EXPECT_TRUE(Out().empty());
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

// ---- DefineEditText -------------------------------------------------------

struct ParsedEdit {
  uint32_t id = 0, flags = 0, font = 0, height = 0, align = 0;
  int32_t xmax = 0, ymax = 0, leading = 0;
  std::vector<uint8_t> colour;
  std::string variable, text;
};

ParsedEdit ParseEditText(const std::vector<uint8_t>& out) {
  ParsedEdit e;
  const SwfTag tag = OnlyTag(out);
  EXPECT_EQ(tag.code, 37);
  Cursor r(tag.body);
  e.id = r.u16();
  Bits rect(tag.body, r.pos());
  rect.u(5);
  rect.s(24);
  e.xmax = rect.s(24);
  rect.s(24);
  e.ymax = rect.s(24);
  r.seek(r.pos() + 13);
  e.flags = r.u16();
  e.font = r.u16();
  e.height = r.u16();
  e.colour = r.bytes(4);
  e.align = r.u8();
  EXPECT_EQ(r.bytes(6), std::vector<uint8_t>(6, 0));
  e.leading = r.s16();
  e.variable = r.cstr();
  e.text = r.cstr();
  EXPECT_TRUE(r.atEnd());
  return e;
}

class EditTextTest : public TextWriterTest {};

TEST_F(EditTextTest, FlagsComeFromTheItemOptions) {
  StartMovie(6);
  WriteDefineEditText(4, 3, 240, 20, "hi", 100, 30, kAlignCentre, 0x0000FF, "v", 0, 0, 0);
  ParsedEdit e = ParseEditText(Out());
  EXPECT_EQ(e.flags, 0x30ADu);  // read-only, multiline, not selectable, with layout
  EXPECT_EQ(e.id, 4u);
  EXPECT_EQ(e.font, 3u);
  EXPECT_EQ(e.height, 240u);
  EXPECT_EQ(e.xmax, 2000);
  EXPECT_EQ(e.ymax, 600);
  EXPECT_EQ(e.colour, (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(e.align, 2u);
  EXPECT_EQ(e.leading, 20);
  EXPECT_EQ(e.variable, "v");
  EXPECT_EQ(e.text, "hi");

  struct Case {
    int32_t input, display, outlines, w, h;
    uint32_t flags;
  };
  for (Case c : {Case{1, 8, 0, 10, 10, 0x2085 + 0x20},                // input, selectable
                 Case{2 + 4 + 8, 1 + 2 + 4, 1, 10, 10,              // password, single line, wrap;
                      0x2085 + 0x08 + 0x10 + 0x40 + 0x100 + 0x200 + 0x400 + 0x800 + 0x1000},  // html, static, border
                 Case{0, 0, 1, 0, 0, 0x30AD + 0x100 + 0x4000},       // outlines, auto size
                 Case{0x1F1, 0x7F8, 0, 10, 10, 0x2085 + 0x20}}) {    // stray high bits ignored
    OutputBuffer().clear();
    WriteDefineEditText(4, 3, 240, 0, "x", c.w, c.h, 0, 0, "", c.input, c.display, c.outlines);
    EXPECT_EQ(ParseEditText(Out()).flags, c.flags) << c.input << " " << c.display;
  }
}

TEST_F(EditTextTest, LineBreaksCollapseAndTheLengthCountsBothStrings) {
  StartMovie(6);
  WriteDefineEditText(4, 3, 240, 0, "a\r\n\nb\r\nc", 10, 10, 0, 0, "_root.日本", 0, 0, 0);
  ParsedEdit e = ParseEditText(Out());
  EXPECT_EQ(e.text, "a\rb\rc");
  EXPECT_EQ(e.variable, "_root.日本");
}

TEST_F(EditTextTest, AutoSizeInSwf4IsWrittenButWarnedAbout) {
  StartMovie(4);
  WriteDefineEditText(4, 3, 240, 0, "あ\r\nい", 0, 0, 0, 0, "v", 0, 0, 0);
  ASSERT_EQ(WriterMessages().size(), 1u);
  EXPECT_EQ(WriterMessages()[0],
            "SWF4ではデバイステキストに自動サイズは使用できません。\r\n"
            "テキストが正しく表示されない可能性があります：\r\n\r\nあ\rい");
  ParsedEdit e = ParseEditText(Out());
  EXPECT_EQ(e.flags & 0x4000, 0x4000u);
  EXPECT_EQ(e.text, "\x82\xA0\r\x82\xA2");  // Shift-JIS in SWF 4

  StartMovie(6);
  WriteDefineEditText(4, 3, 240, 0, "x", 0, 0, 0, 0, "v", 0, 0, 0);
  WriteDefineEditText(4, 3, 240, 0, "x", 0, 5, 0, 0, "v", 0, 0, 0);
  StartMovie(4);
  WriteDefineEditText(4, 3, 240, 0, "x", 0, 5, 0, 0, "v", 0, 0, 0);
  EXPECT_EQ(WriterState().diagnostics.size(), 1u);
}

}  // namespace
}  // namespace tesmiro::testing
