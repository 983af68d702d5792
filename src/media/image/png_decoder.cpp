// PNG pictures through libpng, fed from the bounds-checked reader.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <utility>

#include "media/image/decoders.h"
#include "media/image/get_image.h"
#include "platform/byte_reader.h"

namespace tesmiro::image {
namespace {

void ReadFromReader(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<ByteReader*>(png_get_io_ptr(png));
  auto bytes = reader->bytes(length);
  if (!reader->ok()) png_error(png, "unexpected end of file");
  if (length > 0) std::memcpy(out, bytes.data(), length);
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Reads into `out`; every object with a destructor is owned by the caller,
// as libpng leaves this function by longjmp on an error.
bool Decode(ByteReader& reader, DecodedPNG& out, std::vector<png_bytep>& rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadFromReader);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_read_info(png, info);

  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  if (!PictureSizeAllowed(width, height)) png_error(png, "picture too large");
  int colourType = png_get_color_type(png, info);
  out.hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!out.hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected pixel layout");

  out.picture.width = static_cast<int32_t>(width);
  out.picture.height = static_cast<int32_t>(height);
  out.picture.bgra.resize(out.picture.pixelCount() * 4);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = &out.picture.bgra[static_cast<size_t>(y) * width * 4];
  png_read_image(png, rows.data());
  // Chunks after the image data are of no use here; a file cut off after
  // its last pixel row still gives the whole picture.
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

Result<DecodedPNG> DecodePNG(std::span<const uint8_t> file) {
  // libpng refuses such a header as it refuses a broken one; the size is
  // told by its name, as the other formats tell it.
  if (std::string tooLarge = GetImage::PictureSizeProblem(GetImage::ProbePNG(file)); !tooLarge.empty())
    return Failure{std::move(tooLarge)};
  ByteReader reader(file);
  DecodedPNG out;
  std::vector<png_bytep> rows;
  if (!Decode(reader, out, rows)) return Failure{"不正なPNGファイルです"};
  return out;
}

}  // namespace tesmiro::image
