// Any bytes as a sound file (ID3 tags, the audio probe, DefineSound and an
// MP3 stream over a few frames) and as an FLV video (details, key frames).
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/image/get_image.h"
#include "media/sound/id3.h"
#include "swf/sound_format.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "swf/swf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesmiro;
  const std::span<const uint8_t> file(data, size);
  ID3Module::Bytes audio;
  ID3Module::SoundTag tag;
  ID3Module::LoadSoundBytes(file, audio, tag);

  ID3Module::Bytes probe = audio;
  ID3Module::SoundFormat format;
  ID3Module::GetSoundFormat(probe, format);

  SWFMakeCore::WriteSWFHeader(6, 100, 100, 12.0f);
  SWFMakeCore::WriteDefineSoundData(1, audio, "fuzz");
  SWFMakeCore::MP3Stream().data = audio;
  if (SWFMakeCore::StartMP3Stream(12.0f, "fuzz")) {
    for (int i = 0; i < 4; ++i) SWFMakeCore::NextFrame();
    SWFMakeCore::SkipMP3Stream(12.0f, 2);
  }
  SWFMakeCore::ResetState();

  (void)GetImage::GetFLVDetails(file);
  GetImage::FindFLVKeyFrame(file, 3, 1);
  GetImage::FindFLVKeyFrame(file, 3, -1);
  return 0;
}
