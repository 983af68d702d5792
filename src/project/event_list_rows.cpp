#include "project/event_list_rows.h"

#include <array>

#include "media/sound/id3.h"
#include "platform/encoding.h"
#include "platform/numeric.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"

namespace tesmiro::EventListModule {
namespace {

// The sound modes' detail texts, five characters each from mode -1 on.
constexpr std::array<std::string_view, 6> kSoundModeTexts = {
    "     ", "＞[再生]", "□[停止]", "＞[再生]", "＞[再生]", "□[停止]",
};

std::string Num(int64_t v) { return std::to_string(v); }

// The texts are built by appending: GCC 12 warns falsely about a literal
// put in front of a temporary string.
std::string FourDigitId(int32_t id) {
  std::string digits = "0000";
  digits += Num(id);
  std::string text = " ";
  text += digits.substr(digits.size() - 4);
  return text;
}

// One motion state: "[ " position, scale and angle in fixed-width fields " ]".
std::string StateText(int32_t x, int32_t y, float scaleX, float scaleY, float angle) {
  std::string position = "(";
  position += Num(x);
  position += ",";
  position += Num(y);
  position += ")";
  std::string scale = "x";
  scale += num::CStr(scaleX);
  if (scaleX != scaleY) {
    scale += ":";
    scale += num::CStr(scaleY);
  }
  std::string turn = num::CStr(angle);
  turn += "ﾟ";
  std::string text = "[ ";
  text += RightChars(position, 11);
  text += RightChars(scale, 11);
  text += RightChars(turn, 6);
  text += " ]";
  return text;
}

// First filter of the start state in the order the column shows them.
const char* FilterLetter(const FilterState& f) {
  if (f.inUse == 0) return "";
  if (f.dropShadow != 0) return "D";
  if (f.blur != 0) return "B";
  if (f.glow != 0) return "G";
  if (f.bevel != 0) return "V";
  if (f.colorMatrix != 0) return "X";
  if (f.colorTransform != 0) return "C";
  return "";
}

void FormatSound(const EventRecord& e, EventRowText& t) {
  t.category = kColorSound;
  t.icon = static_cast<int32_t>(StoreItemKind::Sound);
  t.kind = "ｻｳﾝﾄﾞ";
  t.id = FourDigitId(e.itemId);
  // A mode outside the known ones (a foreign or damaged file) shows nothing
  // rather than a piece of another mode's text.
  const int mode = e.kind;
  if (mode < -1 || mode > 4) return;
  t.detail = std::string(kSoundModeTexts[static_cast<size_t>(mode + 1)]);
  if (mode == static_cast<int>(SoundMode::Loop)) t.detail += " (ループ)";
  if (mode == static_cast<int>(SoundMode::Streaming) || mode == static_cast<int>(SoundMode::StopStreaming)) {
    t.detail += " (ストリーミング)";
  }
  if (mode == static_cast<int>(SoundMode::Play) || mode == static_cast<int>(SoundMode::Loop)) {
    int32_t left = 100, right = 100;
    ID3Module::ParseVolumeParam(e.text1, left, right);
    if (left != right) {
      t.detail += " [音量：L" + Num(left) + " R" + Num(right) + "]";
    } else if (left != 100) {
      t.detail += " [音量：" + Num(left) + "]";
    }
  }
}

void FormatMaterial(const EventRecord& e, StoreItemKind kind, EventRowText& t) {
  switch (kind) {
    case StoreItemKind::RasterImage:
    case StoreItemKind::VectorImage: t.kind = "画像  "; break;
    case StoreItemKind::Text: t.kind = "ﾃｷｽﾄ  "; break;
    case StoreItemKind::Sprite: t.kind = "ｽﾌﾟﾗｲﾄ"; break;
    case StoreItemKind::Video: t.kind = "ﾋﾞﾃﾞｵ "; break;
    default: t.kind = " ???? "; break;
  }
  switch (kind) {
    case StoreItemKind::RasterImage:
    case StoreItemKind::Text:
    case StoreItemKind::Sprite:
    case StoreItemKind::VectorImage:
    case StoreItemKind::Video: t.icon = static_cast<int32_t>(kind); break;
    default: t.icon = 0; break;
  }
  const bool sprite = kind == StoreItemKind::Sprite;
  std::string buttonMark = "　";
  if (e.buttonFlag == 1) buttonMark = "◎";
  if (sprite && !e.text2.empty()) buttonMark = "●";
  t.kind += buttonMark;
  t.kind += e.maskFlag == 1 ? "M" : " ";
  t.kind += FilterLetter(e.startFilters);

  t.id = FourDigitId(e.itemId);
  t.depth = RightChars(Num(e.depth), 4);

  t.detail = StateText(e.startX, e.startY, e.startScaleX, e.startScaleY, e.startAngle);
  if (e.frameCount == 0) {
    t.detail += " (固定)";
  } else if (e.frameCount > 1) {
    t.detail += e.guideMode != 0 ? "→(" + Num(static_cast<int64_t>(e.anchors.size())) + ")→" : "⇒";
    t.detail += StateText(e.endX, e.endY, e.endScaleX, e.endScaleY, e.endAngle);
  }
  if (e.maskFlag == 1) t.detail += " ﾏｽｸ(" + Num(e.maskDepth) + ")";
  if (sprite && !e.text1.empty()) t.detail += " [" + e.text1 + "]";
}

void FormatAction(const EventRecord& e, EventRowText& t) {
  const std::string& a = e.text1;
  switch (static_cast<ActionKind>(e.kind)) {
    case ActionKind::Label: t.kind = "ﾗﾍﾞﾙ"; t.detail = "■[" + a + "]"; break;
    case ActionKind::JumpToLabel: t.kind = "ｱｸｼｮﾝ"; t.id = "ｼﾞｬﾝﾌﾟ"; t.detail = "ﾗﾍﾞﾙ:[" + a + "]"; break;
    case ActionKind::GetURL:
      t.kind = "ｱｸｼｮﾝ";
      t.id = "URL";
      t.detail = "URL:[" + a + "] ﾀｰｹﾞｯﾄ:[" + e.text2 + "]";
      break;
    case ActionKind::Play: t.kind = "ｱｸｼｮﾝ"; t.id = "再生"; break;
    case ActionKind::Stop: t.kind = "ｱｸｼｮﾝ"; t.id = "停止"; break;
    case ActionKind::NextFrame: t.kind = "ｱｸｼｮﾝ"; t.id = "次ﾌﾚｰﾑ"; break;
    case ActionKind::PreviousFrame: t.kind = "ｱｸｼｮﾝ"; t.id = "前ﾌﾚｰﾑ"; break;
    case ActionKind::JumpToFrame: t.kind = "ｱｸｼｮﾝ"; t.id = "ｼﾞｬﾝﾌﾟ"; t.detail = "ﾌﾚｰﾑ:[" + a + "]"; break;
    case ActionKind::StopSounds: t.kind = "ｻｳﾝﾄﾞ"; t.id = "全停止"; break;
    case ActionKind::EraseImages: t.kind = "ｱｸｼｮﾝ"; t.id = "消去"; t.detail = "対象:[ " + a + " ]"; break;
    case ActionKind::StartMusicSync: t.kind = "ｻｳﾝﾄﾞ"; t.detail = "[同期開始]"; break;
    case ActionKind::StopMusicSync: t.kind = "ｻｳﾝﾄﾞ"; t.detail = "[同期中止]"; break;
    case ActionKind::DoNothing: t.kind = "ｱｸｼｮﾝ"; t.detail = "何もしない (" + Num(e.frameCount) + "ﾌﾚｰﾑ)"; break;
    case ActionKind::Script: t.kind = "ｱｸｼｮﾝ"; t.id = "ｽｸﾘﾌﾟﾄ"; t.detail = "[ " + a + " ]"; break;
    case ActionKind::Rollback: t.kind = "ｱｸｼｮﾝ"; t.detail = "ﾛｰﾙﾊﾞｯｸ"; break;
    default: t.kind = "未定義"; return;
  }
  t.category = e.kind;
}

// The material's kind, or Clone (kind 0) when no item has the ID.
StoreItemKind MaterialKind(int32_t itemId) {
  const int32_t p = GUICore::FindStoreIndexByID(itemId);
  return p != 0 ? GUICore::State().store.at(p).kind : StoreItemKind::Clone;
}

int16_t MaterialCategory(const EventRecord& e, StoreItemKind kind) {
  const int k = static_cast<int>(kind) + 14;
  int16_t category = static_cast<int16_t>(kColorUnknownKind);
  if (k >= kColorRasterImage && k <= kColorUnknownKind) category = static_cast<int16_t>(k);
  // Later marks win: mask over scripted sprite over button over the kind.
  if (e.buttonFlag == 1) category = kColorButton;
  if (kind == StoreItemKind::Sprite && !e.text2.empty()) category = kColorSpriteWithScript;
  if (e.maskFlag == 1) category = kColorMask;
  return category;
}

}  // namespace

std::string RightChars(std::string_view text, size_t n) {
  const size_t chars = enc::CharCount(text);
  if (chars <= n) return std::string(n - chars, ' ') + std::string(text);
  // Skip the leading characters that do not fit.
  size_t skip = chars - n, pos = 0;
  while (skip > 0 && pos < text.size()) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    --skip;
  }
  return std::string(text.substr(pos));
}

