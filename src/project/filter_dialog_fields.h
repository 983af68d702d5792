#pragma once
// The filter dialog's exchange with the filter state it edits (the colour
// transform, drop shadow, blur, glow, bevel and colour matrix of one event
// state), the matrix presets, the colour bars of its two previews, and how
// the result is carried over to the other end of the motion.
//
// The dialog shows one page at a time. Leaving a page stores its texts into
// the edited state first, so edits survive page switches; Cancel throws the
// whole edited copy away.
#include <array>
#include <cstdint>
#include <string>

#include "swf/filter_state.h"

namespace tesmiro::GUICore {

// Pages, in the order of the check-box list.
enum FilterPage : int32_t {
  kPageColorTransform = 0,
  kPageDropShadow = 1,
  kPageBlur = 2,
  kPageGlow = 3,
  kPageBevel = 4,
  kPageColorMatrix = 5,
};
inline constexpr int kFilterPageCount = 6;

inline constexpr const char* kFilterDialogCaption = "イベントの詳細設定";
inline constexpr const char* kFilterOnlySWF8Note = "SWF8以降でのみ有効";
inline constexpr const char* kColorTransformNote = "輝度・不透明度の設定は無視されます";

// The list's item texts.
const std::array<std::string, kFilterPageCount>& FilterPageNames();

// The texts and switches of the page controls, as the dialog fills them and
// as the user leaves them. Only the fields of the shown page matter.
struct FilterPageFields {
  std::array<std::string, 4> multipliers;  // colour transform: R, G, B, A
  std::array<std::string, 4> offsets;      // colour transform: R, G, B, A
  std::string blurX, blurY;
  std::string angle, distance;
  std::string quality, strength;
  int32_t hideObject = 0;                  // 0 or 1
  int32_t knockout = 0;                    // 0 or 1
  int32_t mode = -1;                       // 0 outer, 1 inner, 2 both; -1 none set
  std::array<std::string, 20> matrix;      // row r column k at 5r + k
};

// What a page shows besides its texts.
struct FilterPageLayout {
  int32_t page = 0;
  std::string caption;  // the bitmap filter page's caption, pages 1 to 4
  std::string note;     // the line under the pages
  bool enabled = false;  // the page's frame (greyed while its filter is off)
  // Colour rows (pages 1, 3, 4): caption, swatch 0x00BBGGRR, opacity text.
  std::array<bool, 2> colorShown{};
  std::array<std::string, 2> colorCaption;
  std::array<uint32_t, 2> swatch{};
  std::array<std::string, 2> opacity;
  bool angleShown = false, distanceShown = false, strengthShown = false;
  bool switchesShown = false;  // hide object and knockout
  std::array<bool, 3> modeShown{};
};

// The dialog's working copy and the page last shown. Every decision of the
// dialog's handlers is made here; the window only moves texts in and out.
class FilterEditor {
 public:
  // The state as the caller handed it over; one never edited (not in use)
  // gets the default parameters first. `swfVersion` decides which filters
  // may be switched on.
  FilterEditor(const FilterState& edited, int32_t swfVersion);

  const FilterState& state() const { return state_; }
  int32_t swfVersion() const { return swfVersion_; }
  // The page last shown: -2 while loading, -1 before the first page.
  int32_t lastPage() const { return lastPage_; }
  // The check marks the list starts with.
  std::array<bool, kFilterPageCount> initialChecks() const;

  // Switching to `page` (the list was clicked or an item checked): the page
  // being left is stored from `left` and the check marks; a filter that the
  // movie's version cannot show loses its check mark (in `checks`) and the
  // note says why. Then the page's layout, with `fill` set to its texts.
  FilterPageLayout showPage(int32_t page, const FilterPageFields& left, std::array<bool, kFilterPageCount>& checks,
                            FilterPageFields& fill);
  // Stores the page last shown and the six on-flags.
  void storeFilterList(const FilterPageFields& fields, const std::array<bool, kFilterPageCount>& checks);

  // A colour from the picker for the page last shown: index 0 colour 1,
  // index 1 colour 2 (bevel only). False when the page has no such colour.
  bool setColor(int32_t index, int32_t red, int32_t green, int32_t blue, int32_t alpha);
  // The picker's start values for a colour row: red, green, blue, opacity.
  std::array<int32_t, 4> colorForPicker(int32_t index) const;

  // OK: the shown page and the marks stored, the state marked in use.
  FilterState ok(const FilterPageFields& fields, const std::array<bool, kFilterPageCount>& checks);
  // Cancel: the state comes back not in use (the caller discards it).
  FilterState cancel() const;

 private:
  FilterParams* paramsOf(int32_t page);
  FilterState state_;
  int32_t swfVersion_;
  int32_t lastPage_ = -2;
};

// Whether the movie's version can show the filter of a page.
bool FilterAllowed(int32_t page, int32_t swfVersion);

// The defaults of a state that was never edited: multipliers 1, identity
// matrix, the parameters of each filter. Flags, switches and mode stay.
void ApplyFilterDefaults(FilterState& state);

// The texts of a page, and back.
FilterPageFields PageFields(const FilterState& state, int32_t page);
void StorePageFields(const FilterPageFields& fields, int32_t page, FilterState& state);
FilterPageLayout PageLayout(const FilterState& state, int32_t page);

// Opacity of a 0xAABBGGRR colour.
inline int32_t AlphaByte(int32_t colour) { return static_cast<int32_t>(static_cast<uint32_t>(colour) >> 24); }

// The matrix presets of the "ﾌﾟﾘｾｯﾄ" menu.
enum class MatrixPreset { Normal = 1, Mono = 2, Sepia = 3 };
std::array<std::string, 20> ApplyMatrixPreset(MatrixPreset preset, const std::array<std::string, 20>& current);

// The preview bars: 192 columns; each maps the ramp colour of its column
// (0x00BBGGRR) through the page's texts.
inline constexpr int kPreviewBarWidth = 192;
uint32_t PreviewRampColor(int32_t x);
std::array<uint32_t, kPreviewBarWidth> ColorTransformBar(const std::array<std::string, 4>& multipliers,
                                                         const std::array<std::string, 4>& offsets);
std::array<uint32_t, kPreviewBarWidth> ColorMatrixBar(const std::array<std::string, 20>& matrix);

// ---- the event dialog's side ----------------------------------------------

// The filter dialog closed with OK on one end of the motion (the draw
// position or the move target): `result` replaces that end, and the other
// end follows: it takes the same on-flags (keeping its own values) when it
// is in use, else a whole copy; the hide, knockout and mode switches of the
// four bitmap filters are copied over either way.
void ApplyFilterResult(const FilterState& result, FilterState& edited, FilterState& other);
// The switches that both ends share, from `from` into `to`.
void CopyFilterFlags(const FilterParams& from, FilterParams& to);

}  // namespace tesmiro::GUICore
