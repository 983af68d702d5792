// The live picture's pane: zoom, whole-stage fit, scroll ranges, the
// conversions between pane pixels and stage twips, and the playback tick.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "project/dialog_fields.h"
#include "project/live_picture_view.h"

namespace tesmiro::LivePicture {
namespace {

PaneView View(float zoom, int32_t stage, int32_t paneW, int32_t paneH) {
  PaneView v;
  v.zoom = zoom;
  v.stageWidth = v.stageHeight = stage;
  v.paneWidth = paneW;
  v.paneHeight = paneH;
  return v;
}

TEST(LivePictureViewTest, ScrollRangesAreSymmetricAboutTheCentredStage) {
  ScrollRange h, v;
  ASSERT_TRUE(UpdatePreviewScrollRanges(View(2.0f, 320, 400, 300), h, v));
  EXPECT_EQ(h, (ScrollRange{-120, 120, 0, true}));
  EXPECT_EQ(v, (ScrollRange{-170, 170, 0, true}));

  // A value scrolled far out is kept inside the smaller range.
  h.value = 120;
  v.value = -170;
  ASSERT_TRUE(UpdatePreviewScrollRanges(View(1.0f, 320, 400, 300), h, v));
  EXPECT_EQ(h, (ScrollRange{0, 0, 0, false}));
  EXPECT_EQ(v, (ScrollRange{-10, 10, -10, true}));
}

TEST(LivePictureViewTest, AStageOfNothingLeavesTheRangesAsTheyWere) {
  const ScrollRange before{-40, 40, 12, true};
  ScrollRange h = before, v = before;
  PaneView view = View(2.0f, 320, 400, 300);
  view.stageWidth = 0;
  EXPECT_FALSE(UpdatePreviewScrollRanges(view, h, v));
  view.stageWidth = 320;
  view.stageHeight = 0;
  EXPECT_FALSE(UpdatePreviewScrollRanges(view, h, v));
  EXPECT_EQ(h, before);
  EXPECT_EQ(v, before);
  // Nor does the whole-stage button divide by it.
  EXPECT_FALSE(FitZoomText(400, 300, 0, 320));
  EXPECT_FALSE(FitZoomText(400, 300, 320, 0));
  EXPECT_FALSE(FitZoomText(0, 300, 320, 320));
  EXPECT_FALSE(FitZoomText(400, -1, 320, 320));
}

TEST(LivePictureViewTest, PaneAndStageCoordinates) {
  PaneView view = View(1.5f, 320, 501, 300);
  TwipPoint t = PosScrToTwip(view, 10, 0);
  EXPECT_NEAR(t.x, -6.6666666, 1e-6);
  EXPECT_EQ(PosTwipToScr(view, t.x, t.y).x, 9);  // floored, the offset halved as a whole number

  view.paneWidth = 500;
  t = PosScrToTwip(view, 10, 0);
  EXPECT_DOUBLE_EQ(t.x, 0);
  EXPECT_EQ(PosTwipToScr(view, t.x, 0).x, 10);

  // Scrolling moves the stage the other way in the pane.
  view = View(2.0f, 320, 400, 300);
  view.hScroll = 120;
  view.vScroll = -170;
  t = PosScrToTwip(view, 0, 0);
  EXPECT_DOUBLE_EQ(t.x, (0 + 120 - (400 - 640) / 2.0) / 2 * 20);
  EXPECT_DOUBLE_EQ(t.y, (0 - 170 - (300 - 640) / 2.0) / 2 * 20);
  EXPECT_EQ(PosTwipToScr(view, 6400, 6400), (PanePoint{640 - 120 - 120, 640 + 170 - 170}));

  const StageRect r = StagePlacement(view);
  EXPECT_EQ(r.left, -240);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width(), 640);
  EXPECT_EQ(r.height(), 640);
}

TEST(LivePictureViewTest, ConversionsSaturateFarOffTheStage) {
  const PaneView view = View(16.0f, 320, 400, 300);
  const PanePoint p = PosTwipToScr(view, 1e300, -1e300);
  EXPECT_EQ(p.x, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(p.y, std::numeric_limits<int32_t>::min());
}

TEST(LivePictureViewTest, ZoomBoxReadsPerCentWithinTheLimits) {
  EXPECT_EQ(ZoomFromText("150%", 320, 320).zoom, 1.5f);
  EXPECT_EQ(ZoomFromText("150%", 320, 320).text, "150%");
  for (const char* text : {"abc", "", "0", "-50%"}) {
    const ZoomChoice c = ZoomFromText(text, 320, 320);
    EXPECT_EQ(c.zoom, 1.0f) << text;
    EXPECT_EQ(c.text, "100%") << text;
  }
  // The list's own entries read back as they are.
  for (const char* text : {"25%", "29%", "33%", "66%", "75%", "300%"})
    EXPECT_EQ(ZoomFromText(text, 320, 320).text, text);

  EXPECT_EQ(ZoomFromText("0.2", 320, 320).text, "1%");
  EXPECT_EQ(ZoomFromText("100000", 320, 320).zoom, kMaxZoom);
  EXPECT_EQ(ZoomFromText("1e300", 320, 320).text, "1600%");
  // A big stage keeps its view within 16384 pixels.
  const ZoomChoice big = ZoomFromText("1600%", 2000, 1000);
  EXPECT_LE(big.zoom * 2000, kMaxViewPixels + 0.01f);
  EXPECT_EQ(big.text, "819%");
  // The largest stage a movie can have still gets a zoom above 0.
  const float z = ClampZoom(0.0001f, GUICore::kMaxStageSize, 1);
  EXPECT_GT(z, 0.0f);
  EXPECT_LE(z * static_cast<float>(GUICore::kMaxStageSize), kMaxViewPixels * 1.001f);
}

TEST(LivePictureViewTest, WholeStageFitsThePane) {
  EXPECT_EQ(FitZoomText(400, 300, 320, 320), "93%");  // the height decides
  EXPECT_EQ(FitZoomText(300, 400, 320, 320), "93%");  // the width decides
  EXPECT_EQ(FitZoomText(640, 640, 320, 320), "200%");
  EXPECT_EQ(FitZoomText(400, 300, 8, 8), "1600%");
  // A stage too big for 1 % gives the smallest zoom, not 0 (which would
  // read back as 100 %).
  EXPECT_EQ(FitZoomText(400, 300, 1000000, 1000000), "1%");
}

TEST(LivePictureViewTest, PlaybackTick) {
  EXPECT_EQ(TimerInterval(false, 12.0f), 0);
  EXPECT_EQ(TimerInterval(true, 12.0f), 83);
  EXPECT_EQ(TimerInterval(true, 8.0f), 125);
  EXPECT_EQ(TimerInterval(true, 2000.0f), 1);  // 0.5 rounds to 0, which is "off"
  EXPECT_EQ(TimerInterval(true, 60000.0f), 1);
  EXPECT_EQ(TimerInterval(true, 1.0f / 256.0f), kMaxTimerInterval);
  for (float rate : {0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()})
    EXPECT_EQ(TimerInterval(true, rate), 83) << rate;
  EXPECT_EQ(TimerInterval(true, std::numeric_limits<float>::infinity()), 83);
}

}  // namespace
}  // namespace tesmiro::LivePicture
