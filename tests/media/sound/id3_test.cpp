#include <gtest/gtest.h>
#include <sys/resource.h>

#include <random>

#include "media/sound/id3.h"
#include "media/sound/zlib_module.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "swf/sound_test_files.h"

namespace tesmiro::ID3Module {
namespace {

using namespace testing::sound;

// 日本語 in code page 932 and UTF-8.
const std::string kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kNihongo = "日本語";

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const auto& p : parts) Put(b, p);
  return b;
}

TEST(ID3Tags, TagTypeAndAudioBounds) {
  const Bytes audio = MpegFrames({}, 2);
  const Bytes v2 = ID3v2(3, {{"TIT2", Latin("t")}}, 5);
  const Bytes v1 = ID3v1("t", "a", "b", "2001", "c", 0, 0);
  EXPECT_EQ(GetTagType(Join({v2, audio})), kTagID3v2);
  EXPECT_EQ(GetTagType(Join({audio, v1})), kTagID3v1);
  EXPECT_EQ(GetTagType(audio), kTagNone);
  EXPECT_EQ(GetTagType({}), kTagNone);

  // ID3v2 of size S: the audio starts at S + 10 and a closing ID3v1 is cut too.
  Bytes out;
  SoundTag tag;
  tag.year = 1999;
  LoadSoundBytes(Join({v2, audio, v1}), out, tag);
  EXPECT_EQ(out, audio);
  EXPECT_EQ(tag.title, "t");
  EXPECT_EQ(tag.year, 1999);  // v2 sets title, artist and album only

  // A 128-byte file starting with "TAG" is a v1 tag but keeps all its bytes.
  const Bytes lone = ID3v1("x", "", "", "", "", 0, 0);
  EXPECT_EQ(GetTagType(lone), kTagID3v1);
  EXPECT_EQ(ReadAudioBytes(lone, 0).size(), 128u);

  // A v2 size beyond the file gives no audio instead of a read past the end.
  Bytes huge = ID3v2(3, {});
  huge[6] = 0x7F;
  Put(huge, audio);
  LoadSoundBytes(huge, out, tag);
  EXPECT_TRUE(out.empty());
}

TEST(ID3Tags, Version1And11WithJapaneseText) {
  SoundTag tag = ReadID3v1(Join({MpegFrames({}, 1), ID3v1(kNihongoSjis, "Artist", "Album", "1998", "note", 7, 12)}));
  EXPECT_EQ(tag.title, kNihongo);
  EXPECT_EQ(tag.artist, "Artist");
  EXPECT_EQ(tag.album, "Album");
  EXPECT_EQ(tag.year, 1998);
  EXPECT_EQ(tag.comment, "note");
  EXPECT_EQ(tag.versionFlag, 1);
  EXPECT_EQ(tag.track, 7);
  EXPECT_EQ(tag.genre, 12);

  // A comment of all 30 bytes leaves no room for a track: plain v1.
  tag = ReadID3v1(ID3v1("T", "", "", "20x0", std::string(30, 'c'), 0, 3));
  EXPECT_EQ(tag.versionFlag, 0);
  EXPECT_EQ(tag.track, 0);
  EXPECT_EQ(tag.comment.size(), 30u);
  EXPECT_EQ(tag.year, 20);

  // Bytes that are not code page 932 read as Latin-1 instead of replacement marks.
  tag = ReadID3v1(ID3v1("Caf\xE9\xFF", "", "", "", "", 0, 0));
  EXPECT_EQ(tag.title, "Caf\xC3\xA9\xC3\xBF");
}

TEST(ID3Tags, Version23FramesEncodingsCompressionAndUnsynchronisation) {
  Bytes comm{1, 'j', 'p', 'n'};
  Put(comm, Bytes{0xFF, 0xFE, 'd', 0, 0, 0});  // description "d", then the text
  Put(comm, Bytes{0xFF, 0xFE, 0xE5, 0x65, 0x2C, 0x67});  // 日本
  const Bytes tag = ID3v2(3, {{"TIT2", Utf16Le(u"日本語タイトル", true)},
                              {"TPE1", Latin(kNihongoSjis)},
                              {"TALB", Utf16Be(u"Album")},
                              {"TYER", Latin("2004")},
                              {"TRCK", Latin("3/12")},
                              {"TCON", Latin("(13)"), true},
                              {"COMM", comm},
                              {"XXXX", Latin("ignored")}},
                          20);
  const ID3v2Header h = ReadID3v2(tag);
  EXPECT_EQ(h.majorVersion, 3);
  EXPECT_EQ(h.tagSize, static_cast<int32_t>(tag.size() - 10));
  EXPECT_EQ(h.title, "日本語タイトル");
  EXPECT_EQ(h.leadArtist, kNihongo);
  EXPECT_EQ(h.album, "Album");
  EXPECT_EQ(h.year, 2004);
  EXPECT_EQ(h.track, "3/12");
  EXPECT_EQ(h.genre, "(13)");
  EXPECT_EQ(h.commentDescription, "d");
  EXPECT_EQ(h.commentText, "日本");

  // The same tag unsynchronised: every FF gets a 00 after it; the reader
  // takes them out again.
  Bytes unsync(tag.begin(), tag.begin() + 10);
  for (size_t i = 10; i < tag.size(); ++i) {
    unsync.push_back(tag[i]);
    if (tag[i] == 0xFF) unsync.push_back(0);
  }
  unsync[5] = 0x80;
  const Bytes size = Syncsafe(static_cast<uint32_t>(unsync.size() - 10));
  std::copy(size.begin(), size.end(), unsync.begin() + 6);
  const ID3v2Header u = ReadID3v2(unsync);
  EXPECT_EQ(u.unsynchronisation, -1);
  EXPECT_EQ(u.title, h.title);
  EXPECT_EQ(u.commentText, h.commentText);
}

