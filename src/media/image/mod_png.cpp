#include "media/image/mod_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>

#include "media/image/decoders.h"
#include "media/image/get_image.h"
#include "platform/file_io.h"

namespace tesmiro::ModPNG {
namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<image::Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// `out` and `rows` belong to the caller: libpng leaves by longjmp on errors.
bool EncodePNG(std::span<const uint8_t> bgra, uint32_t width, uint32_t height, image::Bytes& out,
               std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  rows.resize(height);
  for (uint32_t y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(&bgra[static_cast<size_t>(y) * width * 4]);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_BGR, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Result<image::Picture> LoadPNGPicture(const std::filesystem::path& path, image::AlphaPlane& alpha) {
  auto file = fileio::ReadAll(path, image::kMaxImageFileBytes);
  if (!file) return Failure{file.message()};
  auto decoded = image::DecodePNG(*file);
  if (!decoded) return Failure{decoded.message()};
  image::Picture& picture = decoded->picture;
  if (decoded->hasAlpha) {
    alpha.resize(picture.pixelCount());
    for (size_t i = 0; i < alpha.size(); ++i) {
      uint8_t* p = &picture.bgra[i * 4];
      unsigned a = p[3];
      alpha[i] = static_cast<uint8_t>(a);
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] * a / 255);
    }
  }
  return std::move(decoded->picture);
}

Result<void> SavePNG(std::span<const uint8_t> bytes, int32_t width, int32_t height,
                     const std::filesystem::path& path) {
  if (path.empty()) return Failure{"保存するファイル名がありません。"};
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  if (width <= 0 || rows == 0 || !image::PictureSizeAllowed(static_cast<uint64_t>(width), rows) ||
      bytes.size() < static_cast<uint64_t>(width) * rows * 4)
    return Failure{"画像の大きさが扱えません。"};
  image::Bytes encoded;
  std::vector<png_bytep> rowPointers;
  if (!EncodePNG(bytes, static_cast<uint32_t>(width), static_cast<uint32_t>(rows), encoded, rowPointers))
    return Failure{"PNG 画像を作れませんでした。"};
  return fileio::WriteAtomic(path, encoded);
}

Result<DIBPicture> LoadPictureDIB(const std::filesystem::path& path) {
  DIBPicture dib;
  auto picture = GetImage::LoadImagePicture(path, dib.alpha);
  if (!picture) return Failure{picture.message()};
  if (!PictureToDIBBytes(*picture, dib.pixels, dib.header, 32)) return Failure{"画像の大きさが扱えません。"};
  return dib;
}

bool PictureToDIBBytes(const image::Picture& picture, image::Bytes& pixels, BitmapInfoHeader& header,
                       int32_t bitCount) {
  if (bitCount == 0) bitCount = 24;
  if ((bitCount != 24 && bitCount != 32) || picture.width <= 0 || picture.height <= 0 ||
      picture.bgra.size() != picture.pixelCount() * 4)
    return false;
  const size_t width = static_cast<size_t>(picture.width);
  const size_t height = static_cast<size_t>(picture.height);
  const size_t rowSize = ((static_cast<size_t>(bitCount) * width) / 8 + 3) & ~size_t{3};
  header = BitmapInfoHeader{picture.width, -picture.height, static_cast<uint16_t>(bitCount),
                            static_cast<uint32_t>(rowSize * height)};
  pixels.assign(rowSize * height + 1, 0);
  const size_t step = static_cast<size_t>(bitCount) / 8;
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* from = &picture.bgra[y * width * 4];
    uint8_t* to = &pixels[y * rowSize];
    for (size_t x = 0; x < width; ++x, from += 4, to += step)
      for (size_t c = 0; c < step; ++c) to[c] = from[c];
  }
  return true;
}

image::Bytes SnapshotPixels(const image::Picture& onWhite, const image::Picture& onBlack) {
  if (onWhite.width != onBlack.width || onWhite.height != onBlack.height ||
      onWhite.bgra.size() != onWhite.pixelCount() * 4 || onBlack.bgra.size() != onWhite.bgra.size())
    return {};
  image::Bytes out(onWhite.bgra.size());
  for (size_t i = 0; i < out.size(); i += 4) {
    const uint8_t* w = &onWhite.bgra[i];
    const uint8_t* b = &onBlack.bgra[i];
    int alpha = b[2] - w[2] + 255;
    if (alpha >= 255) {
      out[i] = b[0], out[i + 1] = b[1], out[i + 2] = b[2], out[i + 3] = 255;
      continue;
    }
    out[i + 3] = static_cast<uint8_t>(alpha);
    if (alpha == 0) continue;  // fully transparent: colour stays 0
    // Each channel by its own difference, as the drawings were compared.
    for (int c = 0; c < 3; ++c) {
      int divisor = b[c] - w[c] + 255;
      int value = divisor > 0 ? b[c] * 255 / divisor : 0;
      out[i + c] = static_cast<uint8_t>(value > 255 ? 255 : value);
    }
  }
  return out;
}

}  // namespace tesmiro::ModPNG
