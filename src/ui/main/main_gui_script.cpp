// The docked script panel (text, find box, syntax check, undock) and the
// menu entries of the windows that belong with it: the script editor, the
// project properties, options, import and search.
#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "project/list_models.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "project/store.h"
#include "project/timelines.h"
#include "ui/common/qt_text.h"
#include "ui/common/script_text.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/main/main_gui.h"
#include "ui/main/on_demand_window.h"

namespace tesmiro::gui {
namespace {

namespace SE = ScriptEditorModule;


// Takes a control out of the tab order, or puts it back; clicks still focus it.
void SetTabStop(QWidget* w, bool on) {
  const int policy = w->focusPolicy();
  w->setFocusPolicy(static_cast<Qt::FocusPolicy>(on ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
}

// A write that found its event moved or the model busy: the editor shows
// what the model holds again, once the current handler has returned.
void RenewLater(SE::ApplyResult r) {
  if (r == SE::ApplyResult::Stale || r == SE::ApplyResult::Busy) {
    QTimer::singleShot(0, [] { SE::RenewScriptTarget(); });
  }
}

}  // namespace

// What ScriptEditorModule asks of the windows, for as long as the main
// window lives (a child object of it).
class ScriptPanel final : public QObject, public SE::View {
 public:
  explicit ScriptPanel(MainGUI* w) : QObject(w), w_(w), scoped_(*this) {}
  // A free-standing editor window would outlive the main window otherwise.
  ~ScriptPanel() override { delete kScriptEditor.loaded(); }

  bool editorOn() const override { return w_->scriptEditorAction->isChecked(); }
  bool docked() const override { return Prefs::Current().dockScriptEditor != 0; }

  void fillPanel(const std::string& caption, const std::string& text, bool enabled) override {
    w_->scriptTargetLabel->setText(ToQ(caption));
    const QString shown = QString::fromStdU16String(SE::EditorText(text));
    if (w_->scriptEdit->toPlainText() != shown) w_->scriptEdit->setPlainText(shown);
    w_->scriptEdit->setEnabled(enabled);
    w_->SizeControlsCall();
  }

  void fillWindow(const std::string& caption, const std::string& text, bool enabled) override {
    // Kept on top by its own box, the window cannot stay owned by the main
    // window (it would always be above it anyway).
    const bool freeStanding = (Prefs::Current().windowTopward & 4) != 0;
    ScriptEditorWindow* editor = kScriptEditor.load(freeStanding ? nullptr : w_);
    editor->fill(ToQ(caption), text, enabled);
    if (!editor->isVisible()) editor->show();
  }

  void hideEditor() override {
    w_->SizeControlsCall();
    if (kScriptEditor.isShownNow()) kScriptEditor.unload();
  }

  void clearPanel() override {
    w_->scriptEdit->clear();
    w_->scriptEdit->setEnabled(false);
    w_->lineLabel->clear();
    w_->scriptTargetLabel->clear();
  }

  void focusEditor() override {
    if (docked()) {
      w_->scriptEdit->setFocus();
    } else if (ScriptEditorWindow* editor = kScriptEditor.loaded()) {
      editor->activateWindow();
      editor->focusScript();
    }
  }

  void focusEventList() override {
    if (w_->PictEventList->isEnabled()) w_->PictEventList->setFocus();
  }

  void setEventDialogScript(int32_t kind, const std::string& text) override {
    if (w_->eventDialogScript) w_->eventDialogScript(kind, text);
  }

 protected:
  // The panel's text and find box behave as one unit for the focus: only a
  // real loss of focus counts (opening a menu or another window does not).
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) {
      w_->onScriptFocusIn();
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
      if (why != Qt::PopupFocusReason && why != Qt::MenuBarFocusReason && why != Qt::ActiveWindowFocusReason) {
        w_->onScriptFocusOut();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  MainGUI* w_;
  SE::ScopedView scoped_;
};

void MainGUI::setupScriptArea() {
  auto* panel = new ScriptPanel(this);
  scriptEdit->installEventFilter(panel);
  findTextList->installEventFilter(panel);
  findTextList->setInsertPolicy(QComboBox::NoInsert);  // the search adds its terms itself

  connect(scriptEdit, &QPlainTextEdit::textChanged, this, [this] { onScriptChanged(); });
  connect(scriptEdit, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateScriptLineLabel(); });
  connect(findTextList, &QComboBox::editTextChanged, this, [this] { onFindTextChanged(); });
  connect(findTextList, &QComboBox::activated, this, [this] { onFindTextChanged(); });
  connect(findTextList->lineEdit(), &QLineEdit::returnPressed, this, [this] { findText(); });
  connect(findButton, &QPushButton::clicked, this, [this] { findText(); });
  connect(syntaxCheckButton, &QPushButton::clicked, this, [this] { checkSyntax(); });
  connect(undockButton, &QPushButton::clicked, this, [this] { undock(); });

  connect(projectPropertiesAction, &QAction::triggered, this, [this] { editProjectProperties(); });
  connect(optionsAction, &QAction::triggered, this, [this] { editOptions(); });
  connect(importProjectAction, &QAction::triggered, this, [this] { importProject(); });
  connect(findAction, &QAction::triggered, this, [this] { openSearch(); });
  connect(findNextAction, &QAction::triggered, this, [this] { findNext(); });
}

// ---- the docked panel ------------------------------------------------------

void MainGUI::onScriptChanged() { RenewLater(SE::ApplyScript(SE::ModelText(EditorString(scriptEdit)))); }

void MainGUI::onScriptFocusIn() {
  // The Edit menu's shortcuts (copy, paste, undo, select all) belong to the
  // text while it has the focus; the lists leave the tab order.
  editMenu->menuAction()->setEnabled(false);
  for (QWidget* list : {PictEventList, PictFileList}) SetTabStop(list, false);
}

void MainGUI::onScriptFocusOut() {
  editMenu->menuAction()->setEnabled(true);
  for (QWidget* list : {PictEventList, PictFileList}) SetTabStop(list, true);
}

void MainGUI::onFindTextChanged() { findButton->setEnabled(!findTextList->currentText().isEmpty()); }

void MainGUI::findText() {
  if (FindNextAndRemember(scriptEdit, findTextList)) UpdateScriptLineLabel();
}

void MainGUI::checkSyntax() {
  syntaxCheckButton->setEnabled(false);
  const std::string model = SE::ModelText(EditorString(scriptEdit));
  int32_t start = 0, length = 0;
  if (SE::CheckScriptSyntax(model, start, length)) {
    const SE::Span span = SE::EditorSpan(model, {start, length});
    Select(scriptEdit, span.start, span.length);
    scriptEdit->setFocus();
  }
  UpdateScriptLineLabel();
  syntaxCheckButton->setEnabled(true);
}

void MainGUI::undock() {
  Prefs::Current().dockScriptEditor = 0;
  SE::ShowEventScript(SE::GetScriptKind(), SE::ModelText(EditorString(scriptEdit)));
  SizeControlsCall();
}

void MainGUI::UpdateScriptLineLabel() {
  lineLabel->setText(ToQ(SE::LineLabel(EditorString(scriptEdit), scriptEdit->textCursor().position())));
}

// ---- menu entries ----------------------------------------------------------

void MainGUI::editProjectProperties() {
  ProjectDialog::run(this);
  // The loading screen moves the first frame; the header shows size and rate.
  EventListModule::RenumberFrames();
  EventListModule::DrawEventList();
  GUICore::UpdateTimelineHeader();
}

void MainGUI::editOptions() {
  if (OptionDialog::run(this)) followEventSyncOption();
}

void MainGUI::importProject() {
  GUICore::ShowTimeline(0, false);
  ImportDialog::run(this);
  GUICore::RefreshFileList();
  GUICore::ShowTimeline(0, false);
}

void MainGUI::openSearch() {
  kSearchDialog.present(this, true);
}

void MainGUI::findNext() {
  // Before the dialog was ever shown there is nothing to repeat.
  if (SearchDialog* dialog = kSearchDialog.loaded()) dialog->SearchItem();
}

}  // namespace tesmiro::gui
