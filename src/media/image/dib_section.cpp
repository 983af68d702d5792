#include "media/image/dib_section.h"

#include <algorithm>
#include <cstring>

namespace tesmiro {

bool cDIBSection::Create(int32_t width, int32_t height) {
  ClearUp();
  if (width <= 0 || height <= 0 ||
      !image::PictureSizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
    return false;
  width_ = width;
  height_ = height;
  bits_.assign(static_cast<size_t>(BytesPerScanLine()) * static_cast<size_t>(height), 0);
  return true;
}

bool cDIBSection::CreateFromPicture(const image::Picture& picture) {
  if (!Create(picture.width, picture.height)) return false;
  LoadPictureBlt(picture);
  return true;
}

void cDIBSection::LoadPictureBlt(const image::Picture& source, int32_t left, int32_t top, int32_t width,
                                 int32_t height) {
  if (empty() || source.bgra.size() != source.pixelCount() * 4) return;
  if (width < 0) width = width_;
  if (height < 0) height = height_;
  // Clip to both pictures; the source may start at a negative position.
  int64_t fromX = std::max<int64_t>(0, -int64_t{left}), fromY = std::max<int64_t>(0, -int64_t{top});
  int64_t toX = std::min<int64_t>({width, width_, int64_t{source.width} - left});
  int64_t toY = std::min<int64_t>({height, height_, int64_t{source.height} - top});
  const size_t stride = static_cast<size_t>(BytesPerScanLine());
  for (int64_t y = fromY; y < toY; ++y) {
    const uint8_t* from = &source.bgra[static_cast<size_t>(((y + top) * source.width + (fromX + left)) * 4)];
    uint8_t* to = &bits_[static_cast<size_t>(y) * stride + static_cast<size_t>(fromX) * 3];
    for (int64_t x = fromX; x < toX; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
  }
}

void cDIBSection::ClearUp() {
  width_ = height_ = 0;
  bits_.clear();
  bits_.shrink_to_fit();
}

}  // namespace tesmiro
