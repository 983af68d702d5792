// Scroll ranges, the row hit test, the horizontal bar, the tab strip's
// geometry and mouse, and the label search.
#include <gtest/gtest.h>

#include "project/event_list_tabs.h"
#include "project/event_list_view.h"
#include "platform/encoding.h"
#include "project/events.h"
#include "project/model_fixture.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

namespace elm = EventListModule;

class EventListViewTest : public testing::ModelTest {
 protected:
  // n events of one frame each; 13-pixel rows (no icons).
  static void Fill(int32_t n, int32_t visibleHeight, int32_t hBar = 17) {
    for (int32_t i = 0; i < n; ++i) {
      EventRecord e;
      e.itemId = 0;
      e.kind = static_cast<int16_t>(ActionKind::Play);
      GUICore::InsertEvent(e, GUICore::EventCount());
    }
    elm::EventListGeometry g;
    g.width = 300;
    g.height = visibleHeight + hBar;
    g.hBarHeight = hBar;
    g.vBarWidth = 17;
    elm::SetGeometry(g);
  }
  static elm::State& S() { return elm::Current(); }
};

TEST_F(EventListViewTest, VerticalRangeFromRowsAndHeight) {
  Fill(19, 100);  // 19 events + the end row = 20 rows
  EXPECT_EQ(S().vBar.max, 14);
  EXPECT_EQ(S().vBar.largeChange, 8);
  EXPECT_TRUE(S().vBar.visible);

  elm::ScrollEventListBy(100);
  EXPECT_EQ(elm::ScrollValue(), 14);
  elm::SetScrollValue(2);
  elm::ScrollEventListBy(-3);
  EXPECT_EQ(elm::ScrollValue(), 1);

  // A shorter list pulls the value back into the new range.
  elm::SetScrollValue(14);
  while (GUICore::EventCount() > 2) GUICore::DeleteEvent(0);
  elm::UpdateEventScrollBars();
  EXPECT_EQ(S().vBar.max, 1);
  EXPECT_FALSE(S().vBar.visible);
  EXPECT_EQ(elm::ScrollValue(), 1);
}

TEST_F(EventListViewTest, LastVisibleRowAndEnsureVisible) {
  Fill(19, 100);
  EXPECT_EQ(elm::GetLastVisibleRow(0), 0);
  EXPECT_EQ(elm::GetLastVisibleRow(25), 1);
  EXPECT_EQ(elm::GetLastVisibleRow(-40), 0);
  elm::SetScrollValue(10);
  EXPECT_EQ(elm::GetLastVisibleRow(13), 10);
  EXPECT_EQ(elm::GetLastVisibleRow(1000), 20);  // below the end row: the row count

  elm::SetScrollValue(1);
  S().currentRow = 19;
  EXPECT_TRUE(elm::EnsureCurrentVisible());
  EXPECT_EQ(elm::ScrollValue(), 12);  // nine whole rows while the horizontal bar is hidden
  EXPECT_FALSE(elm::EnsureCurrentVisible());
  S().currentRow = 2;
  EXPECT_TRUE(elm::EnsureCurrentVisible());
  EXPECT_EQ(elm::ScrollValue(), 3);
}

TEST_F(EventListViewTest, EnsureVisibleEndsInAListLowerThanARow) {
  Fill(19, 5, 0);
  S().currentRow = 12;
  elm::EnsureCurrentVisible();  // used to oscillate for ever
  EXPECT_EQ(elm::ScrollValue(), 13);
}

TEST_F(EventListViewTest, HorizontalBarShowsWidensAndHidesOnlyAtZero) {
  Fill(3, 100);
  EXPECT_EQ(elm::FinishPaint(200), 117);
  EXPECT_FALSE(S().hBar.visible);
  EXPECT_EQ(elm::FinishPaint(500), 100);  // 300 wide, no vertical bar
  EXPECT_TRUE(S().hBar.visible);
  EXPECT_EQ(S().hBar.max, 200);
  EXPECT_EQ(S().hBar.largeChange, 150);
  elm::FinishPaint(400);  // never shrinks while painting
  EXPECT_EQ(S().hBar.max, 200);
  elm::SetHorizontalScroll(50);
  elm::FinishPaint(100);
  EXPECT_TRUE(S().hBar.visible);  // away from 0 it stays
  elm::SetHorizontalScroll(0);
  elm::FinishPaint(100);
  EXPECT_FALSE(S().hBar.visible);
  elm::SetHorizontalScroll(80);
  EXPECT_EQ(S().hScroll, 80);
  elm::UpdateEventScrollBars();
  EXPECT_EQ(S().hBar.max, 80);  // the range shrinks to the value
}

TEST_F(EventListViewTest, PaintPlanCoversTheVisibleRows) {
  Fill(30, 100, 0);
  elm::SetScrollValue(5);
  auto plan = elm::PlanPaint();
  EXPECT_EQ(plan.first, 4);
  EXPECT_EQ(plan.last, 12);  // ceil(100 / 13) rows
  EXPECT_FALSE(plan.clear);
}

