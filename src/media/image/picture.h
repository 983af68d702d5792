#pragma once
// A decoded raster picture and the alpha plane that travels beside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::image {

using Bytes = std::vector<uint8_t>;

// One byte per pixel, rows from the top, 0 transparent to 255 opaque.
// Empty means the picture has no alpha of its own, so that even a 1 x 1
// picture can carry a plane.
using AlphaPlane = std::vector<uint8_t>;

inline bool HasAlpha(const AlphaPlane& plane) { return !plane.empty(); }

// What a picture loader hands back: 32-bit pixels, rows from the top, each
// pixel blue, green, red and a fourth byte. The fourth byte is the PNG's
// alpha for a PNG with transparency and 255 for everything else; colours of
// such a PNG arrive premultiplied by that alpha.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  Bytes bgra;

  size_t pixelCount() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  // Colour as 0x00BBGGRR, the form key colours are stored in.
  uint32_t colourAt(int32_t x, int32_t y) const {
    const uint8_t* p = &bgra[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
    return static_cast<uint32_t>(p[2]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[0]) << 16);
  }
};

// Limits on what the decoders accept from a file. Both sides must fit the
// 16-bit fields of the bitmap tags, and the pixel count keeps a hostile
// header from asking for gigabytes.
constexpr int32_t kMaxPictureSide = 65535;
constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 26;
// Image files larger than this are not read at all.
constexpr uint64_t kMaxImageFileBytes = uint64_t{1} << 28;

inline bool PictureSizeAllowed(uint64_t width, uint64_t height) {
  return width >= 1 && height >= 1 && width <= static_cast<uint64_t>(kMaxPictureSide) &&
         height <= static_cast<uint64_t>(kMaxPictureSide) && width * height <= kMaxPicturePixels;
}

// Why a picture of that format ("BMP", "PNG", ...) is refused for its size,
// in the same words for every format: a picture too large is not a broken file.
inline std::string SizeOutOfRange(std::string_view format) {
  return std::string(format) + "画像の大きさが扱える範囲にありません";
}

// An opaque picture of the given size, every pixel black (fourth byte 255).
Picture MakeOpaquePicture(int32_t width, int32_t height);

}  // namespace tesmiro::image
