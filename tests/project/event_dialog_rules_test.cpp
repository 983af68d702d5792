#include "project/event_dialog_rules.h"

#include "model_fixture.h"

namespace tesmiro::testing {
namespace {

namespace r = EventDialogRules;
using r::Ctl;

bool Shown(const r::Visibility& v, Ctl c) {
  auto it = v.find(c);
  EXPECT_NE(it, v.end()) << "untouched control " << static_cast<int>(c);
  return it != v.end() && it->second;
}

TEST(EventDialogLayout, EachMaterialKindOffersItsOwnFields) {
  // A sound: its frame only, no button, no picture.
  r::KindLayout sound = r::LayoutForKind(2, "3", true, 1, 8);
  EXPECT_TRUE(Shown(sound.visible, Ctl::Frame4));
  for (Ctl c : {Ctl::Check1, Ctl::Text2, Ctl::Frame1, Ctl::Frame2, Ctl::Frame5, Ctl::Frame6, Ctl::Combo4})
    EXPECT_FALSE(Shown(sound.visible, c));
  EXPECT_EQ(sound.check1, 0);
  EXPECT_EQ(sound.previewControls, false);

  // A sprite: never a button, its own frame, no mask.
  r::KindLayout sprite = r::LayoutForKind(4, "4", false, 1, 6);
  EXPECT_FALSE(Shown(sprite.visible, Ctl::Check1));
  EXPECT_EQ(sprite.check1, 0);
  EXPECT_TRUE(Shown(sprite.visible, Ctl::Frame8));
  EXPECT_FALSE(Shown(sprite.visible, Ctl::Check3));
  EXPECT_EQ(sprite.check3, 0);
  EXPECT_FALSE(Shown(sprite.visible, Ctl::Combo4));  // SWF 6: no blend modes
  EXPECT_TRUE(sprite.frameCountLayout);

  // Images, texts and vector images can mask; videos cannot.
  for (int kind : {1, 3, 5}) {
    r::KindLayout l = r::LayoutForKind(kind, "1", false, 1, 8);
    for (Ctl c : {Ctl::Check3, Ctl::Check1, Ctl::Combo4, Ctl::Frame1, Ctl::Frame2, Ctl::Frame5, Ctl::Command10_0})
      EXPECT_TRUE(Shown(l.visible, c)) << kind;
    EXPECT_FALSE(Shown(l.visible, Ctl::Frame4));
    EXPECT_FALSE(Shown(l.visible, Ctl::Frame8));
  }
  r::KindLayout video = r::LayoutForKind(6, "6", false, 1, 8);
  EXPECT_FALSE(Shown(video.visible, Ctl::Check3));
  EXPECT_EQ(video.check3, 0);

  // Filters are edited for one event only.
  r::KindLayout two = r::LayoutForKind(1, "", false, 2, 8);
  EXPECT_FALSE(Shown(two.visible, Ctl::Command10_0));
  EXPECT_FALSE(Shown(two.visible, Ctl::Command10_1));
}

TEST(EventDialogLayout, TheActionLayoutIsTheFillersOnly) {
  r::KindLayout filled = r::LayoutForKind(0, "0", true, 1, 8);
  EXPECT_TRUE(filled.actionPlacement);
  EXPECT_TRUE(Shown(filled.visible, Ctl::Frame6));
  for (Ctl c : {Ctl::Label1, Ctl::Text1, Ctl::Text2, Ctl::Check1, Ctl::Check3, Ctl::Frame1, Ctl::Frame5, Ctl::Frame7,
                Ctl::Frame9, Ctl::Frame10})
    EXPECT_FALSE(Shown(filled.visible, c));
  EXPECT_EQ(filled.check1, 0);
  // Several action events: by the selection's kind.
  EXPECT_TRUE(r::LayoutForKind(-1, "", true, 3, 8).actionPlacement);

  // Typed by the author: the common part only, nothing else changes.
  r::KindLayout typed = r::LayoutForKind(0, "0", false, 1, 8);
  EXPECT_FALSE(typed.actionPlacement);
  EXPECT_TRUE(Shown(typed.visible, Ctl::Text1));
  EXPECT_FALSE(Shown(typed.visible, Ctl::Frame6));
  EXPECT_EQ(typed.visible.count(Ctl::Frame1), 0u);
  EXPECT_FALSE(typed.previewControls.has_value());
  EXPECT_FALSE(typed.frameCountLayout);
}

TEST(EventDialogLayout, FrameCountChoosesMotionOneFrameOrFixedScreen) {
  r::FrameCountLayout fixed = r::LayoutForFrameCount("1", "0", true, "");
  EXPECT_EQ(fixed.depthText, "-1");
  EXPECT_EQ(fixed.frame5Caption, "固定画面");
  EXPECT_EQ(fixed.command9Caption, "通常画面にする");
  EXPECT_FALSE(Shown(fixed.visible, Ctl::Frame2));
  EXPECT_FALSE(Shown(fixed.visible, Ctl::Command13));
  EXPECT_EQ(fixed.check9, 0);
  EXPECT_FALSE(r::LayoutForFrameCount("1", "0", false, "3").depthText.has_value());

  r::FrameCountLayout one = r::LayoutForFrameCount("1", "1", true, "");
  EXPECT_FALSE(Shown(one.visible, Ctl::Frame2));
  EXPECT_EQ(one.check9, 0);
  EXPECT_EQ(one.operatedImage, 0);
  EXPECT_EQ(one.command9Caption, "固定画面にする");

  for (const char* motion : {"10", "00", "2.0", "abc"}) {
    r::FrameCountLayout l = r::LayoutForFrameCount("1", motion, true, "");
    EXPECT_TRUE(Shown(l.visible, Ctl::Frame2)) << motion;
    EXPECT_TRUE(Shown(l.visible, Ctl::Command13));
    EXPECT_FALSE(l.operatedImage.has_value());
  }
  EXPECT_FALSE(Shown(r::LayoutForFrameCount("1", "10", false, "").visible, Ctl::Command13));
  EXPECT_TRUE(r::LayoutForFrameCount("0", "10", true, "").skip);
}

TEST(EventDialogLayout, ActionsThatNoButtonCanRunAreRefusedWithTheirName) {
  r::ActionLayout refused = r::LayoutForAction(12, 1, 0);
  EXPECT_TRUE(refused.refused);
  EXPECT_TRUE(refused.label23Shown);
  EXPECT_EQ(refused.label23Caption, "「何もしない」はボタンでは使用できないアクションです");
  EXPECT_FALSE(refused.text13Shown);
  for (int i : {0, 9, 10, 11, 14}) EXPECT_TRUE(r::LayoutForAction(i, 1, 0).refused) << i;
  for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 13}) EXPECT_FALSE(r::LayoutForAction(i, 1, 0).refused) << i;
  // Grey is no button yet.
  EXPECT_FALSE(r::LayoutForAction(12, 2, 0).refused);

