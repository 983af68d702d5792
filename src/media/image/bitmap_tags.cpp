#include "media/image/bitmap_tags.h"

#include <algorithm>

#include "media/image/get_image.h"
#include "media/image/mod_png.h"
#include "media/sound/zlib_module.h"
#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "platform/numeric.h"
#include "swf/bit_writer.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

// A long-form tag (players expect it on bitmaps, whatever their size) and its body.
void AppendLongTag(TagCode code, std::span<const uint8_t> body) {
  WriteTagHeader(code, static_cast<int32_t>(body.size()), TagForm::Long);
  OutputBuffer().insert(OutputBuffer().end(), body.begin(), body.end());
}

void AppendBytes(image::Bytes& to, std::span<const uint8_t> from) { to.insert(to.end(), from.begin(), from.end()); }

void WriteBitsMasked(BitWriter& w, int64_t value, int32_t count) {
  uint64_t mask = (uint64_t{1} << count) - 1;
  WriteBits(w, static_cast<int32_t>(static_cast<uint64_t>(value) & mask), count);
}

int32_t SignedBits(int64_t value) {
  int32_t bits = 1;
  while (value < -(int64_t{1} << (bits - 1)) || value >= (int64_t{1} << (bits - 1))) ++bits;
  return bits;
}

// A straight edge along one axis, cut into pieces that fit the 17-bit field.
void WriteAxisEdges(BitWriter& w, int64_t delta, bool vertical) {
  constexpr int64_t kMaxPiece = 65535;
  do {
    int64_t piece = std::clamp(delta, -kMaxPiece, kMaxPiece);
    WriteBits(w, 0xFC | (vertical ? 1 : 0), 8);  // edge, straight, 15 + 2 bits, axis line, axis
    WriteBitsMasked(w, piece, 17);
    delta -= piece;
  } while (delta != 0);
}

// Why a file gives no picture, naming it once.
std::string Unusable(const std::filesystem::path& path, const std::string& why) {
  if (why.rfind("ファイル [", 0) == 0) return why;
  return "ファイル [" + path.string() + "] を読み込めません：" + why;
}

// Why the key colour's plane could not be made: the picture did not load.
std::string NoKeyColourPlane(const std::filesystem::path& path) {
  image::AlphaPlane unused;
  return Unusable(path, GetImage::LoadImagePicture(path, unused).message());
}

std::string NotCompressed(const std::filesystem::path& path) {
  return "ファイル [" + path.string() + "] の画像を圧縮できません";
}

bool LosslessPixels(const std::filesystem::path& path, int16_t flags, int32_t keyColour, int32_t softening,
                    image::Bytes& pixels, int32_t& width, int32_t& height, std::string& problem) {
  Result<ModPNG::DIBPicture> dib = ModPNG::LoadPictureDIB(path);
  if (!dib) {
    problem = Unusable(path, dib.message());
    return false;
  }
  pixels = std::move(dib->pixels);
  image::AlphaPlane& alpha = dib->alpha;
  // The size of the pixels actually decoded, never the probe's, so that the
  // tag's width and height always describe the rows that follow.
  width = dib->header.width;
  height = dib->header.height < 0 ? -dib->header.height : dib->header.height;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);

  bool premultiply = !image::HasAlpha(alpha);
  if (flags & kBitmapKeyColour) {
    int32_t pixelCount = 0;
    if (!GetPixelBytes(path, keyColour, alpha, pixelCount, SofteningMode(flags), softening)) {
      problem = NoKeyColourPlane(path);
      return false;
    }
    premultiply = true;
  }
  if (!image::HasAlpha(alpha)) alpha.assign(count, 255);
  if (alpha.size() != count || pixels.size() < count * 4) {
    problem = Unusable(path, "画像の大きさが扱えません");
    return false;
  }

  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = &pixels[i * 4];
    const double scale = (premultiply ? alpha[i] : 255) / 255.0;
    const uint8_t blue = p[0], green = p[1], red = p[2];
    p[0] = alpha[i];
    p[1] = static_cast<uint8_t>(num::RoundHalfEven(scale * red));
    p[2] = static_cast<uint8_t>(num::RoundHalfEven(scale * green));
    p[3] = static_cast<uint8_t>(num::RoundHalfEven(scale * blue));
  }
  pixels.resize(count * 4);
  return true;
}

BitmapResult WriteDefineBitsLossless(int32_t id, const std::filesystem::path& path, int16_t flags, int32_t keyColour,
                                     int32_t softening) {
  image::Bytes pixels;
  int32_t width = 0, height = 0;
  BitmapResult none;
  if (!LosslessPixels(path, flags, keyColour, softening, pixels, width, height, none.problem)) return none;
  image::Bytes compressed = std::move(pixels);
  if (zlibModule::ZCompress(compressed, static_cast<int32_t>(compressed.size())) < 0) {
    none.problem = NotCompressed(path);
    return none;
  }
  ByteWriter body;
  body.u16(static_cast<uint16_t>(id));
  body.u8(5);  // 32-bit ARGB
  body.u16(static_cast<uint16_t>(width));
  body.u16(static_cast<uint16_t>(height));
  body.bytes(compressed);
  AppendLongTag(TagCode::DefineBitsLossless2, body.data());
  return {true, std::nullopt, {}};
}

}  // namespace

