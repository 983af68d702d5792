#pragma once
// The script panel's logic: which event's script is edited (the target),
// filling whichever editor is in use, writing every edit straight back into
// the event, the syntax check with the error line, and the text rules the
// two editors share (find, line label, line breaks).
//
// Scripts keep CR LF in the model. The editors hold LF text in UTF-16 code
// units, so every offset crosses between the two forms here, never in the
// widgets.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/scoped_install.h"
#include "project/records.h"

namespace tesmiro::ScriptEditorModule {

enum ScriptKind : int32_t {
  kNoScript = 0,
  kFrameAction = 1,
  kButtonAction = 2,
  kClipAction = 3,
};

inline constexpr const char* kEditorTitle = "スクリプトエディタ";
inline constexpr const char* kNoSyntaxErrorText = "構文エラーはありません";
inline constexpr const char* kLineLabelPrefix = "Line：";

// What the module needs of the windows. The defaults do nothing, so a test
// or a window layer overrides what it has.
class View {
 public:
  virtual ~View() = default;
  // The View menu's script editor item is checked.
  virtual bool editorOn() const { return false; }
  // Scripts are edited in the panel docked in the main window.
  virtual bool docked() const { return true; }
  // Docked panel: caption, text (model form), enabled; the main window is
  // laid out again (the panel shows while docked and on).
  virtual void fillPanel(const std::string& caption, const std::string& text, bool enabled) {}
  // Script editor window: filled and shown when hidden.
  virtual void fillWindow(const std::string& caption, const std::string& text, bool enabled) {}
  // The editor is off: the main window is laid out again (hiding the panel)
  // and the window, when shown, is unloaded.
  virtual void hideEditor() {}
  // The panel emptied and disabled, its captions blanked.
  virtual void clearPanel() {}
  virtual void focusEditor() {}
  virtual void focusEventList() {}
  // The event property dialog, when shown, takes the script into its box of
  // the kind (clip action or the other).
  virtual void setEventDialogScript(int32_t kind, const std::string& text) {}
};

// The view in use (a silent one until a window layer installs its own).
View& CurrentView();
// Installs a view for its lifetime; the previous one comes back after.
class ScopedView : private ScopedInstall<View> {
 public:
  explicit ScopedView(View& view);
};

// The event whose script is edited. It names its timeline (by identity) and
// remembers the event as it last saw it, so that a write after the list
// changed under it (paste, insert, undo, another tab, another project)
// goes nowhere instead of into whatever event now stands at the index.
struct Target {
  int32_t index = 0;  // 1-based working event; below 1 none
  int32_t kind = kNoScript;
  uint64_t timelineKey = 0;
  EventRecord event;
};

struct State {
  Target target;
};

State& ModuleState();
void ResetState();

int32_t GetScriptKind();
// Targets working event `index` of the shown timeline as it stands now.
void SetScriptTarget(int32_t index, int32_t kind);
void ClearScriptTarget();
// Target cleared and the docked panel emptied (a new project).
void ClearScriptPane();

// What the editors show for the event list's current row.
struct ScriptDisplay {
  int32_t kind = kNoScript;
  std::string caption;  // "（" kind label "）", then " - [" name "]" when enabled
  std::string text;     // model form
  bool enabled = false;
};
// With forcedKind 1..3 the given text is shown as a script of that kind.
ScriptDisplay DecideScript(int32_t forcedKind, const std::string& text);

// Shows the script of the current row (or the forced text) in the editor in
// use and targets it; with the editor off, hides it. Focus goes back to the
// event list, or to the editor for a forced kind.
void ShowEventScript(int32_t forcedKind, const std::string& text);
// After the event list changed (paste, insert, undo, delete, another tab):
// the editor follows the current row again, without moving the focus.
void RenewScriptTarget();

enum class ApplyResult {
  Written,
  NoTarget,  // no event targeted, or one that carries no script
  Stale,     // the target is gone or moved: nothing written; renew it
  Busy,      // a build reads the model: nothing written; renew it
};
// Writes the text (model form; lone LF become CR LF) into the target event.
// The event's row is redrawn when the script turned empty or non-empty.
ApplyResult ApplyScript(const std::string& text);

// Compiles the text for the target's kind. True when an error was found; the
// span then covers the error line of the text (model offsets). A target
// with no script compiles nothing and reports nothing.
bool CheckScriptSyntax(const std::string& text, int32_t& selStart, int32_t& selLength);
// The 0-based byte span of line `line` (from 1) of a CR LF text: the line
// and the CR that ends it; a line beyond the last gives (size, 0).
void GetLineSpan(int32_t line, const std::string& text, int32_t& start, int32_t& length);

// ---- the editors' side -----------------------------------------------------

struct Span {
  int32_t start = 0;
  int32_t length = 0;
};

// The model text as an editor holds it (UTF-16, every CR LF or lone CR a
// single LF), and back (LF become CR LF).
std::u16string EditorText(const std::string& model);
std::string ModelText(const std::u16string& editor);
// Offsets between a model text (bytes) and its EditorText (code units). A
// model offset inside a CR LF pair or a character maps to the editor
// position before it.
int32_t EditorOffset(const std::string& model, int32_t modelOffset);
int32_t ModelOffset(const std::string& model, int32_t editorOffset);
Span EditorSpan(const std::string& model, Span modelSpan);

// The first occurrence of `term` from `from` on, compared without regard to
// letter case, else from the start; -1 when there is none or the term is
// empty.
int32_t FindInEditorText(const std::u16string& text, const std::u16string& term, int32_t from);
// The caret's line number (from 1) in an editor text.
int32_t EditorCaretLine(const std::u16string& text, int32_t caret);
// "Line：" and that number.
std::string LineLabel(const std::u16string& text, int32_t caret);
// Appends a searched term to a find history unless it stands there already
// (exactly); an empty term is not kept. True when it was appended.
bool RememberSearchTerm(std::vector<std::string>& history, const std::string& term);

}  // namespace tesmiro::ScriptEditorModule
