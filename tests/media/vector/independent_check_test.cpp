// Movies with vector shapes, masks and morphs, read back by swf-parser and
// played by Ruffle through the Node harness of tests/js.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "kvg_text.h"
#include "media/media_state.h"
#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "support/checkers.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

using ShapeModule::GetKVGBounds;
using ShapeModule::LoadKVGFromBytes;
using testing::KvgColor;
using testing::KvgText;
using testing::Rectangle;
using testing::TestShape;

const std::filesystem::path kRoot = TESMIRO_SOURCE_ROOT;

// Runs a Node script (written beside the movies) and returns what it printed.
std::string RunNode(const testing::TempDir& dir, const std::string& script, const std::string& args) {
  const auto file = dir / "check.mjs";
  std::ofstream(file) << script;
  const std::string command = "cd '" + kRoot.string() + "' && node '" + file.string() + "' " + args + " 2>&1";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// swf-parser's view: "problem ..." lines and one line per tag.
std::string ParserReport(const testing::TempDir& dir, const std::filesystem::path& movie) {
  const std::string script = R"(
import { checkSwfFile, tagName } from ")" + (kRoot / "tests/js/check_swf.mjs").string() + R"(";
const r = checkSwfFile(process.argv[2]);
for (const p of r.problems) console.log("problem " + p);
for (const t of r.movie ? r.movie.tags : []) {
  const s = t.shape;
  console.log(["tag", tagName(t), t.id ?? "", "fills", s ? s.initialStyles.fill.length : "-"].join(" "));
}
)";
  return RunNode(dir, script, "'" + movie.string() + "'");
}

struct Pixel {
  int x, y, r, g, b;
};
struct Sampling {
  std::filesystem::path movie;
  std::vector<std::pair<int, int>> points;
};

// Plays each movie in one browser and samples its points after three frames.
std::vector<std::vector<Pixel>> RenderPixels(const testing::TempDir& dir, const std::vector<Sampling>& runs) {
  std::ostringstream list;
  list << "[";
  for (size_t i = 0; i < runs.size(); ++i) {
    list << (i ? "," : "") << "{\"path\":\"" << runs[i].movie.string() << "\",\"points\":[";
    for (size_t k = 0; k < runs[i].points.size(); ++k)
      list << (k ? "," : "") << "[" << runs[i].points[k].first << "," << runs[i].points[k].second << "]";
    list << "]}";
  }
  list << "]";
  std::ofstream(dir / "runs.json") << list.str();
  const std::string script = R"(
import { readFileSync } from "node:fs";
import { openRenderer } from ")" + (kRoot / "tests/js/render_swf.mjs").string() + R"(";
const runs = JSON.parse(readFileSync(process.argv[2], "utf8"));
const renderer = await openRenderer({ timeoutMs: 180000 });
try {
  for (const [i, run] of runs.entries()) {
    const r = await renderer.render(run.path, { frames: 3, points: run.points });
    for (const p of r.pixels) console.log(`pixel ${i} ${p.x} ${p.y} ${p.r} ${p.g} ${p.b}`);
  }
} finally {
  await renderer.close();
}
)";
  const std::string out = RunNode(dir, script, "'" + (dir / "runs.json").string() + "'");
  std::vector<std::vector<Pixel>> pixels(runs.size());
  std::istringstream lines(out);
  std::string word;
  while (lines >> word) {
    if (word != "pixel") continue;
    size_t run = 0;
    Pixel p{};
    lines >> run >> p.x >> p.y >> p.r >> p.g >> p.b;
    if (run < pixels.size()) pixels[run].push_back(p);
  }
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(pixels[i].size(), runs[i].points.size()) << out;
  return pixels;
}

KvgImage Image(const std::vector<TestShape>& shapes) {
  Result<KvgImage> loaded = LoadKVGFromBytes(KvgText("030", shapes));
  EXPECT_TRUE(loaded) << loaded.message();
  KvgImage image = std::move(loaded).value_or(KvgImage{});
  EXPECT_EQ(image.count, static_cast<int32_t>(shapes.size()));
  return image;
}

void Place(int32_t id, int32_t depth, int32_t clipDepth = kNoClipDepth, float ratio = -1) {
  Placement p;
  p.characterId = id;
  p.depth = depth;
  p.clipDepth = clipDepth;
  p.ratio = ratio;
  WritePlaceObject(p);
}

// A one-frame movie of 200 x 200 pixels on white around what `body` writes.
std::filesystem::path Movie(const testing::TempDir& dir, const std::string& name, const std::function<void()>& body) {
  ResetMediaState();
  WriteSWFHeader(6, 200, 200, 12.0f);
  WriteSetBackgroundColor(255, 255, 255);
  body();
  WriteShowFrame();
  WriteEnd();
  PatchU16(19, 1);
  const auto path = dir / name;
  EXPECT_TRUE(SaveOutput(path));
  return path;
}