  r::ActionLayout url = r::LayoutForAction(2, 1, 0);
  EXPECT_TRUE(url.text13Shown && url.text14Shown);
  EXPECT_EQ(url.label23Caption, "ﾀｰｹﾞｯﾄ");
  EXPECT_TRUE(r::LayoutForAction(13, 0, 0).command7Shown);
  EXPECT_EQ(r::LayoutForAction(-1, 0, 0).label23Caption, "アクションを選択してください");
  EXPECT_FALSE(r::LayoutForAction(10, 0, 1).label23Shown);
  EXPECT_EQ(r::LayoutForAction(11, 0, 0).label23Caption,
            "このｱｸｼｮﾝは無視されます。ｽﾄﾘｰﾐﾝｸﾞ再生は\nｻｳﾝﾄﾞのｲﾍﾞﾝﾄから設定してください");
  EXPECT_EQ(r::LayoutForAction(1, 0, 0).label23Caption,
            "特殊ラベル：　_NextLabel(次のラベル)\n　　　　　　　　　_PrevLabel(前のラベル)");

  EXPECT_EQ(r::ParameterShortcut(9, 11, 20), "ALL");
  EXPECT_FALSE(r::ParameterShortcut(9, 3, 20).has_value());
  EXPECT_FALSE(r::ParameterShortcut(2, 15, 20).has_value());
}

TEST(EventDialogNumbers, DepthIsClampedAndSpinsSaturate) {
  EXPECT_EQ(r::ClampDepthText("300"), "256");
  EXPECT_EQ(r::ClampDepthText("-1e300"), "-256");
  EXPECT_FALSE(r::ClampDepthText("-256").has_value());
  EXPECT_FALSE(r::ClampDepthText("abc").has_value());
  EXPECT_EQ(r::SpinFrameCount("0", 1), "0");
  EXPECT_EQ(r::SpinFrameCount("3.7", 1), "2");
  EXPECT_EQ(r::SpinFrameCount("2147483647", -1), "2147483647");
  EXPECT_EQ(r::SpinFrameCount("1e30", -1), "2147483647");
  EXPECT_EQ(r::SpinFrameCount("-1e30", -1), "-2147483647");
  EXPECT_EQ(r::SpinDepth("256", -1), "256");
  EXPECT_EQ(r::SpinDepth("-1e30", 1), "-256");
}

