// Stepping values of the selected events and the event commands, each one
// undo step.
#include <gtest/gtest.h>

#include "project/build_lock.h"
#include "project/event_commands.h"
#include "project/events.h"
#include "project/model_fixture.h"
#include "project/undo_scopes.h"

namespace tesmiro {
namespace {

namespace elm = EventListModule;

class EventCommandsTest : public testing::ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    image = AddItem("jpg", "/a.jpg");
    sound = AddItem("mp3", "/s.mp3");
  }
  static EventRecord Event(int32_t item, int32_t frames, int16_t kind = kEventKindNone, std::string text = "") {
    EventRecord e;
    e.itemId = item;
    e.frameCount = frames;
    e.kind = kind;
    e.text1 = std::move(text);
    return e;
  }
  static void Append(EventRecord e) { GUICore::InsertEvent(e, GUICore::EventCount()); }
  // Selects exactly the rows and clears the unsaved-changes mark.
  static void Select(std::initializer_list<int32_t> rows) {
    elm::ClearRowSelection();
    for (int32_t r : rows) elm::Current().rows[static_cast<size_t>(r)].selected = -1;
    GUICore::SetModified(false);
  }
  static std::vector<int32_t> Items() {
    std::vector<int32_t> ids;
    for (const auto& e : GUICore::State().events) ids.push_back(e.frameCount);
    return ids;
  }
  int32_t image = 0;
  int32_t sound = 0;
};

using Ints = std::vector<int32_t>;

TEST_F(EventCommandsTest, StepFrameCountsByKind) {
  Append(Event(image, 0));
  Append(Event(image, 4));
  Append(Event(0, 1, static_cast<int16_t>(ActionKind::DoNothing), "1"));
  Append(Event(0, -1, static_cast<int16_t>(ActionKind::Rollback), "-1"));
  Append(Event(sound, 0, 0));
  Select({0, 1, 2, 3, 4});
  EXPECT_TRUE(EventCommands::StepValue(-10));
  EXPECT_EQ(Items(), (Ints{0, 0, 1, -11, 0}));
  EXPECT_EQ(GUICore::GetEvent(4).text1, "-11");
  EXPECT_EQ(elm::Current().rows[3].startFrame, 2);  // renumbered
  EXPECT_TRUE(EventCommands::StepValue(11));
  EXPECT_EQ(Items(), (Ints{11, 11, 12, -1, 0}));  // a rollback never reaches 0
  EXPECT_EQ(GUICore::GetEvent(3).text1, "12");
  EXPECT_EQ(GUICore::GetEvent(4).text1, "-1");
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{0, 0, 1, -11, 0}));
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{0, 4, 1, -1, 0}));
}

TEST_F(EventCommandsTest, StepsThatChangeNothingLeaveTheProjectUnmodified) {
  Append(Event(image, 0));
  Append(Event(sound, 0, 0));
  Append(Event(0, 1, static_cast<int16_t>(ActionKind::Stop)));
  Select({0, 1, 2, 3});
  const int32_t undoBefore = GUICore::State().eventUndoPos;
  ui.calls.clear();
  EXPECT_FALSE(EventCommands::StepValue(-1));
  auto e = Event(image, 0);
  e.depth = 256;
  GUICore::SetEvent(1, e);
  GUICore::SetModified(false);
  EXPECT_FALSE(EventCommands::StepTargets(1));
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  EXPECT_EQ(GUICore::State().eventUndoPos, undoBefore);
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "eventsChanged"), 0);
  Select({});
  EXPECT_FALSE(EventCommands::StepValue(5));
}

TEST_F(EventCommandsTest, StepDepthsAndEraseTargets) {
  Append(Event(image, 1));
  Append(Event(0, 1, static_cast<int16_t>(ActionKind::EraseImages), "3, 5,300"));
  Append(Event(0, 1, static_cast<int16_t>(ActionKind::EraseImages), "ALL"));
  Append(Event(0, 1, static_cast<int16_t>(ActionKind::EraseImages), "999,-400"));
  Append(Event(sound, 0, 0));
  Select({0, 1, 2, 3, 4});
  EXPECT_TRUE(EventCommands::StepTargets(1));
  EXPECT_EQ(GUICore::GetEvent(1).depth, 1);
  EXPECT_EQ(GUICore::GetEvent(2).text1, "4,6");
  EXPECT_EQ(GUICore::GetEvent(3).text1, "ALL");
  EXPECT_EQ(GUICore::GetEvent(4).text1, "999,-400");
  EXPECT_EQ(GUICore::GetEvent(5).depth, 0);
  EXPECT_EQ(elm::RowText(1).detail, "対象:[ 4,6 ]");
  EXPECT_EQ(EventCommands::StepTargetList("256", 1), "257");
  EXPECT_EQ(EventCommands::StepTargetList("257", -1), "");
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::GetEvent(2).text1, "3, 5,300");
  EXPECT_EQ(GUICore::GetEvent(1).depth, 0);
}

