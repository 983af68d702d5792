#include <gtest/gtest.h>

#include "media/text/text_definitions.h"
#include "text_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;
using FOutLine::GlyphContour;
using FOutLine::GlyphCurve;
using FOutLine::GlyphOutline;

GlyphOutline OneContour(float sx, float sy, std::vector<GlyphCurve> curves) {
  GlyphOutline o;
  GlyphContour c;
  c.startX = sx;
  c.startY = sy;
  for (auto& curve : curves) curve.pointCount = static_cast<int32_t>(curve.points.size());
  c.curveCount = static_cast<int32_t>(curves.size());
  c.curves = std::move(curves);
  o.contours.push_back(std::move(c));
  o.contourCount = 1;
  return o;
}

TEST(EncodeGlyphShape, AnEmptyOutlineIsTheStyleAndEndRecordsOnly) {
  GlyphRecord r;
  EXPECT_EQ(EncodeGlyphShape(GlyphOutline{}, r), 3);
  EXPECT_EQ(r.shape, (std::vector<uint8_t>{0x10, 0x0A, 0x00}));
  DecodedShape d = DecodeGlyphShape(r.shape);
  EXPECT_TRUE(d.ok) << d.problem;
  EXPECT_TRUE(d.contours.empty());
}

TEST(EncodeGlyphShape, LineRunsAreClosedBackToTheRoundedStart) {
  // Halves round to even: 0.5 -> 0, 99.5 -> 100, -0.5 -> 0.
  GlyphRecord r;
  int32_t n = EncodeGlyphShape(
      OneContour(0.5f, -0.5f, {GlyphCurve{1, 0, {{99.5f, 0}, {100, 100}, {0, 100}}}}), r);
  EXPECT_EQ(n, static_cast<int32_t>(r.shape.size()));
  DecodedShape d = DecodeGlyphShape(r.shape);
  ASSERT_TRUE(d.ok) << d.problem;
  EXPECT_EQ(d.bytes, r.shape.size());
  ASSERT_EQ(d.contours.size(), 1u);
  const ShapeContour& c = d.contours[0];
  EXPECT_EQ(c.start, (ShapePoint{0, 0}));
  EXPECT_EQ(c.straightEdges, 4);
  EXPECT_EQ(c.onCurve,
            (std::vector<ShapePoint>{{100, 0}, {100, 100}, {0, 100}, {0, 0}}));
}

TEST(EncodeGlyphShape, SplinesResolveImpliedMidpointsWithFloor) {
  // Three spline points give two curved edges; the implied on-curve point
  // between the controls (-3, 20) and (0, 20) is floor(-1.5) = -2.
  GlyphRecord r;
  EncodeGlyphShape(OneContour(-10, 0, {GlyphCurve{2, 0, {{-3, 20}, {0, 20}, {10, 0}}}}), r);
  DecodedShape d = DecodeGlyphShape(r.shape);
  ASSERT_TRUE(d.ok) << d.problem;
  ASSERT_EQ(d.contours.size(), 1u);
  EXPECT_EQ(d.contours[0].curvedEdges, 2);
  EXPECT_EQ(d.contours[0].straightEdges, 1);  // the closing edge
  EXPECT_EQ(d.contours[0].onCurve, (std::vector<ShapePoint>{{-2, 20}, {10, 0}, {-10, 0}}));
}

