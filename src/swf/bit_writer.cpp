#include "swf/bit_writer.h"

#include <algorithm>

namespace tesmiro::SWFMakeCore {

int32_t PowersOfTwo[32] = {};

namespace {
struct TableInit {
  TableInit() {
    for (int i = 0; i <= 30; ++i) PowersOfTwo[i] = int32_t{1} << i;
    PowersOfTwo[31] = INT32_MIN;
  }
} gTableInit;
}  // namespace

void BitWriterInit(BitWriter& w) {
  w.data.assign(256, 0);
  w.bits = 0;
  w.index = 0;
}

void GrowAccumulator(BitWriter& w, int32_t index) {
  if (index >= static_cast<int32_t>(w.data.size())) w.data.resize(static_cast<size_t>(index) + 257, 0);
}

void WriteBits(BitWriter& w, int32_t value, int32_t count) {
  count = std::clamp(count, 0, 30);
  if (value == 0) {
    w.bits += count;
    while (w.bits >= 9) {
      w.bits -= 8;
      w.index += 1;
    }
    GrowAccumulator(w, w.index);
    return;
  }
  if (count == 0) return;
  // Cut the low `count` bits into bytes, most significant first, the last
  // partial byte left-aligned.
  BitWriter scratch;
  scratch.data.assign(8, 0);
  int32_t j = 0;
  while (count > 8) {
    scratch.data[j] = static_cast<uint8_t>((value & (PowersOfTwo[count] - 1)) / PowersOfTwo[count - 8]);
    ++j;
    count -= 8;
  }
  if (count == 8) {
    scratch.data[j] = static_cast<uint8_t>(value & 255);
  } else {
    scratch.data[j] = static_cast<uint8_t>((value & (PowersOfTwo[count] - 1)) * PowersOfTwo[8 - count]);
  }
  scratch.index = j;
  scratch.bits = count;
  AppendBits(w, scratch);
}

void AppendBits(BitWriter& w, const BitWriter& source) {
  GrowAccumulator(w, w.index + source.index + 1);
  if (w.bits >= 1 && w.bits <= 7) {
    const int32_t a = PowersOfTwo[w.bits];
    const int32_t b = PowersOfTwo[8 - w.bits];
    for (int32_t i = 0; i <= source.index; ++i) {
      const int32_t s = source.data[i];
      w.data[w.index + i] = static_cast<uint8_t>(w.data[w.index + i] | (s / a));
      w.data[w.index + i + 1] = static_cast<uint8_t>((s & (a - 1)) * b);
    }
    w.index += source.index;
    w.bits += source.bits;
    if (w.bits >= 9) {
      w.bits &= 7;
      w.index += 1;
    }
    return;
  }
  const int32_t start = w.index + (w.bits == 8 ? 1 : 0);
  GrowAccumulator(w, start + source.index + 1);
  std::copy_n(source.data.begin(), source.index + 1, w.data.begin() + start);
  w.index = start + source.index;
  w.bits = source.bits;
}

void AppendAccumulator(BitWriter& w, const BitWriter& source, int32_t firstBits) {
  firstBits = std::clamp(firstBits, 1, 8);
  BitWriter head;
  head.data.assign(4, 0);
  head.data[0] = static_cast<uint8_t>(source.data[0] * PowersOfTwo[8 - firstBits]);
  head.index = 0;
  head.bits = firstBits;
  AppendBits(w, head);
  GrowAccumulator(w, w.index + source.index + 1);
  for (int32_t i = 1; i <= source.index; ++i) w.data[w.index + i] = source.data[i];
  w.index += source.index;
  w.bits = source.bits;
}

int32_t SignedBitsNeeded(const std::vector<int32_t>& values) {
  int32_t best = 0;
  for (int32_t v : values) {
    int32_t n = 1;
    for (int32_t bits = 32; bits >= 2; --bits) {
      // Fits in `bits - 1` bits when it lies in -2^(bits-2) .. 2^(bits-2)-1.
      const int64_t lo = -(int64_t{1} << (bits - 2));
      const int64_t hi = (int64_t{1} << (bits - 2)) - 1;
      if (v < lo || v > hi) {
        n = bits;
        break;
      }
    }
    best = std::max(best, n);
  }
  return best;
}

}  // namespace tesmiro::SWFMakeCore
