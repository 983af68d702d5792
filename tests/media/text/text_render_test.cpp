// Texts played in Ruffle (headless Chromium): the ink lands where and as large
// as a FreeType raster of the same string at the same scale says it should.
#include <gtest/gtest.h>
#include <png.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "media/text/text_definitions.h"
#include "support/checkers.h"
#include "support/temp_dir.h"
#include "text_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

constexpr int kStageW = 400, kStageH = 320;

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive pixels
  bool empty() const { return left > right; }
  void add(int x, int y) {
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
};

// Dark pixels of an RGB screenshot inside rows [y0, y1).
Box InkBox(const std::vector<uint8_t>& rgb, int width, int y0, int y1) {
  Box b;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      if (p[0] + p[1] + p[2] < 3 * 128) b.add(x, y);
    }
  return b;
}

bool ReadPng(const std::filesystem::path& path, std::vector<uint8_t>& rgb, int& w, int& h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  w = static_cast<int>(image.width), h = static_cast<int>(image.height);
  return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

std::string FontFile(const char* family) {
  text::FontSurface s;
  s.name = family;
  text::ResolvedFont f;
  return text::ResolveFont(s, f) ? f.file : std::string();
}

// The ink box of a string drawn by FreeType's own rasteriser with the pen
// advancing by the given twips per glyph and the baseline at baselineY.
Box RasterBox(const std::string& file, double emPx, const std::string& s, const std::vector<int>& advancesTwips,
              double penX, double baselineY) {
  Box b;
  FT_Library lib;
  FT_Face face;
  if (FT_Init_FreeType(&lib) != 0) return b;
  if (FT_New_Face(lib, file.c_str(), 0, &face) == 0) {
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(emPx * 64), 72, 72);
    for (size_t i = 0; i < s.size(); ++i) {
      if (FT_Load_Char(face, static_cast<unsigned char>(s[i]), FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0) {
        const FT_Bitmap& bm = face->glyph->bitmap;
        for (unsigned y = 0; y < bm.rows; ++y)
          for (unsigned x = 0; x < bm.width; ++x)
            if (bm.buffer[y * bm.pitch + x] >= 128)
              b.add(static_cast<int>(std::floor(penX)) + face->glyph->bitmap_left + static_cast<int>(x),
                    static_cast<int>(std::floor(baselineY)) - face->glyph->bitmap_top + static_cast<int>(y));
      }
      penX += advancesTwips[i] / 20.0;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return b;
}

void Place(int32_t id, int32_t depth, int32_t xPx, int32_t yPx) {
  Placement p;
  p.characterId = id;
  p.depth = depth;
  p.x = xPx * 20;
  p.y = yPx * 20;
  ASSERT_TRUE(WritePlaceObject(p));
}

// v = "CCCCCC" as a frame script, assembled by hand.
void SetVariableAction() {
  std::vector<uint8_t> push{0x96, 0, 0, 0, 'v', 0, 0, 'C', 'C', 'C', 'C', 'C', 'C', 0};
  push[1] = static_cast<uint8_t>(push.size() - 3);
  std::vector<uint8_t> body = push;
  body.push_back(0x1D);  // SetVariable
  body.push_back(0x00);
  WriteHex("3F03");
  WriteU32(static_cast<int32_t>(body.size()));
  OutputBuffer().insert(OutputBuffer().end(), body.begin(), body.end());
}

class TextRenderTest : public TextWriterTest {};

TEST_F(TextRenderTest, StaticAndEditTextInkWhereFreeTypeDrawsIt) {
  REQUIRE_CHECKER(MissingRuffle());
  const std::string dejavu = FontFile("DejaVu Sans");
  ASSERT_FALSE(dejavu.empty());
  TempDir dir;

  WriteSWFHeader(6, kStageW, kStageH, 12);
  WriteSetBackgroundColor(255, 255, 255);
  text::FontSurface surface;
  surface.name = "DejaVu Sans";

  // Static text, 40 points: font 1, text 2, at (20, 10).
  const std::string word = "Hxgl";
  const int32_t size = 40 * 20;
  int32_t fontID = 1;
  std::string key;
  BuildGlyphTable(surface, word, kOriginCellTop, fontID, key);
  WriteDefineFont2(1, key, 0, 0);
  const GlyphTable staticTable = FontCache().table;
  int32_t w = 0, h = 0;
  WriteDefineText2(2, 1, size, 0, word, w, h, kAlignLeft, 0);

  // Embedded edit text bound to "v", set by the frame script: font 3, text 4.
  int32_t editFont = 3;
  BuildGlyphTable(surface, "ABC", kOriginBaseline, editFont, key);
  WriteDefineFont2(3, key, 0x80, 0);
  const GlyphTable editTable = FontCache().table;
  WriteDefineEditText(4, 3, size, 0, "ABC", 360, 80, kAlignLeft, 0, "v", 0, 0, 1);

  // A device-font edit text: the player draws it with a font of its own.
  WriteDeviceFont(5, "_sans", 0);
  WriteDefineEditText(6, 5, size, 0, "Device", 360, 60, kAlignLeft, 0, "d", 0, 0, 0);

  Place(2, 1, 20, 10);
  Place(4, 2, 20, 130);
  Place(6, 3, 20, 250);
  SetVariableAction();
  WriteShowFrame();
  WriteEnd();
  PatchU16(FrameCountOffset(OutputBuffer()), 1);
  const std::filesystem::path movie = dir / "texts.swf", shot = dir / "texts.png";
  ASSERT_TRUE(SaveOutput(movie));

  const std::string command = "node " + std::string(TESMIRO_TEST_JS_DIR) + "/render_swf.mjs " + movie.string() +
                              " --frames 3 --screenshot " + shot.string() + " > " + (dir / "render.log").string() +
                              " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<uint8_t> rgb;
  int sw = 0, sh = 0;
  ASSERT_TRUE(ReadPng(shot, rgb, sw, sh));
  ASSERT_EQ(sw, kStageW);
  ASSERT_EQ(sh, kStageH);

  // Glyph units are 1/16 pixel of an 85-pixel em, shown at 1024 units per
  // text height: the em on the stage is height x 85 / 64.
  const double em = size / 20.0 * 85.0 / 64.0;
  std::vector<int> advances;
  for (char c : word)
    advances.push_back(staticTable.glyph(FindGlyphIn(staticTable, c)).advance * size / 64);
  const double baseline = 10 + staticTable.ascent * (size / 20.0) / 64.0;
  Box expected = RasterBox(dejavu, em, word, advances, 20, baseline);
  Box seen = InkBox(rgb, sw, 0, 120);
  ASSERT_FALSE(seen.empty());
  EXPECT_NEAR(seen.left, expected.left, 2);
  EXPECT_NEAR(seen.right, expected.right, 2);
  EXPECT_NEAR(seen.top, expected.top, 2);
  EXPECT_NEAR(seen.bottom, expected.bottom, 2);

  // The edit text shows the script's "CCCCCC", not its initial "ABC": six
  // glyphs wide.
  std::vector<int> cAdvances(6, editTable.glyph(FindGlyphIn(editTable, 'C')).advance * size / 64);
  Box six = RasterBox(dejavu, em, "CCCCCC", cAdvances, 0, 100);
  Box field = InkBox(rgb, sw, 120, 240);
  ASSERT_FALSE(field.empty());
  EXPECT_NEAR(field.right - field.left, six.right - six.left, 3);
  EXPECT_NEAR(field.bottom - field.top, six.bottom - six.top, 3);
  // Placed at (20, 130); the player keeps a 2-pixel gutter inside the field
  // and puts the first baseline one font ascent below it.
  EXPECT_NEAR(field.left, 20 + 2 + six.left, 2);
  EXPECT_NEAR(field.bottom, 130 + 2 + editTable.ascent * (size / 20.0) / 64.0 + (six.bottom - 100), 2);

  Box device = InkBox(rgb, sw, 240, kStageH);
  ASSERT_FALSE(device.empty());
  EXPECT_NEAR(device.left, 22, 4);
  EXPECT_GT(device.right - device.left, 60);  // six letters at 40 points
}

}  // namespace
}  // namespace tesmiro::testing
