#include "platform/windows1252.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace tesmiro::enc {
namespace {

// What a player that reads bytes as Windows-1252 makes of them.
std::string Misread(const std::string& bytes) {
  static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                    0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
  std::string out;
  for (unsigned char c : bytes) AppendUtf8(out, c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c);
  return out;
}

TEST(Windows1252, JapaneseTextComesBackFromItsMisreading) {
  for (const std::string text : {"日本語", "ソフト表示", "ｶﾀｶﾅと漢字", "abc 123"}) {
    const std::string bytes = *Utf8ToCp932(text);
    EXPECT_EQ(RecoverCp932(Misread(bytes)), text) << text;
  }
}

TEST(Windows1252, EveryByteMapsBack) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Windows1252Bytes(Misread(all)), all);
}

TEST(Windows1252, TextsThatCannotHaveComeThatWayStay) {
  EXPECT_EQ(RecoverCp932("日本語"), "日本語") << "already Unicode: no Windows-1252 bytes";
  // 0x82 0x20 is no code page 932 character.
  const std::string broken = Misread("\x82\x20");
  EXPECT_EQ(RecoverCp932(broken), broken);
  EXPECT_EQ(Windows1252Bytes("\xE3\x81"), std::nullopt) << "cut UTF-8";
}

}  // namespace
}  // namespace tesmiro::enc
