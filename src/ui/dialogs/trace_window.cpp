#include "ui/dialogs/trace_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include "project/preferences.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/dialog_owner.h"

namespace tesmiro::gui {
namespace {

constexpr int kF8 = 119;

}  // namespace

TraceWindow* TraceWindow::load() {
  if (!instance_) {
    // Owned by the main window, as the menu shows it.
    DialogOwner* owner = DialogOwner::current();
    instance_ = new TraceWindow(owner ? owner->ownerWindow() : nullptr);
  }
  return instance_;
}

void TraceWindow::unload() {
  if (!instance_) return;
  TraceWindow* w = instance_;
  w->onUnload();
  w->hide();
  // Its own key handler may be what unloads it.
  instance_ = nullptr;
  w->deleteLater();
}

TraceWindow::TraceWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("TraceWindow"));
  setWindowTitle(QStringLiteral("トレース"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  clearButton = new QPushButton(QStringLiteral("クリア"), this);
  clearButton->setObjectName(QStringLiteral("clearButton"));
  clearButton->setGeometry(0, 0, 73, 25);
  clearButton->setFocusPolicy(Qt::TabFocus);
  traceEdit = new QPlainTextEdit(this);
  traceEdit->setObjectName(QStringLiteral("traceEdit"));
  traceEdit->setReadOnly(true);
  traceEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  traceEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  traceEdit->setMaximumBlockCount(kMaxLines + 1);
  traceEdit->setFont(PanelFont(9));
  traceEdit->move(0, 26);
  connect(clearButton, &QPushButton::clicked, this, [this] { clearTrace(); });
  resize(320, 240);
  layoutControls();
}

TraceWindow::~TraceWindow() {
  if (instance_ == this) instance_ = nullptr;
}

void TraceWindow::appendTrace(const QString& args) {
  QString line = args;
  if (line.size() > kMaxLineChars) line = line.left(kMaxLineChars - 1) + QChar(0x2026);
  // A line of the box ends with CR LF; a line break inside the text starts
  // a new line of the box, as it did.
  line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextCursor end(traceEdit->document());
  end.movePosition(QTextCursor::End);
  // The document always ends with an empty block: the text "after the
  // last CR LF".
  end.insertText(line + QLatin1Char('\n'));
  traceEdit->setTextCursor(end);
  traceEdit->ensureCursorVisible();
}

QString TraceWindow::text() const {
  QString t = traceEdit->toPlainText();
  t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return t;
}

void TraceWindow::SaveWindowPosition() {
  if (!isVisible() || isMinimized() || isMaximized()) return;
  Preferences& p = Prefs::Current();
  const QRect outer = frameGeometry();
  p.twLeft = static_cast<int32_t>(PixelsToTwips(outer.x()));
  p.twTop = static_cast<int32_t>(PixelsToTwips(outer.y()));
  p.twWidth = static_cast<int32_t>(PixelsToTwips(outer.width()));
  p.twHeight = static_cast<int32_t>(PixelsToTwips(outer.height()));
}

void TraceWindow::clearTrace() { traceEdit->clear(); }

void TraceWindow::onKeyDown(int keyCode, int) {
  if (keyCode == kF8) unload();
}

void TraceWindow::layoutControls() {
  traceEdit->setGeometry(0, traceEdit->y(), std::max(width(), 0), std::max(height() - traceEdit->y(), 0));
}

void TraceWindow::onUnload() {
  if (unloading_) return;
  unloading_ = true;
  SaveWindowPosition();
  if (DialogOwner* owner = DialogOwner::current()) owner->traceWindowUnloaded();
}

void TraceWindow::closeEvent(QCloseEvent* event) {
  // The close box unloads: the instance and its text go.
  event->accept();
  if (instance_ == this) {
    unload();
  } else {
    onUnload();
    deleteLater();
  }
}

void TraceWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
}

void TraceWindow::keyPressEvent(QKeyEvent* event) {
  const KeyCode key = MapKey(*event);
  if (key.code == kF8) {
    onKeyDown(key.code, key.shift);
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tesmiro::gui
