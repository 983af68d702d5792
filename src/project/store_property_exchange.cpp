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
    {&Fields::check7, 0x10},   {&Fields::check8, 0x20},    {&Fields::check10, 0x80},
    {&Fields::check11, 0x100}, {&Fields::check12, 0x400},  {&Fields::check13, 0x800},
    {&Fields::check16, kDynamic}, {&Fields::check18, kTextEffect},
};

int Check(bool on) { return on ? kOn : kOff; }

void SetBits(int16_t& flags, int16_t mask, int16_t value) {
  flags = static_cast<int16_t>((flags & ~mask) | (value & mask));
}

std::string Number(int32_t v) { return std::to_string(v); }
std::string Number(float v) { return num::CStr(v); }

int32_t Whole(const std::string& text) { return num::RoundToInt32(num::Val(text)); }
float Single(const std::string& text) { return static_cast<float>(num::Val(text)); }

void SetColour(Fields& f, int first, int32_t param) {
  for (int k = 0; k < 3; ++k) {
    f.hscroll1[first + k] = (param >> (8 * k)) & 255;
    f.text21[first + k] = Number(f.hscroll1[first + k]);
  }
}

bool AnyColourText(const Fields& f, int first) {
  return !f.text21[first].empty() || !f.text21[first + 1].empty() || !f.text21[first + 2].empty();
}

int32_t Colour(const Fields& f, int first) {
  return ColourValue(f.hscroll1[first], f.hscroll1[first + 1], f.hscroll1[first + 2]);
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
    for (int k = 0; k < 3; ++k) f.text21[k].clear();
    return;
  }
  f.text2 = r.name;
  f.text2Enabled = f.command6Enabled = true;
  f.check1 = Check((r.flags & kKeyColour) != 0);
  SetColour(f, 0, r.param);
  const int mode = (r.flags & kSoftening) / 2;
  f.check4 = Check(mode != 0);
  f.combo3 = mode >= 1 && mode <= static_cast<int>(kSofteningModes.size()) ? mode - 1 : -1;
  f.text7 = Number(r.size);
  if (auto clamped = ClampSoftening(f.text7)) f.text7 = *clamped;
  f.check15 = Check((r.flags & kLossless) != 0);
  f.text20 = r.option;
}

