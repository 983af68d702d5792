#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "kvg_text.h"
#include "media/media_state.h"
#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "shape_tag_reader.h"
#include "support/swf_tags.h"
#include "support/temp_dir.h"
#include "support/writer_messages.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

using ShapeModule::LoadKVGFromBytes;
using testing::KvgColor;
using testing::KvgText;
using testing::ReadShape;
using testing::SwfTag;
using testing::Rectangle;
using testing::TestShape;

KvgImage Image(const std::vector<TestShape>& shapes, const std::string& version = "030") {
  Result<KvgImage> loaded = LoadKVGFromBytes(KvgText(version, shapes));
  EXPECT_TRUE(loaded) << loaded.message();
  KvgImage image = std::move(loaded).value_or(KvgImage{});
  EXPECT_EQ(image.count, static_cast<int32_t>(shapes.size()));
  return image;
}

std::vector<uint8_t> TakeOutput() {
  std::vector<uint8_t> bytes = OutputBuffer();
  OutputBuffer().clear();
  return bytes;
}

std::vector<SwfTag> Tags(const std::vector<uint8_t>& bytes) { return testing::SplitTags(bytes); }

ReadShape ParseData(const std::vector<uint8_t>& data) {
  std::string error;
  auto shape = testing::ReadShapeData(data, &error);
  EXPECT_TRUE(shape) << error;
  return shape.value_or(ReadShape{});
}

ReadShape ParseShapeTag(const SwfTag& tag) {
  EXPECT_EQ(tag.code, 32);
  std::string error;
  auto shape = testing::ReadDefineShape3(tag.body, &error);
  EXPECT_TRUE(shape) << error;
  return shape.value_or(ReadShape{});
}

ReadShape ParseMorphTag(const SwfTag& tag) {
  EXPECT_EQ(tag.code, 46);
  std::string error;
  auto shape = testing::ReadDefineMorphShape(tag.body, &error);
  EXPECT_TRUE(shape) << error;
  return shape.value_or(ReadShape{});
}

class VectorShapeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetMediaState(); }
  void TearDown() override { OutputBuffer().clear(); }
};

TEST_F(VectorShapeTest, FilledOutlinedRectangleIsOneElement) {
  TestShape s = Rectangle(0, 0, 2000, 1000);
  KvgImage image = Image({s});
  std::vector<uint8_t> data;
  const int32_t n = EncodeVectorImage(image, data);
  ASSERT_EQ(n, static_cast<int32_t>(data.size()));
  const std::vector<uint8_t> head = {0x00, 0x00, 0x88,              // no shape-level styles
                                     0x68, 0x00, 0x00,              // new styles, fill 0 and line set
                                     0x01, 0x00, 0xFF, 0x00, 0x00, 0xFF,  // one solid red fill
                                     0x01, 0x14, 0x00, 0x00, 0x00, 0x00, 0xFF,  // one black line, 20 twips
                                     0x88};
  ASSERT_GT(data.size(), head.size());
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + static_cast<ptrdiff_t>(head.size())), head);

  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.paths.size(), 1u);
  const auto& p = shape.paths[0];
  EXPECT_EQ(p.styleTable, 1);
  EXPECT_EQ(p.fill0, 1);
  EXPECT_EQ(p.line, 1);
  EXPECT_EQ(p.moveBits, 17);
  ASSERT_EQ(p.edges.size(), 4u);
  for (const auto& e : p.edges) EXPECT_FALSE(e.curved);
  EXPECT_EQ(p.edges[1].ax, 2000);
  EXPECT_EQ(p.edges[1].ay, 1000);
  EXPECT_TRUE(p.closes());

  WriteVectorShape(7, image, ShapeModule::GetKVGBounds(image), true);
  const auto tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 1u);
  const ReadShape tag = ParseShapeTag(tags[0]);
  EXPECT_EQ(tag.id, 7);
  EXPECT_EQ(tag.bounds.nbits, 24);
  EXPECT_EQ(tag.bounds.xmin, -20);
  EXPECT_EQ(tag.bounds.xmax, 2020);
  EXPECT_EQ(tag.bounds.ymax, 1020);
}

