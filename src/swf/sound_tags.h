#pragma once
// Event sounds: DefineSound for a sound item and StartSound for play, stop
// and loop. Loading the file is the media readers' part (media/sound); these
// take the audio bytes with their tags removed.
#include <cstdint>
#include <string_view>
#include <vector>

namespace tesmiro::SWFMakeCore {

enum SoundKind : int16_t { kSoundPlay = 0, kSoundStop = 1, kSoundLoop = 2 };

// The 2-bit rate code of the sound format byte, or -1 for a rate no code can
// play at its speed (above 48 kHz, or not positive).
int32_t SoundRateCode(int32_t sampleRate);

// One DefineSound tag for MP3, PCM WAV or a mobile-phone sound, or the
// unusable-sound warning naming `path` and nothing written.
bool WriteDefineSoundData(int32_t id, std::vector<uint8_t> audio, std::string_view path);
// Volumes are percentages (0 to 100) of the left and right channel.
void WriteStartSound(int32_t soundId, int16_t kind, int32_t left, int32_t right);

// Appends a tag that was built whole in a buffer of its own, so that a
// failure half-way never leaves part of a tag in the movie.
void AppendTag(const std::vector<uint8_t>& tag);

// The warnings of the sound writers.
void WarnUnusableSound(std::string_view path);
void WarnNotStreamable(std::string_view path);
// A good MP3 that the movie's frame rate cannot stream (a block would need
// more samples than its 16-bit count holds).
void WarnStreamFrameRate(std::string_view path, float frameRate);

}  // namespace tesmiro::SWFMakeCore