TEST(EncodeGlyphShape, ZeroLengthClosingEdgeAndFarPointsStayDecodable) {
  GlyphRecord r;
  EncodeGlyphShape(OneContour(0, 0, {GlyphCurve{1, 0, {{10, 0}, {0, 0}}}}), r);
  DecodedShape d = DecodeGlyphShape(r.shape);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.contours[0].straightEdges, 3);
  EXPECT_EQ(d.contours[0].onCurve.back(), (ShapePoint{0, 0}));

  // Points far outside any sane glyph must not overflow the 17-bit fields
  // and corrupt the records that follow.
  GlyphOutline far = OneContour(-70000, 0, {GlyphCurve{1, 0, {{70000, 0}, {0, 90000}}}, GlyphCurve{2, 0, {{-80000, 5}, {0, 0}}}});
  GlyphContour second;
  second.startX = 5;
  second.startY = 5;
  second.curves.push_back(GlyphCurve{1, 1, {{6, 6}}});
  second.curveCount = 1;
  far.contours.push_back(second);
  far.contourCount = 2;
  EncodeGlyphShape(far, r);
  d = DecodeGlyphShape(r.shape);
  ASSERT_TRUE(d.ok) << d.problem;
  ASSERT_EQ(d.contours.size(), 2u);
  EXPECT_EQ(d.contours[0].onCurve.back(), d.contours[0].start);
  EXPECT_EQ(d.contours[1].start, (ShapePoint{5, 5}));
  EXPECT_EQ(d.contours[1].onCurve.front(), (ShapePoint{6, 6}));
}

class GlyphTableTest : public TextWriterTest {};

TEST_F(GlyphTableTest, BuildsSortedUniqueGlyphsWithTheFontMetrics) {
  int32_t fontID = 0;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans"), "BAB\r\nA a\t", 1, fontID, key);
  EXPECT_EQ(key, "DejaVu Sans1");
  const GlyphTable& t = FontCache().table;
  std::vector<int32_t> codes;
  for (const auto& g : t.glyphs) codes.push_back(g.code);
  EXPECT_EQ(codes, (std::vector<int32_t>{32, 65, 66, 97}));
  text::TextMetrics m;
  text::GetTextMetrics(Surface("DejaVu Sans"), m);
  EXPECT_EQ(t.ascent, m.ascent);
  EXPECT_EQ(t.descent, m.descent);
  EXPECT_EQ(t.height, m.height);

  EXPECT_EQ(FindGlyph(65), 2);
  EXPECT_EQ(FindGlyph(97), 4);
  EXPECT_EQ(FindGlyph(67), 0);
  EXPECT_EQ(FindGlyph(13), 0);

  const GlyphRecord& space = t.glyph(1);
  EXPECT_EQ(space.shape, (std::vector<uint8_t>{0x10, 0x0A, 0x00}));
  EXPECT_GT(space.advance, 0);

  // "B": three closed contours, drawn below the top of the cell (origin 1:
  // y' = 16 * (ascent - y), so the ink starts at a positive y).
  const GlyphRecord& b = t.glyph(3);
  EXPECT_GT(b.rightEdge, 0);
  DecodedShape d = DecodeGlyphShape(b.shape);
  ASSERT_TRUE(d.ok) << d.problem;
  ASSERT_EQ(d.contours.size(), 3u);
  int32_t minY = INT32_MAX, maxY = INT32_MIN, maxX = INT32_MIN;
  for (const auto& c : d.contours) {
    EXPECT_EQ(c.onCurve.back(), c.start);
    for (const auto& p : c.onCurve) {
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
      maxX = std::max(maxX, p.x);
    }
  }
  EXPECT_GT(minY, 0);
  EXPECT_NEAR(maxY, 16 * t.ascent, 16);  // the baseline, in shape units
  EXPECT_NEAR(maxX, 16 * b.rightEdge, 16);
}

TEST_F(GlyphTableTest, EditTextGlyphsStandOnTheBaseline) {
  int32_t fontID = 0;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans", true, true), "l", 0, fontID, key);
  EXPECT_EQ(key, "DejaVu Sans0BoIt");
  DecodedShape d = DecodeGlyphShape(FontCache().table.glyph(1).shape);
  ASSERT_TRUE(d.ok);
  int32_t maxY = INT32_MIN, minY = INT32_MAX;
  for (const auto& c : d.contours)
    for (const auto& p : c.onCurve) maxY = std::max(maxY, p.y), minY = std::min(minY, p.y);
  EXPECT_EQ(maxY, 0);  // y' = -16 y: the foot of "l" on the baseline
  EXPECT_LT(minY, -16 * 60);
}