TEST_F(VectorShapeTest, OpenPathHasNoFillAndEndsAtItsLastPoint) {
  TestShape s;
  s.points = {{0, 0, 0}, {0, 500, 0}, {0, 500, 500}};
  s.closed = false;
  s.outline = 0;  // an open path is outlined all the same
  KvgImage image = Image({s});
  std::vector<uint8_t> data;
  EncodeVectorImage(image, data);
  EXPECT_EQ(data[6], 0x00);  // no fill style
  EXPECT_EQ(data[7], 0x01);  // one line style
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.paths.size(), 1u);
  EXPECT_EQ(shape.paths[0].fill0, 0);
  EXPECT_EQ(shape.paths[0].line, 1);
  ASSERT_EQ(shape.paths[0].edges.size(), 2u);
  EXPECT_EQ(shape.paths[0].edges[1].ax, 500);
  EXPECT_EQ(shape.paths[0].edges[1].ay, 500);
}

TEST_F(VectorShapeTest, ControlPointsMakeCurvesThroughImpliedAnchors) {
  TestShape s;
  s.points = {{1, 0, 0}, {1, 1000, 0}, {1, 1000, 1000}, {1, 0, 1000}};
  KvgImage image = Image({s});
  std::vector<uint8_t> data;
  EncodeVectorImage(image, data);
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.paths.size(), 1u);
  const auto& p = shape.paths[0];
  EXPECT_EQ(p.startX, 500);
  EXPECT_EQ(p.startY, 0);
  ASSERT_EQ(p.edges.size(), 4u);
  for (const auto& e : p.edges) EXPECT_TRUE(e.curved);
  EXPECT_EQ(p.edges[0].cx, 1000);
  EXPECT_EQ(p.edges[0].cy, 0);
  EXPECT_EQ(p.edges[0].ax, 1000);
  EXPECT_EQ(p.edges[0].ay, 500);
  EXPECT_TRUE(p.closes());

  // A curve into an anchor ends on it, and the anchor then makes an edge of
  // its own (of no length); an open path's last point is always reached by a
  // straight edge.
  TestShape open;
  open.closed = false;
  open.points = {{0, 0, 0}, {1, 100, 0}, {0, 100, 100}, {1, 0, 100}};
  KvgImage second = Image({open});
  EncodeVectorImage(second, data);
  const ReadShape o = ParseData(data);
  ASSERT_EQ(o.paths[0].edges.size(), 3u);
  EXPECT_TRUE(o.paths[0].edges[0].curved);
  EXPECT_EQ(o.paths[0].edges[0].ax, 100);
  EXPECT_EQ(o.paths[0].edges[0].ay, 100);
  EXPECT_FALSE(o.paths[0].edges[1].curved);
  EXPECT_EQ(o.paths[0].edges[1].ay, 100);
  EXPECT_FALSE(o.paths[0].edges[2].curved);
  EXPECT_EQ(o.paths[0].edges[2].ax, 0);
}

TEST_F(VectorShapeTest, ClosedPathsAlwaysCloseEvenWithUnknownPointKinds) {
  TestShape s;
  s.points = {{7, 0, 0}, {0, 800, 0}, {0, 800, 800}};  // point 0 makes no edge
  TestShape t;
  t.points = {{1, 0, 0}, {5, 800, 0}, {0, 800, 800}};  // starts on point 1, which makes no edge
  KvgImage image = Image({s, t});
  std::vector<uint8_t> data;
  EncodeVectorImage(image, data);
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.paths.size(), 2u);
  EXPECT_TRUE(shape.paths[0].closes());
  EXPECT_TRUE(shape.paths[1].closes());
}

