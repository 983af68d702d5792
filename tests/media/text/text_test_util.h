#pragma once
// Independent readers for what the text writers produce: a bit reader and a
// SHAPE decoder that turns a glyph shape back into closed contours, and a
// little-endian cursor over tag bodies.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/media_state.h"
#include "media/text/text_definitions.h"
#include "support/swf_tags.h"
#include "swf/swf_writer.h"

namespace tesmiro::testing {

class Bits {
 public:
  explicit Bits(const std::vector<uint8_t>& d, size_t bytePos = 0) : data_(d), pos_(bytePos * 8) {}
  uint32_t u(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      size_t byte = pos_ / 8;
      if (byte >= data_.size()) {
        overrun_ = true;
        return 0;
      }
      v = (v << 1) | ((data_[byte] >> (7 - pos_ % 8)) & 1);
      ++pos_;
    }
    return v;
  }
  int32_t s(int n) {
    uint32_t v = u(n);
    if (n > 0 && n < 32 && ((v >> (n - 1)) & 1))
      return static_cast<int32_t>(static_cast<int64_t>(v) - (int64_t{1} << n));
    return static_cast<int32_t>(v);
  }
  size_t bytesUsed() const { return (pos_ + 7) / 8; }
  bool overrun() const { return overrun_; }

 private:
  const std::vector<uint8_t>& data_;
  size_t pos_;
  bool overrun_ = false;
};

struct ShapePoint {
  int32_t x = 0, y = 0;
  bool operator==(const ShapePoint&) const = default;
};
struct ShapeContour {
  ShapePoint start;
  std::vector<ShapePoint> onCurve;  // every edge's end point
  int curvedEdges = 0;
  int straightEdges = 0;
};
struct DecodedShape {
  bool ok = false;
  std::string problem;
  std::vector<ShapeContour> contours;
  size_t bytes = 0;
};

// Decodes a font glyph SHAPE: 1 fill bit, 0 line bits, style changes with
// move-to only (after the first, which selects fill 0), straight and curved
// edges, end record.
inline DecodedShape DecodeGlyphShape(const std::vector<uint8_t>& shape) {
  DecodedShape out;
  Bits b(shape);
  if (b.u(4) != 1 || b.u(4) != 0) {
    out.problem = "fill/line bit counts";
    return out;
  }
  int32_t x = 0, y = 0;
  while (!b.overrun()) {
    if (b.u(1) == 0) {
      uint32_t flags = b.u(5);
      if (flags == 0) {
        out.ok = !b.overrun();
        out.bytes = b.bytesUsed();
        return out;
      }
      if (flags & 0x10) {
        out.problem = "new styles in a glyph";
        return out;
      }
      if (flags & 1) {
        int n = static_cast<int>(b.u(5));
        x = b.s(n);
        y = b.s(n);
        out.contours.push_back(ShapeContour{{x, y}, {}, 0, 0});
      }
      if (flags & 2) b.u(1);  // fill style 0
      if (flags & 4) b.u(1);  // fill style 1
      if (flags & 8) {
        out.problem = "line style in a glyph";
        return out;
      }
      continue;
    }
    if (out.contours.empty()) {
      out.problem = "edge before the first move";
      return out;
    }
    ShapeContour& c = out.contours.back();
    bool straight = b.u(1) == 1;
    int n = static_cast<int>(b.u(4)) + 2;
    if (straight) {
      bool general = b.u(1) == 1;
      int32_t dx = 0, dy = 0;
      if (general) {
        dx = b.s(n);
        dy = b.s(n);
      } else if (b.u(1) == 1) {
        dy = b.s(n);
      } else {
        dx = b.s(n);
      }
      x += dx, y += dy;
      ++c.straightEdges;
    } else {
      int32_t cx = b.s(n), cy = b.s(n), ax = b.s(n), ay = b.s(n);
      x += cx + ax, y += cy + ay;
      ++c.curvedEdges;
    }
    c.onCurve.push_back({x, y});
  }
  out.problem = "ran past the end";
  return out;
}

// A little-endian cursor over a byte array, failing the test on overrun.
class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& d, size_t p = 0) : d_(d), p_(p) {}
  uint32_t u8() { return p_ < d_.size() ? d_[p_++] : (fail(), 0u); }
  uint32_t u16() {
    uint32_t lo = u8();
    return lo | (u8() << 8);
  }
  int32_t s16() { return static_cast<int16_t>(u16()); }
  uint32_t u16be() {
    uint32_t hi = u8();
    return (hi << 8) | u8();
  }
  uint32_t u32() {
    uint32_t lo = u16();
    return lo | (u16() << 16);
  }
  std::vector<uint8_t> bytes(size_t n) {
    if (p_ + n > d_.size()) {
      fail();
      return {};
    }
    std::vector<uint8_t> v(d_.begin() + static_cast<std::ptrdiff_t>(p_), d_.begin() + static_cast<std::ptrdiff_t>(p_ + n));
    p_ += n;
    return v;
  }
  std::string cstr() {
    std::string s;
    while (p_ < d_.size() && d_[p_] != 0) s += static_cast<char>(d_[p_++]);
    u8();
    return s;
  }
  size_t pos() const { return p_; }
  void seek(size_t p) { p_ = p; }
  bool atEnd() const { return p_ == d_.size(); }

 private:
  void fail() { ADD_FAILURE() << "read past the end at " << p_; }
  const std::vector<uint8_t>& d_;
  size_t p_;
};

// A glyph table of hand-made glyphs (no shapes beyond the empty one), for
// layout tests that must not depend on a font.
inline SWFMakeCore::GlyphTable MakeTable(int32_t height, std::vector<std::array<int32_t, 3>> glyphs) {
  SWFMakeCore::GlyphTable t;
  t.height = height;
  t.ascent = height * 4 / 5;
  t.descent = height - t.ascent;
  for (auto [code, advance, right] : glyphs)
    t.glyphs.push_back(SWFMakeCore::GlyphRecord{{0x10, 0x0A, 0x00}, code, advance, right});
  return t;
}

// The 1-based index of a code in a table kept aside.
inline int32_t FindGlyphIn(const SWFMakeCore::GlyphTable& t, int32_t code) {
  for (int32_t i = 1; i <= t.count(); ++i)
    if (t.glyph(i).code == code) return i;
  ADD_FAILURE() << "no glyph for " << code;
  return 1;
}

class TextWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override { Fresh(); }
  static void Fresh() {
    SWFMakeCore::ResetMediaState();
    SWFMakeCore::SetTextCollector(nullptr);
  }
  void StartMovie(int version) {
    SWFMakeCore::WriteSWFHeader(version, 320, 240, 12.0f);
    SWFMakeCore::OutputBuffer().clear();
  }
  static text::FontSurface Surface(std::string name, bool bold = false, bool italic = false) {
    text::FontSurface s;
    s.name = std::move(name);
    s.bold = bold;
    s.italic = italic;
    return s;
  }
};

}  // namespace tesmiro::testing