TEST_F(GlyphTableTest, OneMovieSharesOneFontPerKey) {
  std::vector<std::string> asked;
  SetTextCollector([&](const std::string& key) {
    asked.push_back(key);
    return std::string("AB") + "CD";
  });
  int32_t first = 7;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans"), "AB", 1, first, key);
  EXPECT_EQ(first, 7);
  EXPECT_EQ(asked, (std::vector<std::string>{"DejaVu Sans1"}));
  EXPECT_EQ(FontCache().table.count(), 4);  // the characters of both texts

  int32_t second = 9;
  BuildGlyphTable(Surface("DejaVu Sans"), "CD", 1, second, key);
  EXPECT_EQ(second, 7);  // written once, by the first text
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(FontCache().table.count(), 4);

  // Edit-text glyphs sit differently: another key, another font.
  int32_t edit = 11;
  BuildGlyphTable(Surface("DejaVu Sans"), "AB", 0, edit, key);
  EXPECT_EQ(edit, 11);
  EXPECT_EQ(key, "DejaVu Sans0");
  ASSERT_EQ(FontCache().cache.size(), 2u);
  EXPECT_NE(FontCache().cache[0].glyphs.glyph(1).shape, FontCache().cache[1].glyphs.glyph(1).shape);

  // Bold is its own font too.
  int32_t bold = 13;
  BuildGlyphTable(Surface("DejaVu Sans", true), "AB", 1, bold, key);
  EXPECT_EQ(bold, 13);
  EXPECT_EQ(key, "DejaVu Sans1Bo");

  // A new movie starts with an empty cache.
  WriteSWFHeader(6, 100, 100, 12);
  int32_t again = 15;
  BuildGlyphTable(Surface("DejaVu Sans"), "AB", 1, again, key);
  EXPECT_EQ(again, 15);
}

TEST_F(GlyphTableTest, TheCallersTextIsEmbeddedEvenWhenTheProjectLacksIt) {
  SetTextCollector([](const std::string&) { return std::string("X"); });
  int32_t id = 3;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans"), "Y", 1, id, key);
  EXPECT_NE(FindGlyph('X'), 0);
  EXPECT_NE(FindGlyph('Y'), 0);

  // Font ID 0 (measuring a text) asks nobody.
  FontCache() = {};
  bool asked = false;
  SetTextCollector([&](const std::string&) {
    asked = true;
    return std::string("Q");
  });
  int32_t zero = 0;
  BuildGlyphTable(Surface("DejaVu Sans"), "Z", 1, zero, key);
  EXPECT_FALSE(asked);
  EXPECT_EQ(FontCache().table.count(), 1);
}

TEST_F(GlyphTableTest, CharactersBeyondSixteenBitsAndControlsGetNoGlyph) {
  int32_t id = 0;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans"), "a\xF0\x9F\x98\x80\x01\x7F" "b", 1, id, key);
  std::vector<int32_t> codes;
  for (const auto& g : FontCache().table.glyphs) codes.push_back(g.code);
  EXPECT_EQ(codes, (std::vector<int32_t>{97, 98, 127}));
  for (int32_t c : codes) EXPECT_LT(c, 0xD800);
}

TEST_F(GlyphTableTest, AnEmptyTextMakesNoTableAndNoCacheEntry) {
  int32_t id = 5;
  std::string key;
  BuildGlyphTable(Surface("DejaVu Sans"), "", 1, id, key);
  EXPECT_EQ(FontCache().table.count(), 0);
  EXPECT_TRUE(FontCache().cache.empty());
  EXPECT_EQ(FindGlyph(65), 0);
}

TEST(MakeFontKey, NameOriginBoldItalic) {
  EXPECT_EQ(MakeFontKey("ＭＳ ゴシック", 1, true, false), "ＭＳ ゴシック1Bo");
  EXPECT_EQ(MakeFontKey("Arial", 0, false, true), "Arial0It");
  EXPECT_EQ(MakeFontKey("Arial", 1, true, true), "Arial1BoIt");
}

}  // namespace
}  // namespace tesmiro::testing
