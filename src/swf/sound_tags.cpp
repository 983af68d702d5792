#include "swf/sound_tags.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/byte_reader.h"
#include "platform/numeric.h"
#include "swf/sound_format.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

constexpr int32_t kMaxTagBody = std::numeric_limits<int32_t>::max() - 16;

void Warn(std::string_view path, std::string_view why) {
  WriterState().diagnostics.push_back(
      {Diagnostic::Kind::Warning,
       "ファイル [" + std::string(path) + "] " + std::string(why) + "\r\nファイルを無視して続行します。"});
}

}  // namespace

void AppendTag(const std::vector<uint8_t>& tag) {
  Bytes& out = OutputBuffer();
  out.insert(out.end(), tag.begin(), tag.end());
}

int32_t SoundRateCode(int32_t sampleRate) {
  if (sampleRate <= 0) return -1;
  // 5.5 kHz has a code of its own; a slow WAV played as 11 kHz would run at
  // twice its speed.
  if (sampleRate <= 5513) return 0;
  if (sampleRate <= 12000) return 1;
  if (sampleRate <= 24000) return 2;
  if (sampleRate <= 48000) return 3;
  return -1;
}

void WarnUnusableSound(std::string_view path) { Warn(path, "は不正なサウンドファイルです。"); }
void WarnNotStreamable(std::string_view path) { Warn(path, "はストリーミング再生できません。"); }
void WarnStreamFrameRate(std::string_view path, float frameRate) {
  Warn(path, "はフレームレート " + num::CStr(frameRate) + " のムービーではストリーミング再生できません。");
}

bool WriteDefineSoundData(int32_t id, std::vector<uint8_t> audio, std::string_view path) {
  ID3Module::SoundFormat f;
  if (!ID3Module::GetSoundFormat(audio, f) || (f.kind >= 0 && audio.front() != 0xFF) ||
      audio.size() > static_cast<size_t>(kMaxTagBody)) {
    WarnUnusableSound(path);
    return false;
  }
  ByteWriter tag;
  const size_t lengthAt = AppendTagHeader(tag.data(), TagCode::DefineSound, 0, TagForm::Long);
  tag.u16(static_cast<uint16_t>(id));
  if (f.kind >= 0) {
    const int32_t code = SoundRateCode(f.sampleRate);
    const double samples = static_cast<double>(audio.size()) / f.rateOrBits * f.sampleRate * 8.0;
    if (code < 0 || samples > std::numeric_limits<int32_t>::max()) {
      WarnUnusableSound(path);
      return false;
    }
    tag.u8(static_cast<uint8_t>(code * 4 + 0x20 + 2 + f.stereo));
    tag.i32(num::RoundToInt32(samples));
    tag.u16(0);  // SeekSamples
  } else if (f.kind == ID3Module::kKindWave) {
    const int32_t code = SoundRateCode(f.sampleRate);
    if (code < 0) {
      WarnUnusableSound(path);
      return false;
    }
    tag.u8(static_cast<uint8_t>((f.rateOrBits / 8 - 1) * 2 + code * 4 + f.stereo));
    const double samples = static_cast<double>(audio.size()) / (f.rateOrBits / 8) / (f.stereo + 1);
    tag.i32(num::RoundToInt32(samples));
  } else {
    // Mobile-phone formats: format 15 with no sample count; the player
    // hands the bytes to the device.
    tag.u8(0xF0);
    tag.u32(0);
  }
  tag.bytes(audio);
  tag.patchU32(lengthAt, static_cast<uint32_t>(tag.size() - 6));
  AppendTag(tag.data());
  return true;
}

void WriteStartSound(int32_t soundId, int16_t kind, int32_t left, int32_t right) {
  left = std::clamp(left, 0, 100);
  right = std::clamp(right, 0, 100);
  const bool envelope = !(left == 100 && right == 100) && kind != kSoundStop;
  const bool loop = kind == kSoundLoop;
  ByteWriter tag;
  AppendTagHeader(tag.data(), TagCode::StartSound, (loop ? 5 : 3) + (envelope ? 9 : 0));
  tag.u16(static_cast<uint16_t>(soundId));
  uint8_t flags = kind == kSoundStop ? 0x20 : loop ? 0x04 : 0;
  if (envelope) flags |= 0x08;
  tag.u8(flags);
  if (loop) tag.u16(65535);
  if (envelope) {
    tag.u8(1);   // one point
    tag.u32(0);  // at the start
    tag.u16(static_cast<uint16_t>(left * 32768 / 100));
    tag.u16(static_cast<uint16_t>(right * 32768 / 100));
  }
  AppendTag(tag.data());
}

}  // namespace tesmiro::SWFMakeCore
