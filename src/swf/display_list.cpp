// The display list: PlaceObject2/3 and RemoveObject2, with the table of
// occupied depths that decides between placing and moving.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/numeric.h"
#include "swf/script_compiler.h"
#include "swf/swf_records.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {

using swf::CurrentScriptCompiler;
using swf::ScriptCompiler;
namespace {

constexpr int32_t kClipEventKeyPress = 0x20000;

bool InRange(int32_t depth) { return depth >= kMinDepth && depth <= kMaxDepth; }

DepthSlot& Slot(int32_t depth) { return WriterState().depths[static_cast<size_t>(depth - kMinDepth)]; }

void Diagnose(const std::string& text) { WriterState().diagnostics.push_back(text); }

void AppendColorTransform(const ColorTransform& cx) {
  BitWriter w;
  WriteColorTransform(w, cx);
  const Bytes bytes = w.bytes();
  OutputBuffer().insert(OutputBuffer().end(), bytes.begin(), bytes.end());
}

void WriteFixed(double v) { WriteU32(num::FloorToInt32(v * 65536.0)); }
// A strength beyond the field's 16 bits stops at its largest value.
void WriteFixed8(double v) { WriteU16(std::clamp(num::FloorToInt32(v * 256.0), -32768, 65535)); }
void WriteColor(int32_t abgr) {
  // &HAABBGGRR stored from its low byte: R, G, B, A.
  WriteU32(abgr);
}

int FilterFlags(const FilterParams& f, int qualityMask) {
  int flags = f.quality & qualityMask;
  if (f.hideObject == 0) flags += 32;
  if (f.knockout != 0) flags += 64;
  if (f.mode == 1) flags += 128;
  return flags;
}

double Radians(float degrees) { return degrees * std::numbers::pi / 180.0; }

int WriteFilterList(const FilterState& fs) {
  const int32_t countAt = Reserve(1);
  int count = 0;
  if (fs.dropShadow != 0) {
    const FilterParams& f = fs.dropShadowParams;
    WriteHex("00");
    WriteColor(f.color1);
    WriteFixed(f.blurX);
    WriteFixed(f.blurY);
    WriteFixed(Radians(f.angle));
    WriteFixed(f.distance);
    WriteFixed8(f.strength);
    OutputBuffer().push_back(static_cast<uint8_t>(FilterFlags(f, 31)));
    ++count;
  }
  if (fs.blur != 0) {
    const FilterParams& f = fs.blurParams;
    WriteHex("01");
    WriteFixed(f.blurX);
    WriteFixed(f.blurY);
    OutputBuffer().push_back(static_cast<uint8_t>((f.quality & 31) << 3));
    ++count;
  }
  if (fs.glow != 0) {
    const FilterParams& f = fs.glowParams;
    WriteHex("02");
    WriteColor(f.color1);
    WriteFixed(f.blurX);
    WriteFixed(f.blurY);
    WriteFixed8(f.strength);
    OutputBuffer().push_back(static_cast<uint8_t>(FilterFlags(f, 31)));
    ++count;
  }
  if (fs.bevel != 0) {
    const FilterParams& f = fs.bevelParams;
    WriteHex("03");
    WriteColor(f.color1);
    WriteColor(f.color2);
    WriteFixed(f.blurX);
    WriteFixed(f.blurY);
    WriteFixed(Radians(f.angle));
    WriteFixed(f.distance);
    WriteFixed8(f.strength);
    int flags = FilterFlags(f, 15);
    if (f.mode == 2) flags += 16;
    OutputBuffer().push_back(static_cast<uint8_t>(flags));
    ++count;
  }
  if (fs.colorMatrix != 0) {
    WriteHex("06");
    for (float v : fs.matrix) {
      const Bytes b = FloatToBytes(v);
      OutputBuffer().insert(OutputBuffer().end(), b.begin(), b.end());
    }
    ++count;
  }
  OutputBuffer()[static_cast<size_t>(countAt)] = static_cast<uint8_t>(count);
  return count;
}

void WriteClipActions(const std::string& clipScript) {
  ScriptCompiler* compiler = CurrentScriptCompiler();
  const int version = GetSWFVersion();
  WriteHex("0000");
  const int32_t allFlagsAt = Reserve(4);
  int32_t allFlags = 0;
  std::string script = compiler ? compiler->expandFileInclude(clipScript) : std::string();
  int32_t line = 0;
  while (!script.empty() && compiler) {
    const size_t before = script.size();
    int32_t flags = 0;
    int32_t keyCode = 0;
    const Bytes actions = compiler->compileClipEventHandler(script, flags, line, keyCode, version);
    if (!actions.empty()) {
      allFlags |= flags;
      WriteU32(flags);
      const bool keyPress = (flags & kClipEventKeyPress) != 0;
      WriteU32(static_cast<int32_t>(actions.size()) + (keyPress ? 2 : 1));
      if (keyPress) OutputBuffer().push_back(static_cast<uint8_t>(keyCode));
      OutputBuffer().insert(OutputBuffer().end(), actions.begin(), actions.end());
      WriteHex("00");
    }
    if (script.size() >= before) break;  // a compiler that takes nothing would loop forever
  }
  PatchU32(static_cast<size_t>(allFlagsAt), allFlags);
  WriteHex("00000000");
}

}  // namespace