// What the shape tests draw, in twips: a red square with a black outline, a
// blue triangle of curves, an open green line, a linear gradient from white
// to black and a compound group.
std::vector<TestShape> Drawing() {
  TestShape red = Rectangle(200, 200, 1800, 1800);
  TestShape curve;
  curve.points = {{0, 2200, 200}, {1, 3800, 200}, {0, 3800, 1800}};
  curve.fillKind = 1;
  curve.color1 = KvgColor(0, 0, 255);
  curve.outline = 0;
  TestShape line;
  line.closed = false;
  line.points = {{0, 200, 2200}, {0, 1800, 2200}, {0, 1800, 3800}};
  line.lineColor = KvgColor(0, 160, 0);
  line.lineWidth = 60;
  TestShape gradient = Rectangle(2200, 2200, 3800, 3800);
  gradient.fillKind = 2;
  gradient.outline = 0;
  gradient.color1 = KvgColor(255, 255, 255);
  gradient.color2 = KvgColor(0, 0, 0);
  gradient.centerX = 3000;
  gradient.centerY = 3000;
  gradient.scaleX = gradient.scaleY = 1600.0 / 32768.0;
  gradient.stops = {{128, KvgColor(255, 0, 0)}};
  TestShape outer = Rectangle(200, 2200, 1000, 3000);
  outer.compound = true;
  outer.group = 5;
  outer.outline = 0;
  TestShape hole = Rectangle(400, 2400, 800, 2800);
  hole.compound = true;
  hole.group = 5;
  hole.outline = 0;
  return {red, curve, line, gradient, outer, hole};
}

class IndependentCheck : public ::testing::Test {
 protected:
  testing::RecordingUi ui;
  testing::TempDir dir;
};

