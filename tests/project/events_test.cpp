// The working event list, labels, the clipboard, the event undo history and
// switching timelines.
#include <gtest/gtest.h>

#include <algorithm>

#include "project/events.h"
#include "project/model_fixture.h"
#include "project/store_undo.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

EventRecord Label(const std::string& name) {
  EventRecord e;
  e.itemId = 0;
  e.kind = static_cast<int16_t>(ActionKind::Label);
  e.text1 = name;
  return e;
}

EventRecord Image(int32_t id, int32_t frames = 1) {
  EventRecord e;
  e.itemId = id;
  e.frameCount = frames;
  return e;
}

class EventsTest : public testing::ModelTest {
 protected:
  static std::vector<std::string> Texts() {
    std::vector<std::string> t;
    for (const auto& e : GUICore::State().events) t.push_back(e.isLabel() ? e.text1 : std::to_string(e.itemId));
    return t;
  }
  static int32_t Insert(EventRecord e, int32_t p) {
    GUICore::BeginEventUndoStep();
    GUICore::AddEventUndoRecord(p + 1, e, EventUndoStep::kInserted);
    int32_t i = GUICore::InsertEvent(e, p);
    GUICore::CommitEventUndoStep();
    return i;
  }
  static void Change(int32_t index, EventRecord e) {
    GUICore::BeginEventUndoStep();
    GUICore::AddEventUndoRecord(index, GUICore::GetEvent(index), EventUndoStep::kChanged);
    GUICore::SetEvent(index, e);
    GUICore::CommitEventUndoStep();
  }
  static void Delete(int32_t p) {
    GUICore::BeginEventUndoStep();
    GUICore::AddEventUndoRecord(p + 1, GUICore::GetEvent(p + 1), EventUndoStep::kDeleted);
    GUICore::DeleteEvent(p);
    GUICore::CommitEventUndoStep();
  }
};

TEST_F(EventsTest, InsertAndDeleteByRowPosition) {
  EventRecord a = Image(1), b = Image(2), c = Image(3);
  EXPECT_EQ(GUICore::InsertEvent(a, 0), 1);
  EXPECT_EQ(GUICore::InsertEvent(b, 1), 2);  // p = count appends
  EXPECT_EQ(GUICore::InsertEvent(c, 0), 1);  // p = 0 puts it first
  EXPECT_EQ(EventListModule::Current().currentRow, 0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"3", "1", "2"}));
  EXPECT_EQ(EventListModule::RowCount(), 4);
  EXPECT_EQ(EventListModule::Current().rows.back().itemId, -1);
  GUICore::DeleteEvent(3);  // one past the last: nothing
  GUICore::DeleteEvent(-1);
  EXPECT_EQ(GUICore::EventCount(), 3);
  GUICore::DeleteEvent(1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"3", "2"}));
  EXPECT_EQ(EventListModule::RowCount(), 3);
  EventRecord far = Image(9);
  EXPECT_EQ(GUICore::InsertEvent(far, 50), 3);  // beyond the end: appended
  EventRecord set = Image(8);
  GUICore::SetEvent(7, set);  // outside: nothing
  EXPECT_EQ(GUICore::EventCount(), 3);
}

TEST_F(EventsTest, LabelNamesAreMadeUnique) {
  EventRecord n = Label("N");
  GUICore::InsertEvent(n, 0);
  EXPECT_EQ(GUICore::MakeUniqueEventName("N", 1), "N");  // the only N is event 1 itself
  EXPECT_EQ(GUICore::MakeUniqueEventName("N", 0), "N(2)");
  EventRecord n2 = Label("N");
  GUICore::InsertEvent(n2, 1);
  EXPECT_EQ(n2.text1, "N(2)");  // the caller's record is renamed too
  EXPECT_EQ(GUICore::MakeUniqueEventName("N(2)", 0), "N(3)");
  EXPECT_EQ(GUICore::MakeUniqueEventName("N(07)", 0), "N(7)");
  EXPECT_EQ(GUICore::MakeUniqueEventName("x)", 0), "x)");
  // A non-numeric suffix is part of the name, never replaced by a number.
  EventRecord scene = Label("Scene(a)");
  GUICore::InsertEvent(scene, 0);
  EXPECT_EQ(scene.text1, "Scene(a)");
  EXPECT_EQ(GUICore::MakeUniqueEventName("Scene(a)", 0), "Scene(a)(2)");
  // Only labels count: a jump to "N" is not a label.
  EventRecord jump = Label("M");
  jump.kind = static_cast<int16_t>(ActionKind::JumpToLabel);
  GUICore::InsertEvent(jump, 0);
  EXPECT_EQ(GUICore::MakeUniqueEventName("M", 0), "M");
  EventRecord relabel = Label("N");
  GUICore::SetEvent(3, relabel);  // event 3 is that N: it keeps its name
  EXPECT_EQ(GUICore::GetEvent(3).text1, "N");
  GUICore::SetEvent(1, relabel);
  EXPECT_EQ(GUICore::GetEvent(1).text1, "N(3)");
}

