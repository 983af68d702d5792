#pragma once
// Raster-image materials as bitmap characters of the movie: DefineBitsJPEG2,
// DefineBitsJPEG3 (JPEG with an alpha plane) or DefineBitsLossless2, and the
// rectangle shape that shows one. The tags are appended to the writer's
// output buffer.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "media/image/jpeg_library.h"
#include "media/image/picture.h"

namespace tesmiro::SWFMakeCore {

// Flags of a raster-image item.
constexpr int16_t kBitmapKeyColour = 1;  // pixels of exactly the key colour become transparent
constexpr int16_t kBitmapLossless = 8;   // lossless tag instead of JPEG data (not for JPEG files)
inline int16_t SofteningMode(int16_t flags) { return static_cast<int16_t>((flags / 2) & 3); }

// Softening modes of the key-colour alpha.
constexpr int16_t kSoftenNone = 0, kSoftenBoxAverage = 1, kSoftenColourDistance = 2;

struct BitmapResult {
  bool written = false;  // a bitmap tag was appended
  // The JPEG encoder failed: the caller warns and leaves the material out.
  std::optional<mIntelJPEGLibrary::JpegError> jpegError;
  // Otherwise, when nothing was written: why, naming the file.
  std::string problem;
};

// One bitmap tag for the file under character `id`, or nothing when the file
// cannot be used. `keyColour` is 0x00BBGGRR; only forceRecompress == 1
// forces re-encoding of JPEG files.
BitmapResult WriteBitmap(int32_t id, const std::filesystem::path& path, int16_t flags, int32_t keyColour,
                         int32_t jpegQuality, int16_t forceRecompress, int32_t softening);

// The JPEG branch of WriteBitmap.
BitmapResult WriteDefineBitsJPEG(int32_t id, const std::filesystem::path& path, int16_t flags, int32_t keyColour,
                                 int32_t jpegQuality, int16_t forceRecompress, int32_t softening);

// The file as JPEG data: JPEG files unchanged, other pictures (and JPEG files
// when forced) re-encoded. A PNG with transparency fills `alpha`. False when
// nothing usable came out; `error` is set when the encoder failed, else
// `problem` says why, naming the file.
bool GetJPEGBytes(const std::filesystem::path& path, image::Bytes& jpeg, int32_t jpegQuality, int16_t forceRecompress,
                  image::AlphaPlane& alpha, std::optional<mIntelJPEGLibrary::JpegError>& error,
                  std::string& problem);

// The key-colour alpha plane of the file's picture, softened by `mode`.
// False (plane untouched) when the picture cannot be loaded.
bool GetPixelBytes(const std::filesystem::path& path, int32_t keyColour, image::AlphaPlane& alpha, int32_t& pixelCount,
                   int16_t mode, int32_t softening);

// The same for a picture in memory. A negative softening amount counts as 0.
image::AlphaPlane KeyColourAlpha(const image::Picture& picture, int32_t keyColour, int16_t mode, int32_t softening);

// DefineShape `shapeId`: a width x height pixel rectangle filled with bitmap
// `bitmapId` at 20 twips per pixel. Sides beyond 3,276 pixels get wider move
// fields and their edges split, as edge fields hold at most 17 bits.
void WriteBitmapShape(int32_t shapeId, int32_t bitmapId, int32_t width, int32_t height);

}  // namespace tesmiro::SWFMakeCore