BitmapResult WriteBitmap(int32_t id, const std::filesystem::path& path, int16_t flags, int32_t keyColour,
                         int32_t jpegQuality, int16_t forceRecompress, int32_t softening) {
  GetImage::ImageInfo info = GetImage::GetImageInfo(path, GetImage::kByContent);
  if (!(flags & kBitmapLossless) || info.kind == GetImage::kJPEG)
    return WriteDefineBitsJPEG(id, path, flags, keyColour, jpegQuality, forceRecompress, softening);
  return WriteDefineBitsLossless(id, path, flags, keyColour, softening);
}

BitmapResult WriteDefineBitsJPEG(int32_t id, const std::filesystem::path& path, int16_t flags, int32_t keyColour,
                                 int32_t jpegQuality, int16_t forceRecompress, int32_t softening) {
  // A JPEG file marked lossless is kept as it is.
  if (flags & kBitmapLossless) forceRecompress = 0;
  image::AlphaPlane alpha;
  image::Bytes jpeg;
  std::optional<mIntelJPEGLibrary::JpegError> error;
  std::string problem;
  if (!GetJPEGBytes(path, jpeg, jpegQuality, forceRecompress, alpha, error, problem)) return {false, error, problem};

  // The JPEG part of both tags starts with an empty image (FF D9 FF D8).
  static constexpr uint8_t kMarkers[] = {0xFF, 0xD9, 0xFF, 0xD8};
  ByteWriter body;
  body.u16(static_cast<uint16_t>(id));
  if (!image::HasAlpha(alpha) && !(flags & kBitmapKeyColour)) {
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    body.bytes(kMarkers);
    TESMIRO_GCC12_COPY_WARNINGS_ON
    body.bytes(jpeg);
    AppendLongTag(TagCode::DefineBitsJPEG2, body.data());
    return {true, std::nullopt, {}};
  }
  if (flags & kBitmapKeyColour) {
    int32_t pixelCount = 0;
    if (!GetPixelBytes(path, keyColour, alpha, pixelCount, SofteningMode(flags), softening))
      return {false, std::nullopt, NoKeyColourPlane(path)};
  }
  image::Bytes compressedAlpha = alpha;
  if (zlibModule::ZCompress(compressedAlpha, static_cast<int32_t>(compressedAlpha.size())) < 0)
    return {false, std::nullopt, NotCompressed(path)};
  body.u32(static_cast<uint32_t>(jpeg.size() + 4));
  body.bytes(kMarkers);
  body.bytes(jpeg);
  body.bytes(compressedAlpha);
  AppendLongTag(TagCode::DefineBitsJPEG3, body.data());
  return {true, std::nullopt, {}};
}

bool GetJPEGBytes(const std::filesystem::path& path, image::Bytes& jpeg, int32_t jpegQuality, int16_t forceRecompress,
                  image::AlphaPlane& alpha, std::optional<mIntelJPEGLibrary::JpegError>& error,
                  std::string& problem) {
  int32_t kind = GetImage::GetImageInfo(path, GetImage::kByContent).kind;
  if (forceRecompress == 1 || kind == GetImage::kBMP || kind == GetImage::kGIF || kind == GetImage::kPNG) {
    auto picture = GetImage::LoadImagePicture(path, alpha);
    if (!picture) {
      problem = Unusable(path, picture.message());
      return false;
    }
    cDIBSection dib;
    if (!dib.CreateFromPicture(*picture)) {
      problem = Unusable(path, "画像の大きさが扱えません");
      return false;
    }
    mIntelJPEGLibrary::EncodedJPEG encoded = mIntelJPEGLibrary::EncodeJPEG(dib, jpegQuality);
    if (!encoded.ok()) {
      error = encoded.error;
      return false;
    }
    jpeg = std::move(encoded.data);
    return true;
  }
  if (kind != GetImage::kJPEG) {
    problem = GetImage::NotOfKindReason(path, "は画像ファイルではありません");
    return false;
  }
  // Passed through unchanged, so it must at least be a JPEG whose frame
  // header can be found; anything less would only break the movie.
  auto file = fileio::ReadAll(path, image::kMaxImageFileBytes);
  if (!file || GetImage::ProbeJPEG(*file).kind != GetImage::kJPEG) {
    problem = Unusable(path, file ? "不正なJPEGファイルです" : file.message());
    return false;
  }
  jpeg = std::move(*file);
  return true;
}

bool GetPixelBytes(const std::filesystem::path& path, int32_t keyColour, image::AlphaPlane& alpha, int32_t& pixelCount,
                   int16_t mode, int32_t softening) {
  image::AlphaPlane ownAlpha;
  auto picture = GetImage::LoadImagePicture(path, ownAlpha);
  if (!picture) return false;
  alpha = KeyColourAlpha(*picture, keyColour, mode, softening);
  pixelCount = static_cast<int32_t>(alpha.size());
  return true;
}

