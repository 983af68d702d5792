#include "ui/main/script_panel.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "project/preferences.h"
#include "ui/common/qt_text.h"
#include "ui/common/script_text.h"
#include "ui/main/area_geometry.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/on_demand_window.h"

namespace tesmiro::gui {
namespace {

namespace SE = ScriptEditorModule;

constexpr int kScriptBarHeight = 24;

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

ScriptPanel::ScriptPanel(MainGUI* w, QWidget* central) : QObject(w), w_(w), central_(central), scoped_(*this) {}

// Most sessions never dock the script editor, and its text and find box are
// a good part of the window's controls: they are made when the panel is
// first shown or filled. They go under the window's other controls, where
// they would have been made with them (the splitter bars stay on top).
void ScriptPanel::make() {
  if (scriptEdit) return;
  scriptBar = Named(new QWidget(central_), "scriptBar");
  undockButton = Named(new QPushButton(QStringLiteral(">>"), scriptBar), "undockButton");
  findTextList = Named(new QComboBox(scriptBar), "findTextList");
  findTextList->setEditable(true);
  findButton = Named(new QPushButton(QStringLiteral("検索"), scriptBar), "findButton");
  findButton->setEnabled(false);
  syntaxCheckButton = Named(new QPushButton(QStringLiteral("構文チェック"), scriptBar), "syntaxCheckButton");
  scriptTargetLabel = Named(new QLabel(scriptBar), "scriptTargetLabel");
  lineLabel = Named(new QLabel(QStringLiteral("Line："), scriptBar), "lineLabel");
  undockButton->setGeometry(0, 1, 28, kScriptBarHeight - 2);
  findTextList->setGeometry(30, 1, 130, kScriptBarHeight - 2);
  findButton->setGeometry(162, 1, 44, kScriptBarHeight - 2);
  syntaxCheckButton->setGeometry(208, 1, 88, kScriptBarHeight - 2);
  scriptTargetLabel->move(300, 0);
  lineLabel->resize(80, kScriptBarHeight);
  scriptTargetLabel->resize(10, kScriptBarHeight);
  scriptEdit = Named(new QPlainTextEdit(central_), "scriptEdit");
  scriptEdit->setEnabled(false);
  scriptEdit->setFont(ListFont(10));
  scriptEdit->installEventFilter(this);
  findTextList->installEventFilter(this);
  findTextList->setInsertPolicy(QComboBox::NoInsert);  // the search adds its terms itself

  connect(scriptEdit, &QPlainTextEdit::textChanged, this, [this] { onScriptChanged(); });
  connect(scriptEdit, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateScriptLineLabel(); });
  connect(findTextList, &QComboBox::editTextChanged, this, [this] { onFindTextChanged(); });
  connect(findTextList, &QComboBox::activated, this, [this] { onFindTextChanged(); });
  connect(findTextList->lineEdit(), &QLineEdit::returnPressed, this, [this] { findText(); });
  connect(findButton, &QPushButton::clicked, this, [this] { findText(); });
  connect(syntaxCheckButton, &QPushButton::clicked, this, [this] { checkSyntax(); });
  connect(undockButton, &QPushButton::clicked, this, [this] { undock(); });
  scriptEdit->lower();
  scriptBar->lower();
}

ScriptPanel::~ScriptPanel() { delete kScriptEditor.loaded(); }

void ScriptPanel::place(bool docked, int x, int y, int width, int height) {
  if (!docked && !scriptEdit) return;
  make();
  scriptBar->setVisible(docked);
  scriptEdit->setVisible(docked);
  if (!docked) return;
  Place(scriptBar, x, y, width, kScriptBarHeight);
  lineLabel->move(scriptBar->width() - lineLabel->width(), 0);
  scriptTargetLabel->resize(std::max(0, scriptBar->width() - scriptTargetLabel->x() - lineLabel->width()), kScriptBarHeight);
  Place(scriptEdit, x, y + kScriptBarHeight, width, height - kScriptBarHeight);
}

QWidget* ScriptPanel::bar() const { return scriptBar; }
QWidget* ScriptPanel::text() const { return scriptEdit; }

// ---- what the script editor module asks of the windows ---------------------

bool ScriptPanel::editorOn() const { return w_->menus().scriptEditorChecked(); }
bool ScriptPanel::docked() const { return Prefs::Current().dockScriptEditor != 0; }

void ScriptPanel::fillPanel(const std::string& caption, const std::string& text, bool enabled) {
  make();
  scriptTargetLabel->setText(ToQ(caption));
  const QString shown = QString::fromStdU16String(SE::EditorText(text));
  if (scriptEdit->toPlainText() != shown) scriptEdit->setPlainText(shown);
  scriptEdit->setEnabled(enabled);
  w_->SizeControlsCall();
}

void ScriptPanel::fillWindow(const std::string& caption, const std::string& text, bool enabled) {
  // Kept on top by its own box, the window cannot stay owned by the main
  // window (it would always be above it anyway).
  const bool freeStanding = (Prefs::Current().windowTopward & 4) != 0;
  ScriptEditorWindow* editor = kScriptEditor.load(freeStanding ? nullptr : w_);
  editor->fill(ToQ(caption), text, enabled);
  if (!editor->isVisible()) editor->show();
}

void ScriptPanel::hideEditor() {
  w_->SizeControlsCall();
  if (kScriptEditor.isShownNow()) kScriptEditor.unload();
}

void ScriptPanel::clearPanel() {
  if (!scriptEdit) return;
  scriptEdit->clear();
  scriptEdit->setEnabled(false);
  lineLabel->clear();
  scriptTargetLabel->clear();
}

void ScriptPanel::focusEditor() {
  if (docked()) {
    make();
    scriptEdit->setFocus();
  } else if (ScriptEditorWindow* editor = kScriptEditor.loaded()) {
    editor->activateWindow();
    editor->focusScript();
  }
}

void ScriptPanel::focusEventList() {
  if (w_->eventList().list()->isEnabled()) w_->eventList().list()->setFocus();
}

void ScriptPanel::setEventDialogScript(int32_t kind, const std::string& text) {
  if (w_->eventDialogScript) w_->eventDialogScript(kind, text);
}

// The panel's text and find box behave as one unit for the focus: only a
// real loss of focus counts (opening a menu or another window does not).
bool ScriptPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    onScriptFocusIn();
  } else if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
    if (why != Qt::PopupFocusReason && why != Qt::MenuBarFocusReason && why != Qt::ActiveWindowFocusReason) {
      onScriptFocusOut();
    }
  }
  return QObject::eventFilter(watched, event);
}

