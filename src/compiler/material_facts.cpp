#include "compiler/material_facts.h"

#include <cstdint>

#include "compiler/materials.h"
#include "compiler/text_effects.h"
#include "media/image/get_image.h"
#include "media/sound/id3.h"

namespace tesmiro::GUICore {
namespace {

// The flag of a text item whose option string holds text-effect settings.
constexpr int16_t kTextEffectFlag = 0x2000;

InfoPanel::SoundFacts ProbeSound(const std::string& path) {
  InfoPanel::SoundFacts facts;
  Result<ID3Module::SoundFile> sound = ID3Module::LoadSoundFile(path);
  if (!sound) return facts;
  const ID3Module::SoundTag& tag = sound->tag;
  ID3Module::SoundFormat format;
  facts.ok = ID3Module::GetSoundFormat(sound->audio, format);
  facts.kind = format.kind;
  facts.rateOrBits = format.rateOrBits;
  facts.sampleRate = format.sampleRate;
  facts.stereo = format.stereo;
  facts.title = tag.title;
  facts.album = tag.album;
  facts.artist = tag.artist;
  return facts;
}

}  // namespace

InfoPanel::MaterialFacts ProbeMaterial(const StoreItem& item) {
  InfoPanel::MaterialFacts facts;
  if (!IsFileKind(item.kind) || item.name.empty()) return facts;
  facts.path = materials::ResolveMaterialPath(item);
  if (facts.path.empty()) return facts;
  switch (item.kind) {
    case StoreItemKind::Sound:
      facts.sound = ProbeSound(facts.path);
      break;
    case StoreItemKind::Video: {
      const Result<GetImage::FLVDetails> details = GetImage::GetFLVDetails(facts.path);
      const GetImage::FLVDetails d = details ? *details : GetImage::FLVDetails{};
      facts.video.ok = details.ok();
      facts.video.version = d.version;
      facts.video.typeFlags = d.typeFlags;
      facts.video.frameRate = d.frameRate;
      facts.video.frameCount = d.videoFrameCount;
      facts.video.videoCodec = d.videoCodec;
      facts.video.audioCodec = d.audioCodec;
      [[fallthrough]];
    }
    default: {
      GetImage::ImageInfo info = GetImage::GetImageInfo(facts.path, GetImage::kByContent);
      facts.image.width = info.width;
      facts.image.height = info.height;
      facts.image.sizeProblem = GetImage::PictureSizeProblem(info);
      break;
    }
  }
  return facts;
}

int32_t MaterialEventFrames(const StoreItem& item) {
  if (item.kind == StoreItemKind::Video) {
    const std::string path = materials::ResolveMaterialPath(item);
    if (path.empty()) return 0;
    const Result<GetImage::FLVDetails> details = GetImage::GetFLVDetails(path);
    return details ? details->videoFrameCount : 0;
  }
  if (item.kind == StoreItemKind::Text && (item.flags & kTextEffectFlag) != 0) {
    TextEffectSettings settings;
    if (ParseTextEffectOption(item.option, settings)) {
      int64_t total = static_cast<int64_t>(settings.inFrames) + settings.outFrames + settings.holdFrames;
      return total > 0 && total <= INT32_MAX ? static_cast<int32_t>(total) : 0;
    }
  }
  return 0;
}

}  // namespace tesmiro::GUICore