void FillText(Fields& f, const StoreItem& r) {
  f.frame = Frame::Text;
  f.pathVisible = false;
  if (!f.single) {
    for (int k = 3; k < 6; ++k) f.text21[k].clear();
    return;
  }
  f.text4 = r.name;
  SetColour(f, 3, r.param);
  f.check2 = Check((r.flags & kBold) != 0);
  f.check3 = Check((r.flags & kItalic) != 0);
  for (size_t i = 0; i < f.fonts.size(); ++i) {
    if (f.fonts[i] == r.font) {
      f.combo2 = static_cast<int>(i);
      break;
    }
  }
  f.text5 = Number(r.size);
  f.text6 = Number(r.lineSpacing);
  const int align = (r.flags >> 2) & 3;
  f.combo1 = align < static_cast<int>(kAlignments.size()) ? align : -1;
  if (r.option.empty() || r.option[0] != '@') {
    f.text11 = r.option;
  } else {
    f.text23 = r.option;
  }
  if (r.width == 0 && r.height == 0) {
    f.check5 = kOn;
  } else {
    f.check5 = kOff;
    f.text14 = Number(r.width);
    f.text15 = Number(r.height);
  }
  for (const TextOption& o : kTextOptions) f.*o.check = Check((r.flags & o.bit) != 0);
  f.check9 = Check((r.flags & kSingleLine) == 0);
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
      if (!f.text2.empty()) write(r.name, f.text2);
      if (f.check1 != kGrey) {
        int16_t flags = r.flags;
        SetBits(flags, kKeyColour, f.check1 == kOn ? kKeyColour : 0);
        if (AnyColourText(f, 0)) write(r.param, Colour(f, 0));
        if (f.check4 == kOn) {
          // Softening on with no mode chosen keeps the item's mode (or takes
          // the first one): it never means "off".
          int mode = f.combo3 >= 0 ? f.combo3 + 1 : (r.flags & kSoftening) / 2;
          if (mode == 0) mode = 1;
          SetBits(flags, kSoftening, static_cast<int16_t>(mode * 2));
          if (!f.text7.empty()) write(r.size, Single(f.text7));
        } else if (f.check4 == kOff) {
          SetBits(flags, kSoftening, 0);
        }
        write(r.flags, flags);
      }
      if (f.check15 != kGrey) {
        int16_t flags = r.flags;
        SetBits(flags, kLossless, f.check15 == kOn ? kLossless : 0);
        write(r.flags, flags);
      }
      if (!f.text20.empty() || single) write(r.option, f.text20);
      break;
    }
    case StoreItemKind::Sound:
      if (!f.text2.empty()) write(r.name, f.text2);
      if (!f.text17.empty() || single) write(r.option, f.text17);
      break;
    case StoreItemKind::Text: {
      if (!f.text4.empty() || single) write(r.name, f.text4);
      if (AnyColourText(f, 3)) write(r.param, Colour(f, 3));
      int16_t flags = r.flags;
      bool flagsWritten = false;
      auto setFlag = [&](int check, int16_t bit, bool inverse = false) {
        if (check == kGrey) return;
        SetBits(flags, bit, (check == kOn) != inverse ? bit : 0);
        flagsWritten = true;
      };
      setFlag(f.check2, kBold);
      setFlag(f.check3, kItalic);
      const std::string font = f.fontText();
      if (f.combo2 >= 0 && f.combo2 < static_cast<int>(f.fonts.size())) write(r.font, font);
      if (!f.text5.empty()) write(r.size, Single(f.text5));
      if (!f.text6.empty()) write(r.lineSpacing, Single(f.text6));
      if (f.combo1 >= 0 && f.combo1 < static_cast<int>(kAlignments.size())) {
        SetBits(flags, kAlignMask, static_cast<int16_t>(f.combo1 << 2));
        flagsWritten = true;
      }
      if (!f.text11.empty() || single) write(r.option, f.text11);
      if (f.check5 == kOn) {
        write(r.width, 0);
        write(r.height, 0);
      } else if (f.check5 == kOff) {
        if (!f.text14.empty()) write(r.width, Whole(f.text14));
        if (!f.text15.empty()) write(r.height, Whole(f.text15));
      }
      for (const TextOption& o : kTextOptions) setFlag(f.*o.check, o.bit);
      setFlag(f.check9, kSingleLine, true);
      if (flagsWritten) write(r.flags, flags);
      if (f.check18 == kOn && !f.text23.empty()) write(r.option, f.text23);
      break;
    }
    case StoreItemKind::Sprite:
      if (!f.text8.empty() || single) write(r.name, f.text8);
      if (!f.text9.empty()) write(r.width, Whole(f.text9));
      if (!f.text10.empty()) write(r.height, Whole(f.text10));
      if (!f.text12.empty()) write(r.refX, Whole(f.text12));
      if (!f.text13.empty()) write(r.refY, Whole(f.text13));
      break;
    case StoreItemKind::VectorImage:
      if (!f.text2.empty()) write(r.name, f.text2);
      if (f.check14 != kGrey) write(r.flags, static_cast<int16_t>(f.check14));
      if (!f.text16.empty()) write(r.param, Whole(f.text16));
      if (!f.text22.empty() || single) write(r.option, f.text22);
      break;
    case StoreItemKind::Video:
      if (!f.text2.empty()) write(r.name, f.text2);
      if (f.check17 != kGrey) write(r.flags, static_cast<int16_t>(f.check17));
      if (!f.text19.empty() || single) write(r.option, f.text19);
      // Frames count from 1: a start of 0 or no number at all is the first.
      if (!f.text18.empty()) write(r.param, std::max(1, Whole(f.text18)));
      break;
    case StoreItemKind::Folder:
      if (!f.text26.empty()) write(r.name, f.text26);
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
  return combo2 >= 0 && combo2 < static_cast<int>(fonts.size()) ? fonts[static_cast<size_t>(combo2)] : "";
}

