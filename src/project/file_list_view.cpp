#include "project/file_list_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/paths.h"

namespace tesmiro::FileListModule {
namespace {

View gUnshownView;
View* gCurrentView = &gUnshownView;

int32_t FloorDiv(int32_t a, int32_t b) { return static_cast<int32_t>(std::floor(static_cast<double>(a) / b)); }

// Rows that fit above the horizontal bar (when it shows); at least one, so
// that scrolling a list too low for a whole row still ends.
void RecomputeVisibleRows() {
  View& view = CurrentView();
  int32_t h = view.height - (view.bars.hVisible ? view.hBarHeight : 0);
  Current().visibleRows = std::max(1, FloorDiv(h, kRowHeight));
}

std::string AsciiLower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The plain files of a folder by their names in lower case; of names that
// differ only in case, the first in name order.
std::map<std::string, std::string> FilesByLowerName(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::vector<std::filesystem::path> entries;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError)) entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  for (const auto& e : entries) files.emplace(AsciiLower(e.filename().string()), e.string());
  return files;
}

uint32_t NextCodePoint(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
  uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
  ++i;
  for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  return cp;
}

}  // namespace

int32_t DefaultTextWidth(std::string_view text) {
  int32_t width = 0;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = NextCodePoint(text, i);
    bool narrow = cp < 0x0800 || (cp >= 0xFF61 && cp <= 0xFF9F);
    width += narrow ? 6 : 12;
  }
  return width;
}

View& CurrentView() { return *gCurrentView; }

void ResetView() {
  // The window's font stays installed: it outlives a reset of the model.
  TextMeasure measure = std::move(gCurrentView->measure);
  *gCurrentView = View{};
  gCurrentView->measure = std::move(measure);
}

ScopedView::ScopedView(View& view) : ScopedInstall(gCurrentView, view) {}

void SetViewSize(int32_t width, int32_t height, int32_t hBarHeight) {
  View& view = CurrentView();
  view.width = std::max(0, width);
  view.height = std::max(0, height);
  view.hBarHeight = std::max(0, hBarHeight);
  UpdateFileScrollBars();
  DrawFileList();
}

void SetFocused(bool focused) {
  View& view = CurrentView();
  if (view.focused == focused) return;
  view.focused = focused;
  DrawFileList();
}

void UpdateFileScrollBars() {
  View& view = CurrentView();
  ScrollBars& bars = view.bars;
  const int32_t visible = view.height - view.hBarHeight;
  // One row more than the last full page, so the last row can scroll fully
  // into view.
  int32_t max = FloorDiv(RowCount() * kRowHeight - visible, kRowHeight) + 2;
  bars.vMax = std::max(1, max);
  bars.vLargeChange = std::max(1, FloorDiv(visible, kRowHeight) + 1);
  bars.vEnabled = bars.vMax >= 2;
  auto& s = Current();
  s.scrollTop = std::clamp(s.scrollTop, 1, bars.vMax);
  RecomputeVisibleRows();
}

void AfterRowsRebuilt() {
  View& view = CurrentView();
  UpdateFileScrollBars();
  // The next paint may shrink the horizontal range down to the offset.
  view.bars.hMax = Current().hScroll;
}

void SetScrollTop(int32_t value) {
  View& view = CurrentView();
  value = std::clamp(value, 1, view.bars.vMax);
  if (value == Current().scrollTop) return;
  Current().scrollTop = value;
  DrawFileList();
}

void SetHScroll(int32_t value) {
  View& view = CurrentView();
  value = std::clamp(value, 0, std::max(0, view.bars.hMax));
  if (value == Current().hScroll) return;
  Current().hScroll = value;
  DrawFileList();
}

void ScrollFileListBy(int32_t n) {
  View& view = CurrentView();
  int64_t v = static_cast<int64_t>(Current().scrollTop) + n;
  SetScrollTop(static_cast<int32_t>(std::clamp<int64_t>(v, 1, view.bars.vMax)));
}

int32_t HitTestRow(int32_t y, int32_t& mode) {
  const auto& s = Current();
  const int32_t count = RowCount();
  const int32_t top = s.scrollTop;
  int32_t row = FloorDiv(y, kRowHeight) + top;
  if (mode == 0) return std::max(1, std::min(row, count + 1));

  int32_t folderRow = 0;
  if (row >= 1 && row <= count && s.rows.at(row).kind == static_cast<int32_t>(StoreItemKind::Folder)) {
    mode = 0;
    folderRow = row;
  }
  int32_t r = y % kRowHeight;
  if (r >= 3 && r <= 13 && mode != 1) return folderRow;
  mode = 1;
  int32_t boundary = static_cast<int32_t>(std::floor(static_cast<double>(y) / kRowHeight + 0.5)) + top;
  return std::max(1, std::min(boundary, count + 1));
}

std::string IdText(int32_t id) {
  std::string s = "0000" + std::to_string(id);
  return s.substr(s.size() - 4);
}

std::string KindText(int32_t kind) {
  switch (static_cast<StoreItemKind>(kind)) {
    case StoreItemKind::RasterImage:
    case StoreItemKind::VectorImage:
      return "画像";
    case StoreItemKind::Sound: return "ｻｳﾝﾄﾞ";
    case StoreItemKind::Text: return "ﾃｷｽﾄ";
    case StoreItemKind::Sprite: return "ｽﾌﾟﾗｲﾄ";
    case StoreItemKind::Video: return "ﾋﾞﾃﾞｵ";
    default: return "";
  }
}

int32_t IconCell(int32_t kind, int32_t open) {
  if (kind >= 1 && kind <= 6) return kind - 1;
  if (kind == static_cast<int32_t>(StoreItemKind::Folder)) return open == 1 ? kOpenFolderCell : kClosedFolderCell;
  return -1;
}

