#pragma once
// What kind of audio a byte array holds, and the walk over MPEG audio frames.
// These work on audio bytes whose tags are already removed; reading files and
// their ID3 tags lives with the media readers (media/sound/id3.h).
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tesmiro::ID3Module {

using Bytes = std::vector<uint8_t>;

// Kinds of audio; the MPEG kinds are the version bits of the frame header.
constexpr int32_t kKindSMAF = -1;
constexpr int32_t kKindMFi = -2;
constexpr int32_t kKindSMF = -3;
constexpr int32_t kKindWave = -16;
constexpr int32_t kKindMPEG1 = 3;
constexpr int32_t kKindMPEG2 = 2;
constexpr int32_t kKindMPEG25 = 0;

struct SoundFormat {
  int32_t kind = 0;
  int32_t rateOrBits = 0;  // MPEG: bit rate in bits per second; WAV: bits per sample
  int32_t sampleRate = 0;
  uint8_t stereo = 0;  // MPEG: 1 unless mono; WAV: channels - 1
};

// Probes the audio bytes. For a WAV the array is cut down to its samples (the
// "data" chunk) on success. False when the format is not usable; `format`
// then holds the kind as far as it was read.
bool GetSoundFormat(Bytes& audio, SoundFormat& format);
// The MPEG audio frame header at the start of `header` (layer III only).
bool ReadMPEGHeader(std::span<const uint8_t> header, SoundFormat& format);
// A PCM WAV: 8 or 16 bits; `bytes` becomes the samples on success.
bool ParseWave(Bytes& bytes, int32_t& bits, int32_t& sampleRate, uint8_t& stereo);
// Replaces `bytes` by the data of the first chunk with this ID (the RIFF
// header's 12 bytes are skipped). Chunks of odd size are followed by a pad byte.
bool FindRiffChunk(Bytes& bytes, std::string_view id);
// Copies the MP3 frame at `readIndex` (frameLength bytes plus its padding
// byte) into `frame` and moves `readIndex` to the next frame sync. False when
// no whole frame is left.
bool NextMP3Frame(const Bytes& data, int32_t& readIndex, int32_t frameLength, Bytes& frame);

}  // namespace tesmiro::ID3Module
