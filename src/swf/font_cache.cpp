#include "swf/font_cache.h"

namespace tesmiro::SWFMakeCore {

FontCacheState& fontCache() {
  static FontCacheState state;
  return state;
}

void ResetFontCache() { fontCache().cache.clear(); }

const FontCacheEntry* FindFontCacheEntry(const std::string& key) {
  for (const FontCacheEntry& e : fontCache().cache)
    if (e.key == key) return &e;
  return nullptr;
}

}  // namespace tesmiro::SWFMakeCore
