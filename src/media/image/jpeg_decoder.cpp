// JPEG pictures through libjpeg-turbo, straight into 32-bit rows.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "media/image/decoders.h"

namespace tesmiro::image {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatalError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
// Corrupt-data warnings would go to stderr; the picture is used as decoded.
void OnMessage(j_common_ptr, int) {}

// Adobe writes CMYK inverted, which is what nearly every CMYK JPEG is.
void CmykToBgra(Picture& picture, bool inverted) {
  for (size_t i = 0; i < picture.bgra.size(); i += 4) {
    unsigned c = picture.bgra[i], m = picture.bgra[i + 1], y = picture.bgra[i + 2], k = picture.bgra[i + 3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    picture.bgra[i] = static_cast<uint8_t>(y * k / 255);
    picture.bgra[i + 1] = static_cast<uint8_t>(m * k / 255);
    picture.bgra[i + 2] = static_cast<uint8_t>(c * k / 255);
    picture.bgra[i + 3] = 255;
  }
}

enum class Outcome { Decoded, Broken, TooLarge };

// Everything with a destructor lives outside the part that libjpeg may
// leave by longjmp.
Outcome Decode(std::span<const uint8_t> file, Picture& picture) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatalError;
  errors.base.emit_message = OnMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return Outcome::Broken;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  if (!PictureSizeAllowed(info.image_width, info.image_height)) {
    jpeg_destroy_decompress(&info);
    return Outcome::TooLarge;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  if (info.output_components != 4 || info.output_width != info.image_width || info.output_height != info.image_height) {
    jpeg_destroy_decompress(&info);
    return Outcome::Broken;
  }
  picture.width = static_cast<int32_t>(info.output_width);
  picture.height = static_cast<int32_t>(info.output_height);
  picture.bgra.resize(picture.pixelCount() * 4);
  const size_t stride = static_cast<size_t>(picture.width) * 4;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &picture.bgra[info.output_scanline * stride];
    jpeg_read_scanlines(&info, &row, 1);
  }
  const bool inverted = info.saw_Adobe_marker;
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (cmyk) CmykToBgra(picture, inverted);
  return Outcome::Decoded;
}

}  // namespace

Result<Picture> DecodeJPEG(std::span<const uint8_t> file) {
  constexpr char kBroken[] = "不正なJPEGファイルです";
  if (file.size() < 4) return Failure{kBroken};
  Picture picture;
  switch (Decode(file, picture)) {
    case Outcome::Decoded:
      return picture;
    case Outcome::TooLarge:
      return Failure{SizeOutOfRange("JPEG")};
    case Outcome::Broken:
      break;
  }
  return Failure{kBroken};
}

}  // namespace tesmiro::image
