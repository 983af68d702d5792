#include "compiler/event_compiler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <numbers>

#include "compiler/materials.h"
#include "media/action_compiler.h"
#include "platform/file_io.h"
#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/geometry.h"
#include "project/model.h"
#include "project/store.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

namespace W = SWFMakeCore;

constexpr int16_t kTextEffectFlag = 0x2000;
constexpr int16_t kEditTextFlag = 0x1000;

EventCompilerState gCompiler;

float Lerp(float start, float end, float r) { return (end - start) * r + start; }

bool SyncBlocksWanted(EmitMode mode) {
  return mode == EmitMode::Movie && State().settings.soundSync == 1 && gCompiler.musicSyncActive != 0;
}

// Depths and frame counts outside what the writer takes are pulled into
// range, and the build is told.
int32_t ClampWarn(int32_t value, int32_t lo, int32_t hi, const char* what) {
  return W::ClampWarn(value, lo, hi, what);
}

// What a button state places: 0 (the normal item's look) when the state
// names no item, or one the movie does not define.
int32_t StateCharacter(int32_t itemId) {
  if (itemId <= 0 || itemId > kMaxStoreItemId || gCompiler.leftOut.count(itemId) != 0) return 0;
  switch (GetStoreItemByID(itemId).kind) {
    case StoreItemKind::RasterImage:
    case StoreItemKind::Text:
    case StoreItemKind::Sprite:
    case StoreItemKind::VectorImage:
      return 2 * itemId;
    default:
      return 0;
  }
}

std::string ActionText(const EventRecord& e, int32_t index) {
  if (e.kind == static_cast<int16_t>(ActionKind::JumpToLabel)) {
    if (e.text1 == "_NextLabel") return ResolveRelativeLabel(index, 1);
    if (e.text1 == "_PrevLabel") return ResolveRelativeLabel(index, -1);
  }
  return e.text1;
}

void CompileSound(const StoreItem& item, const EventRecord& e) {
  const float rate = State().settings.frameRate;
  switch (static_cast<SoundMode>(e.kind)) {
    case SoundMode::Play:
    case SoundMode::Stop:
    case SoundMode::Loop:
      materials::StartSound(item, e.kind, e.text1);
      break;
    case SoundMode::Streaming:
      materials::StartStream(item, rate);
      break;
    case SoundMode::StopStreaming:
      W::ResetSoundStream();
      break;
    case SoundMode::SkipStreamFrames:
      materials::SkipStream(rate, num::RoundToInt32(num::Val(e.text1)));
      break;
    default:
      break;
  }
}

