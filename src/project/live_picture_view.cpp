#include "project/live_picture_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/numeric.h"

namespace tesmiro::LivePicture {
namespace {

// One axis of UpdatePreviewScrollRanges.
void UpdateAxis(float zoom, int32_t stage, int32_t pane, ScrollRange& r) {
  const float view = zoom * static_cast<float>(stage);
  if (!(view > static_cast<float>(pane))) {
    r = ScrollRange{};
    return;
  }
  const double excess = static_cast<double>(view) - pane;
  r.enabled = true;
  r.max = num::IntDiv(excess, 2);
  r.min = num::IntDiv(-excess, 2);
  r.value = std::clamp(r.value, r.min, r.max);
}

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// One axis of PosTwipToScr.
int32_t TwipToPane(float zoom, double twips, int32_t scroll, int32_t pane, int32_t stage) {
  const double z = zoom;
  const double scaled = std::floor(z * twips / kTwipsPerPixel);
  const double offset = num::IntDiv(pane - z * stage, 2);
  return num::RoundToInt32(scaled - scroll + offset);
}

}  // namespace

float MaxZoomFor(int32_t stageWidth, int32_t stageHeight) {
  const int32_t edge = std::max(stageWidth, stageHeight);
  if (edge <= 0) return kMaxZoom;
  return std::min(kMaxZoom, static_cast<float>(kMaxViewPixels) / static_cast<float>(edge));
}

float ClampZoom(float zoom, int32_t stageWidth, int32_t stageHeight) {
  if (!std::isfinite(zoom) || zoom <= 0) zoom = 1.0f;
  // The view limit wins over the lower bound: a stage wider than 1.6 million
  // pixels may need less than 1 %.
  const float top = MaxZoomFor(stageWidth, stageHeight);
  return std::min(std::max(zoom, kMinZoom), top);
}

std::string ZoomText(float zoom) {
  // In single precision, as the zoom is kept: 0.29 reads back as 29 %.
  const float percent = zoom * 100.0f;
  return num::CStr(static_cast<int64_t>(std::floor(percent))) + "%";
}

ZoomChoice ZoomFromText(const std::string& text, int32_t stageWidth, int32_t stageHeight) {
  const double value = num::Val(text) / 100.0;
  float zoom = 1.0f;
  // Clamped before it becomes a single, which a huge number would overflow.
  if (value > 0) zoom = static_cast<float>(std::min(value, static_cast<double>(kMaxZoom)));
  zoom = ClampZoom(zoom, stageWidth, stageHeight);
  return {zoom, ZoomText(zoom)};
}

std::optional<std::string> FitZoomText(int32_t paneWidth, int32_t paneHeight, int32_t stageWidth,
                                       int32_t stageHeight) {
  if (paneWidth <= 0 || paneHeight <= 0 || stageWidth <= 0 || stageHeight <= 0) return std::nullopt;
  const double pw = paneWidth, ph = paneHeight, sw = stageWidth, sh = stageHeight;
  const double zoom = pw / ph >= sw / sh ? ph / sh : pw / sw;
  return ZoomText(ClampZoom(static_cast<float>(zoom), stageWidth, stageHeight));
}

bool UpdatePreviewScrollRanges(const PaneView& view, ScrollRange& horizontal, ScrollRange& vertical) {
  if (view.stageWidth < 1 || view.stageHeight < 1) return false;
  UpdateAxis(view.zoom, view.stageWidth, view.paneWidth, horizontal);
  UpdateAxis(view.zoom, view.stageHeight, view.paneHeight, vertical);
  return true;
}

StageRect StagePlacement(const PaneView& view) {
  const double cw = static_cast<double>(view.zoom) * view.stageWidth;
  const double ch = static_cast<double>(view.zoom) * view.stageHeight;
  StageRect r;
  r.left = Saturate(static_cast<int64_t>(num::IntDiv(view.paneWidth - cw, 2)) - view.hScroll);
  r.top = Saturate(static_cast<int64_t>(num::IntDiv(view.paneHeight - ch, 2)) - view.vScroll);
  r.right = num::RoundToInt32(cw + r.left);
  r.bottom = num::RoundToInt32(ch + r.top);
  return r;
}

TwipPoint PosScrToTwip(const PaneView& view, double x, double y) {
  const double z = view.zoom;
  TwipPoint t;
  t.x = ((x + view.hScroll) - (view.paneWidth - z * view.stageWidth) / 2) / z * kTwipsPerPixel;
  t.y = ((y + view.vScroll) - (view.paneHeight - z * view.stageHeight) / 2) / z * kTwipsPerPixel;
  return t;
}

PanePoint PosTwipToScr(const PaneView& view, double tx, double ty) {
  return {TwipToPane(view.zoom, tx, view.hScroll, view.paneWidth, view.stageWidth),
          TwipToPane(view.zoom, ty, view.vScroll, view.paneHeight, view.stageHeight)};
}

int32_t TimerInterval(bool moves, float frameRate) {
  if (!moves) return 0;
  const double rate = std::isfinite(frameRate) && frameRate > 0 ? frameRate : kFallbackFrameRate;
  const double ms = num::RoundHalfEven(1000.0 / rate);
  // A rate above 2000 would round to 0, which switches the timer off.
  return static_cast<int32_t>(std::clamp(ms, 1.0, static_cast<double>(kMaxTimerInterval)));
}

}  // namespace tesmiro::LivePicture
