#pragma once
// Decoders for the raster formats a material can be in. Each takes the whole
// file and gives a picture, or why not: the file is broken, truncated or
// larger than the picture limits.
#include <span>

#include "media/image/picture.h"
#include "platform/result.h"

namespace tesmiro::image {

// BMP of 1, 4, 8, 16, 24 or 32 bits, bottom-up or top-down, RLE4/RLE8 and
// bit fields. Always opaque: a fourth byte in a BMP is not taken as alpha.
Result<Picture> DecodeBMP(std::span<const uint8_t> file);

// The first image of a GIF on its logical screen. Transparent pixels keep
// their palette colour; transparency of GIFs comes from the key colour.
Result<Picture> DecodeGIF(std::span<const uint8_t> file);

// Baseline and progressive JPEG (grey, colour, CMYK). Always opaque.
Result<Picture> DecodeJPEG(std::span<const uint8_t> file);

// PNG of any colour type and depth. `hasAlpha` is set when the file carries
// transparency (an alpha channel or a tRNS chunk); the fourth byte of each
// pixel is then that alpha, colours not premultiplied.
struct DecodedPNG {
  Picture picture;
  bool hasAlpha = false;
};
Result<DecodedPNG> DecodePNG(std::span<const uint8_t> file);

}  // namespace tesmiro::image
