#pragma once
// Sound files for the SWF writer and the item information panel: ID3 tags
// are read and stripped, the audio bytes returned. The probes of the audio
// bytes themselves (GetSoundFormat, NextMP3Frame) are in swf/sound_format.h
// because the stream writer needs them too.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "swf/sound_format.h"

namespace tesmiro::ID3Module {

struct SoundTag {
  int16_t versionFlag = 0;  // 1 when the ID3v1 tag carries a track number (v1.1)
  std::string title;
  std::string artist;
  std::string album;
  int16_t year = 0;
  std::string comment;
  uint8_t track = 0;
  uint8_t genre = 0;  // ID3v1 genre index, not interpreted
};

struct ID3v2Header {
  uint8_t majorVersion = 0;
  uint8_t revision = 0;
  int16_t unsynchronisation = 0;  // 0 / -1
  int16_t extendedHeader = 0;
  int16_t experimental = 0;
  int16_t crcPresent = 0;
  int32_t tagSize = 0;  // bytes after the 10-byte header
  int32_t crc = 0;
  std::string contentGroup;
  std::string title;
  std::string subtitle;
  std::string leadArtist;
  std::string band;
  std::string conductor;
  std::string remixer;
  std::string album;
  int16_t year = 0;
  std::string commentDescription;
  std::string commentText;
  std::string track;
  std::string genre;
};

// Where a file keeps its tag.
enum TagType : uint8_t { kTagID3v1 = 0, kTagID3v2 = 2, kTagNone = 4 };

// Sound files beyond this size are refused unread (about four and a half
// hours of MP3 at 128 kbit/s).
inline constexpr uint64_t kMaxSoundFileBytes = uint64_t{256} << 20;

// A sound file's audio bytes, tags removed, and what its tag says (an
// ID3v2 tag gives title, artist and album only). A failure when the file
// cannot be read or is larger than kMaxSoundFileBytes; an empty file gives
// no audio.
struct SoundFile {
  Bytes audio;
  SoundTag tag;
};
Result<SoundFile> LoadSoundFile(const std::filesystem::path& path);
// The same on a file's bytes already in memory.
void LoadSoundBytes(std::span<const uint8_t> file, Bytes& audio, SoundTag& tag);

TagType GetTagType(std::span<const uint8_t> file);
SoundTag ReadID3v1(std::span<const uint8_t> file);
ID3v2Header ReadID3v2(std::span<const uint8_t> file);
// The bytes from index `first` up to the end of the file, or up to an ID3v1
// tag when the file is longer than the tag alone.
Bytes ReadAudioBytes(std::span<const uint8_t> file, size_t first);

// Text of an ID3 frame starting at `index` (0-based), which moves past the
// text and its terminator. Encoding 0 is code page 932 (Latin-1 when the
// bytes are not valid there), 1 UTF-16 with a byte-order mark, 2 UTF-16BE,
// 3 UTF-8; 255 reads the encoding byte first. Any other encoding gives "".
std::string DecodeID3Text(std::span<const uint8_t> frame, size_t& index, int encoding);
// Up to `count` bytes before the first NUL (with stopAtNul), decoded as for
// encoding 0.
std::string ReadFixedString(std::span<const uint8_t> bytes, size_t count, bool stopAtNul);
// True when bit n (value 2^n) of the byte is set.
bool TestBit(uint8_t value, int n);

// The volume text of a sound event: "vol" left ";" right, in percent. A
// text without the prefix, a missing right part and a value outside 0 to 100
// give 100.
void ParseVolumeParam(std::string_view text, int32_t& left, int32_t& right);

}  // namespace tesmiro::ID3Module
