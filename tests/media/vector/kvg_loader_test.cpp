#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "kvg_text.h"
#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro::ShapeModule {
namespace {

using testing::KvgColor;
using testing::KvgText;
using testing::KvgTextOptions;
using testing::Rectangle;
using testing::TestShape;

// The image, or an empty one with the loader's reason in `error`.
struct Loaded : KvgImage {
  std::string error;
};
Loaded Load(const std::string& text) {
  Result<KvgImage> read = LoadKVGFromBytes(text);
  Loaded loaded;
  if (read) static_cast<KvgImage&>(loaded) = std::move(*read);
  else loaded.error = read.message();
  return loaded;
}

TEST(KvgLoader, Version010ReadsFourteenValuesAndCopiesScaleX) {
  TestShape s = Rectangle(0, 0, 2000, 1000);
  s.lineWidth = 40;
  s.lineColor = KvgColor(1, 2, 3, 4);
  s.fillKind = 2;
  s.color1 = KvgColor(255, 255, 255);
  s.centerX = 1000;
  s.centerY = -500;
  s.angle = 45;
  s.scaleX = 0.25;
  s.color2 = KvgColor(0, 128, 0);
  s.spareFlag = true;
  s.spareNumber = 7;
  const Loaded image = Load(KvgText("010", {s}));
  ASSERT_EQ(image.count, 1) << image.error;
  const KvgShape& k = image.shape(1);
  EXPECT_EQ(k.lastPoint, 3);
  ASSERT_EQ(k.points.size(), 4u);
  EXPECT_EQ(k.points[2].x, 2000);
  EXPECT_EQ(k.points[2].y, 1000);
  EXPECT_TRUE(k.closed);
  EXPECT_EQ(k.lineWidth, 40);
  EXPECT_EQ(k.lineColor, KvgColor(1, 2, 3, 4));
  EXPECT_EQ(k.fillKind, 2);
  EXPECT_EQ(k.centerY, -500);
  EXPECT_FLOAT_EQ(k.angle, 45.0f);
  EXPECT_FLOAT_EQ(k.scaleX, 0.25f);
  EXPECT_FLOAT_EQ(k.scaleY, 0.25f);
  EXPECT_EQ(k.color2, KvgColor(0, 128, 0));
  EXPECT_TRUE(k.spareFlag);
  EXPECT_EQ(k.spareNumber, 7);
  EXPECT_EQ(k.stopCount, 0);
  EXPECT_FALSE(k.compound);
  EXPECT_TRUE(k.encodingState.empty());
}

TEST(KvgLoader, Version020AddsCompoundGroupAnd030AddsScaleYAndStops) {
  TestShape a = Rectangle(0, 0, 100, 100);
  a.compound = true;
  a.group = 3;
  a.scaleX = 2;
  const Loaded v020 = Load(KvgText("020", {a}));
  ASSERT_EQ(v020.count, 1) << v020.error;
  EXPECT_TRUE(v020.shape(1).compound);
  EXPECT_EQ(v020.shape(1).group, 3);
  EXPECT_FLOAT_EQ(v020.shape(1).scaleY, 2.0f);

  a.scaleY = 0.5;
  a.stops = {{64, KvgColor(10, 20, 30)}, {200, KvgColor(40, 50, 60, 70)}};
  TestShape b = Rectangle(10, 10, 20, 20);
  const Loaded v030 = Load(KvgText("030", {a, b}));
  ASSERT_EQ(v030.count, 2) << v030.error;
  const KvgShape& k = v030.shape(1);
  EXPECT_FLOAT_EQ(k.scaleX, 2.0f);
  EXPECT_FLOAT_EQ(k.scaleY, 0.5f);
  ASSERT_EQ(k.stopCount, 2);
  EXPECT_EQ(k.stop(1).ratio, 64);
  EXPECT_EQ(k.stop(1).color, KvgColor(10, 20, 30));
  EXPECT_EQ(k.stop(2).ratio, 200);
  EXPECT_EQ(k.stop(2).color, KvgColor(40, 50, 60, 70));
  // The points come after the stops and the next shape after the points.
  EXPECT_EQ(k.points[1].x, 100);
  EXPECT_EQ(v030.shape(2).points[0].x, 10);
  EXPECT_EQ(v030.shape(2).stopCount, 0);
}

TEST(KvgLoader, AcceptsTheLayoutsATextEditorMayLeave) {
  TestShape s = Rectangle(-5, -6, 7, 8);
  s.closed = false;
  const std::string crlf = KvgText("030", {s});
  const std::string lf = KvgText("030", {s}, KvgTextOptions{"\n", false});
  std::string spaced = "\xEF\xBB\xBFKVG030\r\n320\r\n240\r\n\r\n 1 \r\n";
  spaced += "3, 0 ,20,1,0,1,255,0,0,0.0,1,1,0,\"0\",0,False,0\r\n0\r\n";
  spaced += "0,-5,-6\r\n0,7,-6\r\n0,7,8\r\n0,-5,8";  // no line end at the very end
  for (const std::string& text : {crlf, lf, spaced}) {
    const Loaded image = Load(text);
    ASSERT_EQ(image.count, 1) << image.error;
    EXPECT_FALSE(image.shape(1).closed);
    EXPECT_EQ(image.shape(1).points[3].x, -5);
    EXPECT_EQ(image.shape(1).points[3].y, 8);
  }
  // Booleans may be written as numbers; any number but 0 is true.
  EXPECT_TRUE(Load("KVG010\n1\n1\n1\n1,-1,0,0,0,0,0,0,0,0,1,0,5,0\n0,0,0\n0,1,1\n").shape(1).closed);
  EXPECT_TRUE(Load("KVG010\n1\n1\n1\n1,-1,0,0,0,0,0,0,0,0,1,0,5,0\n0,0,0\n0,1,1\n").shape(1).spareFlag);
  // A whole-number field takes a decimal value rounded half to even.
  EXPECT_EQ(Load("KVG010\n1\n1\n1\n1,0,2.5,0,0,0,0,0,0,0,1,0,0,0\n0,0,0\n0,1,1\n").shape(1).lineWidth, 2);
}

TEST(KvgLoader, ShapesOfFewerThanTwoPointsAreDropped) {
  TestShape one = Rectangle(0, 0, 10, 10);
  one.points.resize(1);
  TestShape keep = Rectangle(0, 0, 50, 50);
  keep.color1 = KvgColor(1, 1, 1);
  TestShape two = keep;
  two.points.resize(2);
  two.color1 = KvgColor(2, 2, 2);
  const Loaded image = Load(KvgText("020", {one, one, keep, one, two}));
  ASSERT_EQ(image.count, 2) << image.error;
  EXPECT_EQ(image.shape(1).color1, KvgColor(1, 1, 1));
  EXPECT_EQ(image.shape(2).color1, KvgColor(2, 2, 2));

  std::vector<KvgShape> shapes(3);
  shapes[0].lastPoint = 0;
  shapes[1].lastPoint = 0;
  shapes[2].lastPoint = 1;
  EXPECT_EQ(RemoveEmptyShapes(shapes), 1);
}

TEST(KvgLoader, AnUnknownVersionReadsEveryShapeAsOnePoint) {
  // Three values per shape, and so nothing is left.
  const Loaded image = Load("KVG040\r\n1\r\n1\r\n2\r\n0,5,5\r\n0,6,6\r\n");
  EXPECT_EQ(image.count, 0);
  EXPECT_TRUE(image.error.empty());
  EXPECT_FALSE(Load("KVG040\r\n1\r\n1\r\n2\r\n0,5,5\r\n").error.empty());
}

TEST(KvgLoader, BrokenFilesLoadAsEmptyImages) {
  const std::string good = KvgText("030", {Rectangle(0, 0, 10, 10)});
  ASSERT_EQ(Load(good).count, 1);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = good;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"not KVG", "XKG" + good.substr(3)},
      {"empty", ""},
      {"header only", "KVG030\r\n320\r\n"},
      {"cut short", good.substr(0, good.size() - 8)},
      {"letters for a number", replaced("0,10,10", "0,ten,10")},
      {"hexadecimal", replaced("0,10,10", "0,&HA,10")},
      {"16-bit kind out of range", replaced("0,10,10", "40000,10,10")},
      {"32-bit value out of range", replaced("0,10,10", "0,3000000000,10")},
      {"negative shape count", replaced("\r\n1\r\n", "\r\n-1\r\n")},
      {"shape count beyond the file", replaced("\r\n1\r\n", "\r\n1000000000\r\n")},
      {"shape count beyond the style fields", replaced("\r\n1\r\n", "\r\n40000\r\n")},
      {"point count beyond the file", replaced("3,#TRUE#", "2000000000,#TRUE#")},
      {"negative point count", replaced("3,#TRUE#", "-5,#TRUE#")},
      {"stop count beyond the file", replaced("\r\n0\r\n0,0,0", "\r\n900000000\r\n0,0,0")},
      {"negative stop count", replaced("\r\n0\r\n0,0,0", "\r\n-1\r\n0,0,0")},
      {"unclosed quote", replaced("0,10,10", "0,\"10,10")},
  };
  for (const auto& [name, text] : cases) {
    const Loaded image = Load(text);
    EXPECT_EQ(image.count, 0) << name;
    EXPECT_TRUE(image.shapes.empty()) << name;
    EXPECT_FALSE(image.error.empty()) << name;
  }
  // A float field beyond the single range.
  std::string text = good;
  text.replace(text.find(",0,1,1,"), 7, ",0,1e39,1,");
  EXPECT_EQ(Load(text).count, 0);
}

