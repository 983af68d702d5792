#include <climits>
#include <cmath>

#include "support/swf_tags.h"
#include "swf/bit_writer.h"
#include "swf_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

TEST_F(WriterTest, ReserveAndHexAppendAtTheEnd) {
  EXPECT_EQ(Reserve(2), 0);
  EXPECT_EQ(OutHex(), "00 00");
  OutputBuffer().assign(10, 1);
  EXPECT_EQ(Reserve(3), 10);
  OutputBuffer().clear();
  WriteHex("BF06");
  WriteHex("04000000");
  WriteHex("ff");
  EXPECT_EQ(OutHex(), "BF 06 04 00 00 00 FF");
}

TEST_F(WriterTest, SplitWordAndLongGiveTwosComplementBytes) {
  uint8_t hi, lo;
  SplitWord(-1, hi, lo);
  EXPECT_EQ(hi, 0xFF);
  EXPECT_EQ(lo, 0xFF);
  uint8_t b1, b2, b3, b4;
  SplitLong(300, b1, b2, b3, b4);
  EXPECT_EQ((std::vector<uint8_t>{b4, b3, b2, b1}), (std::vector<uint8_t>{0x2C, 0x01, 0, 0}));
  EXPECT_EQ(Hex(LongToBytes(-2)), "FE FF FF FF");
  EXPECT_EQ(Hex(FloatToBytes(1.0f)), "00 00 80 3F");
}

TEST(BitWriterTest, ZeroBitsOnlyAdvance) {
  BitWriter w;
  WriteBits(w, 0, 5);
  EXPECT_EQ(w.bits, 5);
  EXPECT_EQ(w.index, 0);
  EXPECT_EQ(w.data[0], 0);
  BitWriter w2;
  WriteBits(w2, 0, 9);
  EXPECT_EQ(w2.bits, 1);
  EXPECT_EQ(w2.index, 1);
}

TEST(BitWriterTest, AFullByteStaysCurrentUntilTheNextWrite) {
  BitWriter w;
  WriteBits(w, 0xA5, 8);
  EXPECT_EQ(w.bits, 8);
  EXPECT_EQ(w.index, 0);
  EXPECT_EQ(w.length(), 1);
  WriteBits(w, 1, 1);
  EXPECT_EQ(w.index, 1);
  EXPECT_EQ(Hex(w.bytes()), "A5 80");
}

TEST(BitWriterTest, UnalignedFieldsPackMostSignificantFirst) {
  BitWriter w;
  WriteBits(w, 5, 3);      // 101
  WriteBits(w, 0x1FF, 9);  // 1 1111 1111
  WriteBits(w, -1, 4);     // 1111
  EXPECT_EQ(Hex(w.bytes()), "BF FF");
  EXPECT_EQ(w.bits, 8);
}

TEST(BitWriterTest, SignedBitsNeeded) {
  EXPECT_EQ(SignedBitsNeeded({}), 0);
  EXPECT_EQ(SignedBitsNeeded({0, 0}), 1);
  EXPECT_EQ(SignedBitsNeeded({-1}), 1);
  EXPECT_EQ(SignedBitsNeeded({1}), 2);
  EXPECT_EQ(SignedBitsNeeded({255}), 9);
  EXPECT_EQ(SignedBitsNeeded({256}), 10);
  EXPECT_EQ(SignedBitsNeeded({-256}), 9);
  EXPECT_EQ(SignedBitsNeeded({3, -256, 256}), 10);
  EXPECT_EQ(SignedBitsNeeded({INT32_MIN}), 32);
}

TEST(BitWriterTest, AppendAccumulatorContinuesAfterTheHeadBits) {
  BitWriter w;
  WriteBits(w, 3, 2);  // 11
  // A record whose byte 0 holds 6 head bits right-aligned, then a full byte.
  BitWriter src;
  src.data[0] = 0x2A;
  src.data[1] = 0xCD;
  src.index = 1;
  src.bits = 8;
  AppendAccumulator(w, src, 6);
  EXPECT_EQ(Hex(w.bytes()), "EA CD");
}

TEST(RecordTest, RectOfTheDefaultStage) {
  EXPECT_EQ(Hex(MakeRect16(0, 6400, 0, 6400)), "80 00 00 C8 00 00 00 C8 00");
  EXPECT_EQ(MakeRect24(0, 6400, 0, 6400).size(), 13u);
  EXPECT_EQ(Hex(MakeRect(0, 6400, 0, 6400)), "80 00 00 C8 00 00 00 C8 00");
}

TEST(RecordTest, RectWiderThanSixteenBitsKeepsItsValues) {
  // 2000 pixels = 40000 twips needs 17 signed bits.
  const auto rect = MakeRect(0, 40000, 0, 6400);
  EXPECT_EQ(rect[0] >> 3, 17);
  EXPECT_EQ(rect.size(), static_cast<size_t>((5 + 4 * 17 + 7) / 8));
}

