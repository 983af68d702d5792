#pragma once
// The sound writers that start from a file: they load it (tags removed) and
// hand the audio to the tag writers of swf/sound_tags.h and swf/sound_stream.h.
#include <cstdint>
#include <string>

namespace tesmiro::SWFMakeCore {

// One DefineSound for the sound file, or a warning and nothing: why the file
// could not be read, or the unusable-sound warning for one that is no sound.
// True when the tag was written.
bool WriteDefineSound(int32_t id, const std::string& path);

constexpr int16_t kStreamLoadFile = 0;
constexpr int16_t kStreamDataLoaded = -1;  // the stream data is already in MP3Stream()
// The SoundStreamHead of an MP3 stream and a started stream, or a warning and
// no stream. True when the stream started.
bool WriteMP3StreamHead(float frameRate, const std::string& path, int16_t alreadyLoaded);

}  // namespace tesmiro::SWFMakeCore