TEST_F(EventsTest, SpriteNamesAreUniqueAmongSprites) {
  int32_t a = AddItem("sprite");
  StoreItem s = GUICore::GetStoreItemByID(a);
  s.name = "Ball";
  GUICore::SetStoreItem(a, s);
  AddItem("txt", "");
  EXPECT_EQ(GUICore::MakeUniqueItemName("Ball"), "Ball(2)");
  EXPECT_EQ(GUICore::MakeUniqueItemName("[]"), "[]");
}

TEST_F(EventsTest, PastingLabelsRenamesThemAndUndoRedoKeepsItRight) {
  EventRecord n = Label("N");
  GUICore::InsertEvent(n, 0);
  GUICore::ClearEventUndo();
  EventRecord c1 = Label("N"), c2 = Label("N");
  GUICore::State().clipboard.events.push_back(c1);
  GUICore::State().clipboard.events.push_back(c2);
  EXPECT_EQ(GUICore::PasteEventClipboard(1), 3);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"N", "N(2)", "N(3)"}));
  EXPECT_EQ(GUICore::State().clipboard.events.at(2).text1, "N(3)");
  GUICore::EventUndo();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"N"}));
  GUICore::EventRedo();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"N", "N(2)", "N(3)"}));
  EXPECT_FALSE(GUICore::CanEventRedo());
  GUICore::ClearEventClipboard();
  EXPECT_EQ(GUICore::PasteEventClipboard(0), 0);
  EXPECT_FALSE(GUICore::EventClipboardHasData());
}

TEST_F(EventsTest, CopyToClipboardAppendsInCopyOrder) {
  EventRecord a = Image(1), b = Image(2);
  GUICore::InsertEvent(a, 0);
  GUICore::InsertEvent(b, 1);
  GUICore::CopyEventToClipboard(1);
  GUICore::CopyEventToClipboard(0);
  GUICore::CopyEventToClipboard(2);  // the end row: nothing behind it
  ASSERT_EQ(GUICore::State().clipboard.events.count(), 2);
  EXPECT_EQ(GUICore::State().clipboard.events.at(1).itemId, 2);
}

TEST_F(EventsTest, ChangeStepSwapsBothWaysAndSelectsTheRows) {
  Insert(Image(1), 0);
  Insert(Image(2), 1);
  Change(2, Image(7, 5));
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::GetEvent(2).itemId, 2);
  EXPECT_EQ(EventListModule::Current().rows[1].selected, -1);
  EXPECT_EQ(EventListModule::Current().rows[0].selected, 0);
  GUICore::EventRedo();
  EXPECT_EQ(GUICore::GetEvent(2).itemId, 7);
  EXPECT_EQ(GUICore::GetEvent(2).frameCount, 5);
  EXPECT_EQ(EventListModule::Current().rows[2].startFrame, 7);  // 1 + 1 + 5
  Delete(0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"7"}));
  GUICore::EventUndo();
  GUICore::EventUndo();
  GUICore::EventUndo();
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::EventCount(), 0);
  EXPECT_FALSE(GUICore::CanEventUndo());
  GUICore::EventUndo();  // nothing left: nothing happens
  for (int i = 0; i < 4; ++i) GUICore::EventRedo();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"7"}));
  // A new change after an undo drops the redo steps.
  GUICore::EventUndo();
  Insert(Image(3), 0);
  EXPECT_FALSE(GUICore::CanEventRedo());
}

TEST_F(EventsTest, UndoFirstShowsTheTimelineTheStepWasRecordedIn) {
  int32_t sprite = AddItem("sprite");
  GUICore::ShowTimeline(sprite, true);
  Insert(Image(5), 0);
  GUICore::ShowTimeline(0, false);
  ui.calls.clear();
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::State().shownTimeline, 1);
  EXPECT_EQ(GUICore::EventCount(), 0);
  GUICore::EventRedo();
  EXPECT_EQ(GUICore::EventCount(), 1);
}

TEST_F(EventsTest, UndoStepsFollowTheirTimelineAcrossSpriteDeletion) {
  int32_t a = AddItem("sprite");
  int32_t b = AddItem("sprite");
  GUICore::ShowTimeline(b, true);  // timeline 2
  Insert(Image(7), 0);
  Insert(Image(8), 1);
  GUICore::ShowTimeline(0, false);
  // Deleting sprite a moves b's timeline to index 1.
  GUICore::SaveStoreUndoState();
  GUICore::DeleteStoreItem(a);
  GUICore::PushStoreUndoState();
  ASSERT_EQ(GUICore::State().timelines[1].owner, b);
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::State().shownTimeline, 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"7"}));

  // Deleting b itself: its steps wait, and come back with the undone delete.
  GUICore::ShowTimeline(0, false);
  GUICore::SaveStoreUndoState();
  GUICore::DeleteStoreItem(b);
  GUICore::PushStoreUndoState();
  EXPECT_EQ(GUICore::State().timelines.size(), 1u);
  GUICore::EventUndo();  // its timeline is gone: the main one is untouched
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  EXPECT_EQ(GUICore::State().timelines[0].events.count(), 0);
  GUICore::EventRedo();
  GUICore::StoreUndo();
  ASSERT_EQ(GUICore::FindTimelineOfSprite(b), 1);
  GUICore::EventRedo();  // redo of the second insert lands in b's timeline again
  GUICore::ShowTimeline(b, true);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"7", "8"}));
}

