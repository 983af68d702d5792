// FLV header walks: the first video frame's size, the codec names and frame
// rate, and key-frame search. Numbers in FLV files are big-endian.
#include <algorithm>
#include <functional>
#include <optional>

#include "media/image/byte_source.h"
#include "media/image/get_image.h"
#include "platform/byte_reader.h"

namespace tesmiro::GetImage {
namespace {

constexpr uint64_t kFirstTagAt = 13;  // 9-byte header, 4-byte previous-tag size
constexpr size_t kTagHeaderBytes = 11;
constexpr size_t kDataBytesKept = 16;
constexpr uint8_t kAudioTag = 8, kVideoTag = 9;

struct FlvTag {
  uint8_t type = 0;
  uint32_t dataSize = 0;
  uint32_t timestamp = 0;         // milliseconds (the extension byte is not read)
  std::span<const uint8_t> data;  // the first data bytes that the file holds, at most 16
};

bool HasFLVSignature(image::ByteSource& source) {
  auto head = source.read(0, 9);
  return head.size() == 9 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V';
}

// Visits the tags in file order until `visit` returns false or no complete
// tag header is left.
void WalkTags(image::ByteSource& source, const std::function<bool(const FlvTag&)>& visit) {
  uint64_t at = kFirstTagAt;
  while (at < source.size()) {
    ByteReader r(source.read(at, kTagHeaderBytes + kDataBytesKept));
    FlvTag tag;
    tag.type = r.u8();
    tag.dataSize = r.u24be();
    tag.timestamp = r.u24be();
    r.skip(4);  // timestamp extension, stream ID
    if (!r.ok()) return;
    tag.data = r.rest().first(std::min<size_t>(r.remaining(), tag.dataSize));
    if (!visit(tag)) return;
    at += kTagHeaderBytes + tag.dataSize + 4;
  }
}

// Size of the first video frame; false when the codec is not one whose size
// the header tells, or the tag is too short to hold it.
bool ReadVideoSize(const FlvTag& tag, ImageInfo& info) {
  auto d = [&](size_t i) -> int32_t { return i < tag.data.size() ? tag.data[i] : -1; };
  if (d(0) < 0) return false;
  int32_t codec = d(0) & 15;
  if (codec == 3) {
    if (d(4) < 0) return false;
    info.bits = 3;
    info.width = (d(1) & 15) * 256 + d(2);
    info.height = (d(3) & 15) * 256 + d(4);
    return true;
  }
  if (codec != 2) return false;
  if (d(5) < 0) return false;
  info.bits = 2;
  int32_t sizeCode = (d(4) & 3) * 2 + d(5) / 128;
  switch (sizeCode) {
    case 0:
      if (d(7) < 0) return false;
      info.width = (d(5) & 127) * 2 + d(6) / 128;
      info.height = (d(6) & 127) * 2 + d(7) / 128;
      break;
    case 1:
      // Custom sizes up to 65,535 are kept whole rather than wrapped into
      // 16 signed bits.
      if (d(9) < 0) return false;
      info.width = (d(5) & 127) * 512 + d(6) * 2 + d(7) / 128;
      info.height = (d(7) & 127) * 512 + d(8) * 2 + d(9) / 128;
      break;
    case 2:
      info.width = 352, info.height = 288;
      break;
    case 3:
      info.width = 176, info.height = 144;
      break;
    case 4:
      info.width = 128, info.height = 96;
      break;
    case 5:
      info.width = 320, info.height = 240;
      break;
    case 6:
      info.width = 160, info.height = 120;
      break;
    default:
      break;
  }
  return true;
}

ImageInfo ProbeFLVSource(image::ByteSource& source) {
  if (!HasFLVSignature(source)) return {};
  ImageInfo info{kFLV, 0, 0, 0};
  bool usable = true;
  WalkTags(source, [&](const FlvTag& tag) {
    if (tag.type != kVideoTag) return true;
    usable = ReadVideoSize(tag, info);
    return false;
  });
  return usable ? info : ImageInfo{};
}

std::string VideoCodecName(int codec) {
  switch (codec) {
    case 2:
      return "H.263";
    case 3:
      return "ScreenVideo";
    case 4:
      return "On2 VP6";
    case 5:
      return "On2 Vp6 /w α";
    case 6:
      return "ScreenVideo2";
    default:
      return "不明";
  }
}

std::string AudioCodecName(int format) {
  switch (format) {
    case 0:
      return "Uncompressed";
    case 1:
      return "ADPCM";
    case 2:
      return "MP3";
    case 5:
      return "Nellymoser 8kHz";
    case 6:
      return "Nellymoser";
    default:
      return "不明";
  }
}

bool DetailsFromSource(image::ByteSource& source, FLVDetails& details) {
  if (!HasFLVSignature(source)) return false;
  auto head = source.read(0, 9);
  details = FLVDetails{};
  details.version = head[3];
  details.typeFlags = head[4];
  uint32_t lastTimestamp = 0;
  WalkTags(source, [&](const FlvTag& tag) {
    if (tag.type == kVideoTag) {
      if (details.videoCodec.empty() && !tag.data.empty()) details.videoCodec = VideoCodecName(tag.data[0] & 15);
      if (lastTimestamp > 0 && tag.timestamp != lastTimestamp) {
        double rate = 1000.0 / (static_cast<double>(tag.timestamp) - static_cast<double>(lastTimestamp));
        details.frameRate =
            details.frameRate == 0 ? static_cast<float>(rate) : static_cast<float>((rate + details.frameRate) / 2.0);
      }
      lastTimestamp = tag.timestamp;
      ++details.videoFrameCount;
    } else if (tag.type == kAudioTag) {
      if (details.audioCodec.empty() && !tag.data.empty()) details.audioCodec = AudioCodecName(tag.data[0] >> 4);
    }
    return true;
  });
  return true;
}

int32_t KeyFrameFromSource(image::ByteSource& source, int32_t frame, int32_t direction) {
  if (ProbeFLVSource(source).kind != kFLV) return frame;
  int32_t lastKey = frame, previousKey = frame, count = 0;
  std::optional<int32_t> found;
  WalkTags(source, [&](const FlvTag& tag) {
    if (tag.type != kVideoTag) return true;
    ++count;
    bool key = !tag.data.empty() && (tag.data[0] & 0xF0) == 0x10;
    if (key) {
      previousKey = lastKey;
      lastKey = count;
      if (direction >= 1 && frame < count) {
        found = count;
        return false;
      }
    }
    if (direction < 0 && frame <= count) {
      if (lastKey == frame) lastKey = previousKey;
      found = lastKey;
      return false;
    }
    return true;
  });
  return found.value_or(frame);
}

}  // namespace

ImageInfo ReadFLVInfo(const std::filesystem::path& path) {
  if (!FileExists(path)) return {};
  image::FileSource source(path);
  return source.ok() ? ProbeFLVSource(source) : ImageInfo{};
}

ImageInfo ProbeFLV(std::span<const uint8_t> file) {
  image::SpanSource source(file);
  return ProbeFLVSource(source);
}

Result<FLVDetails> GetFLVDetails(const std::filesystem::path& path) {
  FLVDetails details;
  if (FileExists(path)) {
    image::FileSource source(path);
    if (source.ok() && DetailsFromSource(source, details)) return details;
  }
  return Failure{NotOfKindReason(path, "はFLVビデオではありません")};
}

Result<FLVDetails> GetFLVDetails(std::span<const uint8_t> file) {
  image::SpanSource source(file);
  FLVDetails details;
  if (!DetailsFromSource(source, details)) return Failure{"FLVビデオではありません"};
  return details;
}

int32_t FindFLVKeyFrame(const std::filesystem::path& path, int32_t frame, int32_t direction) {
  if (!FileExists(path)) return frame;
  image::FileSource source(path);
  return source.ok() ? KeyFrameFromSource(source, frame, direction) : frame;
}

int32_t FindFLVKeyFrame(std::span<const uint8_t> file, int32_t frame, int32_t direction) {
  image::SpanSource source(file);
  return KeyFrameFromSource(source, frame, direction);
}

}  // namespace tesmiro::GetImage