const EventRowText& RowText(int32_t row) {
  EventListRow& r = Current().rows.at(static_cast<size_t>(row));
  if (!r.text.ready()) {
    const auto& events = GUICore::State().events;
    EventRowText text;
    if (events.valid(row + 1)) {
      text = FormatEventRow(events.at(row + 1));
    } else {
      text.kind = kEndRowKindText;
    }
    r.text.set(std::move(text));
  }
  return r.text.get();
}

EventRowText FormatEventRow(const EventRecord& event) {
  EventRowText t;
  if (event.frameCount != 0) t.count = RightChars(Num(event.frameCount), 4);
  if (event.itemId == 0) {
    FormatAction(event, t);
    return t;
  }
  const StoreItemKind kind = MaterialKind(event.itemId);
  if (kind == StoreItemKind::Sound) {
    FormatSound(event, t);
    return t;
  }
  FormatMaterial(event, kind, t);
  t.category = MaterialCategory(event, kind);
  return t;
}

int16_t EventRowCategory(const EventRecord& event) {
  if (event.itemId == 0) {
    return event.kind >= 0 && event.kind <= 14 ? event.kind : int16_t{kNoColorCategory};
  }
  const StoreItemKind kind = MaterialKind(event.itemId);
  return kind == StoreItemKind::Sound ? static_cast<int16_t>(kColorSound) : MaterialCategory(event, kind);
}

}  // namespace tesmiro::EventListModule