TEST_F(EventsTest, ShowingTheSameTimelineReloadsItWithUniqueLabels) {
  auto& m = GUICore::State();
  m.timelines[0].events.push_back(Label("A"));
  m.timelines[0].events.push_back(Label("A"));
  m.events = m.timelines[0].events;
  GUICore::SetModified(false);
  GUICore::ShowTimeline(0, false);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "A(2)"}));
  EXPECT_EQ(EventListModule::RowCount(), 3);
}

TEST_F(EventsTest, TabsAreAddedUpToEightSprites) {
  std::vector<int32_t> sprites;
  for (int i = 0; i < 9; ++i) sprites.push_back(AddItem("sprite"));
  for (int32_t id : sprites) GUICore::ShowTimeline(id, true);
  auto& m = GUICore::State();
  EXPECT_EQ(m.tabs.size(), 9u);
  EXPECT_EQ(m.shownTimeline, 9);  // shown without a tab
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "setTimelineHeader"), 9);
  EXPECT_EQ(GUICore::TimelineHeaderText(), "[スプライト(9)] (ID:9)");
  for (const auto& tab : m.tabs) EXPECT_EQ(tab.active, 0);
  GUICore::ShowTimeline(777, true);  // no such item: the main timeline
  EXPECT_EQ(m.shownTimeline, 0);
  EXPECT_EQ(m.tabs[0].active, -1);
}

TEST_F(EventsTest, TabsRememberRowAndScroll) {
  int32_t sprite = AddItem("sprite");
  for (int i = 0; i < 5; ++i) {
    EventRecord e = Image(1);
    GUICore::InsertEvent(e, i);
  }
  GUICore::ShowTimeline(0, false);  // marks the main tab active
  EventListModule::Current().currentRow = 3;
  GUICore::ShowTimeline(sprite, true);
  EXPECT_EQ(EventListModule::Current().currentRow, 0);
  GUICore::ShowTimeline(0, false);
  EXPECT_EQ(EventListModule::Current().currentRow, 3);
}

TEST_F(EventsTest, HeaderOfTheMainTimeline) {
  auto& s = GUICore::State().settings;
  s.width = 550;
  s.height = 400;
  s.frameRate = 24.0f;
  s.options = "  8 ";
  GUICore::UpdateTimelineHeader();
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "setTimelineHeader"), 1);
  EXPECT_EQ(GUICore::TimelineHeaderText(), "(メイン)  550×400  24fps  SWF8");
  EXPECT_EQ(GUICore::TimelineHeaderColor(), 0xE0E0E0u);
  s.frameRate = 12.5f;
  EXPECT_EQ(GUICore::TimelineHeaderText(), "(メイン)  550×400  12.5fps  SWF8");
}

TEST_F(EventsTest, SpriteMenu) {
  std::vector<GUICore::SpriteMenuEntry> entries;
  int32_t position = 0;
  EXPECT_FALSE(GUICore::BuildSpriteMenu(entries, position));
  EXPECT_TRUE(entries.empty());
  AddItem("sprite");
  int32_t two = AddItem("sprite");
  AddItem("sprite");
  GUICore::ShowTimeline(two, true);
  EXPECT_TRUE(GUICore::BuildSpriteMenu(entries, position));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(entries[1].caption, "&2    スプライト(2) (ID:2)");
}

TEST_F(EventsTest, StartFramesFollowTheLoadingScreenAndFixedEvents) {
  EXPECT_EQ(EventListModule::Current().rows[0].startFrame, 1);
  GUICore::State().settings.preloader = 1;
  EventListModule::RenumberFrames();
  EXPECT_EQ(EventListModule::Current().rows[0].startFrame, 2);
  GUICore::State().settings.preloader = 0;
  EventRecord a = Image(1, 0), b = Image(2, 5), c = Label("L");
  c.frameCount = 2;
  GUICore::InsertEvent(a, 0);
  GUICore::InsertEvent(b, 1);
  GUICore::InsertEvent(c, 2);
  const auto& rows = EventListModule::Current().rows;
  EXPECT_EQ(rows[0].startFrame, 1);
  EXPECT_EQ(rows[1].startFrame, -1);
  EXPECT_EQ(rows[1].frameText, "");
  EXPECT_EQ(rows[2].startFrame, 6);
  EXPECT_EQ(rows[2].frameText, "    6");
  EXPECT_EQ(rows[3].startFrame, 8);
  EXPECT_EQ(EventListModule::SelectedEvents(), (std::vector<int32_t>{1, 2, 3}));  // inserted rows are selected
}

}  // namespace
}  // namespace tesmiro
