#pragma once
// Random access to a file's bytes for the probes that hop through a file
// (JPEG markers, FLV tags) without reading all of it. Each read hands back a
// short span that the caller parses with a ByteReader.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <vector>

namespace tesmiro::image {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Up to n bytes from `offset` (fewer at the end of the data, none past it).
  // The span stays valid until the next read.
  virtual std::span<const uint8_t> read(uint64_t offset, size_t n) = 0;
};

class SpanSource final : public ByteSource {
 public:
  explicit SpanSource(std::span<const uint8_t> data) : data_(data) {}
  uint64_t size() const override { return data_.size(); }
  std::span<const uint8_t> read(uint64_t offset, size_t n) override {
    if (offset >= data_.size()) return {};
    return data_.subspan(static_cast<size_t>(offset), std::min<uint64_t>(n, data_.size() - offset));
  }

 private:
  std::span<const uint8_t> data_;
};

// Reads through a window of the file so that a walk over thousands of small
// records costs a read per window, not per record.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(const std::filesystem::path& path);
  bool ok() const { return ok_; }
  uint64_t size() const override { return size_; }
  std::span<const uint8_t> read(uint64_t offset, size_t n) override;

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
  bool ok_ = false;
  std::vector<uint8_t> window_;
  uint64_t windowAt_ = 0;
};

}  // namespace tesmiro::image
