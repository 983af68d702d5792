#include "project/undo_scopes.h"

#include <gtest/gtest.h>

#include "model_fixture.h"
#include "project/build_lock.h"
#include "project/events.h"

namespace tesmiro::testing {
namespace {

class UndoScopeTest : public ModelTest {
 protected:
  static EventRecord Event(int32_t depth) {
    EventRecord e{};
    e.depth = depth;
    return e;
  }
};

TEST_F(UndoScopeTest, AnEventScopeIsOneStepThatUndoesAsOne) {
  EventRecord first = Event(1);
  GUICore::InsertEvent(first, 0);
  {
    GUICore::EventUndoScope undo;
    ASSERT_TRUE(undo);
    for (int32_t d : {5, 6}) {
      EventRecord e = Event(d);
      undo.add(GUICore::EventCount() + 1, e, EventUndoStep::kInserted);
      GUICore::InsertEvent(e, GUICore::EventCount());
    }
  }
  EXPECT_EQ(GUICore::EventCount(), 3);
  ASSERT_TRUE(GUICore::CanEventUndo());
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::EventCount(), 1);
  EXPECT_FALSE(GUICore::CanEventUndo());
}

TEST_F(UndoScopeTest, ANestedScopeJoinsTheOuterStepAndAnEmptyOneRecordsNothing) {
  {
    GUICore::EventUndoScope outer;
    EventRecord a = Event(1);
    outer.add(1, a, EventUndoStep::kInserted);
    GUICore::InsertEvent(a, 0);
    {
      GUICore::EventUndoScope inner;
      EventRecord b = Event(2);
      inner.add(2, b, EventUndoStep::kInserted);
      GUICore::InsertEvent(b, 1);
    }
    EXPECT_TRUE(GUICore::EventUndoScopeOpen());
    EXPECT_FALSE(GUICore::CanEventUndo());  // not committed yet
  }
  EXPECT_FALSE(GUICore::EventUndoScopeOpen());
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::EventCount(), 0);
  EXPECT_FALSE(GUICore::CanEventUndo());
  { GUICore::EventUndoScope nothing; }
  EXPECT_FALSE(GUICore::CanEventUndo());
}

TEST_F(UndoScopeTest, AStoreScopePushesUnlessDismissed) {
  {
    GUICore::StoreUndoScope undo;
    ASSERT_TRUE(undo);
    AddItem("txt", "t");
    ASSERT_EQ(GUICore::State().store.count(), 1);
  }
  EXPECT_TRUE(GUICore::CanStoreUndo());
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::State().store.count(), 0);
  {
    GUICore::StoreUndoScope undo;
    undo.dismiss();
  }
  // The dismissed scope left the redo step alone.
  EXPECT_TRUE(GUICore::CanStoreRedo());
}

TEST_F(UndoScopeTest, NeitherScopeOpensWhileABuildRuns) {
  GUICore::BuildLock build;
  GUICore::EventUndoScope events;
  GUICore::StoreUndoScope store;
  EXPECT_FALSE(events);
  EXPECT_FALSE(store);
  EXPECT_FALSE(GUICore::EventUndoScopeOpen());
  EXPECT_FALSE(GUICore::StoreUndoScopeOpen());
  EventRecord e = Event(1);
  events.add(1, e, EventUndoStep::kInserted);
  events.commit();
  store.push();
  EXPECT_FALSE(GUICore::CanEventUndo());
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

}  // namespace
}  // namespace tesmiro::testing
