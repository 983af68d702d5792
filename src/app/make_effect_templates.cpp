// Writes the effect templates that ship with Tesmiro:
//   tesmiro-make-effect-templates RESOURCES_FOLDER
// Each template is an ordinary project: store item 1 is the placeholder
// letter, the main timeline moves it (in-templates end on the letter's place,
// out-templates start there), a "param" script event declares the
// parameters its letter scripts use, and "author:"/"comment:" events
// describe it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/text_effects.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"

namespace {

using namespace tesmiro;
using GUICore::InitEventRecord;

constexpr int32_t kX = 160, kY = 160;  // where the letter rests

EventRecord Letter(int32_t frames) {
  EventRecord e = InitEventRecord();
  e.itemId = 1;
  e.frameCount = frames;
  e.startX = e.endX = kX;
  e.startY = e.endY = kY;
  return e;
}

EventRecord Script(const std::string& title, const std::string& script) {
  EventRecord e = InitEventRecord();
  e.kind = static_cast<int16_t>(ActionKind::Script);
  e.text1 = title;
  e.text2 = script;
  return e;
}

struct Template {
  std::string half;  // "in" or "out"
  std::string name;
  std::string comment;
  std::string params;  // the "param" script: "__name=value; // description" lines
  std::vector<EventRecord> motion;
};

// A letter event that runs from `from` to `to` (in) or back (out).
EventRecord Move(bool in, int32_t frames, auto&& from) {
  EventRecord e = Letter(frames);
  EventRecord away = e;
  from(away);
  if (in) {
    e.startX = away.startX;
    e.startY = away.startY;
    e.startScaleX = away.startScaleX;
    e.startScaleY = away.startScaleY;
    e.startAngle = away.startAngle;
    e.startAlpha = away.startAlpha;
    e.easing = 128;
  } else {
    e.endX = away.startX;
    e.endY = away.startY;
    e.endScaleX = away.startScaleX;
    e.endScaleY = away.startScaleY;
    e.endAngle = away.startAngle;
    e.endAlpha = away.startAlpha;
    e.easing = -128;
  }
  return e;
}

std::vector<Template> Templates() {
  std::vector<Template> all;
  for (bool in : {true, false}) {
    const std::string half = in ? "in" : "out";
    all.push_back({half, "フェード", in ? "文字が浮かび上がります" : "文字が消えていきます", "",
                   {Move(in, 10, [](EventRecord& e) { e.startAlpha = 0; })}});
    all.push_back({half, "スライド", in ? "文字が左から滑り込みます" : "文字が右へ滑り出ます", "",
                   {Move(in, 12, [in](EventRecord& e) {
                     e.startX = in ? kX - 120 : kX + 120;
                     e.startAlpha = 0;
                   })}});
    all.push_back({half, "ズーム", in ? "大きな文字が縮んで収まります" : "文字が大きくなって消えます", "",
                   {Move(in, 12, [](EventRecord& e) {
                     e.startScaleX = e.startScaleY = 4.0f;
                     e.startAlpha = 0;
                   })}});
    all.push_back({half, "回転", in ? "文字が回りながら現れます" : "文字が回りながら消えます", "",
                   {Move(in, 15, [in](EventRecord& e) {
                     e.startAngle = in ? -360.0f : 360.0f;
                     e.startScaleX = e.startScaleY = 0.2f;
                   })}});
  }
  // A letter that falls into place and settles: its script moves it, so the
  // parameters shape the motion.
  EventRecord drop = Letter(20);
  drop.text2 =
      "onClipEvent (load) {\r\n  y0 = _y;\r\n  _y = y0 - _parent.__height;\r\n}\r\n-\r\n"
      "onClipEvent (enterFrame) {\r\n  _y += (y0 - _y) / _parent.__damping;\r\n}";
  all.push_back({"in", "落下", "文字が上から落ちてきます",
                 "__height=80; // 落ちはじめの高さ（ピクセル）\r\n__damping=3; // 大きいほどゆっくり止まります",
                 {drop}});
  return all;
}

bool Write(const Template& t, const std::filesystem::path& root) {
  GUICore::NewProject();
  GUICore::State().settings.width = 320;
  GUICore::State().settings.height = 320;
  StoreItem letter = NewStoreItem(StoreItemKind::Text);
  letter.id = 1;
  letter.name = "あ";
  letter.size = 48.0f;
  letter.width = 64;
  letter.height = 64;
  GUICore::State().store.push_back(letter);
  auto& events = GUICore::State().events;
  events.push_back(Script("param", t.params));
  events.push_back(Script("author:Tesmiro", ""));
  events.push_back(Script("comment:" + t.comment, ""));
  for (const EventRecord& e : t.motion) events.push_back(e);
  const std::filesystem::path folder = root / "effect" / t.half;
  std::filesystem::create_directories(folder);
  return GUICore::SaveProject((folder / (t.name + ".tsm")).string()).ok();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s RESOURCES_FOLDER\n", argv[0]);
    return 2;
  }
  // TMPDIR may name a folder that is gone; the templates need only a
  // place for the project's side files.
  std::error_code ec;
  std::filesystem::path scratch = std::filesystem::temp_directory_path(ec);
  if (ec) scratch = "/tmp";
  GUICore::State().paths = AppPaths::InFolder(scratch);
  for (const Template& t : Templates()) {
    if (!Write(t, argv[1])) {
      std::fprintf(stderr, "could not write %s/%s\n", t.half.c_str(), t.name.c_str());
      return 1;
    }
  }
  return 0;
}
