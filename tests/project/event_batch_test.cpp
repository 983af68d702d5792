// Many events inserted, deleted or exchanged at once (paste, undo, redo)
// must leave the list, the renamed labels, the rows and the current row
// exactly as the same single-event operations one after the other do, for
// any order of positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "project/events.h"
#include "project/model_fixture.h"
#include "project/record_bytes.h"

namespace tesmiro {
namespace {

class EventBatchTest : public testing::ModelTest {
 protected:
  struct Outcome {
    std::vector<std::vector<uint8_t>> events;
    std::vector<std::string> rows;  // item, frames, depth, start text, selection
    int32_t currentRow = 0;
    std::vector<std::string> names;  // the records the caller handed in

    bool operator==(const Outcome&) const = default;
  };

  static Outcome Capture(const std::vector<EventRecord>& records = {}) {
    Outcome o;
    for (const EventRecord& e : GUICore::State().events) o.events.push_back(RecordBytes(e));
    for (const EventListRow& r : EventListModule::Current().rows) {
      o.rows.push_back(std::to_string(r.itemId) + "/" + std::to_string(r.frameCount) + "/" +
                       std::to_string(r.depth) + "/" + r.frameText + "/" + std::to_string(r.selected));
    }
    o.currentRow = EventListModule::Current().currentRow;
    for (const EventRecord& e : records) o.names.push_back(e.text1);
    return o;
  }

  int32_t Pick(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); }

  // Labels from a few names (so that they clash), with counters now and then.
  EventRecord RandomEvent() {
    EventRecord e;
    if (Pick(0, 1) == 0) {
      e.itemId = 0;
      e.kind = static_cast<int16_t>(ActionKind::Label);
      e.text1 = std::string(1, static_cast<char>('A' + Pick(0, 2)));
      if (Pick(0, 3) == 0) e.text1 += "(" + std::to_string(Pick(1, 3)) + ")";
    } else {
      e.itemId = Pick(1, 9);
      e.frameCount = Pick(0, 3);
      e.depth = Pick(-2, 2);
    }
    return e;
  }

  // A list of n random events with its rows, some of them selected.
  void RandomList(int32_t n) {
    auto& events = GUICore::State().events;
    events.clear();
    for (int32_t i = 0; i < n; ++i) events.push_back(RandomEvent());
    EventListModule::LoadRows();
    for (auto& row : EventListModule::Current().rows) row.selected = Pick(0, 2) == 0 ? -1 : 0;
    EventListModule::Current().currentRow = Pick(0, n);
  }

  // Positions in the orders commands and undo produce, and arbitrary ones
  // (some outside the list).
  std::vector<int32_t> RandomPositions(int32_t k, int32_t n, bool growing) {
    std::vector<int32_t> p(static_cast<size_t>(k));
    const int32_t start = Pick(0, n);
    const int style = Pick(0, 3);
    for (int32_t j = 0; j < k; ++j) {
      const int32_t size = growing ? n + j : std::max(0, n - j);
      switch (style) {
        case 0: p[static_cast<size_t>(j)] = start + j; break;      // one after the other
        case 1: p[static_cast<size_t>(j)] = start; break;          // all at the same place
        case 2: p[static_cast<size_t>(j)] = start - j; break;      // backwards
        default: p[static_cast<size_t>(j)] = Pick(-1, size + 1); break;
      }
    }
    return p;
  }

  std::mt19937 rng{97};
};

TEST_F(EventBatchTest, InsertingManyIsInsertingOneByOne) {
  for (int round = 0; round < 300; ++round) {
    const int32_t n = Pick(0, 12), k = Pick(2, 8);
    RandomList(n);
    std::vector<EventRecord> records;
    for (int32_t j = 0; j < k; ++j) records.push_back(RandomEvent());
    const std::vector<int32_t> positions = RandomPositions(k, n, true);
    const auto events = GUICore::State().events;
    const auto rows = EventListModule::Current();

    std::vector<EventRecord> one = records;
    int32_t lastOne = 0;
    for (int32_t j = 0; j < k; ++j) lastOne = GUICore::InsertEvent(one[static_cast<size_t>(j)], positions[static_cast<size_t>(j)]);
    const Outcome expected = Capture(one);

    GUICore::State().events = events;
    EventListModule::Current() = rows;
    std::vector<EventRecord> many = records;
    const int32_t lastMany = GUICore::InsertEvents(many, positions);
    ASSERT_TRUE(Capture(many) == expected) << "round " << round;
    ASSERT_EQ(lastMany, lastOne) << "round " << round;
  }
}

TEST_F(EventBatchTest, DeletingManyIsDeletingOneByOne) {
  for (int round = 0; round < 300; ++round) {
    const int32_t n = Pick(1, 14), k = Pick(2, 8);
    RandomList(n);
    const std::vector<int32_t> positions = RandomPositions(k, n, false);
    const auto events = GUICore::State().events;
    const auto rows = EventListModule::Current();

    for (int32_t p : positions) GUICore::DeleteEvent(p);
    const Outcome expected = Capture();

    GUICore::State().events = events;
    EventListModule::Current() = rows;
    GUICore::DeleteEvents(positions);
    ASSERT_TRUE(Capture() == expected) << "round " << round;
  }
}

TEST_F(EventBatchTest, UndoOfManyChangedLabelsRenamesAsOneByOne) {
  for (int round = 0; round < 200; ++round) {
    const int32_t n = Pick(2, 12);
    RandomList(n);
    // A change step over some events, as the property dialog records it.
    GUICore::BeginEventUndoStep();
    for (int32_t i = 1; i <= n; ++i) {
      if (Pick(0, 1) == 0 && i < n) continue;  // the last one always: a step is never empty
      EventRecord e = RandomEvent();
      GUICore::AddEventUndoRecord(i, GUICore::GetEvent(i), EventUndoStep::kChanged);
      GUICore::SetEvent(i, e);
    }
    GUICore::CommitEventUndoStep();
    const auto events = GUICore::State().events;
    const auto rows = EventListModule::Current();
    const EventUndoStep step = GUICore::State().eventUndo[0];

    // What the undo does, exchange by exchange, last record first.
    EventUndoStep s = step;
    EventListModule::ClearRowSelection();
    for (int32_t j = s.count(); j >= 0; --j) {
      const int32_t i = s.indices[static_cast<size_t>(j)];
      EventRecord current = GUICore::GetEvent(i);
      GUICore::SetEvent(i, s.events[static_cast<size_t>(j)]);
      EventListModule::SetRow(s.events[static_cast<size_t>(j)], i - 1, true);
      s.events[static_cast<size_t>(j)] = current;
    }
    EventListModule::RenumberFrames();
    const Outcome expected = Capture(s.events);

    GUICore::State().events = events;
    EventListModule::Current() = rows;
    GUICore::EventUndo();
    ASSERT_TRUE(Capture(GUICore::State().eventUndo[0].events) == expected) << "round " << round;
    GUICore::ClearEventUndo();
  }
}

}  // namespace
}  // namespace tesmiro
