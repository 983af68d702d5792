#include "project/script_editor.h"

#include <algorithm>

#include "media/action_compiler.h"
#include "platform/encoding.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"

namespace tesmiro::ScriptEditorModule {
namespace {

View gSilentView;
View* gView = &gSilentView;

const char* KindLabel(int32_t kind) {
  switch (kind) {
    case kFrameAction: return "フレームアクション";
    case kButtonAction: return "ボタンアクション";
    case kClipAction: return "クリップアクション";
    default: return "なし";
  }
}

uint64_t ShownTimelineKey() {
  const GUICore::Model& m = GUICore::State();
  const auto t = static_cast<size_t>(m.shownTimeline);
  return t < m.timelines.size() ? m.timelines[t].key : 0;
}

// Whether the target still names the event it was made for: the same
// timeline is shown and the event at its index is the one last seen.
bool TargetCurrent(const Target& t) {
  if (t.timelineKey == 0 || t.timelineKey != ShownTimelineKey()) return false;
  if (t.index > GUICore::EventCount()) return false;
  return GUICore::EventsEqual(GUICore::GetEvent(t.index), t.event);
}

void Fill(int32_t forcedKind, const std::string& text, bool moveFocus) {
  View& view = CurrentView();
  if (forcedKind < 1 && !view.editorOn()) {
    view.hideEditor();
    if (moveFocus) view.focusEventList();
    return;
  }
  const ScriptDisplay shown = DecideScript(forcedKind, text);
  // Filling the editor raises its change handler, which must write nothing.
  ClearScriptTarget();
  if (view.docked()) {
    view.fillPanel(shown.caption, shown.text, shown.enabled);
  } else {
    view.fillWindow(shown.caption + kEditorTitle, shown.text, shown.enabled);
  }
  SetScriptTarget(EventListModule::Current().currentRow + 1, shown.kind);
  if (!moveFocus) return;
  if (forcedKind < 1) {
    view.focusEventList();
  } else {
    view.focusEditor();
  }
}

// ---- UTF-8 / UTF-16 --------------------------------------------------------

// Length in bytes of the UTF-8 sequence at s[i] and its code point; an
// invalid byte counts as one byte standing for U+FFFD.
size_t DecodeAt(const std::string& s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    cp = 0xFFFD;
    return 1;
  }
  if (i + len > s.size()) {
    cp = 0xFFFD;
    return 1;
  }
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      cp = 0xFFFD;
      return 1;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    cp = 0xFFFD;
    return 1;
  }
  return len;
}

int32_t Utf16Units(char32_t cp) { return cp >= 0x10000 ? 2 : 1; }

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// Simple one-to-one case folding: ASCII, Latin-1, Greek, Cyrillic and the
// full-width Latin letters, which is what scripts and their comments hold.
char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

bool MatchesAt(const std::u16string& text, size_t at, const std::u16string& term) {
  for (size_t k = 0; k < term.size(); ++k) {
    if (Fold(text[at + k]) != Fold(term[k])) return false;
  }
  return true;
}

int32_t FindFrom(const std::u16string& text, const std::u16string& term, size_t from) {
  if (term.size() > text.size()) return -1;
  for (size_t at = from; at + term.size() <= text.size(); ++at) {
    if (MatchesAt(text, at, term)) return static_cast<int32_t>(at);
  }
  return -1;
}

// The check's errors, shown the way a build shows them.
void ShowScriptErrors() {
  std::vector<std::string>& errors = ActionCompiler::ModuleState().errors;
  for (const std::string& text : errors) {
    ui::Current().messages->message(ActionCompiler::kErrorTitle, text, ui::Icon::Critical);
  }
  errors.clear();
}

}  // namespace

View& CurrentView() { return *gView; }

ScopedView::ScopedView(View& view) : ScopedInstall(gView, view) {}

State& ModuleState() {
  static State state;
  return state;
}

void ResetState() { ModuleState() = State{}; }

int32_t GetScriptKind() { return ModuleState().target.kind; }

void SetScriptTarget(int32_t index, int32_t kind) {
  Target& t = ModuleState().target;
  t.index = index;
  t.kind = kind;
  t.timelineKey = ShownTimelineKey();
  t.event = GUICore::GetEvent(index);
}

void ClearScriptTarget() { ModuleState().target = Target{}; }

