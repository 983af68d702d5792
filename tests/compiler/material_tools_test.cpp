// What the material dialog asks of the media code: the measured box of a
// static text (the same box a movie gets, never while a build runs, never
// touching the writer's state) and the morph check.
#include <gtest/gtest.h>

#include <fstream>

#include "compiler_test_util.h"
#include "compiler/material_tools.h"
#include "compiler/movie_compiler.h"
#include "media/text/text_definitions.h"
#include "media/vector/kvg_text.h"
#include "project/build_lock.h"
#include "support/user_text.h"
#include "swf/font_cache.h"

namespace tesmiro::testing {
namespace {

using namespace GUICore;

// The xmax and ymax of a RECT at the start of a tag body after the ID.
std::pair<int32_t, int32_t> RectMax(const std::vector<uint8_t>& body, size_t at) {
  size_t bit = at * 8;
  auto read = [&](int n) {
    int64_t v = 0;
    for (int i = 0; i < n; ++i, ++bit) v = (v << 1) | ((body[bit / 8] >> (7 - bit % 8)) & 1);
    return v;
  };
  const int n = static_cast<int>(read(5));
  read(n);
  const int64_t xmax = read(n);
  read(n);
  const int64_t ymax = read(n);
  return {static_cast<int32_t>(xmax), static_cast<int32_t>(ymax)};
}

StoreItem Text(const std::string& name, float size = 24, int16_t flags = 0) {
  StoreItem t = NewStoreItem(StoreItemKind::Text);
  t.id = 1;
  t.font = "DejaVu Sans";
  t.size = size;
  t.flags = flags;
  t.name = name;
  return t;
}

TEST_F(CompilerTest, MeasuredBoxIsTheBoxTheMovieGets) {
  for (const StoreItem& text : {Text("AB"), Text("Wide text\r\nline two\r\n", 30, 1), Text("あい", 12, 2)}) {
    auto box = MeasureStaticText(text);
    ASSERT_TRUE(box.has_value());
    EXPECT_GT(box->width, 0);
    EXPECT_GT(box->height, 0);

    State().store.clear();
    State().store.push_back(text);
    State().events.clear();
    State().events.push_back(Place(1, 1));
    ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
    int texts = 0;
    for (const Tag& tag : ReadTags(Movie())) {
      if (tag.code != 33) continue;
      ++texts;
      EXPECT_EQ(RectMax(tag.body, 2), std::make_pair(box->width * 20, box->height * 20)) << text.name;
    }
    EXPECT_EQ(texts, 1);
  }
  // A line more is a taller box.
  EXPECT_GT(MeasureStaticText(Text("A\r\nB"))->height, MeasureStaticText(Text("A"))->height);
}

TEST_F(CompilerTest, MeasuringLeavesTheWriterAsItWasAndWaitsForBuilds) {
  // A writer in the middle of a movie: header, a font in the cache, bytes.
  SWFMakeCore::WriteSWFHeader(8, 100, 100, 12);
  text::FontSurface surface{"DejaVu Sans", 64, false, false};
  int32_t fontID = 5;
  std::string key;
  SWFMakeCore::BuildGlyphTable(surface, "xyz", SWFMakeCore::kOriginCellTop, fontID, key);
  SWFMakeCore::WriteHex("ABCD");
  SWFMakeCore::NextFrame();
  SWFMakeCore::WriteHex("1234");
  const auto frame1 = SWFMakeCore::OutputBuffer();
  SWFMakeCore::GoFrame(-1);
  const auto frame0 = SWFMakeCore::OutputBuffer();
  SWFMakeCore::GoFrame(1);
  const int32_t id = SWFMakeCore::NextAutoID();
  const auto cacheSize = SWFMakeCore::FontCache().cache.size();
  const auto tableCount = SWFMakeCore::FontCache().table.count();

  ASSERT_TRUE(MeasureStaticText(Text("Hello")).has_value());
  EXPECT_EQ(SWFMakeCore::OutputBuffer(), frame1);
  EXPECT_EQ(SWFMakeCore::GetSWFVersion(), 8);
  EXPECT_EQ(SWFMakeCore::NextAutoID(), id + 1);
  EXPECT_EQ(SWFMakeCore::FontCache().cache.size(), cacheSize);
  EXPECT_EQ(SWFMakeCore::FontCache().table.count(), tableCount);
  EXPECT_EQ(SWFMakeCore::FindGlyph('H'), 0);
  SWFMakeCore::GoFrame(-1);
  EXPECT_EQ(SWFMakeCore::OutputBuffer(), frame0);

  BuildLock build;
  EXPECT_FALSE(MeasureStaticText(Text("Hello")).has_value());
}

TEST_F(CompilerTest, MorphCheckComparesPathsAndAnchors) {
  auto write = [&](const std::string& name, const std::vector<TestShape>& shapes) {
    std::ofstream(dir / name, std::ios::binary) << KvgText("030", shapes);
    return (dir / name).string();
  };
  TestShape triangle;
  triangle.points = {{0, 0, 0}, {0, 100, 0}, {0, 50, 80}};
  auto add = [&](int32_t id, StoreItemKind kind, const std::string& path) {
    StoreItem item = NewStoreItem(kind);
    item.id = id;
    item.name = path;
    State().store.push_back(item);
  };
  add(1, StoreItemKind::VectorImage, write("a.kvg", {Rectangle(0, 0, 10, 10)}));
  add(2, StoreItemKind::VectorImage, write("b.kvg", {Rectangle(5, 5, 50, 50)}));
  add(3, StoreItemKind::VectorImage, write("c.kvg", {triangle}));
  add(4, StoreItemKind::VectorImage, write("d.kvg", {Rectangle(0, 0, 1, 1), Rectangle(2, 2, 3, 3)}));
  add(5, StoreItemKind::VectorImage, write("e.kvg", {}));
  add(6, StoreItemKind::RasterImage, (dir / "a.kvg").string());
  add(7, StoreItemKind::VectorImage, (dir / "gone.kvg").string());
  std::ofstream(dir / "text.kvg") << "not a vector image";
  add(8, StoreItemKind::VectorImage, (dir / "text.kvg").string());
  EXPECT_EQ(MorphCheckVerdict(1, 2), "モーフィング可能");
  EXPECT_EQ(MorphCheckVerdict(1, 1), "モーフィング可能");
  EXPECT_EQ(MorphCheckVerdict(1, 3), "Error:アンカーの数が違う");
  EXPECT_EQ(MorphCheckVerdict(1, 4), "Error:パスの数が違う");
  EXPECT_EQ(MorphCheckVerdict(5, 5), "Error:パスの数が違う");
  EXPECT_EQ(MorphCheckVerdict(1, 6), "Error:ベクタ画像ではない");
  EXPECT_EQ(MorphCheckVerdict(1, 7), "Error:ファイルが存在しない");
  EXPECT_EQ(MorphCheckVerdict(0, 1), "Error:ベクタ画像ではない");
  // A file there is but cannot be read as a vector image is told so, on
  // either side; "Error:" heads every verdict.
  EXPECT_EQ(MorphCheckVerdict(1, 8), "Error:ファイルを読み込めない");
  EXPECT_EQ(MorphCheckVerdict(8, 1), "Error:ファイルを読み込めない");
  EXPECT_JAPANESE(MorphCheckVerdict(8, 8), {}, {"Error"});
}

}  // namespace
}  // namespace tesmiro::testing
