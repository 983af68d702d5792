#include "media/sound/sound_writer.h"

#include "media/sound/id3.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"

namespace tesmiro::SWFMakeCore {

bool WriteDefineSound(int32_t id, const std::string& path) {
  ID3Module::Bytes audio;
  ID3Module::SoundTag tag;
  if (!ID3Module::LoadSoundFile(path, audio, tag)) {
    WarnUnusableSound(path);
    return false;
  }
  return WriteDefineSoundData(id, std::move(audio), path);
}

bool WriteMP3StreamHead(float frameRate, const std::string& path, int16_t alreadyLoaded) {
  if (alreadyLoaded == kStreamLoadFile) {
    ID3Module::SoundTag tag;
    if (!ID3Module::LoadSoundFile(path, MP3Stream().data, tag)) {
      WarnUnusableSound(path);
      ResetSoundStream();
      return false;
    }
  }
  return StartMP3Stream(frameRate, path);
}

}  // namespace tesmiro::SWFMakeCore