TEST(ID3Tags, Version23ExtendedHeaderWithCrcAndPadding) {
  const Bytes plain = ID3v2(3, {{"TIT2", Latin("With CRC")}});
  Bytes tag(plain.begin(), plain.begin() + 10);
  tag[5] = 0x40;
  Put(tag, Bytes{0, 0, 0, 10, 0x80, 0, 0, 0, 0, 6, 0x12, 0x34, 0x56, 0x78});
  Put(tag, Bytes(plain.begin() + 10, plain.end()));
  Put(tag, Bytes{'T', 'I', 'T', '2', 0, 0});  // inside the declared padding: not a frame
  const Bytes size = Syncsafe(static_cast<uint32_t>(tag.size() - 10));
  std::copy(size.begin(), size.end(), tag.begin() + 6);
  const ID3v2Header h = ReadID3v2(tag);
  EXPECT_EQ(h.extendedHeader, -1);
  EXPECT_EQ(h.crcPresent, -1);
  EXPECT_EQ(h.crc, 0x12345678);
  EXPECT_EQ(h.title, "With CRC");
}

TEST(ID3Tags, Version24AndVersion22) {
  Bytes big(300, 'x');  // a frame size above 127 shows syncsafe sizes at work
  const Bytes v24 = ID3v2(4, {{"TXXX", big}, {"TIT2", Utf8("日本語の歌")}, {"TDRC", Utf8("2010-04-01")}});
  const ID3v2Header h = ReadID3v2(v24);
  EXPECT_EQ(h.majorVersion, 4);
  EXPECT_EQ(h.title, "日本語の歌");
  EXPECT_EQ(h.year, 2010);

  Bytes out;
  SoundTag tag;
  LoadSoundBytes(Join({v24, MpegFrames({}, 1)}), out, tag);
  EXPECT_EQ(tag.title, "日本語の歌");
  EXPECT_EQ(out, MpegFrames({}, 1));

  const ID3v2Header v22 = ReadID3v2(ID3v2(2, {{"TT2", Latin("Old")}, {"TP1", Latin("Who")}, {"TAL", Latin("Alb")}}));
  EXPECT_EQ(v22.title, "Old");
  EXPECT_EQ(v22.leadArtist, "Who");
  EXPECT_EQ(v22.album, "Alb");
}

TEST(ID3Tags, BrokenFramesAreLeftOutNotFatal) {
  // A compressed frame whose data is not a zlib stream, then a good frame.
  Bytes bad = ID3v2(3, {{"TIT2", Latin("x"), true}, {"TPE1", Latin("after")}});
  bad[10 + 10 + 4 + 2] ^= 0xFF;  // inside the zlib header
  ID3v2Header h = ReadID3v2(bad);
  EXPECT_EQ(h.title, "");
  EXPECT_EQ(h.leadArtist, "after");

  // A frame claiming more than the file holds ends the walk.
  Bytes longFrame = ID3v2(3, {{"TIT2", Latin("abc")}});
  longFrame[10 + 4] = 0x7F;
  h = ReadID3v2(longFrame);
  EXPECT_EQ(h.title, "");

  // Text decoding stays inside the frame.
  size_t i = 0;
  EXPECT_EQ(DecodeID3Text(Bytes{1, 0xFF}, i, 255), "");
  i = 0;
  EXPECT_EQ(DecodeID3Text(Bytes{1, 0xFF, 0xFE, 'a', 0, 'b', 0, 'c'}, i, 255), "ab");  // odd last byte dropped
  EXPECT_EQ(i, 8u);
  i = 0;
  EXPECT_EQ(DecodeID3Text(Bytes{1, 0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00, 0xD8, 0x00}, i, 255), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
  i = 0;
  EXPECT_EQ(DecodeID3Text(Bytes{9, 'a'}, i, 255), "");
  i = 1;
  EXPECT_EQ(DecodeID3Text(Bytes{0, 'a', 0, 'b'}, i, 0), "a");
  EXPECT_EQ(i, 3u);
}

TEST(ID3Tags, HostileBytesNeverCrash) {
  // Flips and cuts of a tag that uses every feature; the sanitizers watch.
  Bytes base = ID3v2(3, {{"TIT2", Utf16Le(u"title", true)}, {"TCON", Latin("genre"), true}, {"COMM", Latin("c")}}, 8);
  Put(base, MpegFrames({}, 2));
  Put(base, ID3v1("a", "b", "c", "1999", "d", 1, 2));
  std::mt19937 rng(9);
  for (int round = 0; round < 3000; ++round) {
    Bytes b = base;
    const int flips = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < flips; ++k) b[rng() % b.size()] = static_cast<uint8_t>(rng());
    if (round % 3 == 0) b.resize(rng() % b.size());
    Bytes audio;
    SoundTag tag;
    LoadSoundBytes(b, audio, tag);
    ASSERT_LE(audio.size(), b.size());
    SoundFormat f;
    GetSoundFormat(audio, f);
  }
}

