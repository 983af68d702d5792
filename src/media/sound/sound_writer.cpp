#include "media/sound/sound_writer.h"

#include "media/sound/id3.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

// A file that could not be read is not an invalid sound: the warning gives
// the reader's reason ("ファイル [path] がありません" and the like) instead.
void WarnUnreadableSound(const std::string& reason) {
  WriterState().diagnostics.push_back({Diagnostic::Kind::Warning, reason + "\r\nファイルを無視して続行します。"});
}

}  // namespace

bool WriteDefineSound(int32_t id, const std::string& path) {
  Result<ID3Module::SoundFile> sound = ID3Module::LoadSoundFile(path);
  if (!sound) {
    WarnUnreadableSound(sound.message());
    return false;
  }
  return WriteDefineSoundData(id, std::move(sound->audio), path);
}

bool WriteMP3StreamHead(float frameRate, const std::string& path, int16_t alreadyLoaded) {
  if (alreadyLoaded == kStreamLoadFile) {
    Result<ID3Module::SoundFile> sound = ID3Module::LoadSoundFile(path);
    if (!sound) {
      MP3Stream().data.clear();
      WarnUnreadableSound(sound.message());
      ResetSoundStream();
      return false;
    }
    MP3Stream().data = std::move(sound->audio);
  }
  return StartMP3Stream(frameRate, path);
}

}  // namespace tesmiro::SWFMakeCore
