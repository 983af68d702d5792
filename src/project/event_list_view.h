#pragma once
// Geometry and scrolling of the event list: where columns and rows lie, the
// ranges of its two scroll bars, and which rows a paint draws. The window
// reports its sizes here and mirrors the bars; every rule runs without it.
#include <cstdint>

namespace tesmiro::EventListModule {

// The list's client area and its bars as the layout placed them (pixels).
struct EventListGeometry {
  int32_t width = 0;
  int32_t height = 0;
  int32_t hBarHeight = 0;  // counted by the range rule even while the bar is hidden
  int32_t vBarWidth = 0;
  bool icons = false;  // the icon column is shown
};

// One scroll bar as the rules see it. The vertical bar's value is kept as
// the model's first visible row (value - 1), the horizontal one's as hScroll.
struct ScrollBarRange {
  int32_t max = 1;
  int32_t largeChange = 1;
  bool visible = false;
};

// Column positions relative to the origin x0 = 2 - horizontal scroll.
inline constexpr int32_t kColFrame = 0;
inline constexpr int32_t kColCount = 48;
inline constexpr int32_t kColIcon = 82;
inline constexpr int32_t kColKind = 100;
inline constexpr int32_t kColId = 164;
inline constexpr int32_t kColDepth = 208;
inline constexpr int32_t kColDetail = 240;
inline constexpr int32_t kColumnLines[] = {38, 80, 160, 202, 238};
inline constexpr int32_t kOriginX = 2;
// Rows leave this much room below a text of the list font.
inline constexpr int32_t kTextHeight = 11;

// 16 pixels with the icon column, else 13.
int32_t GetRowHeight();
// The vertical bar's value: row value - 1 is drawn at the top (from 1).
int32_t ScrollValue();
// Column origin for the current horizontal scroll.
int32_t OriginX();

// The row that contains pixel line y: value + floor(y / row height) - 1,
// limited to 0 .. row count (row count itself = below the end row).
int32_t GetLastVisibleRow(int32_t y);

// The window's sizes changed: scroll ranges, then a repaint.
void SetGeometry(const EventListGeometry& geometry);

// The vertical bar moved (by the user or a rule): value limited to
// 1 .. max; repaints when it changed.
void SetScrollValue(int32_t value);
// Value + n, then at most the maximum, then at least 1.
void ScrollEventListBy(int32_t n);
// The horizontal bar moved: limited to 0 .. max; heads and rows repainted
// when it changed.
void SetHorizontalScroll(int32_t value);

// What one paint draws: rows first .. last - 1 from the top of the list.
// clear: nothing to draw (the list is scrolled past its rows).
struct PaintPlan {
  int32_t first = 0;
  int32_t last = 0;
  bool clear = false;
};
PaintPlan PlanPaint();
// After the rows of a paint were measured: widest = the widest painted row's
// right end in unscrolled pixels (origin + detail column + its text width).
// Shows, hides or widens the horizontal bar and returns the bottom limit
// down to which the background below the rows is wiped.
int32_t FinishPaint(int32_t widest);

}  // namespace tesmiro::EventListModule
