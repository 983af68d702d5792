// Writes a movie whose only content is a device-font edit text in Japanese:
//   device_font_driver OUT.swf
// SWF 8, stage 400 x 120 on white. Font 1 is the device font "_ゴシック";
// edit text 2 shows "日本語テキスト" in black at 32 points. Prints the text
// box on the stage in pixels as JSON: {"box":[x,y,width,height]}.
#include <cstdio>
#include <string>

#include "media/text/text_definitions.h"
#include "swf/swf_writer.h"

using namespace tesmiro::SWFMakeCore;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.swf\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  constexpr int32_t kX = 20, kY = 20, kW = 360, kH = 70;

  WriteSWFHeader(8, 400, 120, 12.0f);
  WriteSetBackgroundColor(0xFF, 0xFF, 0xFF);
  WriteMovieFile(path, MovieStage::Open);
  WriteDeviceFont(1, "_ゴシック", 0);
  WriteDefineEditText(2, 1, 32 * 20, 0, "日本語テキスト", kW, kH, kAlignLeft, 0x000000, "", 0, 0, 0);
  WriteMovieFile(path, MovieStage::WriteBuffer);

  Placement text;
  text.characterId = 2;
  text.depth = 1;
  text.x = kX * 20;
  text.y = kY * 20;
  WritePlaceObject(text);
  NextFrame();
  WriteMovieFile(path, MovieStage::WriteFrames);
  WriteEnd();
  if (!WriteMovieFile(path, MovieStage::Finish)) {
    for (const auto& d : WriterState().diagnostics) std::fprintf(stderr, "%s\n", d.text.c_str());
    return 1;
  }
  std::printf("{\"box\":[%d,%d,%d,%d]}\n", kX, kY, kW, kH);
  return 0;
}
