#include "swf/font_cache.h"

namespace tesmiro::SWFMakeCore {

FontCacheState& FontCache() {
  static FontCacheState state;
  return state;
}

void ResetFontCache() { FontCache().cache.clear(); }

const FontCacheEntry* FindFontCacheEntry(const std::string& key) {
  for (const FontCacheEntry& e : FontCache().cache)
    if (e.key == key) return &e;
  return nullptr;
}

}  // namespace tesmiro::SWFMakeCore
