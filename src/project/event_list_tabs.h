#pragma once
// The strip over the event list: sprite tabs with their geometry and
// captions, the column heads, the tab strip's mouse, and the label search
// of the list's keys.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tesmiro::EventListModule {

// Strip geometry: tabs occupy y 0..23 (boxes from 2 to 21); the heads start
// below them, or at 0 without tabs.
inline constexpr int32_t kTabStripHeight = 24;
inline constexpr int32_t kTabTop = 2;
inline constexpr int32_t kTabBottom = 21;
inline constexpr int32_t kMaxTabWidth = 160;
// Head captions at origin-relative x; the event column's head stays readable
// when scrolled (never left of kOriginX).
inline constexpr int32_t kHeadDetailX = 242;

// One tab as the painter draws it; number is its 1-based position.
struct TabFace {
  int32_t left = 0;
  int32_t right = 0;
  bool active = false;
  std::string caption;
  int32_t number = 0;
};

struct TabStripLayout {
  int32_t headTop = 0;
  std::vector<TabFace> tabs;  // empty while the strip is hidden
};

// Lays the strip out for a head box scaleWidth pixels wide: removes the tabs
// whose sprite is gone, then stores each tab's edges and active flag in the
// model's tab records (as the painter of the strip does).
TabStripLayout LayoutTabs(int32_t scaleWidth, bool tabsShown);

// 1-based position of the tab under (x, y); 0 when none or the strip is
// hidden. Both edges belong to the tab.
int32_t HitTestTab(int32_t x, int32_t y, bool tabsShown);

// The text, or its longest head followed by "..." whose width fits; "" when
// none fits. measure gives a text's width in pixels.
std::string FitText(const std::string& text, int32_t width, const std::function<int32_t(const std::string&)>& measure);

// Each channel the integer mean of the two colours' (0x00BBGGRR).
uint32_t MeanColor(uint32_t a, uint32_t b);

// The next row in the step's direction (+1, -1, or a page) whose kind text is
// the label's; the first row or end row reached when none. A row whose first
// step leaves the list comes back unchanged.
int32_t FindNextLabelRow(int32_t row, int32_t step);

// The tab strip's mouse: a press switches to the tab's timeline, a drag
// onto another tab moves it there, a right release offers the tab's popup
// or the timeline menu. The strip keeps the held tab between the calls.
enum class TabPopup { None, TabMenu, SpriteMenu };
struct TabStripMouse {
  int32_t pressedTab = 0;  // 1-based; 0 none (the main tab is never held)
  int32_t pressX = 0;
};
void TabMouseDown(TabStripMouse& mouse, int32_t x, int32_t y, bool tabsShown);
// True while a held tab has moved far enough to show the drag pointer.
bool TabMouseMove(const TabStripMouse& mouse, int32_t x);
// Moves a held tab dropped on another sprite tab; which popup to open for a
// right release. The caller opens it (closing the held tab on request) and
// then calls TabMouseFinish.
TabPopup TabMouseUp(TabStripMouse& mouse, bool rightButton, int32_t x, int32_t y, bool tabsShown);
void TabMouseFinish(TabStripMouse& mouse);
// Closes the held tab (the tab popup's command); the shown timeline stays.
void CloseHeldTab(const TabStripMouse& mouse);
// Double-click on the heads while the strip is hidden: the main timeline.
void TabDoubleClick(bool tabsShown);
// Moves tab element from (1-based position) to position to; the main tab
// neither moves nor is displaced.
void MoveSpriteTab(int32_t from, int32_t to);

}  // namespace tesmiro::EventListModule
