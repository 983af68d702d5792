#include "media/image/picture.h"

namespace tesmiro::image {

Picture MakeOpaquePicture(int32_t width, int32_t height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.bgra.assign(p.pixelCount() * 4, 0);
  for (size_t i = 3; i < p.bgra.size(); i += 4) p.bgra[i] = 255;
  return p;
}

}  // namespace tesmiro::image