TEST_F(IndependentCheck, SwfParserReadsShapesMasksAndMorphs) {
  REQUIRE_CHECKER(testing::MissingSwfParser());
  KvgImage drawing = Image(Drawing());
  TestShape far = Rectangle(-100000, -100000, 300000, 200000);  // widened moves, split edges
  far.fillKind = 4;
  far.centerX = 9000000;
  far.stops = {{10, KvgColor(1, 2, 3)}, {20, KvgColor(4, 5, 6)}};
  KvgImage wide = Image({far});
  std::vector<TestShape> group;
  for (int i = 0; i < 300; ++i) {
    TestShape s = Rectangle(i * 10, 0, i * 10 + 5, 5);
    s.compound = true;
    s.group = 1;
    group.push_back(s);
  }
  group.push_back(Rectangle(0, 100, 50, 150));
  KvgImage many = Image(group);
  std::vector<TestShape> moved = Drawing();
  for (auto& s : moved)
    for (auto& p : s.points) p.x += 500;
  moved[0].points[1].kind = 1;  // a curve where the start has a straight edge
  KvgImage target = Image(moved);

  const auto movie = Movie(dir, "shapes.swf", [&] {
    WriteVectorShape(1, drawing, GetKVGBounds(drawing), true);
    WriteVectorShape(2, drawing, GetKVGBounds(drawing), false);
    WriteVectorShape(3, wide, GetKVGBounds(wide), true);
    WriteVectorShape(4, wide, GetKVGBounds(wide), false);
    WriteVectorShape(5, many, GetKVGBounds(many), true);
    WriteVectorShape(6, many, GetKVGBounds(many), false);
    ASSERT_EQ(WriteDefineMorphShape(7, drawing, target, GetKVGBounds(drawing), GetKVGBounds(target)),
              MorphResult::Written);
    ASSERT_EQ(WriteDefineMorphShape(8, wide, Image({Rectangle(0, 0, 10, 10)}), GetKVGBounds(wide), KvgBounds{}),
              MorphResult::Written);
    Place(2, 1, 2);
    Place(1, 2);
    Place(7, 3, kNoClipDepth, 0.5f);
  });
  const std::string report = ParserReport(dir, movie);
  EXPECT_EQ(report.find("problem"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineShape 3 fills 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineShape 4 fills 1\n"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineMorphShape 8 fills 1\n"), std::string::npos) << report;
  // Fill styles at the shape level: none for the whole image (each element
  // brings its own), one per path for the paths-only copy.
  EXPECT_NE(report.find("tag DefineShape 1 fills 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineShape 2 fills 6\n"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineShape 6 fills 301\n"), std::string::npos) << report;
  EXPECT_NE(report.find("tag DefineMorphShape 7 fills 6\n"), std::string::npos) << report;

  const auto kvg = dir / "drawing.kvg";
  std::ofstream(kvg, std::ios::binary) << KvgText("030", Drawing());
  const auto preview = ShapeModule::MakeKVGPreviewSWF(kvg, AppPaths::InFolder(dir.path()));
  const std::string previewReport = ParserReport(dir, preview);
  EXPECT_EQ(previewReport.find("problem"), std::string::npos) << previewReport;
  EXPECT_NE(previewReport.find("tag DefineShape 1 fills 0\n"), std::string::npos) << previewReport;
}

TEST_F(IndependentCheck, RufflePaintsShapesMasksAndMorphs) {
  REQUIRE_CHECKER(testing::MissingSwfParser());
  REQUIRE_CHECKER(testing::MissingRuffle());
  KvgImage drawing = Image(Drawing());
  KvgImage maskImage = Image({Rectangle(0, 0, 1000, 1000)});
  TestShape green = Rectangle(0, 0, 4000, 4000);
  green.color1 = KvgColor(0, 200, 0);
  green.outline = 0;
  KvgImage cover = Image({green});
  TestShape from = Rectangle(0, 0, 1000, 1000);
  from.outline = 0;
  TestShape to = Rectangle(2000, 0, 3000, 1000);
  to.outline = 0;
  to.color1 = KvgColor(0, 0, 255);
  KvgImage start = Image({from});
  KvgImage end = Image({to});

  const auto shapes = Movie(dir, "paint.swf", [&] {
    WriteVectorShape(1, drawing, GetKVGBounds(drawing), true);
    Place(1, 1);
  });
  const auto masked = Movie(dir, "mask.swf", [&] {
    WriteVectorShape(1, maskImage, GetKVGBounds(maskImage), false);
    WriteVectorShape(2, cover, GetKVGBounds(cover), true);
    Place(1, 1, 2);
    Place(2, 2);
  });
  const auto morph = Movie(dir, "morph.swf", [&] {
    ASSERT_EQ(WriteDefineMorphShape(1, start, end, GetKVGBounds(start), GetKVGBounds(end)), MorphResult::Written);
    Place(1, 1, kNoClipDepth, 0.5f);
  });
  const auto all = RenderPixels(dir, {{shapes,
                                       {{50, 50}, {5, 5}, {185, 15}, {170, 50}, {90, 150}, {150, 150}, {15, 145},
                                        {30, 130}, {112, 150}, {188, 150}}},
                                      {masked, {{20, 20}, {100, 100}, {20, 150}}},
                                      {morph, {{25, 25}, {75, 25}, {125, 25}}}});
  const auto& pixels = all[0];
  ASSERT_EQ(pixels.size(), 10u);
  auto near = [](const Pixel& p, int r, int g, int b) {
    return std::abs(p.r - r) <= 40 && std::abs(p.g - g) <= 40 && std::abs(p.b - b) <= 40;
  };
  EXPECT_TRUE(near(pixels[0], 255, 0, 0)) << "inside the red square";
  EXPECT_TRUE(near(pixels[1], 255, 255, 255)) << "outside everything";
  EXPECT_TRUE(near(pixels[2], 255, 255, 255)) << "outside the curve's bulge";
  EXPECT_TRUE(near(pixels[3], 0, 0, 255)) << "inside the curved triangle";
  EXPECT_TRUE(near(pixels[4], 0, 160, 0)) << "on the open green line";
  EXPECT_TRUE(near(pixels[5], 255, 0, 0)) << "gradient stop in the middle";
  EXPECT_TRUE(near(pixels[6], 255, 0, 0)) << "the compound group's fill";
  EXPECT_TRUE(near(pixels[7], 255, 255, 255)) << "the hole of the compound group";
  EXPECT_GT(pixels[8].g, 200) << "gradient start is light";
  EXPECT_LT(pixels[9].r + pixels[9].g + pixels[9].b, 200) << "gradient end is dark";

  const auto& m = all[1];
  ASSERT_EQ(m.size(), 3u);
  EXPECT_TRUE(near(m[0], 0, 200, 0)) << "inside the mask";
  EXPECT_TRUE(near(m[1], 255, 255, 255)) << "hidden outside the mask";
  EXPECT_TRUE(near(m[2], 255, 255, 255)) << "hidden outside the mask";

  const auto& h = all[2];
  ASSERT_EQ(h.size(), 3u);
  EXPECT_TRUE(near(h[0], 255, 255, 255)) << "the start square has moved away";
  EXPECT_TRUE(near(h[1], 128, 0, 128)) << "half way, in colour and in place";
  EXPECT_TRUE(near(h[2], 255, 255, 255)) << "not yet at the end square";
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
