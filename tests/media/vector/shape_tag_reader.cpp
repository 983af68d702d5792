#include "shape_tag_reader.h"

namespace tesmiro::testing {
namespace {

class Bits {
 public:
  Bits(const std::vector<uint8_t>& d, size_t pos) : d_(d), byte_(pos) {}

  bool ok() const { return ok_; }
  std::string error;
  size_t bytePos() const { return byte_ + (bit_ ? 1 : 0); }
  bool atEnd() const { return byte_ >= d_.size(); }

  uint64_t u(int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (byte_ >= d_.size()) return fail("bits past the end"), 0;
      v = (v << 1) | ((d_[byte_] >> (7 - bit_)) & 1);
      if (++bit_ == 8) bit_ = 0, ++byte_;
    }
    return v;
  }
  int64_t s(int n) {
    if (n == 0) return 0;
    const uint64_t v = u(n);
    return (v >> (n - 1)) & 1 ? static_cast<int64_t>(v) - (int64_t{1} << n) : static_cast<int64_t>(v);
  }
  void align() {
    if (bit_) bit_ = 0, ++byte_;
  }
  uint32_t byte() {
    align();
    return static_cast<uint32_t>(u(8));
  }
  uint32_t u16() {
    const uint32_t lo = byte();
    return lo | (byte() << 8);
  }
  uint32_t u32() {
    const uint32_t lo = u16();
    return lo | (u16() << 16);
  }
  uint32_t rgba() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }
  bool fail(const std::string& why) {
    if (ok_) error = why + " at byte " + std::to_string(byte_);
    ok_ = false;
    return false;
  }

 private:
  const std::vector<uint8_t>& d_;
  size_t byte_;
  int bit_ = 0;
  bool ok_ = true;
};

ReadRect Rect(Bits& b) {
  b.align();
  ReadRect r;
  r.nbits = static_cast<int32_t>(b.u(5));
  r.xmin = b.s(r.nbits);
  r.xmax = b.s(r.nbits);
  r.ymin = b.s(r.nbits);
  r.ymax = b.s(r.nbits);
  b.align();
  return r;
}

ReadMatrix Matrix(Bits& b) {
  b.align();
  ReadMatrix m;
  if (b.u(1)) {
    m.scaleBits = static_cast<int32_t>(b.u(5));
    m.sx = static_cast<double>(b.s(m.scaleBits)) / 65536.0;
    m.sy = static_cast<double>(b.s(m.scaleBits)) / 65536.0;
  }
  if (b.u(1)) {
    const int n = static_cast<int>(b.u(5));
    m.r0 = static_cast<double>(b.s(n)) / 65536.0;
    m.r1 = static_cast<double>(b.s(n)) / 65536.0;
  }
  m.translateBits = static_cast<int32_t>(b.u(5));
  m.tx = b.s(m.translateBits);
  m.ty = b.s(m.translateBits);
  b.align();
  return m;
}

uint32_t Count(Bits& b) {
  const uint32_t n = b.byte();
  return n == 0xFF ? b.u16() : n;
}

ReadFill Fill(Bits& b, bool morph) {
  ReadFill f;
  f.type = static_cast<int>(b.byte());
  if (f.type == 0x00) {
    f.rgba = b.rgba();
    if (morph) f.endRgba = b.rgba();
  } else if (f.type == 0x10 || f.type == 0x12) {
    f.matrix = Matrix(b);
    if (morph) f.endMatrix = Matrix(b);
    const uint32_t n = b.byte() & 15;
    if (n == 0) b.fail("gradient without records");
    for (uint32_t i = 0; i < n && b.ok(); ++i) {
      ReadGradientRecord r;
      r.ratio = static_cast<int>(b.byte());
      r.rgba = b.rgba();
      if (morph) {
        r.endRatio = static_cast<int>(b.byte());
        r.endRgba = b.rgba();
      }
      f.records.push_back(r);
    }
  } else {
    b.fail("unexpected fill type " + std::to_string(f.type));
  }
  return f;
}

ReadStyles Styles(Bits& b, bool morph) {
  ReadStyles s;
  const uint32_t fills = Count(b);
  for (uint32_t i = 0; i < fills && b.ok(); ++i) s.fills.push_back(Fill(b, morph));
  const uint32_t lines = Count(b);
  for (uint32_t i = 0; i < lines && b.ok(); ++i) {
    ReadLine l;
    l.width = static_cast<int>(b.u16());
    if (morph) l.endWidth = static_cast<int>(b.u16());
    l.rgba = b.rgba();
    if (morph) l.endRgba = b.rgba();
    s.lines.push_back(l);
  }
  s.fillBits = static_cast<int>(b.u(4));
  s.lineBits = static_cast<int>(b.u(4));
  return s;
}

