#include "project/timelines.h"

#include <unordered_set>

#include "platform/gcc_quirks.h"
#include "platform/numeric.h"
#include "project/current_event.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/window_services.h"

namespace tesmiro::GUICore {
namespace {

constexpr uint32_t kSpriteHeaderColor = 0xC0E0FF;
constexpr uint32_t kMainHeaderColor = 0xE0E0E0;

bool ValidTimeline(int32_t index) {
  return index >= 0 && index < static_cast<int32_t>(State().timelines.size());
}

int32_t ResolveTarget(int32_t target, bool byId) {
  if (byId) target = GetStoreItemByID(target).param;
  return ValidTimeline(target) ? target : 0;
}

// The tab strip marks exactly the tab of the shown timeline as active.
void MarkActiveTab() {
  Model& m = State();
  int32_t owner = m.timelines[static_cast<size_t>(m.shownTimeline)].owner;
  bool found = false;
  for (auto& tab : m.tabs) {
    tab.active = (!found && tab.spriteId == owner) ? -1 : 0;
    if (tab.active) found = true;
  }
  ui::Windows().drawTabsAndHeader();
}

// The working list goes back into the shown timeline, by moving it.
void WriteBackWorkingList() {
  Model& m = State();
  if (ValidTimeline(m.shownTimeline)) m.timelines[static_cast<size_t>(m.shownTimeline)].events = std::move(m.events);
  m.events.clear();
}

// The target's events become the working list; the timeline keeps none.
void TakeIntoWorkingList(int32_t target) {
  Model& m = State();
  auto& events = m.timelines[static_cast<size_t>(target)].events;
  m.events = std::move(events);
  events.clear();
}

// Loads the target's events into the working list as inserting them one by
// one would: label names made unique against the labels before them.
bool LoadWorkingList(int32_t target) {
  Model& m = State();
  TakeIntoWorkingList(target);
  std::unordered_set<std::string> labels;
  bool renamed = false;
  for (auto& e : m.events) {
    if (!e.isLabel()) continue;
    std::string unique = MakeUniqueName(e.text1, [&](const std::string& s) { return labels.count(s) != 0; });
    if (unique != e.text1) {
      e.text1 = unique;
      renamed = true;
    }
    labels.insert(e.text1);
  }
  return renamed;
}

}  // namespace

int32_t NewTimeline(int32_t owner) {
  Model& m = State();
  m.timelines.push_back(Timeline{{}, owner, NewTimelineKey()});
  return static_cast<int32_t>(m.timelines.size()) - 1;
}

int32_t CloneTimeline(int32_t owner, int32_t source) {
  if (!ValidTimeline(source)) return 0;
  // Copy first: NewTimeline may move the list.
  OneBased<EventRecord> events = source == State().shownTimeline ? State().events
                                                                  : State().timelines[static_cast<size_t>(source)].events;
  int32_t t = NewTimeline(owner);
  State().timelines[static_cast<size_t>(t)].events = std::move(events);
  return t;
}

void DeleteTimeline(int32_t index) {
  Model& m = State();
  if (index < 1 || !ValidTimeline(index)) return;  // the main timeline stays
  int32_t owner = m.timelines[static_cast<size_t>(index)].owner;
  if (owner > 0) {
    for (size_t t = 1; t < m.tabs.size(); ++t) {
      if (m.tabs[t].spriteId == owner) {
        m.tabs.erase(m.tabs.begin() + static_cast<std::ptrdiff_t>(t));
        ui::Windows().drawTabsAndHeader();
        break;
      }
    }
  }
  if (m.shownTimeline != 0) ShowTimeline(0, false);
  m.timelines.erase(m.timelines.begin() + index);
}

void SelectTimelineData(int32_t target, bool byId) {
  Model& m = State();
  target = ResolveTarget(target, byId);
  if (target == m.shownTimeline) {
    m.timelines[static_cast<size_t>(target)].events = m.events;
    return;
  }
  WriteBackWorkingList();
  m.shownTimeline = target;
  TakeIntoWorkingList(target);
}

void ReleaseShownTimelineCopy() {
  Model& m = State();
  if (!ValidTimeline(m.shownTimeline)) return;
  auto& copy = m.timelines[static_cast<size_t>(m.shownTimeline)].events;
  if (!copy.empty()) copy = OneBased<EventRecord>{};
}

void ShowTimeline(int32_t target, bool byId) {
  Model& m = State();
  auto& windows = ui::Windows();
  auto& rows = EventListModule::Current();
  windows.hideScriptEditor();
  for (auto& tab : m.tabs) {
    if (tab.active != 0) {
      tab.savedRow = rows.currentRow;
      tab.savedScroll = rows.scrollTop;
    }
  }
  target = ResolveTarget(target, byId);
  WriteBackWorkingList();
  m.shownTimeline = target;

  EventListModule::ResetEventRows();
  LoadWorkingList(target);
  if (!m.events.empty()) {
    rows.currentRow = m.events.count() - 1;  // where inserting them one by one leaves it
    SetModified(true);
  }
  UpdateTimelineHeader();

  int32_t owner = m.timelines[static_cast<size_t>(target)].owner;
  const SpriteTab* found = nullptr;
  for (const auto& tab : m.tabs) {
    if (tab.spriteId == owner) {
      found = &tab;
      break;
    }
  }
  int32_t savedScroll = 0;
  if (found) {
    rows.currentRow = found->savedRow;
    savedScroll = found->savedScroll;
  } else if (static_cast<int>(m.tabs.size()) < 1 + kMaxSpriteTabs) {
    SpriteTab tab;
    tab.spriteId = owner;
    m.tabs.push_back(tab);
  }
  MarkActiveTab();
  EventListModule::LoadRows();
  if (found) {
    rows.scrollTop = savedScroll;
    EventListModule::UpdateEventScrollBars();
    // The rows were painted before the tab's scroll position came back.
    EventListModule::DrawEventList();
  }
  EventListModule::NoteCurrentEventMoved();
}

std::string TimelineHeaderText() {
  const Model& m = State();
  if (m.shownTimeline != 0 && ValidTimeline(m.shownTimeline)) {
    int32_t owner = m.timelines[static_cast<size_t>(m.shownTimeline)].owner;
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    return "[" + GetStoreItemByID(owner).name + "] (ID:" + std::to_string(owner) + ")";
    TESMIRO_GCC12_COPY_WARNINGS_ON
  }
  return "(メイン)  " + std::to_string(m.settings.width) + "×" + std::to_string(m.settings.height) + "  " +
         num::CStr(m.settings.frameRate) + "fps  SWF" + std::to_string(GetSWFVersion());
}

uint32_t TimelineHeaderColor() { return State().shownTimeline != 0 ? kSpriteHeaderColor : kMainHeaderColor; }

void UpdateTimelineHeader() {
  ui::Windows().setTimelineHeader();
  MarkActiveTab();
}

Timeline GetTimeline(int32_t index) {
  const Model& m = State();
  if (!ValidTimeline(index)) return Timeline{};
  const Timeline& stored = m.timelines[static_cast<size_t>(index)];
  // The working list is the live copy of the shown timeline.
  if (index == m.shownTimeline) return Timeline{m.events, stored.owner, stored.key};
  return stored;
}

int32_t TimelineCount() { return static_cast<int32_t>(State().timelines.size()); }

int32_t FindTimelineOfSprite(int32_t spriteId) {
  const auto& timelines = State().timelines;
  for (int32_t i = static_cast<int32_t>(timelines.size()) - 1; i >= 1; --i) {
    if (timelines[static_cast<size_t>(i)].owner == spriteId) return i;
  }
  return 0;
}

int32_t FindTimelineByKey(uint64_t key) {
  const auto& timelines = State().timelines;
  for (size_t i = 0; i < timelines.size(); ++i) {
    if (timelines[i].key == key) return static_cast<int32_t>(i);
  }
  return -1;
}

bool BuildSpriteMenu(std::vector<SpriteMenuEntry>& entries, int32_t& position) {
  const Model& m = State();
  entries.clear();
  if (m.timelines.size() <= 1) return false;
  for (const auto& item : m.store) {
    if (item.kind != StoreItemKind::Sprite) continue;
    std::string index = (std::to_string(item.param) + "     ").substr(0, 5);
    entries.push_back({"&" + index + item.name + " (ID:" + std::to_string(item.id) + ")", item.param, item.id});
    if (item.param == m.shownTimeline) position = static_cast<int32_t>(entries.size());
  }
  return true;
}

void CloseSpriteTab(int32_t tabIndex) {
  Model& m = State();
  if (tabIndex < 1 || tabIndex >= static_cast<int32_t>(m.tabs.size())) return;
  m.tabs.erase(m.tabs.begin() + tabIndex);
  MarkActiveTab();
}

}  // namespace tesmiro::GUICore
