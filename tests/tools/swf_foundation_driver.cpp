// Writes the foundation test movie from explicit writer calls:
//   swf_foundation_driver OUT.swf VERSION
// Stage 240 x 180 on a blue background. A sprite (ID 3, exported as "box")
// holds a red 60 x 60 square. Frame 1 is labelled "intro" and places the
// sprite at 20,20; frame 2 moves it to 100,20 at half alpha; frame 3 moves it
// to 120,100 at full alpha, sends FSCommand "hello" with "world" through a
// hand-written GetURL and stops.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/square_shape.h"
#include "swf/swf_writer.h"

using namespace tesmiro::SWFMakeCore;

namespace {

void PlaceBox(int32_t x, int32_t y, int32_t alpha) {
  Placement p;
  p.characterId = 3;
  p.depth = 1;
  p.name = "box";
  p.x = x * 20;
  p.y = y * 20;
  p.alpha = alpha;
  WritePlaceObject(p);
}

// DoAction { GetURL "FSCommand:hello", "world" }, built by hand so that the
// test does not depend on the action compiler.
void WriteFsCommand() {
  const Bytes url = StringToBytes("FSCommand:hello");
  const Bytes target = StringToBytes("world");
  const auto length = static_cast<int32_t>(url.size() + target.size());
  WriteHex("3F03");
  WriteU32(3 + length + 1);
  WriteHex("83");
  WriteU16(length);
  OutputBuffer().insert(OutputBuffer().end(), url.begin(), url.end());
  OutputBuffer().insert(OutputBuffer().end(), target.begin(), target.end());
  WriteHex("00");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT.swf VERSION\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  const int version = std::atoi(argv[2]);

  WriteSWFHeader(version, 240, 180, 12.0f);
  WriteSetBackgroundColor(0x20, 0x60, 0xA0);
  WriteMovieFile(path, MovieStage::Open);
  tesmiro::demo::WriteSquareShape(1, 60 * 20, 0xFF, 0x00, 0x00);
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::BeginSprite);
  WriteSpriteHeader(3);
  WriteMovieFile(path, MovieStage::WriteBuffer);
  Placement square;
  square.characterId = 1;
  WritePlaceObject(square);
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::EndSprite);
  WriteExportName(3, "box");
  WriteMovieFile(path, MovieStage::WriteBuffer);

  WriteFrameLabel("intro");
  PlaceBox(20, 20, 256);
  NextFrame();
  PlaceBox(100, 20, 128);
  NextFrame();
  PlaceBox(120, 100, 256);
  WriteFsCommand();
  WriteDoAction("", "", ActionKind::Stop);
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  if (!WriteMovieFile(path, MovieStage::Finish)) {
    for (const auto& d : WriterState().diagnostics) std::fprintf(stderr, "%s\n", d.text.c_str());
    return 1;
  }
  return 0;
}
