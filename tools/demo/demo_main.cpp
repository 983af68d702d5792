// Writes a small demonstration movie through the SWF writer: a coloured
// square in a sprite that slides and fades across the stage, a frame label
// and a stop at the end. Kept as a small example of the writer on its own.
#include <cstdio>
#include <string>

#include "demo/square_shape.h"
#include "swf/swf_writer.h"

using namespace tesmiro::SWFMakeCore;
using tesmiro::demo::WriteSquareShape;

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "demo.swf";
  WriteSWFHeader(8, 320, 240, 12.0f);
  WriteSetBackgroundColor(0xF0, 0xF4, 0xFF);
  if (!WriteMovieFile(path, MovieStage::Open)) {
    std::fprintf(stderr, "%s\n", WriterState().diagnostics.back().text.c_str());
    return 1;
  }
  // The square (1) and a sprite (2) that holds it.
  WriteSquareShape(1, 60 * 20, 0x30, 0x80, 0xE0);
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::BeginSprite);
  WriteSpriteHeader(2);
  WriteMovieFile(path, MovieStage::WriteBuffer);
  Placement inSprite;
  inSprite.characterId = 1;
  WritePlaceObject(inSprite);
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  WriteMovieFile(path, MovieStage::WriteBuffer);
  WriteMovieFile(path, MovieStage::EndSprite);
  WriteExportName(2, "square");
  WriteMovieFile(path, MovieStage::WriteBuffer);

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
    if (f + 1 == frames) WriteDoAction("", "", ActionKind::Stop);  // stop on the last frame
    NextFrame();
  }
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  if (!WriteMovieFile(path, MovieStage::Finish)) {
    std::fprintf(stderr, "%s\n", WriterState().diagnostics.back().text.c_str());
    return 1;
  }
  std::printf("wrote %s\n", path.c_str());
  return 0;
}