TEST(ID3Tags, LoadSoundFileFromDisk) {
  testing::TempDir dir;
  EXPECT_FALSE(LoadSoundFile(dir / "missing.mp3"));
  const auto empty = dir / "empty.mp3";
  ASSERT_TRUE(fileio::WriteAtomic(empty, Bytes{}));
  auto sound = LoadSoundFile(empty);
  ASSERT_TRUE(sound);
  EXPECT_TRUE(sound->audio.empty());
  const auto full = dir / "song.mp3";
  ASSERT_TRUE(fileio::WriteAtomic(full, Join({MpegFrames({}, 3), ID3v1("Song", "", "", "", "", 2, 0)})));
  sound = LoadSoundFile(full);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->audio, MpegFrames({}, 3));
  EXPECT_EQ(sound->tag.title, "Song");
  EXPECT_EQ(sound->tag.track, 2);
}

TEST(ID3Tags, SoundFilesAreBoundedAndCutInPlace) {
  testing::TempDir dir;
  const auto both = dir / "both.mp3";
  ASSERT_TRUE(fileio::WriteAtomic(
      both, Join({ID3v2(3, {{"TIT2", Latin("Front")}}, 7), MpegFrames({}, 2), ID3v1("Back", "", "", "", "", 0, 0)})));
  auto sound = LoadSoundFile(both);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->audio, MpegFrames({}, 2));
  EXPECT_EQ(sound->tag.title, "Front");
  // Far beyond any sound a movie holds: refused before it is read (sparse,
  // so the file itself takes no disk).
  const auto huge = dir / "huge.mp3";
  ASSERT_TRUE(fileio::WriteAtomic(huge, MpegFrames({}, 2)));
  std::filesystem::resize_file(huge, kMaxSoundFileBytes + 1);
  struct rusage before {}, after {};
  ::getrusage(RUSAGE_SELF, &before);
  sound = LoadSoundFile(huge);
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);  // kilobytes
  ASSERT_FALSE(sound);
  EXPECT_NE(sound.message().find("大きすぎます"), std::string::npos);
}

TEST(VolumeParam, Parsing) {
  int32_t l = 0, r = 0;
  ParseVolumeParam("vol150;-5", l, r);
  EXPECT_EQ(l, 100);
  EXPECT_EQ(r, 100);
  ParseVolumeParam("vol30;70", l, r);
  EXPECT_EQ(l, 30);
  EXPECT_EQ(r, 70);
  ParseVolumeParam("volume", l, r);  // "ume" reads as 0, no right part
  EXPECT_EQ(l, 0);
  EXPECT_EQ(r, 100);
  ParseVolumeParam("vol 12.5; 40.5", l, r);  // halves to even
  EXPECT_EQ(l, 12);
  EXPECT_EQ(r, 40);
  ParseVolumeParam("Vol30;70", l, r);
  EXPECT_EQ(l, 100);
  EXPECT_EQ(r, 100);
  ParseVolumeParam("", l, r);
  EXPECT_EQ(l, 100);
}

TEST(ZlibModule, RoundTripAndFailures) {
  Bytes data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  Bytes z = data;
  const int32_t n = zlibModule::ZCompress(z, 1000);
  ASSERT_GT(n, 0);
  EXPECT_EQ(z.size(), static_cast<size_t>(n));
  Bytes back = z;
  int32_t expected = 1000;
  EXPECT_EQ(zlibModule::ZUncompress(back, n, expected), 1000);
  EXPECT_EQ(back, data);

  // Incompressible input still fits.
  std::mt19937 rng(1);
  Bytes noise(5000);
  for (auto& b : noise) b = static_cast<uint8_t>(rng());
  Bytes zn = noise;
  ASSERT_GT(zlibModule::ZCompress(zn, 5000), 0);

  // More output than allowed, and a broken stream, fail and leave the input.
  Bytes small = z;
  expected = 999;
  EXPECT_EQ(zlibModule::ZUncompress(small, n, expected), -1);
  EXPECT_EQ(small, z);
  Bytes broken = z;
  broken[n / 2] ^= 0x55;
  expected = 1000;
  EXPECT_EQ(zlibModule::ZUncompress(broken, n, expected), -1);
  EXPECT_EQ(zlibModule::ZCompress(small, 1 << 30), -1);
}

}  // namespace
}  // namespace tesmiro::ID3Module