void CompileDisplayable(const EventRecord& e, const StoreItem& item, StoreItemKind kind, EmitMode mode,
                        int32_t index) {
  const bool fixed = e.frameCount == 0;
  const int32_t count = fixed ? 1 : ClampWarn(e.frameCount, 1, W::kMaxFrames, "フレーム数");
  int32_t character = index < 0 ? e.itemId : 2 * e.itemId;
  const int32_t depth = ClampWarn(e.depth, W::kMinDepth, W::kMaxDepth, "深度");
  const bool isVideo = kind == StoreItemKind::Video;
  const bool isSprite = kind == StoreItemKind::Sprite;
  const bool isVector = kind == StoreItemKind::VectorImage;
  const bool isMorph = isVector && item.flags == 1;

  // A material the movie left out, or a button the writer could not make
  // (it has said why), leaves the event nothing to place (character 0). The
  // event keeps its frames all the same, so that the events after it start
  // where they would with it.
  if (index >= 0 && gCompiler.leftOut.count(e.itemId) != 0) character = 0;
  if (character != 0 && isVideo &&
      !materials::DefineVideoStream(item, count, item.flags != 1 && mode == EmitMode::Movie)) {
    character = 0;
  }

  if (character != 0 && e.buttonFlag == 1) {
    const std::string action = ActionText(e, index);
    const int32_t down = StateCharacter(e.downItemId), over = StateCharacter(e.overItemId),
                  hit = StateCharacter(e.hitItemId);
    const auto onClick = static_cast<ActionKind>(e.kind);
    character = onClick == ActionKind::Script
                    ? W::WriteDefineButton2(character, down, over, hit, onClick, action, e.text2, depth)
                    : W::WriteDefineButton(character, down, over, hit, onClick, action, e.text2, depth);
  }

  W::WriteRemoveObject2(depth);

  int32_t clipDepth = W::kNoClipDepth;
  if (e.maskFlag == 1) {
    clipDepth = ClampWarn(e.maskDepth, W::kMinDepth, W::kMaxDepth, "マスク深度");
    if (character != 0 && isVector && !isMorph && index >= 0) character = 2 * e.itemId - 1;
  }
  std::string name;
  if (isSprite) name = e.text1;
  else if (kind == StoreItemKind::Text) name = "ins_" + item.option;
  else if (isVideo) name = item.option;
  const std::string clipScript = isSprite ? e.text2 : std::string();
  const bool tweenFilters = e.startFilters.inUse != 0 && e.endFilters.inUse != 0;
  const float rate = State().settings.frameRate;

  for (int32_t f = 0; f < count; ++f) {
    if (character != 0) {
      if (isVideo) materials::VideoFrame(item, f);
      const float r = EaseRatio(e.easing, f, count);
      float x = 0, y = 0;
      BuildMotionFrames(e.guideMode, e.anchors, e.startX, e.startY, e.endX, e.endY, r, x, y);
      const auto a = static_cast<float>(Lerp(e.startAngle, e.endAngle, r) * std::numbers::pi / 180.0);
      const float sx = Lerp(e.startScaleX, e.endScaleX, r);
      const float sy = Lerp(e.startScaleY, e.endScaleY, r);
      const double ca = std::cos(static_cast<double>(a)), sa = std::sin(static_cast<double>(a));

      W::Placement p;
      p.characterId = character;
      p.x = num::FloorToInt32(x - 20.0 * (ca * sx * e.centerX - sa * sy * e.centerY));
      p.y = num::FloorToInt32(y - 20.0 * (sa * sx * e.centerX + ca * sy * e.centerY));
      p.scaleX = sx;
      p.scaleY = sy;
      p.rotation = a;
      p.brightness = num::RoundToInt32(Lerp(e.startBrightness, e.endBrightness, r) * 2.56);
      p.alpha = num::RoundToInt32(Lerp(e.startAlpha, e.endAlpha, r) * 2.56);
      p.depth = depth;
      p.name = name;
      p.clipActions = clipScript;
      p.clipDepth = clipDepth;
      // A video shows the VideoFrame whose number equals the ratio, and its
      // frames are numbered from 0.
      if (isSprite) p.ratio = static_cast<float>(f + 1) / 65535.0f;
      else if (isVideo) p.ratio = static_cast<float>(f) / 65535.0f;
      else if (isMorph) p.ratio = r;
      if (tweenFilters) InterpolateFilterState(p.filters, e.startFilters, e.endFilters, r);
      else p.filters = e.startFilters;
      p.blendMode = e.blendMode;
      W::WritePlaceObject(p);
    }

    if (SyncBlocksWanted(mode)) materials::SilentStreamBlock(rate);
    // Past the movie's last possible frame every further placement would
    // pile up in that frame; the writer has reported the overflow.
    if ((mode == EmitMode::EventPreview || !fixed) && !W::NextFrame()) break;
  }
}

