#pragma once
// The text-effect dialog's rules: the template lists, its fields and the
// settings string, the parameters of the chosen templates, the spin
// buttons, and the preview movie of the text with its effect.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/text_effects.h"
#include "project/records.h"

namespace tesmiro::GUICore {

inline constexpr const char* kTextEffectCaption = "テキストエフェクト";
inline constexpr const char* kTextEffectPreviewMovie = "_texteffect.swf";

// The order list, by order code.
const std::array<std::string, 5>& EffectOrderNames();

// "なし", then the templates of the half (0 in, 1 out) from the user's
// folder and the shipped one: every "*.tsm" file (extension in any case)
// as its name without the extension, sorted without regard to case, each
// name once (the user's own first when both folders hold it).
std::vector<std::string> ListEffectTemplates(int half);

// The controls of the dialog, as it fills them and as the user leaves them.
struct TextEffectDialogFields {
  std::array<std::string, 3> frames;      // frame counts: in, out, display
  std::array<std::string, 2> names;       // template of each half (in, out)
  std::array<std::string, 2> intervals;   // of each half
  std::array<int32_t, 2> orders{};        // order list index of each half
};

// The settings of a settings string; one that is not an effect ("@...")
// gives none on both halves, no frames.
TextEffectSettings SettingsFromOption(const std::string& option);

// The list entry for an order code: its low three bits, or the first entry
// when they name none of the five.
int32_t OrderListIndex(int32_t order);

// The working state of the dialog: the fields and the two templates whose
// parameter values the user edits.
class TextEffectDialogState {
 public:
  // SetParam: fills from a settings string. Stored parameter values carry
  // over to the template's parameters of the same name (others are
  // dropped). A template name not in the list is kept with its stored
  // parameters as they are, so that the string comes back unchanged; the
  // list shows it as missing (MissingTemplateEntry).
  void setParam(const std::string& option, const std::vector<std::string>& inList,
                const std::vector<std::string>& outList);
  // The half's stored template name that the list lacks; empty when none.
  const std::string& missingTemplate(int half) const { return missing_[static_cast<size_t>(half)].name; }

  TextEffectDialogFields& fields() { return fields_; }
  const TextEffectDialogFields& fields() const { return fields_; }
  const EffectTemplateInfo& templateInfo(int half) const { return templates_[static_cast<size_t>(half)]; }

  // A template was chosen for the half: its parameters at their defaults
  // (the missing one's: as they were stored).
  void chooseTemplate(int half, const std::string& name);
  // The value text of parameter k (1-based) and its description; empty for
  // no parameter.
  std::string paramText(int half, int32_t k) const;
  std::string paramDescription(int half, int32_t k) const;
  // The user typed a value for parameter k.
  void setParamText(int half, int32_t k, const std::string& text);

  // ReadControls: the record of the fields. A negative frame count or
  // interval reads as 0 and the field is written back as "0".
  TextEffectSettings readControls();

 private:
  struct Missing {
    std::string name;
    std::vector<EffectParam> params;
  };
  bool isMissing(size_t half) const {
    return !missing_[half].name.empty() && fields_.names[half] == missing_[half].name;
  }

  TextEffectDialogFields fields_;
  std::array<EffectTemplateInfo, 2> templates_;
  std::array<Missing, 2> missing_;
};

// The list entry of a stored template that is not in the folders.
std::string MissingTemplateEntry(const std::string& name);

// Carries stored values over to a template's parameters of the same name.
void CarryParams(EffectTemplateInfo& info, const std::vector<EffectParam>& stored);
// The parameters of a template as the settings record keeps them.
std::vector<EffectParam> TemplateParams(const EffectTemplateInfo& info);

// The total of the three frame counts, as its box shows it.
std::string FrameTotalText(const std::array<std::string, 3>& frames);
// A spin arrow on a count: `arrow` 1 the lower one (one less, never below
// 0), -1 the upper one (one more); the count is the text's whole part.
std::string SpinText(const std::string& text, int32_t arrow);

// The information lines of a template: "種別：" and the half, "作者：" and
// the author.
std::string TemplateKindLine(int half);
std::string TemplateAuthorLine(const EffectTemplateInfo& info);

// The preview: writes the movie of the text item with the settings over
// in + out + display frames to `path`. The item's text, font and style are
// what the dialog shows: for the build the store holds this item in the
// place of the stored one with its ID, and the loading screen is off; both
// are as before when it returns, on every path. False (nothing built) while
// another build runs or when the movie could not be written.
bool BuildTextEffectPreview(StoreItem item, const TextEffectSettings& settings, const std::filesystem::path& path);

}  // namespace tesmiro::GUICore
