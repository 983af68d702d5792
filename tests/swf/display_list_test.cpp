#include <climits>
#include <limits>

#include "support/recording_ui.h"
#include "swf_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

Placement At(int32_t id, int32_t depth = 0) {
  Placement p;
  p.characterId = id;
  p.depth = depth;
  return p;
}

TEST_F(WriterTest, FirstPlacementOnDepthZero) {
  StartMovie(6);
  ASSERT_TRUE(WritePlaceObject(At(10)));
  EXPECT_EQ(OutHex(), "BF 06 05 00 00 00 02 01 01 0A 00");
  EXPECT_TRUE(DepthOccupied(0));
}

TEST_F(WriterTest, SecondPlacementIsAMoveWithoutIdNameOrClipActions) {
  StartMovie(6);
  FakeScriptCompiler compiler;
  WritePlaceObject(At(10));
  OutputBuffer().clear();
  Placement p = At(11);
  p.name = "abc";
  p.clipActions = "onClipEvent(load){}";
  WritePlaceObject(p);
  EXPECT_EQ(OutHex(), "BF 06 03 00 00 00 01 01 01");
  EXPECT_TRUE(compiler.scripts.empty());
}

TEST_F(WriterTest, MatrixOnlyWhenNotNeutral) {
  StartMovie(6);
  Placement p = At(10);
  p.x = 20;
  WritePlaceObject(p);
  const auto& b = OutputBuffer();
  EXPECT_EQ(b[6], 2 + 4);
  EXPECT_EQ(Hex(std::vector<uint8_t>(b.begin() + 11, b.end())), Hex(MakeMatrix(1, 1, 0, 0, 20, 0)));
}

TEST_F(WriterTest, AlphaMakesAColourTransformUnlessMasked) {
  StartMovie(6);
  Placement p = At(10);
  p.alpha = 128;
  WritePlaceObject(p);
  EXPECT_EQ(OutputBuffer()[6], 2 + 8);
  EXPECT_NE(OutHex().find(Hex(MakeCXForm(256, 256, 256, 128, 0, 0, 0, 0))), std::string::npos);
  ResetState();
  StartMovie(6);
  p.clipDepth = 5;
  WritePlaceObject(p);
  EXPECT_EQ(OutHex(), "BF 06 07 00 00 00 42 01 01 0A 00 06 01");  // clip depth 262, no colour transform
}

TEST_F(WriterTest, FullColourTransformRoundsMultipliersHalfToEven) {
  StartMovie(6);
  Placement p = At(10);
  p.filters.colorTransform = -1;
  p.filters.multiply = {0.5f, 1.0f, 1.0f, 1.0f};
  p.filters.add = {10, -10, 0, 0};
  p.brightness = 50;  // ignored when the full transform is on
  WritePlaceObject(p);
  EXPECT_NE(OutHex().find(Hex(MakeCXForm(128, 256, 256, 256, 10, -10, 0, 0))), std::string::npos);
}

TEST_F(WriterTest, RatioField) {
  StartMovie(6);
  Placement p = At(10);
  p.ratio = 0.5f;
  WritePlaceObject(p);
  EXPECT_EQ(OutputBuffer()[6], 2 + 16);
  EXPECT_EQ(OutputBuffer()[11] | OutputBuffer()[12] << 8, 32768);  // Round(32767.5) to even
  OutputBuffer().clear();
  p.ratio = 0;
  p.depth = 1;
  WritePlaceObject(p);
  EXPECT_EQ(OutputBuffer()[6], 2 + 16);
  OutputBuffer().clear();
  p.ratio = -1;
  p.depth = 2;
  WritePlaceObject(p);
  EXPECT_EQ(OutputBuffer()[6], 2);
}

