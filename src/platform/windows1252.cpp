#include "platform/windows1252.h"

#include <cstdint>

#include "platform/encoding.h"

namespace tesmiro::enc {
namespace {

// Bytes 0x80 to 0x9F; the five bytes Windows itself leaves undefined map to
// the control characters of the same number.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Next code point of valid UTF-8, advancing `i`; nothing on broken input.
std::optional<uint32_t> NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  int extra = 0;
  uint32_t cp = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  if ((b0 & 0xE0) == 0xC0) extra = 1, cp = b0 & 0x1F;
  else if ((b0 & 0xF0) == 0xE0) extra = 2, cp = b0 & 0x0F;
  else if ((b0 & 0xF8) == 0xF0) extra = 3, cp = b0 & 0x07;
  else return std::nullopt;
  if (i + static_cast<size_t>(extra) >= s.size()) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(s[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = cp << 6 | (b & 0x3F);
  }
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

}  // namespace

std::optional<std::string> Windows1252Bytes(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const std::optional<uint32_t> cp = NextCodePoint(utf8, i);
    if (!cp) return std::nullopt;
    if (*cp < 0x80 || (*cp >= 0xA0 && *cp <= 0xFF)) {
      out.push_back(static_cast<char>(*cp));
      continue;
    }
    bool found = false;
    for (int b = 0; b < 32; ++b) {
      if (kHigh[b] == *cp) {
        out.push_back(static_cast<char>(0x80 + b));
        found = true;
        break;
      }
    }
    if (!found) return std::nullopt;
  }
  return out;
}

std::string RecoverCp932(std::string_view misread) {
  const std::optional<std::string> bytes = Windows1252Bytes(misread);
  if (!bytes) return std::string(misread);
  const std::string decoded = Cp932ToUtf8(*bytes);
  // U+FFFD marks bytes that were no code page 932 after all.
  if (decoded.find("\xEF\xBF\xBD") != std::string::npos && misread.find("\xEF\xBF\xBD") == std::string::npos)
    return std::string(misread);
  return decoded;
}

}  // namespace tesmiro::enc