void CompileAction(const EventRecord& e, EmitMode mode, int32_t index) {
  const auto kind = static_cast<ActionKind>(e.kind);
  switch (kind) {
    case ActionKind::Label:
      W::WriteFrameLabel(e.text1);
      break;
    case ActionKind::JumpToLabel:
      W::WriteDoAction(ActionText(e, index), e.text2, kind);
      W::NextFrame();
      break;
    case ActionKind::GetURL:
    case ActionKind::Play:
    case ActionKind::NextFrame:
    case ActionKind::PreviousFrame:
    case ActionKind::StopSounds:
      W::WriteDoAction(e.text1, e.text2, kind);
      break;
    case ActionKind::Stop:
    case ActionKind::JumpToFrame:
    case ActionKind::Script:
      W::WriteDoAction(e.text1, e.text2, kind);
      W::NextFrame();
      break;
    case ActionKind::EraseImages:
      W::RemoveObjects(e.text1);
      break;
    case ActionKind::StartMusicSync:
      gCompiler.musicSyncActive = -1;
      break;
    case ActionKind::StopMusicSync:
      gCompiler.musicSyncActive = 0;
      break;
    case ActionKind::DoNothing: {
      const int32_t n = ClampWarn(e.frameCount, 0, W::kMaxFrames, "フレーム数");
      for (int32_t i = 0; i < n; ++i) {
        if (SyncBlocksWanted(mode)) materials::SilentStreamBlock(State().settings.frameRate);
        if (!W::NextFrame()) break;
      }
      break;
    }
    case ActionKind::Rollback:
      W::GoFrame(ClampWarn(e.frameCount, -W::kMaxFrames, W::kMaxFrames, "フレーム数"));
      break;
    default:
      break;
  }
}

}  // namespace

EventCompilerState& CompilerState() { return gCompiler; }

void ShowWriterMessages() {
  using Kind = W::Diagnostic::Kind;
  // Taken off the list before the first message: a message box lets the
  // user interface run, which must not find them pending still. Only what
  // came since the last call is looked at: this runs after every event.
  W::State& writer = W::WriterState();
  std::vector<W::Diagnostic>& list = writer.diagnostics;
  const auto fresh = list.begin() + static_cast<std::ptrdiff_t>(std::min(writer.diagnosticsSeen, list.size()));
  const auto toTell =
      std::stable_partition(fresh, list.end(), [](const W::Diagnostic& d) { return d.kind == Kind::Listed; });
  std::vector<W::Diagnostic> told(std::make_move_iterator(toTell), std::make_move_iterator(list.end()));
  list.erase(toTell, list.end());
  writer.diagnosticsSeen = list.size();
  for (const W::Diagnostic& d : told) {
    if (d.kind == Kind::ScriptError) {
      ui::Current().messages->message(ActionCompiler::kErrorTitle, d.text, ui::Icon::Critical);
    } else {
      ui::Current().messages->message("警告", d.text, ui::Icon::Exclamation);
    }
  }
}

