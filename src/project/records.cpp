#include "project/records.h"

namespace tesmiro {

StoreItem NewStoreItem(StoreItemKind kind) {
  StoreItem item;
  item.kind = kind;
  item.flags = 0;
  item.param = kind == StoreItemKind::Video ? 1 : 0;  // a video starts at its first frame
  item.font = kind == StoreItemKind::Text ? "_ゴシック" : "";
  item.size = 12.0f;
  item.lineSpacing = 2.0f;
  return item;
}

EventRecord NewEventFor(StoreItemKind kind) {
  EventRecord e;
  if (kind == StoreItemKind::Sound) {
    e.kind = static_cast<int16_t>(SoundMode::Play);
    e.frameCount = 0;
  }
  return e;
}

EventRecord ZeroEvent() {
  EventRecord e;
  e.frameCount = 0;
  e.startScaleX = e.endScaleX = e.startScaleY = e.endScaleY = 0.0f;
  e.kind = 0;
  e.startAlpha = e.endAlpha = 0;
  e.startFilters.multiply = {0.0f, 0.0f, 0.0f, 0.0f};
  e.endFilters.multiply = {0.0f, 0.0f, 0.0f, 0.0f};
  e.anchors.clear();
  return e;
}

int16_t SWFVersionFromOptions(const std::string& options) {
  if (options.size() < 3) return 6;
  switch (options[2]) {
    case '4': return 4;
    case '7': return 7;
    case '8': return 8;
    default: return 6;
  }
}

}  // namespace tesmiro
