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

  Command6 = Named(new QPushButton(QStringLiteral("<<"), this), "Command6");
  Combo1 = Named(new QComboBox(this), "Combo1");
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);  // the find adds its terms itself
  Command2 = Named(new QPushButton(QStringLiteral("検索"), this), "Command2");
  Command2->setEnabled(false);
  Command1 = Named(new QPushButton(QStringLiteral("構文チェック(&E)"), this), "Command1");
  Check1 = Named(new QCheckBox(QStringLiteral("前面"), this), "Check1");
  Label1 = Named(new QLabel(QString::fromUtf8(SE::kLineLabelPrefix) + QStringLiteral("1"), this), "Label1");
  Text1 = Named(new QPlainTextEdit(this), "Text1");
  Text1->setFont(ListFont(9));
  Text1->setLineWrapMode(QPlainTextEdit::NoWrap);

  Command6->setGeometry(0, 0, 28, kBarHeight);
  Combo1->setGeometry(30, 0, 130, kBarHeight);
  Command2->setGeometry(162, 0, 44, kBarHeight);
  Command1->setGeometry(208, 0, 110, kBarHeight);
  Check1->resize(52, kBarHeight);
  Label1->resize(72, kBarHeight);
  Text1->move(0, kTextTop);

  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Combo1, &QComboBox::editTextChanged, this, [this] { Combo1_Change(); });
  connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Change(); });
  connect(Combo1->lineEdit(), &QLineEdit::returnPressed, this, [this] { Command2_Click(); });
  connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
  connect(Text1, &QPlainTextEdit::textChanged, this, [this] { Text1_Change(); });
  connect(Text1, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdateLineLabel(); });

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
  Check1->setVisible((p.windowTopward & kTopwardOffered) != 0);
  Check1->setChecked((p.windowTopward & kTopwardTicked) != 0);
  Form_Resize();
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
  if (Text1->toPlainText() != text) Text1->setPlainText(text);
  Text1->setEnabled(enabled);
}

std::string ScriptEditorWindow::script() const { return SE::ModelText(EditorString(Text1)); }

void ScriptEditorWindow::Combo1_Change() { Command2->setEnabled(!Combo1->currentText().isEmpty()); }

void ScriptEditorWindow::Command1_Click() {
  Command1->setEnabled(false);
  const std::string model = script();
  int32_t start = 0, length = 0;
  if (SE::CheckScriptSyntax(model, start, length)) {
    const SE::Span span = SE::EditorSpan(model, {start, length});
    Select(Text1, span.start, span.length);
    Text1->setFocus();
  }
  UpdateLineLabel();
  Command1->setEnabled(true);
}

void ScriptEditorWindow::Command2_Click() {
  if (FindNextAndRemember(Text1, Combo1)) UpdateLineLabel();
}

void ScriptEditorWindow::Command6_Click() {
  Prefs::Current().dockScriptEditor = 1;
  SE::ShowEventScript(SE::GetScriptKind(), script());
  unload();
}

void ScriptEditorWindow::Check1_Click() {
  keepOnTop_.follow((Prefs::Current().windowTopward & kTopwardOffered) != 0 && Check1->isChecked());
}

void ScriptEditorWindow::Text1_Change() {
  const SE::ApplyResult r = SE::ApplyScript(script());
  if (r == SE::ApplyResult::Stale || r == SE::ApplyResult::Busy) {
    // The event moved or went away under the editor: show what is current.
    QTimer::singleShot(0, [] { SE::RenewScriptTarget(); });
  }
}

void ScriptEditorWindow::UpdateLineLabel() {
  Label1->setText(ToQ(SE::LineLabel(EditorString(Text1), Text1->textCursor().position())));
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
  p.windowTopward = (p.windowTopward & 247) + (Check1->isChecked() ? kTopwardTicked : 0);
}

void ScriptEditorWindow::Form_Resize() {
  const int w = width(), h = height();
  Text1->resize(w, std::max(0, h - kTextTop));
  Label1->move(std::max(0, w - Label1->width()), 0);
  Check1->move(std::max(0, Label1->x() - Check1->width() - 1), 0);
}

void ScriptEditorWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
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
  if (event->type() == QEvent::WindowActivate) Check1_Click();
  return QWidget::event(event);
}

}  // namespace tesmiro::gui
