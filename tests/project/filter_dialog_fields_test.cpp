// The filter dialog's pages, presets and previews, and how its result is
// carried over to the other end of an event's motion.
#include "project/filter_dialog_fields.h"

#include <gtest/gtest.h>

namespace tesmiro {
namespace {

using namespace GUICore;
using Checks = std::array<bool, kFilterPageCount>;

TEST(FilterEditorTest, AStateNeverEditedStartsFromTheDefaults) {
  FilterState fresh;
  fresh.add = {7, 0, 0, 0};
  fresh.glowParams.mode = 1;
  fresh.matrix[1] = 0.5f;
  FilterEditor editor(fresh, 8);
  const FilterState& s = editor.state();
  EXPECT_EQ(s.multiply, (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(s.add[0], 7);  // offsets are not defaults
  EXPECT_EQ(s.matrix[0], 1.0f);
  EXPECT_EQ(s.matrix[18], 1.0f);
  EXPECT_EQ(s.matrix[1], 0.5f);  // only the diagonal is set
  EXPECT_EQ(static_cast<uint32_t>(s.dropShadowParams.color1), 0xFF000000u);
  EXPECT_EQ(s.dropShadowParams.angle, 45.0f);
  EXPECT_EQ(s.dropShadowParams.distance, 5.0f);
  EXPECT_EQ(s.blurParams.blurX, 4.0f);
  EXPECT_EQ(static_cast<uint32_t>(s.glowParams.color1), 0xFF00FFFFu);
  EXPECT_EQ(s.glowParams.blurY, 10.0f);
  EXPECT_EQ(s.glowParams.mode, 1);
  EXPECT_EQ(static_cast<uint32_t>(s.bevelParams.color2), 0xFF000000u);
  EXPECT_EQ(s.bevelParams.quality, 2);
  EXPECT_EQ(editor.initialChecks(), Checks{});

  // A state in use keeps every value it has.
  FilterState used = fresh;
  used.inUse = -1;
  used.glow = -1;
  used.multiply = {0.5f, 1, 1, 1};
  FilterEditor kept(used, 8);
  EXPECT_EQ(kept.state(), used);
  EXPECT_EQ(kept.initialChecks(), (Checks{false, false, false, true, false, false}));
}

TEST(FilterEditorTest, EditsSurvivePageSwitchesAndOkStoresThem) {
  FilterEditor editor(FilterState{}, 8);
  Checks checks = editor.initialChecks();
  FilterPageFields shown;
  FilterPageLayout layout = editor.showPage(kPageColorTransform, FilterPageFields{}, checks, shown);
  EXPECT_EQ(shown.multipliers[0], "1");
  EXPECT_EQ(shown.offsets[0], "0");
  EXPECT_FALSE(layout.enabled);

  shown.multipliers[0] = "1.5";
  shown.offsets[2] = "-20";
  checks[kPageColorTransform] = true;
  FilterPageFields blur;
  layout = editor.showPage(kPageBlur, shown, checks, blur);
  EXPECT_EQ(editor.state().multiply[0], 1.5f);
  EXPECT_EQ(editor.state().add[2], -20);
  EXPECT_EQ(blur.blurX, "4");
  EXPECT_EQ(blur.quality, "2");
  blur.blurX = "12.5";
  blur.quality = "2.5";  // the quality is a whole number, halves to even

  FilterPageFields back;
  layout = editor.showPage(kPageColorTransform, blur, checks, back);
  EXPECT_EQ(back.multipliers[0], "1.5");
  EXPECT_EQ(back.offsets[2], "-20");
  EXPECT_TRUE(layout.enabled);
  EXPECT_EQ(layout.note, kColorTransformNote);
  EXPECT_EQ(editor.state().blurParams.blurX, 12.5f);
  EXPECT_EQ(editor.state().blurParams.quality, 2);

  back.multipliers[3] = "abc";  // no number reads as 0, without a message
  const FilterState ok = editor.ok(back, checks);
  EXPECT_EQ(ok.inUse, -1);
  EXPECT_EQ(ok.colorTransform, -1);
  EXPECT_EQ(ok.multiply[3], 0.0f);
  EXPECT_EQ(ok.blur, 0);
  EXPECT_EQ(editor.cancel().inUse, 0);
}

TEST(FilterEditorTest, FiltersTheMovieCannotShowAreRefusedWithTheNote) {
  FilterState stored;
  stored.inUse = -1;
  stored.bevel = 1;  // switched on under SWF 8, and the raw value is kept
  FilterEditor editor(stored, 6);
  Checks checks = editor.initialChecks();
  FilterPageFields fill;
  editor.showPage(kPageColorTransform, {}, checks, fill);

  checks[kPageGlow] = true;
  const FilterPageLayout glow = editor.showPage(kPageGlow, fill, checks, fill);
  EXPECT_EQ(glow.note, kFilterOnlySWF8Note);
  EXPECT_FALSE(checks[kPageGlow]);
  EXPECT_FALSE(glow.enabled);
  EXPECT_EQ(editor.state().glow, 0);

  const FilterPageLayout colour = editor.showPage(kPageColorTransform, fill, checks, fill);
  EXPECT_EQ(colour.note, "");  // not switched on: no note
  EXPECT_EQ(editor.ok(fill, checks).bevel, 1);  // never shown, not thrown away

  FilterEditor swf8(FilterState{}, 8);
  Checks on = swf8.initialChecks();
  on[kPageGlow] = true;
  const FilterPageLayout allowed = swf8.showPage(kPageGlow, {}, on, fill);
  EXPECT_TRUE(on[kPageGlow]);
  EXPECT_TRUE(allowed.enabled);
  EXPECT_EQ(allowed.note, "");
  EXPECT_EQ(swf8.ok(fill, on).glow, -1);
}

TEST(FilterEditorTest, EachBitmapFilterShowsItsOwnControls) {
  const FilterState s;
  const FilterPageLayout blur = PageLayout(s, kPageBlur);
  EXPECT_EQ(blur.caption, "ブラー");
  EXPECT_EQ(blur.colorShown, (std::array<bool, 2>{false, false}));
  EXPECT_FALSE(blur.angleShown || blur.distanceShown || blur.strengthShown || blur.switchesShown);
  EXPECT_EQ(blur.modeShown, (std::array<bool, 3>{false, false, false}));

  const FilterPageLayout shadow = PageLayout(s, kPageDropShadow);
  EXPECT_EQ(shadow.colorCaption[0], "影の色");
  EXPECT_TRUE(shadow.angleShown && shadow.distanceShown && shadow.strengthShown && shadow.switchesShown);
  EXPECT_EQ(shadow.modeShown, (std::array<bool, 3>{true, true, false}));

  const FilterPageLayout glow = PageLayout(s, kPageGlow);
  EXPECT_EQ(glow.colorCaption[0], "グローの色");
  EXPECT_FALSE(glow.angleShown || glow.distanceShown);
  EXPECT_TRUE(glow.strengthShown);

  FilterState bevelState;
  bevelState.bevelParams.color1 = static_cast<int32_t>(0x80336699u);
  const FilterPageLayout bevel = PageLayout(bevelState, kPageBevel);
  EXPECT_EQ(bevel.colorCaption[0], "ﾊｲﾗｲﾄの色");
  EXPECT_EQ(bevel.colorCaption[1], "影の色");
  EXPECT_EQ(bevel.swatch[0], 0x336699u);
  EXPECT_EQ(bevel.opacity[0], "128");
  EXPECT_EQ(bevel.modeShown, (std::array<bool, 3>{true, true, true}));
}

TEST(FilterEditorTest, ColoursGoToThePageShownAsAabbggrr) {
  FilterEditor editor(FilterState{}, 8);
  Checks checks{};
  FilterPageFields fill;
  editor.showPage(kPageBevel, {}, checks, fill);
  EXPECT_EQ(editor.colorForPicker(0), (std::array<int32_t, 4>{255, 255, 255, 255}));
  ASSERT_TRUE(editor.setColor(1, 0x11, 0x22, 0x33, 0x80));
  EXPECT_EQ(static_cast<uint32_t>(editor.state().bevelParams.color2), 0x80332211u);
  EXPECT_EQ(editor.colorForPicker(1), (std::array<int32_t, 4>{0x11, 0x22, 0x33, 0x80}));

  editor.showPage(kPageDropShadow, fill, checks, fill);
  EXPECT_FALSE(editor.setColor(1, 1, 2, 3, 4));  // the shadow has one colour
  ASSERT_TRUE(editor.setColor(0, 1, 2, 3, 4));
  EXPECT_EQ(static_cast<uint32_t>(editor.state().dropShadowParams.color1), 0x04030201u);
  editor.showPage(kPageBlur, fill, checks, fill);
  EXPECT_FALSE(editor.setColor(0, 1, 2, 3, 4));
}

TEST(FilterEditorTest, MatrixPresetsWriteTheirExactTexts) {
  std::array<std::string, 20> m;
  m.fill("9");
  const auto normal = ApplyMatrixPreset(MatrixPreset::Normal, m);
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(normal[i], (i == 0 || i == 6 || i == 12 || i == 18) ? "1" : "0") << i;

  const auto mono = ApplyMatrixPreset(MatrixPreset::Mono, m);
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(mono[5 * row], "0.3");
    EXPECT_EQ(mono[5 * row + 1], "0.59");
    EXPECT_EQ(mono[5 * row + 2], "0.11");
    EXPECT_EQ(mono[5 * row + 3], "0");
    EXPECT_EQ(mono[5 * row + 4], "0");
  }
  for (size_t i = 15; i < 20; ++i) EXPECT_EQ(mono[i], "9");  // the alpha row is kept

  const auto sepia = ApplyMatrixPreset(MatrixPreset::Sepia, m);
  const std::array<std::string, 15> expected{
      "0.330000007152557", "0.649000014066696", "0.121000002622604",  "0", "0",
      "0.269999992847443", "0.530999985933304", "0.0989999973773956", "0", "0",
      "0.209999996423721", "0.412999992966652", "0.0769999986886978", "0", "0"};
  for (size_t i = 0; i < 15; ++i) EXPECT_EQ(sepia[i], expected[i]) << i;
  EXPECT_EQ(sepia[15], "9");
}

TEST(FilterEditorTest, PreviewBarsMapTheRampThroughThePageTexts) {
  const std::array<std::string, 4> identity{"1", "1", "1", "1"}, none{"0", "0", "0", "0"};
  const auto same = ColorTransformBar(identity, none);
  for (int x = 0; x < kPreviewBarWidth; ++x) ASSERT_EQ(same[static_cast<size_t>(x)], PreviewRampColor(x));

  // Half the red, 300 more green (clamped), blue floored: 0.5 * 255 = 127.5 -> 127.
  const auto mapped = ColorTransformBar({"0.5", "1", "0.5", "1"}, {"0", "300", "0", "0"});
  const uint32_t red = PreviewRampColor(0);
  ASSERT_EQ(red, 0x0000FFu);
  EXPECT_EQ(mapped[0], 0x00FF7Fu);

  std::array<std::string, 20> mono = ApplyMatrixPreset(MatrixPreset::Mono, ApplyMatrixPreset(MatrixPreset::Normal, {}));
  const auto grey = ColorMatrixBar(mono);
  for (int x = 0; x < kPreviewBarWidth; x += 17) {
    const uint32_t c = grey[static_cast<size_t>(x)];
    EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF) << x;
    EXPECT_EQ(c & 0xFF, (c >> 16) & 0xFF) << x;
  }
  // Pure red: 255 * 0.3 = 76.5 rounds to the even 76 (halves to even).
  EXPECT_EQ(grey[0], 0x4C4C4Cu);
}

TEST(FilterButtonTest, TheOtherEndTakesTheSameFiltersWithItsOwnValues) {
  FilterState start, end, result;
  result.inUse = -1;
  result.blur = -1;
  result.blurParams.blurX = 8;
  result.glowParams.knockout = -1;
  result.bevelParams.mode = 2;

  // An end never edited receives a whole copy.
  ApplyFilterResult(result, start, end);
  EXPECT_EQ(start, result);
  EXPECT_EQ(end, result);

  // An end in use keeps its values and takes the switches.
  FilterState ownEnd;
  ownEnd.inUse = -1;
  ownEnd.blurParams.blurX = 2;
  ownEnd.glow = -1;
  ownEnd.multiply = {0.5f, 0.5f, 0.5f, 1};
  ApplyFilterResult(result, start, ownEnd);
  EXPECT_EQ(ownEnd.blur, -1);
  EXPECT_EQ(ownEnd.glow, 0);
  EXPECT_EQ(ownEnd.blurParams.blurX, 2.0f);
  EXPECT_EQ(ownEnd.multiply[0], 0.5f);
  EXPECT_EQ(ownEnd.glowParams.knockout, -1);
  EXPECT_EQ(ownEnd.bevelParams.mode, 2);
}

}  // namespace
}  // namespace tesmiro
