#include "media/text/font_surface.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

// GCC says it builds with AddressSanitizer by a macro, clang by a feature.
#if defined(__SANITIZE_ADDRESS__)
#define TESMIRO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESMIRO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(TESMIRO_ADDRESS_SANITIZER)
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/byte_reader.h"
#include "platform/numeric.h"

namespace tesmiro::text {

namespace {

// Fonts that projects name but Linux does not have. The Japanese ones go to
// the IPA fonts (fixed pitch for the plain names, proportional for the "P"
// ones); the player's device fonts go to the generic families.
struct Alias {
  std::string_view name;
  std::string_view family;
  bool japanese;
};
constexpr std::array kAliases{
    Alias{"ＭＳ ゴシック", "IPAGothic", true},
    Alias{"ＭＳ Ｐゴシック", "IPAPGothic", true},
    Alias{"ＭＳ 明朝", "IPAMincho", true},
    Alias{"ＭＳ Ｐ明朝", "IPAPMincho", true},
    Alias{"MS Gothic", "IPAGothic", true},
    Alias{"MS PGothic", "IPAPGothic", true},
    Alias{"MS Mincho", "IPAMincho", true},
    Alias{"MS PMincho", "IPAPMincho", true},
    Alias{"MS UI Gothic", "IPAPGothic", true},
    Alias{"メイリオ", "IPAPGothic", true},
    Alias{"Meiryo", "IPAPGothic", true},
    Alias{"Meiryo UI", "IPAPGothic", true},
    Alias{"_ゴシック", "IPAGothic", true},
    Alias{"_等幅", "IPAGothic", true},
    Alias{"_明朝", "IPAMincho", true},
    Alias{"_sans", "sans-serif", false},
    Alias{"_serif", "serif", false},
    Alias{"_typewriter", "monospace", false},
};

// How far a cubic outline may stray from its quadratic approximation, in
// 26.6 pixels (1/32 pixel: well under one unit of the glyph shapes).
constexpr double kCubicTolerance = 2.0;
constexpr int kMaxCubicSplits = 8;
// A curve record counts its points in 16 bits.
constexpr size_t kMaxRunPoints = 0xFFFF;

struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

struct FontSystem {
  FT_Library library = nullptr;
  bool initFailed = false;
  std::map<std::tuple<std::string, bool, bool>, std::optional<ResolvedFont>> resolved;
  std::map<std::pair<std::string, int32_t>, FacePtr> faces;