void ApplyFontRule(Fields& f) {
  const std::string font = f.fontText();
  const bool deviceFont = !font.empty() && font[0] == '_';
  // A device font always makes a dynamic text field.
  const bool editField = deviceFont || f.check16 == kOn;
  if (editField) {
    f.check16Visible = !deviceFont;
    f.frame7Visible = true;
    f.check5 = Check(num::Val(f.text14) == 0 || num::Val(f.text15) == 0);
    f.check5Visible = true;
    f.boxSizeEnabled = true;
    f.check18 = kGrey;
    f.check18Visible = false;
    f.frame14Visible = false;
  } else {
    f.frame7Visible = false;
    f.check5 = kGrey;
    f.check5Visible = false;
    f.boxSizeEnabled = false;
    if (f.check18 == kGrey) f.check18 = kOff;
    f.check18Visible = true;
    f.frame14Visible = f.check18 == kOn;
    f.check16Visible = f.check18 != kOn;
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
  f.text1 = Number(id0);
  f.text3 = KindName(kind);
  f.caption = kCaption;
  if (rows.size() > 1) {
    f.caption += kMultipleSuffix;
    f.text1.clear();
  }

  switch (kind) {
    case 0:
      f.check1Visible = false;
      f.check14Visible = false;
      f.check15Visible = false;
      break;
    case 1:
      FillImage(f, r);
      break;
    case 2:
      f.check1Visible = false;
      f.frame = Frame::Sound;
      if (f.single) {
        f.text2 = r.name;
        f.text2Enabled = f.command6Enabled = true;
        f.text17 = r.option;
      }
      break;
    case 3:
      f.check1Visible = false;
      FillText(f, r);
      break;
    case 4:
      f.check1Visible = false;
      f.pathVisible = false;
      f.frame = Frame::Sprite;
      if (f.single) {
        f.text8 = r.name;
        f.text9 = Number(r.width);
        f.text10 = Number(r.height);
        f.text12 = Number(r.refX);
        f.text13 = Number(r.refY);
      }
      break;
    case 5:
      f.check1Visible = false;
      f.check14Visible = true;
      f.frame = Frame::Vector;
      if (f.single) {
        f.text2 = r.name;
        f.text2Enabled = f.command6Enabled = true;
        f.check14 = SwitchCheck(r.flags);
        f.text16 = Number(r.param);
        f.text22 = r.option;
      }
      break;
    case 6:
      f.check1Visible = false;
      f.frame = Frame::Video;
      if (f.single) {
        f.text2 = r.name;
        f.text2Enabled = f.command6Enabled = true;
        f.check17 = SwitchCheck(r.flags);
        f.text18 = Number(r.param);
        f.text19 = r.option;
      }
      break;
    case -1:
      f.check1Visible = false;
      f.pathVisible = false;
      f.idVisible = false;
      f.text1Enabled = false;
      f.frame = Frame::Folder;
      if (f.single) f.text26 = r.name;
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
  std::vector<Box> boxes = {{"Text1", "ID", &f.text1, true}};
  switch (f.frame) {
    case Frame::Text:
      boxes.insert(boxes.end(), {{"Text5", "サイズ", &f.text5, false},
                                 {"Text6", "行間", &f.text6, false},
                                 {"Text14", "幅", &f.text14, true},
                                 {"Text15", "高さ", &f.text15, true}});
      break;
    case Frame::Image:
      boxes.push_back({"Text7", "ぼかし強度", &f.text7, false});
      break;
    case Frame::Sprite:
      boxes.insert(boxes.end(), {{"Text9", "幅", &f.text9, true},
                                 {"Text10", "高さ", &f.text10, true},
                                 {"Text12", "基準点 X", &f.text12, true},
                                 {"Text13", "基準点 Y", &f.text13, true}});
      break;
    case Frame::Vector:
      boxes.push_back({"Text16", "モーフィング終了時の画像（ファイルID）", &f.text16, true});
      break;
    case Frame::Video:
      boxes.push_back({"Text18", "開始フレーム", &f.text18, true});
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
  int64_t wanted = f.text1.empty() ? 0 : Whole(f.text1);
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

std::optional<SofteningDefaults> SofteningModeDefaults(int combo3) {
  if (combo3 == 0) return SofteningDefaults{"1", "にじみ強度"};
  if (combo3 == 1) return SofteningDefaults{"30", "色の範囲"};
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
