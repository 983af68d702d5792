#pragma once
// PNG reading with transparency, PNG writing, and pictures as plain 32-bit
// pixel arrays for the lossless bitmap tag.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "media/image/picture.h"
#include "platform/result.h"

namespace tesmiro::ModPNG {

// The part of a device-independent bitmap header that describes a pixel
// array: rows padded to 4 bytes, top-down when `height` is negative.
struct BitmapInfoHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 0;
  uint32_t sizeImage = 0;
};

// A PNG as a picture. With transparency (alpha channel or tRNS) the alpha
// plane gets one entry per pixel and the colours are premultiplied
// (value * alpha / 255, truncated); the fourth byte keeps the alpha. Without
// it the plane is left as it was. Why not for a missing or broken file.
Result<image::Picture> LoadPNGPicture(const std::filesystem::path& path, image::AlphaPlane& alpha);

// Writes 32-bit pixels (blue, green, red, alpha; top row first) as a PNG,
// replacing any old file atomically. A negative height counts by its size.
// Why not (for the user) for an empty path, a size the bytes do not cover,
// or a failed write.
Result<void> SavePNG(std::span<const uint8_t> bytes, int32_t width, int32_t height,
                     const std::filesystem::path& path);

// The picture of a file as 32-bit top-down entries (blue, green, red, fourth
// byte), plus the header that says its size; a PNG with transparency fills
// `alpha` and comes back premultiplied.
struct DIBPicture {
  image::Bytes pixels;
  image::AlphaPlane alpha;
  BitmapInfoHeader header;
};
Result<DIBPicture> LoadPictureDIB(const std::filesystem::path& path);

// A picture as a top-down pixel array of 24 or 32 bits per pixel (0 chooses
// 24). Rows are padded to 4 bytes and the array has one spare byte at its
// end, which callers leave out when they compress the rows.
bool PictureToDIBBytes(const image::Picture& picture, image::Bytes& pixels, BitmapInfoHeader& header, int32_t bitCount);

// Pixels of a snapshot with transparency, from the movie drawn once over
// white and once over black: alpha from the red channel, colours taken back
// out of the black drawing. Pixels whose drawings show no real transparency
// (black drawing at least as bright as the white one) are opaque with the
// drawn colour. Blue, green, red, alpha per pixel, top row first; empty when
// the two drawings differ in size.
image::Bytes SnapshotPixels(const image::Picture& onWhite, const image::Picture& onBlack);

}  // namespace tesmiro::ModPNG
