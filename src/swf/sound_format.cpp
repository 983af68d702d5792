#include "swf/sound_format.h"

#include <algorithm>

#include "platform/byte_reader.h"

namespace tesmiro::ID3Module {
namespace {

bool StartsWith(std::span<const uint8_t> bytes, size_t at, std::string_view text) {
  if (bytes.size() < at + text.size()) return false;
  return std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
}

// Layer III bit rates in kbit/s by the header's 4-bit index; 0 = free or bad.
constexpr int32_t kBitRatesMPEG1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int32_t kBitRatesMPEG2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
// Sample rates by version bits (0 = 2.5, 1 reserved, 2 = 2, 3 = 1) and the
// 2-bit index. Index 3 is reserved in every version and makes the header unusable.
constexpr int32_t kSampleRates[4][4] = {
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

}  // namespace

bool GetSoundFormat(Bytes& audio, SoundFormat& format) {
  if (StartsWith(audio, 0, "MMMD")) return format.kind = kKindSMAF, true;
  if (StartsWith(audio, 0, "melo")) return format.kind = kKindMFi, true;
  if (StartsWith(audio, 0, "MThd")) return format.kind = kKindSMF, true;
  if (StartsWith(audio, 0, "RIFF") && StartsWith(audio, 8, "WAVE")) {
    format.kind = kKindWave;
    return ParseWave(audio, format.rateOrBits, format.sampleRate, format.stereo);
  }
  return ReadMPEGHeader(audio, format);
}

bool ReadMPEGHeader(std::span<const uint8_t> header, SoundFormat& format) {
  ByteReader r(header);
  const uint8_t b0 = r.u8(), b1 = r.u8(), b2 = r.u8(), b3 = r.u8();
  if (!r.ok() || b0 != 0xFF || (b1 & 0xE0) != 0xE0) return false;
  format.kind = (b1 >> 3) & 3;
  if (format.kind == 1) return false;
  if ((b1 & 6) != 2) return false;  // layer III only
  const int32_t* rates = format.kind == kKindMPEG1 ? kBitRatesMPEG1 : kBitRatesMPEG2;
  format.rateOrBits = rates[b2 >> 4] * 1000;
  format.sampleRate = kSampleRates[format.kind][(b2 >> 2) & 3];
  format.stereo = (b3 & 0xC0) == 0xC0 ? 0 : 1;
  return format.rateOrBits != 0 && format.sampleRate != 0;
}

bool ParseWave(Bytes& bytes, int32_t& bits, int32_t& sampleRate, uint8_t& stereo) {
  Bytes fmt = bytes;
  if (!FindRiffChunk(fmt, "fmt ")) return false;
  ByteReader r(fmt);
  const uint16_t tag = r.u16();
  const uint16_t channels = r.u16();
  const uint32_t rate = r.u32();
  r.skip(6);  // byte rate, block align
  const uint16_t sampleBits = r.u16();
  if (!r.ok() || tag != 1) return false;
  // The sound format has room for mono and stereo only.
  if (channels < 1 || channels > 2 || rate > 0x7FFFFFFFu) return false;
  stereo = static_cast<uint8_t>(channels - 1);
  sampleRate = static_cast<int32_t>(rate);
  bits = sampleBits;
  if (bits != 8 && bits != 16) return false;
  return FindRiffChunk(bytes, "data");
}

bool FindRiffChunk(Bytes& bytes, std::string_view id) {
  ByteReader r(bytes);
  if (!r.seek(12)) return false;
  while (r.has(8)) {
    const std::string chunkId = r.str(4);
    const uint32_t size = r.u32();
    if (chunkId == id) {
      // A data chunk cut short (a broken or still-growing recording) keeps
      // the samples that are there.
      const size_t n = std::min<size_t>(size, r.remaining());
      Bytes data(bytes.begin() + static_cast<std::ptrdiff_t>(r.pos()),
                 bytes.begin() + static_cast<std::ptrdiff_t>(r.pos() + n));
      bytes = std::move(data);
      return true;
    }
    const uint64_t step = static_cast<uint64_t>(size) + (size & 1);
    if (step > r.remaining()) return false;
    r.skip(static_cast<size_t>(step));
  }
  return false;
}

bool NextMP3Frame(const Bytes& data, int32_t& readIndex, int32_t frameLength, Bytes& frame) {
  const int64_t size = static_cast<int64_t>(data.size());
  const int64_t i = readIndex;
  // Shorter than a header, a frame could never move the walk forward.
  if (i < 0 || frameLength < 4 || i + 3 >= size) return false;
  const int64_t pad = (data[static_cast<size_t>(i) + 2] >> 1) & 1;
  const int64_t end = i + frameLength + pad;
  if (end > size) return false;
  frame.assign(data.begin() + i, data.begin() + end);
  int64_t j = end;
  while (j + 1 < size && !(data[static_cast<size_t>(j)] == 0xFF && (data[static_cast<size_t>(j) + 1] & 0xE0) == 0xE0)) ++j;
  readIndex = static_cast<int32_t>(std::min<int64_t>(j, size));
  return true;
}

}  // namespace tesmiro::ID3Module
