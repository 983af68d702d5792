#include "support/swf_tags.h"

#include <gtest/gtest.h>

namespace tesmiro::testing {

std::vector<SwfTag> SplitTags(std::span<const uint8_t> bytes, std::string* error) {
  std::vector<SwfTag> tags;
  auto problem = [&](const std::string& what) {
    if (error)
      *error = what;
    else
      ADD_FAILURE() << what;
    return tags;
  };
  auto le = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<uint32_t>(bytes[at + static_cast<size_t>(i)]) << (8 * i);
    return v;
  };
  size_t p = 0;
  while (p < bytes.size()) {
    if (bytes.size() - p < 2) return problem("a tag header cut short at " + std::to_string(p));
    const uint32_t head = le(p, 2);
    p += 2;
    SwfTag tag;
    tag.code = static_cast<int>(head >> 6);
    size_t length = head & 63;
    if (length == 63) {
      if (bytes.size() - p < 4) return problem("a long tag header cut short at " + std::to_string(p - 2));
      length = le(p, 4);
      p += 4;
    }
    if (bytes.size() - p < length)
      return problem("tag " + std::to_string(tag.code) + " at " + std::to_string(p) + " runs past the end");
    tag.body.assign(bytes.begin() + static_cast<std::ptrdiff_t>(p),
                    bytes.begin() + static_cast<std::ptrdiff_t>(p + length));
    p += length;
    tags.push_back(std::move(tag));
    if (tags.back().code == 0) break;
  }
  return tags;
}

SwfTag OnlyTag(std::span<const uint8_t> bytes) {
  std::vector<SwfTag> tags = SplitTags(bytes);
  if (tags.size() != 1) {
    ADD_FAILURE() << "expected one tag, found " << tags.size();
    return {};
  }
  return tags[0];
}

size_t FrameCountOffset(std::span<const uint8_t> movie) {
  if (movie.size() < 9) {
    ADD_FAILURE() << "a movie header cut short";
    return 0;
  }
  const size_t bits = movie[8] >> 3;
  return 8 + (5 + 4 * bits + 7) / 8 + 2;
}

std::vector<SwfTag> MovieTags(std::span<const uint8_t> movie, int* frameCount, std::string* error) {
  const size_t at = FrameCountOffset(movie);
  if (at == 0 || movie.size() < at + 2) {
    if (error) *error = "a movie header cut short";
    else ADD_FAILURE() << "a movie header cut short";
    return {};
  }
  if (frameCount) *frameCount = movie[at] | movie[at + 1] << 8;
  return SplitTags(movie.subspan(at + 2), error);
}

int CountCode(const std::vector<SwfTag>& tags, int code) {
  int n = 0;
  for (const SwfTag& t : tags) n += t.code == code;
  return n;
}

}  // namespace tesmiro::testing
