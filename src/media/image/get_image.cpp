#include "media/image/get_image.h"

#include <algorithm>
#include <climits>

#include "media/image/byte_source.h"
#include "media/image/decoders.h"
#include "media/image/mod_png.h"
#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "platform/numeric.h"

namespace tesmiro::GetImage {
namespace {

// The first n bytes of a regular file (fewer when it is shorter), none when
// it cannot be read.
image::Bytes ReadHead(const std::filesystem::path& path, size_t n) {
  Result<std::vector<uint8_t>> head = fileio::ReadHead(path, n);
  return head ? std::move(*head) : image::Bytes{};
}

bool StartsWith(std::span<const uint8_t> data, std::string_view prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin(),
                                                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int32_t KindByContent(std::span<const uint8_t> head) {
  if (StartsWith(head, "BM")) return kBMP;
  if (StartsWith(head, "GIF")) return kGIF;
  if (StartsWith(head, "\xFF\xD8")) return kJPEG;
  if (StartsWith(head, "\x89PNG")) return kPNG;
  if (StartsWith(head, "KVG")) return kKVG;
  if (StartsWith(head, "FLV")) return kFLV;
  return kNone;
}

int32_t KindByExtension(const std::filesystem::path& path) {
  std::string name = path.string();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  if (EndsWith(name, ".bmp")) return kBMP;
  if (EndsWith(name, ".gif")) return kGIF;
  if (EndsWith(name, ".jpg") || EndsWith(name, ".jpeg")) return kJPEG;
  if (EndsWith(name, ".png")) return kPNG;
  if (EndsWith(name, ".kvg")) return kKVG;
  if (EndsWith(name, ".flv")) return kFLV;
  return kNone;
}

bool IsStartOfFrame(uint8_t marker) { return (marker >= 0xC0 && marker <= 0xC3) || (marker >= 0xC9 && marker <= 0xCB); }

// Markers without a length: TEM, the restart markers and SOI.
bool IsStandAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

ImageInfo WalkJPEGMarkers(image::ByteSource& source) {
  ByteReader start(source.read(0, 2));
  if (start.u8() != 0xFF || start.u8() != 0xD8) return {};
  uint64_t p = 2;
  for (;;) {
    // A marker may be preceded by any number of 0xFF fill bytes.
    ByteReader lead(source.read(p, 2));
    if (lead.u8() != 0xFF || !lead.ok()) return {};
    ++p;
    uint8_t marker = 0xFF;
    while (marker == 0xFF) {
      ByteReader code(source.read(p++, 1));
      marker = code.u8();
      if (!code.ok()) return {};
    }
    if (IsStandAlone(marker)) continue;
    // Image data or the end of the image before any frame header.
    if (marker == 0x00 || marker == 0xD9 || marker == 0xDA) return {};
    ByteReader lengthField(source.read(p, 2));
    uint16_t length = lengthField.u16be();
    if (!lengthField.ok() || length < 2) return {};
    if (IsStartOfFrame(marker)) {
      ByteReader frame(source.read(p + 2, length - 2u));
      if (frame.remaining() < static_cast<size_t>(length - 2u)) return {};
      frame.skip(1);  // sample precision
      int32_t height = frame.u16be();
      int32_t width = frame.u16be();
      if (!frame.ok()) return {};
      return {kJPEG, width, height, 24};
    }
    p += length;
    if (p > source.size()) return {};
  }
}

bool IsNumberStart(const std::string& token) {
  for (char c : token) {
    if (c == ' ' || c == '\t') continue;
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == '&';
  }
  return false;
}

}  // namespace

bool FileExists(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  auto size = std::filesystem::file_size(path, ec);
  return !ec && size >= 2;
}

ImageInfo GetImageInfo(const std::filesystem::path& path, int32_t mode) {
  if (!FileExists(path)) return {};
  int32_t kind = kNone;
  if (mode == kByContent) {
    kind = KindByContent(ReadHead(path, 4));
  } else if (mode == kByExtension) {
    kind = KindByExtension(path);
  } else if (mode >= kBMP && mode <= kFLV) {
    kind = mode;
  }
  switch (kind) {
    case kBMP:
      return ReadBMPInfo(path);
    case kGIF:
      return ReadGIFInfo(path);
    case kJPEG:
      return ReadJPEGInfo(path);
    case kPNG:
      return ReadPNGInfo(path);
    case kKVG:
      return ReadKVGInfo(path);
    case kFLV:
      return ReadFLVInfo(path);
    default:
      return {};
  }
}

std::string NotOfKindReason(const std::filesystem::path& path, std::string_view notOfKind) {
  const Result<std::vector<uint8_t>> head = fileio::ReadHead(path, 1);
  if (!head) return head.message();
  return "ファイル [" + path.string() + "] " + std::string(notOfKind);
}

std::string PictureSizeProblem(const ImageInfo& info) {
  const char* format = info.kind == kBMP    ? "BMP"
                       : info.kind == kGIF  ? "GIF"
                       : info.kind == kJPEG ? "JPEG"
                       : info.kind == kPNG  ? "PNG"
                                            : nullptr;
  if (format == nullptr || info.width <= 0 || info.height <= 0 ||
      image::PictureSizeAllowed(static_cast<uint64_t>(info.width), static_cast<uint64_t>(info.height)))
    return {};
  return image::SizeOutOfRange(format);
}

ImageInfo ReadBMPInfo(const std::filesystem::path& path) {
  return FileExists(path) ? ProbeBMP(ReadHead(path, 54)) : ImageInfo{};
}
ImageInfo ReadGIFInfo(const std::filesystem::path& path) {
  return FileExists(path) ? ProbeGIF(ReadHead(path, 13)) : ImageInfo{};
}
ImageInfo ReadPNGInfo(const std::filesystem::path& path) {
  return FileExists(path) ? ProbePNG(ReadHead(path, 29)) : ImageInfo{};
}
ImageInfo ReadKVGInfo(const std::filesystem::path& path) {
  return FileExists(path) ? ProbeKVG(ReadHead(path, 4096)) : ImageInfo{};
}
ImageInfo ReadJPEGInfo(const std::filesystem::path& path) {
  if (!FileExists(path)) return {};
  image::FileSource source(path);
  return source.ok() ? WalkJPEGMarkers(source) : ImageInfo{};
}

// Width and height must fit a signed 32-bit value; a negative height is a
// top-down bitmap and gives its row count.
ImageInfo ProbeBMP(std::span<const uint8_t> head) {
  ByteReader r(head);
  if (r.str(2) != "BM") return {};
  r.seek(14);
  uint32_t headerSize = r.u32();
  int64_t width = 0, height = 0;
  uint16_t bits = 0;
  if (headerSize == 12) {
    width = r.u16();
    height = r.u16();
    r.skip(2);
    bits = r.u16();
  } else {
    width = r.i32();
    height = r.i32();
    r.skip(2);
    bits = r.u16();
  }
  if (!r.ok() || width <= 0 || height == 0 || height == INT32_MIN) return {};
  return {kBMP, static_cast<int32_t>(width), static_cast<int32_t>(height < 0 ? -height : height), bits};
}

ImageInfo ProbeGIF(std::span<const uint8_t> head) {
  ByteReader r(head);
  if (r.str(3) != "GIF") return {};
  r.seek(6);
  int32_t width = r.u16();
  int32_t height = r.u16();
  int32_t bits = (r.u8() & 7) + 1;
  if (!r.ok()) return {};
  return {kGIF, width, height, bits};
}

ImageInfo ProbeJPEG(std::span<const uint8_t> file) {
  image::SpanSource source(file);
  return WalkJPEGMarkers(source);
}

ImageInfo ProbePNG(std::span<const uint8_t> head) {
  ByteReader r(head);
  if (r.str(4) != "\x89PNG") return {};
  r.seek(16);
  uint32_t width = r.u32be();
  uint32_t height = r.u32be();
  int32_t depth = r.u8();
  int32_t colourType = r.u8();
  if (!r.ok() || width > INT32_MAX || height > INT32_MAX) return {};
  int32_t bits = 0;
  if (colourType == 0 || colourType == 3) bits = depth;
  if (colourType == 2) bits = 3 * depth;
  return {kPNG, static_cast<int32_t>(width), static_cast<int32_t>(height), bits};
}

// "KVG" on the first line, then width and height as the next two values
// separated by commas or line breaks. Without both numbers the file is not
// usable and gives the zero record.
ImageInfo ProbeKVG(std::span<const uint8_t> head) {
  std::string text(head.begin(), head.end());
  if (text.compare(0, 3, "KVG") != 0) return {};
  size_t lineEnd = text.find_first_of("\r\n");
  if (lineEnd == std::string::npos) return {};
  std::vector<std::string> values;
  std::string token;
  bool inToken = false;
  for (size_t i = lineEnd; i < text.size() && values.size() < 2; ++i) {
    char c = text[i];
    if (c == ',' || c == '\r' || c == '\n') {
      if (inToken || c == ',') values.push_back(token);
      token.clear();
      inToken = false;
    } else {
      token += c;
      inToken = true;
    }
  }
  if (values.size() < 2 && inToken) values.push_back(token);
  if (values.size() < 2 || !IsNumberStart(values[0]) || !IsNumberStart(values[1])) return {};
  return {kKVG, num::RoundToInt32(num::Val(values[0])), num::RoundToInt32(num::Val(values[1])), 0};
}

Result<image::Picture> LoadImagePicture(const std::filesystem::path& path, image::AlphaPlane& alpha) {
  if (ReadPNGInfo(path).kind == kPNG) return ModPNG::LoadPNGPicture(path, alpha);
  if (!FileExists(path)) return Failure{NotOfKindReason(path, "は画像ファイルではありません")};
  auto file = fileio::ReadAll(path, image::kMaxImageFileBytes);
  if (!file) return Failure{file.message()};
  switch (KindByContent(*file)) {
    case kBMP:
      return image::DecodeBMP(*file);
    case kGIF:
      return image::DecodeGIF(*file);
    case kJPEG:
      return image::DecodeJPEG(*file);
    default:
      return Failure{"ファイル [" + path.string() + "] は画像ファイルではありません"};
  }
}

}  // namespace tesmiro::GetImage
