#pragma once
// A test-only writer of project files, byte by byte, independent of the
// product's record writers. Strings are given as raw CP932 bytes, the way a
// Windows program wrote them.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tesmiro::testing {

class TsmBuilder {
 public:
  std::vector<uint8_t> bytes;

  TsmBuilder& raw(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  TsmBuilder& u8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  TsmBuilder& i16(int16_t v) {
    auto u = static_cast<uint16_t>(v);
    bytes.push_back(static_cast<uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<uint8_t>(u >> 8));
    return *this;
  }
  TsmBuilder& i32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  TsmBuilder& f32(float f) {
    int32_t v;
    std::memcpy(&v, &f, 4);
    return i32(v);
  }
  // A counted string of raw (CP932) bytes.
  TsmBuilder& str(const std::string& cp932) {
    i16(static_cast<int16_t>(cp932.size()));
    return raw(cp932);
  }

  TsmBuilder& header(const std::string& version = "0A3") { return raw("TSM" + version); }

  TsmBuilder& settings(int32_t w = 320, int32_t h = 320, float rate = 12.0f, const std::string& options = "    ") {
    i32(w).i32(h).f32(rate).u8(255).u8(255).u8(255).str(options);
    return i16(0).i16(0).i16(0).i32(90);
  }

  // A store item with every field given that tests look at.
  TsmBuilder& item(int32_t id, int16_t kind, const std::string& name, int32_t param = 0, int16_t flags = 0,
                   const std::string& font = "", const std::string& option = "") {
    i32(id).i16(kind).str(name).i16(flags).i32(param).str(font).f32(12.0f).f32(2.0f).str(option);
    return i32(0).i32(0).i32(0).i32(0).i16(0);
  }

  TsmBuilder& filterState(int16_t inUse, float multiplier) {
    i16(inUse).i16(0);
    for (int i = 0; i < 4; ++i) f32(multiplier);
    for (int i = 0; i < 4; ++i) i32(0);
    for (int f = 0; f < 4; ++f) {
      i16(0);
      i32(0).i32(0).f32(0).f32(0).f32(0).f32(0).f32(0).i32(0).i16(0).i16(0).i32(0);
    }
    i16(0);
    for (int i = 0; i < 20; ++i) f32(0);
    return *this;
  }

  // One event in the file's version; the numbers tests look at are
  // parameters, the rest fixed.
  TsmBuilder& event(const std::string& version, int32_t itemId, const std::string& text1 = "",
                    const std::string& text2 = "", int32_t depth = 0, std::vector<std::pair<int32_t, int32_t>> anchors = {{0, 0}},
                    int32_t downId = 0) {
    i32(itemId).i32(10);                            // item, frames
    i32(1).i32(2).i32(3).i32(4).i32(5).i32(6);      // start, end, centre
    f32(1.5f).f32(2.0f).f32(1.0f).f32(1.0f).f32(0).f32(90.0f);
    i16(0).i16(-1).str(text1).str(text2);
    i32(downId).i32(0).i32(0);                      // button state items
    i16(0).i16(0).i16(100).i16(50);                 // brightness, alpha
    i32(0).i16(0).i32(0).i32(depth);                // easing, mask, mask depth, depth
    if (version == "091") return *this;
    filterState(-1, 0.5f).filterState(0, 1.0f);
    i32(3);                                         // blend mode
    if (version == "0A1") return *this;
    i16(2).i16(1).i32(static_cast<int32_t>(anchors.size())).i32(0);
    for (auto [x, y] : anchors) i32(x).i32(y);
    return *this;
  }

  void save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::string str() const { return std::string(bytes.begin(), bytes.end()); }
};

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace tesmiro::testing
