#include "media/sound/sound_writer.h"

#include "media/sound/id3.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"

namespace tesmiro::SWFMakeCore {

bool WriteDefineSound(int32_t id, const std::string& path) {
  Result<ID3Module::SoundFile> sound = ID3Module::LoadSoundFile(path);
  if (!sound) {
    WarnUnusableSound(path);
    return false;
  }
  return WriteDefineSoundData(id, std::move(sound->audio), path);
}

bool WriteMP3StreamHead(float frameRate, const std::string& path, int16_t alreadyLoaded) {
  if (alreadyLoaded == kStreamLoadFile) {
    Result<ID3Module::SoundFile> sound = ID3Module::LoadSoundFile(path);
    if (!sound) {
      MP3Stream().data.clear();
      WarnUnusableSound(path);
      ResetSoundStream();
      return false;
    }
    MP3Stream().data = std::move(sound->audio);
  }
  return StartMP3Stream(frameRate, path);
}

}  // namespace tesmiro::SWFMakeCore