TEST(EventDialogNumbers, BoxesMoveTheirBarsOnlyWithinRange) {
  EXPECT_EQ(r::VolumeBarValue("30"), 70);
  EXPECT_FALSE(r::VolumeBarValue("150").has_value());
  EXPECT_EQ(r::SliderValueFromBox("50%", 0, 100), 50);
  EXPECT_EQ(r::SliderValueFromBox("abc", 0, 100), 0);
  EXPECT_EQ(r::SliderValueFromBox("2.5", 0, 100), 2);  // halves to even
  EXPECT_FALSE(r::SliderValueFromBox("150", 0, 100).has_value());
}

TEST(EventDialogNumbers, TheEasingCurveHasALinePerFrameAndNoMore) {
  EXPECT_TRUE(r::EasingLines(0, 0, 100).empty());
  EXPECT_EQ(r::EasingLines(1, 0, 100), (std::vector<int32_t>{100}));
  EXPECT_EQ(r::EasingLines(10, 0, 100), (std::vector<int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  // Positive easing starts fast: the first gap is the widest.
  const auto fast = r::EasingLines(10, 255, 100);
  EXPECT_GT(fast[0], fast[9] - fast[8]);
  // A count far beyond the picture's width draws every column once.
  EXPECT_EQ(r::EasingLines(2000000000, 0, 100).size(), 101u);
}

TEST(EventDialogNumbers, CentreAndFixedScreenToggle) {
  EXPECT_EQ(r::ToggleCentre("0", "0", 101, -7), (std::pair<std::string, std::string>{"50", "-3"}));
  EXPECT_EQ(r::ToggleCentre("0", "5", 100, 100), (std::pair<std::string, std::string>{"0", "0"}));
  EXPECT_EQ(r::CentreCaption("00", "0"), "画像の左上に設定(&C)");
  EXPECT_EQ(r::ToggleFixedScreen("5", "").frameCount, "0");
  EXPECT_EQ(r::ToggleFixedScreen("0", "").depthText, "0");
  EXPECT_FALSE(r::ToggleFixedScreen("0", "-1").depthText.has_value());
}

TEST(EventDialogWindow, OpeningFollowsTheStayOpenOption) {
  EXPECT_FALSE(r::PlanOpen(3, 3, 0, 1, false).open);
  r::OpenPlan end = r::PlanOpen(2, 3, 0, 1, false);  // the end row opens too
  EXPECT_TRUE(end.open && end.place && end.showAndLoad && !end.atCursor);
  EXPECT_TRUE(r::PlanOpen(0, 3, 0, 0, true).atCursor);
  // Stay-open: a shown dialog is neither moved nor loaded again; a hidden
  // one opens at its stored place whatever the position option says.
  r::OpenPlan shown = r::PlanOpen(0, 3, 1, 0, true);
  EXPECT_TRUE(shown.open && !shown.place && !shown.showAndLoad);
  r::OpenPlan hidden = r::PlanOpen(0, 3, 1, 0, false);
  EXPECT_TRUE(hidden.place && hidden.showAndLoad && !hidden.atCursor);
}

class EventDialogModelTest : public ModelTest {};

TEST_F(EventDialogModelTest, TheKindAndSizeOfTheMaterialInTheIdBox) {
  StoreItem sprite = NewStoreItem(StoreItemKind::Sprite);
  sprite.id = 5;
  sprite.width = 64;
  sprite.refX = 3;
  GUICore::State().store.push_back(sprite);
  EXPECT_EQ(r::FileKind("5abc", -1), 4);
  EXPECT_EQ(r::FileKind("0", -1), -1);
  EXPECT_EQ(r::FileKind("77", 2), 0);  // no such item
  EXPECT_EQ(r::GetImageSize(5).width, 64);
  EXPECT_EQ(r::GetImageSize(5).refX, 3);
  EXPECT_EQ(r::GetImageSize(99).width, 0);
}

}  // namespace
}  // namespace tesmiro::testing