TEST_F(WriterTest, FiltersAndBlendOnlyFromSwf8) {
  Placement p = At(10);
  p.filters.dropShadow = -1;
  p.filters.dropShadowParams.quality = 1;
  StartMovie(7);
  WritePlaceObject(p);
  EXPECT_EQ(OutHex(), "BF 06 05 00 00 00 02 01 01 0A 00");
  ResetState();
  StartMovie(8);
  WritePlaceObject(p);
  const auto& b = OutputBuffer();
  ASSERT_EQ(b.size(), 6u + 1 + 1 + 2 + 2 + 1 + 1 + 23);
  EXPECT_EQ(Hex({b[0], b[1]}), "BF 11");
  EXPECT_EQ(b[7], 1);   // has filter list
  EXPECT_EQ(b[12], 1);  // one filter
  EXPECT_EQ(b[13], 0);  // drop shadow
  EXPECT_EQ(b.back(), 1 + 32);
}

TEST_F(WriterTest, BlendModeWithoutFilters) {
  StartMovie(8);
  Placement p = At(10);
  p.blendMode = 3;
  WritePlaceObject(p);
  EXPECT_EQ(OutHex(), "BF 11 07 00 00 00 02 02 01 01 0A 00 03");
}

TEST_F(WriterTest, EveryFilterRecordHasItsSize) {
  StartMovie(8);
  Placement p = At(10);
  FilterState& f = p.filters;
  f.dropShadow = f.blur = f.glow = f.bevel = f.colorMatrix = -1;
  f.bevelParams.mode = 2;
  f.bevelParams.quality = 3;
  f.bevelParams.hideObject = -1;
  f.blurParams.quality = 2;
  f.blurParams.blurX = 1.5f;
  f.matrix[0] = 1.0f;
  WritePlaceObject(p);
  const auto& b = OutputBuffer();
  ASSERT_EQ(b.size(), 6u + 2 + 2 + 2 + 1 + (1 + 23) + (1 + 9) + (1 + 15) + (1 + 27) + (1 + 80));
  EXPECT_EQ(b[12], 5);
  size_t at = 13 + 24;
  EXPECT_EQ(b[at], 1);  // blur
  EXPECT_EQ(Hex({b[at + 1], b[at + 2], b[at + 3], b[at + 4]}), "00 80 01 00");
  EXPECT_EQ(b[at + 9], 16);  // two passes in the top five bits
  at += 10 + 16;
  EXPECT_EQ(b[at], 3);  // bevel
  EXPECT_EQ(b[at + 27], 3 + 16);  // passes, on top, hidden object
  at += 28;
  EXPECT_EQ(b[at], 6);
  EXPECT_EQ(Hex({b[at + 1], b[at + 2], b[at + 3], b[at + 4]}), "00 00 80 3F");
}

TEST_F(WriterTest, MotionThroughTheNeutralStateIsNotFrozen) {
  StartMovie(6);
  Placement p = At(10);
  p.x = 100;
  p.alpha = 128;
  WritePlaceObject(p);
  OutputBuffer().clear();
  // Back to 0,0 and full alpha: the move must reset both, not omit them.
  Placement neutral = At(10);
  WritePlaceObject(neutral);
  EXPECT_EQ(OutHex(), "BF 06 " + Hex({static_cast<uint8_t>(3 + 2 + 11), 0, 0, 0}) + " 0D 01 01 02 00 " +
                          Hex(MakeCXForm(256, 256, 256, 256, 0, 0, 0, 0)));
  OutputBuffer().clear();
  // Once neutral has been written, later neutral moves stay as short as before.
  WritePlaceObject(neutral);
  EXPECT_EQ(OutHex(), "BF 06 03 00 00 00 01 01 01");
}

TEST_F(WriterTest, DepthsOutsideTheRangeAreRefused) {
  StartMovie(6);
  EXPECT_FALSE(WritePlaceObject(At(10, 257)));
  EXPECT_FALSE(WritePlaceObject(At(10, -257)));
  Placement p = At(10);
  p.clipDepth = 300;
  EXPECT_FALSE(WritePlaceObject(p));
  EXPECT_FALSE(WriteRemoveObject2(999));
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_EQ(WriterState().diagnostics.size(), 4u);
  EXPECT_TRUE(WritePlaceObject(At(10, 256)));
  EXPECT_EQ(OutputBuffer()[7] | OutputBuffer()[8] << 8, 513);
}

