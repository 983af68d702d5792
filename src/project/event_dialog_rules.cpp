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

KindLayout LayoutForKind(int32_t kind, const std::string& text1, bool filling, int32_t selCount,
                         int16_t swfVersion) {
  KindLayout l;
  Visibility& v = l.visible;
  Show(v, {Ctl::Combo4, Ctl::Label32}, false);
  if (filling && (text1 == "0" || kind == -1)) {
    l.previewControls = false;
    Show(v, {Ctl::Label1, Ctl::Text1, Ctl::Label2, Ctl::Text2, Ctl::VScroll1, Ctl::Check1}, false);
    l.check1 = 0;
    Show(v, {Ctl::Frame1, Ctl::Frame2, Ctl::Frame3, Ctl::Frame4, Ctl::Frame5}, false);
    v[Ctl::Frame6] = true;
    Show(v, {Ctl::Frame7, Ctl::Frame8, Ctl::Frame9, Ctl::Command9}, false);
    // An action masks nothing; the mask box would sit inside the action
    // frame, which moves up to take the place of the frames above.
    Show(v, {Ctl::Check3, Ctl::Frame10}, false);
    l.actionPlacement = true;
    return l;
  }
  Show(v, {Ctl::Frame8, Ctl::Frame7, Ctl::Frame9, Ctl::Frame10, Ctl::Frame6}, false);
  Show(v, {Ctl::Label1, Ctl::Text1, Ctl::Check1}, true);
  Show(v, {Ctl::Command9, Ctl::Check3, Ctl::Command10_0, Ctl::Command10_1}, false);
  switch (kind) {
    case static_cast<int32_t>(StoreItemKind::Sound):
      l.previewControls = false;
      Show(v, {Ctl::Label2, Ctl::Text2, Ctl::VScroll1}, false);
      l.check1 = 0;
      Show(v, {Ctl::Check1, Ctl::Frame1, Ctl::Frame2, Ctl::Frame3}, false);
      v[Ctl::Frame4] = true;
      v[Ctl::Frame5] = false;
      break;
    case static_cast<int32_t>(StoreItemKind::Clone):
      break;
    default:
      l.previewControls = true;
      Show(v, {Ctl::Label2, Ctl::Text2, Ctl::VScroll1, Ctl::Frame1, Ctl::Frame2, Ctl::Frame3}, true);
      v[Ctl::Frame4] = false;
      Show(v, {Ctl::Frame5, Ctl::Frame9, Ctl::Command9}, true);
      // Filters are edited for one event at a time.
      if (selCount == 1) Show(v, {Ctl::Command10_0, Ctl::Command10_1}, true);
      if (kind == static_cast<int32_t>(StoreItemKind::Sprite)) {
        l.check1 = 0;
        v[Ctl::Check1] = false;
        v[Ctl::Frame8] = true;
      }
      if (kind == static_cast<int32_t>(StoreItemKind::RasterImage) ||
          kind == static_cast<int32_t>(StoreItemKind::Text) ||
          kind == static_cast<int32_t>(StoreItemKind::VectorImage)) {
        v[Ctl::Check3] = true;
      } else {
        l.check3 = 0;
      }
      if (swfVersion >= 8) Show(v, {Ctl::Combo4, Ctl::Label32}, true);
      l.frameCountLayout = true;
      break;
  }
  return l;
}

FrameCountLayout LayoutForFrameCount(const std::string& text1, const std::string& text2, bool guideTicked,
                                     const std::string& depthText) {
  FrameCountLayout l;
  if (text1 == "0") {
    l.skip = true;
    return l;
  }
  Visibility& v = l.visible;
  l.command9Caption = "固定画面にする";
  l.frame5Caption = "通常画面";
  // The texts are compared, not their numbers: "00" is a motion.
  if (text2 != "0" && text2 != "1") {
    Show(v, {Ctl::Frame2, Ctl::Frame9, Ctl::Command5, Ctl::Option1_1, Ctl::Check9}, true);
    v[Ctl::Command13] = guideTicked;
    return l;
  }
  Show(v, {Ctl::Frame2, Ctl::Frame9, Ctl::Command5, Ctl::Option1_1, Ctl::Check9, Ctl::Command13}, false);
  l.check9 = 0;
  l.operatedImage = 0;
  if (text2 == "0") {
    l.frame5Caption = "固定画面";
    if (depthText.empty()) l.depthText = "-1";
    l.command9Caption = "通常画面にする";
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
      l.label22Shown = l.text13Shown = true;
      l.label22Caption = "ラベル名";
      break;
    case 1:
      l.label22Shown = l.text13Shown = l.label23Shown = true;
      l.label22Caption = "ラベル名";
      l.label23Caption = "特殊ラベル：　_NextLabel(次のラベル)\n" + IdeographicSpaces(9) + "_PrevLabel(前のラベル)";
      break;
    case 2:
      l.label22Shown = l.text13Shown = l.label23Shown = l.text14Shown = true;
      l.label22Caption = "URL";
      l.label23Caption = "ﾀｰｹﾞｯﾄ";
      break;
    case 7:
      l.label22Shown = l.text13Shown = true;
      l.label22Caption = "フレーム";
      break;
    case 9:
      l.label22Shown = l.text13Shown = l.label23Shown = true;
      l.label22Caption = "消去対象";
      l.label23Caption = std::string(14, ' ') + "深度を指定して下さい\n" + IdeographicSpaces(7) +
                         "カンマで複数選択・ALLで全て消去";
      break;
    case 10:
    case 11:
      if (soundSync != 1) {
        l.label23Shown = true;
        l.label23Caption = "このｱｸｼｮﾝは無視されます。ｽﾄﾘｰﾐﾝｸﾞ再生は\nｻｳﾝﾄﾞのｲﾍﾞﾝﾄから設定してください";
      }
      break;
    case 12:
      l.label22Shown = l.text13Shown = true;
      l.label22Caption = "ﾌﾚｰﾑｶｳﾝﾄ";
      break;
    case 13:
      l.label22Shown = l.text13Shown = l.command7Shown = true;
      l.label22Caption = "コメント";
      break;
    case 14:
      l.label22Shown = l.text13Shown = l.label23Shown = true;
      l.label22Caption = "ﾌﾚｰﾑｶｳﾝﾄ";
      l.label23Caption = std::string(14, ' ') + "マイナス値を入力してください";
      break;
    case -1:
      l.label23Shown = true;
      l.label23Caption = hint;
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

int32_t EasingFrameCount(const std::string& text2) { return num::RoundToInt32(num::Val(text2)); }

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

FixedScreenToggle ToggleFixedScreen(const std::string& text2, const std::string& depthText) {
  if (text2 != "0") return {"0", std::nullopt};
  return {"1", depthText.empty() ? std::optional<std::string>("0") : std::nullopt};
}

int32_t FileKind(const std::string& text1, int32_t selectedFileKind) {
  const double v = num::Val(text1);
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