TEST(KvgLoader, FarFlungPointsBeyondTheEdgeBudgetAreRefused) {
  // Each edge across the whole coordinate range is split into thousands of
  // records; enough of them would make a shape tag of gigabytes.
  TestShape s;
  s.closed = false;
  for (int i = 0; i < 2000; ++i) s.points.push_back({0, (i % 2) ? 2000000000 : -2000000000, 0});
  const Loaded image = Load(KvgText("010", {s}));
  EXPECT_EQ(image.count, 0);
  EXPECT_FALSE(image.error.empty());
  // A few such edges are fine.
  s.points.resize(4);
  EXPECT_EQ(Load(KvgText("010", {s})).count, 1);
}

TEST(KvgLoader, LoadsFromAFileAndReadsTheDeclaredSize) {
  testing::TempDir dir;
  const auto path = dir / "a.kvg";
  KvgTextOptions o;
  o.width = 640;
  o.height = 480;
  std::ofstream(path, std::ios::binary) << KvgText("020", {Rectangle(0, 0, 10, 10)}, o);
  EXPECT_EQ(LoadKVG(path)->count, 1);
  const KvgDeclaredSize size = ReadKVGDeclaredSize(path);
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);

  const Result<KvgImage> missing = LoadKVG(dir / "missing.kvg");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.message().find("missing.kvg"), std::string::npos);
  EXPECT_EQ(ReadKVGDeclaredSize(dir / "missing.kvg").width, 0);
}

