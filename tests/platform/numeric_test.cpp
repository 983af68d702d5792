#include <gtest/gtest.h>

#include <cmath>

#include "platform/numeric.h"

namespace tesmiro::num {
namespace {

TEST(NumericTest, RoundingIsHalfToEven) {
  EXPECT_EQ(RoundToInt32(0.5), 0);
  EXPECT_EQ(RoundToInt32(1.5), 2);
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(32767.5), 32768);
  EXPECT_EQ(RoundToInt32(1e20), INT32_MAX);
  EXPECT_EQ(RoundToInt32(std::nan("")), 0);
  EXPECT_EQ(RoundToInt16(40000), INT16_MAX);
}

TEST(NumericTest, FloorAndIntegerDivision) {
  EXPECT_EQ(FloorToInt32(-0.5), -1);
  EXPECT_EQ(FloorToInt32(2.9), 2);
  EXPECT_EQ(IntDiv(7, 2), 3);
  EXPECT_EQ(IntDiv(-7, 2), -3);
  EXPECT_EQ(IntDiv(7.5, 2), 4);  // operands rounded first: 8 \ 2
  EXPECT_EQ(IntDiv(5, 0), 0);
  EXPECT_EQ(Mod(-7, 3), -1);
}

TEST(NumericTest, ValReadsTheLeadingNumber) {
  EXPECT_EQ(Val("12px"), 12);
  EXPECT_EQ(Val("  -3.5abc"), -3.5);
  EXPECT_EQ(Val("1 2"), 12);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("&HFF"), 255);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("&H10000"), 65536);
  EXPECT_EQ(Val("1E3"), 1000);
  EXPECT_EQ(Val("1e"), 1);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("+7"), 7);
  EXPECT_EQ(Val("1e999"), 0);
}

TEST(NumericTest, CStrIsTheShortestForm) {
  EXPECT_EQ(CStr(12.0f), "12");
  EXPECT_EQ(CStr(0.1f), "0.1");
  EXPECT_EQ(CStr(29.97f), "29.97");
  EXPECT_EQ(CStr(-0.5f), "-0.5");
  EXPECT_EQ(CStr(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(CStr(0.0f), "0");
  EXPECT_EQ(CStr(1e10f), "1E+10");
  // Whole numbers below the precision's limit keep their digits.
  EXPECT_EQ(CStr(250.0f), "250");
  EXPECT_EQ(CStr(12060.0f), "12060");
  EXPECT_EQ(CStr(1234567.0f), "1234567");
  EXPECT_EQ(CStr(12345678.0f), "1.234568E+07");
  EXPECT_EQ(CStr(-4500.0f), "-4500");
  EXPECT_EQ(CStr(0.0001f), "0.0001");
  EXPECT_EQ(CStr(0.00001f), "1E-05");
  EXPECT_EQ(CStr(300.0), "300");
  EXPECT_EQ(CStr(int32_t{-42}), "-42");
  EXPECT_EQ(CStr(0.1), "0.1");
}

}  // namespace
}  // namespace tesmiro::num
