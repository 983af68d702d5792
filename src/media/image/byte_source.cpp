#include "media/image/byte_source.h"

#include <algorithm>

namespace tesmiro::image {

namespace {
constexpr size_t kWindowBytes = 64 * 1024;
}

FileSource::FileSource(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  size_ = std::filesystem::file_size(path, ec);
  if (ec) return;
  in_.open(path, std::ios::binary);
  ok_ = static_cast<bool>(in_);
}

std::span<const uint8_t> FileSource::read(uint64_t offset, size_t n) {
  if (!ok_ || offset >= size_) return {};
  uint64_t want = std::min<uint64_t>(n, size_ - offset);
  bool inWindow = offset >= windowAt_ && offset + want <= windowAt_ + window_.size();
  if (!inWindow) {
    size_t length = static_cast<size_t>(std::min<uint64_t>(std::max(kWindowBytes, n), size_ - offset));
    window_.resize(length);
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(window_.data()), static_cast<std::streamsize>(length));
    window_.resize(static_cast<size_t>(std::max<std::streamsize>(in_.gcount(), 0)));
    windowAt_ = offset;
    want = std::min<uint64_t>(want, window_.size());
  }
  return std::span<const uint8_t>(window_).subspan(static_cast<size_t>(offset - windowAt_), static_cast<size_t>(want));
}

}  // namespace tesmiro::image
