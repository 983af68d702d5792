#include "project/event_list_view.h"

#include <algorithm>
#include <cmath>

#include "project/list_models.h"
#include "project/window_services.h"

namespace tesmiro::EventListModule {
namespace {

int32_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int32_t>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

void SetValueQuietly(int32_t value) { Current().scrollTop = value - 1; }

}  // namespace

int32_t GetRowHeight() { return Current().geometry.icons ? 16 : 13; }

int32_t ScrollValue() { return Current().scrollTop + 1; }

int32_t OriginX() { return kOriginX - Current().hScroll; }

int32_t GetLastVisibleRow(int32_t y) {
  const int64_t r = static_cast<int64_t>(ScrollValue()) + FloorDiv(y, GetRowHeight()) - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(r, 0, RowCount()));
}

void SetGeometry(const EventListGeometry& geometry) {
  Current().geometry = geometry;
  UpdateEventScrollBars();
  DrawEventList();
}

void UpdateEventScrollBars() {
  State& s = Current();
  const int64_t h = static_cast<int64_t>(s.geometry.height) - s.geometry.hBarHeight;
  const int64_t r = GetRowHeight();
  const int64_t n = RowCount();
  s.vBar.max = std::max(1, FloorDiv(n * r - h, r) + 2);
  s.vBar.largeChange = std::max(1, FloorDiv(h, r) + 1);
  s.vBar.visible = s.vBar.max >= 2;
  // A bar whose range shrinks below its value moves to the new end.
  if (ScrollValue() > s.vBar.max) SetValueQuietly(s.vBar.max);
  if (ScrollValue() < 1) SetValueQuietly(1);
  s.hBar.max = s.hScroll;
}

bool EnsureCurrentVisible() {
  State& s = Current();
  const int32_t c = s.currentRow;
  if (c < 0) return false;
  int64_t h = s.geometry.height;
  if (s.hBar.visible) h -= s.geometry.hBarHeight;
  // A list lower than two rows would make the two tests below chase each
  // other for ever; it shows the current row at its top instead.
  const int32_t full = std::max(0, FloorDiv(h, GetRowHeight()) - 1);
  const int32_t before = ScrollValue();
  int32_t v = before;
  if (c - v + 1 < 0) v = c + 1;
  if (c - v + 1 > full) v = c + 1 - full;
  v = std::clamp(v, 1, std::max(1, s.vBar.max));
  SetValueQuietly(v);
  if (v == before) return false;
  DrawEventList();
  return true;
}

void SetScrollValue(int32_t value) {
  const int32_t v = std::clamp(value, 1, std::max(1, Current().vBar.max));
  if (v == ScrollValue()) return;
  SetValueQuietly(v);
  DrawEventList();
}

void ScrollEventListBy(int32_t n) {
  const int64_t v = std::max<int64_t>(std::min<int64_t>(static_cast<int64_t>(ScrollValue()) + n, Current().vBar.max), 1);
  SetScrollValue(static_cast<int32_t>(v));
}

void SetHorizontalScroll(int32_t value) {
  State& s = Current();
  const int32_t v = std::clamp(value, 0, std::max(0, s.hBar.max));
  if (v == s.hScroll) return;
  s.hScroll = v;
  ui::Windows().drawTabsAndHeader();
  DrawEventList();
}

PaintPlan PlanPaint() {
  const State& s = Current();
  PaintPlan plan;
  const int32_t v = ScrollValue();
  const int32_t count = RowCount();
  if (v > count || count == 0) {
    plan.clear = true;
    return plan;
  }
  const int32_t rows = std::max(0, (s.geometry.height + GetRowHeight() - 1) / GetRowHeight());
  plan.first = v - 1;
  plan.last = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(plan.first) + rows));
  return plan;
}

int32_t FinishPaint(int32_t widest) {
  State& s = Current();
  const int32_t height = s.geometry.height;
  if (PlanPaint().clear) {
    s.hBar.visible = false;
    return height;
  }
  const int32_t visibleWidth = s.geometry.width - (s.vBar.visible ? s.geometry.vBarWidth : 0);
  if (widest <= visibleWidth) {
    // A bar scrolled away from 0 stays until it is back at 0.
    if (s.hScroll == 0) s.hBar.visible = false;
    return height;
  }
  s.hBar.visible = true;
  s.hBar.max = std::max(s.hBar.max, widest - visibleWidth);
  s.hBar.largeChange = std::max(1, visibleWidth / 2);
  return height - s.geometry.hBarHeight;
}

}  // namespace tesmiro::EventListModule
