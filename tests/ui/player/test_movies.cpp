#include "test_movies.h"

#include <fstream>

#include "compiler/preview_reporter.h"
#include "script/compiler.h"

namespace tesmiro::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class Bits {
 public:
  void put(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (used_ == 0) bytes.push_back(0);
      if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(0x80 >> used_);
      used_ = (used_ + 1) % 8;
    }
  }
  void putSigned(int32_t value, int count) { put(static_cast<uint32_t>(value) & ((1u << count) - 1), count); }
  Bytes bytes;

 private:
  int used_ = 0;
};

void U16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Tag(Bytes& out, int code, const Bytes& body) {
  U16(out, static_cast<uint32_t>(code << 6 | 63));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
  out.insert(out.end(), body.begin(), body.end());
}

Bytes Rect(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  Bits bits;
  bits.put(16, 5);
  for (int32_t v : {x0, x1, y0, y1}) bits.putSigned(v, 16);
  return bits.bytes;
}

Bytes Square(uint32_t rgb) {
  Bytes b;
  U16(b, 1);
  const Bytes bounds = Rect(400, 1200, 400, 1200);
  b.insert(b.end(), bounds.begin(), bounds.end());
  b.insert(b.end(), {1, 0, static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 0});
  Bits s;
  s.put(1, 4);  // fill index bits
  s.put(0, 4);  // line index bits
  s.put(0b000101, 6);  // style change: fill style 1, move to
  s.put(12, 5);
  s.putSigned(400, 12);
  s.putSigned(400, 12);
  s.put(1, 1);  // fill style 1
  const int32_t side = 800;
  for (auto [dx, dy] : {std::pair{side, 0}, std::pair{0, side}, std::pair{-side, 0}, std::pair{0, -side}}) {
    s.put(0b11, 2);  // straight edge
    s.put(12 - 2, 4);
    s.put(0, 1);  // not general
    s.put(dx == 0 ? 1 : 0, 1);
    s.putSigned(dx == 0 ? dy : dx, 12);
  }
  s.put(0, 6);  // end
  b.insert(b.end(), s.bytes.begin(), s.bytes.end());
  return b;
}

void String(Bytes& b, const std::string& text) {
  b.insert(b.end(), text.begin(), text.end());
  b.push_back(0);
}

// A device font (no glyphs) and an edit text that uses it.
void DeviceText(Bytes& out, const std::string& text) {
  const std::string name = "_ゴシック";
  Bytes font;
  U16(font, 2);
  font.push_back(0);  // no layout, no flags
  font.push_back(0);  // language
  font.push_back(static_cast<uint8_t>(name.size()));
  font.insert(font.end(), name.begin(), name.end());
  U16(font, 0);  // glyphs
  U16(font, 2);  // code table offset
  Tag(out, 48, font);
  Bytes edit;
  U16(edit, 3);
  const Bytes bounds = Rect(200, 2200, 200, 1000);
  edit.insert(edit.end(), bounds.begin(), bounds.end());
  edit.push_back(0x80 | 0x08 | 0x04 | 0x01);  // text, read-only, colour, font
  edit.push_back(0x10);                       // not selectable
  U16(edit, 2);
  U16(edit, 24 * 20);
  edit.insert(edit.end(), {0, 0, 0, 255});
  String(edit, "");
  String(edit, text);
  Tag(out, 37, edit);
  Bytes place = {0x02};
  U16(place, 2);
  U16(place, 3);
  Tag(out, 26, place);
}

}  // namespace

bool WriteTestMovie(const TestMovie& movie, const std::filesystem::path& path, std::string* error) {
  Bytes out = {'F', 'W', 'S', static_cast<uint8_t>(movie.version), 0, 0, 0, 0};
  const Bytes frame = Rect(0, movie.width * 20, 0, movie.height * 20);
  out.insert(out.end(), frame.begin(), frame.end());
  const auto rate = static_cast<uint32_t>(movie.frameRate * 256);
  U16(out, rate);
  U16(out, static_cast<uint32_t>(movie.frames.size()));
  Tag(out, 9, {static_cast<uint8_t>(movie.background >> 16), static_cast<uint8_t>(movie.background >> 8),
               static_cast<uint8_t>(movie.background)});
  for (size_t i = 0; i < movie.frames.size(); ++i) {
    if (i == 0 && movie.square) {
      Tag(out, 2, Square(*movie.square));
      Bytes place = {0x02};
      U16(place, 1);
      U16(place, 1);
      Tag(out, 26, place);
    }
    if (i == 0 && movie.deviceText) DeviceText(out, *movie.deviceText);
    if (!movie.frames[i].empty()) {
      const script::CompileResult r =
          script::Compile(movie.frames[i], movie.version < 6 ? script::Target::Swf4 : script::Target::Swf6);
      if (!r.ok()) {
        if (error) *error = "frame " + std::to_string(i + 1) + ": " + r.error->message;
        return false;
      }
      Bytes actions = r.actions;
      actions.push_back(0);
      Tag(out, 12, actions);
    }
    out.insert(out.end(), {0x40, 0x00});
  }
  out.insert(out.end(), {0, 0});
  for (int i = 0; i < 4; ++i) out[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(out.size() >> (8 * i));
  {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!f) {
      if (error) *error = "cannot write " + path.string();
      return false;
    }
  }
  if (movie.reporter && !GUICore::AddFrameReporter(path)) {
    if (error) *error = "the reporter was not added";
    return false;
  }
  return true;
}

}  // namespace tesmiro::testing