TEST(KvgBounds, WidenByTheWholeLineWidth) {
  TestShape s;
  s.points = {{0, 100, 100}, {0, 300, 200}};
  s.lineWidth = 20;
  const Loaded image = Load(KvgText("010", {s}));
  EXPECT_EQ(GetKVGBounds(image), (KvgBounds{80, 80, 320, 220}));

  TestShape t;
  t.points = {{0, -50, 500}, {1, 0, 0}};
  t.lineWidth = 0;
  const Loaded two = Load(KvgText("010", {s, t}));
  EXPECT_EQ(GetKVGBounds(two), (KvgBounds{-50, 0, 320, 500}));
  EXPECT_EQ(GetKVGBounds(KvgImage{}), (KvgBounds{0, 0, 0, 0}));

  // A negative width draws no outline, so it does not shrink the box.
  s.lineWidth = -30;
  EXPECT_EQ(GetKVGBounds(Load(KvgText("010", {s}))), (KvgBounds{100, 100, 300, 200}));
}

// Damaged copies of good files, made from a fixed seed: whatever the loader
// accepts must be consistent and must encode.
TEST(KvgLoader, DamagedFilesNeverCrashTheLoaderOrTheEncoder) {
  TestShape a = Rectangle(0, 0, 4000, 3000);
  a.fillKind = 3;
  a.stops = {{100, KvgColor(1, 2, 3)}};
  TestShape b;
  b.points = {{1, 0, 0}, {1, 100, 0}, {0, 100, 100}, {2, 50, 50}};
  b.compound = true;
  b.group = 1;
  TestShape c = b;
  c.closed = false;
  const std::vector<std::string> seeds = {KvgText("030", {a, b, c}), KvgText("020", {b, c, a}),
                                          KvgText("010", {a, c})};
  std::mt19937 random(12345);
  const std::string alphabet = "0123456789-,.\r\n#TRUEFALS\" eE";
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = seeds[static_cast<size_t>(round) % seeds.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text[at] = alphabet[random() % alphabet.size()]; break;
        case 1: text.erase(at, 1 + random() % 6); break;
        default: text.insert(at, 1, alphabet[random() % alphabet.size()]); break;
      }
    }
    Loaded image = Load(text);
    ASSERT_EQ(image.count, static_cast<int32_t>(image.shapes.size()));
    if (image.count == 0) continue;
    ++accepted;
    for (const KvgShape& s : image.shapes) {
      ASSERT_GE(s.lastPoint, 1);
      ASSERT_EQ(s.points.size(), static_cast<size_t>(s.lastPoint) + 1);
      ASSERT_EQ(s.stops.size(), static_cast<size_t>(s.stopCount));
    }
    SWFMakeCore::OutputBuffer().clear();
    SWFMakeCore::WriteVectorShape(1, image, GetKVGBounds(image), true);
    SWFMakeCore::WriteVectorShape(2, image, GetKVGBounds(image), false);
    ASSERT_GT(SWFMakeCore::OutputBuffer().size(), 40u);
  }
  SWFMakeCore::OutputBuffer().clear();
  EXPECT_GT(accepted, 100);  // the damage left many files readable
}

}  // namespace
}  // namespace tesmiro::ShapeModule
