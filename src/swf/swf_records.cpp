#include "swf/swf_records.h"

#include <cmath>
#include <vector>

namespace tesmiro::SWFMakeCore {
namespace {

constexpr int32_t kWidestField = 31;  // a 5-bit bit count
constexpr int32_t kTranslateLimit = (1 << 30) - 1;

// A signed field of up to 31 bits; the bit writer takes 30 at a time.
void WriteField(BitWriter& w, int32_t value, int32_t bits) {
  if (bits <= 30) {
    WriteBits(w, value, bits);
  } else {
    WriteBits(w, value >> 16, bits - 16);
    WriteBits(w, value & 0xFFFF, 16);
  }
}

int32_t ClampToField(int32_t value, int32_t bits) {
  const int64_t hi = (int64_t{1} << (bits - 1)) - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(value, -hi - 1, hi));
}

void WriteTermPair(BitWriter& w, Fixed16 a, Fixed16 b, int32_t minBits) {
  constexpr int32_t widestWhole = kWidestField - 16;
  const int32_t n = std::max(std::min(minBits, widestWhole), SignedBitsNeeded({a.whole(), b.whole()}));
  WriteBits(w, n + 16, 5);
  for (Fixed16 t : {a, b}) {
    WriteBits(w, t.whole(), n);
    WriteBits(w, t.fraction(), 16);
  }
}

}  // namespace

Fixed16::Fixed16(double value) {
  const double v = std::isnan(value) ? 0.0 : std::clamp(value, kMin, kMax);
  // Exact: scaling by a power of two loses nothing, and the result lies
  // within -2^30 .. 2^30 - 1.
  raw_ = static_cast<int32_t>(std::floor(v * 65536.0));
}

void WriteRect(BitWriter& w, const Rect& rect, RectLayout layout) {
  const int32_t maxBits = std::clamp(layout.maxBits, 1, kWidestField);
  const int32_t minBits = std::clamp(layout.minBits, 1, maxBits);
  const int32_t v[4] = {rect.xMin.count(), rect.xMax.count(), rect.yMin.count(), rect.yMax.count()};
  const int32_t n = std::clamp(SignedBitsNeeded({v[0], v[1], v[2], v[3]}), minBits, maxBits);
  WriteBits(w, n, 5);
  for (int32_t x : v) WriteField(w, ClampToField(x, n), n);
}

void WriteMatrix(BitWriter& w, const Matrix& matrix, MatrixLayout layout) {
  WriteBits(w, matrix.hasScale ? 1 : 0, 1);
  if (matrix.hasScale) WriteTermPair(w, matrix.scaleX, matrix.scaleY, layout.minTermBits);
  WriteBits(w, matrix.hasRotate ? 1 : 0, 1);
  if (matrix.hasRotate) WriteTermPair(w, matrix.rotateSkew0, matrix.rotateSkew1, layout.minTermBits);
  const int32_t tx = std::clamp(matrix.translateX.count(), -kTranslateLimit, kTranslateLimit);
  const int32_t ty = std::clamp(matrix.translateY.count(), -kTranslateLimit, kTranslateLimit);
  const int32_t n = std::min(std::max(SignedBitsNeeded({tx, ty}), layout.minTranslateBits), kWidestField);
  WriteBits(w, n, 5);
  WriteField(w, tx, n);
  WriteField(w, ty, n);
}

void WriteColorTransform(BitWriter& w, const ColorTransform& cx) {
  // The term width has a 4-bit field, so terms keep to 15 signed bits
  // rather than losing their high bits.
  std::vector<int32_t> terms;
  for (const auto& group : {cx.multiply, cx.add})
    for (int32_t t : group) terms.push_back(std::clamp(t, -16384, 16383));
  const int32_t n = SignedBitsNeeded(terms);
  WriteBits(w, 1, 1);  // has add terms
  WriteBits(w, 1, 1);  // has multiply terms
  WriteBits(w, n, 4);
  for (int32_t t : terms) WriteField(w, t, n);
}

}  // namespace tesmiro::SWFMakeCore
