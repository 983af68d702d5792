#pragma once
// What kind of image or video a material file is, how large it is, what an
// FLV video holds, and the file as a picture. Probes never fail loudly: a
// missing, short or unrecognised file gives the zero record.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "media/image/picture.h"
#include "platform/result.h"

namespace tesmiro::GetImage {

enum ImageKind : int32_t { kNone = 0, kBMP = 1, kGIF = 2, kJPEG = 3, kPNG = 4, kKVG = 5, kFLV = 6 };

// Detection modes of GetImageInfo besides the kinds 1 to 6 themselves.
constexpr int32_t kByContent = 0;
constexpr int32_t kByExtension = 7;

struct ImageInfo {
  int32_t kind = kNone;
  int32_t width = 0;  // pixels (KVG: declared width; FLV: first video frame)
  int32_t height = 0;
  int32_t bits = 0;  // bits per pixel; 0 for KVG; the video codec ID for FLV
  bool operator==(const ImageInfo&) const = default;
};

// True for a file (not a folder) of at least 2 bytes.
bool FileExists(const std::filesystem::path& path);

ImageInfo GetImageInfo(const std::filesystem::path& path, int32_t mode);

// Why a file gives nothing of the kind asked for: the reader's reason when
// it cannot be read (or is not there), else "ファイル [path] " and `notOfKind`
// ("は画像ファイルではありません"), which only a file that was read deserves.
std::string NotOfKindReason(const std::filesystem::path& path, std::string_view notOfKind);

// Why a raster picture of this size cannot be loaded, in the decoders' own
// words; empty when its size is allowed, unknown (a side of 0) or the probe
// is of no raster picture.
std::string PictureSizeProblem(const ImageInfo& info);

// The per-format readers; each tests its own signature again.
ImageInfo ReadBMPInfo(const std::filesystem::path& path);
ImageInfo ReadGIFInfo(const std::filesystem::path& path);
ImageInfo ReadJPEGInfo(const std::filesystem::path& path);
ImageInfo ReadPNGInfo(const std::filesystem::path& path);
ImageInfo ReadKVGInfo(const std::filesystem::path& path);
ImageInfo ReadFLVInfo(const std::filesystem::path& path);

// The same readers over bytes already in memory (the start of the file, or
// all of it for JPEG, KVG and FLV).
ImageInfo ProbeBMP(std::span<const uint8_t> head);
ImageInfo ProbeGIF(std::span<const uint8_t> head);
ImageInfo ProbeJPEG(std::span<const uint8_t> file);
ImageInfo ProbePNG(std::span<const uint8_t> head);
ImageInfo ProbeKVG(std::span<const uint8_t> head);
ImageInfo ProbeFLV(std::span<const uint8_t> file);

struct FLVDetails {
  int32_t version = 0;
  int32_t typeFlags = 0;  // 1 video present, 4 audio present
  float frameRate = 0;    // averaged over the video tags' time stamps
  int32_t videoFrameCount = 0;
  std::string videoCodec;  // "H.263", "ScreenVideo", ...
  std::string audioCodec;  // "MP3", ...
};

// What an FLV file holds, its tags walked as far as the file holds complete
// tag headers; a failure for any other file.
Result<FLVDetails> GetFLVDetails(const std::filesystem::path& path);
Result<FLVDetails> GetFLVDetails(std::span<const uint8_t> file);

// The key frame after `frame` (direction >= 1) or before it (direction < 0),
// frames numbered from 1 in video-tag order; `frame` itself otherwise, and
// whenever the file is no FLV video or no such key frame exists.
int32_t FindFLVKeyFrame(const std::filesystem::path& path, int32_t frame, int32_t direction);
int32_t FindFLVKeyFrame(std::span<const uint8_t> file, int32_t frame, int32_t direction);

// The file as a picture, by its content. A PNG with transparency also fills
// `alpha` and comes back with premultiplied colours; every other picture
// leaves `alpha` as it was. Why not when the file is missing, not a
// picture or broken.
Result<image::Picture> LoadImagePicture(const std::filesystem::path& path, image::AlphaPlane& alpha);

}  // namespace tesmiro::GetImage
