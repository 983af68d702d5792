#include "project/store_property_exchange.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "platform/numeric.h"
#include "project/build_lock.h"
#include "project/list_models.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/undo_scopes.h"

namespace tesmiro::StoreProperty {
namespace {

namespace FL = FileListModule;

constexpr int16_t kBold = 0x1;
constexpr int16_t kItalic = 0x2;
constexpr int16_t kAlignMask = 0xC;
constexpr int16_t kSingleLine = 0x40;
constexpr int16_t kDynamic = 0x1000;
constexpr int16_t kTextEffect = 0x2000;
constexpr int16_t kKeyColour = 0x1;
constexpr int16_t kSoftening = 0x6;
constexpr int16_t kLossless = 0x8;

// The check boxes of the text options and the flag bit each one shows.
struct TextOption {
  int Fields::*check;
  int16_t bit;
};
constexpr TextOption kTextOptions[] = {
    {&Fields::textInput, 0x10},       {&Fields::password, 0x20},          {&Fields::wrap, 0x80},
    {&Fields::html, 0x100},           {&Fields::border, 0x400},           {&Fields::selectable, 0x800},
    {&Fields::dynamicText, kDynamic}, {&Fields::textEffect, kTextEffect},
};

int Check(bool on) { return on ? kOn : kOff; }

void SetBits(int16_t& flags, int16_t mask, int16_t value) {
  flags = static_cast<int16_t>((flags & ~mask) | (value & mask));
}

std::string Number(int32_t v) { return std::to_string(v); }
std::string Number(float v) { return num::CStr(v); }

int32_t Whole(const std::string& text) { return num::RoundToInt32(num::Val(text)); }
float Single(const std::string& text) { return static_cast<float>(num::Val(text)); }

// `red` is the first of a colour's three channels (KeyRed or TextRed).
void SetColour(Fields& f, ColourChannel red, int32_t param) {
  for (int k = 0; k < 3; ++k) {
    f.colourSliders[red + k] = (param >> (8 * k)) & 255;
    f.colourBoxes[red + k] = Number(f.colourSliders[red + k]);
  }
}

bool AnyColourText(const Fields& f, ColourChannel red) {
  return !f.colourBoxes[red].empty() || !f.colourBoxes[red + 1].empty() || !f.colourBoxes[red + 2].empty();
}

int32_t Colour(const Fields& f, ColourChannel red) {
  return ColourValue(f.colourSliders[red], f.colourSliders[red + 1], f.colourSliders[red + 2]);
}

// A 16-bit switch shown in a check box: values other than 0 and 1 cannot be
// shown, so the box stays grey and the field is kept.
int SwitchCheck(int16_t value) { return value == 0 ? kOff : value == 1 ? kOn : kGrey; }

// The rows the command works on: the selected ones, or the cursor row when
// nothing is selected (the item whose properties were asked for).
std::vector<int32_t> WorkRows() {
  const auto& state = FL::Current();
  std::vector<int32_t> rows;
  for (int32_t k = 1; k <= FL::RowCount(); ++k) {
    if (state.rows.at(k).selected != 0) rows.push_back(k);
  }
  if (rows.empty() && state.rows.valid(state.cursorRow)) rows.push_back(state.cursorRow);
  return rows;
}

void FillImage(Fields& f, const StoreItem& r) {
  f.frame = Frame::Image;
  if (!f.single) {
    for (int k = KeyRed; k <= KeyBlue; ++k) f.colourBoxes[k].clear();
    return;
  }
  f.path = r.name;
  f.pathEnabled = f.browseEnabled = true;
  f.keyColour = Check((r.flags & kKeyColour) != 0);
  SetColour(f, KeyRed, r.param);
  const int mode = (r.flags & kSoftening) / 2;
  f.softenEdges = Check(mode != 0);
  f.softeningModeIndex = mode >= 1 && mode <= static_cast<int>(kSofteningModes.size()) ? mode - 1 : -1;
  f.softeningAmount = Number(r.size);
  if (auto clamped = ClampSoftening(f.softeningAmount)) f.softeningAmount = *clamped;
  f.lossless = Check((r.flags & kLossless) != 0);
  f.imageName = r.option;
}

void FillText(Fields& f, const StoreItem& r) {
  f.frame = Frame::Text;
  f.pathVisible = false;
  if (!f.single) {
    for (int k = TextRed; k <= TextBlue; ++k) f.colourBoxes[k].clear();
    return;
  }
  f.text = r.name;
  SetColour(f, TextRed, r.param);
  f.bold = Check((r.flags & kBold) != 0);
  f.italic = Check((r.flags & kItalic) != 0);
  for (size_t i = 0; i < f.fonts.size(); ++i) {
    if (f.fonts[i] == r.font) {
      f.fontIndex = static_cast<int>(i);
      break;
    }
  }
  f.fontSize = Number(r.size);
  f.lineSpacing = Number(r.lineSpacing);
  const int align = (r.flags >> 2) & 3;
  f.alignmentIndex = align < static_cast<int>(kAlignments.size()) ? align : -1;
  if (r.option.empty() || r.option[0] != '@') {
    f.variableName = r.option;
  } else {
    f.textEffectSettings = r.option;
  }
  if (r.width == 0 && r.height == 0) {
    f.autoSize = kOn;
  } else {
    f.autoSize = kOff;
    f.boxWidth = Number(r.width);
    f.boxHeight = Number(r.height);
  }
  for (const TextOption& o : kTextOptions) f.*o.check = Check((r.flags & o.bit) != 0);
  f.multiline = Check((r.flags & kSingleLine) == 0);
  // Setting the font, dynamic-text and text-effect boxes runs their handler.
  ApplyFontRule(f);
}

// Writes the fields of the item's own kind; true when any field was written.
bool WriteFields(const Fields& f, StoreItem& r) {
  bool written = false;
  auto write = [&](auto& field, auto value) {
    field = value;
    written = true;
  };
  const bool single = f.single;
  switch (r.kind) {
    case StoreItemKind::RasterImage: {
      if (!f.path.empty()) write(r.name, f.path);
      if (f.keyColour != kGrey) {
        int16_t flags = r.flags;
        SetBits(flags, kKeyColour, f.keyColour == kOn ? kKeyColour : 0);
        if (AnyColourText(f, KeyRed)) write(r.param, Colour(f, KeyRed));
        if (f.softenEdges == kOn) {
          // Softening on with no mode chosen keeps the item's mode (or takes
          // the first one): it never means "off".
          int mode = f.softeningModeIndex >= 0 ? f.softeningModeIndex + 1 : (r.flags & kSoftening) / 2;
          if (mode == 0) mode = 1;
          SetBits(flags, kSoftening, static_cast<int16_t>(mode * 2));
          if (!f.softeningAmount.empty()) write(r.size, Single(f.softeningAmount));
        } else if (f.softenEdges == kOff) {
          SetBits(flags, kSoftening, 0);
        }
        write(r.flags, flags);
      }
      if (f.lossless != kGrey) {
        int16_t flags = r.flags;
        SetBits(flags, kLossless, f.lossless == kOn ? kLossless : 0);
        write(r.flags, flags);
      }
      if (!f.imageName.empty() || single) write(r.option, f.imageName);
      break;
    }
    case StoreItemKind::Sound:
      if (!f.path.empty()) write(r.name, f.path);
      if (!f.soundName.empty() || single) write(r.option, f.soundName);
      break;
    case StoreItemKind::Text: {
      if (!f.text.empty() || single) write(r.name, f.text);
      if (AnyColourText(f, TextRed)) write(r.param, Colour(f, TextRed));
      int16_t flags = r.flags;
      bool flagsWritten = false;
      auto setFlag = [&](int check, int16_t bit, bool inverse = false) {
        if (check == kGrey) return;
        SetBits(flags, bit, (check == kOn) != inverse ? bit : 0);
        flagsWritten = true;
      };
      setFlag(f.bold, kBold);
      setFlag(f.italic, kItalic);
      const std::string font = f.fontText();
      if (f.fontIndex >= 0 && f.fontIndex < static_cast<int>(f.fonts.size())) write(r.font, font);
      if (!f.fontSize.empty()) write(r.size, Single(f.fontSize));
      if (!f.lineSpacing.empty()) write(r.lineSpacing, Single(f.lineSpacing));
      if (f.alignmentIndex >= 0 && f.alignmentIndex < static_cast<int>(kAlignments.size())) {
        SetBits(flags, kAlignMask, static_cast<int16_t>(f.alignmentIndex << 2));
        flagsWritten = true;
      }
      if (!f.variableName.empty() || single) write(r.option, f.variableName);
      if (f.autoSize == kOn) {
        write(r.width, 0);
        write(r.height, 0);
      } else if (f.autoSize == kOff) {
        if (!f.boxWidth.empty()) write(r.width, Whole(f.boxWidth));
        if (!f.boxHeight.empty()) write(r.height, Whole(f.boxHeight));
      }
      for (const TextOption& o : kTextOptions) setFlag(f.*o.check, o.bit);
      setFlag(f.multiline, kSingleLine, true);
      if (flagsWritten) write(r.flags, flags);
      if (f.textEffect == kOn && !f.textEffectSettings.empty()) write(r.option, f.textEffectSettings);
      break;
    }
    case StoreItemKind::Sprite:
      if (!f.spriteName.empty() || single) write(r.name, f.spriteName);
      if (!f.spriteWidth.empty()) write(r.width, Whole(f.spriteWidth));
      if (!f.spriteHeight.empty()) write(r.height, Whole(f.spriteHeight));
      if (!f.referenceX.empty()) write(r.refX, Whole(f.referenceX));
      if (!f.referenceY.empty()) write(r.refY, Whole(f.referenceY));
      break;
    case StoreItemKind::VectorImage:
      if (!f.path.empty()) write(r.name, f.path);
      if (f.morph != kGrey) write(r.flags, static_cast<int16_t>(f.morph));
      if (!f.morphTarget.empty()) write(r.param, Whole(f.morphTarget));
      if (!f.vectorName.empty() || single) write(r.option, f.vectorName);
      break;
    case StoreItemKind::Video:
      if (!f.path.empty()) write(r.name, f.path);
      if (f.noSound != kGrey) write(r.flags, static_cast<int16_t>(f.noSound));
      if (!f.videoName.empty() || single) write(r.option, f.videoName);
      // Frames count from 1: a start of 0 or no number at all is the first.
      if (!f.startFrame.empty()) write(r.param, std::max(1, Whole(f.startFrame)));
      break;
    case StoreItemKind::Folder:
      if (!f.folderName.empty()) write(r.name, f.folderName);
      break;
    case StoreItemKind::Clone:
      break;
  }
  return written;
}

bool IsMeasuredText(const StoreItem& r) {
  return r.kind == StoreItemKind::Text && (r.font.empty() || r.font[0] != '_') && (r.flags & kDynamic) == 0;
}

// Whether the text of a whole-number box fits 32 bits once rounded.
bool FitsWhole(const std::string& text) {
  const double v = num::RoundHalfEven(num::Val(text));
  return std::isfinite(v) && v >= INT32_MIN && v <= INT32_MAX;
}

bool FitsSingle(const std::string& text) {
  const double v = num::Val(text);
  return std::isfinite(v) && std::fabs(v) <= FLT_MAX;
}

}  // namespace

std::string KindName(int32_t kind) {
  switch (kind) {
    case -1: return "フォルダ";
    case 1: return "画像";
    case 2: return "サウンド";
    case 3: return "テキスト";
    case 4: return "スプライト";
    case 5: return "ベクタ画像";
    case 6: return "ビデオ";
    default: return "(複数)";
  }
}

std::string Fields::fontText() const {
  return fontIndex >= 0 && fontIndex < static_cast<int>(fonts.size()) ? fonts[static_cast<size_t>(fontIndex)] : "";
}

void ApplyFontRule(Fields& f) {
  const std::string font = f.fontText();
  const bool deviceFont = !font.empty() && font[0] == '_';
  // A device font always makes a dynamic text field.
  const bool editField = deviceFont || f.dynamicText == kOn;
  if (editField) {
    f.dynamicTextVisible = !deviceFont;
    f.inputOptionsVisible = true;
    f.autoSize = Check(num::Val(f.boxWidth) == 0 || num::Val(f.boxHeight) == 0);
    f.autoSizeVisible = true;
    f.boxSizeEnabled = true;
    f.textEffect = kGrey;
    f.textEffectVisible = false;
    f.textEffectPanelVisible = false;
  } else {
    f.inputOptionsVisible = false;
    f.autoSize = kGrey;
    f.autoSizeVisible = false;
    f.boxSizeEnabled = false;
    if (f.textEffect == kGrey) f.textEffect = kOff;
    f.textEffectVisible = true;
    f.textEffectPanelVisible = f.textEffect == kOn;
    f.dynamicTextVisible = f.textEffect != kOn;
  }
}

bool FillFields(Fields& f, const std::vector<std::string>& installedFonts) {
  const auto& list = FL::Current();
  const int32_t id0 = FL::GetJpegListID(list.cursorRow);
  if (id0 == 0) return false;

  f.fonts.assign(kDeviceFonts.begin(), kDeviceFonts.end());
  f.fonts.insert(f.fonts.end(), installedFonts.begin(), installedFonts.end());

  const StoreItem r = GUICore::GetStoreItemByID(id0);
  const std::vector<int32_t> rows = WorkRows();
  int32_t kind = static_cast<int32_t>(r.kind);
  for (int32_t k : rows) {
    if (GUICore::GetStoreItemByID(FL::GetJpegListID(k)).kind != r.kind) kind = 0;
  }
  f.kind = kind;
  f.single = rows.size() == 1;
  f.itemId = Number(id0);
  f.kindName = KindName(kind);
  f.caption = kCaption;
  if (rows.size() > 1) {
    f.caption += kMultipleSuffix;
    f.itemId.clear();
  }

  switch (kind) {
    case 0:
      f.keyColourVisible = false;
      f.morphVisible = false;
      f.losslessVisible = false;
      break;
    case 1:
      FillImage(f, r);
      break;
    case 2:
      f.keyColourVisible = false;
      f.frame = Frame::Sound;
      if (f.single) {
        f.path = r.name;
        f.pathEnabled = f.browseEnabled = true;
        f.soundName = r.option;
      }
      break;
    case 3:
      f.keyColourVisible = false;
      FillText(f, r);
      break;
    case 4:
      f.keyColourVisible = false;
      f.pathVisible = false;
      f.frame = Frame::Sprite;
      if (f.single) {
        f.spriteName = r.name;
        f.spriteWidth = Number(r.width);
        f.spriteHeight = Number(r.height);
        f.referenceX = Number(r.refX);
        f.referenceY = Number(r.refY);
      }
      break;
    case 5:
      f.keyColourVisible = false;
      f.morphVisible = true;
      f.frame = Frame::Vector;
      if (f.single) {
        f.path = r.name;
        f.pathEnabled = f.browseEnabled = true;
        f.morph = SwitchCheck(r.flags);
        f.morphTarget = Number(r.param);
        f.vectorName = r.option;
      }
      break;
    case 6:
      f.keyColourVisible = false;
      f.frame = Frame::Video;
      if (f.single) {
        f.path = r.name;
        f.pathEnabled = f.browseEnabled = true;
        f.noSound = SwitchCheck(r.flags);
        f.startFrame = Number(r.param);
        f.videoName = r.option;
      }
      break;
    case -1:
      f.keyColourVisible = false;
      f.pathVisible = false;
      f.idVisible = false;
      f.itemIdEnabled = false;
      f.frame = Frame::Folder;
      if (f.single) f.folderName = r.name;
      break;
    default:
      break;
  }
  return true;
}

std::optional<NumberProblem> CheckNumbers(const Fields& f) {
  struct Box {
    const char* name;
    const char* label;
    const std::string* text;
    bool whole;
  };
  std::vector<Box> boxes = {{"itemIdBox", "ID", &f.itemId, true}};
  switch (f.frame) {
    case Frame::Text:
      boxes.insert(boxes.end(), {{"fontSizeBox", "サイズ", &f.fontSize, false},
                                 {"lineSpacingBox", "行間", &f.lineSpacing, false},
                                 {"boxWidthBox", "幅", &f.boxWidth, true},
                                 {"boxHeightBox", "高さ", &f.boxHeight, true}});
      break;
    case Frame::Image:
      boxes.push_back({"softeningAmountBox", "ぼかし強度", &f.softeningAmount, false});
      break;
    case Frame::Sprite:
      boxes.insert(boxes.end(), {{"spriteWidthBox", "幅", &f.spriteWidth, true},
                                 {"spriteHeightBox", "高さ", &f.spriteHeight, true},
                                 {"referenceXBox", "基準点 X", &f.referenceX, true},
                                 {"referenceYBox", "基準点 Y", &f.referenceY, true}});
      break;
    case Frame::Vector:
      boxes.push_back({"morphTargetBox", "モーフィング終了時の画像（ファイルID）", &f.morphTarget, true});
      break;
    case Frame::Video:
      boxes.push_back({"startFrameBox", "開始フレーム", &f.startFrame, true});
      break;
    default:
      break;
  }
  for (const Box& b : boxes) {
    if (b.text->empty()) continue;
    if (b.whole ? FitsWhole(*b.text) : FitsSingle(*b.text)) continue;
    return NumberProblem{b.name, std::string("「") + b.label + "」に入力された数値 " + *b.text +
                                     " は大きすぎて使えません。"};
  }
  return std::nullopt;
}

bool ApplyFields(const Fields& f, const TextMeasurer& measure) {
  if (GUICore::BuildInProgress() || CheckNumbers(f)) return false;
  GUICore::StoreUndoScope undo;
  if (!undo) return false;

  bool changed = false;
  int64_t wanted = f.itemId.empty() ? 0 : Whole(f.itemId);
  std::vector<int32_t> ids;  // the items, under their final IDs
  for (int32_t k : WorkRows()) {
    const int32_t id = FL::GetJpegListID(k);
    StoreItem r = GUICore::GetStoreItemByID(id);
    if (r.id == 0) continue;
    if (WriteFields(f, r)) {
      if (IsMeasuredText(r) && measure) {
        if (auto box = measure(r)) {
          r.width = box->width;
          r.height = box->height;
        }
      }
      changed = GUICore::UpdateStoreItem(id, r) || changed;
    }

    if (wanted > 0 && static_cast<int32_t>(r.kind) > 0) {
      if (id == wanted || wanted > kMaxStoreItemId) {
        ++wanted;
        ids.push_back(id);
        continue;
      }
      const int32_t given = GUICore::ChangeStoreItemID(id, static_cast<int32_t>(wanted));
      if (given == id) {
        // No free ID up to the limit: the rest keep theirs too.
        wanted = kMaxStoreItemId + 1;
        ids.push_back(id);
        continue;
      }
      undo.record(GUICore::kStoreUndoIdChange, id, given);
      wanted = static_cast<int64_t>(given) + 1;
      ids.push_back(given);
      changed = true;
    } else {
      ids.push_back(id);
    }
  }

  if (!changed) {
    undo.dismiss();
    return false;
  }
  GUICore::RefreshFileList();
  auto& list = FL::Current();
  for (int32_t id : ids) {
    const int32_t row = FL::GetJpegListIndex(id);
    if (list.rows.valid(row)) list.rows.at(row).selected = -1;
  }
  FL::DrawFileList();
  EventListModule::DrawEventList();
  return true;
}

std::optional<std::string> ClampSoftening(const std::string& text) {
  const double v = num::Val(text);
  if (v > 255) return std::string("255");
  if (v < 0) return std::string("0");
  return std::nullopt;
}

std::optional<SofteningDefaults> SofteningModeDefaults(int softeningModeIndex) {
  if (softeningModeIndex == 0) return SofteningDefaults{"1", "にじみ強度"};
  if (softeningModeIndex == 1) return SofteningDefaults{"30", "色の範囲"};
  return std::nullopt;
}

std::string BrowseFilter(const std::string& kindName, int16_t swfVersion) {
  auto filter = [](const char* description, const char* patterns) {
    return std::string(description) + '\0' + patterns + '\0';
  };
  if (kindName == KindName(1)) return filter("画像ファイル (*.jpg;*.bmp;*.png)", "*.jpg;*.jpeg;*.bmp;*.png");
  if (kindName == KindName(2)) {
    // The phone formats play only in SWF 4 movies.
    if (swfVersion > 4) return filter("サウンドファイル (*.mp3;*.wav)", "*.mp3;*.wav");
    return filter("サウンドファイル (*.mp3;*.wav;*.mld;*.mid;*.mmf)", "*.mp3;*.wav;*.mld;*.mid;*.mmf");
  }
  if (kindName == KindName(5)) return filter("ベクタ画像ファイル (*.kvg)", "*.kvg");
  if (kindName == KindName(6)) return filter("ビデオファイル (*.flv)", "*.flv");
  return {};
}

int32_t ColourValue(int32_t r, int32_t g, int32_t b) { return (r & 255) + 256 * (g & 255) + 65536 * (b & 255); }

std::pair<std::string, std::string> SpriteCentre(const std::string& width, const std::string& height) {
  return {Number(num::IntDiv(Whole(width), 2)), Number(num::IntDiv(Whole(height), 2))};
}

}  // namespace tesmiro::StoreProperty
