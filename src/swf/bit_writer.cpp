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
  // The same bits and the same position as cutting the value into a
  // left-aligned record and appending it (AppendBits), without building one:
  // a full byte (bits 8) first moves the position on, then `count` bits go
  // in most significant first.
  if (w.bits == 8) {
    w.bits = 0;
    w.index += 1;
  }
  const int32_t total = w.bits + count;
  GrowAccumulator(w, w.index + (total + 7) / 8);
  const auto v = static_cast<uint64_t>(static_cast<uint32_t>(value) & static_cast<uint32_t>(PowersOfTwo[count] - 1));
  // The field left-aligned in 64 bits after the used bits of the first byte;
  // at most 7 + 30 bits, so five bytes.
  const uint64_t chunk = v << (64 - w.bits - count);
  uint8_t* out = w.data.data() + w.index;
  for (int32_t k = 0; k < (total + 7) / 8; ++k) out[k] |= static_cast<uint8_t>(chunk >> (56 - 8 * k));
  w.index += (total - 1) / 8;
  w.bits = total - 8 * ((total - 1) / 8);
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
    // A negative value needs the bits of its complement, plus the sign.
    const auto magnitude = static_cast<uint32_t>(v < 0 ? ~v : v);
    const int32_t n = magnitude == 0 ? 1 : 33 - __builtin_clz(magnitude);
    best = std::max(best, n);
  }
  return best;
}

}  // namespace tesmiro::SWFMakeCore