TEST_F(VectorShapeTest, GradientRecordsAndMatrix) {
  TestShape linear = Rectangle(0, 0, 100, 100);
  linear.fillKind = 2;
  linear.centerX = 1000;
  linear.centerY = -2000;
  linear.scaleX = 0.5;
  linear.scaleY = 0.25;
  linear.stops = {{10, KvgColor(1, 1, 1)}, {20, KvgColor(2, 2, 2)}, {30, KvgColor(3, 3, 3)}};
  TestShape many = linear;
  many.fillKind = 4;
  for (int i = 4; i <= 8; ++i) many.stops.push_back({i * 10, KvgColor(i, i, i)});
  TestShape reflected = linear;
  reflected.fillKind = 3;
  reflected.stops = {{100, KvgColor(9, 9, 9)}};
  TestShape turned = linear;
  turned.angle = 90;
  KvgImage image = Image({linear, many, reflected, turned});

  std::vector<uint8_t> data;
  EncodeVectorPaths(image, data);
  const ReadShape shape = ParseData(data);
  const auto& fills = shape.tables.at(0).fills;
  ASSERT_EQ(fills.size(), 4u);

  EXPECT_EQ(fills[0].type, 0x10);
  std::vector<int> ratios;
  for (const auto& r : fills[0].records) ratios.push_back(r.ratio);
  EXPECT_EQ(ratios, (std::vector<int>{0, 10, 20, 30, 255}));
  EXPECT_EQ(fills[0].records[0].rgba, 0xFF0000FFu);
  EXPECT_EQ(fills[0].records[4].rgba, 0x0000FFFFu);
  EXPECT_DOUBLE_EQ(fills[0].matrix.sx, 0.5);
  EXPECT_DOUBLE_EQ(fills[0].matrix.sy, 0.25);
  EXPECT_DOUBLE_EQ(fills[0].matrix.r0, 0);
  EXPECT_EQ(fills[0].matrix.tx, 1000);
  EXPECT_EQ(fills[0].matrix.ty, -2000);
  EXPECT_EQ(fills[0].matrix.scaleBits, 24);
  EXPECT_EQ(fills[0].matrix.translateBits, 23);

  EXPECT_EQ(fills[1].type, 0x12);
  ASSERT_EQ(fills[1].records.size(), 8u);  // six stops kept
  EXPECT_EQ(fills[1].records[6].ratio, 60);
  EXPECT_EQ(fills[1].records[7].ratio, 255);

  EXPECT_EQ(fills[2].type, 0x10);
  ratios.clear();
  for (const auto& r : fills[2].records) ratios.push_back(r.ratio);
  EXPECT_EQ(ratios, (std::vector<int>{0, 50, 128, 205, 255}));
  EXPECT_EQ(fills[2].records[2].rgba, 0x0000FFFFu);  // colour 2 in the middle
  EXPECT_EQ(fills[2].records[4].rgba, 0xFF0000FFu);  // colour 1 at both ends

  EXPECT_NEAR(fills[3].matrix.sx, 0, 1e-4);
  EXPECT_NEAR(fills[3].matrix.r0, 0.5, 1e-4);
  EXPECT_NEAR(fills[3].matrix.r1, -0.25, 1e-4);
}

