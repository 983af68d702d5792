#include "media/sound/zlib_module.h"

#include <zlib.h>

#include <algorithm>

#include "platform/numeric.h"

namespace tesmiro::zlibModule {

int32_t ZCompress(std::vector<uint8_t>& data, int32_t length) {
  if (length < 0 || static_cast<size_t>(length) > data.size()) return -1;
  // The customary 1 % + 12 bytes, but never below what zlib says it may need.
  const double customary = num::RoundHalfEven(length * 0.01 + length + 12);
  uLongf capacity = std::max<uLongf>(static_cast<uLongf>(customary), compressBound(static_cast<uLong>(length)));
  std::vector<uint8_t> out(capacity + 1);
  if (compress(out.data(), &capacity, data.data(), static_cast<uLong>(length)) != Z_OK) return -1;
  out.resize(capacity);
  data = std::move(out);
  return static_cast<int32_t>(capacity);
}

int32_t ZUncompress(std::vector<uint8_t>& data, int32_t length, int32_t& expected) {
  if (length < 0 || static_cast<size_t>(length) > data.size() || expected < 0) return -1;
  std::vector<uint8_t> out(std::max<int32_t>(expected, 1));
  uLongf produced = static_cast<uLongf>(expected);
  if (uncompress(out.data(), &produced, data.data(), static_cast<uLong>(length)) != Z_OK) return -1;
  out.resize(produced);
  data = std::move(out);
  expected = static_cast<int32_t>(produced);
  return expected;
}

}  // namespace tesmiro::zlibModule