int32_t DepthIndex(int32_t depth) { return depth - kMinDepth + 1; }

void ClearDepthTable() { WriterState().depths.fill(DepthSlot{}); }

bool DepthOccupied(int32_t depth) { return InRange(depth) && Slot(depth).occupied == -1; }

bool WritePlaceObject(const Placement& p) {
  if (!InRange(p.depth)) {
    Diagnose("深度 " + std::to_string(p.depth) + " は -256 から 256 の範囲にありません");
    return false;
  }
  if (p.clipDepth != kNoClipDepth && !InRange(p.clipDepth)) {
    Diagnose("マスク深度 " + std::to_string(p.clipDepth) + " は -256 から 256 の範囲にありません");
    return false;
  }
  DepthSlot& slot = Slot(p.depth);
  const bool move = slot.occupied == -1;
  if (!move && (p.characterId < 1 || p.characterId > 65535)) {
    Diagnose("キャラクタID " + std::to_string(p.characterId) + " は使えません");
    return false;
  }

  const int version = GetSWFVersion();
  const bool hasFilters = version >= 8 && p.filters.anyFilter();
  const bool hasBlend = version >= 8 && p.blendMode >= 1;
  const bool place3 = hasFilters || hasBlend;
  const size_t lengthAt = WriteTagHeader(place3 ? TagCode::PlaceObject3 : TagCode::PlaceObject2, 0, TagForm::Long);
  const auto flagsAt = static_cast<size_t>(Reserve(1));
  if (place3) OutputBuffer().push_back(static_cast<uint8_t>((hasFilters ? 1 : 0) + (hasBlend ? 2 : 0)));
  int flags = 0;
  WriteU16(DepthIndex(p.depth));

  if (!move) {
    flags |= 2;
    WriteU16(p.characterId);
  } else {
    flags |= 1;
  }

  const bool neutralMatrix =
      p.x == 0 && p.y == 0 && p.rotation == 0 && p.scaleX == 1.0f && p.scaleY == 1.0f;
  if (!neutralMatrix) {
    flags |= 4;
    const double c = std::cos(static_cast<double>(p.rotation)), sn = std::sin(static_cast<double>(p.rotation));
    const Bytes m = MakeMatrix(static_cast<float>(p.scaleX * c), static_cast<float>(p.scaleY * c),
                               static_cast<float>(p.scaleX * sn), static_cast<float>(-p.scaleY * sn), p.x, p.y);
    OutputBuffer().insert(OutputBuffer().end(), m.begin(), m.end());
  } else if (move && slot.matrixSet) {
    // A move without a matrix keeps the previous one: write the identity so
    // that motion through the neutral state does not freeze.
    flags |= 4;
    const Bytes m = MakeMatrix(1.0f, 1.0f, 0.0f, 0.0f, 0, 0);
    OutputBuffer().insert(OutputBuffer().end(), m.begin(), m.end());
  }
  const bool matrixSet = !neutralMatrix;

  bool cxformSet = slot.cxformSet;
  if (p.clipDepth == kNoClipDepth) {
    const bool wanted = p.brightness != 0 || p.alpha != 256 || p.filters.colorTransform == -1;
    if (wanted) {
      flags |= 8;
      ColorTransform cx;
      if (p.filters.colorTransform != 0) {
        for (size_t k = 0; k < 4; ++k) cx.multiply[k] = num::RoundToInt32(p.filters.multiply[k] * 256.0);
        cx.add = p.filters.add;
      } else {
        cx.multiply[3] = p.alpha;
        cx.add = {p.brightness, p.brightness, p.brightness, 0};
      }
      AppendColorTransform(cx);
      cxformSet = true;
    } else if (move && slot.cxformSet) {
      flags |= 8;
      AppendColorTransform(ColorTransform{});
      cxformSet = false;
    } else if (!move) {
      cxformSet = false;
    }
  } else if (!move) {
    cxformSet = false;
  }

  if (p.ratio >= 0) {
    flags |= 16;
    WriteU16(std::min(num::RoundToInt32(static_cast<double>(p.ratio) * 65535.0), 65535));
  }
  if (!p.name.empty() && !move) {
    flags |= 32;
    const Bytes b = StringToBytes(p.name);
    OutputBuffer().insert(OutputBuffer().end(), b.begin(), b.end());
  }
  if (p.clipDepth != kNoClipDepth) {
    flags |= 64;
    WriteU16(DepthIndex(p.clipDepth));
  }
  if (hasFilters) WriteFilterList(p.filters);
  if (hasBlend) OutputBuffer().push_back(static_cast<uint8_t>(p.blendMode & 255));

  if (!p.clipActions.empty() && !move) {
    if (version == 4) {
      WriterState().diagnostics.push_back(
          {Diagnostic::Kind::Warning,
           "クリップアクションはSWF4では使用できません。 [" + p.name + "]\r\n無視して続行します。"});
    } else {
      flags |= 128;
      WriteClipActions(p.clipActions);
    }
  }

  OutputBuffer()[flagsAt] = static_cast<uint8_t>(flags);
  PatchTagLength(lengthAt);
  slot.occupied = -1;
  slot.matrixSet = matrixSet;
  slot.cxformSet = cxformSet;
  return true;
}

bool WriteRemoveObject2(int32_t depth) {
  if (!InRange(depth)) {
    Diagnose("深度 " + std::to_string(depth) + " は -256 から 256 の範囲にありません");
    return false;
  }
  WriteTagHeader(TagCode::RemoveObject2, 2);
  WriteU16(DepthIndex(depth));
  Slot(depth) = DepthSlot{};
  return true;
}

bool RemoveObjects(std::string_view text) {
  bool any = false;
  if (text == "ALL") {
    for (int32_t d = kMinDepth; d <= kMaxDepth; ++d)
      if (Slot(d).occupied == -1) any = WriteRemoveObject2(d) || any;
    return any;
  }
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  };
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    const double v = num::RoundHalfEven(num::Val(part));
    if (v >= kMinDepth && v <= kMaxDepth) any = WriteRemoveObject2(static_cast<int32_t>(v)) || any;
    rest = comma == std::string_view::npos ? std::string_view{} : trim(rest.substr(comma + 1));
  }
  return any;
}

}  // namespace tesmiro::SWFMakeCore
