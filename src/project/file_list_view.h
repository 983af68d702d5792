#pragma once
// The file list as the window shows it: row geometry, the ranges of its two
// scroll bars, hit tests, the header's sort zones and the paint plan of the
// visible rows with the drop marker. The window only carries the plan out,
// so every decision about what goes where is made (and tested) here.
//
// The rows, the cursor and the scroll values live in FileListModule::State
// (scrollTop is the vertical bar's value, the first visible row; hScroll the
// horizontal bar's value in pixels); this module adds what the window tells
// (its size, focus, the horizontal bar's height) and what painting decides.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scoped_install.h"

namespace tesmiro::FileListModule {

// Geometry of a row, in pixels from the row's top and from x0 = 2 - hScroll.
inline constexpr int32_t kRowHeight = 16;
inline constexpr int32_t kLeftMargin = 2;
inline constexpr int32_t kFirstRuleX = 30;   // after the ID column
inline constexpr int32_t kKindTextX = 34;
inline constexpr int32_t kSecondRuleX = 74;  // after the kind column
inline constexpr int32_t kTreeX = 78;        // expander box of a level-0 row
inline constexpr int32_t kIndent = 16;       // per folder level
inline constexpr int32_t kIconOffset = 12;   // icon left, from the expander box
inline constexpr int32_t kCaptionOffset = 32;
inline constexpr int32_t kTextTop = 2;
inline constexpr int32_t kIconSize = 16;

// Colours as the lists keep them: 0x00BBGGRR, or 0x80000000 + n for the
// desktop's colour n.
inline constexpr uint32_t kSysWindow = 0x80000005;
inline constexpr uint32_t kSysWindowText = 0x80000008;
inline constexpr uint32_t kSysHighlight = 0x8000000D;
inline constexpr uint32_t kSysHighlightText = 0x8000000E;
inline constexpr uint32_t kHintShadow = 0xC0C0C0;

inline constexpr const char* kEmptyHint = "素材ファイルをここにドロップ";

// Cells of the shared 128 x 16 icon strip.
inline constexpr int32_t kClosedFolderCell = 6;
inline constexpr int32_t kOpenFolderCell = 7;

// Width in pixels of a text in the list's font. The window installs the
// real one; without it every character counts 6 pixels, wide ones 12.
using TextMeasure = std::function<int32_t(std::string_view)>;
int32_t DefaultTextWidth(std::string_view text);

// One painted row.
struct RowPaint {
  int32_t row = 0;
  int32_t y = 0;  // top of the 16-pixel band
  bool highlighted = false;  // selected, or the folder a drag would drop into
  uint32_t fore = kSysWindowText;
  uint32_t back = kSysWindow;
  int32_t x0 = kLeftMargin;  // ID text; rules at x0 + 30 and x0 + 74
  std::string idText;        // four digits; empty for folders
  std::string kindText;      // empty for folders
  int32_t treeX = 0;         // expander box x .. x + 8 (folders), icon at + 12, caption at + 32
  int32_t expander = 0;      // 0 none, 1 open folder (minus), -1 closed folder (plus)
  int32_t iconCell = -1;     // -1 none
  std::string caption;
  bool focusFrame = false;   // dotted frame round the cursor row of the focused list
};

// What the window paints, decided by DrawFileList.
struct FileListPaint {
  enum class Content { Rows, Blank, EmptyHint };
  Content content = Content::EmptyHint;
  std::vector<RowPaint> rows;
  // Insertion line: a tick (x, y - 3)-(x, y + 3) and a two-pixel band
  // (x, y - 1)-(width, y), in the window text colour.
  bool marker = false;
  int32_t markerX = 0;
  int32_t markerY = 0;
  // Window background from fillTop to fillBottom (below the last row).
  int32_t fillTop = 0;
  int32_t fillBottom = 0;
};

// The scroll bars as painting and resizing leave them (values in State).
struct ScrollBars {
  int32_t vMax = 1;  // values 1 .. vMax
  int32_t vLargeChange = 1;
  bool vEnabled = false;
  int32_t hMax = 0;  // values 0 .. hMax
  int32_t hLargeChange = 1;
  bool hVisible = false;
};

struct View {
  int32_t width = 0;  // client size of the list, pixels
  int32_t height = 0;
  int32_t hBarHeight = 16;  // height of the horizontal bar, taken off whether shown or not
  bool focused = false;  // the list is the window's active control
  ScrollBars bars;
  int32_t markRow = -1;  // drop marker of the last paint: (row, mode), -1 -1 none
  int32_t markMode = -1;
  FileListPaint paint;
  TextMeasure measure;
};

// The view in use: the list window's own while it lives, else one that
// is never shown (no size, nothing focused).
View& CurrentView();
// Back to a fresh view; the installed font measure stays.
void ResetView();
// Installs the window's view for its lifetime; the previous one comes back
// after.
class ScopedView : private ScopedInstall<View> {
 public:
  explicit ScopedView(View& view);
};

// The window's size changed: scroll ranges follow, then a repaint.
void SetViewSize(int32_t width, int32_t height, int32_t hBarHeight);
void SetFocused(bool focused);

// Ranges of the vertical bar for the row count and the visible height; the
// value is kept inside them.
void UpdateFileScrollBars();
// After a rebuild: the horizontal range may shrink back to its value.
void AfterRowsRebuilt();

// Scroll values set by the bars, the keys, the wheel or auto-scroll; each
// repaints when the value changed. Values are clamped to their ranges.
void SetScrollTop(int32_t value);
void SetHScroll(int32_t value);
// The wheel: n rows down (negative: up), clamped to 1 .. vMax.
void ScrollFileListBy(int32_t n);

// Row under y (pixels from the list's top). Mode 0 on entry: the row,
// 1 .. row count + 1 (below the last row). Mode 1 on entry (drop target):
// a folder row hit 3 to 13 pixels below its top gives that row and mode 0
// (into the folder); anything else mode 1 and the nearest row boundary,
// 1 .. row count + 1 (insert before that row).
int32_t HitTestRow(int32_t y, int32_t& mode);

// Fills the paint plan for the rows and the drop marker (row, mode): mode 0
// highlights the folder row, mode 1 draws the insertion line above row
// (row count + 1: below the last row); -1 -1 no marker. Decides the
// horizontal bar from the captions' right ends.
void PlanFileList(int32_t markRow, int32_t markMode);

// The four-digit ID text and the kind column's text of a row's kind.
std::string IdText(int32_t id);
std::string KindText(int32_t kind);
int32_t IconCell(int32_t kind, int32_t open);

// The column header.
struct HeaderPaint {
  struct Text {
    int32_t x = 0;
    int32_t y = 1;
    std::string text;
  };
  std::vector<Text> texts;
  std::vector<int32_t> rules;  // vertical lines over the whole height
};
HeaderPaint PlanFileListHeader(int32_t hScroll);

// A click on the header: the column under x (window pixels) with the frame
// to draw round it and the two sort commands it offers.
struct SortZone {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // frame, inclusive
  std::string upCaption;
  int32_t upKey = 0;
  std::string downCaption;
  int32_t downKey = 0;
};
SortZone HeaderSortZone(double x, int32_t hScroll, int32_t width, int32_t height);
// The header offers sorting only when there is something to sort.
bool HeaderSortAvailable();

// A material file that is missing at its path but lies in the project's
// folder under its file name gets that path (the only change a rebuild of
// the rows makes to the store).
void RepairMissingPaths();

}  // namespace tesmiro::FileListModule
