#include "platform/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tesmiro {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteReaderTest, ReadsBothByteOrders) {
  const Bytes data = {0x01, 0x02, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xAA, 0xBB, 0xCC, 'a', 'b'};
  ByteReader r(data);
  EXPECT_EQ(r.u16(), 0x0201);
  EXPECT_EQ(r.i16(), -2);
  EXPECT_EQ(r.u32(), 0x12345678u);
  EXPECT_EQ(r.u24be(), 0xAABBCCu);
  EXPECT_EQ(r.str(2), "ab");
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReaderTest, AShortReadFailsForGoodAndReadsNothingMore) {
  const Bytes data = {1, 2, 3};
  ByteReader r(data);
  EXPECT_EQ(r.u16(), 0x0201);
  EXPECT_EQ(r.u16(), 0);  // one byte left
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.pos(), 2u);
  // The byte that is there is not read after the failure: a parser tests ok() once.
  EXPECT_EQ(r.u8(), 0);
  EXPECT_TRUE(r.bytes(1).empty());
  EXPECT_EQ(r.str(1), "");
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_TRUE(r.rest().empty());
  EXPECT_FALSE(r.has(0));
  EXPECT_FALSE(r.skip(0));
}

TEST(ByteReaderTest, LengthsFromTheFileCannotOverrunTheData) {
  const Bytes data = {1, 2, 3, 4};
  {
    ByteReader r(data);
    r.u8();
    EXPECT_FALSE(r.has(SIZE_MAX));  // no wrap-around in the bounds check
    EXPECT_TRUE(r.bytes(SIZE_MAX).empty());
    EXPECT_FALSE(r.ok());
  }
  {
    ByteReader r(data);
    EXPECT_TRUE(r.seek(4));  // the end itself is a place
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.seek(5));
    EXPECT_FALSE(r.ok());
  }
  {
    ByteReader r(data);
    EXPECT_TRUE(r.skip(3));
    EXPECT_FALSE(r.skip(2));
    EXPECT_FALSE(r.ok());
  }
  {
    // Peeking never fails the reader.
    ByteReader r(data);
    r.skip(3);
    EXPECT_EQ(r.peek(), 4);
    EXPECT_EQ(r.peek(1), 0);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.rest().size(), 1u);
  }
}

TEST(ByteReaderTest, ReadsBackWhatTheWriterWrote) {
  ByteWriter w;
  w.u8(0xFE);
  w.u16(0xBEEF);
  w.i16(-300);
  w.u32(0xDEADBEEF);
  w.i32(-70000);
  w.f32(1.5f);
  w.f64(-0.1);
  w.bytes(std::string_view("xy"));
  w.patchU32(1, 0x01020304);  // over the u16 and the i16
  ByteReader r(w.data());
  EXPECT_EQ(r.u8(), 0xFE);
  EXPECT_EQ(r.u32(), 0x01020304u);
  EXPECT_EQ(r.u32(), 0xDEADBEEFu);
  EXPECT_EQ(r.i32(), -70000);
  EXPECT_EQ(r.f32(), 1.5f);
  EXPECT_EQ(r.f64(), -0.1);
  EXPECT_EQ(r.str(2), "xy");
  EXPECT_TRUE(r.ok() && r.atEnd());
}

}  // namespace
}  // namespace tesmiro
