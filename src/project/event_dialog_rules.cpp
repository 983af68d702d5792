#include "project/event_dialog_rules.h"

#include <algorithm>
#include <limits>

#include "media/image/get_image.h"
#include "platform/numeric.h"
#include "project/model.h"
#include "project/store.h"

namespace tesmiro::EventDialogRules {
namespace {

constexpr int32_t kLongMax = std::numeric_limits<int32_t>::max();

std::string IdeographicSpaces(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "　";
  return s;
}

void Show(Visibility& v, std::initializer_list<Ctl> controls, bool shown) {
  for (Ctl c : controls) v[c] = shown;
}

}  // namespace

const char* const kActionNames[15] = {
    "ラベル設定", "ラベルへジャンプ", "URLを取得",     "再生",       "停止",
    "次のフレームへ", "前のフレームへ", "フレームへジャンプ", "サウンド停止", "画像を消去",
    "音楽同期を開始", "音楽同期を中止", "何もしない",     "＜スクリプト＞", "＜ロールバック＞",
};

const char* const kSoundModeNames[5] = {"再生", "停止", "ループ再生", "ｽﾄﾘｰﾐﾝｸﾞ再生", "ｽﾄﾘｰﾐﾝｸﾞ停止"};

const char* const kBlendModeNames[15] = {
    "なし", "標準",     "レイヤー",   "乗算", "スクリーン", "比較(明)", "比較(暗)", "差の絶対値",
    "加算", "減算",     "反転",       "アルファ", "消去", "ｵｰﾊﾞｰﾚｲ", "ﾊｰﾄﾞﾗｲﾄ",
};

KindLayout LayoutForKind(int32_t kind, const std::string& itemIdText, bool filling, int32_t selCount,
                         int16_t swfVersion) {
  KindLayout l;
  Visibility& v = l.visible;
  Show(v, {Ctl::BlendModeList, Ctl::BlendModeLabel}, false);
  if (filling && (itemIdText == "0" || kind == -1)) {
    l.previewControls = false;
    Show(v,
         {Ctl::ItemIdLabel, Ctl::ItemIdBox, Ctl::FrameCountLabel, Ctl::FrameCountBox, Ctl::FrameCountSpin,
          Ctl::ButtonCheck},
         false);
    l.buttonTick = 0;
    Show(v, {Ctl::DrawPositionGroup, Ctl::MoveTargetGroup, Ctl::CentreGroup, Ctl::SoundGroup, Ctl::DepthGroup}, false);
    v[Ctl::ActionGroup] = true;
    Show(v, {Ctl::ButtonImagesGroup, Ctl::SpriteGroup, Ctl::EasingGroup, Ctl::FixedScreenButton}, false);
    // An action masks nothing; the mask box would sit inside the action
    // frame, which moves up to take the place of the frames above.
    Show(v, {Ctl::MaskCheck, Ctl::MaskRangeGroup}, false);
    l.actionPlacement = true;
    return l;
  }
  Show(v, {Ctl::SpriteGroup, Ctl::ButtonImagesGroup, Ctl::EasingGroup, Ctl::MaskRangeGroup, Ctl::ActionGroup}, false);
  Show(v, {Ctl::ItemIdLabel, Ctl::ItemIdBox, Ctl::ButtonCheck}, true);
  Show(v, {Ctl::FixedScreenButton, Ctl::MaskCheck, Ctl::DrawFilterButton, Ctl::MoveFilterButton}, false);
  switch (kind) {
    case static_cast<int32_t>(StoreItemKind::Sound):
      l.previewControls = false;
      Show(v, {Ctl::FrameCountLabel, Ctl::FrameCountBox, Ctl::FrameCountSpin}, false);
      l.buttonTick = 0;
      Show(v, {Ctl::ButtonCheck, Ctl::DrawPositionGroup, Ctl::MoveTargetGroup, Ctl::CentreGroup}, false);
      v[Ctl::SoundGroup] = true;
      v[Ctl::DepthGroup] = false;
      break;
    case static_cast<int32_t>(StoreItemKind::Clone):
      break;
    default:
      l.previewControls = true;
      Show(v,
           {Ctl::FrameCountLabel, Ctl::FrameCountBox, Ctl::FrameCountSpin, Ctl::DrawPositionGroup, Ctl::MoveTargetGroup,
            Ctl::CentreGroup},
           true);
      v[Ctl::SoundGroup] = false;
      Show(v, {Ctl::DepthGroup, Ctl::EasingGroup, Ctl::FixedScreenButton}, true);
      // Filters are edited for one event at a time.
      if (selCount == 1) Show(v, {Ctl::DrawFilterButton, Ctl::MoveFilterButton}, true);
      if (kind == static_cast<int32_t>(StoreItemKind::Sprite)) {
        l.buttonTick = 0;
        v[Ctl::ButtonCheck] = false;
        v[Ctl::SpriteGroup] = true;
      }
      if (kind == static_cast<int32_t>(StoreItemKind::RasterImage) ||
          kind == static_cast<int32_t>(StoreItemKind::Text) ||
          kind == static_cast<int32_t>(StoreItemKind::VectorImage)) {
        v[Ctl::MaskCheck] = true;
      } else {
        l.maskTick = 0;
      }
      if (swfVersion >= 8) Show(v, {Ctl::BlendModeList, Ctl::BlendModeLabel}, true);
      l.frameCountLayout = true;
      break;
  }
  return l;
}

FrameCountLayout LayoutForFrameCount(const std::string& itemIdText, const std::string& frameCountText, bool guideTicked,
                                     const std::string& depthText) {
  FrameCountLayout l;
  if (itemIdText == "0") {
    l.skip = true;
    return l;
  }
  Visibility& v = l.visible;
  l.fixedScreenCaption = "固定画面にする";
  l.depthGroupCaption = "通常画面";
  // The texts are compared, not their numbers: "00" is a motion.
  if (frameCountText != "0" && frameCountText != "1") {
    Show(v, {Ctl::MoveTargetGroup, Ctl::EasingGroup, Ctl::CopyToMoveButton, Ctl::MoveTargetOption, Ctl::GuideCheck},
         true);
    v[Ctl::GuideMenuButton] = guideTicked;
    return l;
  }
  Show(v,
       {Ctl::MoveTargetGroup, Ctl::EasingGroup, Ctl::CopyToMoveButton, Ctl::MoveTargetOption, Ctl::GuideCheck,
        Ctl::GuideMenuButton},
       false);
  l.guideTick = 0;
  l.operatedImage = 0;
  if (frameCountText == "0") {
    l.depthGroupCaption = "固定画面";
    if (depthText.empty()) l.depthText = "-1";
    l.fixedScreenCaption = "通常画面にする";
  }
  return l;
}

ActionLayout LayoutForAction(int listIndex, int button, int16_t soundSync) {
  ActionLayout l;
  std::string hint = kChooseActionHint;
  const bool buttonOnly = listIndex == 0 || listIndex == 9 || listIndex == 10 || listIndex == 11 ||
                          listIndex == 12 || listIndex == 14;
  if (button == 1 && buttonOnly) {
    hint = std::string("「") + kActionNames[listIndex] + "」はボタンでは使用できないアクションです";
    l.refused = true;
    listIndex = -1;
  }
  switch (listIndex) {
    case 0:
      l.firstParameterCaptionShown = l.firstParameterShown = true;
      l.firstParameterCaption = "ラベル名";
      break;
    case 1:
      l.firstParameterCaptionShown = l.firstParameterShown = l.parameterHintShown = true;
      l.firstParameterCaption = "ラベル名";
      l.parameterHint = "特殊ラベル：　_NextLabel(次のラベル)\n" + IdeographicSpaces(9) + "_PrevLabel(前のラベル)";
      break;
    case 2:
      l.firstParameterCaptionShown = l.firstParameterShown = l.parameterHintShown = l.secondParameterShown = true;
      l.firstParameterCaption = "URL";
      l.parameterHint = "ﾀｰｹﾞｯﾄ";
      break;
    case 7:
      l.firstParameterCaptionShown = l.firstParameterShown = true;
      l.firstParameterCaption = "フレーム";
      break;
    case 9:
      l.firstParameterCaptionShown = l.firstParameterShown = l.parameterHintShown = true;
      l.firstParameterCaption = "消去対象";
      l.parameterHint = std::string(14, ' ') + "深度を指定して下さい\n" + IdeographicSpaces(7) +
                         "カンマで複数選択・ALLで全て消去";
      break;
    case 10:
    case 11:
      if (soundSync != 1) {
        l.parameterHintShown = true;
        l.parameterHint = "このｱｸｼｮﾝは無視されます。ｽﾄﾘｰﾐﾝｸﾞ再生は\nｻｳﾝﾄﾞのｲﾍﾞﾝﾄから設定してください";
      }
      break;
    case 12:
      l.firstParameterCaptionShown = l.firstParameterShown = true;
      l.firstParameterCaption = "ﾌﾚｰﾑｶｳﾝﾄ";
      break;
    case 13:
      l.firstParameterCaptionShown = l.firstParameterShown = l.scriptButtonShown = true;
      l.firstParameterCaption = "コメント";
      break;
    case 14:
      l.firstParameterCaptionShown = l.firstParameterShown = l.parameterHintShown = true;
      l.firstParameterCaption = "ﾌﾚｰﾑｶｳﾝﾄ";
      l.parameterHint = std::string(14, ' ') + "マイナス値を入力してください";
      break;
    case -1:
      l.parameterHintShown = true;
      l.parameterHint = hint;
      break;
    default:  // play, stop, next, previous, stop sounds: no parameter
      break;
  }
  return l;
}

std::optional<std::string> ParameterShortcut(int listIndex, int y, int height) {
  const bool upper = y <= height / 2;
  if (listIndex == static_cast<int>(ActionKind::JumpToLabel)) return upper ? "_NextLabel" : "_PrevLabel";
  if (listIndex == static_cast<int>(ActionKind::EraseImages) && !upper) return "ALL";
  return std::nullopt;
}

std::optional<std::string> ClampDepthText(const std::string& text) {
  const double v = num::Val(text);
  if (v < kMinDepth) return std::to_string(kMinDepth);
  if (v > kMaxDepth) return std::to_string(kMaxDepth);
  return std::nullopt;
}

std::optional<int> VolumeBarValue(const std::string& text) {
  const double v = num::RoundHalfEven(num::Val(text));
  if (v < 0 || v > 100) return std::nullopt;
  return 100 - static_cast<int>(v);
}

std::string VolumeText(int barValue) { return std::to_string(100 - barValue); }

std::string SpinFrameCount(const std::string& text, int value) {
  const int64_t n = num::FloorToInt32(num::Val(text));
  if (value == 1) return std::to_string(std::max<int64_t>(n - 1, 0));
  if (value == -1) return std::to_string(std::min<int64_t>(n + 1, kLongMax));
  return text;
}

std::string SpinDepth(const std::string& text, int value) {
  const int64_t n = num::FloorToInt32(num::Val(text));
  if (value == 1) return std::to_string(std::max<int64_t>(n - 1, kMinDepth));
  if (value == -1) return std::to_string(std::min<int64_t>(n + 1, kMaxDepth));
  return text;
}

std::optional<int> SliderValueFromBox(const std::string& text, int min, int max) {
  const double v = num::RoundHalfEven(num::Val(text));
  if (v < min || v > max) return std::nullopt;
  return static_cast<int>(v);
}

std::vector<int32_t> EasingLines(int32_t frameCount, int32_t easing, int32_t width) {
  std::vector<int32_t> lines;
  if (frameCount < 1 || width < 1) return lines;
  // The same ratio as the movie's motion.
  auto x = [&](int32_t frame) {
    const float t = static_cast<float>(frame) / static_cast<float>(frameCount);
    const float e = static_cast<float>(easing) / 255.0f;
    const float r = t * t * (-e) + (e + 1.0f) * t;
    return num::RoundToInt32(static_cast<double>(r) * width);
  };
  // Neighbouring frames lie at most 2 x width / frameCount apart: beyond
  // twice the width every column from the first line on is drawn, and a
  // count of a billion frames draws no more lines than the picture has.
  if (frameCount > 2 * width + 2) {
    for (int32_t c = std::max(0, x(1)); c <= width; ++c) lines.push_back(c);
    return lines;
  }
  for (int32_t i = 1; i <= frameCount; ++i) {
    const int32_t c = x(i);
    if (lines.empty() || lines.back() != c) lines.push_back(c);
  }
  return lines;
}

int32_t EasingFrameCount(const std::string& frameCountText) { return num::RoundToInt32(num::Val(frameCountText)); }

std::string TogglePosition(const std::string& text, int32_t stageEdge) {
  if (num::Val(text) != 0) return "0";
  return std::to_string(num::FloorToInt32(stageEdge / 2.0));
}

std::pair<std::string, std::string> ToggleCentre(const std::string& x, const std::string& y, int32_t width,
                                                 int32_t height) {
  if (x == "0" && y == "0") return {std::to_string(width / 2), std::to_string(height / 2)};
  return {"0", "0"};
}

std::string CentreCaption(const std::string& x, const std::string& y) {
  return x == "0" && y == "0" ? kCentreToMiddle : kCentreToTopLeft;
}

FixedScreenToggle ToggleFixedScreen(const std::string& frameCountText, const std::string& depthText) {
  if (frameCountText != "0") return {"0", std::nullopt};
  return {"1", depthText.empty() ? std::optional<std::string>("0") : std::nullopt};
}

int32_t FileKind(const std::string& itemIdText, int32_t selectedFileKind) {
  const double v = num::Val(itemIdText);
  if (v > 0) return static_cast<int32_t>(GUICore::GetStoreItemByID(num::RoundToInt32(v)).kind);
  return selectedFileKind;
}

ProjectSettings StageInfo() {
  const GUICore::Model& m = GUICore::State();
  ProjectSettings s = m.settings;
  if (m.shownTimeline > 0 && m.shownTimeline < static_cast<int32_t>(m.timelines.size())) {
    const StoreItem sprite = GUICore::GetStoreItemByID(m.timelines[static_cast<size_t>(m.shownTimeline)].owner);
    s.width = sprite.width;
    s.height = sprite.height;
    s.preloader = 0;
  }
  return s;
}

ImageSize GetImageSize(int32_t itemId) {
  ImageSize size;
  const StoreItem item = GUICore::GetStoreItemByID(itemId);
  switch (item.kind) {
    case StoreItemKind::RasterImage:
    case StoreItemKind::VectorImage:
    case StoreItemKind::Video: {
      const GetImage::ImageInfo info = GetImage::GetImageInfo(item.name, GetImage::kByContent);
      size.width = info.width;
      size.height = info.height;
      break;
    }
    case StoreItemKind::Sprite:
      size.refX = item.refX;
      size.refY = item.refY;
      [[fallthrough]];
    case StoreItemKind::Text:
      size.width = item.width;
      size.height = item.height;
      break;
    default:
      break;
  }
  return size;
}

OpenPlan PlanOpen(int32_t currentRow, int32_t rowCount, int32_t dispEventProperty, int32_t posEventDialog,
                  bool visible) {
  OpenPlan plan;
  if (currentRow < 0 || currentRow >= rowCount) return plan;
  plan.open = true;
  if (dispEventProperty == 0) {
    plan.place = plan.showAndLoad = true;
    plan.atCursor = posEventDialog == 0;
  } else if (!visible) {
    // The stored place, whatever PosEventDialog says.
    plan.place = plan.showAndLoad = true;
  }
  return plan;
}

}  // namespace tesmiro::EventDialogRules