TEST_F(VectorShapeTest, CompoundGroupIsOneElementAndEncodingsAreCached) {
  TestShape a = Rectangle(0, 0, 1000, 1000);
  a.compound = true;
  a.group = 4;
  TestShape b = Rectangle(200, 200, 800, 800);
  b.compound = true;
  b.group = 4;
  b.color1 = KvgColor(0, 255, 0);  // not used: the group takes the first shape's fill
  TestShape c = Rectangle(2000, 0, 3000, 1000);
  c.color1 = KvgColor(0, 0, 255);
  KvgImage image = Image({a, c, b});

  std::vector<uint8_t> first, second;
  EncodeVectorImage(image, first);
  EXPECT_EQ(image.shape(1).encodingState, "1");
  EXPECT_EQ(image.shape(2).encodingState, "1");
  EXPECT_EQ(image.shape(3).encodingState, "COMPO");
  EncodeVectorImage(image, second);
  EXPECT_EQ(first, second);

  const ReadShape shape = ParseData(first);
  ASSERT_EQ(shape.tables.size(), 3u);
  ASSERT_EQ(shape.tables[1].fills.size(), 1u);
  EXPECT_EQ(shape.tables[1].fills[0].rgba, 0xFF0000FFu);
  EXPECT_EQ(shape.tables[1].lines.size(), 2u);
  ASSERT_EQ(shape.paths.size(), 3u);
  EXPECT_EQ(shape.paths[0].styleTable, 1);
  EXPECT_EQ(shape.paths[1].styleTable, 1);
  EXPECT_EQ(shape.paths[1].startX, 200);
  EXPECT_EQ(shape.paths[1].fill0, 1);
  EXPECT_EQ(shape.paths[1].line, 2);
  EXPECT_EQ(shape.paths[2].styleTable, 2);
  EXPECT_EQ(shape.tables[2].fills[0].rgba, 0x0000FFFFu);
}

TEST_F(VectorShapeTest, PathsOnlyEncodingPutsEveryShapeInOneStyleTable) {
  TestShape a = Rectangle(0, 0, 100, 100);
  TestShape open = Rectangle(0, 0, 100, 100);
  open.closed = false;
  TestShape unlined = Rectangle(0, 0, 100, 100);
  unlined.outline = 0;
  unlined.fillKind = 9;  // not a fill kind: drawn as solid colour 1
  KvgImage image = Image({a, open, unlined});
  std::vector<uint8_t> data;
  EncodeVectorPaths(image, data);
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.tables.size(), 1u);
  EXPECT_EQ(shape.tables[0].fills.size(), 3u);
  EXPECT_EQ(shape.tables[0].lines.size(), 3u);
  EXPECT_EQ(shape.tables[0].fillBits, 15);
  EXPECT_EQ(shape.tables[0].lineBits, 15);
  EXPECT_EQ(shape.tables[0].fills[2].type, 0x00);
  ASSERT_EQ(shape.paths.size(), 3u);
  EXPECT_EQ(shape.paths[0].fill0, 1);
  EXPECT_EQ(shape.paths[0].line, 1);
  EXPECT_EQ(shape.paths[1].fill0, 0);
  EXPECT_EQ(shape.paths[1].line, 2);
  EXPECT_EQ(shape.paths[2].fill0, 3);
  EXPECT_EQ(shape.paths[2].line, 0);

  // From 255 styles on the counts take the extended form.
  std::vector<TestShape> lots(300, Rectangle(0, 0, 10, 10));
  KvgImage big = Image(lots);
  EncodeVectorPaths(big, data);
  EXPECT_EQ(data[0], 0xFF);
  const ReadShape wide = ParseData(data);
  EXPECT_EQ(wide.tables[0].fills.size(), 300u);
  EXPECT_EQ(wide.paths.back().fill0, 300);
}

