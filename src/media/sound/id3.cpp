#include "media/sound/id3.h"

#include <algorithm>
#include <optional>

#include "media/sound/zlib_module.h"
#include "platform/byte_reader.h"
#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/numeric.h"

namespace tesmiro::ID3Module {
namespace {

using enc::AppendUtf8;

constexpr size_t kID3v1Size = 128;
constexpr size_t kID3v2HeaderSize = 10;
// Tag frames hold text; anything that inflates beyond this is not a frame
// we want to hold in memory.
constexpr int32_t kMaxInflatedFrame = 1 << 20;

bool Matches(std::span<const uint8_t> bytes, size_t at, std::string_view text) {
  if (bytes.size() < at + text.size()) return false;
  return std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Single-byte tag text: Japanese taggers write code page 932; text that is
// not valid there is taken as the Latin-1 that the tag format prescribes.
std::string DecodeSingleByte(std::span<const uint8_t> bytes) {
  std::string text = enc::Cp932ToUtf8(AsText(bytes));
  if (text.find("\xEF\xBF\xBD") == std::string::npos) return text;
  std::string latin1;
  for (uint8_t b : bytes) {
    if (b < 0x80) {
      latin1 += static_cast<char>(b);
    } else {
      latin1 += static_cast<char>(0xC0 | (b >> 6));
      latin1 += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return latin1;
}

// UTF-16 from `index` to a 0x0000 code unit or the end (a last odd byte is
// dropped); unpaired surrogates become U+FFFD.
std::string DecodeUtf16(std::span<const uint8_t> frame, size_t& index, bool littleEndian) {
  std::string out;
  std::optional<uint32_t> high;
  while (index + 1 < frame.size()) {
    const uint32_t unit = littleEndian ? frame[index] | (frame[index + 1] << 8) : (frame[index] << 8) | frame[index + 1];
    index += 2;
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00) {
      if (high) AppendUtf8(out, 0xFFFD);
      high = unit;
      continue;
    }
    if (unit >= 0xDC00 && unit < 0xE000) {
      AppendUtf8(out, high ? 0x10000 + ((*high - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD);
      high.reset();
      continue;
    }
    if (high) AppendUtf8(out, 0xFFFD);
    high.reset();
    AppendUtf8(out, unit);
  }
  if (high) AppendUtf8(out, 0xFFFD);
  if (index + 1 == frame.size()) index = frame.size();
  return out;
}

// Bytes up to a NUL or the end; `index` moves past the NUL.
std::span<const uint8_t> UpToNul(std::span<const uint8_t> frame, size_t& index) {
  const size_t start = std::min(index, frame.size());
  size_t end = start;
  while (end < frame.size() && frame[end] != 0) ++end;
  index = end < frame.size() ? end + 1 : end;
  return frame.subspan(start, end - start);
}

// `count` bytes with the tag's unsynchronisation undone (FF 00 -> FF).
std::optional<Bytes> ReadBytesAt(ByteReader& r, size_t count, bool unsync) {
  if (!r.has(count)) return std::nullopt;
  Bytes out;
  out.reserve(count);
  while (out.size() < count) {
    const uint8_t b = r.u8();
    if (!r.ok()) return std::nullopt;
    out.push_back(b);
    if (unsync && b == 0xFF && r.peek() == 0x00 && r.has(1)) r.skip(1);
  }
  return out;
}

Bytes Resynchronise(std::span<const uint8_t> bytes) {
  Bytes out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0) ++i;
  }
  return out;
}

uint32_t BigEndian(std::span<const uint8_t> bytes) {
  uint32_t v = 0;
  for (uint8_t b : bytes) v = (v << 8) | b;
  return v;
}

uint32_t Syncsafe(std::span<const uint8_t> bytes) {
  uint32_t v = 0;
  for (uint8_t b : bytes) v = (v << 7) | (b & 0x7F);
  return v;
}

int16_t YearOf(std::string_view text) {
  return num::RoundToInt16(num::Val(text));
}

// The payload of one frame, as the tag stores it once the frame's flags are
// undone; nullopt when it cannot be used (encrypted, or broken compression).
struct FrameHeader {
  std::string id;
  size_t size = 0;
  bool compressed = false;
  bool encrypted = false;
  bool unsync = false;  // the frame's own flag (v2.4)
  int32_t inflatedSize = -1;
};

std::optional<FrameHeader> ReadFrameHeader(ByteReader& r, uint8_t major, bool tagUnsync) {
  FrameHeader h;
  if (major == 3 || major == 4) {
    h.id = r.str(4);
    if (!r.ok() || h.id[0] == 0) return std::nullopt;
    if (major == 3) {
      const auto size = ReadBytesAt(r, 4, tagUnsync);
      const auto flags = ReadBytesAt(r, 2, tagUnsync);
      if (!size || !flags) return std::nullopt;
      int64_t n = BigEndian(*size);
      const uint8_t f = (*flags)[1];
      h.compressed = f & 0x80;
      h.encrypted = f & 0x40;
      if (h.compressed) {
        const auto inflated = ReadBytesAt(r, 4, tagUnsync);
        if (!inflated) return std::nullopt;
        h.inflatedSize = static_cast<int32_t>(std::min<uint32_t>(BigEndian(*inflated), INT32_MAX));
        n -= 4;
      }
      if (h.encrypted && ReadBytesAt(r, 1, tagUnsync)) --n;
      if ((f & 0x20) && ReadBytesAt(r, 1, tagUnsync)) --n;
      if (!r.ok() || n < 0) return std::nullopt;
      h.size = static_cast<size_t>(n);
    } else {
      // v2.4: syncsafe sizes counted as stored, a frame-level
      // unsynchronisation flag and an optional data-length field.
      int64_t n = Syncsafe(r.bytes(4));
      r.u8();
      const uint8_t f = r.u8();
      if (!r.ok()) return std::nullopt;
      h.compressed = f & 0x08;
      h.encrypted = f & 0x04;
      h.unsync = (f & 0x02) || tagUnsync;
      if (f & 0x40) {  // group byte
        r.skip(1);
        --n;
      }
      if (h.encrypted) {  // method byte
        r.skip(1);
        --n;
      }
      if (f & 0x01) {
        h.inflatedSize = static_cast<int32_t>(Syncsafe(r.bytes(4)));
        n -= 4;
      }
      if (!r.ok() || n < 0) return std::nullopt;
      h.size = static_cast<size_t>(n);
    }
  } else {
    h.id = r.str(3);
    if (!r.ok() || h.id[0] == 0) return std::nullopt;
    const auto size = ReadBytesAt(r, 3, tagUnsync);
    if (!size) return std::nullopt;
    h.size = BigEndian(*size);
  }
  return h;
}

std::optional<Bytes> ReadFrameData(ByteReader& r, const FrameHeader& h, uint8_t major, bool tagUnsync) {
  std::optional<Bytes> data;
  if (major == 4) {
    const auto raw = r.bytes(h.size);
    if (!r.ok()) return std::nullopt;
    data = h.unsync ? Resynchronise(raw) : Bytes(raw.begin(), raw.end());
  } else {
    data = ReadBytesAt(r, h.size, tagUnsync);
    if (!data) return std::nullopt;
  }
  if (h.encrypted) return std::nullopt;  // no key; the bytes would only be noise
  if (h.compressed) {
    int32_t expected = h.inflatedSize < 0 ? kMaxInflatedFrame : h.inflatedSize;
    if (expected > kMaxInflatedFrame) return std::nullopt;
    if (zlibModule::ZUncompress(*data, static_cast<int32_t>(data->size()), expected) < 0) return std::nullopt;
  }
  return data;
}

void TakeFrame(ID3v2Header& tag, std::string_view id, std::span<const uint8_t> data) {
  struct TextField {
    std::string_view v3, v2;
    std::string ID3v2Header::*member;
  };
  static const TextField kTextFields[] = {
      {"TALB", "TAL", &ID3v2Header::album},      {"TCON", "TCO", &ID3v2Header::genre},
      {"TIT1", "TT1", &ID3v2Header::contentGroup}, {"TIT2", "TT2", &ID3v2Header::title},
      {"TIT3", "TT3", &ID3v2Header::subtitle},   {"TPE1", "TP1", &ID3v2Header::leadArtist},
      {"TPE2", "TP2", &ID3v2Header::band},       {"TPE3", "TP3", &ID3v2Header::conductor},
      {"TPE4", "TP4", &ID3v2Header::remixer},    {"TRCK", "TRK", &ID3v2Header::track},
  };
  for (const auto& f : kTextFields) {
    if (id == f.v3 || id == f.v2) {
      size_t i = 0;
      tag.*f.member = DecodeID3Text(data, i, 255);
      return;
    }
  }
  // v2.4 replaced the year frame by the recording time, which starts with it.
  if (id == "TYER" || id == "TYE" || (id == "TDRC" && tag.majorVersion == 4)) {
    size_t i = 0;
    tag.year = YearOf(DecodeID3Text(data, i, 255));
  } else if (id == "COMM" || id == "COM") {
    if (data.size() < 4) return;
    const int encoding = data[0];
    size_t i = 4;  // encoding byte and language
    tag.commentDescription = DecodeID3Text(data, i, encoding);
    tag.commentText = DecodeID3Text(data, i, encoding);
  }
}

}  // namespace

namespace {

// Reads the file's tags; the index of its first audio byte.
size_t ReadTags(std::span<const uint8_t> file, SoundTag& tag) {
  size_t first = 0;
  switch (GetTagType(file)) {
    case kTagID3v1:
      tag = ReadID3v1(file);
      break;
    case kTagID3v2: {
      const ID3v2Header h = ReadID3v2(file);
      tag.title = h.title;
      tag.artist = h.leadArtist;
      tag.album = h.album;
      first = kID3v2HeaderSize + static_cast<size_t>(h.tagSize);
      // A v2.4 footer repeats the header after the tag.
      if (h.majorVersion == 4 && file.size() > 5 && TestBit(file[5], 4)) first += kID3v2HeaderSize;
      break;
    }
    case kTagNone:
      break;
  }
  return first;
}

// End of the audio: before an ID3v1 tag when the file is longer than it.
size_t AudioEnd(std::span<const uint8_t> file) {
  if (file.size() > kID3v1Size && Matches(file, file.size() - kID3v1Size, "TAG")) return file.size() - kID3v1Size;
  return file.size();
}

}  // namespace

Result<SoundFile> LoadSoundFile(const std::filesystem::path& path) {
  auto file = fileio::ReadAll(path, kMaxSoundFileBytes);
  if (!file) return Failure{file.message()};
  SoundFile sound;
  // The audio is cut out of the file's own buffer: a copy would hold the
  // sound twice.
  const size_t first = ReadTags(*file, sound.tag);
  const size_t end = AudioEnd(*file);
  if (first >= end) return sound;
  file->resize(end);
  file->erase(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(first));
  sound.audio = std::move(*file);
  return sound;
}

void LoadSoundBytes(std::span<const uint8_t> file, Bytes& audio, SoundTag& tag) {
  audio = ReadAudioBytes(file, ReadTags(file, tag));
}

TagType GetTagType(std::span<const uint8_t> file) {
  if (Matches(file, 0, "ID3")) return kTagID3v2;
  if (file.size() >= kID3v1Size && Matches(file, file.size() - kID3v1Size, "TAG")) return kTagID3v1;
  return kTagNone;
}

Bytes ReadAudioBytes(std::span<const uint8_t> file, size_t first) {
  const size_t end = AudioEnd(file);
  if (first >= end) return {};
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(first), file.begin() + static_cast<std::ptrdiff_t>(end));
}

SoundTag ReadID3v1(std::span<const uint8_t> file) {
  SoundTag tag;
  if (file.size() < kID3v1Size) return tag;
  const auto t = file.subspan(file.size() - kID3v1Size);
  tag.title = ReadFixedString(t.subspan(3), 30, true);
  tag.artist = ReadFixedString(t.subspan(33), 30, true);
  tag.album = ReadFixedString(t.subspan(63), 30, true);
  tag.year = YearOf(AsText(t.subspan(93, 4)));
  const auto comment = t.subspan(97, 30);
  size_t commentLength = 0;
  while (commentLength < comment.size() && comment[commentLength] != 0) ++commentLength;
  tag.comment = DecodeSingleByte(comment.first(commentLength));
  tag.genre = t[127];
  if (commentLength < 29) {
    tag.versionFlag = 1;
    tag.track = t[126];
  }
  return tag;
}

ID3v2Header ReadID3v2(std::span<const uint8_t> file) {
  ID3v2Header tag;
  ByteReader r(file);
  if (r.str(3) != "ID3") return tag;
  tag.majorVersion = r.u8();
  tag.revision = r.u8();
  const uint8_t flags = r.u8();
  const auto sizeBytes = r.bytes(4);
  if (!r.ok()) return tag;
  const bool unsync = TestBit(flags, 7);
  tag.unsynchronisation = unsync ? -1 : 0;
  tag.extendedHeader = TestBit(flags, 6) ? -1 : 0;
  tag.experimental = TestBit(flags, 5) ? -1 : 0;
  tag.tagSize = static_cast<int32_t>(Syncsafe(sizeBytes));

  uint32_t padding = 0;
  if (tag.majorVersion == 3 && tag.extendedHeader) {
    const auto size = ReadBytesAt(r, 4, unsync);
    const auto extFlags = ReadBytesAt(r, 2, unsync);
    const auto pad = ReadBytesAt(r, 4, unsync);
    if (!size || !extFlags || !pad) return tag;
    padding = BigEndian(*pad);
    if (TestBit((*extFlags)[0], 7)) {
      tag.crcPresent = -1;
      if (const auto crc = ReadBytesAt(r, 4, unsync)) tag.crc = static_cast<int32_t>(BigEndian(*crc));
    }
    // The header may be longer than the fields we know; its size decides.
    r.seek(kID3v2HeaderSize + 4 + BigEndian(*size));
  } else if (tag.majorVersion == 4 && tag.extendedHeader) {
    const uint32_t size = Syncsafe(r.bytes(4));
    r.u8();  // number of flag bytes
    if (TestBit(r.u8(), 5)) tag.crcPresent = -1;
    r.seek(kID3v2HeaderSize + size);
  }
  if (!r.ok() || tag.majorVersion > 4) return tag;

  const int64_t tagEnd = static_cast<int64_t>(kID3v2HeaderSize) + tag.tagSize - padding;
  while (r.ok() && static_cast<int64_t>(r.pos()) < tagEnd) {
    const auto header = ReadFrameHeader(r, tag.majorVersion, unsync);
    if (!header) break;
    // A frame longer than the file is cut off: nothing after it can be read.
    if (header->size > r.remaining()) break;
    if (const auto data = ReadFrameData(r, *header, tag.majorVersion, unsync))
      TakeFrame(tag, header->id, *data);
  }
  return tag;
}

std::string DecodeID3Text(std::span<const uint8_t> frame, size_t& index, int encoding) {
  if (encoding == 255) {
    if (index >= frame.size()) return {};
    encoding = frame[index++];
  }
  switch (encoding) {
    case 0:
      return DecodeSingleByte(UpToNul(frame, index));
    case 1: {
      if (index + 2 > frame.size()) return {};
      const bool littleEndian = frame[index] == 0xFF;
      index += 2;
      return DecodeUtf16(frame, index, littleEndian);
    }
    case 2:
      return DecodeUtf16(frame, index, false);
    case 3: {
      const auto bytes = UpToNul(frame, index);
      if (enc::IsValidUtf8(AsText(bytes))) return std::string(AsText(bytes));
      return DecodeSingleByte(bytes);
    }
    default:
      return {};
  }
}

std::string ReadFixedString(std::span<const uint8_t> bytes, size_t count, bool stopAtNul) {
  count = std::min(count, bytes.size());
  size_t n = 0;
  while (n < count && !(stopAtNul && bytes[n] == 0)) ++n;
  return DecodeSingleByte(bytes.first(n));
}

bool TestBit(uint8_t value, int n) { return n >= 0 && n < 8 && (value >> n) & 1; }

void ParseVolumeParam(std::string_view text, int32_t& left, int32_t& right) {
  left = right = 100;
  if (!text.starts_with("vol")) return;
  const std::string_view rest = text.substr(3);
  const size_t semicolon = rest.find(';');
  auto volume = [](std::string_view part) {
    const double v = num::RoundHalfEven(num::Val(part));
    return (v < 0 || v > 100) ? 100 : static_cast<int32_t>(v);
  };
  left = volume(rest.substr(0, semicolon));
  if (semicolon != std::string_view::npos) {
    const std::string_view second = rest.substr(semicolon + 1);
    right = volume(second.substr(0, second.find(';')));
  }
}

}  // namespace tesmiro::ID3Module