TEST(RecordTest, MatrixExamples) {
  EXPECT_EQ(Hex(MakeMatrix(1.0f, 1.0f, 0, 0, 0, 0)), "02 00");
  EXPECT_EQ(Hex(MakeMatrix(1.0f, 1.0f, 0, 0, 100, -20)), "10 C9 D8");
  EXPECT_EQ(Hex(MakeMatrix(0.5f, 0.5f, 0, 0, 0, 0)), "C5 00 00 80 00 04");
}

TEST(RecordTest, NegativeScaleIsFloorFixedPoint) {
  // -1.5 = floor -2 with fraction 0.5: 16.16 value 0xFFFE8000.
  const auto m = MakeMatrix(-1.5f, 1.0f, 0, 0, 0, 0);
  // HasScale 1, NScaleBits 18 (n = 2 for {-2, 1}).
  EXPECT_EQ(m[0] >> 7, 1);
  EXPECT_EQ((m[0] >> 2) & 31, 18);
}

TEST_F(WriterTest, PlacementTermsKeepTheirValuesUpToTheFieldLimit) {
  StartMovie(6);
  Placement p;
  p.characterId = 10;
  p.scaleX = 10000.0f;
  p.scaleY = 20000.0f;
  ASSERT_TRUE(WritePlaceObject(p));
  const SwfTag big = OnlyTag(OutputBuffer());
  BitFields m(big.body, 5);  // after the flags, depth and character
  ASSERT_EQ(m.u(1), 1u);     // scale
  const int n = static_cast<int>(m.u(5));
  EXPECT_EQ(n, 31);
  EXPECT_EQ(m.s(n), int64_t{10000} * 65536);
  EXPECT_EQ(m.s(n), (int64_t{1} << 30) - 1);  // 16384 - 1/65536
  EXPECT_EQ(m.u(1), 0u);                      // no rotation

  // Beyond the negative end, and NaN (read as 0), which also makes the
  // rotate pair appear through NaN * sin 0.
  OutputBuffer().clear();
  p.depth = 1;
  p.scaleX = -1e9f;
  p.scaleY = std::nanf("");
  ASSERT_TRUE(WritePlaceObject(p));
  const SwfTag small = OnlyTag(OutputBuffer());
  BitFields k(small.body, 5);
  ASSERT_EQ(k.u(1), 1u);
  const int ns = static_cast<int>(k.u(5));
  EXPECT_EQ(ns, 31);
  EXPECT_EQ(k.s(ns), -(int64_t{1} << 30));
  EXPECT_EQ(k.s(ns), 0);
  ASSERT_EQ(k.u(1), 1u);
  const int nr = static_cast<int>(k.u(5));
  EXPECT_EQ(k.s(nr), 0);
  EXPECT_EQ(k.s(nr), 0);
}

TEST_F(WriterTest, TheWidestStageKeepsItsSizeInThirtyOneBitFields) {
  // 2^29 twips needs 31 signed bits; in 30 it would read as -2^29.
  WriteSWFHeader(6, INT32_MAX, 240, 12.0f);
  BitFields r(OutputBuffer(), 8);
  const int n = static_cast<int>(r.u(5));
  EXPECT_EQ(n, 31);
  EXPECT_EQ(r.s(n), 0);
  EXPECT_EQ(r.s(n), int64_t{1} << 29);
  EXPECT_EQ(r.s(n), 0);
  EXPECT_EQ(r.s(n), 4800);
  // Fixed-width rectangles hold a value that does not fit at the field's end.
  EXPECT_EQ(Hex(MakeRect16(0, 40000, -40000, 0)), Hex(MakeRect16(0, 32767, -32768, 0)));
}

TEST(RecordTest, ColourTransformIdentityAndClamping) {
  EXPECT_EQ(Hex(MakeCXForm(256, 256, 256, 256, 0, 0, 0, 0)), "E9 00 40 10 04 00 00 00 00 00 00");
  // A term beyond 15 bits is clamped to the largest 15-bit value instead of
  // wrapping: Nbits stays 15 and the multiplier keeps its sign.
  const auto big = MakeCXForm(256, 256, 256, 40000, 0, 0, 0, 0);
  EXPECT_EQ((big[0] >> 2) & 15, 15);
  const auto clamped = MakeCXForm(256, 256, 256, 16383, 0, 0, 0, 0);
  EXPECT_EQ(Hex(big), Hex(clamped));
}

TEST_F(WriterTest, StringBytesByVersion) {
  StartMovie(6);
  EXPECT_EQ(Hex(StringToBytes("AB")), "41 42 00");
  EXPECT_EQ(Hex(StringToBytes("AB", true)), "41 42");
  EXPECT_EQ(Hex(StringToBytes("表")), "E8 A1 A8 00");
  EXPECT_EQ(Hex(StringToBytes("")), "00");
  StartMovie(4);
  EXPECT_EQ(Hex(StringToBytes("AB", true)), "41 42 00");
  EXPECT_EQ(Hex(StringToBytes("表")), "95 5C 00");
  // A character without a CP932 form costs only itself, and is reported.
  EXPECT_EQ(Hex(StringToBytes("A\xF0\x9F\x98\x80" "B")), "41 3F 42 00");
  EXPECT_EQ(WriterState().diagnostics.size(), 1u);
}

}  // namespace
}  // namespace tesmiro::testing