void PlanFileList(int32_t markRow, int32_t markMode) {
  View& view = CurrentView();
  auto& s = Current();
  ScrollBars& bars = view.bars;
  FileListPaint& paint = view.paint;
  view.markRow = markRow;
  view.markMode = markMode;
  paint = FileListPaint{};

  const int32_t count = RowCount();
  const int32_t top = s.scrollTop;
  if (top > count || count == 0) {
    paint.content = count == 0 ? FileListPaint::Content::EmptyHint : FileListPaint::Content::Blank;
    bars.hVisible = false;
    RecomputeVisibleRows();
    return;
  }
  paint.content = FileListPaint::Content::Rows;
  const TextMeasure& measure = view.measure;
  const int32_t hScroll = s.hScroll;
  const int32_t x0 = kLeftMargin - hScroll;
  int32_t h = view.height;
  int32_t y = 0;
  int32_t maxRight = 0;
  for (int32_t row = top; row <= count; ++row) {
    const FileListRow& r = s.rows.at(row);
    RowPaint p;
    p.row = row;
    p.y = y;
    p.highlighted = r.selected != 0 || (row == markRow && markMode == 0);
    p.fore = p.highlighted ? kSysHighlightText : kSysWindowText;
    p.back = p.highlighted ? kSysHighlight : kSysWindow;
    p.x0 = x0;
    if (r.kind >= 1) {
      p.idText = IdText(r.id);
      p.kindText = KindText(r.kind);
    }
    p.treeX = x0 + kTreeX + r.level * kIndent;
    if (r.kind == static_cast<int32_t>(StoreItemKind::Folder)) p.expander = r.open == 1 ? 1 : -1;
    p.iconCell = IconCell(r.kind, r.open);
    p.caption = r.caption;
    int32_t captionWidth = measure ? measure(r.caption) : DefaultTextWidth(r.caption);
    maxRight = std::max(maxRight, p.treeX + kCaptionOffset + captionWidth + hScroll);
    p.focusFrame = row == s.cursorRow && view.focused;
    paint.rows.push_back(std::move(p));
    y += kRowHeight;
    if (y >= h) break;
  }

  if (markMode == 1) {
    int32_t xm = kTreeX - hScroll;
    if (markRow >= 1 && markRow <= count) xm += kIndent * s.rows.at(markRow).level;
    paint.marker = true;
    paint.markerX = xm + kIconOffset;
    paint.markerY = (markRow - top) * kRowHeight;
  }

  const int32_t width = view.width;
  if (width >= maxRight) {
    // A list scrolled to the side keeps its bar, so the user can scroll back.
    bars.hVisible = hScroll != 0;
  } else {
    bars.hVisible = true;
    bars.hMax = std::max(bars.hMax, maxRight - width);
    bars.hLargeChange = std::max(1, width / 2);
  }
  if (bars.hVisible) h -= view.hBarHeight;
  if (y < h || bars.hVisible) {
    paint.fillTop = y;
    paint.fillBottom = std::max(y, h);
  }
  RecomputeVisibleRows();
}

HeaderPaint PlanFileListHeader(int32_t hScroll) {
  const int32_t x0 = kLeftMargin - hScroll;
  HeaderPaint h;
  h.texts.push_back({x0, 1, " ID"});
  h.texts.push_back({x0 + kKindTextX, 1, "種別"});
  // The file-name title never scrolls out to the left.
  h.texts.push_back({std::max(kLeftMargin, x0 + kTreeX), 1, "ファイル名"});
  h.rules = {x0 + kFirstRuleX, x0 + kSecondRuleX};
  return h;
}

SortZone HeaderSortZone(double x, int32_t hScroll, int32_t width, int32_t height) {
  const double hx = x + hScroll;
  SortZone z;
  z.top = 0;
  z.bottom = height - 1;
  if (hx < 32) {
    z.left = -hScroll;
    z.right = 31 - hScroll;
    z.upCaption = "ID昇順で並び替え(&U)";
    z.upKey = 1;
    z.downCaption = "ID降順で並び替え(&D)";
    z.downKey = 2;
  } else if (hx < 76) {
    z.left = 32 - hScroll;
    z.right = 75 - hScroll;
    z.upCaption = "種別昇順で並び替え(&U)";
    z.upKey = 3;
    z.downCaption = "種別降順で並び替え(&D)";
    z.downKey = 4;
  } else {
    z.left = 76 - hScroll;
    z.right = width - 1;
    z.upCaption = "フォルダを上に集める(&U)";
    z.upKey = 5;
    z.downCaption = "フォルダを下に集める(&D)";
    z.downKey = 6;
  }
  return z;
}

bool HeaderSortAvailable() { return GUICore::State().store.count() > 1; }

void RepairMissingPaths() {
  auto& m = GUICore::State();
  if (m.projectPath.empty()) return;
  const std::string folder = GUICore::GetFolderPart(m.projectPath);
  // The project folder is listed once per rebuild, and only when a material
  // is missing: a project of many missing files stays quick to redraw.
  std::optional<std::map<std::string, std::string>> beside;
  for (auto& item : m.store) {
    if (!IsFileKind(item.kind) || item.name.empty() || GUICore::FileExists(item.name)) continue;
    const std::string name = GUICore::GetFileNamePart(item.name);
    if (name.empty() || name == "." || name == "..") continue;
    if (!beside) beside = FilesByLowerName(folder);
    const std::string exact = (std::filesystem::path(folder) / name).string();
    if (GUICore::FileExists(exact)) {
      item.name = exact;
    } else if (auto it = beside->find(AsciiLower(name)); it != beside->end()) {
      item.name = it->second;
    }
  }
}

}  // namespace tesmiro::FileListModule
