#include "demo/square_shape.h"

#include <utility>

#include "swf/bit_writer.h"
#include "swf/swf_writer.h"

namespace tesmiro::demo {

using namespace SWFMakeCore;

void WriteSquareShape(int32_t id, int32_t size, uint8_t r, uint8_t g, uint8_t b) {
  WriteHex("BF00");  // DefineShape, long header
  const auto lengthAt = static_cast<size_t>(Reserve(4));
  WriteU16(id);
  const Bytes bounds = MakeRect(0, size, 0, size);
  OutputBuffer().insert(OutputBuffer().end(), bounds.begin(), bounds.end());
  WriteHex("01");  // one fill style
  WriteHex("00");  // solid
  OutputBuffer().insert(OutputBuffer().end(), {r, g, b});
  WriteHex("00");  // no line styles
  BitWriter w;
  WriteBits(w, 1, 4);  // one bit per fill index
  WriteBits(w, 0, 4);  // no line indexes
  // Move to 0,0 with fill 1, then four straight edges.
  const int32_t n = SignedBitsNeeded({size, -size});
  WriteBits(w, 0, 1);
  WriteBits(w, 0b00011, 5);  // new fill 0, move to
  WriteBits(w, 1, 5);
  WriteBits(w, 0, 1);
  WriteBits(w, 0, 1);
  WriteBits(w, 1, 1);  // fill style 1
  for (auto [dx, dy] : {std::pair{size, 0}, std::pair{0, size}, std::pair{-size, 0}, std::pair{0, -size}}) {
    WriteBits(w, 1, 1);  // edge
    WriteBits(w, 1, 1);  // straight
    WriteBits(w, n - 2, 4);
    WriteBits(w, 0, 1);  // not a general line
    WriteBits(w, dx == 0 ? 1 : 0, 1);  // vertical?
    WriteBits(w, dx == 0 ? dy : dx, n);
  }
  WriteBits(w, 0, 6);  // end of shape
  const Bytes rec = w.bytes();
  OutputBuffer().insert(OutputBuffer().end(), rec.begin(), rec.end());
  PatchTagLength(lengthAt);
}

}  // namespace tesmiro::demo
