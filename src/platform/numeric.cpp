#include "platform/numeric.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <limits>

namespace tesmiro::num {
namespace {

template <typename T>
T Saturate(double v) {
  if (std::isnan(v)) return 0;
  if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(v);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }


std::string General(double v, int digits) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  char buf[64];
  // Fewest significant digits that read back to the same value at this
  // precision.
  int p = 1;
  for (; p < digits; ++p) {
    std::snprintf(buf, sizeof buf, "%.*e", p - 1, v);
    double back = std::strtod(buf, nullptr);
    if (digits <= 7 ? static_cast<float>(back) == static_cast<float>(v) : back == v) break;
  }
  std::snprintf(buf, sizeof buf, "%.*e", p - 1, v);
  // The exponent of the rounded value decides the form, as it does for the
  // runtime: plain digits from 0.0001 up to the precision's limit (250 is
  // "250", not "2.5E+02"), an exponent outside ("1E+10", "1E-05").
  const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  if (exponent < -4 || exponent >= digits) {
    std::string text = buf;
    // Two exponent digits at least, no "+0" padding beyond them.
    const size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    const char sign = text[e + 1];
    std::string digitsText = text.substr(e + 2);
    while (digitsText.size() > 2 && digitsText[0] == '0') digitsText.erase(0, 1);
    return mantissa + "E" + sign + digitsText;
  }
  std::snprintf(buf, sizeof buf, "%.*f", std::max(0, p - 1 - exponent), v);
  return buf;
}

}  // namespace

double RoundHalfEven(double v) {
  // nearbyint honours the current mode, which the program never changes from
  // round-to-nearest-even.
  return std::nearbyint(v);
}

int32_t RoundToInt32(double v) { return Saturate<int32_t>(RoundHalfEven(v)); }
int16_t RoundToInt16(double v) { return Saturate<int16_t>(RoundHalfEven(v)); }
int32_t FloorToInt32(double v) { return Saturate<int32_t>(std::floor(v)); }

int32_t IntDiv(double a, double b) {
  int64_t x = RoundToInt32(a), y = RoundToInt32(b);
  if (y == 0) return 0;
  return static_cast<int32_t>(x / y);
}

int32_t Mod(double a, double b) {
  int64_t x = RoundToInt32(a), y = RoundToInt32(b);
  if (y == 0) return 0;
  return static_cast<int32_t>(x % y);
}

double Val(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (!IsBlank(c)) s += c;  // Val skips blanks anywhere ("1 2" is 12)
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    int64_t v = 0;
    size_t i = 2;
    for (; i < s.size() && i < 2 + 16; ++i) {
      int d;
      char c = s[i];
      if (c >= '0' && c <= '9') d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      if (d >= base) break;
      v = v * base + d;
      if (v > 0xFFFFFFFFLL) break;
    }
    // Up to 4 hex digits read as a 16-bit value, up to 8 as a 32-bit value.
    if (base == 16 && i - 2 <= 4 && v > 0x7FFF) return static_cast<double>(static_cast<int16_t>(v));
    if (v > 0x7FFFFFFF) return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    return static_cast<double>(v);
  }
  // Longest prefix of the form [+-]digits[.digits][(E|D)[+-]digits].
  size_t i = 0;
  std::string num;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) num += s[i++];
  bool digits = false;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) num += s[i++], digits = true;
  if (i < s.size() && s[i] == '.') {
    num += s[i++];
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) num += s[i++], digits = true;
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::string exp = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
    bool ed = false;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) exp += s[j++], ed = true;
    if (ed) num += exp;
  }
  double v = std::strtod(num.c_str(), nullptr);
  return std::isfinite(v) ? v : 0;
}

std::string CStr(float v) { return General(static_cast<double>(v), 7); }
std::string CStr(double v) { return General(v, 15); }
std::string CStr(int64_t v) { return std::to_string(v); }

}  // namespace tesmiro::num
