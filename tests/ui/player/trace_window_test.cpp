// The trace window: lines, clearing, the bound on its text, F8 and the menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "project/preferences.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/dialogs/trace_window.h"

namespace tesmiro::testing {
namespace {

using gui::TraceWindow;

class TraceWindowTest : public MainGuiTest {
 protected:
  ~TraceWindowTest() override {
    TraceWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST_F(TraceWindowTest, LinesEndWithCrLfAndClearStartsAtTheTop) {
  TraceWindow* w = TraceWindow::load();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("トレース"));
  w->appendTrace(QStringLiteral("one"));
  w->appendTrace(QStringLiteral("two"));
  EXPECT_EQ(w->text(), QStringLiteral("one\r\ntwo\r\n"));
  auto* traceEdit = Control<QPlainTextEdit>(w, "traceEdit");
  EXPECT_EQ(traceEdit->textCursor().position(), traceEdit->toPlainText().size()) << "the caret after the last line";
  QTest::mouseClick(Control<QPushButton>(w, "clearButton"), Qt::LeftButton);
  EXPECT_EQ(w->text(), QString());
  w->appendTrace(QStringLiteral("three"));
  EXPECT_EQ(w->text(), QStringLiteral("three\r\n"));
}

TEST_F(TraceWindowTest, ALoopingTraceKeepsTheTextBounded) {
  TraceWindow* w = TraceWindow::load();
  for (int i = 0; i < TraceWindow::kMaxLines + 200; ++i) w->appendTrace(QStringLiteral("line %1").arg(i));
  auto* traceEdit = Control<QPlainTextEdit>(w, "traceEdit");
  const QStringList lines = traceEdit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), TraceWindow::kMaxLines);
  EXPECT_EQ(lines.last(), QStringLiteral("line %1").arg(TraceWindow::kMaxLines + 199)) << "the newest lines stay";
  w->appendTrace(QString(TraceWindow::kMaxLineChars * 3, QLatin1Char('x')));
  const QStringList after = traceEdit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_EQ(after.last().size(), TraceWindow::kMaxLineChars);
}

TEST_F(TraceWindowTest, TheMenuShowsTheCollectedLinesAndF8UnloadsTheWindow) {
  gui::MainGUI& main = start();
  TraceWindow::load()->appendTrace(QStringLiteral("before"));
  Prefs::Current().twLeft = 300 * 15;
  Prefs::Current().twTop = 200 * 15;
  Prefs::Current().twWidth = 400 * 15;
  Prefs::Current().twHeight = 250 * 15;
  QAction* traceItem = Control<QAction>(main, "traceWindowAction");
  traceItem->trigger();
  ASSERT_TRUE(TraceWindow::isShownNow());
  EXPECT_TRUE(traceItem->isChecked());
  TraceWindow* w = TraceWindow::instance();
  EXPECT_EQ(w->text(), QStringLiteral("before\r\n"));
  EXPECT_EQ(w->frameGeometry(), QRect(300, 200, 400, 250));
  auto* traceEdit = Control<QPlainTextEdit>(w, "traceEdit");
  EXPECT_EQ(traceEdit->geometry().bottom(), w->height() - 1) << "the text fills the window";

  w->move(310, 210);
  QTest::keyClick(traceEdit, Qt::Key_F8);
  EXPECT_FALSE(TraceWindow::isLoaded());
  EXPECT_FALSE(traceItem->isChecked());
  EXPECT_EQ(Prefs::Current().twLeft, 310 * 15);

  traceItem->trigger();
  EXPECT_EQ(TraceWindow::instance()->text(), QString()) << "the text went with the instance";
  traceItem->trigger();
  EXPECT_FALSE(TraceWindow::isLoaded());
}

TEST_F(TraceWindowTest, ClosingAMinimisedWindowKeepsTheStoredPosition) {
  gui::MainGUI& main = start();
  Prefs::Current().twLeft = 1500;
  QAction* traceItem = Control<QAction>(main, "traceWindowAction");
  traceItem->trigger();
  TraceWindow* w = TraceWindow::instance();
  w->move(500, 400);
  w->showMinimized();
  w->close();
  EXPECT_FALSE(TraceWindow::isLoaded());
  EXPECT_FALSE(traceItem->isChecked());
  EXPECT_EQ(Prefs::Current().twLeft, 1500);
}

}  // namespace
}  // namespace tesmiro::testing
