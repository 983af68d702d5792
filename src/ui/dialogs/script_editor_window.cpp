#include "ui/dialogs/script_editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "project/preferences.h"
#include "project/script_editor.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/script_text.h"

namespace tesmiro::gui {
namespace {

namespace SE = ScriptEditorModule;

QPointer<ScriptEditorWindow> gInstance;

constexpr int kBarHeight = 20;  // the top row, 300 twips
constexpr int kTextTop = 21;    // 315 twips
constexpr int kTopwardOffered = 4;
constexpr int kTopwardTicked = 8;

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}


}  // namespace

ScriptEditorWindow::ScriptEditorWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  gInstance = this;
  setObjectName(QStringLiteral("ScriptEditor"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(SE::kEditorTitle));
  setFont(PanelFont(9));

  dockButton = Named(new QPushButton(QStringLiteral("<<"), this), "dockButton");
  findTextList = Named(new QComboBox(this), "findTextList");
  findTextList->setEditable(true);
  findTextList->setInsertPolicy(QComboBox::NoInsert);  // the find adds its terms itself
  findButton = Named(new QPushButton(QStringLiteral("検索"), this), "findButton");
  findButton->setEnabled(false);
  syntaxCheckButton = Named(new QPushButton(QStringLiteral("構文チェック(&E)"), this), "syntaxCheckButton");
  keepOnTopCheck = Named(new QCheckBox(QStringLiteral("前面"), this), "keepOnTopCheck");
  lineLabel = Named(new QLabel(QString::fromUtf8(SE::kLineLabelPrefix) + QStringLiteral("1"), this), "lineLabel");
  scriptEdit = Named(new QPlainTextEdit(this), "scriptEdit");
  scriptEdit->setFont(ListFont(9));
  scriptEdit->setLineWrapMode(QPlainTextEdit::NoWrap);

  dockButton->setGeometry(0, 0, 28, kBarHeight);
  findTextList->setGeometry(30, 0, 130, kBarHeight);
  findButton->setGeometry(162, 0, 44, kBarHeight);
  syntaxCheckButton->setGeometry(208, 0, 110, kBarHeight);
  keepOnTopCheck->resize(52, kBarHeight);
  lineLabel->resize(72, kBarHeight);
  scriptEdit->move(0, kTextTop);

  connect(dockButton, &QPushButton::clicked, this, [this] { dock(); });
  connect(findButton, &QPushButton::clicked, this, [this] { findText(); });
  connect(syntaxCheckButton, &QPushButton::clicked, this, [this] { checkSyntax(); });
  connect(findTextList, &QComboBox::editTextChanged, this, [this] { onFindTextChanged(); });
  connect(findTextList, &QComboBox::activated, this, [this] { onFindTextChanged(); });
  connect(findTextList->lineEdit(), &QLineEdit::returnPressed, this, [this] { findText(); });
  connect(keepOnTopCheck, &QCheckBox::toggled, this, [this] { onKeepOnTopToggled(); });
  connect(scriptEdit, &QPlainTextEdit::textChanged, this, [this] { onScriptChanged(); });
  connect(scriptEdit, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateLineLabel(); });

  resize(480, 360);
  const Preferences& p = Prefs::Current();
  if (p.seWidth >= 1 && p.seHeight >= 1) {
    // The stored size is the outer one.
    const QSize frame = frameGeometry().size() - size();
    const QSize outer(TwipsToPixels(p.seWidth), TwipsToPixels(p.seHeight));
    resize(outer - frame);
    PlaceFromTwips(this, p.seLeft, p.seTop);
    // Without a frame yet, the size is corrected once it is known, so that
    // the window does not grow by it every time it opens.
    if (frame.isNull()) pendingOuter_ = outer;
  }
  keepOnTopCheck->setVisible((p.windowTopward & kTopwardOffered) != 0);
  keepOnTopCheck->setChecked((p.windowTopward & kTopwardTicked) != 0);
  layoutControls();
}

ScriptEditorWindow::~ScriptEditorWindow() {
  if (gInstance == this) gInstance = nullptr;
}

ScriptEditorWindow* ScriptEditorWindow::instance(QWidget* owner) {
  if (!gInstance) new ScriptEditorWindow(owner);
  return gInstance;
}

