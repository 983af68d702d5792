#include "project/filter_dialog_fields.h"

#include <algorithm>
#include <cmath>

#include "platform/numeric.h"

namespace tesmiro::GUICore {
namespace {

constexpr int16_t kTrue = -1;

float Single(const std::string& text) { return static_cast<float>(num::Val(text)); }

int16_t Flag(bool on, int16_t old) {
  if (!on) return 0;
  return old != 0 ? old : kTrue;  // a stored "on" keeps its raw value
}

int16_t* FlagOf(FilterState& s, int32_t page) {
  switch (page) {
    case kPageColorTransform: return &s.colorTransform;
    case kPageDropShadow: return &s.dropShadow;
    case kPageBlur: return &s.blur;
    case kPageGlow: return &s.glow;
    case kPageBevel: return &s.bevel;
    case kPageColorMatrix: return &s.colorMatrix;
    default: return nullptr;
  }
}

template <typename State>
auto ParamsOf(State& s, int32_t page) -> decltype(&s.blurParams) {
  switch (page) {
    case kPageDropShadow: return &s.dropShadowParams;
    case kPageBlur: return &s.blurParams;
    case kPageGlow: return &s.glowParams;
    case kPageBevel: return &s.bevelParams;
    default: return nullptr;
  }
}

void StoreFilterParams(const FilterPageFields& f, FilterParams& p) {
  p.blurX = Single(f.blurX);
  p.blurY = Single(f.blurY);
  p.angle = Single(f.angle);
  p.distance = Single(f.distance);
  p.quality = num::RoundToInt32(num::Val(f.quality));
  p.strength = Single(f.strength);
  p.hideObject = f.hideObject == 1 ? kTrue : 0;
  p.knockout = f.knockout == 1 ? kTrue : 0;
  if (f.mode >= 0 && f.mode <= 2) p.mode = f.mode;
}

void SetParams(FilterParams& p, int32_t color1, float blur, float angle, float distance, float strength) {
  p.color1 = color1;
  p.blurX = p.blurY = blur;
  p.angle = angle;
  p.distance = distance;
  p.strength = strength;
  p.quality = 2;
}

uint8_t Channel(uint32_t colour, int shift) { return static_cast<uint8_t>((colour >> shift) & 0xFF); }

uint32_t Rgb(int32_t r, int32_t g, int32_t b) {
  auto clamp = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return clamp(r) | (clamp(g) << 8) | (clamp(b) << 16);
}

int32_t FloorChannel(double v) { return num::FloorToInt32(v); }

}  // namespace

const std::array<std::string, kFilterPageCount>& FilterPageNames() {
  static const std::array<std::string, kFilterPageCount> names{"カラーの変化", "ドロップシャドウ", "ブラー",
                                                               "グロー",       "ベベル",           "カラーマトリクス"};
  return names;
}

bool FilterAllowed(int32_t page, int32_t swfVersion) { return page <= kPageColorTransform || swfVersion >= 8; }

void ApplyFilterDefaults(FilterState& s) {
  s.multiply = {1.0f, 1.0f, 1.0f, 1.0f};
  for (int i : {0, 6, 12, 18}) s.matrix[static_cast<size_t>(i)] = 1.0f;
  SetParams(s.dropShadowParams, static_cast<int32_t>(0xFF000000u), 2.0f, 45.0f, 5.0f, 1.0f);
  s.blurParams.blurX = s.blurParams.blurY = 4.0f;
  s.blurParams.quality = 2;
  SetParams(s.glowParams, static_cast<int32_t>(0xFF00FFFFu), 10.0f, s.glowParams.angle, s.glowParams.distance, 1.0f);
  SetParams(s.bevelParams, static_cast<int32_t>(0xFFFFFFFFu), 2.0f, 45.0f, 5.0f, 1.0f);
  s.bevelParams.color2 = static_cast<int32_t>(0xFF000000u);
}

FilterPageFields PageFields(const FilterState& s, int32_t page) {
  FilterPageFields f;
  if (page == kPageColorTransform) {
    for (size_t i = 0; i < 4; ++i) {
      f.multipliers[i] = num::CStr(s.multiply[i]);
      f.offsets[i] = num::CStr(s.add[i]);
    }
  } else if (page == kPageColorMatrix) {
    for (size_t i = 0; i < 20; ++i) f.matrix[i] = num::CStr(s.matrix[i]);
  } else if (const FilterParams* p = ParamsOf(s, page)) {
    f.blurX = num::CStr(p->blurX);
    f.blurY = num::CStr(p->blurY);
    f.angle = num::CStr(p->angle);
    f.distance = num::CStr(p->distance);
    f.quality = num::CStr(p->quality);
    f.strength = num::CStr(p->strength);
    f.hideObject = p->hideObject != 0 ? 1 : 0;
    f.knockout = p->knockout != 0 ? 1 : 0;
    f.mode = p->mode >= 0 && p->mode <= 2 ? p->mode : -1;
  }
  return f;
}

void StorePageFields(const FilterPageFields& f, int32_t page, FilterState& s) {
  if (page == kPageColorTransform) {
    for (size_t i = 0; i < 4; ++i) {
      s.multiply[i] = Single(f.multipliers[i]);
      s.add[i] = num::RoundToInt32(num::Val(f.offsets[i]));
    }
  } else if (page == kPageColorMatrix) {
    for (size_t i = 0; i < 20; ++i) s.matrix[i] = Single(f.matrix[i]);
  } else if (FilterParams* p = ParamsOf(s, page)) {
    StoreFilterParams(f, *p);
  }
}

FilterPageLayout PageLayout(const FilterState& s, int32_t page) {
  FilterPageLayout l;
  l.page = page;
  const FilterParams* p = ParamsOf(s, page);
  if (!p) return l;
  l.caption = FilterPageNames()[static_cast<size_t>(page)];
  auto colourRow = [&](size_t row, const char* caption, int32_t colour) {
    l.colorShown[row] = true;
    l.colorCaption[row] = caption;
    l.swatch[row] = static_cast<uint32_t>(colour) & 0xFFFFFFu;
    l.opacity[row] = num::CStr(AlphaByte(colour));
  };
  switch (page) {
    case kPageDropShadow:
      colourRow(0, "影の色", p->color1);
      l.angleShown = l.distanceShown = l.strengthShown = l.switchesShown = true;
      l.modeShown = {true, true, false};
      break;
    case kPageGlow:
      colourRow(0, "グローの色", p->color1);
      l.strengthShown = l.switchesShown = true;
      l.modeShown = {true, true, false};
      break;
    case kPageBevel:
      colourRow(0, "ﾊｲﾗｲﾄの色", p->color1);
      colourRow(1, "影の色", p->color2);
      l.angleShown = l.distanceShown = l.strengthShown = l.switchesShown = true;
      l.modeShown = {true, true, true};
      break;
    default: break;  // blur: blur X, blur Y and quality only
  }
  return l;
}

FilterEditor::FilterEditor(const FilterState& edited, int32_t swfVersion) : state_(edited), swfVersion_(swfVersion) {
  if (state_.inUse == 0) ApplyFilterDefaults(state_);
  lastPage_ = -1;
}

std::array<bool, kFilterPageCount> FilterEditor::initialChecks() const {
  std::array<bool, kFilterPageCount> checks{};
  FilterState copy = state_;  // FlagOf hands out writable flags
  for (int32_t i = 0; i < kFilterPageCount; ++i) checks[static_cast<size_t>(i)] = *FlagOf(copy, i) != 0;
  return checks;
}

void FilterEditor::storeFilterList(const FilterPageFields& fields, const std::array<bool, kFilterPageCount>& checks) {
  if (lastPage_ >= 0 && lastPage_ < kFilterPageCount) StorePageFields(fields, lastPage_, state_);
  for (int32_t i = 0; i < kFilterPageCount; ++i) {
    int16_t* flag = FlagOf(state_, i);
    *flag = Flag(checks[static_cast<size_t>(i)], *flag);
  }
}

FilterPageLayout FilterEditor::showPage(int32_t page, const FilterPageFields& left,
                                        std::array<bool, kFilterPageCount>& checks, FilterPageFields& fill) {
  page = std::clamp(page, 0, kFilterPageCount - 1);
  storeFilterList(left, checks);
  FilterPageLayout layout = PageLayout(state_, page);
  if (!FilterAllowed(page, swfVersion_)) {
    layout.note = kFilterOnlySWF8Note;
    checks[static_cast<size_t>(page)] = false;
    *FlagOf(state_, page) = 0;
  }
  if (page == kPageColorTransform && checks[0]) layout.note = kColorTransformNote;
  fill = PageFields(state_, page);
  layout.enabled = checks[static_cast<size_t>(page)];
  lastPage_ = page;
  return layout;
}

FilterParams* FilterEditor::paramsOf(int32_t page) { return ParamsOf(state_, page); }

bool FilterEditor::setColor(int32_t index, int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  FilterParams* p = paramsOf(lastPage_);
  if (!p || lastPage_ == kPageBlur || (index == 1 && lastPage_ != kPageBevel) || index < 0 || index > 1) return false;
  auto byte = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  const auto colour = static_cast<int32_t>((byte(alpha) << 24) | (byte(blue) << 16) | (byte(green) << 8) | byte(red));
  (index == 0 ? p->color1 : p->color2) = colour;
  return true;
}

std::array<int32_t, 4> FilterEditor::colorForPicker(int32_t index) const {
  const FilterParams* p = ParamsOf(state_, lastPage_);
  if (!p) return {0, 0, 0, 255};
  const auto colour = static_cast<uint32_t>(index == 1 ? p->color2 : p->color1);
  return {Channel(colour, 0), Channel(colour, 8), Channel(colour, 16), Channel(colour, 24)};
}

FilterState FilterEditor::ok(const FilterPageFields& fields, const std::array<bool, kFilterPageCount>& checks) {
  storeFilterList(fields, checks);
  state_.inUse = kTrue;
  return state_;
}

FilterState FilterEditor::cancel() const {
  FilterState s = state_;
  s.inUse = 0;
  return s;
}

std::array<std::string, 20> ApplyMatrixPreset(MatrixPreset preset, const std::array<std::string, 20>& current) {
  std::array<std::string, 20> m = current;
  const std::string zero = "0", one = "1";
  switch (preset) {
    case MatrixPreset::Normal:
      for (size_t i = 0; i < 20; ++i) m[i] = (i % 6 == 0) ? one : zero;
      break;
    case MatrixPreset::Mono:
      for (size_t row = 0; row < 3; ++row) {
        m[5 * row + 0] = num::CStr(0.3f);
        m[5 * row + 1] = num::CStr(0.59f);
        m[5 * row + 2] = num::CStr(0.11f);
        m[5 * row + 3] = zero;
        m[5 * row + 4] = zero;
      }
      break;
    case MatrixPreset::Sepia: {
      // The factor is a single, the product a double: the texts carry the
      // single's binary digits on purpose.
      const float factors[3] = {1.1f, 0.9f, 0.7f};
      for (size_t row = 0; row < 3; ++row) {
        const double f = factors[row];
        m[5 * row + 0] = num::CStr(f * 0.3);
        m[5 * row + 1] = num::CStr(f * 0.59);
        m[5 * row + 2] = num::CStr(f * 0.11);
        m[5 * row + 3] = zero;
        m[5 * row + 4] = zero;
      }
      break;
    }
  }
  return m;
}

uint32_t PreviewRampColor(int32_t x) {
  // Around the colour wheel once: red, yellow, green, cyan, blue, magenta.
  x = std::clamp(x, 0, kPreviewBarWidth - 1);
  const int32_t segment = x / 32;
  const int32_t up = (x % 32) * 255 / 31;
  const int32_t down = 255 - up;
  switch (segment) {
    case 0: return Rgb(255, up, 0);
    case 1: return Rgb(down, 255, 0);
    case 2: return Rgb(0, 255, up);
    case 3: return Rgb(0, down, 255);
    case 4: return Rgb(up, 0, 255);
    default: return Rgb(255, 0, down);
  }
}

std::array<uint32_t, kPreviewBarWidth> ColorTransformBar(const std::array<std::string, 4>& multipliers,
                                                         const std::array<std::string, 4>& offsets) {
  std::array<double, 3> mul{}, add{};
  for (size_t i = 0; i < 3; ++i) {
    mul[i] = num::Val(multipliers[i]);
    add[i] = num::Val(offsets[i]);
  }
  std::array<uint32_t, kPreviewBarWidth> bar{};
  for (int32_t x = 0; x < kPreviewBarWidth; ++x) {
    const uint32_t c = PreviewRampColor(x);
    int32_t v[3];
    for (size_t i = 0; i < 3; ++i) v[i] = FloorChannel(Channel(c, static_cast<int>(8 * i)) * mul[i] + add[i]);
    bar[static_cast<size_t>(x)] = Rgb(v[0], v[1], v[2]);
  }
  return bar;
}

std::array<uint32_t, kPreviewBarWidth> ColorMatrixBar(const std::array<std::string, 20>& matrix) {
  std::array<double, 20> m{};
  for (size_t i = 0; i < 20; ++i) m[i] = num::Val(matrix[i]);
  std::array<uint32_t, kPreviewBarWidth> bar{};
  for (int32_t x = 0; x < kPreviewBarWidth; ++x) {
    const uint32_t c = PreviewRampColor(x);
    const double in[4] = {static_cast<double>(Channel(c, 0)), static_cast<double>(Channel(c, 8)),
                          static_cast<double>(Channel(c, 16)), static_cast<double>(Channel(c, 24))};
    int32_t out[3];
    for (size_t r = 0; r < 3; ++r) {
      int32_t sum = 0;
      for (size_t k = 0; k < 4; ++k) sum = num::RoundToInt32(in[k] * m[5 * r + k] + sum);
      out[r] = num::RoundToInt32(sum + m[5 * r + 4]);
    }
    bar[static_cast<size_t>(x)] = Rgb(out[0], out[1], out[2]);
  }
  return bar;
}

void CopyFilterFlags(const FilterParams& from, FilterParams& to) {
  to.hideObject = from.hideObject;
  to.knockout = from.knockout;
  to.mode = from.mode;
}

void ApplyFilterResult(const FilterState& result, FilterState& edited, FilterState& other) {
  edited = result;
  if (other.inUse != 0) {
    other.colorTransform = edited.colorTransform;
    other.dropShadow = edited.dropShadow;
    other.blur = edited.blur;
    other.glow = edited.glow;
    other.bevel = edited.bevel;
    other.colorMatrix = edited.colorMatrix;
  } else {
    other = edited;
  }
  CopyFilterFlags(edited.dropShadowParams, other.dropShadowParams);
  CopyFilterFlags(edited.blurParams, other.blurParams);
  CopyFilterFlags(edited.glowParams, other.glowParams);
  CopyFilterFlags(edited.bevelParams, other.bevelParams);
}

}  // namespace tesmiro::GUICore