std::string MovieFailureText(const std::filesystem::path& path) {
  const W::State& writer = W::WriterState();
  std::vector<std::string> reasons;
  for (size_t i = 0; i < writer.diagnostics.size(); ++i) {
    const std::string& text = writer.diagnostics[i].text;
    std::string reason;
    if (text.rfind("ファイル [", 0) == 0) reason = text;
    // What the caller has not looked through came while the movie was
    // being finished.
    else if (i >= writer.diagnosticsSeen) reason = fileio::WriteFailureText(path, text);
    if (!reason.empty() && std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
      reasons.push_back(reason);
  }
  if (reasons.empty()) return "SWFファイルを書き込めませんでした。";
  std::string out;
  for (const std::string& reason : reasons) out += reason + "\r\n";
  return out;
}

void CompileEvent(const std::filesystem::path& outPath, const EventRecord& event, EmitMode mode, int32_t index) {
  (void)outPath;
  if (event.itemId == 0) {
    CompileAction(event, mode, index);
    ShowWriterMessages();
    return;
  }
  const StoreItem item = GetStoreItemByID(event.itemId);
  StoreItemKind kind = item.kind;
  // A text with an effect was built into a sprite, and is placed as one.
  if (item.kind == StoreItemKind::Text && (item.flags & kTextEffectFlag) != 0) kind = StoreItemKind::Sprite;
  if (index < 0) kind = static_cast<StoreItemKind>(-index);
  switch (kind) {
    case StoreItemKind::Sound:
      if (mode == EmitMode::Movie) CompileSound(item, event);
      break;
    case StoreItemKind::RasterImage:
    case StoreItemKind::Text:
    case StoreItemKind::Sprite:
    case StoreItemKind::VectorImage:
    case StoreItemKind::Video:
      CompileDisplayable(event, item, kind, mode, index);
      break;
    default:
      break;
  }
  ShowWriterMessages();
}

float EaseRatio(int32_t easing, int32_t frame, int32_t total) {
  if (total == 0) return 0.0f;
  const float t = static_cast<float>(frame) / static_cast<float>(total);
  const float e = static_cast<float>(easing) / 255.0f;
  return t * t * (-e) + (e + 1.0f) * t;
}

void BuildMotionFrames(int16_t guideMode, const std::vector<GuideAnchor>& anchors, int32_t startX,
                       int32_t startY, int32_t endX, int32_t endY, float r, float& x, float& y) {
  if (guideMode == static_cast<int16_t>(GuideMode::Straight) || anchors.empty()) {
    x = static_cast<float>(((static_cast<double>(endX) - startX) * r + startX) * 20.0);
    y = static_cast<float>(((static_cast<double>(endY) - startY) * r + startY) * 20.0);
    return;
  }
  if (guideMode != static_cast<int16_t>(GuideMode::Segments) && guideMode != static_cast<int16_t>(GuideMode::Smooth))
    return;
  // P(0) the start, the anchors, P(M) the end, all in twips.
  std::vector<MathModule::PointD> points;
  points.push_back({startX * 20.0, startY * 20.0});
  for (const GuideAnchor& a : anchors) points.push_back({static_cast<double>(a.x), static_cast<double>(a.y)});
  points.push_back({endX * 20.0, endY * 20.0});
  // A path of zero length (every point the same) stays at the start.
  x = static_cast<float>(points.front().x);
  y = static_cast<float>(points.front().y);

  if (guideMode == static_cast<int16_t>(GuideMode::Segments)) {
    const size_t m = points.size() - 1;
    std::vector<float> total(m + 1, 0.0f);
    float sum = 0;
    for (size_t s = 0; s < m; ++s) {
      sum += MathModule::Hypot(points[s + 1].x - points[s].x, points[s + 1].y - points[s].y);
      total[s] = sum;
    }
    if (sum <= 0) return;
    float prev = 0;
    for (size_t s = 0; s < m; ++s) {
      const float q = total[s] / sum;
      if (q - prev > 0 && r <= q) {
        const float u = (r - prev) / (q - prev);
        x = static_cast<float>((points[s + 1].x - points[s].x) * u + points[s].x);
        y = static_cast<float>((points[s + 1].y - points[s].y) * u + points[s].y);
        return;
      }
      prev = q;
    }
    x = static_cast<float>(points.back().x);
    y = static_cast<float>(points.back().y);
    return;
  }

  std::vector<MathModule::PointL> c;
  MathModule::SmoothCurveControlPoints(points, c);
  if (c.size() < 4) return;
  const size_t segments = (c.size() - 1) / 3;
  std::vector<float> total(segments, 0.0f);
  float sum = 0;
  for (size_t s = 0; s < segments; ++s) {
    const double hx = (static_cast<double>(c[3 * s + 1].x) + c[3 * s + 2].x) / 2.0,
                 hy = (static_cast<double>(c[3 * s + 1].y) + c[3 * s + 2].y) / 2.0;
    sum += MathModule::Hypot(c[3 * s].x - hx, c[3 * s].y - hy) +
           MathModule::Hypot(hx - c[3 * s + 3].x, hy - c[3 * s + 3].y);
    total[s] = sum;
  }
  if (sum <= 0) return;
  float prev = 0;
  for (size_t s = 0; s < segments; ++s) {
    const float q = total[s] / sum;
    if (q - prev > 0 && r <= q) {
      const double u = (r - prev) / (q - prev), v = 1 - u;
      auto bez = [&](double p0, double p1, double p2, double p3) {
        return v * v * v * p0 + 3 * u * v * v * p1 + 3 * u * u * v * p2 + u * u * u * p3;
      };
      x = static_cast<float>(bez(c[3 * s].x, c[3 * s + 1].x, c[3 * s + 2].x, c[3 * s + 3].x));
      y = static_cast<float>(bez(c[3 * s].y, c[3 * s + 1].y, c[3 * s + 2].y, c[3 * s + 3].y));
      return;
    }
    prev = q;
  }
  x = static_cast<float>(c.back().x);
  y = static_cast<float>(c.back().y);
}

void EncodeFilterValues(FilterParams& result, const FilterParams& start, const FilterParams& end, float r) {
  result = start;
  result.blurX = Lerp(start.blurX, end.blurX, r);
  result.blurY = Lerp(start.blurY, end.blurY, r);
  result.angle = Lerp(start.angle, end.angle, r);
  result.distance = Lerp(start.distance, end.distance, r);
  result.strength = Lerp(start.strength, end.strength, r);
  result.quality = num::RoundToInt32(Lerp(static_cast<float>(start.quality), static_cast<float>(end.quality), r));
  auto colour = [r](int32_t a, int32_t b) {
    uint32_t out = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
      const int sa = (static_cast<uint32_t>(a) >> shift) & 255, sb = (static_cast<uint32_t>(b) >> shift) & 255;
      const int32_t v = num::RoundToInt32((sb - sa) * static_cast<double>(r) + sa);
      out |= static_cast<uint32_t>(v & 255) << shift;
    }
    return static_cast<int32_t>(out);
  };
  result.color1 = colour(start.color1, end.color1);
  result.color2 = colour(start.color2, end.color2);
}

