#pragma once
// How the event property dialog's live picture sits in its pane: the stage
// drawn at a zoom, centred and scrolled; the pane's scroll ranges; the zoom
// box and the whole-stage button; the conversions between pane pixels and
// stage twips that the handles and the guide editor hit-test and draw with;
// and how often the pane follows a picture that moves by itself.
#include <cstdint>
#include <optional>
#include <string>

namespace tesmiro::LivePicture {

inline constexpr int32_t kTwipsPerPixel = 20;

// Below 1 % nothing is left to see. Above 1600 %, or beyond 16384 pixels a
// side, the web view would have to hold a picture of hundreds of megabytes.
inline constexpr float kMinZoom = 0.01f;
inline constexpr float kMaxZoom = 16.0f;
inline constexpr int32_t kMaxViewPixels = 16384;

// The platform's timers take 0 to 65535 ms; 0 means off.
inline constexpr int32_t kMaxTimerInterval = 65535;
// A movie whose rate is 0 or less ticks at a new project's rate.
inline constexpr float kFallbackFrameRate = 12.0f;

// The pane as the conversions see it.
struct PaneView {
  float zoom = 1.0f;
  int32_t stageWidth = 0;  // pixels, of the shown timeline's stage
  int32_t stageHeight = 0;
  int32_t paneWidth = 0;  // the drawing area, pixels
  int32_t paneHeight = 0;
  int32_t hScroll = 0;  // values of the pane's scroll bars
  int32_t vScroll = 0;
};

struct ScrollRange {
  int32_t min = 0;
  int32_t max = 0;
  int32_t value = 0;
  bool enabled = false;
  bool operator==(const ScrollRange&) const = default;
};

// The highest zoom for a stage: 1600 %, less when the view would pass
// 16384 pixels. A stage of 0 does not limit it.
float MaxZoomFor(int32_t stageWidth, int32_t stageHeight);
float ClampZoom(float zoom, int32_t stageWidth, int32_t stageHeight);

// The zoom box's text for a zoom: its whole per cent and "%".
std::string ZoomText(float zoom);

struct ZoomChoice {
  float zoom = 1.0f;
  std::string text;  // what the zoom box shows afterwards
};
// The zoom box was confirmed: its leading number in per cent; 0, a negative
// number or no number at all means 100 %. Always within the limits.
ZoomChoice ZoomFromText(const std::string& text, int32_t stageWidth, int32_t stageHeight);

// "全体": the zoom box's text for the zoom that shows the whole stage in the
// pane. Nothing for a pane or stage of size 0: the zoom stays.
std::optional<std::string> FitZoomText(int32_t paneWidth, int32_t paneHeight, int32_t stageWidth,
                                       int32_t stageHeight);

// The pane's scroll bars: disabled at 0 while the view fits, else a range
// symmetric about 0 (value 0 shows the stage centred); the value is kept
// within the range. A stage below 1 x 1 changes nothing (false).
bool UpdatePreviewScrollRanges(const PaneView& view, ScrollRange& horizontal, ScrollRange& vertical);

// Where the picture of the stage lies in the pane: zoom x stage, centred,
// moved by the scroll bars. right and bottom are exclusive.
struct StageRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
};
StageRect StagePlacement(const PaneView& view);

struct TwipPoint {
  double x = 0;
  double y = 0;
  bool operator==(const TwipPoint&) const = default;
};
struct PanePoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const PanePoint&) const = default;
};

// Pane pixels to stage twips, exactly (no rounding).
TwipPoint PosScrToTwip(const PaneView& view, double x, double y);
// Stage twips to pane pixels: the scaled value floored, the centring offset
// halved as a whole number. Not the exact inverse of PosScrToTwip; hits are
// tested in twips and drawing uses this, so both agree with each other.
PanePoint PosTwipToScr(const PaneView& view, double tx, double ty);

// The playback tick in milliseconds: 0 (off) for a picture that cannot
// move; else one tick per frame, 1 to 65535 ms.
int32_t TimerInterval(bool moves, float frameRate);

}  // namespace tesmiro::LivePicture
