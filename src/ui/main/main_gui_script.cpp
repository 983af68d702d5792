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

// What ScriptEditorModule asks of the windows, for as long as the main
// window lives (a child object of it).
class ScriptPanel final : public QObject, public SE::View {
 public:
  explicit ScriptPanel(MainGUI* w) : QObject(w), w_(w), scoped_(*this) {}
  // A free-standing editor window would outlive the main window otherwise.
  ~ScriptPanel() override { delete ScriptEditorWindow::loaded(); }

  bool editorOn() const override { return w_->mnuScriptEditor->isChecked(); }
  bool docked() const override { return Prefs::Current().dockScriptEditor != 0; }

  void fillPanel(const std::string& caption, const std::string& text, bool enabled) override {
    w_->Label2->setText(ToQ(caption));
    const QString shown = QString::fromStdU16String(SE::EditorText(text));
    if (w_->Text1->toPlainText() != shown) w_->Text1->setPlainText(shown);
    w_->Text1->setEnabled(enabled);
    w_->SizeControlsCall();
  }

  void fillWindow(const std::string& caption, const std::string& text, bool enabled) override {
    // Kept on top by its own box, the window cannot stay owned by the main
    // window (it would always be above it anyway).
    const bool freeStanding = (Prefs::Current().windowTopward & 4) != 0;
    ScriptEditorWindow* editor = ScriptEditorWindow::instance(freeStanding ? nullptr : w_);
    editor->fill(ToQ(caption), text, enabled);
    if (!editor->isVisible()) editor->show();
  }

  void hideEditor() override {
    w_->SizeControlsCall();
    if (ScriptEditorWindow::isShownNow()) ScriptEditorWindow::unload();
  }

  void clearPanel() override {
    w_->Text1->clear();
    w_->Text1->setEnabled(false);
    w_->Label1->clear();
    w_->Label2->clear();
  }

  void focusEditor() override {
    if (docked()) {
      w_->Text1->setFocus();
    } else if (ScriptEditorWindow* editor = ScriptEditorWindow::loaded()) {
      editor->activateWindow();
      editor->Text1->setFocus();
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
      w_->Text1_GotFocus();
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
      if (why != Qt::PopupFocusReason && why != Qt::MenuBarFocusReason && why != Qt::ActiveWindowFocusReason) {
        w_->Text1_LostFocus();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  MainGUI* w_;
  SE::ScopedView scoped_;
};

}  // namespace

void MainGUI::setupScriptArea() {
  auto* panel = new ScriptPanel(this);
  Text1->installEventFilter(panel);
  Combo1->installEventFilter(panel);
  Combo1->setInsertPolicy(QComboBox::NoInsert);  // the search adds its terms itself

  connect(Text1, &QPlainTextEdit::textChanged, this, [this] { Text1_Change(); });
  connect(Text1, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateScriptLineLabel(); });
  connect(Combo1, &QComboBox::editTextChanged, this, [this] { Combo1_Change(); });
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Change(); });
  connect(Combo1->lineEdit(), &QLineEdit::returnPressed, this, [this] { Command4_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });

  connect(mnuProject, &QAction::triggered, this, [this] { mnuProject_Click(); });
  connect(mnuOption, &QAction::triggered, this, [this] { mnuOption_Click(); });
  connect(mnuImportProject, &QAction::triggered, this, [this] { mnuImportProject_Click(); });
  connect(mnuSearch, &QAction::triggered, this, [this] { mnuSearch_Click(); });
  connect(mnuSearchNext, &QAction::triggered, this, [this] { mnuSearchNext_Click(); });
}

// ---- the docked panel ------------------------------------------------------

void MainGUI::Text1_Change() { RenewLater(SE::ApplyScript(SE::ModelText(EditorString(Text1)))); }

void MainGUI::Text1_GotFocus() {
  // The Edit menu's shortcuts (copy, paste, undo, select all) belong to the
  // text while it has the focus; the lists leave the tab order.
  mnuEvent->menuAction()->setEnabled(false);
  for (QWidget* list : {PictEventList, PictFileList}) SetTabStop(list, false);
}

void MainGUI::Text1_LostFocus() {
  mnuEvent->menuAction()->setEnabled(true);
  for (QWidget* list : {PictEventList, PictFileList}) SetTabStop(list, true);
}

void MainGUI::Combo1_Change() { Command4->setEnabled(!Combo1->currentText().isEmpty()); }

void MainGUI::Command4_Click() {
  if (FindNextAndRemember(Text1, Combo1)) UpdateScriptLineLabel();
}

void MainGUI::Command5_Click() {
  Command5->setEnabled(false);
  const std::string model = SE::ModelText(EditorString(Text1));
  int32_t start = 0, length = 0;
  if (SE::CheckScriptSyntax(model, start, length)) {
    const SE::Span span = SE::EditorSpan(model, {start, length});
    Select(Text1, span.start, span.length);
    Text1->setFocus();
  }
  UpdateScriptLineLabel();
  Command5->setEnabled(true);
}

void MainGUI::Command6_Click() {
  Prefs::Current().dockScriptEditor = 0;
  SE::ShowEventScript(SE::GetScriptKind(), SE::ModelText(EditorString(Text1)));
  SizeControlsCall();
}

void MainGUI::UpdateScriptLineLabel() {
  Label1->setText(ToQ(SE::LineLabel(EditorString(Text1), Text1->textCursor().position())));
}

// ---- menu entries ----------------------------------------------------------

void MainGUI::mnuProject_Click() {
  ProjectDialog::run(this);
  // The loading screen moves the first frame; the header shows size and rate.
  EventListModule::RenumberFrames();
  EventListModule::DrawEventList();
  GUICore::UpdateTimelineHeader();
}

void MainGUI::mnuOption_Click() {
  if (OptionDialog::run(this)) followEventSyncOption();
}

void MainGUI::mnuImportProject_Click() {
  GUICore::ShowTimeline(0, false);
  ImportDialog::run(this);
  GUICore::RefreshFileList();
  GUICore::ShowTimeline(0, false);
}

void MainGUI::mnuSearch_Click() {
  SearchDialog* dialog = SearchDialog::instance(this);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void MainGUI::mnuSearchNext_Click() {
  // Before the dialog was ever shown there is nothing to repeat.
  if (SearchDialog::isLoaded()) SearchDialog::instance(this)->SearchItem();
}

}  // namespace tesmiro::gui
