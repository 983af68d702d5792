#pragma once
// The program's numeric conventions. Every float-to-integer conversion and
// every number read from or written as text goes through here.
#include <cstdint>
#include <string>
#include <string_view>

namespace tesmiro::num {

// Nearest integer, halves to even: the program's default float-to-integer conversion.
double RoundHalfEven(double v);
// Same, saturated into the 32-bit range (NaN gives 0).
int32_t RoundToInt32(double v);
int16_t RoundToInt16(double v);
// Floor into the 32-bit range (saturated, NaN gives 0).
int32_t FloorToInt32(double v);
// Integer division: both operands rounded half to even, then truncated toward
// zero. Division by zero gives 0 (the caller decides whether that is an error).
int32_t IntDiv(double a, double b);
// Modulo with the sign of the dividend, operands rounded first.
int32_t Mod(double a, double b);

// Leading number of a text: blanks ignored, "&H" hexadecimal, "&O" octal,
// 0 when nothing matches ("12px" gives 12).
double Val(std::string_view text);

// Shortest general form of a single (at most 7 significant digits) or of a
// double (at most 15): 12.0 gives "12", 0.5 gives "0.5".
std::string CStr(float v);
std::string CStr(double v);
std::string CStr(int64_t v);
inline std::string CStr(int32_t v) { return CStr(static_cast<int64_t>(v)); }

}  // namespace tesmiro::num