void ClearScriptPane() {
  ClearScriptTarget();
  CurrentView().clearPanel();
}

ScriptDisplay DecideScript(int32_t forcedKind, const std::string& text) {
  const EventRecord ev = GUICore::GetEvent(EventListModule::Current().currentRow + 1);
  const StoreItem item = GUICore::GetStoreItemByID(ev.itemId);
  const bool scripted = ev.kind == kEventKindScripted;
  ScriptDisplay shown;
  std::string label = KindLabel(kNoScript);
  if (EventListModule::SelectedEvents().size() < 2) {
    if (forcedKind == kFrameAction || (ev.itemId == 0 && scripted)) {
      shown.kind = kFrameAction;
    } else if (forcedKind == kButtonAction || (ev.buttonFlag == 1 && scripted)) {
      shown.kind = kButtonAction;
    } else if (forcedKind == kClipAction || item.kind == StoreItemKind::Sprite) {
      shown.kind = kClipAction;
    }
    label = KindLabel(shown.kind);
  } else {
    label = "複数選択";
  }
  shown.enabled = shown.kind != kNoScript;
  shown.caption = std::string("（") + label + "）";
  if (shown.enabled) {
    shown.caption += " - [" + ev.text1 + "]";
    shown.text = forcedKind > 0 ? text : ev.text2;
  }
  return shown;
}

void ShowEventScript(int32_t forcedKind, const std::string& text) { Fill(forcedKind, text, true); }

void RenewScriptTarget() {
  if (!CurrentView().editorOn()) {
    // Nothing is shown, so nothing may be written either.
    ClearScriptTarget();
    return;
  }
  Fill(0, "", false);
}

ApplyResult ApplyScript(const std::string& text) {
  Target& t = ModuleState().target;
  if (t.index < 1 || t.kind < kFrameAction) return ApplyResult::NoTarget;
  if (!TargetCurrent(t)) return ApplyResult::Stale;
  if (GUICore::BuildInProgress()) return ApplyResult::Busy;

  EventRecord ev = GUICore::GetEvent(t.index);
  const bool wasEmpty = ev.text2.empty();
  ev.text2 = ActionCompiler::NormalizeLineBreaks(text);
  GUICore::SetEvent(t.index, ev);
  t.event = GUICore::GetEvent(t.index);
  if (wasEmpty != ev.text2.empty()) {
    // The row's colour category follows whether there is a script.
    EventListModule::SetRow(t.event, t.index - 1, true);
    EventListModule::DrawEventList();
  }
  CurrentView().setEventDialogScript(t.kind, t.event.text2);
  return ApplyResult::Written;
}

bool CheckScriptSyntax(const std::string& text, int32_t& selStart, int32_t& selLength) {
  const int32_t kind = GetScriptKind();
  if (kind < kFrameAction || kind > kClipAction) return false;
  auto& compiler = ActionCompiler::ModuleState();
  compiler.errorLine = 0;
  const int version = GUICore::GetSWFVersion();
  std::string source = ActionCompiler::ExpandFileInclude(text);
  ShowScriptErrors();
  if (source.empty() && !text.empty()) {
    // An include that could not be read (the user has been told): its
    // line is the error, never "no errors".
    GetLineSpan(1, text, selStart, selLength);
    return true;
  }
  std::vector<uint8_t> bytes;
  if (kind == kFrameAction) {
    ActionCompiler::CompileScript(source, bytes, 0, version);
  } else {
    // Every block is checked, also after one that gives no actions; the
    // first error ends the check, since the next block's compile would
    // forget it.
    int32_t bits = 0, line = 0, keyCode = 0;
    while (!source.empty() && compiler.errorLine == 0) {
      const size_t before = source.size();
      if (kind == kButtonAction) {
        ActionCompiler::CompileButtonHandler(source, bytes, bits, line, version);
      } else {
        ActionCompiler::CompileClipEventHandler(source, bytes, bits, line, keyCode, version);
      }
      if (source.size() >= before) break;
    }
  }
  ShowScriptErrors();
  const int32_t line = ActionCompiler::GetScriptErrorLine();
  if (line < 1) {
    ui::Current().messages->message(kEditorTitle, kNoSyntaxErrorText, ui::Icon::Information);
    return false;
  }
  GetLineSpan(line, text, selStart, selLength);
  return true;
}