  ~FontSystem() {
    faces.clear();
    if (library) FT_Done_FreeType(library);
  }
};

FontSystem& Fonts() {
  static FontSystem s;
  return s;
}

bool EnsureLibrary() {
  FontSystem& s = Fonts();
  if (s.library) return true;
  if (s.initFailed) return false;
  bool fontconfigReady;
  {
#if defined(TESMIRO_ADDRESS_SANITIZER)
    // The font configuration lives for the whole program; its parser keeps
    // a few blocks it never frees, which are not ours to report.
    __lsan::ScopedDisabler configOwnsThese;
#endif
    fontconfigReady = FcInit();
  }
  if (!fontconfigReady || FT_Init_FreeType(&s.library) != 0) {
    s.library = nullptr;
    s.initFailed = true;
    return false;
  }
  return true;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// The generic families the player's device fonts map to: whatever
// fontconfig picks for them is what was asked for.
bool IsGenericFamily(std::string_view family) {
  return family.empty() || family == "sans-serif" || family == "serif" || family == "monospace";
}

// Family names compare as fontconfig compares them: without regard to the
// case of ASCII letters or to blanks.
std::string FamilyKey(std::string_view name) {
  std::string key;
  for (char c : name) {
    if (c == ' ') continue;
    key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

// A match carries its family under every name it has (IPAGothic is also
// "IPAゴシック").
bool HasFamily(FcPattern* match, const std::string& family) {
  const std::string wanted = FamilyKey(family);
  FcChar8* name = nullptr;
  for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
    if (name && FamilyKey(reinterpret_cast<const char*>(name)) == wanted) return true;
  }
  return false;
}

std::optional<ResolvedFont> Match(const FontSurface& surface) {
  bool japanese = false;
  std::string family = FamilyForName(surface.name, japanese);
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return std::nullopt;
  if (!family.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  // A Japanese face name that is not installed should land on a font that
  // has Japanese glyphs, not on the default Latin face.
  if (japanese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_WEIGHT, surface.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, surface.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;

  std::optional<ResolvedFont> font;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    font.emplace();
    font->file = reinterpret_cast<const char*>(file);
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcBool embolden = FcFalse;
    FcMatrix* matrix = nullptr;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    // The system's configuration may already have marked the match for
    // synthetic emboldening or slanting (and renamed its style to suit).
    bool sheared = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix && matrix->xy != 0;
    FcChar8* matchedFamily = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch && matchedFamily)
      font->family = reinterpret_cast<const char*>(matchedFamily);
    font->familyInstalled = IsGenericFamily(family) || HasFamily(match, family);
    font->index = index;
    font->syntheticBold = surface.bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
    font->syntheticItalic = surface.italic && (sheared || slant == FC_SLANT_ROMAN);
  }
  FcPatternDestroy(match);
  return font;
}

const std::optional<ResolvedFont>& Resolve(const FontSurface& surface) {
  FontSystem& s = Fonts();
  auto key = std::make_tuple(surface.name, surface.bold, surface.italic);
  auto it = s.resolved.find(key);
  if (it == s.resolved.end()) it = s.resolved.emplace(key, Match(surface)).first;
  return it->second;
}

// The face for the surface, sized to its em; null when there is none.
FT_Face SizedFace(const FontSurface& surface, const ResolvedFont** fontOut) {
  if (!EnsureLibrary()) return nullptr;
  const std::optional<ResolvedFont>& font = Resolve(surface);
  if (!font) return nullptr;
  FontSystem& s = Fonts();
  auto key = std::make_pair(font->file, font->index);
  auto it = s.faces.find(key);
  if (it == s.faces.end()) {
    FT_Face face = nullptr;
    if (FT_New_Face(s.library, font->file.c_str(), font->index, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
      FT_Done_Face(face);
      face = nullptr;
    }
    it = s.faces.emplace(key, FacePtr(face)).first;
  }
  FT_Face face = it->second.get();
  if (!face) return nullptr;
  int32_t em = EmPixels(surface.size);
  if (em < 1 || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0) return nullptr;
  if (fontOut) *fontOut = &*font;
  return face;
}

// ---- outline collection ----------------------------------------------------

struct Point {
  double x = 0, y = 0;  // 26.6 pixels
  bool operator==(const Point&) const = default;
};
struct Curve {
  uint16_t type = kPrimLine;
  std::vector<Point> points;
};
struct Contour {
  Point start;
  std::vector<Curve> curves;
};

struct OutlineBuilder {
  std::vector<Contour> contours;
  Point pen;

  void finishContour() {
    if (contours.empty()) return;
    Contour& c = contours.back();
    // The closing line back to the start is implied by the format.
    if (!c.curves.empty() && c.curves.back().type == kPrimLine && c.curves.back().points.back() == c.start) {
      c.curves.back().points.pop_back();
      if (c.curves.back().points.empty()) c.curves.pop_back();
    }
    if (c.curves.empty()) contours.pop_back();
  }
  void moveTo(Point to) {
    finishContour();
    contours.push_back(Contour{to, {}});
    pen = to;
  }
  void lineTo(Point to) {
    if (contours.empty()) moveTo(pen);
    auto& curves = contours.back().curves;
    if (curves.empty() || curves.back().type != kPrimLine || curves.back().points.size() >= kMaxRunPoints)
      curves.push_back(Curve{kPrimLine, {}});
    curves.back().points.push_back(to);
    pen = to;
  }
  void conicTo(Point control, Point to) {
    if (contours.empty()) moveTo(pen);
    auto& curves = contours.back().curves;
    // Consecutive splines whose shared on-curve point is the midpoint of
    // their controls are one native spline with an implied point, as the
    // font stores them.
    if (!curves.empty() && curves.back().type == kPrimQSpline && curves.back().points.size() < kMaxRunPoints) {
      auto& pts = curves.back().points;
      const Point& last = pts[pts.size() - 2];
      if (std::abs(last.x + control.x - 2 * pen.x) <= 1.0 && std::abs(last.y + control.y - 2 * pen.y) <= 1.0) {
        pts.back() = control;
        pts.push_back(to);
        pen = to;
        return;
      }
    }
    curves.push_back(Curve{kPrimQSpline, {control, to}});
    pen = to;
  }
  void cubicTo(Point c1, Point c2, Point to, int depth = 0) {
    Point p0 = pen;
    double dx = to.x - 3 * c2.x + 3 * c1.x - p0.x;
    double dy = to.y - 3 * c2.y + 3 * c1.y - p0.y;
    double error = std::sqrt(3.0) / 36.0 * std::hypot(dx, dy);
    if (error <= kCubicTolerance || depth >= kMaxCubicSplits) {
      Point q{(3 * (c1.x + c2.x) - p0.x - to.x) / 4, (3 * (c1.y + c2.y) - p0.y - to.y) / 4};
      if (contours.empty()) moveTo(pen);
      contours.back().curves.push_back(Curve{kPrimQSpline, {q, to}});
      pen = to;
      return;
    }
    auto mid = [](Point a, Point b) { return Point{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
    Point ab = mid(p0, c1), bc = mid(c1, c2), cd = mid(c2, to);
    Point abc = mid(ab, bc), bcd = mid(bc, cd), m = mid(abc, bcd);
    cubicTo(ab, abc, m, depth + 1);
    cubicTo(bcd, cd, to, depth + 1);
  }
};

Point ToPoint(const FT_Vector* v) { return Point{static_cast<double>(v->x), static_cast<double>(v->y)}; }
OutlineBuilder* Builder(void* user) { return static_cast<OutlineBuilder*>(user); }

int OnMove(const FT_Vector* to, void* user) {
  Builder(user)->moveTo(ToPoint(to));
  return 0;
}
int OnLine(const FT_Vector* to, void* user) {
  Builder(user)->lineTo(ToPoint(to));
  return 0;
}
int OnConic(const FT_Vector* control, const FT_Vector* to, void* user) {
  Builder(user)->conicTo(ToPoint(control), ToPoint(to));
  return 0;
}
int OnCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  Builder(user)->cubicTo(ToPoint(c1), ToPoint(c2), ToPoint(to));
  return 0;
}

int32_t ToFixed(double v26_6) {
  // 26.6 to 16.16 is a shift by ten bits.
  return num::RoundToInt32(v26_6 * 1024.0);
}

// The native buffer: per contour a polygon header (byte count, type, start
// point), then per curve its type, point count and points.
std::vector<uint8_t> Serialize(const std::vector<Contour>& contours) {
  ByteWriter w;
  for (const Contour& c : contours) {
    size_t headerAt = w.size();
    w.u32(0);
    w.i32(kPolygonType);
    w.i32(ToFixed(c.start.x));
    w.i32(ToFixed(c.start.y));
    for (const Curve& curve : c.curves) {
      w.u16(curve.type);
      w.u16(static_cast<uint16_t>(curve.points.size()));
      for (const Point& p : curve.points) {
        w.i32(ToFixed(p.x));
        w.i32(ToFixed(p.y));
      }
    }
    w.patchU32(headerAt, static_cast<uint32_t>(w.size() - headerAt));
  }
  return std::move(w.data());
}

}  // namespace

int32_t EmPixels(float points) {
  return num::RoundToInt32(static_cast<double>(points) * 96.0 / 72.0);
}

std::string FamilyForName(std::string_view name, bool& japanese) {
  if (!name.empty() && name.front() == '@') name.remove_prefix(1);
  for (const Alias& a : kAliases) {
    if (a.name == name) {
      japanese = a.japanese;
      return std::string(a.family);
    }
  }
  japanese = !IsAscii(name);
  return std::string(name);
}

bool ResolveFont(const FontSurface& surface, ResolvedFont& font) {
  if (!EnsureLibrary()) return false;
  const std::optional<ResolvedFont>& r = Resolve(surface);
  if (!r) return false;
  font = *r;
  return true;
}

bool GetTextMetrics(const FontSurface& surface, TextMetrics& metrics) {
  metrics = TextMetrics{};
  FT_Face face = SizedFace(surface, nullptr);
  if (!face) return false;
  double scale = static_cast<double>(face->size->metrics.y_ppem) / face->units_per_EM;
  double ascent = face->ascender, descent = -face->descender;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else {
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea && hhea->Ascender - hhea->Descender > 0) {
      ascent = hhea->Ascender;
      descent = -hhea->Descender;
    }
  }
  metrics.ascent = num::RoundToInt32(ascent * scale);
  metrics.descent = num::RoundToInt32(descent * scale);
  metrics.height = metrics.ascent + metrics.descent;
  return true;
}

bool HasGlyph(const FontSurface& surface, uint32_t codePoint) {
  FT_Face face = SizedFace(surface, nullptr);
  return face && FT_Get_Char_Index(face, codePoint) != 0;
}

int32_t GetGlyphOutlineNative(const FontSurface& surface, uint32_t codePoint, GlyphMetrics& metrics,
                              std::vector<uint8_t>& data) {
  metrics = GlyphMetrics{};
  data.clear();
  const ResolvedFont* font = nullptr;
  FT_Face face = SizedFace(surface, &font);
  if (!face) return kOutlineError;
  // A character the font lacks keeps the advance of the font's missing-glyph
  // box but draws nothing, so the text around it keeps its spacing.
  FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return kOutlineError;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return kOutlineError;
  if (font->syntheticItalic) FT_GlyphSlot_Oblique(slot);
  if (font->syntheticBold) FT_GlyphSlot_Embolden(slot);

  metrics.cellIncX = num::RoundToInt16(slot->advance.x / 64.0);
  metrics.cellIncY = num::RoundToInt16(slot->advance.y / 64.0);
  if (index == 0 || slot->outline.n_points == 0) return 0;

  FT_BBox box;
  FT_Outline_Get_BBox(&slot->outline, &box);
  int32_t left = num::FloorToInt32(box.xMin / 64.0), right = static_cast<int32_t>(std::ceil(box.xMax / 64.0));
  int32_t bottom = num::FloorToInt32(box.yMin / 64.0), top = static_cast<int32_t>(std::ceil(box.yMax / 64.0));
  metrics.blackBoxX = static_cast<uint32_t>(std::max(1, right - left));
  metrics.blackBoxY = static_cast<uint32_t>(std::max(1, top - bottom));
  metrics.originX = left;
  metrics.originY = top;

  OutlineBuilder builder;
  FT_Outline_Funcs funcs{};
  funcs.move_to = OnMove;
  funcs.line_to = OnLine;
  funcs.conic_to = OnConic;
  funcs.cubic_to = OnCubic;
  if (FT_Outline_Decompose(&slot->outline, &funcs, &builder) != 0) return kOutlineError;
  builder.finishContour();
  if (builder.contours.empty()) return 0;
  data = Serialize(builder.contours);
  return static_cast<int32_t>(data.size());
}

void ResetFontSystem() {
  FontSystem& s = Fonts();
  s.resolved.clear();
  s.faces.clear();
}

}  // namespace tesmiro::text
