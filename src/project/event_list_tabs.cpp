#include "project/event_list_tabs.h"

#include <algorithm>
#include <cstdlib>

#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/timelines.h"
#include "project/window_services.h"

namespace tesmiro::EventListModule {
namespace {

bool IsSpriteItem(int32_t id) {
  const int32_t p = GUICore::FindStoreIndexByID(id);
  return p != 0 && GUICore::State().store.at(p).kind == StoreItemKind::Sprite;
}

// Removes the sprite tabs whose sprite is no longer in the store.
void RemoveStaleTabs() {
  auto& tabs = GUICore::State().tabs;
  if (tabs.size() <= 1) return;
  tabs.erase(std::remove_if(tabs.begin() + 1, tabs.end(), [](const SpriteTab& t) { return !IsSpriteItem(t.spriteId); }),
             tabs.end());
}

}  // namespace

TabStripLayout LayoutTabs(int32_t scaleWidth, bool tabsShown) {
  TabStripLayout layout;
  if (!tabsShown) return layout;
  layout.headTop = kTabStripHeight;
  GUICore::Model& m = GUICore::State();
  RemoveStaleTabs();
  if (m.tabs.empty()) return layout;
  const int32_t n = static_cast<int32_t>(m.tabs.size());
  const int32_t w = std::min(kMaxTabWidth, (scaleWidth - 2) / n - ((scaleWidth - 2) % n < 0 ? 1 : 0));
  for (int32_t i = 0; i < n; ++i) {
    SpriteTab& tab = m.tabs[static_cast<size_t>(i)];
    tab.left = w * i + 1;
    tab.right = w * (i + 1);
    TabFace face;
    face.left = tab.left;
    face.right = tab.right;
    face.number = i + 1;
    if (tab.spriteId == 0) {
      face.caption = "メイン";
      face.active = m.shownTimeline == 0;
    } else {
      face.caption = GUICore::GetStoreItemByID(tab.spriteId).name;
      // A sprite without a timeline would otherwise claim the main timeline.
      const int32_t t = GUICore::FindTimelineOfSprite(tab.spriteId);
      face.active = t != 0 && t == m.shownTimeline;
    }
    tab.active = face.active ? -1 : 0;
    layout.tabs.push_back(std::move(face));
  }
  return layout;
}

int32_t HitTestTab(int32_t x, int32_t y, bool tabsShown) {
  if (!tabsShown || y >= kTabStripHeight) return 0;
  const auto& tabs = GUICore::State().tabs;
  for (size_t i = 0; i < tabs.size(); ++i) {
    if (tabs[i].left <= x && x <= tabs[i].right) return static_cast<int32_t>(i) + 1;
  }
  return 0;
}

std::string FitText(const std::string& text, int32_t width, const std::function<int32_t(const std::string&)>& measure) {
  if (measure(text) <= width) return text;
  // Character boundaries of the UTF-8 text, longest head first.
  std::vector<size_t> ends;
  for (size_t i = 1; i <= text.size(); ++i) {
    if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ends.push_back(i);
  }
  for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
    std::string head = text.substr(0, *it) + "...";
    if (measure(head) <= width) return head;
  }
  return "";
}

uint32_t MeanColor(uint32_t a, uint32_t b) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t mean = (((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2;
    result |= mean << shift;
  }
  return result;
}

int32_t FindNextLabelRow(int32_t row, int32_t step) {
  const int64_t first = static_cast<int64_t>(row) + step;
  if (step == 0 || first < 0 || first >= RowCount()) return row;
  int32_t r = static_cast<int32_t>(first);
  while (true) {
    if (RowText(r).kind == kLabelKindText) return r;
    const int64_t next = static_cast<int64_t>(r) + step;
    if (next < 0 || next >= RowCount()) return r;
    r = static_cast<int32_t>(next);
  }
}

void TabMouseDown(TabStripMouse& mouse, int32_t x, int32_t y, bool tabsShown) {
  mouse.pressedTab = HitTestTab(x, y, tabsShown);
  if (mouse.pressedTab < 1) return;
  mouse.pressX = x;
  const int32_t spriteId = GUICore::State().tabs[static_cast<size_t>(mouse.pressedTab - 1)].spriteId;
  GUICore::ShowTimeline(spriteId == 0 ? 0 : GUICore::FindTimelineOfSprite(spriteId), false);
  // The main tab can be neither dragged nor closed.
  if (mouse.pressedTab == 1) mouse.pressedTab = 0;
}

bool TabMouseMove(const TabStripMouse& mouse, int32_t x) {
  return mouse.pressedTab >= 1 && std::abs(static_cast<int64_t>(x) - mouse.pressX) > 3;
}

TabPopup TabMouseUp(TabStripMouse& mouse, bool rightButton, int32_t x, int32_t y, bool tabsShown) {
  const int32_t p = mouse.pressedTab;
  if (p >= 1) {
    const int32_t q = HitTestTab(x, y, tabsShown);
    if (q >= 2) {
      MoveSpriteTab(p, q);
      mouse.pressedTab = q;
      ui::Windows().drawTabsAndHeader();
    }
  }
  if (!rightButton) return TabPopup::None;
  return mouse.pressedTab >= 2 ? TabPopup::TabMenu : TabPopup::SpriteMenu;
}

void TabMouseFinish(TabStripMouse& mouse) { mouse = TabStripMouse{}; }

void CloseHeldTab(const TabStripMouse& mouse) {
  if (mouse.pressedTab < 2) return;
  GUICore::CloseSpriteTab(mouse.pressedTab - 1);
}

void TabDoubleClick(bool tabsShown) {
  if (!tabsShown) GUICore::ShowTimeline(0, false);
}

void MoveSpriteTab(int32_t from, int32_t to) {
  auto& tabs = GUICore::State().tabs;
  const int32_t n = static_cast<int32_t>(tabs.size());
  if (from < 2 || to < 2 || from > n || to > n || from == to) return;
  SpriteTab tab = tabs[static_cast<size_t>(from - 1)];
  tabs.erase(tabs.begin() + (from - 1));
  tabs.insert(tabs.begin() + (to - 1), tab);
}

}  // namespace tesmiro::EventListModule