bool ScriptEditorWindow::isLoaded() { return !gInstance.isNull(); }
bool ScriptEditorWindow::isShownNow() { return gInstance && gInstance->isVisible(); }
ScriptEditorWindow* ScriptEditorWindow::loaded() { return gInstance; }

void ScriptEditorWindow::unload() {
  if (gInstance) gInstance->close();
}

void ScriptEditorWindow::fill(const QString& caption, const std::string& script, bool enabled) {
  setWindowTitle(caption);
  const QString text = QString::fromStdU16String(SE::EditorText(script));
  if (scriptEdit->toPlainText() != text) scriptEdit->setPlainText(text);
  scriptEdit->setEnabled(enabled);
}

void ScriptEditorWindow::focusScript() { scriptEdit->setFocus(); }

std::string ScriptEditorWindow::script() const { return SE::ModelText(EditorString(scriptEdit)); }

void ScriptEditorWindow::onFindTextChanged() { findButton->setEnabled(!findTextList->currentText().isEmpty()); }

void ScriptEditorWindow::checkSyntax() {
  syntaxCheckButton->setEnabled(false);
  const std::string model = script();
  int32_t start = 0, length = 0;
  if (SE::CheckScriptSyntax(model, start, length)) {
    const SE::Span span = SE::EditorSpan(model, {start, length});
    Select(scriptEdit, span.start, span.length);
    scriptEdit->setFocus();
  }
  UpdateLineLabel();
  syntaxCheckButton->setEnabled(true);
}

void ScriptEditorWindow::findText() {
  if (FindNextAndRemember(scriptEdit, findTextList)) UpdateLineLabel();
}

void ScriptEditorWindow::dock() {
  Prefs::Current().dockScriptEditor = 1;
  SE::ShowEventScript(SE::GetScriptKind(), script());
  unload();
}

void ScriptEditorWindow::onKeepOnTopToggled() {
  keepOnTop_.follow((Prefs::Current().windowTopward & kTopwardOffered) != 0 && keepOnTopCheck->isChecked());
}

void ScriptEditorWindow::onScriptChanged() {
  const SE::ApplyResult r = SE::ApplyScript(script());
  if (r == SE::ApplyResult::Stale || r == SE::ApplyResult::Busy) {
    // The event moved or went away under the editor: show what is current.
    QTimer::singleShot(0, [] { SE::RenewScriptTarget(); });
  }
}

void ScriptEditorWindow::UpdateLineLabel() {
  lineLabel->setText(ToQ(SE::LineLabel(EditorString(scriptEdit), scriptEdit->textCursor().position())));
}

void ScriptEditorWindow::SaveWindowState() {
  pendingOuter_ = QSize();
  if (!isVisible() || (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) != 0) {
    return;
  }
  Preferences& p = Prefs::Current();
  StoreTwips(this, p.seLeft, p.seTop);
  const QSize outer = frameGeometry().size();
  p.seWidth = static_cast<int32_t>(PixelsToTwips(outer.width()));
  p.seHeight = static_cast<int32_t>(PixelsToTwips(outer.height()));
  p.windowTopward = (p.windowTopward & 247) + (keepOnTopCheck->isChecked() ? kTopwardTicked : 0);
}

void ScriptEditorWindow::layoutControls() {
  const int w = width(), h = height();
  scriptEdit->resize(w, std::max(0, h - kTextTop));
  lineLabel->move(std::max(0, w - lineLabel->width()), 0);
  keepOnTopCheck->move(std::max(0, lineLabel->x() - keepOnTopCheck->width() - 1), 0);
}

void ScriptEditorWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
  fitPendingOuterSize();
}

void ScriptEditorWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  fitPendingOuterSize();
}

void ScriptEditorWindow::fitPendingOuterSize() {
  if (!pendingOuter_.isValid()) return;
  const QSize frame = frameGeometry().size() - size();
  if (frame.isNull()) return;
  const QSize outer = pendingOuter_;
  pendingOuter_ = QSize();
  resize(outer - frame);
}

void ScriptEditorWindow::closeEvent(QCloseEvent* event) {
  if (!saved_) SaveWindowState();
  saved_ = true;
  // Gone for the accessors at once, although deleted only later.
  if (gInstance == this) gInstance = nullptr;
  QWidget::closeEvent(event);
}

bool ScriptEditorWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) onKeepOnTopToggled();
  return QWidget::event(event);
}

}  // namespace tesmiro::gui