TEST_F(WriterTest, ClipActionsForSwf6) {
  StartMovie(6);
  FakeScriptCompiler compiler;
  compiler.table["onClipEvent (keyPress \"<left>\")"] = std::vector<uint8_t>(10, 0x07);
  compiler.clipFlags["onClipEvent (keyPress \"<left>\")"] = 0x20000;
  compiler.keyCodes["onClipEvent (keyPress \"<left>\")"] = 1;
  compiler.table["load"] = {0x06};
  compiler.clipFlags["load"] = 0x1;
  Placement p = At(10);
  p.name = "mc";
  p.clipActions = "onClipEvent (keyPress \"<left>\")\r\n-\r\nload";
  WritePlaceObject(p);
  const std::string hex = OutHex();
  EXPECT_EQ(OutputBuffer()[6], 2 + 32 + 128);
  // keyPress record: flags, size 12, key code, 10 bytes, end; then load; then all flags.
  EXPECT_NE(hex.find("00 00 02 00 0C 00 00 00 01 07 07 07 07 07 07 07 07 07 07 00 "
                     "01 00 00 00 02 00 00 00 06 00 00 00 00 00"),
            std::string::npos)
      << hex;
  EXPECT_NE(hex.find("6D 63 00 00 00 01 00 02 00"), std::string::npos) << hex;  // name, reserved, AllEventFlags
}

TEST_F(WriterTest, ClipActionsInSwf4AreAWarning) {
  StartMovie(4);
  RecordingUi ui;
  FakeScriptCompiler compiler;
  Placement p = At(10);
  p.name = "mc";
  p.clipActions = "x";
  WritePlaceObject(p);
  // Recorded for the compiler to tell; the writer opens no message box.
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_EQ(WriterState().diagnostics.size(), 1u);
  EXPECT_EQ(WriterState().diagnostics[0].kind, Diagnostic::Kind::Warning);
  EXPECT_EQ(WriterState().diagnostics[0].text,
            "クリップアクションはSWF4では使用できません。 [mc]\r\n無視して続行します。");
  EXPECT_EQ(OutputBuffer()[6], 2 + 32);
}

TEST_F(WriterTest, RemoveObjects) {
  StartMovie(6);
  EXPECT_FALSE(RemoveObjects("ALL"));
  WritePlaceObject(At(1, -3));
  WritePlaceObject(At(2, 7));
  OutputBuffer().clear();
  EXPECT_TRUE(RemoveObjects("ALL"));
  EXPECT_EQ(OutHex(), "02 07 FE 00 02 07 08 01");
  EXPECT_FALSE(DepthOccupied(7));
  OutputBuffer().clear();
  EXPECT_TRUE(RemoveObjects("3, 5,300"));
  EXPECT_EQ(OutHex(), "02 07 04 01 02 07 06 01");
  // Only "ALL" in capitals means every depth; "all" reads as depth 0.
  OutputBuffer().clear();
  EXPECT_TRUE(RemoveObjects("all"));
  EXPECT_EQ(OutHex(), "02 07 01 01");
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

// Filter terms straight from a project file, at the ends of their types: the
// record keeps its size and every field stops at the edge of its own.
TEST_F(WriterTest, FilterTermsAtTheirLimitsStayInTheirFields) {
  StartMovie(8);
  Placement p = At(10);
  FilterState& f = p.filters;
  f.blur = f.glow = -1;
  f.blurParams.quality = INT32_MAX;
  f.blurParams.blurX = std::numeric_limits<float>::max();
  f.glowParams.quality = INT32_MIN;
  f.glowParams.strength = 300.0f;  // 76,800 in 8.8 bits: more than the field holds
  WritePlaceObject(p);
  const auto& b = OutputBuffer();
  ASSERT_EQ(b.size(), 6u + 2 + 2 + 2 + 1 + (1 + 9) + (1 + 15));
  const size_t blur = 13, glow = blur + 10;
  EXPECT_EQ(Hex({b[blur + 1], b[blur + 2], b[blur + 3], b[blur + 4]}), "FF FF FF 7F");
  EXPECT_EQ(b[blur + 9], 31 << 3);  // the low five bits of the pass count
  EXPECT_EQ(Hex({b[glow + 13], b[glow + 14]}), "FF FF");  // strength
  EXPECT_EQ(b[glow + 15], 32);  // no passes, composite source
}

}  // namespace
}  // namespace tesmiro::testing
