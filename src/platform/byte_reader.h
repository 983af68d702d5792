#pragma once
// The one bounds-checked reader for bytes handed to us by the user. Every
// read checks what is left; a failed read sets a sticky error and returns 0,
// so parsers can read a whole record and test ok() once.
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
  explicit ByteReader(std::string_view data)
      : data_(reinterpret_cast<const uint8_t*>(data.data()), data.size()) {}

  bool ok() const { return ok_; }
  void fail() { ok_ = false; }
  size_t pos() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
  bool atEnd() const { return pos_ >= data_.size(); }
  // True when n more bytes can be read (and the reader is still good).
  bool has(size_t n) const { return ok_ && n <= data_.size() - pos_; }

  bool seek(size_t p) {
    if (!ok_ || p > data_.size()) return ok_ = false;
    pos_ = p;
    return true;
  }
  bool skip(size_t n) {
    if (!has(n)) return ok_ = false;
    pos_ += n;
    return true;
  }

  uint8_t u8() { return static_cast<uint8_t>(le(1)); }
  int8_t i8() { return static_cast<int8_t>(u8()); }
  uint16_t u16() { return static_cast<uint16_t>(le(2)); }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  uint32_t u32() { return static_cast<uint32_t>(le(4)); }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  uint64_t u64() { return le(8); }
  uint16_t u16be() { return static_cast<uint16_t>(be(2)); }
  uint32_t u24be() { return static_cast<uint32_t>(be(3)); }
  uint32_t u32be() { return static_cast<uint32_t>(be(4)); }
  float f32() {
    uint32_t b = u32();
    float f;
    std::memcpy(&f, &b, 4);
    return f;
  }
  double f64() {
    uint64_t b = u64();
    double d;
    std::memcpy(&d, &b, 8);
    return d;
  }

  // n raw bytes; an empty view (and the error set) when they are not there.
  std::span<const uint8_t> bytes(size_t n) {
    if (!has(n)) {
      ok_ = false;
      return {};
    }
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  std::string str(size_t n) {
    auto b = bytes(n);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
  }
  std::span<const uint8_t> rest() const { return ok_ ? data_.subspan(pos_) : std::span<const uint8_t>{}; }
  // Peek without moving; 0 past the end (does not set the error).
  uint8_t peek(size_t offset = 0) const {
    return (ok_ && pos_ + offset < data_.size()) ? data_[pos_ + offset] : 0;
  }

 private:
  uint64_t le(size_t n) {
    if (!has(n)) {
      ok_ = false;
      return 0;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }
  uint64_t be(size_t n) {
    if (!has(n)) {
      ok_ = false;
      return 0;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | data_[pos_ + i];
    pos_ += n;
    return v;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Little-endian appender for the files we write ourselves.
class ByteWriter {
 public:
  // Where a writer of a large file sends its bytes as it goes: drain() hands
  // what has gathered to the sink once it reaches `chunkBytes`, so memory
  // stays at about one chunk. False from the sink stops further hand-overs.
  using Sink = std::function<bool(std::span<const uint8_t>)>;
  void setSink(Sink sink, size_t chunkBytes) {
    sink_ = std::move(sink);
    chunk_ = chunkBytes;
  }
  // With `everything`, also a last part smaller than a chunk. Without a sink
  // the bytes stay in data(). False once the sink has failed.
  bool drain(bool everything = false) {
    if (!sink_ || failed_) return !failed_;
    if (data_.empty() || (!everything && data_.size() < chunk_)) return true;
    failed_ = !sink_(data_);
    data_.clear();
    return !failed_;
  }

  std::vector<uint8_t>& data() { return data_; }
  const std::vector<uint8_t>& data() const { return data_; }
  size_t size() const { return data_.size(); }
  void u8(uint8_t v) { data_.push_back(v); }
  void u16(uint16_t v) { le(v, 2); }
  void i16(int16_t v) { le(static_cast<uint16_t>(v), 2); }
  void u32(uint32_t v) { le(v, 4); }
  void i32(int32_t v) { le(static_cast<uint32_t>(v), 4); }
  void f32(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    u32(b);
  }
  void f64(double d) {
    uint64_t b;
    std::memcpy(&b, &d, 8);
    le(b, 8);
  }
  void bytes(std::span<const uint8_t> b) { data_.insert(data_.end(), b.begin(), b.end()); }
  void bytes(std::string_view s) { data_.insert(data_.end(), s.begin(), s.end()); }
  void patchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
  }

 private:
  void le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t> data_;
  Sink sink_;
  size_t chunk_ = 0;
  bool failed_ = false;
};

}  // namespace tesmiro