image::AlphaPlane KeyColourAlpha(const image::Picture& picture, int32_t keyColour, int16_t mode, int32_t softening) {
  const int64_t width = picture.width, height = picture.height;
  const uint32_t key = static_cast<uint32_t>(keyColour);
  image::AlphaPlane plane(picture.pixelCount());
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x)
      plane[static_cast<size_t>(y * width + x)] =
          picture.colourAt(static_cast<int32_t>(x), static_cast<int32_t>(y)) == key ? 0 : 255;

  const int64_t radius = std::min<int64_t>(std::max(softening, 0), std::max(width, height));
  if (mode == kSoftenBoxAverage && radius > 0) {
    // Sums over the window from a summed-area table: the same quotients as
    // adding the window up pixel by pixel, without its (2r + 1)^2 cost.
    std::vector<int64_t> sums(static_cast<size_t>((width + 1) * (height + 1)), 0);
    auto at = [&](int64_t x, int64_t y) -> int64_t& { return sums[static_cast<size_t>(y * (width + 1) + x)]; };
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x)
        at(x + 1, y + 1) = plane[static_cast<size_t>(y * width + x)] + at(x, y + 1) + at(x + 1, y) - at(x, y);
    for (int64_t y = 0; y < height; ++y) {
      const int64_t y0 = std::max<int64_t>(0, y - radius), y1 = std::min(height, y + radius + 1);
      for (int64_t x = 0; x < width; ++x) {
        const int64_t x0 = std::max<int64_t>(0, x - radius), x1 = std::min(width, x + radius + 1);
        const int64_t sum = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
        plane[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(sum / ((x1 - x0) * (y1 - y0)));
      }
    }
  } else if (mode == kSoftenColourDistance) {
    const double r = static_cast<double>(std::max(softening, 0));
    const int32_t threshold = num::RoundToInt32(3.0 * r * r);
    if (threshold > 0) {
      const int32_t keyRed = key & 255, keyGreen = (key >> 8) & 255, keyBlue = (key >> 16) & 255;
      for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
          uint8_t& entry = plane[static_cast<size_t>(y * width + x)];
          if (entry == 0) continue;
          const uint32_t colour = picture.colourAt(static_cast<int32_t>(x), static_cast<int32_t>(y));
          const int32_t dr = static_cast<int32_t>(colour & 255) - keyRed;
          const int32_t dg = static_cast<int32_t>((colour >> 8) & 255) - keyGreen;
          const int32_t db = static_cast<int32_t>((colour >> 16) & 255) - keyBlue;
          const int32_t d = dr * dr + dg * dg + db * db;
          if (d < threshold)
            entry = static_cast<uint8_t>(num::RoundHalfEven(
                255.0 - (static_cast<double>(threshold - d) / static_cast<double>(threshold)) * 255.0));
        }
      }
    }
  }
  return plane;
}

void WriteBitmapShape(int32_t shapeId, int32_t bitmapId, int32_t width, int32_t height) {
  const int64_t w = int64_t{std::clamp(width, 0, image::kMaxPictureSide)} * 20;
  const int64_t h = int64_t{std::clamp(height, 0, image::kMaxPictureSide)} * 20;

  image::Bytes body;
  body.push_back(static_cast<uint8_t>(shapeId & 0xFF));
  body.push_back(static_cast<uint8_t>((shapeId >> 8) & 0xFF));
  image::Bytes rect = MakeRect24(0, static_cast<int32_t>(w), 0, static_cast<int32_t>(h));
  AppendBytes(body, std::span<const uint8_t>(rect).first(std::min<size_t>(rect.size(), 13)));
  // One clipped-bitmap fill, then its matrix (scale 20, no translation), no
  // line styles, and one fill bit.
  static constexpr uint8_t kFillStart[] = {0x01, 0x41};
  static constexpr uint8_t kMatrixAndCounts[] = {0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x00, 0x10};
  AppendBytes(body, kFillStart);
  body.push_back(static_cast<uint8_t>(bitmapId & 0xFF));
  body.push_back(static_cast<uint8_t>((bitmapId >> 8) & 0xFF));
  AppendBytes(body, kMatrixAndCounts);

  BitWriter bits;
  BitWriterInit(bits);
  const int32_t moveBits = std::max({17, SignedBits(w), SignedBits(h)});
  WriteBits(bits, 0b000101, 6);  // style change: fill style 1 and a move
  WriteBits(bits, moveBits, 5);
  WriteBitsMasked(bits, w, moveBits);
  WriteBitsMasked(bits, h, moveBits);
  WriteBits(bits, 1, 1);  // fill style 1 = the bitmap
  WriteAxisEdges(bits, -w, false);
  WriteAxisEdges(bits, -h, true);
  WriteAxisEdges(bits, w, false);
  WriteAxisEdges(bits, h, true);
  WriteBits(bits, 0, 6);  // end of shape
  AppendBytes(body, bits.bytes());

  AppendLongTag(TagCode::DefineShape, body);
}

}  // namespace tesmiro::SWFMakeCore
