// Writes a small demonstration movie through the SWF writer: a coloured
// square in a sprite that slides and fades across the stage, a frame label
// and a stop at the end. The main window replaces this program's role.
#include <cstdio>
#include <string>

#include "swf/bit_writer.h"
#include "swf/swf_writer.h"

namespace {

using namespace tesmiro::SWFMakeCore;

// DefineShape of a filled square, side `size` twips, one solid fill.
void WriteSquareShape(int32_t id, int32_t size, uint8_t r, uint8_t g, uint8_t b) {
  WriteHex("BF00");  // DefineShape, long header
  const auto lengthAt = static_cast<size_t>(Reserve(4));
  WriteU16(id);
  const Bytes bounds = MakeRect(0, size, 0, size);
  OutputBuffer().insert(OutputBuffer().end(), bounds.begin(), bounds.end());
  WriteHex("01");  // one fill style
  WriteHex("00");  // solid
  OutputBuffer().insert(OutputBuffer().end(), {r, g, b});
  WriteHex("00");  // no line styles
  BitWriter w;
  WriteBits(w, 1, 4);  // one bit per fill index
  WriteBits(w, 0, 4);  // no line indexes
  // Move to 0,0 with fill 1, then four straight edges.
  const int32_t n = SignedBitsNeeded({size, -size});
  WriteBits(w, 0, 1);
  WriteBits(w, 0b00011, 5);  // new fill 0, move to
  WriteBits(w, 1, 5);
  WriteBits(w, 0, 1);
  WriteBits(w, 0, 1);
  WriteBits(w, 1, 1);  // fill style 1
  for (auto [dx, dy] : {std::pair{size, 0}, std::pair{0, size}, std::pair{-size, 0}, std::pair{0, -size}}) {
    WriteBits(w, 1, 1);  // edge
    WriteBits(w, 1, 1);  // straight
    WriteBits(w, n - 2, 4);
    WriteBits(w, 0, 1);  // not a general line
    WriteBits(w, dx == 0 ? 1 : 0, 1);  // vertical?
    WriteBits(w, dx == 0 ? dy : dx, n);
  }
  WriteBits(w, 0, 6);  // end of shape
  const Bytes rec = w.bytes();
  OutputBuffer().insert(OutputBuffer().end(), rec.begin(), rec.end());
  PatchTagLength(lengthAt);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "demo.swf";
  WriteSWFHeader(8, 320, 240, 12.0f);
  WriteSetBackgroundColor(0xF0, 0xF4, 0xFF);
  if (!WriteMovieFile(path, 1)) {
    std::fprintf(stderr, "%s\n", state().diagnostics.back().c_str());
    return 1;
  }
  // The square (1) and a sprite (2) that holds it.
  WriteSquareShape(1, 60 * 20, 0x30, 0x80, 0xE0);
  WriteMovieFile(path, 2);
  WriteMovieFile(path, 4);
  WriteSpriteHeader(2);
  WriteMovieFile(path, 2);
  Placement inSprite;
  inSprite.characterId = 1;
  WritePlaceObject(inSprite);
  NextFrame();
  WriteMovieFile(path, 6);
  WriteEnd();
  WriteMovieFile(path, 2);
  WriteMovieFile(path, 5);
  WriteExportName(2, "square");
  WriteMovieFile(path, 2);

  WriteFrameLabel("start");
  const int frames = 24;
  for (int f = 0; f < frames; ++f) {
    Placement p;
    p.characterId = 2;
    p.depth = 1;
    p.name = "square";
    p.x = (20 + f * 9) * 20;
    p.y = 90 * 20;
    p.rotation = static_cast<float>(f) * 0.05f;
    p.alpha = 256 - f * 6;
    WritePlaceObject(p);
    if (f + 1 == frames) WriteDoAction("", "", 4);  // stop on the last frame
    NextFrame();
  }
  WriteMovieFile(path, 6);
  WriteEnd();
  if (!WriteMovieFile(path, 3)) {
    std::fprintf(stderr, "%s\n", state().diagnostics.back().c_str());
    return 1;
  }
  std::printf("wrote %s\n", path.c_str());
  return 0;
}