// ---- the docked panel ------------------------------------------------------

void ScriptPanel::onScriptChanged() { RenewLater(SE::ApplyScript(SE::ModelText(EditorString(scriptEdit)))); }

void ScriptPanel::onScriptFocusIn() {
  // The Edit menu's shortcuts (copy, paste, undo, select all) belong to the
  // text while it has the focus; the lists leave the tab order.
  w_->menus().setEditMenuEnabled(false);
  for (QWidget* list : {w_->eventList().list(), w_->fileList().list()}) SetTabStop(list, false);
}

void ScriptPanel::onScriptFocusOut() {
  w_->menus().setEditMenuEnabled(true);
  for (QWidget* list : {w_->eventList().list(), w_->fileList().list()}) SetTabStop(list, true);
}

void ScriptPanel::onFindTextChanged() { findButton->setEnabled(!findTextList->currentText().isEmpty()); }

void ScriptPanel::findText() {
  if (FindNextAndRemember(scriptEdit, findTextList)) UpdateScriptLineLabel();
}

void ScriptPanel::checkSyntax() {
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

void ScriptPanel::undock() {
  Prefs::Current().dockScriptEditor = 0;
  SE::ShowEventScript(SE::GetScriptKind(), SE::ModelText(EditorString(scriptEdit)));
  w_->SizeControlsCall();
}

void ScriptPanel::UpdateScriptLineLabel() {
  lineLabel->setText(ToQ(SE::LineLabel(EditorString(scriptEdit), scriptEdit->textCursor().position())));
}

}  // namespace tesmiro::gui