void GetLineSpan(int32_t line, const std::string& text, int32_t& start, int32_t& length) {
  const size_t size = text.size();
  size_t i = 0;
  for (int32_t n = line; i < size && n >= 2; ++i) {
    if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') {
      --n;
      ++i;
    }
  }
  const size_t end = text.find("\r\n", i);
  start = static_cast<int32_t>(i);
  // The span takes the CR that ends the line, not its LF.
  length = static_cast<int32_t>((end == std::string::npos ? size : end + 1) - i);
}

std::u16string EditorText(const std::string& model) {
  std::u16string out;
  out.reserve(model.size());
  for (size_t i = 0; i < model.size();) {
    if (model[i] == '\r') {
      out += u'\n';
      i += (i + 1 < model.size() && model[i + 1] == '\n') ? 2 : 1;
      continue;
    }
    char32_t cp = 0;
    i += DecodeAt(model, i, cp);
    AppendUtf16(out, cp);
  }
  return out;
}

std::string ModelText(const std::u16string& editor) {
  std::string out;
  out.reserve(editor.size() + editor.size() / 8);
  for (size_t i = 0; i < editor.size(); ++i) {
    char32_t cp = editor[i];
    if (cp == u'\n') {
      out += "\r\n";
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < editor.size() && editor[i + 1] >= 0xDC00 && editor[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (editor[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // an unpaired surrogate has no UTF-8 form
    }
    enc::AppendUtf8(out, cp);
  }
  return out;
}

int32_t EditorOffset(const std::string& model, int32_t modelOffset) {
  const size_t target = static_cast<size_t>(std::clamp<int64_t>(modelOffset, 0, static_cast<int64_t>(model.size())));
  int32_t units = 0;
  for (size_t i = 0; i < model.size();) {
    size_t step = 1;
    int32_t width = 1;
    if (model[i] == '\r') {
      step = (i + 1 < model.size() && model[i + 1] == '\n') ? 2 : 1;
    } else {
      char32_t cp = 0;
      step = DecodeAt(model, i, cp);
      width = Utf16Units(cp);
    }
    if (i + step > target) break;
    i += step;
    units += width;
  }
  return units;
}

int32_t ModelOffset(const std::string& model, int32_t editorOffset) {
  int32_t units = 0;
  size_t i = 0;
  while (i < model.size() && units < editorOffset) {
    if (model[i] == '\r') {
      i += (i + 1 < model.size() && model[i + 1] == '\n') ? 2 : 1;
      units += 1;
      continue;
    }
    char32_t cp = 0;
    const size_t step = DecodeAt(model, i, cp);
    // An offset between the halves of a surrogate pair stays before it.
    if (units + Utf16Units(cp) > editorOffset) break;
    i += step;
    units += Utf16Units(cp);
  }
  return static_cast<int32_t>(i);
}

Span EditorSpan(const std::string& model, Span modelSpan) {
  const int32_t start = EditorOffset(model, modelSpan.start);
  const int64_t endModel = static_cast<int64_t>(modelSpan.start) + std::max(0, modelSpan.length);
  const int32_t end = EditorOffset(model, static_cast<int32_t>(std::min<int64_t>(endModel, INT32_MAX)));
  return {start, std::max(0, end - start)};
}

int32_t FindInEditorText(const std::u16string& text, const std::u16string& term, int32_t from) {
  if (term.empty()) return -1;
  const size_t start = static_cast<size_t>(std::clamp<int64_t>(from, 0, static_cast<int64_t>(text.size())));
  const int32_t found = FindFrom(text, term, start);
  return found >= 0 ? found : FindFrom(text, term, 0);
}

int32_t EditorCaretLine(const std::u16string& text, int32_t caret) {
  const size_t end = static_cast<size_t>(std::clamp<int64_t>(caret, 0, static_cast<int64_t>(text.size())));
  return 1 + static_cast<int32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), u'\n'));
}

std::string LineLabel(const std::u16string& text, int32_t caret) {
  return kLineLabelPrefix + std::to_string(EditorCaretLine(text, caret));
}

bool RememberSearchTerm(std::vector<std::string>& history, const std::string& term) {
  if (term.empty() || std::find(history.begin(), history.end(), term) != history.end()) return false;
  history.push_back(term);
  return true;
}

}  // namespace tesmiro::ScriptEditorModule
