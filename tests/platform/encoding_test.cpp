#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/encoding.h"

namespace tesmiro::enc {
namespace {

TEST(EncodingTest, Cp932RoundTripKeepsBackslashSecondBytes) {
  // 表 and ソ end in 0x5C: a path split on bytes would cut them in half.
  const auto sjis = Utf8ToCp932("C:\\表\\ソ.jpg");
  ASSERT_TRUE(sjis);
  EXPECT_EQ(*sjis, std::string("C:\\\x95\x5C\\\x83\x5C.jpg"));
  EXPECT_EQ(Cp932ToUtf8(*sjis), "C:\\表\\ソ.jpg");
  // Byte 0x5C alone stays a backslash, not a yen sign.
  EXPECT_EQ(Cp932ToUtf8("\\"), "\\");
}

TEST(EncodingTest, CharactersWithoutCp932FormAreAnError) {
  EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80"));
  EXPECT_TRUE(Utf8ToCp932("①"));  // a Windows extension CP932 does hold
}

TEST(EncodingTest, BrokenCp932StillDecodes) {
  const std::string s = Cp932ToUtf8("A\x81");  // lead byte without its trail
  EXPECT_EQ(s.substr(0, 1), "A");
  EXPECT_TRUE(IsValidUtf8(s));
}

// The converters are kept between calls, one per thread: text converted
// on several threads at once comes out whole on each.
TEST(EncodingTest, ThreadsConvertAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      const std::string text = t % 2 ? "日本" : "表ソ";
      for (int i = 0; i < 2000; ++i) {
        const auto cp932 = Utf8ToCp932(text);
        if (!cp932 || Cp932ToUtf8(*cp932) != text) ++wrong[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(EncodingTest, TextFilesAreUtf8OrCp932) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" "abc"), "abc");
  EXPECT_EQ(DecodeTextFile("日本"), "日本");
  EXPECT_EQ(DecodeTextFile("\x93\xFA\x96" "\x7B"), "日本");
  EXPECT_EQ(DecodeTextFile("plain"), "plain");
}

TEST(EncodingTest, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("abc日本"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));  // overlong
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));  // truncated
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_EQ(CharCount("a日本"), 3u);
}

TEST(EncodingTest, LineBreaks) {
  EXPECT_EQ(ToCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(ToLf("a\r\nb\rc"), "a\nb\nc");
}

}  // namespace
}  // namespace tesmiro::enc
