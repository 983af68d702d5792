#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "media/text/font_surface.h"
#include "media/text/glyph_outline.h"
#include "platform/byte_reader.h"

namespace tesmiro {
namespace {

using FOutLine::GetGlyphOutline;
using FOutLine::GlyphOutline;

text::FontSurface Font(std::string name, bool bold = false) {
  text::FontSurface s;
  s.name = std::move(name);
  s.bold = bold;
  return s;
}

int32_t Fixed(double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); }

TEST(FixedToSingle, ReadsFractionAndSignedIntegerHalves) {
  EXPECT_EQ(FOutLine::FixedToSingle(static_cast<int32_t>(0xFFFF8000u)), -0.5f);
  EXPECT_EQ(FOutLine::FixedToSingle(0x00018000), 1.5f);
  EXPECT_EQ(FOutLine::FixedToSingle(0x7FFF0000), 32767.0f);
  EXPECT_EQ(FOutLine::FixedToSingle(static_cast<int32_t>(0x80000000u)), -32768.0f);
  EXPECT_EQ(FOutLine::FixedToSingle(0x00000001), static_cast<float>(1.0 / 65536.0));
}

// A native buffer written here by hand: one polygon with a line run and a
// three-point spline, then a second polygon with one line.
std::vector<uint8_t> HandOutline() {
  ByteWriter w;
  w.u32(16 + 4 + 16 + 4 + 24);
  w.u32(24);
  w.i32(Fixed(1.0));
  w.i32(Fixed(2.0));
  w.u16(1);
  w.u16(2);
  for (double v : {5.0, 2.0, 5.0, 7.25}) w.i32(Fixed(v));
  w.u16(2);
  w.u16(3);
  for (double v : {4.0, 9.0, 2.0, 9.0, 1.0, -0.5}) w.i32(Fixed(v));
  w.u32(16 + 4 + 8);
  w.u32(24);
  w.i32(Fixed(-3.0));
  w.i32(Fixed(0.0));
  w.u16(1);
  w.u16(1);
  w.i32(Fixed(-1.0));
  w.i32(Fixed(0.0));
  return w.data();
}

TEST(ParseNativeOutline, KeepsEveryPointAsReadAndTheLargestCount) {
  GlyphOutline o;
  ASSERT_TRUE(FOutLine::ParseNativeOutline(HandOutline(), o));
  ASSERT_EQ(o.contourCount, 2);
  ASSERT_EQ(o.contours.size(), 2u);
  EXPECT_EQ(o.largestPointCount, 3);
  const auto& c = o.contours[0];
  EXPECT_EQ(c.startX, 1.0f);
  EXPECT_EQ(c.startY, 2.0f);
  ASSERT_EQ(c.curveCount, 2);
  EXPECT_EQ(c.curves[0].type, FOutLine::kCurveLine);
  EXPECT_EQ(c.curves[0].pointCount, 2);
  EXPECT_EQ(c.curves[0].points[1].y, 7.25f);
  EXPECT_EQ(c.curves[1].type, FOutLine::kCurveQSpline);
  ASSERT_EQ(c.curves[1].points.size(), 3u);
  EXPECT_EQ(c.curves[1].points[2].x, 1.0f);
  EXPECT_EQ(c.curves[1].points[2].y, -0.5f);
  EXPECT_EQ(o.contours[1].startX, -3.0f);
  EXPECT_EQ(o.contours[1].curveCount, 1);
}

TEST(ParseNativeOutline, TruncatedOrLyingBuffersStopWithoutReadingPastTheEnd) {
  std::vector<uint8_t> full = HandOutline();
  // Cut inside the spline's points: the first polygon keeps its line run.
  std::vector<uint8_t> cut(full.begin(), full.begin() + 16 + 4 + 16 + 4 + 10);
  GlyphOutline o;
  EXPECT_FALSE(FOutLine::ParseNativeOutline(cut, o));
  ASSERT_EQ(o.contourCount, 1);
  EXPECT_EQ(o.contours[0].curveCount, 1);

  // A curve header claiming 65535 points in a 40-byte buffer.
  ByteWriter w;
  w.u32(1000);
  w.u32(24);
  w.i32(0);
  w.i32(0);
  w.u16(1);
  w.u16(0xFFFF);
  w.i32(0);
  GlyphOutline big;
  EXPECT_FALSE(FOutLine::ParseNativeOutline(w.data(), big));
  EXPECT_EQ(big.largestPointCount, 0);

  // A header cut short.
  GlyphOutline shortHeader;
  EXPECT_FALSE(FOutLine::ParseNativeOutline(std::vector<uint8_t>(full.begin(), full.begin() + 9), shortHeader));
  EXPECT_EQ(shortHeader.contourCount, 0);
}

TEST(TransformGlyph, FlipsAroundTheBaselineAndScales) {
  GlyphOutline o;
  FOutLine::GlyphContour c;
  c.startX = 2.0f;
  c.startY = 10.0f;
  c.curves.push_back(FOutLine::GlyphCurve{1, 1, {{-1.5f, 10.0f}}});
  c.curveCount = 1;
  o.contours = {c};
  o.contourCount = 1;
  o.metrics.blackBoxX = 7;

  GlyphOutline edit = o;
  FOutLine::TransformGlyph(edit, 0, 0, 16.0f, true, 0);
  EXPECT_EQ(edit.contours[0].startY, -160.0f);
  EXPECT_EQ(edit.contours[0].startX, 32.0f);
  EXPECT_EQ(edit.contours[0].curves[0].points[0].x, -24.0f);
  EXPECT_EQ(edit.contours[0].curves[0].points[0].y, -160.0f);
  EXPECT_EQ(edit.metrics.blackBoxX, 7u);

  GlyphOutline cell = o;
  FOutLine::TransformGlyph(cell, 0, 0, 16.0f, true, 60);
  EXPECT_EQ(cell.contours[0].startY, 800.0f);

  GlyphOutline moved = o;
  FOutLine::TransformGlyph(moved, 5.0f, -1.0f, 2.0f, false, 99);
  EXPECT_EQ(moved.contours[0].startX, 9.0f);
  EXPECT_EQ(moved.contours[0].startY, 19.0f);
}

TEST(GetGlyphOutline, EmptyTextGivesAnAllZeroRecord) {
  GlyphOutline o = GetGlyphOutline(Font("DejaVu Sans"), "");
  EXPECT_TRUE(o.character.empty());
  EXPECT_EQ(o.contourCount, 0);
  EXPECT_EQ(o.largestPointCount, 0);
  EXPECT_EQ(o.metrics.cellIncX, 0);
  EXPECT_EQ(o.metrics.blackBoxX, 0u);
}

// Every point of a glyph lies within its black box (spline controls of a
// TrueType glyph stay inside the extrema points' box).
void ExpectInsideBlackBox(const GlyphOutline& o) {
  const auto& m = o.metrics;
  double left = m.originX - 0.01, right = m.originX + static_cast<double>(m.blackBoxX) + 0.01;
  double top = m.originY + 0.01, bottom = m.originY - static_cast<double>(m.blackBoxY) - 0.01;
  auto inside = [&](float x, float y) { return x >= left && x <= right && y <= top && y >= bottom; };
  for (const auto& c : o.contours) {
    EXPECT_TRUE(inside(c.startX, c.startY)) << o.character;
    for (const auto& curve : c.curves)
      for (const auto& p : curve.points) EXPECT_TRUE(inside(p.x, p.y)) << o.character << " " << p.x << "," << p.y;
  }
}

TEST(GetGlyphOutline, DejaVuLettersHaveTheirContours) {
  const auto font = Font("DejaVu Sans");
  struct Case {
    const char* ch;
    int contours;
  };
  for (Case c : {Case{"O", 2}, Case{"B", 3}, Case{"i", 2}, Case{"l", 1}, Case{"8", 3}, Case{"A", 2}, Case{"é", 3}}) {
    GlyphOutline o = GetGlyphOutline(font, c.ch);
    EXPECT_EQ(o.contourCount, c.contours) << c.ch;
    EXPECT_EQ(o.character, c.ch);
    EXPECT_GT(o.metrics.cellIncX, 0) << c.ch;
    EXPECT_EQ(o.metrics.cellIncY, 0) << c.ch;
    ExpectInsideBlackBox(o);
    for (const auto& contour : o.contours) {
      EXPECT_EQ(contour.curveCount, static_cast<int32_t>(contour.curves.size()));
      for (const auto& curve : contour.curves) {
        EXPECT_EQ(curve.pointCount, static_cast<int32_t>(curve.points.size()));
        EXPECT_TRUE(curve.type == 1 || curve.type == 2);
        if (curve.type == 2) {
          EXPECT_GE(curve.pointCount, 2);
        }
      }
    }
  }
  // The round letter keeps runs of off-curve controls as one spline with
  // implied points, as the font stores it.
  EXPECT_GE(GetGlyphOutline(font, "O").largestPointCount, 3);
  // "l" is a plain rectangle: one line run, no spline.
  GlyphOutline l = GetGlyphOutline(font, "l");
  for (const auto& curve : l.contours[0].curves) EXPECT_EQ(curve.type, FOutLine::kCurveLine);
  // At an 85-pixel em the letter stands on the baseline and rises ~70 px.
  EXPECT_EQ(l.metrics.originY - static_cast<int32_t>(l.metrics.blackBoxY), 0);
  EXPECT_NEAR(l.metrics.originY, 65, 3);
}

TEST(GetGlyphOutline, ReadsOnlyTheFirstCharacter) {
  const auto font = Font("DejaVu Sans");
  GlyphOutline a = GetGlyphOutline(font, "A");
  GlyphOutline ab = GetGlyphOutline(font, "AB");
  EXPECT_EQ(ab.character, "A");
  EXPECT_EQ(ab.contourCount, a.contourCount);
  EXPECT_EQ(ab.metrics.cellIncX, a.metrics.cellIncX);
  GlyphOutline kana = GetGlyphOutline(Font("IPAGothic"), "あい");
  EXPECT_EQ(kana.character, "あ");
}

TEST(GetGlyphOutline, BlanksAndMissingGlyphsHaveAnAdvanceButNoOutline) {
  for (const char* ch : {" ", "あ"}) {  // DejaVu Sans has no kana
    GlyphOutline o = GetGlyphOutline(Font("DejaVu Sans"), ch);
    EXPECT_EQ(o.contourCount, 0) << ch;
    EXPECT_TRUE(o.character.empty()) << ch;
    EXPECT_GT(o.metrics.cellIncX, 0) << ch;
  }
  EXPECT_EQ(GetGlyphOutline(Font("DejaVu Sans"), " ").metrics.cellIncX, 27);  // 651/2048 of 85 px
}

TEST(FontSurface, WindowsJapaneseNamesLandOnTheIpaFonts) {
  text::ResolvedFont f;
  ASSERT_TRUE(text::ResolveFont(Font("ＭＳ ゴシック"), f));
  EXPECT_EQ(f.family, "IPAGothic");
  text::ResolvedFont p;
  ASSERT_TRUE(text::ResolveFont(Font("ＭＳ Ｐゴシック"), p));
  EXPECT_EQ(p.family, "IPAPGothic");
  // Vertical fonts are drawn horizontally with the same face.
  text::ResolvedFont vertical;
  ASSERT_TRUE(text::ResolveFont(Font("@ＭＳ ゴシック"), vertical));
  EXPECT_EQ(vertical.file, f.file);
  // A Japanese name that is not installed still gets Japanese glyphs, and so
  // do the mincho names when only the gothic font is installed.
  for (const char* name : {"ＨＧ丸ゴシックM-PRO", "ＭＳ 明朝", "_ゴシック"}) {
    GlyphOutline o = GetGlyphOutline(Font(name), "漢");
    EXPECT_GT(o.contourCount, 0) << name;
  }
  // Latin names stay with a Latin face.
  text::ResolvedFont latin;
  ASSERT_TRUE(text::ResolveFont(Font("DejaVu Sans"), latin));
  EXPECT_EQ(latin.family, "DejaVu Sans");
}

TEST(FontSurface, BoldComesFromABoldFaceOrIsSynthesised) {
  text::ResolvedFont dejavu;
  ASSERT_TRUE(text::ResolveFont(Font("DejaVu Sans", true), dejavu));
  EXPECT_FALSE(dejavu.syntheticBold);
  EXPECT_NE(dejavu.file.find("Bold"), std::string::npos);

  text::ResolvedFont ipa;
  ASSERT_TRUE(text::ResolveFont(Font("IPAGothic", true), ipa));
  EXPECT_TRUE(ipa.syntheticBold);
  GlyphOutline regular = GetGlyphOutline(Font("IPAGothic"), "あ");
  GlyphOutline bold = GetGlyphOutline(Font("IPAGothic", true), "あ");
  EXPECT_EQ(bold.contourCount, regular.contourCount);
  EXPECT_GT(bold.metrics.blackBoxX, regular.metrics.blackBoxX);

  text::FontSurface italic = Font("IPAGothic");
  italic.italic = true;
  GlyphOutline slanted = GetGlyphOutline(italic, "l");
  GlyphOutline upright = GetGlyphOutline(Font("IPAGothic"), "l");
  EXPECT_GT(slanted.metrics.blackBoxX, upright.metrics.blackBoxX);
}

TEST(FontSurface, TextMetricsComeFromTheOs2WindowsFields) {
  EXPECT_EQ(text::EmPixels(64), 85);
  text::TextMetrics m;
  ASSERT_TRUE(text::GetTextMetrics(Font("DejaVu Sans"), m));
  // DejaVu Sans: 2048 units per em, Windows ascent 1901, descent 483.
  EXPECT_EQ(m.ascent, 79);
  EXPECT_EQ(m.descent, 20);
  EXPECT_EQ(m.height, 99);
  text::TextMetrics small;
  text::FontSurface nine = Font("DejaVu Sans");
  nine.size = 9;
  ASSERT_TRUE(text::GetTextMetrics(nine, small));
  EXPECT_EQ(small.height, small.ascent + small.descent);
  EXPECT_LT(small.height, 20);
}

}  // namespace
}  // namespace tesmiro
