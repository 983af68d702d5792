// Writes the preview movies that tests/js/previews.test.mjs checks and plays:
//   preview_driver selected DIR     DIR/sel.swf: the selected events only (mode 4)
//   preview_driver placeholder DIR  DIR/_preview.swf (whole movie) and DIR/event.swf,
//                                   whose placeholder loads it and holds it at frame 4
//   preview_driver effect DIR       DIR/effect.swf: a text with in and out effects
// Stage 240 x 200 px, white, SWF 8, 12 frames a second; the squares are 40 px.
// Each showPreview call is printed on stdout as "showPreview PATH TARGET WxH".
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "compiler/core_setup.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "compiler/text_effects.h"
#include "media/action_compiler.h"
#include "platform/app_paths.h"
#include "platform/ui.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/window_services.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

class ConsoleUi final : public ui::Messages, public ui::WindowServices {
 public:
  ui::Answer message(const std::string& title, const std::string& text, ui::Icon, ui::Buttons) override {
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
    return ui::Answer::Ok;
  }
  void status(const std::string&) override {}
  void showPreview(const std::string& path, ui::PreviewTarget target, int32_t width, int32_t height) override {
    std::printf("showPreview %s %d %dx%d\n", path.c_str(), static_cast<int>(target), width, height);
  }
};

// KVG colours hold red in the lowest byte, alpha in the highest.
int32_t Kvg(uint32_t r, uint32_t g, uint32_t b) { return static_cast<int32_t>(r | (g << 8) | (b << 16) | (255u << 24)); }

