#include "compiler/text_effect_fields.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "compiler/previews.h"
#include "platform/numeric.h"
#include "project/build_lock.h"
#include "project/model.h"
#include "project/store_item_swap.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

namespace fs = std::filesystem;

constexpr int16_t kTextEffectFlag = 0x2000;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::string la = Lower(a), lb = Lower(b);
  return la != lb ? la < lb : a < b;
}

// A single from a number read from the user; out of range is its limit.
float ToSingle(double v) {
  if (std::isnan(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

int32_t ToLong(const std::string& text) { return num::RoundToInt32(num::Val(text)); }

// A count the user typed: a negative one becomes "0" in its box too.
int32_t NotNegative(std::string& text) {
  if (num::Val(text) < 0) text.assign(1, '0');
  return ToLong(text);
}

// The entry of the list with the name (any case), or "" when none.
std::string Listed(const std::vector<std::string>& list, const std::string& name) {
  for (const std::string& entry : list)
    if (entry == name) return entry;
  for (const std::string& entry : list)
    if (Lower(entry) == Lower(name)) return entry;
  return {};
}

// The preview's settings for one build: the loading screen off.
class PreviewSettings {
 public:
  PreviewSettings() : kept_(State().settings) { State().settings.preloader = 0; }
  ~PreviewSettings() { State().settings = kept_; }
  PreviewSettings(const PreviewSettings&) = delete;
  PreviewSettings& operator=(const PreviewSettings&) = delete;

 private:
  ProjectSettings kept_;
};

}  // namespace

const std::array<std::string, 5>& EffectOrderNames() {
  static const std::array<std::string, 5> names{"左から", "右から", "中から", "端から", "ﾗﾝﾀﾞﾑ"};
  return names;
}

std::vector<std::string> ListEffectTemplates(int half) {
  std::vector<std::string> names;
  std::vector<std::string> seen{Lower(kNoTemplate)};
  for (const fs::path& root : State().paths.effectRoots()) {
    std::error_code ec;
    for (fs::directory_iterator it(root / (half == 0 ? "in" : "out"), ec), end; !ec && it != end; it.increment(ec)) {
      const std::string file = it->path().filename().string();
      if (file.size() <= 4 || Lower(file.substr(file.size() - 4)) != ".tsm") continue;
      std::error_code fileError;
      if (!it->is_regular_file(fileError)) continue;
      const std::string name = file.substr(0, file.size() - 4);
      if (std::find(seen.begin(), seen.end(), Lower(name)) != seen.end()) continue;
      seen.push_back(Lower(name));
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  names.insert(names.begin(), kNoTemplate);
  return names;
}

TextEffectSettings SettingsFromOption(const std::string& option) {
  TextEffectSettings s;
  if (!ParseTextEffectOption(option, s)) s = TextEffectSettings{};
  return s;
}

int32_t OrderListIndex(int32_t order) {
  const int32_t index = order & 7;
  return index < static_cast<int32_t>(EffectOrderNames().size()) ? index : 0;
}

void TextEffectDialogState::setParam(const std::string& option, const std::vector<std::string>& inList,
                                     const std::vector<std::string>& outList) {
  const TextEffectSettings s = SettingsFromOption(option);
  const int32_t frames[2] = {s.inFrames, s.outFrames};
  const std::string* names[2] = {&s.inTemplate, &s.outTemplate};
  const int32_t intervals[2] = {s.inInterval, s.outInterval};
  const int32_t orders[2] = {s.inOrder, s.outOrder};
  const std::vector<EffectParam>* params[2] = {&s.inParams, &s.outParams};
  const std::vector<std::string>* lists[2] = {&inList, &outList};
  for (int half = 0; half < 2; ++half) {
    const auto i = static_cast<size_t>(half);
    fields_.frames[i] = num::CStr(frames[i]);
    std::string name = Listed(*lists[i], *names[i]);
    missing_[i] = name.empty() && !names[i]->empty() ? Missing{*names[i], *params[i]} : Missing{};
    if (name.empty()) name = names[i]->empty() ? std::string(kNoTemplate) : *names[i];
    chooseTemplate(half, name);
    CarryParams(templates_[i], *params[i]);
    fields_.intervals[i] = num::CStr(intervals[i]);
    fields_.orders[i] = OrderListIndex(orders[i]);
  }
  fields_.frames[2] = num::CStr(s.holdFrames);
}

void TextEffectDialogState::chooseTemplate(int half, const std::string& name) {
  const auto i = static_cast<size_t>(half);
  fields_.names[i] = name;
  templates_[i] = isMissing(i) ? EffectTemplateInfo{} : ReadEffectTemplate(name, half);
}

std::string TextEffectDialogState::paramText(int half, int32_t k) const {
  const EffectTemplateInfo& t = templates_[static_cast<size_t>(half)];
  if (k < 1 || k > t.count || static_cast<size_t>(k) > t.defaults.size()) return {};
  return num::CStr(t.defaults[static_cast<size_t>(k - 1)]);
}

std::string TextEffectDialogState::paramDescription(int half, int32_t k) const {
  const EffectTemplateInfo& t = templates_[static_cast<size_t>(half)];
  if (k < 1 || k > t.count || static_cast<size_t>(k) > t.descriptions.size()) return {};
  return t.descriptions[static_cast<size_t>(k - 1)];
}

void TextEffectDialogState::setParamText(int half, int32_t k, const std::string& text) {
  EffectTemplateInfo& t = templates_[static_cast<size_t>(half)];
  if (k < 1 || k > t.count || static_cast<size_t>(k) > t.defaults.size()) return;
  t.defaults[static_cast<size_t>(k - 1)] = ToSingle(num::Val(text));
}

TextEffectSettings TextEffectDialogState::readControls() {
  TextEffectSettings s;
  s.inFrames = NotNegative(fields_.frames[0]);
  s.outFrames = NotNegative(fields_.frames[1]);
  s.inTemplate = fields_.names[0];
  s.outTemplate = fields_.names[1];
  s.inInterval = NotNegative(fields_.intervals[0]);
  s.outInterval = NotNegative(fields_.intervals[1]);
  s.inOrder = std::max(0, fields_.orders[0]);
  s.outOrder = std::max(0, fields_.orders[1]);
  s.inParams = isMissing(0) ? missing_[0].params : TemplateParams(templates_[0]);
  s.outParams = isMissing(1) ? missing_[1].params : TemplateParams(templates_[1]);
  // The display count has no sign check of its own in the form; a negative
  // one would shorten the effect's total behind the user's back.
  s.holdFrames = NotNegative(fields_.frames[2]);
  return s;
}

void CarryParams(EffectTemplateInfo& info, const std::vector<EffectParam>& stored) {
  for (size_t k = 0; k < info.names.size() && k < info.defaults.size(); ++k)
    for (const EffectParam& p : stored)
      if (p.name == info.names[k]) info.defaults[k] = p.value;
}

std::vector<EffectParam> TemplateParams(const EffectTemplateInfo& info) {
  std::vector<EffectParam> params;
  for (size_t k = 0; k < info.names.size() && k < info.defaults.size() && k < static_cast<size_t>(info.count); ++k)
    params.push_back({info.names[k], info.defaults[k]});
  return params;
}

std::string FrameTotalText(const std::array<std::string, 3>& frames) {
  int64_t total = 0;
  for (const std::string& f : frames) total += ToLong(f);
  return num::CStr(total);
}

std::string SpinText(const std::string& text, int32_t arrow) {
  const double v = std::floor(num::Val(text));
  const auto n = static_cast<int64_t>(std::clamp(std::isnan(v) ? 0.0 : v, -2147483648.0, 2147483647.0));
  if (arrow == 1) return num::CStr(std::max<int64_t>(n - 1, 0));
  if (arrow == -1) return num::CStr(std::min<int64_t>(n + 1, std::numeric_limits<int32_t>::max()));
  return text;
}

std::string MissingTemplateEntry(const std::string& name) { return name + "（見つかりません）"; }

std::string TemplateKindLine(int half) { return std::string("種別：") + (half == 0 ? "ﾌﾚｰﾑｲﾝ" : "ﾌﾚｰﾑｱｳﾄ"); }

std::string TemplateAuthorLine(const EffectTemplateInfo& info) { return "作者：" + info.author; }

bool BuildTextEffectPreview(StoreItem item, const TextEffectSettings& settings, const fs::path& path) {
  // The writer is one: a preview written now would end up in the movie
  // that a running build is writing.
  if (BuildInProgress()) return false;
  PreviewSettings previewSettings;
  item.kind = StoreItemKind::Text;
  item.flags = static_cast<int16_t>(item.flags | kTextEffectFlag);
  item.option = BuildTextEffectOption(settings);
  item.width = item.height = 0;  // sized to the text
  const ScopedStoreItemSwap swap(item);
  // Several items edited at once show no ID: the preview movie holds this
  // one item alone, so any ID serves there.
  if (item.id <= 0) item.id = 1;
  const int64_t frames =
      static_cast<int64_t>(settings.inFrames) + settings.outFrames + static_cast<int64_t>(settings.holdFrames);
  return BuildTextEffectPreviewSWF(item, static_cast<int32_t>(std::clamp<int64_t>(frames, 0, SWFMakeCore::kMaxFrames)),
                                   path);
}

}  // namespace tesmiro::GUICore
