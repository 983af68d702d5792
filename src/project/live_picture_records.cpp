#include "project/live_picture_records.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform/numeric.h"
#include "project/geometry.h"
#include "project/store.h"

namespace tesmiro::LivePicture {
namespace {

constexpr int16_t kTextEffectFlag = 0x2000;
constexpr int16_t kMorphFlag = 1;

int32_t LongOf(const std::string& text) { return num::RoundToInt32(num::Val(text)); }

float SingleOf(const std::string& text) {
  const double v = num::Val(text);
  if (std::isnan(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

int16_t Percent(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

}  // namespace

PreviewRecords BuildPreviewRecords(const PictureFields& f, const FilterState& startFilters,
                                   const FilterState& endFilters, int operatedImage, bool onlyOperated) {
  PreviewRecords r;
  EventRecord& d = r.draw;
  d = ZeroEvent();
  d.itemId = LongOf(f.itemId);
  d.frameCount = 0;
  d.startX = LongOf(f.drawX);
  d.startY = LongOf(f.drawY);
  d.startAngle = SingleOf(f.drawAngle);
  GUICore::ParseXYPair(f.drawSize, d.startScaleX, d.startScaleY);
  d.centerX = LongOf(f.centreX);
  d.centerY = LongOf(f.centreY);
  d.startBrightness = Percent(f.startBrightness);
  d.startAlpha = Percent(f.startOpacity);
  d.maskFlag = 0;
  d.maskDepth = 0;
  d.depth = operatedImage == 1 ? -1 : 0;
  d.startFilters = startFilters;
  // A mixed selection shows no blend mode.
  d.blendMode = std::max(f.blendMode, 0);

  r.motion = num::Val(f.frameCount) > 1;
  EventRecord& m = r.move;
  m = d;
  if (r.motion) {
    const StoreItem item = GUICore::GetStoreItemByID(d.itemId);
    if (item.flags == kMorphFlag && item.kind == StoreItemKind::VectorImage) m.itemId = item.param;
    m.startX = LongOf(f.moveX);
    m.startY = LongOf(f.moveY);
    m.startAngle = SingleOf(f.moveAngle);
    GUICore::ParseXYPair(f.moveSize, m.startScaleX, m.startScaleY);
    m.startBrightness = Percent(f.endBrightness);
    m.startAlpha = Percent(f.endOpacity);
    m.depth = operatedImage == 1 ? 0 : -1;
    m.startFilters = endFilters;
  } else {
    m.itemId = 0;
  }
  if (onlyOperated) (operatedImage == 1 ? d : m).itemId = 0;
  return r;
}

bool PictureMoves(const EventRecord& operated, bool withMovie) {
  if (withMovie) return true;
  const StoreItem item = GUICore::GetStoreItemByID(operated.itemId);
  if (item.kind == StoreItemKind::Sprite) return true;
  return item.kind == StoreItemKind::Text && (item.flags & kTextEffectFlag) != 0;
}

}  // namespace tesmiro::LivePicture
