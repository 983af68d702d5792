#include "ui/common/dialog_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "ui/common/qt_text.h"
#include "ui/common/services.h"

namespace tesmiro::gui {
namespace {

ScopedModalRunner::Runner& ModalRunner() {
  static ScopedModalRunner::Runner runner;
  return runner;
}

// Moves (and, when larger than the area, shrinks) the window so that its
// outer rectangle, placed at `at`, lies inside the area.
void FitWindow(QWidget* window, const QPoint& at, const QRect& area) {
  const QSize frame = window->frameGeometry().size();
  const QRect fitted = FitInside(QRect(at, frame), area);
  window->move(fitted.topLeft());
  if (fitted.size() != frame) {
    // Even a dialog of fixed size gives way to a smaller screen.
    const QSize inner = fitted.size() - (frame - window->size());
    window->setMinimumSize(window->minimumSize().boundedTo(inner));
    window->resize(inner);
  }
}

// Escape that reached the dialog: the focused control had no use for it,
// and no list, menu or completer was open on top (those take the key and
// close themselves). Not a window-wide shortcut: Qt matches that against
// the dialog even while one of its popups has the keyboard, and Escape
// meant for an open list would close the whole dialog.
class EscapeToButton : public QObject {
 public:
  EscapeToButton(QWidget* dialog, QAbstractButton* button) : QObject(dialog), button_(button) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (QApplication::activePopupWidget()) return false;
    // Taken even when the button is disabled, so that the dialog's own
    // Escape handling does not close it behind the button's back.
    if (button_ && button_->isEnabled()) button_->click();
    return true;
  }

 private:
  QPointer<QAbstractButton> button_;
};

}  // namespace

QRect FitInside(const QRect& window, const QRect& area) {
  QRect r = window;
  r.setWidth(std::min(r.width(), area.width()));
  r.setHeight(std::min(r.height(), area.height()));
  if (r.right() > area.right()) r.moveRight(area.right());
  if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
  if (r.left() < area.left()) r.moveLeft(area.left());
  if (r.top() < area.top()) r.moveTop(area.top());
  return r;
}

void PlaceFromTwips(QWidget* window, double leftTwips, double topTwips) {
  PlaceAt(window, QPoint(TwipsToPixels(leftTwips), TwipsToPixels(topTwips)));
}

void PlaceAt(QWidget* window, const QPoint& globalPos) {
  FitWindow(window, globalPos, Desktop().placement->workArea(globalPos));
}

void KeepInsideWorkArea(QWidget* window) {
  const QRect frame = window->frameGeometry();
  FitWindow(window, frame.topLeft(), Desktop().placement->workArea(frame.center()));
}

void StoreTwips(const QWidget* window, int32_t& leftTwips, int32_t& topTwips) {
  const QPoint p = window->frameGeometry().topLeft();
  leftTwips = static_cast<int32_t>(PixelsToTwips(p.x()));
  topTwips = static_cast<int32_t>(PixelsToTwips(p.y()));
}

void RouteEscapeTo(QWidget* dialog, QAbstractButton* button) {
  dialog->installEventFilter(new EscapeToButton(dialog, button));
}

int ExecModal(QDialog& dialog) {
  if (ModalRunner()) return ModalRunner()(dialog);
  return dialog.exec();
}

void ShowAsSwatch(QLabel* swatch) {
  swatch->setFrameShape(QFrame::Box);
  swatch->setAutoFillBackground(true);
  swatch->setCursor(Qt::PointingHandCursor);
}

void PlaceControls(QWidget* dialog, const std::vector<ControlRow>& rows, const std::function<void(QWidget*)>& finish) {
  for (const ControlRow& row : rows) {
    QWidget* parent = row.parent.isEmpty() ? dialog : dialog->findChild<QWidget*>(row.parent);
    Q_ASSERT(parent);
    QWidget* w = row.make();
    w->setParent(parent);
    w->setObjectName(row.name);
    w->setGeometry(row.rect);
    if (!row.caption.isEmpty()) {
      if (auto* label = qobject_cast<QLabel*>(w)) label->setText(row.caption);
      if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(row.caption);
      if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(row.caption);
    }
    if (finish) finish(w);
  }
}

bool Accepted(int resultCode) { return resultCode == QDialog::Accepted; }

ScopedModalRunner::ScopedModalRunner(Runner runner) : previous_(std::move(ModalRunner())) {
  ModalRunner() = std::move(runner);
}

ScopedModalRunner::~ScopedModalRunner() { ModalRunner() = std::move(previous_); }

GreyCheckBox::GreyCheckBox(QWidget* parent) : QCheckBox(parent) { setTristate(true); }
GreyCheckBox::GreyCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) { setTristate(true); }

int GreyCheckBox::value() const {
  switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
  }
}

void GreyCheckBox::setValue(int v) {
  setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void GreyCheckBox::nextCheckState() { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }

}  // namespace tesmiro::gui
