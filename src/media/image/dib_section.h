#pragma once
// A 24-bit pixel buffer that pictures are copied into before JPEG encoding.
#include <cstdint>

#include "media/image/picture.h"

namespace tesmiro {

// Pixels are blue, green, red; rows from the top, each padded to a multiple
// of 4 bytes. A new object holds no bitmap until Create succeeds.
class cDIBSection {
 public:
  // A black bitmap of that size, replacing any earlier one. False (and the
  // object empty) when the size is not positive or beyond the picture limits.
  bool Create(int32_t width, int32_t height);
  // Creates a bitmap of the picture's size and copies the picture in.
  bool CreateFromPicture(const image::Picture& picture);
  // Copies from the source's (left, top) into the bitmap at (0, 0); a
  // negative width or height means the bitmap's own. Parts outside either
  // picture are left alone.
  void LoadPictureBlt(const image::Picture& source, int32_t left = 0, int32_t top = 0, int32_t width = -1,
                      int32_t height = -1);
  void ClearUp();

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t BytesPerScanLine() const { return (width_ * 3 + 3) & ~3; }
  uint8_t* DIBSectionBitsPtr() { return bits_.empty() ? nullptr : bits_.data(); }
  const uint8_t* DIBSectionBitsPtr() const { return bits_.empty() ? nullptr : bits_.data(); }
  bool empty() const { return bits_.empty(); }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  image::Bytes bits_;
};

}  // namespace tesmiro