TEST_F(VectorShapeTest, ValuesBeyondTheUsualFieldsAreWidenedNotCut) {
  TestShape s = Rectangle(100000, -70000, 300000, 200000);
  s.fillKind = 2;
  s.centerX = 5000000;
  s.centerY = -4;
  s.scaleX = 300.5;
  s.scaleY = -200;
  s.lineWidth = 70000;
  TestShape far;
  far.points = {{0, 2147483647, 0}, {0, 0, 0}};
  far.closed = false;
  far.lineWidth = -5;
  KvgImage image = Image({s, far});
  std::vector<uint8_t> data;
  EncodeVectorImage(image, data);
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.paths.size(), 2u);
  const auto& p = shape.paths[0];
  EXPECT_EQ(p.startX, 100000);
  EXPECT_EQ(p.startY, -70000);
  EXPECT_EQ(p.moveBits, 18);
  std::set<std::pair<int64_t, int64_t>> corners;
  for (const auto& e : p.edges) corners.insert({e.ax, e.ay});
  EXPECT_TRUE(corners.count({300000, -70000}));
  EXPECT_TRUE(corners.count({300000, 200000}));
  EXPECT_TRUE(corners.count({100000, 200000}));
  EXPECT_GT(p.edges.size(), 4u);  // the long sides took several records
  EXPECT_TRUE(p.closes());

  const auto& fill = shape.tables[1].fills[0];
  EXPECT_EQ(fill.matrix.tx, 5000000);
  EXPECT_EQ(fill.matrix.ty, -4);
  EXPECT_DOUBLE_EQ(fill.matrix.sx, 300.5);
  EXPECT_DOUBLE_EQ(fill.matrix.sy, -200);
  EXPECT_EQ(shape.tables[1].lines[0].width, 65535);
  EXPECT_EQ(shape.tables[2].lines[0].width, 0);
  // Coordinates are held within the widest position field.
  EXPECT_EQ(shape.paths[1].startX, kCoordinateLimit);
  EXPECT_EQ(shape.paths[1].edges.back().ax, 0);

  WriteVectorShape(1, image, ShapeModule::GetKVGBounds(image), true);
  const auto tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 1u);
  const ReadShape tag = ParseShapeTag(tags[0]);
  EXPECT_EQ(tag.bounds.xmax, kCoordinateLimit);
  EXPECT_GT(tag.bounds.nbits, 24);
}

TEST_F(VectorShapeTest, GroupWithMoreThan255OutlinesWidensItsLineIndices) {
  std::vector<TestShape> shapes;
  for (int i = 0; i < 300; ++i) {
    TestShape s = Rectangle(i * 10, 0, i * 10 + 5, 5);
    s.compound = true;
    s.group = 1;
    shapes.push_back(s);
  }
  TestShape after = Rectangle(0, 100, 50, 150);
  after.color1 = KvgColor(0, 0, 255);
  shapes.push_back(after);
  KvgImage image = Image(shapes);
  std::vector<uint8_t> data;
  EncodeVectorImage(image, data);
  const ReadShape shape = ParseData(data);
  ASSERT_EQ(shape.tables.size(), 3u);
  EXPECT_EQ(shape.tables[1].lines.size(), 300u);
  EXPECT_EQ(shape.tables[1].lineBits, 9);
  ASSERT_EQ(shape.paths.size(), 301u);
  EXPECT_EQ(shape.paths[299].line, 300);
  // The element after the group still finds its styles.
  EXPECT_EQ(shape.paths[300].styleTable, 2);
  EXPECT_EQ(shape.tables[2].fills.at(0).rgba, 0x0000FFFFu);
  EXPECT_EQ(shape.paths[300].startY, 100);
}

