// Thousands of random edits of the store and the event lists, recorded as the
// main window records them; undoing them all (in reverse order across both
// histories) must give back the first model byte for byte, and redoing them
// all the last one. Every state in between is checked on the way by a digest.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string_view>

#include "project/events.h"
#include "project/model_fixture.h"
#include "project/record_bytes.h"
#include "project/sorting.h"
#include "project/store_undo.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

class RandomEditsTest : public testing::ModelTest {
 protected:
  // The model's content: store items (marks are selection scratch and left
  // out), then every timeline's owner and events, the working list included.
  static std::vector<uint8_t> ModelBytes() {
    std::vector<uint8_t> out;
    auto append = [&](const std::vector<uint8_t>& b) { out.insert(out.end(), b.begin(), b.end()); };
    for (StoreItem item : GUICore::State().store) {
      item.mark = 0;
      append(RecordBytes(item));
    }
    for (int32_t t = 0; t < GUICore::TimelineCount(); ++t) {
      Timeline timeline = GUICore::GetTimeline(t);
      ByteWriter w;
      w.i32(timeline.owner);
      w.i32(timeline.events.count());
      append(w.data());
      for (const auto& e : timeline.events) append(RecordBytes(e));
    }
    return out;
  }

  static size_t Digest() {
    std::vector<uint8_t> b = ModelBytes();
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  }

  int32_t Pick(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); }

  int32_t RandomItemId() {
    int32_t n = GUICore::StoreItemCount();
    return n == 0 ? 0 : GUICore::GetStoreItem(Pick(1, n)).id;
  }

  EventRecord RandomEvent() {
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    if (Pick(0, 3) == 0) {
      e.itemId = 0;
      e.kind = static_cast<int16_t>(Pick(0, 1) ? ActionKind::Label : ActionKind::Stop);
      e.text1 = "L" + std::to_string(Pick(0, 3));
    } else {
      e.itemId = std::max(1, RandomItemId());
      e.buttonFlag = static_cast<int16_t>(Pick(0, 1));
      e.hitItemId = RandomItemId();
    }
    e.frameCount = Pick(0, 9);
    e.startX = Pick(-50, 50);
    e.depth = Pick(-3, 3);
    if (Pick(0, 2) == 0) e.anchors.push_back({Pick(0, 99), Pick(0, 99)});
    return e;
  }

  void SelectRandomRows() {
    GUICore::RefreshFileList();
    for (auto& row : FileListModule::Current().rows) row.selected = Pick(0, 3) == 0 ? -1 : 0;
  }

  // One store change between a snapshot and its push; true when recorded.
  bool StoreEdit() {
    GUICore::RefreshFileList();
    int32_t rows = FileListModule::RowCount();
    int32_t row = Pick(1, rows + 1), mode = Pick(0, 1);
    int32_t before = GUICore::State().storeUndoPos;
    const int op = Pick(0, 7);
    lastOp = "store " + std::to_string(op);
    switch (op) {
      case 0:
      case 1: {
        if (GUICore::StoreItemCount() > 60) return false;
        static const char* kKeys[] = {"jpg", "wav", "txt", "folder", "sprite", "clone"};
        std::string key = kKeys[Pick(0, 5)];
        std::string name = key == "jpg" || key == "wav" ? "/m" + std::to_string(Pick(0, 1000)) + "." + key : "";
        GUICore::SaveStoreUndoState();
        int32_t id = GUICore::AddStoreItem(name, key, row, mode);
        if (id == 0 || (key != "folder" && GUICore::FindStoreIndexByID(id) == 0)) return false;
        if (key == "sprite") {
          GUICore::RecordStoreUndoChange(GUICore::kStoreUndoTimelineCopied, GUICore::GetStoreItemByID(id).param, 0);
        }
        GUICore::PushStoreUndoState();
        return true;
      }
      case 2: {
        int32_t id = RandomItemId();
        if (id == 0) return false;
        GUICore::SaveStoreUndoState();
        GUICore::DeleteStoreItem(id);
        GUICore::PushStoreUndoState();
        return true;
      }
      case 3: {
        int32_t id = RandomItemId();
        if (id <= 0) return false;
        GUICore::SaveStoreUndoState();
        int32_t now = GUICore::ChangeStoreItemID(id, Pick(1, 80));
        if (now == id) return false;
        GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, id, now);
        GUICore::PushStoreUndoState();
        return true;
      }
      case 4: {
        SelectRandomRows();
        GUICore::SaveStoreUndoState();
        if (!GUICore::MoveMarkedItems(row, mode)) return false;
        GUICore::PushStoreUndoState();
        return true;
      }
      case 5: {
        if (GUICore::StoreItemCount() > 60) return false;
        SelectRandomRows();
        GUICore::SaveStoreUndoState();
        if (!GUICore::CopyMarkedItems(row, mode)) return false;
        GUICore::PushStoreUndoState();
        return true;
      }
      case 6:
        GUICore::SortStoreItems(1, GUICore::StoreItemCount(), Pick(1, 6));
        return GUICore::State().storeUndoPos != before;
      default:
        SelectRandomRows();
        GUICore::ShiftSelectedStoreItems(Pick(0, 1) ? 1 : -1);
        return GUICore::State().storeUndoPos != before;
    }
  }

  // One event change as the event commands record it; true when recorded.
  bool EventEdit() {
    int32_t n = GUICore::EventCount();
    const int op = Pick(0, 5);
    lastOp = "event " + std::to_string(op);
    switch (op) {
      case 0:
      case 1: {
        if (n > 30) return false;
        EventRecord e = RandomEvent();
        int32_t p = Pick(0, n);
        GUICore::BeginEventUndoStep();
        GUICore::AddEventUndoRecord(p + 1, e, EventUndoStep::kInserted);
        GUICore::InsertEvent(e, p);
        GUICore::CommitEventUndoStep();
        return true;
      }
      case 2: {
        if (n == 0) return false;
        GUICore::BeginEventUndoStep();
        for (int32_t i = 1; i <= n; ++i) {
          if (Pick(0, 2) != 0) continue;
          EventRecord e = RandomEvent();
          GUICore::AddEventUndoRecord(i, GUICore::GetEvent(i), EventUndoStep::kChanged);
          GUICore::SetEvent(i, e);
        }
        GUICore::CommitEventUndoStep();
        return true;
      }
      case 3: {
        if (n == 0) return false;
        GUICore::BeginEventUndoStep();
        for (int32_t i = GUICore::EventCount(); i >= 1; --i) {
          if (Pick(0, 2) != 0) continue;
          GUICore::AddEventUndoRecord(i, GUICore::GetEvent(i), EventUndoStep::kDeleted);
          GUICore::DeleteEvent(i - 1);
        }
        GUICore::CommitEventUndoStep();
        return true;
      }
      case 4: {
        if (n > 30) return false;
        GUICore::ClearEventClipboard();
        for (int32_t i = 1; i <= n; ++i) {
          if (Pick(0, 3) == 0) GUICore::CopyEventToClipboard(i - 1);
        }
        return GUICore::PasteEventClipboard(Pick(0, n)) != 0;
      }
      default:
        GUICore::ShowTimeline(Pick(0, GUICore::TimelineCount() - 1), false);
        return false;
    }
  }

  std::mt19937 rng{20261208};
  std::string lastOp;
};

