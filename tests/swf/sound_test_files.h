#pragma once
// Tiny writers of the sound and video files the tests feed to the readers:
// MPEG audio frames, RIFF WAVE files, ID3 tags and FLV files. They follow the
// published layouts directly and share no code with the product.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::testing::sound {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }
inline void Put(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void Le16(Bytes& b, uint32_t v) {
  b.push_back(v & 255);
  b.push_back((v >> 8) & 255);
}
inline void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}
inline void Be(Bytes& b, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back((v >> (8 * i)) & 255);
}

// MPEG audio layer III. version: 3 = MPEG-1, 2 = MPEG-2, 0 = MPEG-2.5.
struct Mpeg {
  int version = 3;
  int bitrateIndex = 9;  // 128 kbit/s for MPEG-1
  int rateIndex = 0;     // 44100 for MPEG-1
  bool padding = false;
  bool mono = false;
};

inline int MpegBitRate(const Mpeg& m) {
  static const int v1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static const int v2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
  return (m.version == 3 ? v1 : v2)[m.bitrateIndex] * 1000;
}
inline int MpegSampleRate(const Mpeg& m) {
  static const int base[] = {44100, 48000, 32000};
  const int divisor = m.version == 3 ? 1 : m.version == 2 ? 2 : 4;
  return m.rateIndex < 3 ? base[m.rateIndex] / divisor : 0;
}
// Bytes of the frame, padding included.
inline int MpegFrameBytes(const Mpeg& m) {
  const int perFrame = m.version == 3 ? 144 : 72;
  return perFrame * MpegBitRate(m) / MpegSampleRate(m) + (m.padding ? 1 : 0);
}
inline Bytes MpegHeader(const Mpeg& m) {
  Bytes b{0xFF, static_cast<uint8_t>(0xE0 | (m.version << 3) | (1 << 1) | 1),
          static_cast<uint8_t>((m.bitrateIndex << 4) | (m.rateIndex << 2) | (m.padding ? 2 : 0)),
          static_cast<uint8_t>(m.mono ? 0xC0 : 0x00)};
  return b;
}
// A whole frame whose body repeats `fill` (never 0xFF, so no false sync).
inline Bytes MpegFrame(const Mpeg& m, uint8_t fill = 0x11) {
  Bytes b = MpegHeader(m);
  b.resize(static_cast<size_t>(MpegFrameBytes(m)), fill);
  return b;
}
inline Bytes MpegFrames(const Mpeg& m, int count) {
  Bytes b;
  for (int i = 0; i < count; ++i) Put(b, MpegFrame(m, static_cast<uint8_t>(0x10 + i % 0x60)));
  return b;
}

inline void Chunk(Bytes& b, std::string_view id, const Bytes& data) {
  Put(b, id);
  Le32(b, static_cast<uint32_t>(data.size()));
  Put(b, data);
  if (data.size() % 2) b.push_back(0);  // RIFF pad byte
}
// A PCM WAVE file; `oddList` puts a LIST chunk of odd size before the data.
inline Bytes Wave(int channels, int rate, int bits, const Bytes& samples, bool oddList = false,
                  int formatTag = 1) {
  Bytes fmt;
  Le16(fmt, formatTag);
  Le16(fmt, channels);
  Le32(fmt, rate);
  Le32(fmt, rate * channels * bits / 8);
  Le16(fmt, channels * bits / 8);
  Le16(fmt, bits);
  Bytes body;
  Put(body, "WAVE");
  Chunk(body, "fmt ", fmt);
  if (oddList) {
    Bytes list;
    Put(list, "INFOISFT");
    Le32(list, 3);
    Put(list, "ab");
    list.push_back(0);  // 15 bytes: odd
    Chunk(body, "LIST", list);
  }
  Chunk(body, "data", samples);
  Bytes file;
  Put(file, "RIFF");
  Le32(file, static_cast<uint32_t>(body.size()));
  Put(file, body);
  return file;
}

// ID3v1 (v1.1 when track != 0) at the end of a file.
inline Bytes ID3v1(std::string_view title, std::string_view artist, std::string_view album,
                   std::string_view year, std::string_view comment, uint8_t track, uint8_t genre) {
  auto field = [](std::string_view s, size_t n) {
    Bytes f(s.begin(), s.end());
    f.resize(n, 0);
    return f;
  };
  Bytes t;
  Put(t, "TAG");
  Put(t, field(title, 30));
  Put(t, field(artist, 30));
  Put(t, field(album, 30));
  Put(t, field(year, 4));
  Bytes c = field(comment, 30);
  if (track) c[29] = track;
  Put(t, c);
  t.push_back(genre);
  return t;
}

