#include "media/video/flv_video.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "media/image/byte_source.h"
#include "media/image/get_image.h"
#include "media/sound/sound_writer.h"
#include "platform/byte_reader.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

FLVReadState gFLV;

constexpr uint64_t kFirstTagAt = 9;  // the walks read each previous-tag size with the tag header after it
constexpr size_t kTagLead = 15;      // previous-tag size + 11-byte tag header
constexpr uint8_t kAudioTag = 8, kVideoTag = 9;
constexpr uint8_t kFLVAudioMP3 = 2;
constexpr uint8_t kFLVHasAudio = 4;
constexpr int32_t kMaxFrameNumber = 65535;
constexpr int32_t kCodecScreenVideo = 3;

struct TagLead {
  uint8_t type = 0;
  uint32_t dataSize = 0;
  uint64_t dataAt = 0;
};

// The tag whose previous-tag size starts at `at`; nothing at the end of the
// file or when the header is cut off.
std::optional<TagLead> ReadTagLead(image::ByteSource& file, uint64_t at) {
  ByteReader r(file.read(at, kTagLead));
  r.skip(4);
  TagLead t;
  t.type = r.u8();
  t.dataSize = r.u24be();
  r.skip(7);
  if (!r.ok()) return std::nullopt;
  t.dataAt = at + kTagLead;
  return t;
}

void Warn(std::string text) { WriterState().diagnostics.push_back({Diagnostic::Kind::Warning, std::move(text)}); }

void StopVideo() {
  gFLV.videoDataPosition = 0;
  gFLV.videoDataSize = 0;
}

}  // namespace

FLVReadState& FLVRead() { return gFLV; }

bool WriteDefineVideoStream(int32_t id, int32_t frameCount, const std::string& path, int32_t startFrame,
                            bool soundWanted, std::string* problem) {
  gFLV = FLVReadState{};
  if (GetSWFVersion() == 4) {
    Warn("SWF4ではFLVビデオは使用できません。");
    return false;
  }
  const auto notVideo = [&] {
    if (problem) *problem = GetImage::NotOfKindReason(path, "はFLVビデオではありません");
    return false;
  };
  const GetImage::ImageInfo info = GetImage::GetImageInfo(path, GetImage::kByContent);
  if (info.kind != GetImage::kFLV) return notVideo();
  image::FileSource file(path);
  const auto header = file.read(0, 9);
  if (!file.ok() || header.size() < 9) return notVideo();

  gFLV.codec = info.bits;
  // 0 no audio wanted or usable, 1 wanted, 2 MP3 gathered.
  int audioState = soundWanted && (header[4] & kFLVHasAudio) ? 1 : 0;
  Bytes audio;
  int32_t videoCount = 0;
  const int32_t startPoint = std::max(startFrame, 1);
  bool reached = startPoint == 1;
  for (uint64_t at = kFirstTagAt;;) {
    const auto tag = ReadTagLead(file, at);
    if (!tag) break;
    if (tag->type == kVideoTag) {
      ++videoCount;
      if (videoCount <= startPoint) {
        gFLV.videoDataSize = static_cast<int32_t>(tag->dataSize);
        gFLV.videoDataPosition = static_cast<int64_t>(tag->dataAt);
      }
      if (videoCount >= startPoint) reached = true;
      if (reached && audioState == 0) break;
    } else if (tag->type == kAudioTag && reached && audioState != 0 && tag->dataSize >= 1) {
      const auto data = file.read(tag->dataAt, tag->dataSize);
      if (data.size() < tag->dataSize) break;  // cut off: keep what came before
      if ((data[0] >> 4) == kFLVAudioMP3) {
        audio.insert(audio.end(), data.begin() + 1, data.end());
        audioState = 2;
      } else {
        audioState = 0;
      }
    }
    at = tag->dataAt + tag->dataSize;
  }

  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::DefineVideoStream, 10);
  tag.u16(static_cast<uint16_t>(id));
  tag.u16(static_cast<uint16_t>(std::clamp(frameCount, 0, kMaxFrameNumber)));
  tag.u16(static_cast<uint16_t>(info.width));
  tag.u16(static_cast<uint16_t>(info.height));
  tag.u8(0);  // no deblocking, no smoothing
  tag.u8(static_cast<uint8_t>(info.bits));
  AppendTag(tag.data());

  if (audioState == 2) {
    MP3Stream().data = std::move(audio);
    WriteMP3StreamHead(WriterState().frameRate, path, kStreamDataLoaded);
  }
  return true;
}

void WriteVideoFrame(int32_t id, int32_t frameNumber, const std::string& path) {
  if (GetSWFVersion() == 4 || gFLV.videoDataSize == 0) return;
  if (frameNumber < 0 || frameNumber > kMaxFrameNumber) {
    Warn("ビデオ [" + path + "] のフレーム番号が " + std::to_string(kMaxFrameNumber) +
         " を超えたため、以降のフレームは出力されません。");
    StopVideo();
    return;
  }
  image::FileSource file(path);
  const uint32_t size = static_cast<uint32_t>(gFLV.videoDataSize);
  const auto packet = file.read(static_cast<uint64_t>(gFLV.videoDataPosition), size);
  if (!file.ok() || packet.size() < size) {  // the file changed or was cut off
    StopVideo();
    return;
  }
  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::VideoFrame, 0, TagForm::Long);
  tag.u16(static_cast<uint16_t>(id));
  tag.u16(static_cast<uint16_t>(frameNumber));
  // An H.263 picture starts right after the FLV header byte (frame type and
  // codec). Screen Video packets keep that byte: players take the key-frame
  // flag from it and misread the blocks without it.
  tag.bytes(gFLV.codec == kCodecScreenVideo ? packet : packet.subspan(1));
  tag.patchU32(2, static_cast<uint32_t>(tag.size() - 6));
  AppendTag(tag.data());

  const uint64_t next = static_cast<uint64_t>(gFLV.videoDataPosition) + size;
  gFLV.videoDataSize = 0;
  for (uint64_t at = next;;) {
    const auto lead = ReadTagLead(file, at);
    if (!lead) break;
    if (lead->type == kVideoTag) {
      gFLV.videoDataSize = static_cast<int32_t>(lead->dataSize);
      gFLV.videoDataPosition = static_cast<int64_t>(lead->dataAt);
      break;
    }
    at = lead->dataAt + lead->dataSize;
  }
}

}  // namespace tesmiro::SWFMakeCore