TEST_F(RandomEditsTest, UndoAllGivesTheStartAndRedoAllTheEnd) {
  GUICore::State().filelistHistoryMax = 0;  // no limit: every step stays
  AddItem("jpg", "/seed.jpg");
  int32_t sprite = AddItem("sprite");
  GUICore::ShowTimeline(sprite, true);
  EventRecord e;
  e.itemId = 1;
  GUICore::InsertEvent(e, 0);
  GUICore::ShowTimeline(0, false);
  GUICore::ClearEventUndo();
  GUICore::ClearStoreUndo();
  const std::vector<uint8_t> start = ModelBytes();

  // Every tenth state on the way is checked too, through a digest (0: not
  // taken); digests[k] is the state before step k.
  std::vector<char> log;  // 'S' store step, 'E' event step, in order
  std::vector<std::string> ops;
  std::vector<size_t> digests{Digest()};
  auto sampled = [](size_t k) { return k % 10 == 0; };
  for (int k = 0; k < 2400; ++k) {
    bool store = Pick(0, 1) == 0;
    if (store ? StoreEdit() : EventEdit()) {
      log.push_back(store ? 'S' : 'E');
      ops.push_back(lastOp);
      digests.push_back(sampled(log.size()) ? Digest() : 0);
    } else if (sampled(log.size()) && k % 2 == 0) {
      // Unrecorded actions (showing a timeline, refused edits) change nothing.
      ASSERT_EQ(Digest(), digests.back()) << lastOp << " at " << k;
    }
  }
  ASSERT_GT(log.size(), 1000u);
  const std::vector<uint8_t> end = ModelBytes();

  for (size_t k = log.size(); k-- > 0;) {
    if (log[k] == 'S') {
      ASSERT_TRUE(GUICore::CanStoreUndo());
      GUICore::StoreUndo();
    } else {
      ASSERT_TRUE(GUICore::CanEventUndo());
      GUICore::EventUndo();
    }
    if (sampled(k)) {
      ASSERT_EQ(Digest(), digests[k]) << "undo of step " << k << " (" << ops[k] << ")";
    }
  }
  EXPECT_FALSE(GUICore::CanStoreUndo());
  EXPECT_FALSE(GUICore::CanEventUndo());
  EXPECT_TRUE(ModelBytes() == start);

  for (size_t k = 0; k < log.size(); ++k) {
    log[k] == 'S' ? GUICore::StoreRedo() : GUICore::EventRedo();
    if (sampled(k + 1)) {
      ASSERT_EQ(Digest(), digests[k + 1]) << "redo of step " << k << " (" << ops[k] << ")";
    }
  }
  EXPECT_FALSE(GUICore::CanStoreRedo());
  EXPECT_FALSE(GUICore::CanEventRedo());
  EXPECT_TRUE(ModelBytes() == end);
}

}  // namespace
}  // namespace tesmiro
