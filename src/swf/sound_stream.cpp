#include "swf/sound_stream.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "platform/byte_reader.h"
#include "platform/numeric.h"
#include "swf/sound_format.h"
#include "swf/sound_tags.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

MP3StreamState gStream;

constexpr double kSilentRate = 5512.0;

int32_t SamplesPerMovieFrame(float frameRate) {
  return num::RoundToInt32(gStream.sampleRate / static_cast<double>(frameRate));
}

// One MP3 frame of the stream into `frame`; false when the data ran out.
// The frame's own header decides its length (bit rates may vary), except
// when it cannot be read: then the length of the frame before is kept.
bool TakeFrame(std::vector<uint8_t>& frame) {
  const auto& data = gStream.data;
  const int64_t at = gStream.readIndex;
  if (at + 4 < static_cast<int64_t>(data.size()) - 1) {
    ID3Module::SoundFormat header;
    if (ID3Module::ReadMPEGHeader(std::span(data).subspan(static_cast<size_t>(at), 5), header))
      gStream.frameLength = num::FloorToInt32(static_cast<double>(gStream.samplesPerMP3Frame) *
                                              header.rateOrBits / gStream.sampleRate / 8.0);
  }
  return ID3Module::NextMP3Frame(data, gStream.readIndex, gStream.frameLength, frame);
}

}  // namespace

MP3StreamState& MP3Stream() { return gStream; }
void ClearMP3StreamState() { gStream = MP3StreamState{}; }

void ResetSoundStream() { gStream.readIndex = -1; }

bool StartMP3Stream(float frameRate, std::string_view path) {
  ID3Module::SoundFormat f;
  // Only the header matters here; probing a copy keeps a WAV's bytes intact.
  ID3Module::Bytes probe(gStream.data.begin(), gStream.data.begin() + std::min<size_t>(gStream.data.size(), 16));
  const bool usable = ID3Module::GetSoundFormat(probe, f) && !gStream.data.empty() && gStream.data[0] == 0xFF;
  if (!usable || f.kind < 0) {
    if (f.kind < 0) WarnNotStreamable(path);
    else WarnUnusableSound(path);
    ResetSoundStream();
    return false;
  }
  const int32_t samplesPerMP3Frame = f.kind == ID3Module::kKindMPEG1 ? 1152 : 576;
  const double perFrame = frameRate > 0 ? num::RoundHalfEven(f.sampleRate / static_cast<double>(frameRate)) : 0;
  // A block's sample count is 16 bits: a frame rate so low that one movie
  // frame needs more samples cannot be streamed.
  if (!(perFrame > 0 && perFrame + samplesPerMP3Frame <= 65535)) {
    WarnStreamFrameRate(path, frameRate);
    ResetSoundStream();
    return false;
  }
  const int32_t code = SoundRateCode(f.sampleRate);
  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::SoundStreamHead, 6);
  tag.u8(static_cast<uint8_t>(code * 4 + 2 + f.stereo));
  tag.u8(static_cast<uint8_t>(code * 4 + 0x20 + 2 + f.stereo));
  tag.u16(static_cast<uint16_t>(perFrame));
  tag.u16(0);  // LatencySeek
  AppendTag(tag.data());

  gStream.readIndex = 0;
  gStream.samplesPerMP3Frame = samplesPerMP3Frame;
  gStream.frameLength =
      num::FloorToInt32(static_cast<double>(samplesPerMP3Frame) * f.rateOrBits / f.sampleRate / 8.0);
  gStream.carry = 0;
  gStream.sampleRate = f.sampleRate;
  gStream.lastBlockFrame = WriterState().currentFrame;
  return true;
}

void WriteMP3StreamBlock(float frameRate) {
  const int32_t current = WriterState().currentFrame;
  if (gStream.readIndex == -1 || current <= gStream.lastBlockFrame || !(frameRate > 0)) return;
  gStream.lastBlockFrame += 1;
  const int32_t perFrame = SamplesPerMovieFrame(frameRate);
  const int32_t need = (perFrame + gStream.carry) / gStream.samplesPerMP3Frame;

  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::SoundStreamBlock, 0, TagForm::Long);
  const size_t sampleCountAt = tag.size();
  tag.u16(0);
  int32_t written = 0;
  bool ended = false;
  if (need < 1) {
    tag.u16(0);
  } else {
    tag.u16(static_cast<uint16_t>(gStream.carry));
    std::vector<uint8_t> frame;
    for (int32_t k = 0; k < need; ++k) {
      if (!TakeFrame(frame)) {
        ended = true;
        break;
      }
      tag.bytes(frame);
      ++written;
    }
  }
  const int32_t samples = gStream.samplesPerMP3Frame * written;
  tag.data()[sampleCountAt] = static_cast<uint8_t>(samples & 255);
  tag.data()[sampleCountAt + 1] = static_cast<uint8_t>((samples >> 8) & 255);
  gStream.carry = perFrame + gStream.carry - samples;
  tag.patchU32(2, static_cast<uint32_t>(tag.size() - 6));
  AppendTag(tag.data());
  if (ended) ResetSoundStream();
}

void SkipMP3Stream(float frameRate, int32_t frames) {
  std::vector<uint8_t> frame;
  for (int32_t n = 0; n < frames; ++n) {
    if (gStream.readIndex == -1 || !(frameRate > 0)) return;
    const int32_t perFrame = SamplesPerMovieFrame(frameRate);
    const int32_t need = (perFrame + gStream.carry) / gStream.samplesPerMP3Frame;
    int32_t taken = 0;
    bool ended = false;
    for (int32_t k = 0; k < need; ++k) {
      if (!TakeFrame(frame)) {
        ended = true;
        break;
      }
      ++taken;
    }
    gStream.carry = perFrame + gStream.carry - gStream.samplesPerMP3Frame * taken;
    if (ended) {
      ResetSoundStream();
      return;
    }
  }
  if (frames > 0) gStream.lastBlockFrame = frames;
}

void WriteSilentStreamHead(float frameRate) {
  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::SoundStreamHead, 4);
  tag.u8(0x02);  // playback: 5.5 kHz, 16-bit, mono
  tag.u8(0x12);  // stream: ADPCM, 5.5 kHz, 16-bit, mono
  const int32_t perFrame = frameRate > 0 ? num::FloorToInt32(kSilentRate / frameRate) : 0;
  tag.u16(static_cast<uint16_t>(std::clamp(perFrame, 0, 65535)));
  AppendTag(tag.data());
}

void WriteSilentStreamBlock(float frameRate) {
  if (WriterState().currentFrame < WriterState().highestFrame || gStream.readIndex >= 0) return;
  if (!(frameRate > 0)) return;
  const int32_t n = num::FloorToInt32(kSilentRate / frameRate / 8.0 * 5.0) + 1;
  static constexpr uint8_t kSilence[5] = {0x08, 0x42, 0x10, 0x84, 0x21};
  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::SoundStreamBlock, n + 3, TagForm::Long);
  // ADPCM header: 5-bit codes (2 + 2 bits), first sample 0, step index 0.
  tag.u8(0xC0);
  tag.u8(0x00);
  tag.u8(0x00);
  for (int32_t i = 0; i < n; ++i) tag.u8(kSilence[i % 5]);
  AppendTag(tag.data());
}

}  // namespace tesmiro::SWFMakeCore