TEST_F(VectorShapeTest, MorphPairsStartAndEndEdges) {
  TestShape a = Rectangle(0, 0, 1000, 1000);
  a.fillKind = 2;
  a.stops = {{10, KvgColor(1, 1, 1)}, {20, KvgColor(2, 2, 2)}, {30, KvgColor(3, 3, 3)}};
  TestShape b = Rectangle(2000, 0, 3000, 1000);
  b.compound = true;
  b.group = 2;
  TestShape c = Rectangle(2200, 200, 2800, 800);
  c.compound = true;
  c.group = 2;
  TestShape a2 = Rectangle(0, 0, 500, 500);
  a2.fillKind = 1;
  a2.stops = {{40, KvgColor(4, 4, 4)}, {50, KvgColor(5, 5, 5)}};
  a2.color1 = KvgColor(0, 255, 0);
  TestShape b2 = b, c2 = c;
  // The same number of edges, but curved: the format pairs a straight edge
  // with a curve.
  for (auto& p : b2.points) p.kind = 1;
  c2.lineWidth = 100;
  const KvgImage start = Image({a, b, c});
  const KvgImage end = Image({a2, b2, c2});
  ASSERT_EQ(WriteDefineMorphShape(9, start, end, ShapeModule::GetKVGBounds(start), ShapeModule::GetKVGBounds(end)),
            MorphResult::Written);
  EXPECT_TRUE(testing::WriterMessages().empty());
  const auto tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 1u);
  const ReadShape m = ParseMorphTag(tags[0]);
  EXPECT_EQ(m.id, 9);
  EXPECT_EQ(m.endEdgesOffset, m.endEdgesAt);
  EXPECT_EQ(m.bounds.xmax, 3020);
  EXPECT_EQ(m.endBounds.ymax, 1020);
  const auto& fills = m.tables[0].fills;
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[0].type, 0x10);  // the start shape's fill kind
  ASSERT_EQ(fills[0].records.size(), 4u);  // stops kept on both sides: two
  EXPECT_EQ(fills[0].records[1].ratio, 10);
  EXPECT_EQ(fills[0].records[1].endRatio, 40);
  EXPECT_EQ(fills[0].records[0].endRgba, 0x00FF00FFu);
  EXPECT_EQ(m.tables[0].lines[2].endWidth, 100);
  ASSERT_EQ(m.paths.size(), 3u);
  ASSERT_EQ(m.endPaths.size(), 3u);
  // Members of a compound group draw with its first shape's styles.
  EXPECT_EQ(m.paths[2].fill0, 2);
  EXPECT_EQ(m.paths[2].line, 2);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m.paths[i].edges.size(), m.endPaths[i].edges.size()) << i;
    EXPECT_TRUE(m.paths[i].closes());
    EXPECT_TRUE(m.endPaths[i].closes());
  }
  EXPECT_EQ(m.endPaths[0].edges[1].ax, 500);
  EXPECT_TRUE(m.endPaths[1].edges[0].curved);
}

TEST_F(VectorShapeTest, MorphSplitsLongEdgesAlikeOnBothSides) {
  TestShape a = Rectangle(0, 0, 400000, 1000);
  TestShape b = Rectangle(0, 0, 1000, 1000);
  const KvgImage start = Image({a});
  const KvgImage end = Image({b});
  ASSERT_EQ(WriteDefineMorphShape(3, start, end, ShapeModule::GetKVGBounds(start), ShapeModule::GetKVGBounds(end)),
            MorphResult::Written);
  const ReadShape m = ParseMorphTag(Tags(TakeOutput()).at(0));
  ASSERT_EQ(m.paths.size(), 1u);
  EXPECT_GT(m.paths[0].edges.size(), 4u);
  EXPECT_EQ(m.paths[0].edges.size(), m.endPaths[0].edges.size());
  EXPECT_TRUE(m.paths[0].closes());
  EXPECT_TRUE(m.endPaths[0].closes());
}

TEST_F(VectorShapeTest, MorphOfUnmatchedImagesIsRefusedWithAWarning) {
  const KvgImage one = Image({Rectangle(0, 0, 10, 10)});
  const KvgImage two = Image({Rectangle(0, 0, 10, 10), Rectangle(0, 0, 20, 20)});
  TestShape tri;
  tri.points = {{0, 0, 0}, {0, 10, 0}, {0, 10, 10}};
  const KvgImage triangle = Image({tri});
  const KvgBounds b{0, 0, 10, 10};

  EXPECT_EQ(WriteDefineMorphShape(2, one, two, b, b), MorphResult::ShapeCountDiffers);
  EXPECT_EQ(WriteDefineMorphShape(2, one, triangle, b, b), MorphResult::EdgesDiffer);
  EXPECT_TRUE(OutputBuffer().empty());
  ASSERT_EQ(testing::WriterMessages().size(), 2u);

  EXPECT_EQ(WriteDefineMorphShape(2, KvgImage{}, one, b, b), MorphResult::Empty);
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_EQ(testing::WriterMessages().size(), 2u);  // an empty image says nothing
}