TEST_F(EventCommandsTest, CopyCutPasteAndDelete) {
  for (int i = 1; i <= 6; ++i) Append(Event(image, i));
  Select({2, 3, 4});
  elm::Current().currentRow = 4;
  const std::string copied = EventCommands::Copy();
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 3);
  EXPECT_EQ(copied.substr(copied.size() - 2), "\r\n");

  const std::string cut = EventCommands::Cut();
  EXPECT_EQ(cut, copied);
  EXPECT_EQ(Items(), (Ints{1, 2, 6}));
  EXPECT_EQ(elm::Current().currentRow, 2);  // the row that followed them
  EXPECT_EQ(elm::Current().rows[2].selected, -1);
  EXPECT_EQ(elm::Current().anchorRow, 2);

  elm::Current().currentRow = 1;
  EXPECT_TRUE(EventCommands::Paste());
  EXPECT_EQ(Items(), (Ints{1, 3, 4, 5, 2, 6}));
  EXPECT_EQ(elm::Current().currentRow, 3);
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{1, 2, 6}));
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{1, 2, 3, 4, 5, 6}));

  // Deleting rows away from the cursor leaves it one row past its event.
  Select({1, 2});
  elm::Current().currentRow = 4;
  EventCommands::Delete();
  EXPECT_EQ(Items(), (Ints{1, 4, 5, 6}));
  EXPECT_EQ(elm::Current().currentRow, 3);
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{1, 2, 3, 4, 5, 6}));

  // Nothing selected: no step, but cut empties the clipboard.
  Select({});
  const int32_t pos = GUICore::State().eventUndoPos;
  EXPECT_EQ(EventCommands::Cut(), "");
  EXPECT_FALSE(GUICore::EventClipboardHasData());
  EXPECT_FALSE(EventCommands::Paste());
  EXPECT_EQ(GUICore::State().eventUndoPos, pos);
}

TEST_F(EventCommandsTest, InsertActionAndSelectAll) {
  Append(Event(image, 1));
  Append(Event(image, 2));
  elm::Current().currentRow = 2;  // the end row: appended
  EXPECT_TRUE(EventCommands::AddAction());
  EXPECT_EQ(GUICore::EventCount(), 3);
  EventRecord a = GUICore::GetEvent(3);
  EXPECT_EQ(a.itemId, 0);
  EXPECT_EQ(a.kind, kEventKindNone);
  EXPECT_EQ(a.frameCount, 0);
  EXPECT_EQ(a.startAlpha, 100);
  EXPECT_EQ(a.endScaleY, 1.0f);
  EXPECT_TRUE(a.anchors.empty());
  EXPECT_EQ(elm::Current().currentRow, 2);
  elm::Current().currentRow = 1;
  EventCommands::AddAction();
  EXPECT_EQ(Items(), (Ints{1, 0, 2, 0}));
  GUICore::EventUndo();
  EXPECT_EQ(Items(), (Ints{1, 2, 0}));

  EventCommands::SelectAll();
  EXPECT_EQ(elm::SelectedEvents(), (Ints{1, 2, 3}));
  EXPECT_EQ(elm::Current().rows.back().selected, 0);
}

TEST_F(EventCommandsTest, InsertEventsIsOneStepAndRefusedDuringABuild) {
  std::vector<EventRecord> records{Event(image, 1), Event(0, 1, 0, "L"), Event(0, 1, 0, "L")};
  const int32_t before = GUICore::State().eventUndoPos;
  EXPECT_EQ(EventCommands::InsertEvents(records, 0), 3);
  // The step is closed when the call returns: whatever the caller does next
  // (let the window run, open a dialog) is outside it.
  EXPECT_FALSE(GUICore::EventUndoScopeOpen());
  EXPECT_EQ(GUICore::State().eventUndoPos, before + 1);
  EXPECT_EQ(GUICore::GetEvent(3).text1, "L(2)");
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::EventCount(), 0);
  GUICore::EventRedo();
  EXPECT_EQ(GUICore::GetEvent(3).text1, "L(2)");

  Select({0, 1});
  GUICore::BuildLock build;
  EXPECT_FALSE(EventCommands::StepValue(1));
  EXPECT_FALSE(EventCommands::AddAction());
  EventCommands::Delete();
  EXPECT_EQ(GUICore::EventCount(), 3);
}

}  // namespace
}  // namespace tesmiro
