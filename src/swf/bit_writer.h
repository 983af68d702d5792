#pragma once
// Packs SWF bit fields, most significant bit first. The layout follows the
// writer's accumulator: `bits` counts the used bits of the byte at `index`
// (8 = that byte is full and the next write starts at the following one).
#include <cstdint>
#include <vector>

namespace tesmiro::SWFMakeCore {

// 2^i for i = 0..30, and the sign bit at 31.
extern int32_t PowersOfTwo[32];

struct BitWriter {
  // Grown, zero-filled, whenever a write would pass its end.
  std::vector<uint8_t> data = std::vector<uint8_t>(32, 0);
  int32_t bits = 0;
  int32_t index = 0;

  // Packed length in bytes (at least one bit written).
  int32_t length() const { return index + 1; }
  std::vector<uint8_t> bytes() const {
    return std::vector<uint8_t>(data.begin(), data.begin() + length());
  }
};

void BitWriterInit(BitWriter& w);
void WriteBits(BitWriter& w, int32_t value, int32_t count);
void AppendBits(BitWriter& w, const BitWriter& source);
void AppendAccumulator(BitWriter& w, const BitWriter& source, int32_t firstBits);
void GrowAccumulator(BitWriter& w, int32_t index);
int32_t SignedBitsNeeded(const std::vector<int32_t>& values);

}  // namespace tesmiro::SWFMakeCore
