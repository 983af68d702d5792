#pragma once
// The format's small records as values: lengths in twips, 16.16 fixed-point
// terms, the rectangle, the matrix and the colour transform. Each record has
// one writer, which keeps every field within what its bit count can hold.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "swf/bit_writer.h"

namespace tesmiro::SWFMakeCore {

// A length or position in twips, twentieths of a pixel.
class Twips {
 public:
  constexpr Twips() = default;
  constexpr explicit Twips(int32_t count) : count_(count) {}
  // Pixels beyond what 32 bits of twips hold stop at the ends of the range.
  static constexpr Twips FromPixels(int64_t pixels) {
    constexpr int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    const int64_t twips = std::clamp<int64_t>(pixels, lo / 20, hi / 20) * 20;
    return Twips(static_cast<int32_t>(twips));
  }
  constexpr int32_t count() const { return count_; }

 private:
  int32_t count_ = 0;
};

// A 16.16 fixed-point term of a matrix. The integer part may take 15 bits at
// most: its bit count and the 16 fraction bits share a 5-bit count.
class Fixed16 {
 public:
  static constexpr double kMin = -16384.0;
  static constexpr double kMax = 16384.0 - 1.0 / 65536.0;

  constexpr Fixed16() = default;
  // floor(value * 65536) of the value held within kMin..kMax; NaN reads as 0.
  explicit Fixed16(double value);
  static constexpr Fixed16 FromRaw(int32_t raw) {
    Fixed16 f;
    f.raw_ = raw;
    return f;
  }
  constexpr int32_t raw() const { return raw_; }
  constexpr int32_t whole() const { return raw_ >> 16; }  // floor of the value
  constexpr int32_t fraction() const { return raw_ & 0xFFFF; }

 private:
  int32_t raw_ = 0;
};

struct Rect {
  Twips xMin, xMax, yMin, yMax;
};

// The width of a rectangle's fields: what its values need, within
// minBits..maxBits (at most 31). A value wider than the field stops at the
// field's ends instead of losing its high bits.
struct RectLayout {
  int32_t minBits = 1;
  int32_t maxBits = 31;
};

struct Matrix {
  // The scale and rotate-skew pairs are written only when flagged; without
  // them a reader takes scale 1 and no rotation.
  bool hasScale = false;
  Fixed16 scaleX = Fixed16::FromRaw(1 << 16), scaleY = Fixed16::FromRaw(1 << 16);
  bool hasRotate = false;
  Fixed16 rotateSkew0, rotateSkew1;
  // Within -(2^30 - 1) .. 2^30 - 1 twips, the widest a field may take.
  Twips translateX, translateY;
};

// Smallest integer-part and translation widths; a value that needs more
// widens its field.
struct MatrixLayout {
  int32_t minTermBits = 0;
  int32_t minTranslateBits = 0;
};

// A colour transform with alpha: multipliers in 256ths (256 keeps a channel)
// and added values, in the order red, green, blue, alpha. Terms beyond
// 15 signed bits are held at -16384 .. 16383.
struct ColorTransform {
  std::array<int32_t, 4> multiply{256, 256, 256, 256};
  std::array<int32_t, 4> add{0, 0, 0, 0};
};

void WriteRect(BitWriter& w, const Rect& rect, RectLayout layout = {});
void WriteMatrix(BitWriter& w, const Matrix& matrix, MatrixLayout layout = {});
void WriteColorTransform(BitWriter& w, const ColorTransform& cx);

}  // namespace tesmiro::SWFMakeCore
