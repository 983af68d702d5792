#pragma once
// The one reader of SWF tag records in the tests, written from the file
// format alone: a tag is a 16-bit word (code in the top ten bits, length in
// the low six, 63 meaning a 32-bit length follows) and its body.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tesmiro::testing {

struct SwfTag {
  int code = 0;
  std::vector<uint8_t> body;
};

// The tags of a run of tag records (a writer's buffer, a sprite's body after
// its frame count, a movie after its header), up to and with an End tag or
// to the end of the bytes. A header or body cut short ends the list and is
// told in `error`; without `error` it fails the current test.
std::vector<SwfTag> SplitTags(std::span<const uint8_t> bytes, std::string* error = nullptr);

// The run holds exactly one tag: that tag (a failure of the test otherwise).
SwfTag OnlyTag(std::span<const uint8_t> bytes);

// Where the header of an uncompressed movie keeps its frame count (after the
// signature, version, length, stage rectangle and frame rate); the tags
// start two bytes later.
size_t FrameCountOffset(std::span<const uint8_t> movie);

// The tags of an uncompressed movie, and its frame count.
std::vector<SwfTag> MovieTags(std::span<const uint8_t> movie, int* frameCount = nullptr,
                              std::string* error = nullptr);

int CountCode(const std::vector<SwfTag>& tags, int code);

}  // namespace tesmiro::testing