TEST_F(VectorShapeTest, VectorItemDefinitionsByUse) {
  testing::TempDir dir;
  const auto path = dir / "v.kvg";
  const auto target = dir / "w.kvg";
  std::ofstream(path, std::ios::binary) << KvgText("020", {Rectangle(0, 0, 10, 10), Rectangle(5, 5, 20, 20)});
  std::ofstream(target, std::ios::binary) << KvgText("020", {Rectangle(0, 0, 30, 30), Rectangle(5, 5, 9, 9)});

  ShapeModule::VectorItem item{3, path, {}, 3, 0, "art"};
  ASSERT_TRUE(ShapeModule::EmitVectorItem(item));
  auto tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 4u);
  const ReadShape mask = ParseShapeTag(tags[0]);
  EXPECT_EQ(mask.id, 5);
  EXPECT_EQ(mask.tables.size(), 1u);  // paths only: one style table
  EXPECT_EQ(tags[1].code, 56);       // export of the mask copy
  const ReadShape whole = ParseShapeTag(tags[2]);
  EXPECT_EQ(whole.id, 6);
  EXPECT_EQ(whole.tables.size(), 3u);
  EXPECT_EQ(tags[3].code, 56);

  item.usage = 2;
  item.mode = 2;
  item.exportName.clear();
  ASSERT_TRUE(ShapeModule::EmitVectorItem(item));
  tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(ParseShapeTag(tags[0]).id, 6);

  item.morphTarget = target;
  ASSERT_TRUE(ShapeModule::EmitVectorItem(item));
  tags = Tags(TakeOutput());
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(ParseMorphTag(tags[0]).id, 6);

  item.path = dir / "missing.kvg";
  EXPECT_FALSE(ShapeModule::EmitVectorItem(item));
  EXPECT_TRUE(OutputBuffer().empty());
}

TEST_F(VectorShapeTest, PreviewMovieGoesToTheScratchFolderUnderAFreshName) {
  testing::TempDir dir;
  const AppPaths paths = AppPaths::InFolder(dir.path());
  const auto kvg = dir / "p.kvg";
  std::ofstream(kvg, std::ios::binary) << KvgText("030", {Rectangle(0, 0, 1000, 1000)});

  const auto first = ShapeModule::MakeKVGPreviewSWF(kvg, paths);
  const auto second = ShapeModule::MakeKVGPreviewSWF(kvg, paths);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(first.parent_path(), paths.scratch);
  EXPECT_EQ(first.filename().string().rfind("_preview", 0), 0u);
  EXPECT_EQ(first.extension(), ".swf");

  std::ifstream in(first, std::ios::binary);
  const std::vector<uint8_t> movie((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(movie.size(), 21u);
  EXPECT_EQ(std::string(movie.begin(), movie.begin() + 3), "FWS");
  EXPECT_EQ(movie[3], 6);
  EXPECT_EQ(movie[4] | (movie[5] << 8) | (movie[6] << 16), static_cast<int>(movie.size()));
  EXPECT_EQ(movie[19] | (movie[20] << 8), 1);  // one frame
  const auto tags = testing::MovieTags(movie);
  std::vector<int> codes;
  for (const auto& t : tags) codes.push_back(t.code);
  ASSERT_EQ(codes, (std::vector<int>{32, 26, 1, 0}));
  EXPECT_EQ(ParseShapeTag(tags[0]).id, 1);

  // A file that is not a KVG file gives an empty movie.
  const auto bad = dir / "bad.kvg";
  std::ofstream(bad, std::ios::binary) << "nothing";
  const auto empty = ShapeModule::MakeKVGPreviewSWF(bad, paths);
  std::ifstream in2(empty, std::ios::binary);
  const std::vector<uint8_t> blank((std::istreambuf_iterator<char>(in2)), std::istreambuf_iterator<char>());
  const auto blankTags = testing::MovieTags(blank);
  ASSERT_EQ(blankTags.size(), 2u);
  EXPECT_EQ(blankTags[0].code, 1);
  EXPECT_EQ(blankTags[1].code, 0);
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