// A 40 px square without an outline.
void WriteKvgSquare(const fs::path& path, int32_t colour) {
  std::ofstream f(path, std::ios::binary);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0," << Kvg(0, 0, 0) << ",1," << colour << ",0,0,0,1,1," << Kvg(0, 0, 0)
    << ",#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

enum : int32_t { kRed = 1, kGreen = 2, kBlue = 3, kText = 4 };

EventRecord Place(int32_t item, int32_t depth, int32_t x, int32_t y, int32_t frames = 0, const std::string& name = "") {
  EventRecord e = GUICore::InitEventRecord();
  e.itemId = item;
  e.kind = 0;
  e.depth = depth;
  e.startX = e.endX = x;
  e.startY = e.endY = y;
  e.frameCount = frames;
  e.text1 = name;
  return e;
}

EventRecord Action(ActionKind kind, const std::string& script = "", int32_t frames = 1) {
  EventRecord e = GUICore::InitEventRecord();
  e.kind = static_cast<int16_t>(kind);
  e.text2 = script;
  e.frameCount = frames;
  return e;
}

void NewMovie(const fs::path& dir) {
  GUICore::State().paths = AppPaths::InFolder(dir);
  GUICore::State().paths.resources = TESMIRO_RESOURCES;
  GUICore::NewProject();
  auto& m = GUICore::State();
  m.settings.width = 240;
  m.settings.height = 200;
  m.settings.frameRate = 12.0f;
  m.settings.options = "  8 ";
  m.settings.backgroundRed = m.settings.backgroundGreen = m.settings.backgroundBlue = 255;
  m.settings.preloader = 0;
  const std::pair<int32_t, int32_t> squares[] = {
      {kRed, Kvg(255, 0, 0)}, {kGreen, Kvg(0, 255, 0)}, {kBlue, Kvg(0, 0, 255)}};
  for (auto [id, colour] : squares) {
    const fs::path file = dir / ("square" + std::to_string(id) + ".kvg");
    WriteKvgSquare(file, colour);
    StoreItem item = NewStoreItem(StoreItemKind::VectorImage);
    item.id = id;
    item.name = file.string();
    m.store.push_back(item);
  }
}

// Rows 2, 4, 5 and 6 selected: the green square, the lower red square and
// the closing script; the red square above and the blue one that takes six
// frames stay out, so the selection starts together in the first frame.
int Selected() {
  auto& ev = GUICore::State().events;
  ev.push_back(Place(kRed, 1, 20, 20));
  ev.push_back(Place(kGreen, 2, 100, 20));
  ev.push_back(Place(kBlue, 3, 180, 20, 6));
  ev.push_back(Place(kRed, 4, 20, 120));
  ev.push_back(Action(ActionKind::Script, "trace(\"selected\");"));
  ev.push_back(Action(ActionKind::Stop));
  EventListModule::LoadRows();
  for (int row : {1, 3, 4, 5}) EventListModule::Current().rows[static_cast<size_t>(row)].selected = -1;
  return GUICore::RunPreview(GUICore::PreviewMode::SelectedInWindow, "sel.swf") == GUICore::BuildResult::Done ? 0 : 1;
}

// The whole movie shows green in frames 1-3 and blue in frame 4 at (100, 20),
// where it traces "frame4" and stops by itself (the placeholder's hold at
// frame 4 needs a player that sends the data clip event after loadMovie).
// The event preview adds a red and a blue square in the lower half.
int Placeholder(const fs::path& dir) {
  auto& ev = GUICore::State().events;
  ev.push_back(Place(kGreen, 1, 100, 20, 3));
  ev.push_back(Place(kBlue, 1, 100, 20, 1));
  ev.push_back(Action(ActionKind::Rollback, "", -1));
  ev.push_back(Action(ActionKind::Script, "trace(\"frame4\"); stop();"));
  if (GUICore::RunPreview(GUICore::PreviewMode::Window, GUICore::kPreviewMovie) != GUICore::BuildResult::Done) return 1;
  return GUICore::BuildEventPreviewSWF(Place(kRed, 1, 20, 120), Place(kBlue, 2, 180, 120), dir / "event.swf", false,
                                       true, 4)
             ? 0
             : 1;
}

// Three squares as letters; in order right (3, 2, 1), out order centre
// (2, 1, 3). With 33 frames, interval 10 and three letters each letter
// takes 3 frames: in, letters start at 0, 10, 20 and are in by 3, 13, 23;
// ten frames of hold; out, letters start at 33, 43, 53 and are gone by 36,
// 46, 56. The same effect stands three times, one above the other, each
// stopped by the main timeline at its own frame: "fxIn" at 17 (letters 3 and
// 2 in), "fxAll" at 28 (all in), "fxOut" at 40 (letter 2 gone).
int Effect(const fs::path& dir) {
  auto& m = GUICore::State();
  GUICore::TextEffectSettings fx;
  fx.inTemplate = "スライド";
  fx.outTemplate = "フェード";
  fx.inFrames = fx.outFrames = 33;
  fx.inInterval = fx.outInterval = 10;
  fx.inOrder = 1;
  fx.outOrder = 2;
  fx.holdFrames = 10;
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.id = kText;
  text.name = "■■■";
  text.font = "DejaVu Sans";
  text.size = 30;
  text.width = 150;
  text.height = 50;
  text.param = 0;  // black
  text.flags = 0x2000;
  text.option = GUICore::BuildTextEffectOption(fx);
  m.store.push_back(text);

  auto& ev = m.events;
  ev.push_back(Place(kText, 1, 40, 0, 0, "fxIn"));
  ev.push_back(Place(kText, 2, 40, 70, 0, "fxAll"));
  ev.push_back(Place(kText, 3, 40, 140, 0, "fxOut"));
  ev.push_back(Action(ActionKind::DoNothing, "", 16));
  ev.push_back(Action(ActionKind::Script, "fxIn.stop();"));
  ev.push_back(Action(ActionKind::DoNothing, "", 10));
  ev.push_back(Action(ActionKind::Script, "fxAll.stop();"));
  ev.push_back(Action(ActionKind::DoNothing, "", 11));
  ev.push_back(Action(ActionKind::Script, "fxOut.stop(); stop(); trace(\"stopped\");"));
  return GUICore::MakeSWF(dir / "effect.swf", true) == GUICore::BuildResult::Done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s selected|placeholder|effect DIR\n", argv[0]);
    return 2;
  }
  ConsoleUi console;
  const std::string command = argv[1];
  const fs::path dir = fs::absolute(argv[2]);
  AppPaths paths = AppPaths::InFolder(dir);
  paths.resources = TESMIRO_RESOURCES;
  core::Installation core({paths, {&console, nullptr, &console}, nullptr});
  NewMovie(dir);
  if (command == "selected") return Selected();
  if (command == "placeholder") return Placeholder(dir);
  if (command == "effect") return Effect(dir);
  std::fprintf(stderr, "unknown command %s\n", command.c_str());
  return 2;
}