// Shape records up to the end record. New-style records append to `tables`;
// style indices are checked against the table in force.
std::vector<ReadPath> Records(Bits& b, std::vector<ReadStyles>& tables, int fillBits, int lineBits) {
  std::vector<ReadPath> paths;
  int64_t x = 0, y = 0;
  ReadPath current;
  bool open = false;
  int table = static_cast<int>(tables.size()) - 1;
  // A path begins at a move, or where styles change after edges.
  auto close = [&] {
    if (open && (!current.edges.empty() || current.moveBits > 0)) paths.push_back(current);
    open = false;
  };
  while (b.ok()) {
    if (b.u(1) == 0) {
      const uint64_t flags = b.u(5);
      if (flags == 0) break;
      ReadPath next = current;
      next.edges.clear();
      next.moveBits = 0;
      if (flags & 1) {
        next.moveBits = static_cast<int32_t>(b.u(5));
        x = b.s(next.moveBits);
        y = b.s(next.moveBits);
      }
      if (flags & 2) next.fill0 = static_cast<int64_t>(b.u(fillBits));
      if (flags & 4) next.fill1 = static_cast<int64_t>(b.u(fillBits));
      if (flags & 8) next.line = static_cast<int64_t>(b.u(lineBits));
      if (flags & 16) {
        b.align();
        tables.push_back(Styles(b, false));
        table = static_cast<int>(tables.size()) - 1;
        fillBits = tables.back().fillBits;
        lineBits = tables.back().lineBits;
      }
      const ReadStyles& t = tables.at(static_cast<size_t>(table));
      if (next.fill0 > static_cast<int64_t>(t.fills.size()) || next.fill1 > static_cast<int64_t>(t.fills.size()) ||
          next.line > static_cast<int64_t>(t.lines.size()))
        b.fail("style index beyond its table");
      next.styleTable = table;
      next.startX = x;
      next.startY = y;
      if ((flags & 1) || !open || !current.edges.empty()) {
        close();
        current = next;
        open = true;
      } else {
        next.startX = current.startX;
        next.startY = current.startY;
        next.moveBits = current.moveBits;
        current = next;
      }
    } else {
      const bool straight = b.u(1) != 0;
      const int n = static_cast<int>(b.u(4)) + 2;
      ReadEdge e;
      if (straight) {
        int64_t dx = 0, dy = 0;
        if (b.u(1)) {
          dx = b.s(n);
          dy = b.s(n);
        } else if (b.u(1)) {
          dy = b.s(n);
        } else {
          dx = b.s(n);
        }
        e.ax = x + dx;
        e.ay = y + dy;
      } else {
        e.curved = true;
        e.cx = x + b.s(n);
        e.cy = y + b.s(n);
        e.ax = e.cx + b.s(n);
        e.ay = e.cy + b.s(n);
      }
      x = e.ax;
      y = e.ay;
      if (!open) {
        current = ReadPath{};
        open = true;
      }
      current.edges.push_back(e);
    }
  }
  close();
  return paths;
}

std::optional<ReadShape> Done(Bits& b, ReadShape shape, size_t size, std::string* error) {
  b.align();
  if (b.ok() && b.bytePos() != size) b.fail("tag has " + std::to_string(size - b.bytePos()) + " bytes left over");
  if (!b.ok()) {
    if (error) *error = b.error;
    return std::nullopt;
  }
  return shape;
}

}  // namespace

std::optional<ReadShape> ReadShapeData(const std::vector<uint8_t>& data, std::string* error) {
  Bits b(data, 0);
  ReadShape shape;
  shape.tables.push_back(Styles(b, false));
  shape.paths = Records(b, shape.tables, shape.tables[0].fillBits, shape.tables[0].lineBits);
  return Done(b, shape, data.size(), error);
}

std::optional<ReadShape> ReadDefineShape3(const std::vector<uint8_t>& body, std::string* error) {
  Bits b(body, 0);
  ReadShape shape;
  shape.id = static_cast<int>(b.u16());
  shape.bounds = Rect(b);
  shape.tables.push_back(Styles(b, false));
  shape.paths = Records(b, shape.tables, shape.tables[0].fillBits, shape.tables[0].lineBits);
  return Done(b, shape, body.size(), error);
}

std::optional<ReadShape> ReadDefineMorphShape(const std::vector<uint8_t>& body, std::string* error) {
  Bits b(body, 0);
  ReadShape shape;
  shape.id = static_cast<int>(b.u16());
  shape.bounds = Rect(b);
  shape.endBounds = Rect(b);
  shape.endEdgesOffset = b.u32();
  const size_t offsetEnd = b.bytePos();
  ReadStyles styles;
  const uint32_t fills = Count(b);
  for (uint32_t i = 0; i < fills && b.ok(); ++i) styles.fills.push_back(Fill(b, true));
  const uint32_t lines = Count(b);
  for (uint32_t i = 0; i < lines && b.ok(); ++i) {
    ReadLine l;
    l.width = static_cast<int>(b.u16());
    l.endWidth = static_cast<int>(b.u16());
    l.rgba = b.rgba();
    l.endRgba = b.rgba();
    styles.lines.push_back(l);
  }
  styles.fillBits = static_cast<int>(b.u(4));
  styles.lineBits = static_cast<int>(b.u(4));
  shape.tables.push_back(styles);
  shape.paths = Records(b, shape.tables, styles.fillBits, styles.lineBits);
  b.align();
  shape.endEdgesAt = b.bytePos() - offsetEnd;
  const int endFill = static_cast<int>(b.u(4)), endLine = static_cast<int>(b.u(4));
  shape.endPaths = Records(b, shape.tables, endFill, endLine);
  return Done(b, shape, body.size(), error);
}

}  // namespace tesmiro::testing