TEST_F(EventListViewTest, TabWidthsAndHitTest) {
  auto layout = elm::LayoutTabs(402, true);
  ASSERT_EQ(layout.tabs.size(), 1u);
  EXPECT_EQ(layout.headTop, 24);
  EXPECT_EQ(layout.tabs[0].left, 1);
  EXPECT_EQ(layout.tabs[0].right, 160);
  EXPECT_TRUE(layout.tabs[0].active);
  EXPECT_EQ(layout.tabs[0].caption, "メイン");

  std::vector<int32_t> sprites;
  for (int i = 0; i < 3; ++i) sprites.push_back(AddItem("sprite"));
  for (int32_t s : sprites) GUICore::ShowTimeline(s, true);
  layout = elm::LayoutTabs(402, true);
  ASSERT_EQ(layout.tabs.size(), 4u);
  EXPECT_EQ(layout.tabs[1].left, 101);
  EXPECT_EQ(layout.tabs[1].right, 200);
  EXPECT_TRUE(layout.tabs[3].active);
  EXPECT_FALSE(layout.tabs[0].active);
  EXPECT_EQ(elm::HitTestTab(200, 10, true), 2);
  EXPECT_EQ(elm::HitTestTab(201, 10, true), 3);
  EXPECT_EQ(elm::HitTestTab(200, 24, true), 0);
  EXPECT_EQ(elm::HitTestTab(200, 10, false), 0);
  EXPECT_EQ(elm::LayoutTabs(402, false).headTop, 0);

  // Tabs whose item is no longer a sprite vanish at the next layout, both
  // at once.
  for (int k : {0, 1}) GUICore::State().store.at(GUICore::FindStoreIndexByID(sprites[k])).kind = StoreItemKind::Clone;
  layout = elm::LayoutTabs(402, true);
  ASSERT_EQ(layout.tabs.size(), 2u);
  EXPECT_EQ(GUICore::State().tabs[1].spriteId, sprites[2]);
}

TEST_F(EventListViewTest, FitTextCutsWithEllipsis) {
  auto width = [](const std::string& s) { return static_cast<int32_t>(enc::CharCount(s)) * 6; };
  EXPECT_EQ(elm::FitText("スプライト", 30, width), "スプライト");
  EXPECT_EQ(elm::FitText("スプライトA", 35, width), "スプ...");
  EXPECT_EQ(elm::FitText("スプライト", 29, width), "ス...");
  EXPECT_EQ(elm::FitText("スプライト", 23, width), "");
  EXPECT_EQ(elm::MeanColor(0x00FF8000, 0x00010203), 0x00804101u);
}

TEST_F(EventListViewTest, TabStripMouseSwitchesMovesAndCloses) {
  std::vector<int32_t> sprites;
  for (int i = 0; i < 3; ++i) sprites.push_back(AddItem("sprite"));
  for (int32_t s : sprites) GUICore::ShowTimeline(s, true);
  elm::LayoutTabs(402, true);  // tabs 100 pixels wide
  elm::TabStripMouse mouse;

  elm::TabMouseDown(mouse, 50, 5, true);  // the main tab: shown, never held
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  EXPECT_EQ(mouse.pressedTab, 0);
  EXPECT_FALSE(elm::TabMouseMove(mouse, 80));
  EXPECT_EQ(elm::TabMouseUp(mouse, true, 50, 5, true), elm::TabPopup::SpriteMenu);
  elm::TabMouseFinish(mouse);

  elm::TabMouseDown(mouse, 250, 5, true);  // third tab dragged onto the second
  EXPECT_EQ(GUICore::State().shownTimeline, GUICore::FindTimelineOfSprite(sprites[1]));
  EXPECT_FALSE(elm::TabMouseMove(mouse, 253));
  EXPECT_TRUE(elm::TabMouseMove(mouse, 254));
  EXPECT_EQ(elm::TabMouseUp(mouse, false, 150, 5, true), elm::TabPopup::None);
  EXPECT_EQ(GUICore::State().tabs[1].spriteId, sprites[1]);
  EXPECT_EQ(GUICore::State().tabs[2].spriteId, sprites[0]);
  elm::TabMouseFinish(mouse);

  elm::TabMouseDown(mouse, 350, 5, true);
  EXPECT_EQ(elm::TabMouseUp(mouse, true, 350, 5, true), elm::TabPopup::TabMenu);
  elm::CloseHeldTab(mouse);
  elm::TabMouseFinish(mouse);
  EXPECT_EQ(GUICore::State().tabs.size(), 3u);
  EXPECT_EQ(GUICore::State().shownTimeline, GUICore::FindTimelineOfSprite(sprites[2]));

  elm::TabDoubleClick(true);  // only while the strip is hidden
  EXPECT_NE(GUICore::State().shownTimeline, 0);
  elm::TabDoubleClick(false);
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
}

TEST_F(EventListViewTest, FindNextLabelRow) {
  Fill(6, 100);
  EXPECT_EQ(elm::FindNextLabelRow(3, 1), 6);   // no label: the end row
  EXPECT_EQ(elm::FindNextLabelRow(0, -1), 0);  // nothing above: unchanged
  EXPECT_EQ(elm::FindNextLabelRow(6, 1), 6);
  EventRecord label;
  label.itemId = 0;
  label.kind = static_cast<int16_t>(ActionKind::Label);
  GUICore::SetEvent(5, label);
  elm::SetRow(label, 4, false);
  EXPECT_EQ(elm::FindNextLabelRow(1, 1), 4);
  EXPECT_EQ(elm::FindNextLabelRow(6, -1), 4);
  EXPECT_EQ(elm::FindNextLabelRow(3, -1), 0);
}

}  // namespace
}  // namespace tesmiro