void InterpolateFilterState(FilterState& result, const FilterState& start, const FilterState& end, float r) {
  result = start;
  for (size_t i = 0; i < 4; ++i) {
    result.multiply[i] = Lerp(start.multiply[i], end.multiply[i], r);
    result.add[i] =
        num::RoundToInt32((static_cast<double>(end.add[i]) - start.add[i]) * static_cast<double>(r) + start.add[i]);
  }
  for (size_t i = 0; i < result.matrix.size(); ++i) result.matrix[i] = Lerp(start.matrix[i], end.matrix[i], r);
  EncodeFilterValues(result.dropShadowParams, start.dropShadowParams, end.dropShadowParams, r);
  EncodeFilterValues(result.blurParams, start.blurParams, end.blurParams, r);
  EncodeFilterValues(result.glowParams, start.glowParams, end.glowParams, r);
  EncodeFilterValues(result.bevelParams, start.bevelParams, end.bevelParams, r);
}

std::string ResolveRelativeLabel(int32_t index, int32_t direction) {
  if (direction == 0) return "";
  const auto& events = State().events;
  for (int32_t i = index; events.valid(i); i += direction) {
    const EventRecord& e = events.at(i);
    if (e.isLabel() && !e.text1.empty()) return e.text1;
  }
  return "";
}

std::string FontKey(const StoreItem& item) {
  std::string key = item.font;
  key += (item.flags & kEditTextFlag) != 0 ? "0" : "1";
  if (item.flags & 1) key += "Bo";
  if (item.flags & 2) key += "It";
  return key;
}

std::string CollectTextsForFont(const std::string& key) {
  std::string texts;
  for (const StoreItem& item : State().store)
    if (item.kind == StoreItemKind::Text && FontKey(item) == key) texts += item.name;
  return texts;
}

}  // namespace tesmiro::GUICore
