#pragma once
// The program's two zlib wrappers. Both report failure (-1) instead of
// handing back a half-filled buffer, and leave the array unchanged then.
#include <cstdint>
#include <vector>

namespace tesmiro::zlibModule {

// Compresses the first `length` bytes of `data` into a zlib stream that
// replaces them. Result: the compressed length, or -1.
int32_t ZCompress(std::vector<uint8_t>& data, int32_t length);
// Inflates the first `length` bytes of `data` into at most `expected` bytes.
// On success `data` holds the output, `expected` its length, and that length
// is the result; -1 when the stream is broken or larger than `expected`.
int32_t ZUncompress(std::vector<uint8_t>& data, int32_t length, int32_t& expected);

}  // namespace tesmiro::zlibModule