inline Bytes Syncsafe(uint32_t v) {
  return {static_cast<uint8_t>((v >> 21) & 127), static_cast<uint8_t>((v >> 14) & 127),
          static_cast<uint8_t>((v >> 7) & 127), static_cast<uint8_t>(v & 127)};
}
// Text frame payloads.
inline Bytes Latin(std::string_view s) {
  Bytes b{0};
  Put(b, s);
  return b;
}
inline Bytes Utf16Le(std::u16string_view s, bool terminate = false) {
  Bytes b{1, 0xFF, 0xFE};
  for (char16_t c : s) Le16(b, c);
  if (terminate) Le16(b, 0);
  return b;
}
inline Bytes Utf16Be(std::u16string_view s) {
  Bytes b{1, 0xFE, 0xFF};
  for (char16_t c : s) Be(b, c, 2);
  return b;
}
inline Bytes Utf8(std::string_view s) {
  Bytes b{3};
  Put(b, s);
  return b;
}

struct ID3Frame {
  std::string id;
  Bytes data;
  bool compress = false;  // v2.3 only
};
// An ID3v2 tag of version 2, 3 or 4 with its frames and `padding` zero bytes.
inline Bytes ID3v2(int major, const std::vector<ID3Frame>& frames, size_t padding = 0) {
  Bytes body;
  for (const auto& f : frames) {
    Put(body, f.id);
    Bytes data = f.data;
    uint8_t flags = 0;
    Bytes extra;
    if (f.compress) {
      uLongf n = compressBound(data.size());
      Bytes z(n);
      compress(z.data(), &n, data.data(), data.size());
      z.resize(n);
      Be(extra, static_cast<uint32_t>(data.size()), 4);
      data = z;
      flags = 0x80;
    }
    const uint32_t size = static_cast<uint32_t>(data.size() + extra.size());
    if (major == 2) {
      Be(body, size, 3);
    } else {
      if (major == 4) Put(body, Syncsafe(size));
      else Be(body, size, 4);
      body.push_back(0);
      body.push_back(flags);
    }
    Put(body, extra);
    Put(body, data);
  }
  body.resize(body.size() + padding, 0);
  Bytes tag;
  Put(tag, "ID3");
  tag.push_back(static_cast<uint8_t>(major));
  tag.push_back(0);
  tag.push_back(0);
  Put(tag, Syncsafe(static_cast<uint32_t>(body.size())));
  Put(tag, body);
  return tag;
}

// FLV files: a header and tags of type 8 (audio) or 9 (video).
struct FlvTag {
  uint8_t type;
  uint32_t timestamp;
  Bytes data;
};
inline Bytes Flv(uint8_t typeFlags, const std::vector<FlvTag>& tags) {
  Bytes f;
  Put(f, "FLV");
  f.push_back(1);
  f.push_back(typeFlags);
  Be(f, 9, 4);
  Be(f, 0, 4);  // previous tag size 0
  for (const auto& t : tags) {
    f.push_back(t.type);
    Be(f, static_cast<uint32_t>(t.data.size()), 3);
    Be(f, t.timestamp & 0xFFFFFF, 3);
    f.push_back(0);
    Be(f, 0, 3);
    Put(f, t.data);
    Be(f, static_cast<uint32_t>(11 + t.data.size()), 4);
  }
  return f;
}
// A Sorenson H.263 packet: FLV video header byte (key or inter frame, codec
// 2), then a picture start with the given size code and a marker body.
inline Bytes H263Packet(bool key, int sizeCode, uint8_t marker) {
  // Bits after the 17-bit start code and 5-bit version: 8-bit temporal
  // reference, then the 3-bit size code. d4 low 2 bits and d5 top bit hold it.
  Bytes d{static_cast<uint8_t>((key ? 0x10 : 0x20) | 2), 0x00, 0x00, 0x84, 0x00};
  d[4] = static_cast<uint8_t>((sizeCode >> 1) & 3);
  d.push_back(static_cast<uint8_t>((sizeCode & 1) << 7));
  d.push_back(marker);
  d.push_back(marker);
  return d;
}
inline Bytes ScreenPacket(bool key, int width, int height, uint8_t marker) {
  return {static_cast<uint8_t>((key ? 0x10 : 0x20) | 3), static_cast<uint8_t>(0x30 | (width >> 8)),
          static_cast<uint8_t>(width & 255), static_cast<uint8_t>(0x30 | (height >> 8)),
          static_cast<uint8_t>(height & 255), marker};
}
// An FLV audio packet: sound format in the upper four bits of the first byte.
inline Bytes AudioPacket(int format, const Bytes& payload) {
  Bytes b{static_cast<uint8_t>((format << 4) | 0x0E)};
  Put(b, payload);
  return b;
}

}  // namespace tesmiro::testing::sound
