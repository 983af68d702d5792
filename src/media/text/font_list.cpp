#include "media/text/font_list.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <set>

namespace tesmiro::text {

std::vector<std::string> EnumTrueTypeFont(bool withVertical) {
  std::vector<std::string> names;
  if (!FcInit()) return names;
  FcPattern* pattern = FcPatternCreate();
  // Bitmap fonts cannot give glyph outlines for embedded text.
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  std::set<std::string> seen;
  if (fonts) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n) {
        std::string name(reinterpret_cast<const char*>(family));
        if (name.empty() || (name[0] == '@' && !withVertical)) continue;
        if (seen.insert(name).second) names.push_back(std::move(name));
      }
    }
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::stable_sort(names.begin(), names.end());
  return names;
}

}  // namespace tesmiro::text
